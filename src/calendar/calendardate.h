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

// Weekday headings of the month grid, Monday first.
inline constexpr std::array<QStringView, 7> GridHeadings = {u"lun", u"mar", u"mer", u"gio",
                                                            u"ven", u"sab", u"dom"};

// Weekday names printed on the calendar page, Monday first.
inline constexpr std::array<QStringView, 7> WeekdayNames = {
    u"Lunedì", u"Martedì", u"Mercoledì", u"Giovedì", u"Venerdì", u"Sabato", u"Domenica"};

// True for a date the program can show: a valid date of the years 1 to 9999.
bool isSupportedDate(const QDate &date);

bool isLeapYear(int year);

// Days of the month, 28 to 31.
int monthLength(int year, int month);

// 0 for Monday to 6 for Sunday.
int mondayColumn(const QDate &date);

// The Monday-based column of the day before the 1st: 0 to 6, so 6 when the 1st is a Monday.
int gridOffset(int year, int month);

// "GENNAIO": the month's name in capitals; `month` is 1 to 12.
QString monthName(int month);

// "Gennaio": the month's name with only its first letter a capital.
QString monthTitle(int month);

// "Domenica": the weekday name of the date as the page prints it.
QString weekdayName(const QDate &date);

// The date n months later, the day clamped to the target month's length. Returns an invalid
// QDate when the target lies outside the supported years.
QDate addMonths(const QDate &date, int months);

// "GENNAIO  2024": the month name in capitals, two blanks, the year in four digits.
QString monthCaption(int year, int month);

// "dd/mm/yyyy".
QString dateText(const QDate &date);

// Reads a typed date, day first, with "/", "-", "." or a blank between the parts:
// d/m/yyyy; d/m/yy, the two-digit year taken as the year nearest to `today` (30 is 2030 and
// 77 is 1977 in 2026); d/m alone, the day of today's year. Four digits always name the year
// as written, so "0024" is the year 24. Returns an invalid QDate for anything that is not a
// supported date.
QDate parseDateEntry(QStringView text, const QDate &today);

} // namespace velaria
