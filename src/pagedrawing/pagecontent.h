#pragma once

#include "recurrences.h"

#include <QImage>
#include <QPageSize>
#include <QRectF>
#include <QString>

// What a month's page is made of, and the texts that name it. The page window and the year's
// pages (velaria-pagine) share these, so both make the same pages.
namespace velaria {

struct PageContent
{
    int year = 0;
    int month = 0; // 1 to 12
    QString banner;
    RecurrenceTable recurrences;
    QImage picture; // null for none
};

// "Gennaio  ": the month's title as the page prints it, with two blanks after the name.
QString pageTitle(int month);

// "2027": the year as the page prints it, four digits.
QString pageYear(int year);

// "Gennaio   2027": the page window's caption of the month, title, one blank, year.
QString pageCaption(int year, int month);

// "GENNAIO": the name a saved page's bitmap takes.
QString pageFileName(int month);

// How many days of the month are national holidays and how many carry a recurrence.
struct MonthMarks
{
    int holidays = 0;
    int recurrences = 0;
};
MonthMarks monthMarks(const RecurrenceTable &table, int year, int month);

// Where "Stampa A4" and "Stampa A3" put the page: the paper, and the rectangle that the page
// is stretched into, in twips from the top-left corner of the printable area.
struct SheetPlacement
{
    QPageSize::PageSizeId paper;
    QRectF place;
};
inline constexpr SheetPlacement A4Sheet{QPageSize::A4, QRectF(200, 0, 11000, 16000)};
inline constexpr SheetPlacement A3Sheet{QPageSize::A3, QRectF(300, 0, 15560, 22630)};

} // namespace velaria
