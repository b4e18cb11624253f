#pragma once

#include <QDate>
#include <QString>
#include <QStringView>

#include <array>

// Date arithmetic of the calendar and the Italian names it shows. Dates are QDate values
// (proleptic Gregorian); the program supports the years 1 to 9999.
namespace velaria {

inline constexpr int FirstYear = 1;
inline constexpr int LastYear = 9999;

// Month names as the month caption shows them, January first.
inline constexpr std::array<QStringView, 12> MonthNames = {
    u"GENNAIO", u"FEBBRAIO", u"MARZO",     u"APRILE",  u"MAGGIO",   u"GIUGNO",
    u"LUGLIO",  u"AGOSTO",   u"SETTEMBRE", u"OTTOBRE", u"NOVEMBRE", u"DICEMBRE"};

// The first three letters of each month name: they identify the month of a caption.
inline constexpr std::array<QStringView, 12> MonthKeys = {
    u"GEN", u"FEB", u"MAR", u"APR", u"MAG", u"GIU", u"LUG", u"AGO", u"SET", u"OTT", u"NOV", u"DIC"};

// Weekday headings of the month grid, Monday first.
inline constexpr std::array<QStringView, 7> GridHeadings = {u"lun", u"mar", u"mer", u"gio",
                                                            u"ven", u"sab", u"dom"};

// Weekday names printed on the calendar page, Monday first.
inline constexpr std::array<QStringView, 7> PageWeekdayNames = {
    u"Lunedì", u"Martedì", u"Mercoledì", u"Giovedì", u"Venerdì", u"Sabato", u"Domenica"};

struct GridCell
{
    int column = 0; // 0 Monday to 6 Sunday
    int row = 0;    // 0 to 5
    friend constexpr bool operator==(GridCell, GridCell) = default;
};

// True for a date the program can show: a valid date of the years 1 to 9999.
bool IsSupportedDate(const QDate &date);

bool IsLeapYearA(int yr);

// Days of the month, 28 to 31.
int MonthLength(int year, int month);

// 0 for Monday to 6 for Sunday.
int MondayColumn(const QDate &date);

// Column and row of a day in its month's Monday-first grid of 7 x 6 cells.
GridCell GridPlace(int year, int month, int day);

// The Monday-based column of the day before the 1st: 0 to 6, so 6 when the 1st is a Monday.
int GridOffset(int year, int month);

// The date n months later, the day clamped to the target month's length. Returns an invalid
// QDate when the target lies outside the supported years.
QDate AddMonths(const QDate &date, int months);

// "GENNAIO  2024": the month name in capitals, two blanks, the year in four digits.
QString MonthCaption(const QDate &date);

// The month number 1 to 12 of a caption, recognised by its first three characters (case
// matters); 0 when they match no month.
int MonthFromCaption(QStringView caption);

// "dd/mm/yyyy".
QString DateText(const QDate &date);

// Reads a typed date, day first: d/m/yyyy with "/", "-", "." or a blank between the parts;
// the year has four digits, so "5/3/24" is no date rather than the year 24.
// Returns an invalid QDate for anything that is not a supported date.
QDate ParseDateEntry(QStringView text);

} // namespace velaria
