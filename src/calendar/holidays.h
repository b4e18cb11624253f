#pragma once

#include "colour.h"
#include "recurrences.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>

// Italian national holidays, Easter, and what they make of a day in the month view and on
// the printed page.
namespace velaria {

// Easter Sunday of the year by the anonymous Gregorian algorithm, for every year alike.
QDate easterSunday(int year);

// The first year in which 4 October is the national feast of Saint Francis.
inline constexpr int SanFrancescoFromYear = 2026;

struct Holiday
{
    QString monthLineText; // "1° Capodanno", "31 Pasqua"
    QString pageLabel;     // "Capodanno", "Pasqua"
};

// The national holiday of a day. Of two on the same day the first of the month's list wins,
// so an Easter Monday on 25 April hides the Liberation day.
std::optional<Holiday> nationalHoliday(const QDate &date);

// What the month view makes of one day: its number's colour and the items it adds to the
// month's holiday line (the holiday first, then the recurrence). A recurrence's colour
// replaces the holiday's and the Sunday's.
struct GridDayMark
{
    Rgb colour;
    QStringList lineItems;
};
GridDayMark gridDayMark(const RecurrenceTable &table, const QDate &date);

// What the page makes of one day: the colour that replaces the page's own (none for an
// ordinary day) and the label printed under the number. A recurrence's colour and text
// replace the holiday's.
struct PageDayMark
{
    std::optional<Rgb> colour;
    QString label;
};
PageDayMark pageDayMark(const RecurrenceTable &table, const QDate &date);

} // namespace velaria
