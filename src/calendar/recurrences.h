#pragma once

#include "colour.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <optional>

// The user's yearly recurrences: the table of texts by day and month and the colour tags.
namespace velaria {

// Text cells by day 0 to 31 and month 0 to 12. Only days 1 to 31 of months 1 to 12 are ever
// filled; a cell holds the entry text exactly as written after the date, tags included.
class RecurrenceTable
{
public:
    static constexpr int DayCount = 32;
    static constexpr int MonthCount = 13;

    // Empty for a day or month outside the table.
    QString cell(int day, int month) const;
    void setCell(int day, int month, const QString &text);

    // Empties days 1 to 31 of months 1 to 12.
    void clear();

    // A file line "MM/DD - text" into its cell. Only characters 1-2 (month) and 4-5 (day) are
    // read; a line shorter than 8 characters, or whose day or month is not a number of the
    // table, writes nothing. Returns whether a cell was written.
    bool readLine(QStringView line);

    // Every line in order: a later line for the same date replaces the earlier text.
    void readLines(const QStringList &lines);

private:
    static int index(int day, int month) { return day * MonthCount + month; }
    std::array<QString, DayCount * MonthCount> m_cells;
};

struct Recurrence
{
    Rgb colour;
    QString text; // with the deciding tag removed
};

// The colour chosen by the first tag found among "<b>", "<v>", "<a>", "<g>" (in this order)
// and the text without every occurrence of that tag; red and the text unchanged without tags.
Recurrence recurrenceFromText(const QString &text);

// The recurrence of a day, or nothing when its cell is empty or outside the table.
std::optional<Recurrence> recurrenceOn(const RecurrenceTable &table, int day, int month);

// The whole line the editor inserts: month and day with at least two digits, " - ", text.
QString recurrenceLine(int month, int day, const QString &text);

} // namespace velaria
