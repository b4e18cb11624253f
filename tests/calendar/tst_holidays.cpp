#include "calendardate.h"
#include "calendartestutil.h"
#include "holidays.h"
#include "recurrences.h"

#include <QDate>
#include <QTest>

using namespace velaria;
using namespace Qt::StringLiterals;
using velaria::testutil::colourText;
using velaria::testutil::gaussEaster;

namespace {

RecurrenceTable tableOf(const QStringList &lines)
{
    RecurrenceTable table;
    table.readLines(lines);
    return table;
}

bool isSunday(int year, int month, int day)
{
    return QDate(year, month, day).dayOfWeek() == Qt::Sunday;
}

} // namespace

// Easter, the national holidays and what they make of a day in the month line and on the page.
class TestHolidays : public QObject
{
    Q_OBJECT

private slots:
    void easterPublishedDates_data();
    void easterPublishedDates();
    void easterAgreesWithGaussForEveryYear();
    void easterIsASundayBetween22MarchAnd25April();

    void easterDays_data();
    void easterDays();
    void easterDaysForEveryYear();

    void nationalHoliday_data();
    void nationalHoliday();
    void sanFrancescoFrom2026();

    void festivi_data();
    void festivi();

    void festMese_data();
    void festMese();
    void liberazioneGivesWayToEasterInEveryYear();

    void festiviPagina_data();
    void festiviPagina();
};

void TestHolidays::easterPublishedDates_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<QDate>("easter");

    QTest::newRow("2024 on the last day of March") << 2024 << QDate(2024, 3, 31);
    QTest::newRow("2011 the day before Liberazione") << 2011 << QDate(2011, 4, 24);
    QTest::newRow("2038 on Liberazione, latest possible") << 2038 << QDate(2038, 4, 25);
    QTest::newRow("2285 earliest possible") << 2285 << QDate(2285, 3, 22);
    QTest::newRow("2025") << 2025 << QDate(2025, 4, 20);
    QTest::newRow("2000") << 2000 << QDate(2000, 4, 23);
    QTest::newRow("2008 early March") << 2008 << QDate(2008, 3, 23);
    QTest::newRow("1818 earliest possible") << 1818 << QDate(1818, 3, 22);
    QTest::newRow("1943 latest possible") << 1943 << QDate(1943, 4, 25);
    QTest::newRow("1981 moved from 26 to 19 April") << 1981 << QDate(1981, 4, 19);
    QTest::newRow("1954 moved from 25 to 18 April") << 1954 << QDate(1954, 4, 18);
    QTest::newRow("2049 moved from 25 to 18 April") << 2049 << QDate(2049, 4, 18);
    QTest::newRow("2076 moved from 26 to 19 April") << 2076 << QDate(2076, 4, 19);
    QTest::newRow("1583 first Gregorian Easter") << 1583 << QDate(1583, 4, 10);
}

void TestHolidays::easterPublishedDates()
{
    QFETCH(int, year);
    QFETCH(QDate, easter);

    const EasterDate got = EasterSunday(year);
    QCOMPARE(got.month, easter.month());
    QCOMPARE(got.day, easter.day());
}

void TestHolidays::easterAgreesWithGaussForEveryYear()
{
    // The same Gregorian rule is applied to every year alike, also before 1583.
    for (int year = FirstYear; year <= LastYear; ++year) {
        const QDate expected = gaussEaster(year);
        const EasterDate got = EasterSunday(year);
        if (got.month != expected.month() || got.day != expected.day())
            QFAIL(qPrintable(QStringLiteral("%1: got %2/%3, expected %4")
                                 .arg(year)
                                 .arg(got.day)
                                 .arg(got.month)
                                 .arg(expected.toString(QStringLiteral("d/M")))));
    }
}

void TestHolidays::easterIsASundayBetween22MarchAnd25April()
{
    for (int year = FirstYear; year <= LastYear; ++year) {
        const EasterDate got = EasterSunday(year);
        const QDate date(year, got.month, got.day);
        if (!date.isValid() || date.dayOfWeek() != Qt::Sunday || date < QDate(year, 3, 22) ||
            date > QDate(year, 4, 25))
            QFAIL(qPrintable(QStringLiteral("%1: %2/%3").arg(year).arg(got.day).arg(got.month)));
    }
}

void TestHolidays::easterDays_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("sundayInMarch");
    QTest::addColumn<int>("mondayInMarch");
    QTest::addColumn<int>("sundayInApril");
    QTest::addColumn<int>("mondayInApril");

    QTest::newRow("2024: Sunday 31 March, Monday 1 April") << 2024 << 31 << 0 << 0 << 1;
    QTest::newRow("2285: both on 22 and 23 March") << 2285 << 22 << 23 << 0 << 0;
    QTest::newRow("2008: both in March") << 2008 << 23 << 24 << 0 << 0;
    QTest::newRow("2011: both in April, Monday on the 25th") << 2011 << 0 << 0 << 24 << 25;
    QTest::newRow("2038: Sunday on the 25th") << 2038 << 0 << 0 << 25 << 26;
    QTest::newRow("2025: both in April") << 2025 << 0 << 0 << 20 << 21;
}

void TestHolidays::easterDays()
{
    QFETCH(int, year);
    QFETCH(int, sundayInMarch);
    QFETCH(int, mondayInMarch);
    QFETCH(int, sundayInApril);
    QFETCH(int, mondayInApril);

    const EasterValues values = EasterDays(year);
    QCOMPARE(values.sundayInMarch, sundayInMarch);
    QCOMPARE(values.mondayInMarch, mondayInMarch);
    QCOMPARE(values.sundayInApril, sundayInApril);
    QCOMPARE(values.mondayInApril, mondayInApril);
}

void TestHolidays::easterDaysForEveryYear()
{
    for (int year = FirstYear; year <= LastYear; ++year) {
        const QDate sunday = gaussEaster(year);
        const QDate monday = sunday.addDays(1);
        const EasterValues values = EasterDays(year);
        const bool ok = values.sundayInMarch == (sunday.month() == 3 ? sunday.day() : 0) &&
                        values.sundayInApril == (sunday.month() == 4 ? sunday.day() : 0) &&
                        values.mondayInMarch == (monday.month() == 3 ? monday.day() : 0) &&
                        values.mondayInApril == (monday.month() == 4 ? monday.day() : 0);
        if (!ok)
            QFAIL(qPrintable(QString::number(year)));
    }
}

void TestHolidays::nationalHoliday_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<bool>("holiday");
    QTest::addColumn<QString>("monthLineText");
    QTest::addColumn<QString>("pageLabel");

    QTest::newRow("1 January") << QDate(2024, 1, 1) << true << QStringLiteral("1° Capodanno")
                               << QStringLiteral("Capodanno");
    QTest::newRow("6 January") << QDate(2024, 1, 6) << true << QStringLiteral("6 Epifania")
                               << QStringLiteral("Epifania");
    QTest::newRow("25 April") << QDate(2024, 4, 25) << true << QStringLiteral("25 Liberazione")
                              << QStringLiteral("Liberazione");
    QTest::newRow("1 May, capital L in the line, small l on the page")
        << QDate(2024, 5, 1) << true << QStringLiteral("1° Festa dei Lavoratori")
        << QStringLiteral("Festa dei lavoratori");
    QTest::newRow("2 June") << QDate(2024, 6, 2) << true
                            << QStringLiteral("2 Festa della Repubblica")
                            << QStringLiteral("Festa della Repubblica");
    QTest::newRow("15 August") << QDate(2024, 8, 15) << true << QStringLiteral("15 Ferragosto")
                               << QStringLiteral("Ferragosto");
    QTest::newRow("1 November") << QDate(2024, 11, 1) << true << QStringLiteral("1° Tutti i Santi")
                                << QStringLiteral("Tutti i Santi");
    QTest::newRow("8 December") << QDate(2024, 12, 8) << true
                                << QStringLiteral("8 Immacolata Concezione")
                                << QStringLiteral("Immacolata Concezione");
    QTest::newRow("25 December") << QDate(2024, 12, 25) << true << QStringLiteral("25 Natale")
                                 << QStringLiteral("Natale");
    QTest::newRow("26 December") << QDate(2024, 12, 26) << true
                                 << QStringLiteral("26 Santo Stefano")
                                 << QStringLiteral("Santo Stefano");
    QTest::newRow("Easter on 31 March, no degree sign")
        << QDate(2024, 3, 31) << true << QStringLiteral("31 Pasqua") << QStringLiteral("Pasqua");
    QTest::newRow("Easter Monday on 1 April, no degree sign")
        << QDate(2024, 4, 1) << true << QStringLiteral("1 Lunedì dell'Angelo")
        << QStringLiteral("Lunedì dell'Angelo");
    QTest::newRow("Easter Monday 2011 wins over Liberazione")
        << QDate(2011, 4, 25) << true << QStringLiteral("25 Lunedì dell'Angelo")
        << QStringLiteral("Lunedì dell'Angelo");
    QTest::newRow("Easter 2038 wins over Liberazione")
        << QDate(2038, 4, 25) << true << QStringLiteral("25 Pasqua") << QStringLiteral("Pasqua");
    QTest::newRow("Easter Monday 2038")
        << QDate(2038, 4, 26) << true << QStringLiteral("26 Lunedì dell'Angelo")
        << QStringLiteral("Lunedì dell'Angelo");
    QTest::newRow("Easter 2285 on 22 March")
        << QDate(2285, 3, 22) << true << QStringLiteral("22 Pasqua") << QStringLiteral("Pasqua");
    QTest::newRow("Easter Monday 2285 on 23 March")
        << QDate(2285, 3, 23) << true << QStringLiteral("23 Lunedì dell'Angelo")
        << QStringLiteral("Lunedì dell'Angelo");
    QTest::newRow("4 October 2026 San Francesco")
        << QDate(2026, 10, 4) << true << QStringLiteral("4 San Francesco d'Assisi")
        << QStringLiteral("San Francesco d'Assisi");
    QTest::newRow("4 October 9999 San Francesco")
        << QDate(9999, 10, 4) << true << QStringLiteral("4 San Francesco d'Assisi")
        << QStringLiteral("San Francesco d'Assisi");

    QTest::newRow("4 October 2025 not yet a holiday")
        << QDate(2025, 10, 4) << false << QString() << QString();
    QTest::newRow("Easter Saturday") << QDate(2024, 3, 30) << false << QString() << QString();
    QTest::newRow("Tuesday after Easter") << QDate(2024, 4, 2) << false << QString() << QString();
    QTest::newRow("31 March when Easter is in April")
        << QDate(2025, 3, 31) << false << QString() << QString();
    QTest::newRow("1 April when Easter is in April")
        << QDate(2025, 4, 1) << false << QString() << QString();
    QTest::newRow("14 February") << QDate(2024, 2, 14) << false << QString() << QString();
    QTest::newRow("2 January") << QDate(2024, 1, 2) << false << QString() << QString();
    QTest::newRow("1 June") << QDate(2024, 6, 1) << false << QString() << QString();
    QTest::newRow("1 December") << QDate(2024, 12, 1) << false << QString() << QString();
    QTest::newRow("2 November") << QDate(2024, 11, 2) << false << QString() << QString();
    QTest::newRow("Sunday 4 February is no holiday")
        << QDate(2024, 2, 4) << false << QString() << QString();
}

void TestHolidays::nationalHoliday()
{
    QFETCH(QDate, date);
    QFETCH(bool, holiday);
    QFETCH(QString, monthLineText);
    QFETCH(QString, pageLabel);

    const std::optional<Holiday> got = NationalHoliday(date.year(), date.month(), date.day());
    QCOMPARE(got.has_value(), holiday);
    if (holiday) {
        QCOMPARE(got->monthLineText, monthLineText);
        QCOMPARE(got->pageLabel, pageLabel);
    }
}

void TestHolidays::sanFrancescoFrom2026()
{
    // 4 October became a national holiday in 2026; it is the only holiday of October.
    const RecurrenceTable none;
    for (int year = FirstYear; year <= LastYear; ++year) {
        const bool expected = year >= 2026;
        if (NationalHoliday(year, 10, 4).has_value() != expected)
            QFAIL(qPrintable(QStringLiteral("4 October %1").arg(year)));
        const QString line = FestMese(none, year, 10);
        if (line != (expected ? QStringLiteral("4 San Francesco d'Assisi") : QString()))
            QFAIL(qPrintable(QStringLiteral("October %1: \"%2\"").arg(year).arg(line)));
    }
}

void TestHolidays::festivi_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QStringList>("recurrences");
    QTest::addColumn<Rgb>("colour");
    QTest::addColumn<QStringList>("items");

    const QStringList none;
    QTest::newRow("Christmas on a Wednesday is red")
        << QDate(2024, 12, 25) << none << colours::Holiday << QStringList{"25 Natale"};
    QTest::newRow("Christmas on a Sunday is red, not dark red")
        << QDate(2022, 12, 25) << none << colours::Holiday << QStringList{"25 Natale"};
    QTest::newRow("1 January on a Sunday is red")
        << QDate(2023, 1, 1) << none << colours::Holiday << QStringList{u"1° Capodanno"_s};
    QTest::newRow("8 December on a Sunday is red")
        << QDate(2024, 12, 8) << none << colours::Holiday << QStringList{"8 Immacolata Concezione"};
    QTest::newRow("Sunday in February is dark red")
        << QDate(2024, 2, 4) << none << colours::Sunday << QStringList{};
    QTest::newRow("Monday in February is black")
        << QDate(2024, 2, 5) << none << colours::Ordinary << QStringList{};
    QTest::newRow("Saturday is black")
        << QDate(2024, 2, 10) << none << colours::Ordinary << QStringList{};
    QTest::newRow("Easter Sunday is red")
        << QDate(2024, 3, 31) << none << colours::Holiday << QStringList{"31 Pasqua"};
    QTest::newRow("Easter Monday is red")
        << QDate(2024, 4, 1) << none << colours::Holiday << QStringList{u"1 Lunedì dell'Angelo"_s};
    QTest::newRow("4 October 2025, a Saturday, is black")
        << QDate(2025, 10, 4) << none << colours::Ordinary << QStringList{};
    QTest::newRow("4 October 2020, a Sunday, is only dark red")
        << QDate(2020, 10, 4) << none << colours::Sunday << QStringList{};
    QTest::newRow("4 October 2026, a Sunday, is red")
        << QDate(2026, 10, 4) << none << colours::Holiday
        << QStringList{"4 San Francesco d'Assisi"};
    QTest::newRow("4 October 2027, a Monday, is red")
        << QDate(2027, 10, 4) << none << colours::Holiday
        << QStringList{"4 San Francesco d'Assisi"};

    QTest::newRow("green recurrence on an ordinary day")
        << QDate(2024, 2, 5) << QStringList{"02/05 - Compleanno <v>"} << colours::TagGreen
        << QStringList{"5 Compleanno "};
    QTest::newRow("untagged recurrence is red")
        << QDate(2024, 2, 6) << QStringList{"02/06 - Anniversario"} << colours::TagDefault
        << QStringList{"6 Anniversario"};
    QTest::newRow("blue recurrence replaces a Sunday's dark red")
        << QDate(2024, 2, 4) << QStringList{"02/04 - Gita <b>"} << colours::TagBlue
        << QStringList{"4 Gita "};
    QTest::newRow("recurrence on Christmas follows the holiday")
        << QDate(2024, 12, 25) << QStringList{"12/25 - Cena di Natale <v>"} << colours::TagGreen
        << QStringList{"25 Natale", "25 Cena di Natale "};
    QTest::newRow("orange recurrence on 1 May")
        << QDate(2024, 5, 1) << QStringList{"05/01 - Corteo <a>"} << colours::TagOrange
        << QStringList{u"1° Festa dei Lavoratori"_s, "1 Corteo "};
    QTest::newRow("yellow recurrence") << QDate(2024, 7, 9) << QStringList{"07/09 - <g>Sagra"}
                                       << colours::TagYellow << QStringList{"9 Sagra"};
    QTest::newRow("later of two lines for 1 May wins")
        << QDate(2024, 5, 1) << QStringList{"05/01 - A", "05/01 - B"} << colours::TagDefault
        << QStringList{u"1° Festa dei Lavoratori"_s, "1 B"};
    QTest::newRow("empty recurrence text leaves the Sunday colour")
        << QDate(2024, 2, 4) << QStringList{"02/04 - "} << colours::Sunday << QStringList{};
    QTest::newRow("recurrence of another month does not count")
        << QDate(2024, 2, 5) << QStringList{"03/05 - Altro mese <b>"} << colours::Ordinary
        << QStringList{};
    QTest::newRow("recurrence of another day does not count")
        << QDate(2024, 2, 5) << QStringList{"02/06 - Altro giorno <b>"} << colours::Ordinary
        << QStringList{};
}

void TestHolidays::festivi()
{
    QFETCH(QDate, date);
    QFETCH(QStringList, recurrences);
    QFETCH(Rgb, colour);
    QFETCH(QStringList, items);

    const GridDay got = Festivi(tableOf(recurrences), date.year(), date.month(), date.day(),
                                isSunday(date.year(), date.month(), date.day()));
    QCOMPARE(colourText(got.colour), colourText(colour));
    QCOMPARE(got.lineItems, items);
}

void TestHolidays::festMese_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<QStringList>("recurrences");
    QTest::addColumn<QString>("line");

    const QStringList none;
    QTest::newRow("January") << 2024 << 1 << none << u"1° Capodanno - 6 Epifania"_s;
    QTest::newRow("February has no holiday") << 2024 << 2 << none << QString();
    QTest::newRow("March 2024 ends with Easter")
        << 2024 << 3 << none << QStringLiteral("31 Pasqua");
    QTest::newRow("April 2024 begins with Easter Monday")
        << 2024 << 4 << none << u"1 Lunedì dell'Angelo - 25 Liberazione"_s;
    QTest::newRow("April 2011 Easter Monday on the 25th, no Liberazione")
        << 2011 << 4 << none << u"24 Pasqua - 25 Lunedì dell'Angelo"_s;
    QTest::newRow("April 2038 Easter on the 25th, no Liberazione")
        << 2038 << 4 << none << u"25 Pasqua - 26 Lunedì dell'Angelo"_s;
    QTest::newRow("April 2025 Easter before Liberazione")
        << 2025 << 4 << none << u"20 Pasqua - 21 Lunedì dell'Angelo - 25 Liberazione"_s;
    QTest::newRow("March 2025 without Easter") << 2025 << 3 << none << QString();
    QTest::newRow("March 2285 earliest Easter")
        << 2285 << 3 << none << u"22 Pasqua - 23 Lunedì dell'Angelo"_s;
    QTest::newRow("April 2285 only Liberazione")
        << 2285 << 4 << none << QStringLiteral("25 Liberazione");
    QTest::newRow("May") << 2024 << 5 << none << u"1° Festa dei Lavoratori"_s;
    QTest::newRow("June") << 2024 << 6 << none << QStringLiteral("2 Festa della Repubblica");
    QTest::newRow("July has no holiday") << 2024 << 7 << none << QString();
    QTest::newRow("August") << 2024 << 8 << none << QStringLiteral("15 Ferragosto");
    QTest::newRow("September has no holiday") << 2024 << 9 << none << QString();
    QTest::newRow("October 2025 has no holiday") << 2025 << 10 << none << QString();
    QTest::newRow("October 2026 San Francesco")
        << 2026 << 10 << none << QStringLiteral("4 San Francesco d'Assisi");
    QTest::newRow("November") << 2024 << 11 << none << u"1° Tutti i Santi"_s;
    QTest::newRow("December") << 2024 << 12 << none
                              << QStringLiteral(
                                     "8 Immacolata Concezione - 25 Natale - 26 Santo Stefano");
    QTest::newRow("December of year 1")
        << 1 << 12 << none
        << QStringLiteral("8 Immacolata Concezione - 25 Natale - 26 Santo Stefano");
    QTest::newRow("January of year 9999") << 9999 << 1 << none << u"1° Capodanno - 6 Epifania"_s;

    QTest::newRow("Christmas dinner keeps its trailing blank")
        << 2024 << 12 << QStringList{"12/25 - Cena di Natale <v>"}
        << QStringLiteral(
               "8 Immacolata Concezione - 25 Natale - 25 Cena di Natale  - 26 Santo Stefano");
    QTest::newRow("two lines for 1 May: the later one")
        << 2024 << 5 << QStringList{"05/01 - A", "05/01 - B"} << u"1° Festa dei Lavoratori - 1 B"_s;
    QTest::newRow("recurrences in day order between holidays")
        << 2024 << 1 << QStringList{"01/20 - Venti", "01/03 - Tre <b>"}
        << u"1° Capodanno - 3 Tre  - 6 Epifania - 20 Venti"_s;
    QTest::newRow("recurrence alone in a month without holidays")
        << 2023 << 3 << QStringList{"03/15 - Sagra <v>", "03/02 - Fiera"}
        << QStringLiteral("2 Fiera - 15 Sagra ");
    QTest::newRow("29 February shows in a leap year")
        << 2024 << 2 << QStringList{"02/29 - Bisestile"} << QStringLiteral("29 Bisestile");
    QTest::newRow("29 February is not shown in a common year")
        << 2023 << 2 << QStringList{"02/29 - Bisestile"} << QString();
    QTest::newRow("30 February is never shown")
        << 2024 << 2 << QStringList{"02/30 - Mai"} << QString();
    QTest::newRow("31 April is never shown")
        << 2024 << 4 << QStringList{"04/31 - Mai"} << u"1 Lunedì dell'Angelo - 25 Liberazione"_s;
    QTest::newRow("empty recurrence text adds nothing")
        << 2024 << 5 << QStringList{"05/01 - "} << u"1° Festa dei Lavoratori"_s;
    QTest::newRow("recurrence on the 31st is listed")
        << 2024 << 7 << QStringList{"07/31 - Fine luglio <g>"} << QStringLiteral("31 Fine luglio ");
    QTest::newRow("month 13 line gives nothing")
        << 2024 << 1 << QStringList{"13/01 - Nulla"} << u"1° Capodanno - 6 Epifania"_s;
}

void TestHolidays::festMese()
{
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(QStringList, recurrences);
    QFETCH(QString, line);

    QCOMPARE(FestMese(tableOf(recurrences), year, month), line);
}

void TestHolidays::liberazioneGivesWayToEasterInEveryYear()
{
    // "25 Liberazione" is listed unless Easter Sunday or Easter Monday falls on 25 April.
    const RecurrenceTable none;
    for (int year = FirstYear; year <= LastYear; ++year) {
        const QDate easter = gaussEaster(year);
        const bool easterOn25 = easter == QDate(year, 4, 25) || easter == QDate(year, 4, 24);
        const bool listed = FestMese(none, year, 4).contains(QStringLiteral("25 Liberazione"));
        if (listed == easterOn25)
            QFAIL(qPrintable(QStringLiteral("April %1").arg(year)));
    }
}

void TestHolidays::festiviPagina_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QStringList>("recurrences");
    QTest::addColumn<std::optional<Rgb>>("colour");
    QTest::addColumn<QString>("label");

    const QStringList none;
    const std::optional<Rgb> red = colours::Holiday;
    const std::optional<Rgb> noColour;
    QTest::newRow("1 May small l")
        << QDate(2024, 5, 1) << none << red << QStringLiteral("Festa dei lavoratori");
    QTest::newRow("1 January") << QDate(2024, 1, 1) << none << red << QStringLiteral("Capodanno");
    QTest::newRow("6 January") << QDate(2024, 1, 6) << none << red << QStringLiteral("Epifania");
    QTest::newRow("25 April") << QDate(2024, 4, 25) << none << red << QStringLiteral("Liberazione");
    QTest::newRow("2 June") << QDate(2024, 6, 2) << none << red
                            << QStringLiteral("Festa della Repubblica");
    QTest::newRow("15 August") << QDate(2024, 8, 15) << none << red << QStringLiteral("Ferragosto");
    QTest::newRow("1 November") << QDate(2024, 11, 1) << none << red
                                << QStringLiteral("Tutti i Santi");
    QTest::newRow("8 December") << QDate(2024, 12, 8) << none << red
                                << QStringLiteral("Immacolata Concezione");
    QTest::newRow("25 December") << QDate(2024, 12, 25) << none << red << QStringLiteral("Natale");
    QTest::newRow("26 December") << QDate(2024, 12, 26) << none << red
                                 << QStringLiteral("Santo Stefano");
    QTest::newRow("Easter 2024 in March")
        << QDate(2024, 3, 31) << none << red << QStringLiteral("Pasqua");
    QTest::newRow("Easter Monday 2024 in April")
        << QDate(2024, 4, 1) << none << red << u"Lunedì dell'Angelo"_s;
    QTest::newRow("Easter Monday 2011 instead of Liberazione")
        << QDate(2011, 4, 25) << none << red << u"Lunedì dell'Angelo"_s;
    QTest::newRow("Easter 2038 instead of Liberazione")
        << QDate(2038, 4, 25) << none << red << QStringLiteral("Pasqua");
    QTest::newRow("4 October 2026")
        << QDate(2026, 10, 4) << none << red << QStringLiteral("San Francesco d'Assisi");
    QTest::newRow("4 October 2025 ordinary") << QDate(2025, 10, 4) << none << noColour << QString();
    QTest::newRow("ordinary weekday") << QDate(2024, 5, 2) << none << noColour << QString();
    QTest::newRow("Sunday gets no page colour")
        << QDate(2024, 2, 4) << none << noColour << QString();

    QTest::newRow("recurrence replaces Christmas label and colour")
        << QDate(2024, 12, 25) << QStringList{"12/25 - Cena di Natale <v>"}
        << std::optional<Rgb>(colours::TagGreen) << QStringLiteral("Cena di Natale ");
    QTest::newRow("untagged recurrence on an ordinary day is red")
        << QDate(2024, 5, 2) << QStringList{"05/02 - Compleanno"}
        << std::optional<Rgb>(colours::TagDefault) << QStringLiteral("Compleanno");
    QTest::newRow("blue recurrence on a Sunday")
        << QDate(2024, 2, 4) << QStringList{"02/04 - Gita <b>"}
        << std::optional<Rgb>(colours::TagBlue) << QStringLiteral("Gita ");
    QTest::newRow("later of two lines for 1 May")
        << QDate(2024, 5, 1) << QStringList{"05/01 - A <a>", "05/01 - B <g>"}
        << std::optional<Rgb>(colours::TagYellow) << QStringLiteral("B ");
    QTest::newRow("empty recurrence keeps the holiday")
        << QDate(2024, 5, 1) << QStringList{"05/01 - "} << red
        << QStringLiteral("Festa dei lavoratori");
    QTest::newRow("recurrence of another month")
        << QDate(2024, 5, 2) << QStringList{"06/02 - Altro"} << noColour << QString();
}

void TestHolidays::festiviPagina()
{
    QFETCH(QDate, date);
    QFETCH(QStringList, recurrences);
    QFETCH(std::optional<Rgb>, colour);
    QFETCH(QString, label);

    const PageDay got = FestiviPagina(tableOf(recurrences), date.year(), date.month(), date.day());
    QCOMPARE(colourText(got.colour), colourText(colour));
    QCOMPARE(got.label, label);
}

QTEST_GUILESS_MAIN(TestHolidays)
#include "tst_holidays.moc"
