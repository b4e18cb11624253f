#include "pagecomposer.h"

#include "largeimage.h"
#include "pagesurface.h"
#include "twips.h"

#include <QPainter>
#include <QRegion>

#include <cmath>

namespace velaria {

namespace {

constexpr Rgb TitleColour{128, 0, 0};
constexpr Rgb TitleRuleColour{128, 128, 128};
constexpr Rgb RuleColour{0, 0, 0};
constexpr Rgb BannerColour{224, 224, 224};
constexpr Rgb BannerTextColour{64, 64, 64};
constexpr Rgb Paper{255, 255, 255};

const QString SansFont = QStringLiteral("Arial");
const QString SerifFont = QStringLiteral("Times New Roman");

constexpr int RuleLeft = 100;
constexpr int RuleRight = 8000;
// More characters than a day's label line shows across the whole page: a longer label (a
// recurrence of megabytes in a damaged file) would only cost seconds to lay out.
constexpr qsizetype LabelShown = 1000;

PageText pageText(const PageContent &page)
{
    return {page.year, page.month, page.banner, pageDays(page)};
}

// Everything but the picture. Nothing of it reaches the picture's rows: the title starts at
// 6360 twips, the picture ends at 6250.
void drawTexts(PageSurface &surface, const PageText &text, int scale)
{
    // Title and year.
    const QString title = pageTitle(text.month);
    surface.setColour(TitleColour);
    surface.setFontName(SansFont);
    surface.setBold(false);
    surface.setPosition(250, 6360);
    surface.setFontSize(24);
    surface.drawText(title);
    surface.setPosition(6700, 6360);
    surface.drawText(pageYear(text.year));

    // Rules: under the title, between the rows, and the short one closing the eleventh row of
    // the third column.
    surface.fillBox(RuleLeft, 6900, RuleRight, 6900, TitleRuleColour);
    for (int y = 7250; y <= 10400; y += RowHeight)
        surface.fillBox(RuleLeft, y, RuleRight, y, RuleColour);
    surface.fillBox(5400, 10750, RuleRight, 10750, RuleColour);

    // The banner tab with its slanted end and its base line.
    surface.fillBox(RuleLeft, 10600, 4300, 10950, BannerColour);
    for (int k = 1; k <= 1000; ++k)
        surface.fillBox(4300 + k, 10600 + k / 2.8, 4300 + k, 10950, BannerColour);
    surface.fillBox(RuleLeft, 10950, RuleRight, 10950, BannerColour);

    surface.setPosition(150, 10680);
    surface.setBold(false);
    surface.setFontSize(8);
    surface.setColour(BannerTextColour);
    surface.drawText(text.banner);

    // The days.
    surface.setFontName(SerifFont);
    surface.setColour(colours::Ordinary);
    const int weekdayRow = weekdayTop(scale);
    for (const PageDayEntry &entry : text.days) {
        surface.setPosition(entry.numberX, entry.numberY);
        surface.setFontSize(18);
        surface.setBold(entry.sunday);
        surface.setColour(entry.colour);
        surface.drawText(u' ' + QString::number(entry.day));

        surface.setPosition(entry.labelX, entry.labelY);
        surface.setBold(false);
        surface.setFontSize(6);
        surface.drawText(entry.label.left(LabelShown));

        surface.setPosition(entry.labelX, weekdayRow + RowHeight * entry.row);
        surface.setColour(colours::Ordinary);
        surface.drawText(entry.weekday);
    }
}

// The texts on a surface that no other painter holds.
void drawTexts(QImage &surface, const PageText &text, int scale)
{
    QPainter painter(&surface);
    painter.setRenderHint(QPainter::TextAntialiasing);
    PageSurface drawing(painter, scale);
    drawTexts(drawing, text, scale);
}

// The pixels the picture covers on a surface of this scale and paints over whole, hiding
// what was there; empty for none, or for a picture with transparent parts.
QRect opaqueArea(const QImage &picture, int scale)
{
    return picture.hasAlphaChannel() ? QRect() : pictureArea(picture, scale);
}

// A surface of this scale, white but for `covered`, which what is drawn next paints over;
// its memory is `surface`'s when nothing else shares it. A picture covers half the page:
// whitening it first took as long as drawing the texts.
void clearSurface(QImage &surface, int scale, const QRect &covered)
{
    const QSize size = surfaceSize(scale);
    if (surface.size() != size || surface.format() != QImage::Format_RGB32 || !surface.isDetached())
        surface = largeImage(size, QImage::Format_RGB32);
    // 96 dots per inch: a point is 4/3 of a pixel, as on the screen the twips are made for.
    surface.setDotsPerMeterX(3780);
    surface.setDotsPerMeterY(3780);
    fillPaper(surface, surface.rect(), covered);
}

// Brings one surface of a composed page to `page`, whose texts are `text`; `sameText` tells
// whether the surface's record says it shows those texts already.
void updateSurface(const PageContent &page, const PageText &text, bool sameText, int scale,
                   QImage &surface, SurfaceRecord &record)
{
    const QRect target = pictureTarget(page.picture, scale);
    const qint64 pictureKey = target.isEmpty() ? 0 : page.picture.cacheKey();
    const QRect area = pictureArea(page.picture, scale);
    const bool known = record.key != 0 && surface.cacheKey() == record.key &&
                       surface.size() == surfaceSize(scale) &&
                       surface.format() == QImage::Format_RGB32;
    const bool samePicture = known && record.pictureKey == pictureKey && record.picture == area;
    if (known && samePicture && sameText)
        return;

    // Only one of the two changed, or both; what did not stays where it is, since neither
    // reaches into the other's pixels.
    if (!known || (!samePicture && !sameText)) {
        clearSurface(surface, scale, opaqueArea(page.picture, scale));
        drawPicture(surface, page.picture, target);
        drawTexts(surface, text, scale);
    } else if (!samePicture) {
        // The old picture goes, but for the pixels that an opaque new one covers anyway.
        fillPaper(surface, record.picture, opaqueArea(page.picture, scale));
        drawPicture(surface, page.picture, target);
    } else {
        fillPaper(surface, surface.rect(), area);
        drawTexts(surface, text, scale);
    }
    record = {surface.cacheKey(), area, pictureKey};
}

} // namespace

QImage pagePicture(const QImage &picture, int scale)
{
    const QRect target = pictureTarget(picture, scale);
    if (target.isEmpty() || target.size() == picture.size() || picture.hasAlphaChannel() ||
        picture.height() * 10 < target.height() * 9 ||
        target.width() > surfaceSize(scale).width()) {
        return picture;
    }
    QImage drawn = largeImage(target.size(), picture.format());
    drawPicture(drawn, picture, drawn.rect());
    return drawn;
}

void fillPaper(QImage &surface, const QRect &area, const QRect &covered)
{
    QPainter painter(&surface);
    for (const QRect &rect : QRegion(area).subtracted(covered))
        painter.fillRect(rect, toQColor(Paper));
}

void composeSurface(const PageContent &page, int scale, QImage &surface)
{
    clearSurface(surface, scale, opaqueArea(page.picture, scale));
    drawPicture(surface, page.picture, pictureTarget(page.picture, scale));
    drawTexts(surface, pageText(page), scale);
}

void composeTexts(const PageContent &page, int scale, QImage &surface, const QRect &untouched)
{
    clearSurface(surface, scale, untouched);
    drawTexts(surface, pageText(page), scale);
}

void paintPage(QPainter &painter, const PageContent &page, const QRectF &place)
{
    const QSize size = surfaceSize(CanvasScale);
    painter.save();
    painter.translate(place.topLeft());
    painter.scale(place.width() / size.width(), place.height() / size.height());
    painter.setClipRect(QRect(QPoint(0, 0), size));
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (const QRect target = pictureTarget(page.picture, CanvasScale); !target.isEmpty())
        painter.drawImage(QRectF(target), page.picture);
    PageSurface surface(painter, CanvasScale);
    drawTexts(surface, pageText(page), CanvasScale);
    painter.restore();
}

int sheetPictureHeight(const QRectF &place, int dotsPerInch)
{
    constexpr double TwipsPerInch = 1440.0;
    const double sheetTwips =
        picturePixelHeight(CanvasScale) * place.height() / surfaceSize(CanvasScale).height();
    return static_cast<int>(std::ceil(sheetTwips / TwipsPerInch * dotsPerInch));
}

QImage reducedPicture(const QImage &picture, int height)
{
    if (picture.height() <= height || height <= 0)
        return picture;
    if (picture.hasAlphaChannel())
        return picture.scaledToHeight(height, Qt::SmoothTransformation);
    const QSize size(std::max(1, static_cast<int>(std::lround(static_cast<double>(picture.width()) *
                                                              height / picture.height()))),
                     height);
    QImage reduced = largeImage(size, QImage::Format_RGB32);
    drawPicture(reduced, picture, reduced.rect());
    return reduced;
}

void composePage(const PageContent &page, ComposedPage &composed)
{
    PageText text = pageText(page);
    const bool sameText = composed.text == text;
    updateSurface(page, text, sameText, CanvasScale, composed.canvas, composed.canvasRecord);
    updateSurface(page, text, sameText, 1, composed.preview, composed.previewRecord);
    composed.text = std::move(text);
}

} // namespace velaria
