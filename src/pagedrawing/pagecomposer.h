#pragma once

#include "colour.h"
#include "pagecontent.h"
#include "pagefiles.h"
#include "picturecache.h"

#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

#include <utility>

class QPainter;

// The printable calendar page of one month: the month's picture, the month name and year, the
// days on ruled rows in three columns and the banner tab. One routine draws it on any surface;
// positions are page twips (15 to a pixel of the preview), multiplied by the surface's scale.
namespace velaria {

// The print canvas is this many times the preview.
inline constexpr int CanvasScale = 4;

// The preview page, twips.
inline constexpr int PageWidth = 8205;
inline constexpr int PageHeight = 11025;

// The month picture: its top and height on the page, twips.
inline constexpr int PictureTop = 250;
inline constexpr int PictureHeight = 6000;

// One day of the page, in preview twips.
struct PageDayEntry
{
    int day = 0;
    int column = 0;  // 0 to 2
    int row = 0;     // 1 to 11 within its column
    int numberX = 0; // Sunday shift included
    int numberY = 0;
    int labelX = 0;
    int labelY = 0;
    bool sunday = false;
    Rgb colour;      // number and label
    QString label;   // holiday or recurrence, may be empty
    QString weekday; // the weekday name printed under the label

    friend bool operator==(const PageDayEntry &, const PageDayEntry &) = default;
};

// The days as the page prints them, column by column.
QList<PageDayEntry> pageDays(const PageContent &page);

// Top of the weekday names' first row on a surface of this scale, twips before scaling: the
// canvas sets them a little lower than the preview.
int weekdayTop(int scale);

// Size in pixels of a surface of this scale.
QSize surfaceSize(int scale);

// The picture's height in pixels on a surface of this scale: what a decoded picture needs at
// most.
int picturePixelHeight(int scale);

// The month's picture at the size the print canvas needs. An empty (or blank) path is no
// picture and no failure; a failure leaves a null image and a description naming the file.
[[nodiscard]] LoadedPicture loadMonthPicture(PictureCache &cache, const QString &path);
// Starts reading that picture on another thread, for loadMonthPicture() to find.
void readMonthPictureAhead(PictureCache &cache, const QString &path);
// The same picture read afresh, for a page drawn once; `spare` as readPicture() takes it.
[[nodiscard]] LoadedPicture readMonthPicture(const QString &path, QImage spare = {});

// The picture as a surface of this scale shows it: already at the size it takes there, drawn
// the way the page draws it, so that the page copies it as it is. A picture well short of the
// height it takes (under nine tenths), wider than the page or with transparent parts is
// returned as it is: it would take more memory, or blend differently.
QImage pagePicture(const QImage &picture, int scale);

// A picture cache that keeps the month pictures as the print canvas shows them.
PictureCache canvasPictureCache();

// Draws the whole page on a cleared surface of this scale.
void drawPage(QPainter &painter, const PageContent &page, int scale);

// A white surface of this scale with the page drawn on it, made in `surface`, whose memory is
// used again when it already has the size: a page is some 26 MB, and fresh memory of that size
// costs more than drawing the page.
void composeSurface(const PageContent &page, int scale, QImage &surface);

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

// A page composed to leave the program: written out a row at a time, as a bitmap is, or whole.
// Row by row, the rows above the texts, where the picture is, are drawn a band at a time as
// they are asked for, and written while they are still in the processor's cache; the surface's
// own memory for them is never touched, so the system never gives it. A year's bitmaps took
// 20 MB less memory, and the time of clearing it.
class ExportPage
{
public:
    // Composes the page at this scale, all but the picture's rows. The surface's memory is used
    // again as composeSurface() uses it; a picture that would not come out the same drawn in
    // bands (one with transparent parts, or already of the size it takes) is drawn at once.
    void compose(const PageContent &page, int scale);

    // The rows of the page composed last, with the surface's dots per meter.
    BitmapRows bitmapRows();
    // That page whole, as composeSurface() makes it.
    const QImage &whole();

    // The picture of the page composed last, whose memory the next picture may take.
    QImage takePicture() { return std::exchange(m_picture, {}); }

private:
    const quint32 *row(int y);

    QImage m_surface;
    QImage m_picture;
    QRect m_target;       // the picture's pixels
    int m_bandedRows = 0; // rows from the top not drawn on the surface yet
    QImage m_band;
    int m_bandTop = 0;
    bool m_bandDrawn = false;
};

} // namespace velaria
