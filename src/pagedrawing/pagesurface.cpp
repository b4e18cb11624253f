#include "pagesurface.h"

#include "twips.h"

#include <QImage>
#include <QPainter>
#include <QTextLayout>
#include <QTransform>

#include <algorithm>
#include <cmath>

#include <pixman.h>

namespace velaria {

namespace {

constexpr int TextGrid = 3;

} // namespace

namespace {

// pixman works in 16.16 fixed point: coordinates, before and after its transform, stay under
// this.
constexpr int PixmanLimit = 32767;

} // namespace

bool scalesPicture(const QImage &picture, const QRect &target)
{
    return picture.format() == QImage::Format_RGB32 && picture.width() < PixmanLimit &&
           picture.height() < PixmanLimit && picture.size() != target.size() &&
           picture.width() < 2 * target.width() && picture.height() < 2 * target.height();
}

// By pixman rather than Qt's painter, which spreads such a drawing over its own threads and waits
// for them: a year's pages, composed on every core already, spent twice the processor time on it.
bool scalePicture(const QImage &picture, QImage &surface, const QRect &target)
{
    if (picture.format() != QImage::Format_RGB32 || picture.width() >= PixmanLimit ||
        picture.height() >= PixmanLimit || target.isEmpty() || target.height() >= PixmanLimit ||
        (surface.format() != QImage::Format_RGB32 &&
         surface.format() != QImage::Format_ARGB32_Premultiplied)) {
        return false;
    }
    // Only the columns on the surface are drawn, from the first one: a panorama's target may
    // start tens of thousands of pixels to the left, further than pixman counts. The columns
    // left out go into the transform, as a shift of the source.
    const int left = std::max(target.left(), 0);
    const int right = std::min(target.right(), surface.width() - 1);
    if (right < left)
        return true;
    const double scaleX = static_cast<double>(picture.width()) / target.width();
    const double scaleY = static_cast<double>(picture.height()) / target.height();
    return mapPicture(picture, surface,
                      QTransform(scaleX, 0, 0, scaleY, scaleX * (left - target.left()), 0), true,
                      QRect(left, target.y(), right - left + 1, target.height()));
}

bool mapPicture(const QImage &picture, QImage &surface, const QTransform &toPicture, bool smooth,
                const QRect &area)
{
    const auto fixed = [](double value) { return pixman_double_to_fixed(value); };
    pixman_transform_t transform;
    pixman_transform_init_identity(&transform);
    transform.matrix[0][0] = fixed(toPicture.m11());
    transform.matrix[0][1] = fixed(toPicture.m21());
    transform.matrix[0][2] = fixed(toPicture.dx());
    transform.matrix[1][0] = fixed(toPicture.m12());
    transform.matrix[1][1] = fixed(toPicture.m22());
    transform.matrix[1][2] = fixed(toPicture.dy());
    // The source is only read; pixman takes its memory as writable all the same. A pixel taken
    // whole keeps its alpha byte, 0xff in an RGB32 picture (and pixman then has a fast path for
    // quarter turns); a blended one is written opaque.
    pixman_image_t *source = pixman_image_create_bits(
        smooth ? PIXMAN_x8r8g8b8 : PIXMAN_a8r8g8b8, picture.width(), picture.height(),
        reinterpret_cast<uint32_t *>(const_cast<uchar *>(picture.constBits())),
        static_cast<int>(picture.bytesPerLine()));
    pixman_image_t *destination = pixman_image_create_bits(
        PIXMAN_a8r8g8b8, surface.width(), surface.height(),
        reinterpret_cast<uint32_t *>(surface.bits()), static_cast<int>(surface.bytesPerLine()));
    const bool made = source && destination;
    if (made) {
        pixman_image_set_transform(source, &transform);
        pixman_image_set_filter(source, smooth ? PIXMAN_FILTER_BILINEAR : PIXMAN_FILTER_NEAREST,
                                nullptr, 0);
        pixman_image_set_repeat(source, PIXMAN_REPEAT_PAD);
        pixman_image_composite32(PIXMAN_OP_SRC, source, nullptr, destination, 0, 0, 0, 0, area.x(),
                                 area.y(), area.width(), area.height());
    }
    if (source)
        pixman_image_unref(source);
    if (destination)
        pixman_image_unref(destination);
    return made;
}

PageSurface::PageSurface(QPainter &painter, int scale) : m_painter(painter), m_scale(scale)
{
    // Printed pages take no colour fringes from a screen's subpixel order, and the preview
    // keeps the canvas's letter widths: no hinting, which would round them to whole pixels.
    m_font.setStyleStrategy(QFont::NoSubpixelAntialias);
    m_font.setHintingPreference(QFont::PreferNoHinting);
    setFontSize(8.25);
}

double PageSurface::toPixels(double twips) const
{
    return twips * m_scale / TwipsPerPixel;
}

int PageSurface::pixelAt(double twips) const
{
    return static_cast<int>(std::lround(toPixels(twips)));
}

void PageSurface::setPosition(double x, double y)
{
    m_position = QPointF(x, y);
}

void PageSurface::setFontName(const QString &family)
{
    m_font.setFamily(family);
}

void PageSurface::setFontSize(double points)
{
    // Fonts come in whole pixels; the text is set three times larger and drawn at a third,
    // so that 8 points (10 2/3 pixels on the preview) keep their exact size.
    const double pixels = points * m_scale * 96.0 / 72.0 * TextGrid;
    m_font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels))));
}

void PageSurface::setBold(bool bold)
{
    m_font.setBold(bold);
}

void PageSurface::setColour(Rgb colour)
{
    m_colour = toQColor(colour);
}

void PageSurface::drawText(const QString &text)
{
    if (text.isEmpty())
        return;
    // Design metrics: the letters keep the widths of their outlines at every scale, so the
    // preview sets each text as wide as the canvas does.
    QTextLayout layout(text, m_font, m_painter.device());
    QTextOption option;
    option.setUseDesignMetrics(true);
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    if (!line.isValid())
        return;
    m_painter.save();
    m_painter.setPen(m_colour);
    m_painter.translate(toPixels(m_position.x()), toPixels(m_position.y()));
    m_painter.scale(1.0 / TextGrid, 1.0 / TextGrid);
    // The line's top is the text position: its ascent places the baseline below it.
    layout.draw(&m_painter, QPointF(0, 0));
    m_painter.restore();
}

void PageSurface::fillBox(double x1, double y1, double x2, double y2, Rgb colour)
{
    const int left = pixelAt(std::min(x1, x2));
    const int right = pixelAt(std::max(x1, x2));
    const int top = pixelAt(std::min(y1, y2));
    const int bottom = pixelAt(std::max(y1, y2));
    m_painter.fillRect(QRect(QPoint(left, top), QPoint(right, bottom)), toQColor(colour));
}

void PageSurface::drawPicture(const QImage &picture, const QRect &target)
{
    if (picture.isNull() || target.width() <= 0 || target.height() <= 0)
        return;
    if (picture.size() == target.size()) {
        m_painter.drawImage(target.topLeft(), picture);
        return;
    }
    // Enlarging or reducing a little: filtered. Reducing a lot: averaged first, which a
    // filtered draw does not do.
    if (picture.width() < 2 * target.width() && picture.height() < 2 * target.height()) {
        m_painter.save();
        m_painter.setRenderHint(QPainter::SmoothPixmapTransform);
        m_painter.drawImage(target, picture);
        m_painter.restore();
        return;
    }
    m_painter.drawImage(target.topLeft(), picture.scaled(target.size(), Qt::IgnoreAspectRatio,
                                                         Qt::SmoothTransformation));
}

void drawPicture(QImage &surface, const QImage &picture, const QRect &target)
{
    if (picture.isNull() || target.width() <= 0 || target.height() <= 0)
        return;
    if (scalesPicture(picture, target) && scalePicture(picture, surface, target))
        return;
    QPainter painter(&surface);
    PageSurface(painter, 1).drawPicture(picture, target);
}

} // namespace velaria
