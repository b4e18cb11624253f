#pragma once

#include "colour.h"
#include "recurrences.h"

#include <QDate>
#include <QString>

#include <array>

// The month as the main window shows it, computed in one go from the shown date, today and
// the recurrences. Geometry is in twips inside the month grid.
namespace velaria {

inline constexpr int GridTop = 700; // the weekday headings sit above

struct MonthDayCell
{
    int column = 0;
    int row = 0;
    int x = 0; // cell's top-left corner, twips
    int y = 0;
    Rgb colour;
};

struct MonthLayout
{
    QString caption; // "MARZO  2024"
    int daysInMonth = 0;
    int gridOffset = 0;
    std::array<MonthDayCell, 31> days{}; // days[d - 1]
    QString holidayLine;                 // the month's holidays and recurrences
    bool todayFramePlaced = false;       // today's day number exists in the shown month
    int todayFrameLeft = 0;              // the "oggi è" mark, twips; only when placed
    int todayFrameTop = 0;
    bool todayFrameVisible = false; // the shown month is today's month
};

MonthLayout ComputeMonth(const QDate &shown, const QDate &today, const RecurrenceTable &table,
                         int cellWidth, int cellHeight);

// The day information line for a press at height y (twips) on column area `column`, or an
// empty text when the press is on no day.
QString DayInformation(int column, int y, const QDate &shown, int gridOffset, int daysInMonth,
                       const QString &nomeMese);

} // namespace velaria
