#pragma once

#include "recurrenceimport.h"

#include <QByteArray>
#include <QDateTime>
#include <QStringList>

#include <optional>
#include <utility>

// The recurrences and the national holidays as iCalendar files (RFC 5545) for other calendar
// programs, and the yearly events of such a file as recurrence lines.
namespace velaria {

// The largest iCalendar file read.
inline constexpr qsizetype IcsByteLimit = 5 * 1024 * 1024;

struct IcsExport
{
    QByteArray ics;
    int exported = 0; // recurrences written
    int skipped = 0;  // lines not written: no such day, no text, or a later line for that day
};

// One all-day yearly event for each day of the recurrence table made from `recurrenceLines`,
// starting in `fromYear` (29 February in the first leap year from then, repeating in leap
// years only); the tag's colour becomes the event's COLOR. With `holidayYears` (first, last)
// also the national holidays of those years, one event each, but those that a recurrence
// naming the holiday already brings. The UIDs depend only on the
// date and the text, so a file exported again updates the events it added before.
IcsExport exportRecurrences(const QStringList &recurrenceLines, int fromYear,
                            std::optional<std::pair<int, int>> holidayYears = std::nullopt,
                            const QDateTime &stamp = QDateTime::currentDateTimeUtc());

// The national holidays of `year` and the recurrences on their dates of that year, as single
// all-day events; a recurrence that names the day's holiday is the holiday.
QByteArray yearCalendar(int year, const QStringList &recurrenceLines,
                        const QDateTime &stamp = QDateTime::currentDateTimeUtc());

// The events of an iCalendar file that last whole days and happen once or every year, as
// recurrence lines (the COLOR back as the tag) not yet among `existingLines`. A series whose
// last day is before `today` is skipped. A file that is not UTF-8 is read as Windows-1252.
RecurrenceImport importRecurrences(const QByteArray &ics, const QStringList &existingLines,
                                   const QDate &today = QDate::currentDate());

} // namespace velaria
