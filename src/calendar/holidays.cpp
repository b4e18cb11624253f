#include "holidays.h"

#include "calendardate.h"

namespace velaria {

EasterDate EasterSunday(int year)
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
    return {n / 31, n % 31 + 1};
}

EasterValues EasterDays(int year)
{
    const EasterDate easter = EasterSunday(year);
    EasterValues values;
    if (easter.month == 3) {
        values.sundayInMarch = easter.day;
        if (easter.day == 31)
            values.mondayInApril = 1;
        else
            values.mondayInMarch = easter.day + 1;
    } else {
        values.sundayInApril = easter.day;
        values.mondayInApril = easter.day + 1;
    }
    return values;
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

Holiday easterSunday(int day)
{
    return {QString::number(day) + QStringLiteral(" Pasqua"), QStringLiteral("Pasqua")};
}

Holiday easterMonday(int day)
{
    return {QString::number(day) + QStringLiteral(" Lunedì dell'Angelo"),
            QStringLiteral("Lunedì dell'Angelo")};
}

} // namespace

std::optional<Holiday> NationalHoliday(int year, int month, int day)
{
    // Each month's holidays in the order they are tried; the first match wins, so an Easter
    // on 25 April hides the Liberation day.
    switch (month) {
    case 1:
        if (day == 1)
            return fixed(1, QStringLiteral("Capodanno"));
        if (day == 6)
            return fixed(6, QStringLiteral("Epifania"));
        break;
    case 3: {
        const EasterValues easter = EasterDays(year);
        if (day == easter.sundayInMarch)
            return easterSunday(day);
        if (day == easter.mondayInMarch)
            return easterMonday(day);
        break;
    }
    case 4: {
        const EasterValues easter = EasterDays(year);
        if (day == easter.sundayInApril)
            return easterSunday(day);
        if (day == easter.mondayInApril)
            return easterMonday(day);
        if (day == 25)
            return fixed(25, QStringLiteral("Liberazione"));
        break;
    }
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
        if (day == 4 && year >= SanFrancescoFromYear)
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

GridDay Festivi(const RecurrenceTable &table, int year, int month, int day, bool sunday)
{
    GridDay result;
    if (const std::optional<Holiday> holiday = NationalHoliday(year, month, day)) {
        result.colour = colours::Holiday;
        result.lineItems.append(holiday->monthLineText);
    } else {
        result.colour = sunday ? colours::Sunday : colours::Ordinary;
    }
    if (const std::optional<Recurrence> own = FestPerso(table, day, month)) {
        result.colour = own->colour;
        result.lineItems.append(QString::number(day) + u' ' + own->text);
    }
    return result;
}

QString FestMese(const RecurrenceTable &table, int year, int month)
{
    QStringList items;
    const int length = MonthLength(year, month);
    for (int day = 1; day <= length; ++day) {
        const bool sunday = MondayColumn(QDate(year, month, day)) == 6;
        items.append(Festivi(table, year, month, day, sunday).lineItems);
    }
    return items.join(QStringLiteral(" - "));
}

PageDay FestiviPagina(const RecurrenceTable &table, int year, int month, int day)
{
    PageDay result;
    if (const std::optional<Holiday> holiday = NationalHoliday(year, month, day)) {
        result.colour = colours::Holiday;
        result.label = holiday->pageLabel;
    }
    if (const std::optional<Recurrence> own = FestPerso(table, day, month)) {
        result.colour = own->colour;
        result.label = own->text;
    }
    return result;
}

} // namespace velaria
