#include "calendardate.h"
#include "calendarstate.h"
#include "holidays.h"
#include "monthview.h"

#include <QSignalSpy>
#include <QTest>

#include <limits>

using namespace velaria;
using namespace Qt::StringLiterals;

namespace {

// Gauss's rule for the Gregorian Easter, with his two exceptions for a late Paschal full moon.
QDate gaussEaster(int year)
{
    const int a = year % 19, b = year % 4, c = year % 7, k = year / 100;
    const int m = (15 - (13 + 8 * k) / 25 + k - k / 4) % 30, n = (4 + k - k / 4) % 7;
    const int d = (19 * a + m) % 30, e = (2 * b + 4 * c + 6 * d + n) % 7;
    if (d + e == 35 || (d == 28 && e == 6 && (11 * m + 11) % 30 < 19))
        return QDate(year, 4, d - 10);
    return QDate(year, 3, 22).addDays(d + e);
}

RecurrenceTable tableOf(const QString &fileText)
{
    RecurrenceTable table;
    table.readLines(fileText.split(u'\n'));
    return table;
}

QString lineText(const QDate &date)
{
    return nationalHoliday(date).value_or(Holiday{}).monthLineText;
}

} // namespace

// Dates, Easter and the holidays, the recurrences, the month view and the shown date.
class TestCalendar : public QObject
{
    Q_OBJECT

private slots:
    void everyMonth();
    void easterOfEveryYear();
    void holidaysOf2026();
    void parseDateEntry_data();
    void parseDateEntry();
    void recurrenceOn_data();
    void recurrenceOn();
    void dayTexts();
    void shownDate();
};

void TestCalendar::everyMonth()
{
    for (int year = FirstYear; year <= LastYear; ++year) {
        if (monthLength(year, 2) != QDate(year, 2, 1).daysInMonth())
            QFAIL(qPrintable(u"February %1"_s.arg(year)));
    }
    for (QDate date(1899, 12, 1); date.year() < 1901; date = date.addDays(1)) {
        for (int months = -25; months <= 25; ++months) { // QDate too clamps the day
            if (addMonths(date, months) != date.addMonths(months))
                QFAIL(qPrintable(date.toString(Qt::ISODate) + u" %1"_s.arg(months)));
        }
    }
    QCOMPARE(addMonths(QDate(1, 1, 31), -1), QDate());
    QCOMPARE(addMonths(QDate(9999, 12, 1), 1), QDate());
    // Against QDate: each day in its weekday's column, a new row after each Sunday; a press
    // on a cell's top finds its day, on an empty cell none; today framed in its own month.
    for (int year = 1900; year <= 2100; ++year) {
        for (int month = 1; month <= 12; ++month) {
            const QDate first(year, month, 1), today = first.addDays((year + month) % 28);
            const MonthModel model = computeMonth(year, month, today, {});
            std::array<int, 42> dayInCell{};
            for (int day = 1, row = 0; day <= first.daysInMonth(); ++day) {
                const QDate date(year, month, day);
                const int column = date.dayOfWeek() - 1;
                row += day > 1 && column == 0 ? 1 : 0;
                dayInCell[static_cast<std::size_t>(row * 7 + column)] = day;
                const MonthDayCell &cell = model.days[static_cast<std::size_t>(day - 1)];
                const Rgb colour = nationalHoliday(date) ? colours::Holiday
                                   : column == 6         ? colours::Sunday
                                                         : colours::Ordinary;
                if (cell.column != column || cell.row != row || cell.x != column * CellWidth ||
                    cell.y != GridTop + row * CellHeight || cell.colour != colour)
                    QFAIL(qPrintable(first.toString() + u"-%1"_s.arg(day)));
            }
            const MonthDayCell &cell = model.days[static_cast<std::size_t>(today.day() - 1)];
            if (model.daysInMonth != first.daysInMonth() || model.today != today.day() ||
                model.todayFrameLeft != cell.x + 180 || model.todayFrameTop != cell.y - 160 ||
                gridOffset(year, month) != first.addDays(-1).dayOfWeek() - 1)
                QFAIL(qPrintable(first.toString()));
            for (int n = 0; n < 42; ++n) {
                if (dayAt(n % 7, GridTop + n / 7 * CellHeight, year, month) !=
                    dayInCell[static_cast<std::size_t>(n)])
                    QFAIL(qPrintable(first.toString() + u" cell %1"_s.arg(n)));
            }
        }
    }
    QCOMPARE(computeMonth(2125, 5, QDate(2025, 5, 15), {}).today, 0);
    QCOMPARE(monthCaption(1, 3), u"MARZO  0001"_s);
    // The edges of the press areas in September 2024, whose 1st is a Sunday.
    QCOMPARE(dayAt(6, 699, 2024, 9), 0);
    QCOMPARE(dayAt(6, 1170, 2024, 9), 8);
}

void TestCalendar::easterOfEveryYear()
{
    // Around Easter only its Sunday, its Monday (no degree sign, even on 1 April) and 25 April
    // are holidays; Easter on 25 April hides the Liberation day.
    for (int year = 1583; year <= LastYear; ++year) {
        const QDate sunday = gaussEaster(year);
        if (easterSunday(year) != sunday)
            QFAIL(qPrintable(u"Easter %1"_s.arg(year)));
        for (QDate date(year, 3, 20); date.month() < 5; date = date.addDays(1)) {
            const QString expected = date == sunday ? u"%1 Pasqua"_s.arg(date.day())
                                     : date == sunday.addDays(1)
                                         ? u"%1 Lunedì dell'Angelo"_s.arg(date.day())
                                     : date == QDate(year, 4, 25) ? u"25 Liberazione"_s
                                                                  : QString();
            if (lineText(date) != expected)
                QFAIL(qPrintable(date.toString(Qt::ISODate) + u": "_s + lineText(date)));
        }
    }
}

void TestCalendar::holidaysOf2026()
{
    // San Francesco's first year. A recurrence follows the day's holiday in the month's line;
    // its colour and text replace the holiday's and the Sunday's in the grid and on the page.
    const RecurrenceTable table =
        tableOf(u"12/26 - Tre <b>\n12/25 - Cena\n12/27 - <v>\n02/29 - x"_s);
    QStringList lines;
    for (int month = 1; month <= 12; ++month)
        lines << computeMonth(2026, month, {}, table).holidayLine;
    QCOMPARE(lines, (QStringList{u"1° Capodanno - 6 Epifania"_s, QString(), QString(),
                                 u"5 Pasqua - 6 Lunedì dell'Angelo - 25 Liberazione"_s,
                                 u"1° Festa dei Lavoratori"_s, u"2 Festa della Repubblica"_s,
                                 QString(), u"15 Ferragosto"_s, QString(),
                                 u"4 San Francesco d'Assisi"_s, u"1° Tutti i Santi"_s,
                                 u"8 Immacolata Concezione - 25 Natale - 25 Cena - "
                                 u"26 Santo Stefano - 26 Tre  - 27 "_s}));
    QCOMPARE(lineText(QDate(2025, 10, 4)), QString());
    const MonthModel december = computeMonth(2026, 12, {}, table);
    QVERIFY(december.days[25].colour == colours::TagBlue);
    QVERIFY(december.days[26].colour == colours::TagGreen); // a Sunday
    QVERIFY(pageDayMark(table, QDate(2026, 12, 26)).colour == colours::TagBlue);
    QCOMPARE(pageDayMark(table, QDate(2026, 12, 26)).label, u"Tre "_s);
    QCOMPARE(pageDayMark(table, QDate(2026, 5, 1)).label, u"Festa dei lavoratori"_s);
    QVERIFY(pageDayMark(table, QDate(2026, 5, 1)).colour == colours::Holiday);
    QVERIFY(!pageDayMark(table, QDate(2026, 12, 20)).colour); // a Sunday
}

void TestCalendar::parseDateEntry_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("thisYear");
    QTest::addColumn<QDate>("expected"); // invalid: no date

    QTest::newRow("d/m/yyyy") << u"12/1/2024"_s << 2026 << QDate(2024, 1, 12);
    QTest::newRow("hyphens, zeros") << u"05-03-2024"_s << 2026 << QDate(2024, 3, 5);
    QTest::newRow("blank, dot") << u" 5 3.2024 "_s << 2026 << QDate(2024, 3, 5);
    QTest::newRow("yy 30 in 2026") << u"5/3/30"_s << 2026 << QDate(2030, 3, 5);
    QTest::newRow("yy 77 in 2026") << u"5/3/77"_s << 2026 << QDate(1977, 3, 5);
    QTest::newRow("yy 76 in 2026: the earlier") << u"5/3/76"_s << 2026 << QDate(1976, 3, 5);
    QTest::newRow("yy 00 in 2050: the earlier") << u"1/1/00"_s << 2050 << QDate(2000, 1, 1);
    QTest::newRow("yy 30 in 2090") << u"5/3/30"_s << 2090 << QDate(2130, 3, 5);
    QTest::newRow("d/m") << u"29/2"_s << 2028 << QDate(2028, 2, 29);
    QTest::newRow("d/m, no such day") << u"29/2"_s << 2026 << QDate();
    QTest::newRow("yyyy 0024") << u"1/1/0024"_s << 2026 << QDate(24, 1, 1);
    QTest::newRow("yyy") << u"1/1/024"_s << 2026 << QDate();
    QTest::newRow("year 10000") << u"1/1/10000"_s << 2026 << QDate();
    QTest::newRow("text after") << u"5/3/2024 x"_s << 2026 << QDate();
}

void TestCalendar::parseDateEntry()
{
    QFETCH(QString, text);
    QFETCH(int, thisYear);
    QFETCH(QDate, expected);
    QCOMPARE(velaria::parseDateEntry(text, QDate(thisYear, 7, 1)), expected);
    if (expected.isValid()) // the text the date box proposes reads back
        QCOMPARE(velaria::parseDateEntry(dateText(expected), QDate(thisYear, 7, 1)), expected);
}

void TestCalendar::recurrenceOn_data()
{
    QTest::addColumn<QString>("fileText");
    QTest::addColumn<Rgb>("colour");
    QTest::addColumn<QString>("text"); // of 15 March, empty: none; no other day has one

    QTest::newRow("MM/DD - text") << u"03/15 -  Sagra "_s << colours::TagDefault << u" Sagra "_s;
    QTest::newRow("any separators") << u"03x15yyzSagra"_s << colours::TagDefault << u"Sagra"_s;
    QTest::newRow("later line wins") << u"03/15 - A\n03/15 - B"_s << colours::TagDefault << u"B"_s;
    QTest::newRow("8 characters") << u"03/15 - A\n03/15 - "_s << colours::TagDefault << QString();
    QTest::newRow("7 characters") << u"03/15 - A\n03/15 -"_s << colours::TagDefault << u"A"_s;
    QTest::newRow("13/15, 03/32") << u"13/15 - x\n03/32 - x"_s << colours::TagDefault << QString();
    QTest::newRow("yellow") << recurrenceLine(3, 15, u"<g>x"_s) << colours::TagYellow << u"x"_s;
    QTest::newRow("blue before green") << u"03/15 - <v><b>"_s << colours::TagBlue << u"<v>"_s;
    QTest::newRow("green before orange") << u"03/15 - <a><v>"_s << colours::TagGreen << u"<a>"_s;
    QTest::newRow("orange before yellow") << u"03/15 - <g><a>"_s << colours::TagOrange << u"<g>"_s;
    QTest::newRow("every one removed") << u"03/15 - <v>x<v>"_s << colours::TagGreen << u"x"_s;
}

void TestCalendar::recurrenceOn()
{
    QFETCH(QString, fileText);
    QFETCH(Rgb, colour);
    QFETCH(QString, text);
    const RecurrenceTable table = tableOf(fileText);
    const std::optional<Recurrence> got = velaria::recurrenceOn(table, 15, 3);
    QCOMPARE(got ? got->text : QString(), text);
    QVERIFY(!got || got->colour == colour);
    int filled = 0; // in the whole table and around it
    for (int n = 0; n < 34 * 15; ++n)
        filled += table.cell(n % 34 - 1, n / 34 - 1).isEmpty() ? 0 : 1;
    QCOMPARE(filled, got ? 1 : 0);
}

void TestCalendar::dayTexts()
{
    const RecurrenceTable table = tableOf(u"12/25 - Cena <v>"_s);
    const QDate christmas(2026, 12, 25);
    QCOMPARE(dayDescription(christmas, table, christmas),
             u"25 dicembre 2026, venerdì, Natale, ricorrenza: Cena, oggi"_s);
    QCOMPARE(dayInformation(QDate(2024, 3, 5)),
             u"- Il giorno 5 marzo è il 65° del 2024 e mancano 301 giorni alla fine dell'anno -"_s);
    QCOMPARE(
        dayInformation(QDate(2100, 12, 31)),
        u"- Il giorno 31 dicembre è il 365° del 2100 e mancano 0 giorni alla fine dell'anno -"_s);
}

void TestCalendar::shownDate()
{
    CalendarState state({});
    QVERIFY(state.setShownDate(QDate(2023, 1, 31)));
    QSignalSpy shown(&state, &CalendarState::shownDateChanged);
    QVERIFY(state.setShownDate(QDate(2024, 1, 31))); // the same month of another year
    QVERIFY(state.stepMonths(1));                    // the day clamped
    QVERIFY(state.setShownDate(QDate(2024, 2, 5)));
    QVERIFY(state.setShownDate(QDate(2024, 2, 5)));
    QVERIFY(!state.setShownDate(QDate(10000, 1, 1)));
    QCOMPARE(shown, (QList<QVariantList>{{QDate(2024, 1, 31), true},
                                         {QDate(2024, 2, 29), true},
                                         {QDate(2024, 2, 5), false}}));
    QVERIFY(state.setShownDate(QDate(9999, 12, 31)) && !state.stepMonths(1));
    QVERIFY(state.setShownDate(QDate(1, 1, 31)) && !state.stepMonths(-1));
    QVERIFY(!state.stepMonths(std::numeric_limits<int>::max()));
    QCOMPARE(state.shownDate(), QDate(1, 1, 31));
}

QTEST_GUILESS_MAIN(TestCalendar)
#include "tst_calendar.moc"
