#pragma once

#include "colour.h"
#include "recurrences.h"

#include <QDate>
#include <QString>

#include <array>

// The month as the main window shows it, computed in one go from the shown month, today and
// the recurrences. Geometry is in twips inside the month grid.
namespace velaria {

inline constexpr int GridTop = 700; // the weekday headings sit above
inline constexpr int CellWidth = 968;
inline constexpr int CellHeight = 620;

struct MonthDayCell
{
    int column = 0; // 0 Monday to 6 Sunday
    int row = 0;    // 0 to 5
    int x = 0;      // cell's top-left corner, twips
    int y = 0;
    Rgb colour;
    QString description; // what a screen reader says of the day
};

struct MonthModel
{
    int year = 0;
    int month = 0;
    QString caption; // "MARZO  2024"
    int daysInMonth = 0;
    std::array<MonthDayCell, 31> days{}; // days[d - 1]
    QString holidayLine;                 // the month's holidays and recurrences
    int today = 0;                       // today's day number when the month is today's, else 0
    int todayFrameLeft = 0;              // the "oggi è" mark around it, twips
    int todayFrameTop = 0;
};

MonthModel computeMonth(int year, int month, const QDate &today, const RecurrenceTable &table);

// The day as a screen reader says it: "25 dicembre 2026, venerdì, Natale", then the
// recurrence ("ricorrenza: Anna") and "oggi" for today, so that nothing is told by colour alone.
QString dayDescription(const QDate &date, const RecurrenceTable &table, const QDate &today);

// The day of the shown month under a press at height y (twips) in column area `column`
// (0 Monday to 6 Sunday), or 0 when the press is on no day.
int dayAt(int column, int y, int year, int month);

// "- Il giorno 5 marzo è il 65° del 2024 e mancano 301 giorni alla fine dell'anno -".
QString dayInformation(const QDate &date);

} // namespace velaria
