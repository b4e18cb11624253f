#include "calendardate.h"

#include <QRegularExpression>

namespace velaria {

bool IsSupportedDate(const QDate &date)
{
    return date.isValid() && date.year() >= FirstYear && date.year() <= LastYear;
}

bool IsLeapYearA(int yr)
{
    if (yr % 4 != 0)
        return false;
    return yr % 400 == 0 || yr % 100 > 0;
}

int MonthLength(int year, int month)
{
    static constexpr std::array<int, 12> lengths = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && IsLeapYearA(year))
        return 29;
    return lengths.at(static_cast<std::size_t>(month - 1));
}

int MondayColumn(const QDate &date)
{
    return date.dayOfWeek() - 1; // Qt counts Monday 1 to Sunday 7
}

GridCell GridPlace(int year, int month, int day)
{
    const int o = MondayColumn(QDate(year, month, 1)) - 1;
    const int i = o + day;
    return {i % 7, i / 7};
}

int GridOffset(int year, int month)
{
    const int o = MondayColumn(QDate(year, month, 1)) - 1;
    return o < 0 ? 6 : o;
}

QDate AddMonths(const QDate &date, int months)
{
    const long long index = date.year() * 12LL + (date.month() - 1) + months;
    if (index < FirstYear * 12LL || index >= (LastYear + 1) * 12LL)
        return {};
    const int year = static_cast<int>(index / 12);
    const int month = static_cast<int>(index % 12) + 1;
    return QDate(year, month, std::min(date.day(), MonthLength(year, month)));
}

QString MonthCaption(const QDate &date)
{
    return MonthNames.at(static_cast<std::size_t>(date.month() - 1)).toString() +
           QStringLiteral("  ") + QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0'));
}

int MonthFromCaption(QStringView caption)
{
    const QStringView key = caption.left(3);
    for (std::size_t i = 0; i < MonthKeys.size(); ++i) {
        if (key == MonthKeys[i])
            return static_cast<int>(i) + 1;
    }
    return 0;
}

QString DateText(const QDate &date)
{
    return QStringLiteral("%1/%2/%3")
        .arg(date.day(), 2, 10, QLatin1Char('0'))
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(date.year(), 4, 10, QLatin1Char('0'));
}

QDate ParseDateEntry(QStringView text)
{
    static const QRegularExpression form(
        QStringLiteral(R"(^\s*(\d{1,2})[/\-. ](\d{1,2})[/\-. ](\d{4})\s*$)"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return {};
    const QDate date(match.captured(3).toInt(), match.captured(2).toInt(),
                     match.captured(1).toInt());
    return IsSupportedDate(date) ? date : QDate();
}

} // namespace velaria
