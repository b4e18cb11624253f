#pragma once

#include "colour.h"
#include "pagecontent.h"

#include <QImage>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

// Where things go on the printable month page. Positions are page twips (15 to a pixel of the
// preview), multiplied by a surface's scale.
namespace velaria {

// The print canvas is this many times the preview.
inline constexpr int CanvasScale = 4;

// The preview page, twips.
inline constexpr int PageWidth = 8205;
inline constexpr int PageHeight = 11025;

// The month picture: its top and height on the page, twips.
inline constexpr int PictureTop = 250;
inline constexpr int PictureHeight = 6000;

// The height of a row of days, twips.
inline constexpr int RowHeight = 350;

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

// Where the picture goes on a surface of this scale, in its pixels: 6000 twips high, as wide
// as its proportions make it, centred across the page however wide that is. Empty for no
// picture.
QRect pictureTarget(const QImage &picture, int scale);

// The pixels the picture covers on a surface of this scale; empty for none.
QRect pictureArea(const QImage &picture, int scale);

} // namespace velaria
