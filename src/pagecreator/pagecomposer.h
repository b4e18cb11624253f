#pragma once

#include "colour.h"
#include "recurrences.h"
#include "windowstate.h"

#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

class QPainter;

// The printable calendar page of one month: the month's picture, the month name and year, the
// days on ruled rows in three columns and the banner tab. One routine draws it on any surface;
// positions are page twips (15 to a pixel of the preview), multiplied by the surface's scale.
namespace velaria {

// The print canvas is this many times the preview.
inline constexpr int Scala = 4;

// The preview page, twips.
inline constexpr int PageWidth = 8205;
inline constexpr int PageHeight = 11025;

// The month picture: its top and height on the page, twips.
inline constexpr int PictureTop = 250;
inline constexpr int PictureHeight = 6000;

// Everything a page is made of. The main window keeps these values; the page window adds the
// month's picture (a null image for none).
struct PageContent
{
    QString NomeMese; // "GENNAIO" and the two blanks that part it from the year
    QString AnnoMese; // "2025"
    int DaysInMonth = 0;
    int GridOffset = 0; // Monday-based column of the day before the 1st
    QString Pubblicita;
    RecurrenceTable Ricorr;
    int year = 0;
    int month = 0;
    QImage picture;
};

// The page of the month the main window shows, still without its picture.
PageContent PageContentOf(const WindowState &state);

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
};

// The weekday name that follows `NomeGiorno`, "Lunedì" after "Domenica"; any text that is not
// a weekday name comes back unchanged.
QString NomeGio(const QString &NomeGiorno);

// "Gennaio  ": the month name with only its first letter a capital, the blanks kept.
QString PageTitle(const PageContent &page);

// The caption of the page window's month label: title, one blank, year.
QString PageCaption(const PageContent &page);

// The days as the page prints them, column by column.
QList<PageDayEntry> PageDays(const PageContent &page);

// Top of the weekday names' first row on a surface of this scale, twips before scaling: the
// canvas sets them a little lower than the preview.
int WeekdayTop(int scale);

// Size in pixels of a surface of this scale.
QSize SurfaceSize(int scale);

// The picture's height in pixels on a surface of this scale: what a decoded picture needs at
// most.
int PicturePixelHeight(int scale);

// Draws the whole page on a cleared surface of this scale.
void ComponiPagina(QPainter &painter, const PageContent &page, int scale);

// A white surface of this scale with the page drawn on it.
QImage ComposeSurface(const PageContent &page, int scale);

// The same into `surface`, whose memory is used again when it already has the size: a page is
// some 26 MB, and fresh memory of that size costs more than drawing the page.
void ComposeSurface(const PageContent &page, int scale, QImage &surface);

// The page on both surfaces: the print canvas at `Scala` and the preview.
struct ComposedPage
{
    QImage canvas;
    QImage preview;
};
void ComposeBoth(const PageContent &page, ComposedPage &composed);

} // namespace velaria
