#include "holidays.h"

#include "calendardate.h"

namespace velaria {

QDate easterSunday(int year)
{
    const int a = year % 19;
    const int b = year / 100;
    const int c = year % 100;
    const int d = b / 4;
    const int e = b % 4;
    const int f = (b + 8) / 25;
    const int g = (b - f + 1) / 3;
    const int h = (19 * a + b - d - g + 15) % 30;
    const int i = c / 4;
    const int k = c % 4;
    const int l = (32 + 2 * e + 2 * i - h - k) % 7;
    const int m = (a + 11 * h + 22 * l) / 451;
    const int n = h + l - 7 * m + 114;
    return QDate(year, n / 31, n % 31 + 1);
}

namespace {

Holiday fixed(int day, const QString &name, const QString &pageLabel)
{
    const QString dayText = day == 1 ? QStringLiteral("1°") : QString::number(day);
    return {dayText + u' ' + name, pageLabel};
}

Holiday fixed(int day, const QString &name)
{
    return fixed(day, name, name);
}

Holiday moveable(int day, const QString &name)
{
    return {QString::number(day) + u' ' + name, name};
}

} // namespace

std::optional<Holiday> nationalHoliday(const QDate &date)
{
    const int day = date.day();
    // Easter falls between 22 March and 25 April, its Monday a day later.
    if (date.month() == 3 || date.month() == 4) {
        const QDate easter = easterSunday(date.year());
        if (date == easter)
            return moveable(day, QStringLiteral("Pasqua"));
        if (date == easter.addDays(1))
            return moveable(day, QStringLiteral("Lunedì dell'Angelo"));
    }
    switch (date.month()) {
    case 1:
        if (day == 1)
            return fixed(1, QStringLiteral("Capodanno"));
        if (day == 6)
            return fixed(6, QStringLiteral("Epifania"));
        break;
    case 4:
        if (day == 25)
            return fixed(25, QStringLiteral("Liberazione"));
        break;
    case 5:
        if (day == 1)
            return fixed(1, QStringLiteral("Festa dei Lavoratori"),
                         QStringLiteral("Festa dei lavoratori"));
        break;
    case 6:
        if (day == 2)
            return fixed(2, QStringLiteral("Festa della Repubblica"));
        break;
    case 8:
        if (day == 15)
            return fixed(15, QStringLiteral("Ferragosto"));
        break;
    case 10:
        // The feast of Saint Francis, patron of Italy, is a national holiday from 2026 on
        // (law 151 of 8 October 2025).
        if (day == 4 && date.year() >= SanFrancescoFromYear)
            return fixed(4, QStringLiteral("San Francesco d'Assisi"));
        break;
    case 11:
        if (day == 1)
            return fixed(1, QStringLiteral("Tutti i Santi"));
        break;
    case 12:
        if (day == 8)
            return fixed(8, QStringLiteral("Immacolata Concezione"));
        if (day == 25)
            return fixed(25, QStringLiteral("Natale"));
        if (day == 26)
            return fixed(26, QStringLiteral("Santo Stefano"));
        break;
    default:
        break;
    }
    return std::nullopt;
}

GridDayMark gridDayMark(const RecurrenceTable &table, const QDate &date)
{
    GridDayMark mark;
    if (const std::optional<Holiday> holiday = nationalHoliday(date)) {
        mark.colour = colours::Holiday;
        mark.lineItems.append(holiday->monthLineText);
    } else {
        mark.colour = mondayColumn(date) == 6 ? colours::Sunday : colours::Ordinary;
    }
    if (const std::optional<Recurrence> own = recurrenceOn(table, date.day(), date.month())) {
        mark.colour = own->colour;
        mark.lineItems.append(QString::number(date.day()) + u' ' + own->text);
    }
    return mark;
}

PageDayMark pageDayMark(const RecurrenceTable &table, const QDate &date)
{
    PageDayMark mark;
    if (const std::optional<Holiday> holiday = nationalHoliday(date)) {
        mark.colour = colours::Holiday;
        mark.label = holiday->pageLabel;
    }
    if (const std::optional<Recurrence> own = recurrenceOn(table, date.day(), date.month())) {
        mark.colour = own->colour;
        mark.label = own->text;
    }
    return mark;
}

} // namespace velaria
