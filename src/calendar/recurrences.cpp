#include "recurrences.h"

namespace velaria {

namespace {

bool inTable(int day, int month)
{
    return day >= 0 && day < RecurrenceTable::DayCount && month >= 0 &&
           month < RecurrenceTable::MonthCount;
}

// A two-character field as a whole number, as the old files were read: blanks around it and a
// sign are accepted, anything else is no number.
std::optional<int> fieldNumber(QStringView field)
{
    bool ok = false;
    const int value = field.trimmed().toInt(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

struct Tag
{
    QStringView marker;
    Rgb colour;
};

constexpr std::array<Tag, 4> Tags = {{{u"<b>", colours::TagBlue},
                                      {u"<v>", colours::TagGreen},
                                      {u"<a>", colours::TagOrange},
                                      {u"<g>", colours::TagYellow}}};

} // namespace

QString RecurrenceTable::cell(int day, int month) const
{
    if (!inTable(day, month))
        return {};
    return m_cells[static_cast<std::size_t>(index(day, month))];
}

void RecurrenceTable::setCell(int day, int month, const QString &text)
{
    if (inTable(day, month))
        m_cells[static_cast<std::size_t>(index(day, month))] = text;
}

void RecurrenceTable::clear()
{
    for (int month = 1; month < MonthCount; ++month) {
        for (int day = 1; day < DayCount; ++day)
            m_cells[static_cast<std::size_t>(index(day, month))].clear();
    }
}

bool RecurrenceTable::readLine(QStringView line)
{
    if (line.size() < 8)
        return false;
    const std::optional<int> month = fieldNumber(line.mid(0, 2));
    const std::optional<int> day = fieldNumber(line.mid(3, 2));
    if (!month || !day || !inTable(*day, *month))
        return false;
    setCell(*day, *month, line.mid(8).toString());
    return true;
}

void RecurrenceTable::readLines(const QStringList &lines)
{
    for (const QString &line : lines)
        readLine(line);
}

Recurrence recurrenceFromText(const QString &text)
{
    for (const Tag &tag : Tags) {
        if (text.contains(tag.marker)) {
            QString cleaned = text;
            cleaned.remove(tag.marker.toString());
            return {tag.colour, cleaned};
        }
    }
    return {colours::TagDefault, text};
}

std::optional<Recurrence> recurrenceOn(const RecurrenceTable &table, int day, int month)
{
    const QString text = table.cell(day, month);
    if (text.isEmpty())
        return std::nullopt;
    return recurrenceFromText(text);
}

QString recurrenceLine(int month, int day, const QString &text)
{
    return QStringLiteral("%1/%2 - %3")
        .arg(month, 2, 10, QLatin1Char('0'))
        .arg(day, 2, 10, QLatin1Char('0'))
        .arg(text);
}

} // namespace velaria
