#include "calendardate.h"

#include <QRegularExpression>

#include <cstdlib>

namespace velaria {

bool isSupportedDate(const QDate &date)
{
    return date.isValid() && date.year() >= FirstYear && date.year() <= LastYear;
}

bool isLeapYear(int year)
{
    if (year % 4 != 0)
        return false;
    return year % 400 == 0 || year % 100 > 0;
}

int monthLength(int year, int month)
{
    static constexpr std::array<int, 12> lengths = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && isLeapYear(year))
        return 29;
    return lengths.at(static_cast<std::size_t>(month - 1));
}

int mondayColumn(const QDate &date)
{
    return date.dayOfWeek() - 1; // Qt counts Monday 1 to Sunday 7
}

int gridOffset(int year, int month)
{
    const int before = mondayColumn(QDate(year, month, 1)) - 1;
    return before < 0 ? 6 : before;
}

QString monthName(int month)
{
    return MonthNames.at(static_cast<std::size_t>(month - 1)).toString();
}

QString monthTitle(int month)
{
    const QString name = monthName(month);
    return name.left(1) + name.mid(1).toLower();
}

QString weekdayName(const QDate &date)
{
    return WeekdayNames.at(static_cast<std::size_t>(mondayColumn(date))).toString();
}

QDate addMonths(const QDate &date, int months)
{
    const long long index = date.year() * 12LL + (date.month() - 1) + months;
    if (index < FirstYear * 12LL || index >= (LastYear + 1) * 12LL)
        return {};
    const int year = static_cast<int>(index / 12);
    const int month = static_cast<int>(index % 12) + 1;
    return QDate(year, month, std::min(date.day(), monthLength(year, month)));
}

QString monthCaption(int year, int month)
{
    return monthName(month) + QStringLiteral("  ") +
           QStringLiteral("%1").arg(year, 4, 10, QLatin1Char('0'));
}

QString dateText(const QDate &date)
{
    return QStringLiteral("%1/%2/%3")
        .arg(date.day(), 2, 10, QLatin1Char('0'))
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(date.year(), 4, 10, QLatin1Char('0'));
}

namespace {

// The supported year ending in these two digits that lies nearest to `reference`; of two
// equally near, the earlier one.
int nearestYear(int twoDigits, int reference)
{
    const int century = reference - reference % 100 + twoDigits;
    int best = 0;
    for (int candidate : {century - 100, century, century + 100}) {
        if (candidate < FirstYear || candidate > LastYear)
            continue;
        if (best == 0 || std::abs(candidate - reference) < std::abs(best - reference))
            best = candidate;
    }
    return best;
}

} // namespace

QDate parseDateEntry(QStringView text, const QDate &today)
{
    static const QRegularExpression form(
        QStringLiteral(R"(^\s*(\d{1,2})[/\-. ](\d{1,2})(?:[/\-. ](\d{2}|\d{4}))?\s*$)"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return {};
    const QString yearText = match.captured(3);
    int year = today.year();
    if (yearText.size() == 4)
        year = yearText.toInt();
    else if (yearText.size() == 2)
        year = nearestYear(yearText.toInt(), today.year());
    const QDate date(year, match.captured(2).toInt(), match.captured(1).toInt());
    return isSupportedDate(date) ? date : QDate();
}

} // namespace velaria
