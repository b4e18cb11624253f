#pragma once

#include "pagecontent.h"
#include "pagelayout.h"

#include <QImage>
#include <QList>
#include <QRect>
#include <QRectF>
#include <QString>

class QPainter;

// The printable calendar page of one month: the month's picture, the month name and year, the
// days on ruled rows in three columns and the banner tab. One routine draws it on any surface.
namespace velaria {

// The picture as a surface of this scale shows it: already at the size it takes there, drawn
// the way the page draws it, so that the page copies it as it is. A picture well short of the
// height it takes (under nine tenths), wider than the page or with transparent parts is
// returned as it is: it would take more memory, or blend differently.
QImage pagePicture(const QImage &picture, int scale);

// A white surface of this scale with the page drawn on it, made in `surface`, whose memory is
// used again when it already has the size: a page is some 26 MB, and fresh memory of that size
// costs more than drawing the page.
void composeSurface(const PageContent &page, int scale, QImage &surface);

// The same with the page's texts alone: `untouched`, which holds no text, is left as it was,
// for the picture's rows to be drawn there later.
void composeTexts(const PageContent &page, int scale, QImage &surface, const QRect &untouched);

// The page drawn straight on `painter`, a PDF's, stretched over `place` in the device's
// units, laid out as the print canvas is: the texts as text, the rules as boxes, the picture
// as it is given, cut at the page's edges. The paper is left as it is.
void paintPage(QPainter &painter, const PageContent &page, const QRectF &place);

// The height in pixels of `dotsPerInch` of the picture's box on the sheet when the page is
// stretched over `place`, in twips: all a PDF needs of a picture.
int sheetPictureHeight(const QRectF &place, int dotsPerInch);
// The picture no higher than `height`, its proportions kept, reduced by the filter that draws
// the canvas's pictures (Qt's, for one with transparent parts).
QImage reducedPicture(const QImage &picture, int height);

// Paints the paper's white on `area` of `surface` but for `covered`.
void fillPaper(QImage &surface, const QRect &area, const QRect &covered);

// Everything on a page but its picture: what the page shows apart from it depends on these
// alone.
struct PageText
{
    int year = 0;
    int month = 0;
    QString banner;
    QList<PageDayEntry> days;

    friend bool operator==(const PageText &, const PageText &) = default;
};

// What composePage() left on one surface, so that composing again knows what is there.
struct SurfaceRecord
{
    // The surface's QImage::cacheKey() then: a surface changed since is drawn anew.
    qint64 key = 0;
    // The picture's pixels on it, empty for none, and the picture's cacheKey(), 0 for none.
    QRect picture;
    qint64 pictureKey = 0;
};

// The page on both surfaces: the print canvas at `CanvasScale` and the preview. Composing into
// the same ComposedPage again redraws only what changed: the picture alone for a new picture of
// the same month (a camera's photo costs more to draw than the texts), the texts around the
// picture for another month with the same picture, nothing when nothing changed.
struct ComposedPage
{
    QImage canvas;
    QImage preview;

    // Kept by composePage().
    PageText text;
    SurfaceRecord canvasRecord;
    SurfaceRecord previewRecord;
};
void composePage(const PageContent &page, ComposedPage &composed);

} // namespace velaria
