#include "calendardate.h"
#include "calendartestutil.h"
#include "holidays.h"

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

} // namespace

// Easter, the national holidays and what they make of a day in the month line and on the page.
class TestHolidays : public QObject
{
    Q_OBJECT

private slots:
    void easterPublishedDates_data();
    void easterPublishedDates();
    void easterForEveryYear();

    void nationalHoliday_data();
    void nationalHoliday();

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
    QTest::addColumn<QDate>("easter");

    QTest::newRow("2024 on the last day of March") << QDate(2024, 3, 31);
    QTest::newRow("2025") << QDate(2025, 4, 20);
    QTest::newRow("1818 earliest possible") << QDate(1818, 3, 22);
    QTest::newRow("2038 on Liberazione, latest possible") << QDate(2038, 4, 25);
    QTest::newRow("1981 moved from 26 to 19 April") << QDate(1981, 4, 19);
    QTest::newRow("1954 moved from 25 to 18 April") << QDate(1954, 4, 18);
    QTest::newRow("1583 first Gregorian Easter") << QDate(1583, 4, 10);
}

void TestHolidays::easterPublishedDates()
{
    QFETCH(QDate, easter);
    QCOMPARE(EasterSunday(easter.year()), (EasterDate{easter.month(), easter.day()}));
}

void TestHolidays::easterForEveryYear()
{
    // Gauss's rule, applied to every year alike (also before 1583), gives a Sunday from
    // 22 March to 25 April; Easter Monday's day goes to March or to April, 1 April after the
    // 31st of March.
    for (int year = FirstYear; year <= LastYear; ++year) {
        const QDate sunday = gaussEaster(year);
        const QDate monday = sunday.addDays(1);
        const EasterDate got = EasterSunday(year);
        const EasterValues values = EasterDays(year);
        const bool ok = got == EasterDate{sunday.month(), sunday.day()} &&
                        sunday.dayOfWeek() == Qt::Sunday && sunday >= QDate(year, 3, 22) &&
                        sunday <= QDate(year, 4, 25) &&
                        values.sundayInMarch == (sunday.month() == 3 ? sunday.day() : 0) &&
                        values.sundayInApril == (sunday.month() == 4 ? sunday.day() : 0) &&
                        values.mondayInMarch == (monday.month() == 3 ? monday.day() : 0) &&
                        values.mondayInApril == (monday.month() == 4 ? monday.day() : 0);
        if (!ok)
            QFAIL(qPrintable(
                u"%1: got %2/%3, expected %4"_s.arg(year).arg(got.day).arg(got.month).arg(
                    sunday.toString(u"d/M"_s))));
    }
}

void TestHolidays::nationalHoliday_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("monthLineText"); // empty: no holiday
    QTest::addColumn<QString>("pageLabel");

    QTest::newRow("1 January") << QDate(2024, 1, 1) << u"1° Capodanno"_s << u"Capodanno"_s;
    QTest::newRow("6 January") << QDate(2024, 1, 6) << u"6 Epifania"_s << u"Epifania"_s;
    QTest::newRow("25 April") << QDate(2024, 4, 25) << u"25 Liberazione"_s << u"Liberazione"_s;
    QTest::newRow("1 May, capital L in the line, small l on the page")
        << QDate(2024, 5, 1) << u"1° Festa dei Lavoratori"_s << u"Festa dei lavoratori"_s;
    QTest::newRow("2 June") << QDate(2024, 6, 2) << u"2 Festa della Repubblica"_s
                            << u"Festa della Repubblica"_s;
    QTest::newRow("15 August") << QDate(2024, 8, 15) << u"15 Ferragosto"_s << u"Ferragosto"_s;
    QTest::newRow("1 November") << QDate(2024, 11, 1) << u"1° Tutti i Santi"_s
                                << u"Tutti i Santi"_s;
    QTest::newRow("8 December") << QDate(2024, 12, 8) << u"8 Immacolata Concezione"_s
                                << u"Immacolata Concezione"_s;
    QTest::newRow("25 December") << QDate(2024, 12, 25) << u"25 Natale"_s << u"Natale"_s;
    QTest::newRow("26 December") << QDate(2024, 12, 26) << u"26 Santo Stefano"_s
                                 << u"Santo Stefano"_s;
    QTest::newRow("Easter on 31 March, no degree sign")
        << QDate(2024, 3, 31) << u"31 Pasqua"_s << u"Pasqua"_s;
    QTest::newRow("Easter Monday on 1 April, no degree sign")
        << QDate(2024, 4, 1) << u"1 Lunedì dell'Angelo"_s << u"Lunedì dell'Angelo"_s;
    QTest::newRow("Easter Monday 2011 wins over Liberazione")
        << QDate(2011, 4, 25) << u"25 Lunedì dell'Angelo"_s << u"Lunedì dell'Angelo"_s;
    QTest::newRow("Easter 2038 wins over Liberazione")
        << QDate(2038, 4, 25) << u"25 Pasqua"_s << u"Pasqua"_s;
    QTest::newRow("Easter Monday 2285 on 23 March")
        << QDate(2285, 3, 23) << u"23 Lunedì dell'Angelo"_s << u"Lunedì dell'Angelo"_s;
    QTest::newRow("4 October 2026 San Francesco")
        << QDate(2026, 10, 4) << u"4 San Francesco d'Assisi"_s << u"San Francesco d'Assisi"_s;
    QTest::newRow("4 October 9999 San Francesco")
        << QDate(9999, 10, 4) << u"4 San Francesco d'Assisi"_s << u"San Francesco d'Assisi"_s;

    QTest::newRow("4 October 2025 not yet a holiday")
        << QDate(2025, 10, 4) << QString() << QString();
    QTest::newRow("Easter Saturday") << QDate(2024, 3, 30) << QString() << QString();
    QTest::newRow("Tuesday after Easter") << QDate(2024, 4, 2) << QString() << QString();
    QTest::newRow("31 March when Easter is in April")
        << QDate(2025, 3, 31) << QString() << QString();
    QTest::newRow("1 April when Easter is in April") << QDate(2025, 4, 1) << QString() << QString();
    QTest::newRow("Sunday 4 February") << QDate(2024, 2, 4) << QString() << QString();
    QTest::newRow("2 November") << QDate(2024, 11, 2) << QString() << QString();
}

void TestHolidays::nationalHoliday()
{
    QFETCH(QDate, date);
    QFETCH(QString, monthLineText);
    QFETCH(QString, pageLabel);

    const std::optional<Holiday> got = NationalHoliday(date.year(), date.month(), date.day());
    QCOMPARE(got.has_value(), !monthLineText.isEmpty());
    if (got) {
        QCOMPARE(got->monthLineText, monthLineText);
        QCOMPARE(got->pageLabel, pageLabel);
    }
}

void TestHolidays::festivi_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QStringList>("recurrences");
    QTest::addColumn<Rgb>("colour");
    QTest::addColumn<QStringList>("items");

    const QStringList none;
    QTest::newRow("Christmas on a Sunday is red, not dark red")
        << QDate(2022, 12, 25) << none << colours::Holiday << QStringList{u"25 Natale"_s};
    QTest::newRow("Sunday is dark red")
        << QDate(2024, 2, 4) << none << colours::Sunday << QStringList{};
    QTest::newRow("Monday is black")
        << QDate(2024, 2, 5) << none << colours::Ordinary << QStringList{};

    QTest::newRow("green recurrence on an ordinary day")
        << QDate(2024, 2, 5) << QStringList{u"02/05 - Compleanno <v>"_s} << colours::TagGreen
        << QStringList{u"5 Compleanno "_s};
    QTest::newRow("untagged recurrence is red")
        << QDate(2024, 2, 6) << QStringList{u"02/06 - Anniversario"_s} << colours::TagDefault
        << QStringList{u"6 Anniversario"_s};
    QTest::newRow("blue recurrence replaces a Sunday's dark red")
        << QDate(2024, 2, 4) << QStringList{u"02/04 - Gita <b>"_s} << colours::TagBlue
        << QStringList{u"4 Gita "_s};
    QTest::newRow("recurrence on Christmas follows the holiday")
        << QDate(2024, 12, 25) << QStringList{u"12/25 - Cena di Natale <v>"_s} << colours::TagGreen
        << QStringList{u"25 Natale"_s, u"25 Cena di Natale "_s};
    QTest::newRow("later of two lines for 1 May wins")
        << QDate(2024, 5, 1) << QStringList{u"05/01 - A"_s, u"05/01 - B"_s} << colours::TagDefault
        << QStringList{u"1° Festa dei Lavoratori"_s, u"1 B"_s};
    QTest::newRow("empty recurrence text leaves the Sunday colour")
        << QDate(2024, 2, 4) << QStringList{u"02/04 - "_s} << colours::Sunday << QStringList{};
    QTest::newRow("recurrence of another month or day does not count")
        << QDate(2024, 2, 5) << QStringList{u"03/05 - Altro mese <b>"_s, u"02/06 - Altro giorno"_s}
        << colours::Ordinary << QStringList{};
}

void TestHolidays::festivi()
{
    QFETCH(QDate, date);
    QFETCH(QStringList, recurrences);
    QFETCH(Rgb, colour);
    QFETCH(QStringList, items);

    const GridDay got = Festivi(tableOf(recurrences), date.year(), date.month(), date.day(),
                                date.dayOfWeek() == Qt::Sunday);
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
    QTest::newRow("April 2011 Easter Monday on the 25th, no Liberazione")
        << 2011 << 4 << none << u"24 Pasqua - 25 Lunedì dell'Angelo"_s;
    QTest::newRow("April 2025 Easter before Liberazione")
        << 2025 << 4 << none << u"20 Pasqua - 21 Lunedì dell'Angelo - 25 Liberazione"_s;
    QTest::newRow("March 2285 earliest Easter")
        << 2285 << 3 << none << u"22 Pasqua - 23 Lunedì dell'Angelo"_s;
    QTest::newRow("October 2025 has no holiday") << 2025 << 10 << none << QString();
    QTest::newRow("October 2026 San Francesco")
        << 2026 << 10 << none << u"4 San Francesco d'Assisi"_s;
    QTest::newRow("December of year 1")
        << 1 << 12 << none << u"8 Immacolata Concezione - 25 Natale - 26 Santo Stefano"_s;

    QTest::newRow("Christmas dinner keeps its trailing blank")
        << 2024 << 12 << QStringList{u"12/25 - Cena di Natale <v>"_s}
        << u"8 Immacolata Concezione - 25 Natale - 25 Cena di Natale  - 26 Santo Stefano"_s;
    QTest::newRow("recurrences in day order between holidays")
        << 2024 << 1 << QStringList{u"01/20 - Venti"_s, u"01/03 - Tre <b>"_s}
        << u"1° Capodanno - 3 Tre  - 6 Epifania - 20 Venti"_s;
    QTest::newRow("29 February shows in a leap year")
        << 2024 << 2 << QStringList{u"02/29 - Bisestile"_s} << u"29 Bisestile"_s;
    QTest::newRow("29 February is not shown in a common year")
        << 2023 << 2 << QStringList{u"02/29 - Bisestile"_s} << QString();
    QTest::newRow("31 April is never shown")
        << 2024 << 4 << QStringList{u"04/31 - Mai"_s} << u"1 Lunedì dell'Angelo - 25 Liberazione"_s;
    QTest::newRow("recurrence on the 31st is listed")
        << 2024 << 7 << QStringList{u"07/31 - Fine luglio <g>"_s} << u"31 Fine luglio "_s;
    QTest::newRow("empty recurrence text adds nothing")
        << 2024 << 5 << QStringList{u"05/01 - "_s} << u"1° Festa dei Lavoratori"_s;
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
        if (FestMese(none, year, 4).contains(u"25 Liberazione"_s) == easterOn25)
            QFAIL(qPrintable(u"April %1"_s.arg(year)));
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
    QTest::newRow("1 May small l") << QDate(2024, 5, 1) << none << red << u"Festa dei lavoratori"_s;
    QTest::newRow("ordinary weekday has no page colour")
        << QDate(2024, 5, 2) << none << std::optional<Rgb>() << QString();
    QTest::newRow("Sunday has no page colour")
        << QDate(2024, 2, 4) << none << std::optional<Rgb>() << QString();

    QTest::newRow("recurrence replaces Christmas label and colour")
        << QDate(2024, 12, 25) << QStringList{u"12/25 - Cena di Natale <v>"_s}
        << std::optional<Rgb>(colours::TagGreen) << u"Cena di Natale "_s;
    QTest::newRow("untagged recurrence on an ordinary day is red")
        << QDate(2024, 5, 2) << QStringList{u"05/02 - Compleanno"_s}
        << std::optional<Rgb>(colours::TagDefault) << u"Compleanno"_s;
    QTest::newRow("later of two lines for 1 May")
        << QDate(2024, 5, 1) << QStringList{u"05/01 - A <a>"_s, u"05/01 - B <g>"_s}
        << std::optional<Rgb>(colours::TagYellow) << u"B "_s;
    QTest::newRow("empty recurrence keeps the holiday")
        << QDate(2024, 5, 1) << QStringList{u"05/01 - "_s} << red << u"Festa dei lavoratori"_s;
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
