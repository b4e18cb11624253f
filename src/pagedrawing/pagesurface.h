#pragma once

#include "colour.h"

#include <QColor>
#include <QFont>
#include <QPointF>
#include <QRect>
#include <QString>

class QTransform;

class QImage;
class QPainter;

namespace velaria {

// A drawing surface in page twips: coordinates, sizes and font sizes are multiplied by the
// surface's scale and divided by 15 twips to the pixel. It keeps a text position, a font and
// a drawing colour between operations, as the page composer expects.
class PageSurface
{
public:
    PageSurface(QPainter &painter, int scale);

    // Twips of the preview page to pixels of this surface, not rounded.
    double toPixels(double twips) const;
    // The pixel row or column that a line at this place occupies.
    int pixelAt(double twips) const;

    void setPosition(double x, double y);
    void setFontName(const QString &family);
    void setFontSize(double points);
    void setBold(bool bold);
    void setColour(Rgb colour);

    // The text with its top-left corner at the text position, in the current font and colour.
    void drawText(const QString &text);

    // A filled box between two corners, both included; with equal y (or x) values it is a
    // line one pixel thick at this surface's resolution.
    void fillBox(double x1, double y1, double x2, double y2, Rgb colour);

    // The picture stretched over `target`, in this surface's pixels; nothing for a null
    // picture.
    void drawPicture(const QImage &picture, const QRect &target);

private:
    QPainter &m_painter;
    int m_scale;
    QPointF m_position;
    QFont m_font;
    QColor m_colour;
};

// Whether drawPicture() draws this picture over `target` by pixman: opaque, within pixman's
// coordinates, and enlarged or reduced by less than half, which a bilinear filter renders
// without averaging first.
bool scalesPicture(const QImage &picture, const QRect &target);

// Draws the opaque `picture` enlarged or reduced to `target` on `surface` with a bilinear
// filter, as the painter's smooth drawing does, the source's edge pixels repeated outwards. The
// part of `target` outside the surface is cut off: the rows of a taller surface may be drawn a
// few at a time, with `target` moved up by each band's top. False when pixman cannot take
// the picture or the surface; nothing is drawn then.
[[nodiscard]] bool scalePicture(const QImage &picture, QImage &surface, const QRect &target);

// Draws `area` of `surface` (RGB32 or premultiplied ARGB32, which no painter holds) from an
// RGB32 picture by pixman: each pixel from the point of the picture that `toPicture` maps its
// centre to, counted from the area's top left corner; blended from the four nearest pixels when
// `smooth`, else taken whole. The caller keeps coordinates within pixman's reach. False when
// pixman could not take the images.
[[nodiscard]] bool mapPicture(const QImage &picture, QImage &surface, const QTransform &toPicture,
                              bool smooth, const QRect &area);

// The picture stretched over `target` on `surface`, which no painter holds: by scalePicture()
// where scalesPicture() says so and pixman can, else by a painter as PageSurface::drawPicture()
// draws it. Nothing for a null picture.
void drawPicture(QImage &surface, const QImage &picture, const QRect &target);

} // namespace velaria
