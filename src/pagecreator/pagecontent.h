#pragma once

#include "pagecomposer.h"
#include "picturecache.h"
#include "recurrences.h"

#include <QPageSize>
#include <QRectF>
#include <QString>

// What a month's page is made of besides the composer: the month's values as the main window
// keeps them, the month's picture and where a page goes on the paper. The page
// window and the year's pages (velaria-pagine) share these, so both make the same pages.
namespace velaria {

// The page of a month as the main window describes it while it shows that month, still
// without its picture. `month` is 1 to 12.
PageContent PageForMonth(int year, int month, const QString &Pubblicita,
                         const RecurrenceTable &Ricorr);

// The month's picture at the size the print canvas needs. An empty (or blank) path is no
// picture and no failure; a failure leaves a null image and a description naming the file.
LoadedPicture LoadMonthPicture(PictureCache &cache, const QString &path);

// Where "Stampa A4" and "Stampa A3" put the page: the paper, and the rectangle that the page
// is stretched into, in twips from the top-left corner of the printable area.
struct SheetPlacement
{
    QPageSize::PageSizeId paper;
    QRectF place;
};
inline constexpr SheetPlacement StampaA4{QPageSize::A4, QRectF(200, 0, 11000, 16000)};
inline constexpr SheetPlacement StampaA3{QPageSize::A3, QRectF(300, 0, 15560, 22630)};

} // namespace velaria
