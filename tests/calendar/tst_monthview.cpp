#include "calendartestutil.h"
#include "colour.h"
#include "monthview.h"
#include "recurrences.h"

#include <QDate>
#include <QSet>
#include <QTest>

#include <array>

using namespace velaria;
using namespace Qt::StringLiterals;
using velaria::testutil::colourText;

namespace {

constexpr int CellWidth = 968;
constexpr int CellHeight = 620;

// Lower-case month names of the day information line, January first.
const std::array<QString, 12> LowerMonthNames = {
    u"gennaio"_s, u"febbraio"_s, u"marzo"_s,     u"aprile"_s,  u"maggio"_s,   u"giugno"_s,
    u"luglio"_s,  u"agosto"_s,   u"settembre"_s, u"ottobre"_s, u"novembre"_s, u"dicembre"_s};

// The grid row of every day of a month, counted on a real calendar: each Monday after the
// 1st opens a new row.
std::array<int, 32> rowsOf(int year, int month)
{
    std::array<int, 32> rows{};
    const QDate first(year, month, 1);
    for (int day = 2; day <= first.daysInMonth(); ++day)
        rows[day] = rows[day - 1] + (QDate(year, month, day).dayOfWeek() == Qt::Monday ? 1 : 0);
    return rows;
}

// Column of the day before the 1st, Monday first.
int offsetOf(const QDate &first)
{
    return first.addDays(-1).dayOfWeek() - 1;
}

QString infoLine(const QDate &date)
{
    return u"- Il giorno %1 %2 è il %3° del %4 e mancano %5 giorni alla fine dell'anno -"_s
        .arg(date.day())
        .arg(LowerMonthNames[date.month() - 1])
        .arg(date.dayOfYear())
        .arg(date.year(), 4, 10, QLatin1Char('0'))
        .arg(date.daysInYear() - date.dayOfYear());
}

} // namespace

// The month view computed in one go, today's frame and the day information line.
class TestMonthView : public QObject
{
    Q_OBJECT

private slots:
    void monthHeader_data();
    void monthHeader();
    void dayCells_data();
    void dayCells();
    void everyMonthLayout1900To2100();
    void cellSizeIsTheCaller();

    void dayColours_data();
    void dayColours();
    void recurrenceInTheView();

    void todayFrame_data();
    void todayFrame();

    void dayInformation_data();
    void dayInformation();
    void dayInformationForEveryCell();
};

void TestMonthView::monthHeader_data()
{
    QTest::addColumn<QDate>("shown");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("daysInMonth");
    QTest::addColumn<int>("gridOffset");
    QTest::addColumn<QString>("holidayLine");

    QTest::newRow("January 2024 starts on Monday")
        << QDate(2024, 1, 31) << u"GENNAIO  2024"_s << 31 << 6 << u"1° Capodanno - 6 Epifania"_s;
    QTest::newRow("September 2024 starts on Sunday")
        << QDate(2024, 9, 1) << u"SETTEMBRE  2024"_s << 30 << 5 << QString();
    QTest::newRow("February 2021 fills four rows")
        << QDate(2021, 2, 14) << u"FEBBRAIO  2021"_s << 28 << 6 << QString();
    QTest::newRow("February 2024 leap")
        << QDate(2024, 2, 29) << u"FEBBRAIO  2024"_s << 29 << 2 << QString();
    QTest::newRow("August 2025") << QDate(2025, 8, 10) << u"AGOSTO  2025"_s << 31 << 3
                                 << u"15 Ferragosto"_s;
    QTest::newRow("December 2024") << QDate(2024, 12, 1) << u"DICEMBRE  2024"_s << 31 << 5
                                   << u"8 Immacolata Concezione - 25 Natale - 26 Santo Stefano"_s;
    QTest::newRow("March 2024 ends with Easter")
        << QDate(2024, 3, 5) << u"MARZO  2024"_s << 31 << 3 << u"31 Pasqua"_s;
    QTest::newRow("October 2026 San Francesco")
        << QDate(2026, 10, 1) << u"OTTOBRE  2026"_s << 31 << 2 << u"4 San Francesco d'Assisi"_s;
    QTest::newRow("first supported month")
        << QDate(1, 1, 1) << u"GENNAIO  0001"_s << 31 << 6 << u"1° Capodanno - 6 Epifania"_s;
    QTest::newRow("last supported month")
        << QDate(9999, 12, 31) << u"DICEMBRE  9999"_s << 31 << 1
        << u"8 Immacolata Concezione - 25 Natale - 26 Santo Stefano"_s;
}

void TestMonthView::monthHeader()
{
    QFETCH(QDate, shown);
    QFETCH(QString, caption);
    QFETCH(int, daysInMonth);
    QFETCH(int, gridOffset);
    QFETCH(QString, holidayLine);

    const MonthLayout layout =
        ComputeMonth(shown, QDate(2025, 5, 15), RecurrenceTable(), CellWidth, CellHeight);
    QCOMPARE(layout.caption, caption);
    QCOMPARE(layout.daysInMonth, daysInMonth);
    QCOMPARE(layout.gridOffset, gridOffset);
    QCOMPARE(layout.holidayLine, holidayLine);
}

void TestMonthView::dayCells_data()
{
    QTest::addColumn<QDate>("day");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("row");

    QTest::newRow("1 January 2024 top left") << QDate(2024, 1, 1) << 0 << 0;
    QTest::newRow("31 January 2024") << QDate(2024, 1, 31) << 2 << 4;
    QTest::newRow("1 September 2024 top right") << QDate(2024, 9, 1) << 6 << 0;
    QTest::newRow("30 September 2024 in the sixth row") << QDate(2024, 9, 30) << 0 << 5;
    QTest::newRow("28 February 2021 ends the fourth row") << QDate(2021, 2, 28) << 6 << 3;
    QTest::newRow("15 May 2025") << QDate(2025, 5, 15) << 3 << 2;
}

void TestMonthView::dayCells()
{
    QFETCH(QDate, day);
    QFETCH(int, column);
    QFETCH(int, row);

    const MonthLayout layout =
        ComputeMonth(day, QDate(2025, 5, 15), RecurrenceTable(), CellWidth, CellHeight);
    const MonthDayCell &cell = layout.days.at(day.day() - 1);
    QCOMPARE(cell.column, column);
    QCOMPARE(cell.row, row);
    QCOMPARE(cell.x, column * 968);
    QCOMPARE(cell.y, row * 620 + 700);
}

void TestMonthView::everyMonthLayout1900To2100()
{
    const RecurrenceTable none;
    for (int year = 1900; year <= 2100; ++year) {
        for (int month = 1; month <= 12; ++month) {
            const QDate first(year, month, 1);
            const MonthLayout layout =
                ComputeMonth(first.addDays(9), QDate(2025, 5, 15), none, CellWidth, CellHeight);
            const QString where = first.toString(u"yyyy-MM"_s);
            if (layout.daysInMonth != first.daysInMonth() || layout.gridOffset != offsetOf(first))
                QFAIL(qPrintable(where));
            const std::array<int, 32> rows = rowsOf(year, month);
            for (int day = 1; day <= first.daysInMonth(); ++day) {
                const MonthDayCell &cell = layout.days.at(day - 1);
                const int column = QDate(year, month, day).dayOfWeek() - 1;
                if (cell.column != column || cell.row != rows[day] ||
                    cell.x != column * CellWidth || cell.y != rows[day] * CellHeight + GridTop)
                    QFAIL(qPrintable(where + u"-%1"_s.arg(day)));
            }
        }
    }
}

void TestMonthView::cellSizeIsTheCaller()
{
    const MonthLayout layout =
        ComputeMonth(QDate(2024, 9, 30), QDate(2024, 9, 30), RecurrenceTable(), 1000, 500);
    QCOMPARE(layout.days.at(0).x, 6000);
    QCOMPARE(layout.days.at(0).y, 700);
    QCOMPARE(layout.days.at(29).x, 0);
    QCOMPARE(layout.days.at(29).y, 5 * 500 + 700);
    QCOMPARE(layout.todayFrameLeft, 180);
    QCOMPARE(layout.todayFrameTop, 5 * 500 + 700 - 160);
}

void TestMonthView::dayColours_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<QList<QDate>>("holidays");

    QTest::newRow("2024") << 2024 << QList<QDate>{QDate(2024, 1, 1),   QDate(2024, 1, 6),
                                                  QDate(2024, 3, 31),  QDate(2024, 4, 1),
                                                  QDate(2024, 4, 25),  QDate(2024, 5, 1),
                                                  QDate(2024, 6, 2),   QDate(2024, 8, 15),
                                                  QDate(2024, 11, 1),  QDate(2024, 12, 8),
                                                  QDate(2024, 12, 25), QDate(2024, 12, 26)};
    QTest::newRow("2026 with San Francesco")
        << 2026 << QList<QDate>{QDate(2026, 1, 1),  QDate(2026, 1, 6),  QDate(2026, 4, 5),
                                QDate(2026, 4, 6),  QDate(2026, 4, 25), QDate(2026, 5, 1),
                                QDate(2026, 6, 2),  QDate(2026, 8, 15), QDate(2026, 10, 4),
                                QDate(2026, 11, 1), QDate(2026, 12, 8), QDate(2026, 12, 25),
                                QDate(2026, 12, 26)};
    QTest::newRow("2038 with Easter on Liberazione")
        << 2038 << QList<QDate>{QDate(2038, 1, 1),  QDate(2038, 1, 6),   QDate(2038, 4, 25),
                                QDate(2038, 4, 26), QDate(2038, 5, 1),   QDate(2038, 6, 2),
                                QDate(2038, 8, 15), QDate(2038, 10, 4),  QDate(2038, 11, 1),
                                QDate(2038, 12, 8), QDate(2038, 12, 25), QDate(2038, 12, 26)};
}

void TestMonthView::dayColours()
{
    QFETCH(int, year);
    QFETCH(QList<QDate>, holidays);

    const QSet<QDate> red(holidays.cbegin(), holidays.cend());
    for (int month = 1; month <= 12; ++month) {
        const MonthLayout layout = ComputeMonth(QDate(year, month, 1), QDate(2025, 5, 15),
                                                RecurrenceTable(), CellWidth, CellHeight);
        for (int day = 1; day <= layout.daysInMonth; ++day) {
            const QDate date(year, month, day);
            const Rgb expected = red.contains(date)               ? colours::Holiday
                                 : date.dayOfWeek() == Qt::Sunday ? colours::Sunday
                                                                  : colours::Ordinary;
            QVERIFY2(layout.days.at(day - 1).colour == expected,
                     qPrintable(date.toString(Qt::ISODate) + u" "_s +
                                colourText(layout.days.at(day - 1).colour)));
        }
    }
}

void TestMonthView::recurrenceInTheView()
{
    RecurrenceTable table;
    table.readLines({u"02/04 - Gita <b>"_s, u"02/05 - Compleanno"_s, u"12/25 - Cena <v>"_s});

    const MonthLayout february =
        ComputeMonth(QDate(2024, 2, 1), QDate(2025, 5, 15), table, CellWidth, CellHeight);
    QCOMPARE(colourText(february.days.at(3).colour), colourText(colours::TagBlue));
    QCOMPARE(colourText(february.days.at(4).colour), colourText(colours::TagDefault));
    QCOMPARE(colourText(february.days.at(10).colour), colourText(colours::Sunday));
    QCOMPARE(february.holidayLine, u"4 Gita  - 5 Compleanno"_s);

    const MonthLayout december =
        ComputeMonth(QDate(2024, 12, 1), QDate(2025, 5, 15), table, CellWidth, CellHeight);
    QCOMPARE(colourText(december.days.at(24).colour), colourText(colours::TagGreen));
    QCOMPARE(december.holidayLine,
             u"8 Immacolata Concezione - 25 Natale - 25 Cena  - 26 Santo Stefano"_s);
}

void TestMonthView::todayFrame_data()
{
    QTest::addColumn<QDate>("shown");
    QTest::addColumn<QDate>("today");
    QTest::addColumn<bool>("placed");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<int>("left"); // only when placed
    QTest::addColumn<int>("top");

    // 15 May 2025 is a Thursday in the third row: x 2904, y 1940.
    QTest::newRow("today's month shown")
        << QDate(2025, 5, 1) << QDate(2025, 5, 15) << true << true << 3084 << 1780;
    QTest::newRow("today's month shown from another day")
        << QDate(2025, 5, 31) << QDate(2025, 5, 15) << true << true << 3084 << 1780;
    // 15 June 2025 is a Sunday in the third row.
    QTest::newRow("next month: hidden but moved to 15 June")
        << QDate(2025, 6, 1) << QDate(2025, 5, 15) << true << false << 5988 << 1780;
    QTest::newRow("previous month: hidden")
        << QDate(2025, 4, 15) << QDate(2025, 5, 15) << true << false << 1148 << 1780;
    // Same two year digits, other century: the frame must stay hidden.
    QTest::newRow("same month a century later")
        << QDate(2125, 5, 15) << QDate(2025, 5, 15) << true << false << 1148 << 1780;
    QTest::newRow("same month a century earlier")
        << QDate(1925, 5, 15) << QDate(2025, 5, 15) << true << false << 4052 << 1780;
    QTest::newRow("same month a year earlier")
        << QDate(2024, 5, 15) << QDate(2025, 5, 15) << true << false << 2116 << 1780;
    QTest::newRow("31 January shown in January")
        << QDate(2025, 1, 1) << QDate(2025, 1, 31) << true << true << 4052 << 3020;
    QTest::newRow("31 January: February has no 31st")
        << QDate(2025, 2, 1) << QDate(2025, 1, 31) << false << false << 0 << 0;
    QTest::newRow("30 March: February 2024 has no 30th")
        << QDate(2024, 2, 1) << QDate(2025, 3, 30) << false << false << 0 << 0;
    QTest::newRow("29 February shown")
        << QDate(2024, 2, 10) << QDate(2024, 2, 29) << true << true << 3084 << 3020;
    QTest::newRow("29 February: February 2023 has no 29th")
        << QDate(2023, 2, 10) << QDate(2024, 2, 29) << false << false << 0 << 0;
    QTest::newRow("1 September 2024 top right")
        << QDate(2024, 9, 1) << QDate(2024, 9, 1) << true << true << 5988 << 540;
}

void TestMonthView::todayFrame()
{
    QFETCH(QDate, shown);
    QFETCH(QDate, today);
    QFETCH(bool, placed);
    QFETCH(bool, visible);
    QFETCH(int, left);
    QFETCH(int, top);

    const MonthLayout layout = ComputeMonth(shown, today, RecurrenceTable(), CellWidth, CellHeight);
    QCOMPARE(layout.todayFramePlaced, placed);
    QCOMPARE(layout.todayFrameVisible, visible);
    if (placed) {
        QCOMPARE(layout.todayFrameLeft, left);
        QCOMPARE(layout.todayFrameTop, top);
        // The frame stands 180 twips inside the day's cell and 160 above it.
        const MonthDayCell &cell = layout.days.at(today.day() - 1);
        QCOMPARE(layout.todayFrameLeft, cell.x + 180);
        QCOMPARE(layout.todayFrameTop, cell.y - 160);
    }
}

void TestMonthView::dayInformation_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("y");
    QTest::addColumn<QDate>("shown");
    QTest::addColumn<int>("gridOffset");
    QTest::addColumn<int>("daysInMonth");
    QTest::addColumn<QString>("nomeMese");
    QTest::addColumn<QString>("text");

    QTest::newRow("5 March 2024")
        << 1 << 1500 << QDate(2024, 3, 17) << 3 << 31 << u"MARZO  "_s
        << u"- Il giorno 5 marzo è il 65° del 2024 e mancano 301 giorni alla fine dell'anno -"_s;
    QTest::newRow("1 January of a common year")
        << 6 << 700 << QDate(2023, 1, 20) << 5 << 31 << u"GENNAIO  "_s
        << u"- Il giorno 1 gennaio è il 1° del 2023 e mancano 364 giorni alla fine dell'anno -"_s;
    QTest::newRow("29 February 2024")
        << 3 << 3120 << QDate(2024, 2, 1) << 2 << 29 << u"FEBBRAIO  "_s
        << u"- Il giorno 29 febbraio è il 60° del 2024 e mancano 306 giorni alla fine dell'anno -"_s;
    QTest::newRow("31 December of a leap year")
        << 1 << 3700 << QDate(2024, 12, 1) << 5 << 31 << u"DICEMBRE  "_s
        << u"- Il giorno 31 dicembre è il 366° del 2024 e mancano 0 giorni alla fine dell'anno -"_s;
    QTest::newRow("31 December of a common year")
        << 6 << 3699 << QDate(2023, 12, 1) << 3 << 31 << u"DICEMBRE  "_s
        << u"- Il giorno 31 dicembre è il 365° del 2023 e mancano 0 giorni alla fine dell'anno -"_s;
    QTest::newRow("1st on a Monday, Monday column of the first row")
        << 0 << 700 << QDate(2024, 1, 15) << 6 << 31 << u"GENNAIO  "_s
        << u"- Il giorno 1 gennaio è il 1° del 2024 e mancano 365 giorni alla fine dell'anno -"_s;
    QTest::newRow("1st on a Monday, last day")
        << 2 << 3120 << QDate(2024, 1, 15) << 6 << 31 << u"GENNAIO  "_s
        << u"- Il giorno 31 gennaio è il 31° del 2024 e mancano 335 giorni alla fine dell'anno -"_s;
    QTest::newRow("1st on a Monday, cell after the last day")
        << 3 << 3120 << QDate(2024, 1, 15) << 6 << 31 << u"GENNAIO  "_s << QString();
    QTest::newRow("1st on a Sunday, Monday of the first row is empty")
        << 0 << 700 << QDate(2024, 9, 1) << 5 << 30 << u"SETTEMBRE  "_s << QString();
    QTest::newRow("1st on a Sunday, Saturday of the first row is empty")
        << 5 << 1169 << QDate(2024, 9, 1) << 5 << 30 << u"SETTEMBRE  "_s << QString();
    QTest::newRow("1st on a Sunday, Sunday column")
        << 6 << 900 << QDate(2024, 9, 1) << 5 << 30 << u"SETTEMBRE  "_s
        << u"- Il giorno 1 settembre è il 245° del 2024 e mancano 121 giorni alla fine dell'anno -"_s;
    QTest::newRow("sixth row, top edge")
        << 0 << 3700 << QDate(2024, 9, 1) << 5 << 30 << u"SETTEMBRE  "_s
        << u"- Il giorno 30 settembre è il 274° del 2024 e mancano 92 giorni alla fine dell'anno -"_s;
    QTest::newRow("sixth row, bottom edge")
        << 0 << 4300 << QDate(2024, 9, 1) << 5 << 30 << u"SETTEMBRE  "_s
        << u"- Il giorno 30 settembre è il 274° del 2024 e mancano 92 giorni alla fine dell'anno -"_s;
    QTest::newRow("sixth row past the 30th")
        << 1 << 3700 << QDate(2024, 9, 1) << 5 << 30 << u"SETTEMBRE  "_s << QString();
    QTest::newRow("above the first band")
        << 6 << 650 << QDate(2024, 9, 1) << 5 << 30 << u"SETTEMBRE  "_s << QString();
    QTest::newRow("just above the first band")
        << 6 << 699 << QDate(2024, 9, 1) << 5 << 30 << u"SETTEMBRE  "_s << QString();
    QTest::newRow("just below the last band")
        << 0 << 4301 << QDate(2024, 9, 1) << 5 << 30 << u"SETTEMBRE  "_s << QString();
    QTest::newRow("below the last band")
        << 0 << 4350 << QDate(2024, 9, 1) << 5 << 30 << u"SETTEMBRE  "_s << QString();
    QTest::newRow("negative height")
        << 0 << -700 << QDate(2024, 9, 1) << 5 << 30 << u"SETTEMBRE  "_s << QString();
    QTest::newRow("year below 1000 in four digits")
        << 6 << 700 << QDate(800, 3, 1) << 1 << 31 << u"MARZO  "_s
        << u"- Il giorno 5 marzo è il 65° del 0800 e mancano 301 giorni alla fine dell'anno -"_s;
}

void TestMonthView::dayInformation()
{
    QFETCH(int, column);
    QFETCH(int, y);
    QFETCH(QDate, shown);
    QFETCH(int, gridOffset);
    QFETCH(int, daysInMonth);
    QFETCH(QString, nomeMese);
    QFETCH(QString, text);

    QCOMPARE(DayInformation(column, y, shown, gridOffset, daysInMonth, nomeMese), text);
}

void TestMonthView::dayInformationForEveryCell()
{
    // Every cell of every month grid, pressed at the top, middle and bottom of its row band,
    // names the day the grid shows there, or nothing for an empty cell.
    struct Band
    {
        int from;
        int to;
    };
    const std::array<Band, 6> bands = {
        {{700, 1169}, {1170, 1874}, {1875, 2489}, {2490, 3119}, {3120, 3699}, {3700, 4300}}};

    for (int year = 1900; year <= 2100; ++year) {
        for (int month = 1; month <= 12; ++month) {
            const QDate first(year, month, 1);
            const std::array<int, 32> rows = rowsOf(year, month);
            std::array<std::array<int, 7>, 6> dayAt{};
            for (int day = 1; day <= first.daysInMonth(); ++day)
                dayAt[rows[day]][QDate(year, month, day).dayOfWeek() - 1] = day;

            const QString nomeMese = LowerMonthNames[month - 1].toUpper() + u"  "_s;
            const QDate shown = first.addDays(first.daysInMonth() / 2);
            for (int row = 0; row < 6; ++row) {
                for (int column = 0; column < 7; ++column) {
                    const int day = dayAt[row][column];
                    const QString expected =
                        day == 0 ? QString() : infoLine(QDate(year, month, day));
                    const Band band = bands[row];
                    for (int y : {band.from, (band.from + band.to) / 2, band.to}) {
                        const QString got = DayInformation(column, y, shown, offsetOf(first),
                                                           first.daysInMonth(), nomeMese);
                        if (got != expected)
                            QFAIL(qPrintable(u"%1 column %2 y %3: \"%4\", expected \"%5\""_s
                                                 .arg(first.toString(u"yyyy-MM"_s))
                                                 .arg(column)
                                                 .arg(y)
                                                 .arg(got, expected)));
                    }
                }
            }
        }
    }
}

QTEST_GUILESS_MAIN(TestMonthView)
#include "tst_monthview.moc"
