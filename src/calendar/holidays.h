#pragma once

#include "colour.h"
#include "recurrences.h"

#include <QString>
#include <QStringList>

#include <optional>

// Italian national holidays, Easter, and what they make of a day in the month view and on
// the printed page.
namespace velaria {

struct EasterDate
{
    int month = 0; // 3 or 4
    int day = 0;
    friend constexpr bool operator==(EasterDate, EasterDate) = default;
};

// Easter Sunday by the anonymous Gregorian algorithm, for every year alike.
EasterDate EasterSunday(int year);

// Day numbers of Easter and Easter Monday in March and in April; 0 where absent.
struct EasterValues
{
    int sundayInMarch = 0;
    int mondayInMarch = 0;
    int sundayInApril = 0;
    int mondayInApril = 0;
};
EasterValues EasterDays(int year);

// The first year in which 4 October is the national feast of Saint Francis.
inline constexpr int SanFrancescoFromYear = 2026;

struct Holiday
{
    QString monthLineText; // "1° Capodanno", "31 Pasqua"
    QString pageLabel;     // "Capodanno", "Pasqua"
};

// The national holiday of a day, the first match of the month's list.
std::optional<Holiday> NationalHoliday(int year, int month, int day);

// What the month view makes of one day: its number's colour and the items it adds to the
// month's holiday line (the holiday first, then the recurrence).
struct GridDay
{
    Rgb colour;
    QStringList lineItems;
};
GridDay Festivi(const RecurrenceTable &table, int year, int month, int day, bool sunday);

// The month's holiday line: every day's items in day order, joined by " - ".
QString FestMese(const RecurrenceTable &table, int year, int month);

// What the page makes of one day: the colour that replaces the page's own (none for an
// ordinary day) and the label printed under the number (FestGiorno). A recurrence's colour
// and text replace the holiday's.
struct PageDay
{
    std::optional<Rgb> colour;
    QString label;
};
PageDay FestiviPagina(const RecurrenceTable &table, int year, int month, int day);

} // namespace velaria
