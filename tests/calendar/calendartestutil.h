#pragma once

#include "colour.h"
#include "recurrences.h"

#include <QDate>
#include <QList>
#include <QMetaType>
#include <QPair>
#include <QString>

#include <array>
#include <optional>

// Helpers shared by the calendar tests: readable colour texts for QCOMPARE messages, second and
// independent answers for Easter and the month grid, and what a recurrence line changed.
Q_DECLARE_METATYPE(velaria::Rgb)
Q_DECLARE_METATYPE(std::optional<velaria::Rgb>)

namespace velaria::testutil {

inline QString colourText(Rgb colour)
{
    return QStringLiteral("rgb(%1,%2,%3)").arg(colour.red).arg(colour.green).arg(colour.blue);
}

inline QString colourText(const std::optional<Rgb> &colour)
{
    return colour ? colourText(*colour) : QStringLiteral("no colour");
}

// Gauss's rule for the Gregorian Easter with his two corrections (26 April becomes 19 April,
// 25 April becomes 18 April when the Paschal full moon would otherwise come too late).
inline QDate gaussEaster(int year)
{
    const int a = year % 19;
    const int b = year % 4;
    const int c = year % 7;
    const int k = year / 100;
    const int p = (13 + 8 * k) / 25;
    const int q = k / 4;
    const int m = (15 - p + k - q) % 30;
    const int n = (4 + k - q) % 7;
    const int d = (19 * a + m) % 30;
    const int e = (2 * b + 4 * c + 6 * d + n) % 7;
    if (d == 29 && e == 6)
        return QDate(year, 4, 19);
    if (d == 28 && e == 6 && (11 * m + 11) % 30 < 19)
        return QDate(year, 4, 18);
    if (22 + d + e <= 31)
        return QDate(year, 3, 22 + d + e);
    return QDate(year, 4, d + e - 9);
}

// The grid row of every day of a month, counted on a real calendar: the 1st is in row 0 and
// each Monday after it opens a new row.
inline std::array<int, 32> gridRows(int year, int month)
{
    std::array<int, 32> rows{};
    for (int day = 2; day <= QDate(year, month, 1).daysInMonth(); ++day)
        rows[day] = rows[day - 1] + (QDate(year, month, day).dayOfWeek() == Qt::Monday ? 1 : 0);
    return rows;
}

// Column of the day before the 1st, Monday first (6 for a Sunday).
inline int gridOffsetOf(int year, int month)
{
    return QDate(year, month, 1).addDays(-1).dayOfWeek() - 1;
}

// The (day, month) cells, days 0 to 31 by months 0 to 12, whose text differs between tables.
inline QList<QPair<int, int>> changedCells(const RecurrenceTable &before,
                                           const RecurrenceTable &after)
{
    QList<QPair<int, int>> changed;
    for (int day = 0; day < RecurrenceTable::DayCount; ++day) {
        for (int month = 0; month < RecurrenceTable::MonthCount; ++month) {
            if (before.cell(day, month) != after.cell(day, month))
                changed.append({day, month});
        }
    }
    return changed;
}

// A table whose ordinary cells all hold a marker, so that any stray write shows.
inline RecurrenceTable markedTable()
{
    RecurrenceTable table;
    for (int day = 1; day <= 31; ++day)
        for (int month = 1; month <= 12; ++month)
            table.setCell(day, month, QStringLiteral("marker %1/%2").arg(day).arg(month));
    return table;
}

} // namespace velaria::testutil
