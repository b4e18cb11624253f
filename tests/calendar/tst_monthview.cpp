#include "calendartestutil.h"
#include "monthview.h"

#include <QDate>
#include <QSet>
#include <QTest>

using namespace velaria;
using namespace Qt::StringLiterals;
using velaria::testutil::colourText;

namespace {

constexpr int CellWidth = 968;
constexpr int CellHeight = 620;
const QDate Today(2025, 5, 15);

MonthLayout monthOf(const QDate &shown, const RecurrenceTable &table = {})
{
    return ComputeMonth(shown, Today, table, CellWidth, CellHeight);
}

// Lower-case month names of the day information line, January first.
const QStringList LowerMonthNames = {u"gennaio"_s,   u"febbraio"_s, u"marzo"_s,    u"aprile"_s,
                                     u"maggio"_s,    u"giugno"_s,   u"luglio"_s,   u"agosto"_s,
                                     u"settembre"_s, u"ottobre"_s,  u"novembre"_s, u"dicembre"_s};

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

    QTest::newRow("February 2024 leap")
        << QDate(2024, 2, 29) << u"FEBBRAIO  2024"_s << 29 << 2 << QString();
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

    const MonthLayout layout = monthOf(shown);
    QCOMPARE(layout.caption, caption);
    QCOMPARE(layout.daysInMonth, daysInMonth);
    QCOMPARE(layout.gridOffset, gridOffset);
    QCOMPARE(layout.holidayLine, holidayLine);
}

void TestMonthView::everyMonthLayout1900To2100()
{
    for (int year = 1900; year <= 2100; ++year) {
        for (int month = 1; month <= 12; ++month) {
            const QDate first(year, month, 1);
            const MonthLayout layout = monthOf(first.addDays(9));
            const QString where = first.toString(u"yyyy-MM"_s);
            if (layout.daysInMonth != first.daysInMonth() ||
                layout.gridOffset != testutil::gridOffsetOf(year, month))
                QFAIL(qPrintable(where));
            const std::array<int, 32> rows = testutil::gridRows(year, month);
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
    QCOMPARE(layout.days.at(29).y, 5 * 500 + 700);
    QCOMPARE(layout.todayFrameLeft, 180);
    QCOMPARE(layout.todayFrameTop, 5 * 500 + 700 - 160);
}

void TestMonthView::dayColours_data()
{
    QTest::addColumn<QList<QDate>>("holidays"); // every one of their year

    QTest::newRow("2026 with San Francesco") << QList<QDate>{
        QDate(2026, 1, 1),  QDate(2026, 1, 6),  QDate(2026, 4, 5),  QDate(2026, 4, 6),
        QDate(2026, 4, 25), QDate(2026, 5, 1),  QDate(2026, 6, 2),  QDate(2026, 8, 15),
        QDate(2026, 10, 4), QDate(2026, 11, 1), QDate(2026, 12, 8), QDate(2026, 12, 25),
        QDate(2026, 12, 26)};
}

void TestMonthView::dayColours()
{
    QFETCH(QList<QDate>, holidays);

    const QSet<QDate> red(holidays.cbegin(), holidays.cend());
    const int year = holidays.first().year();
    for (int month = 1; month <= 12; ++month) {
        const MonthLayout layout = monthOf(QDate(year, month, 1));
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
    table.readLines({u"02/04 - Gita <b>"_s, u"02/05 - Compleanno"_s});

    const MonthLayout february = monthOf(QDate(2024, 2, 1), table);
    QCOMPARE(colourText(february.days.at(3).colour), colourText(colours::TagBlue));
    QCOMPARE(colourText(february.days.at(4).colour), colourText(colours::TagDefault));
    QCOMPARE(colourText(february.days.at(10).colour), colourText(colours::Sunday));
    QCOMPARE(february.holidayLine, u"4 Gita  - 5 Compleanno"_s);
}

void TestMonthView::todayFrame_data()
{
    QTest::addColumn<QDate>("shown");
    QTest::addColumn<QDate>("today");
    QTest::addColumn<bool>("placed");
    QTest::addColumn<bool>("visible");

    QTest::newRow("today's month shown")
        << QDate(2025, 5, 31) << QDate(2025, 5, 15) << true << true;
    QTest::newRow("next month: hidden but moved to 15 June")
        << QDate(2025, 6, 1) << QDate(2025, 5, 15) << true << false;
    // Same two year digits, other century: the frame must stay hidden.
    QTest::newRow("same month a century later")
        << QDate(2125, 5, 15) << QDate(2025, 5, 15) << true << false;
    QTest::newRow("same month a year earlier")
        << QDate(2024, 5, 15) << QDate(2025, 5, 15) << true << false;
    QTest::newRow("29 February shown") << QDate(2024, 2, 10) << QDate(2024, 2, 29) << true << true;
    QTest::newRow("31 January: February has no 31st")
        << QDate(2025, 2, 1) << QDate(2025, 1, 31) << false << false;
    QTest::newRow("1 September 2024 top right")
        << QDate(2024, 9, 1) << QDate(2024, 9, 1) << true << true;
}

void TestMonthView::todayFrame()
{
    QFETCH(QDate, shown);
    QFETCH(QDate, today);
    QFETCH(bool, placed);
    QFETCH(bool, visible);

    const MonthLayout layout = ComputeMonth(shown, today, RecurrenceTable(), CellWidth, CellHeight);
    QCOMPARE(layout.todayFramePlaced, placed);
    QCOMPARE(layout.todayFrameVisible, visible);
    if (placed) {
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
    QTest::addColumn<QString>("text"); // empty: the press is on no day

    QTest::newRow("5 March 2024")
        << 1 << 1500 << QDate(2024, 3, 17)
        << u"- Il giorno 5 marzo è il 65° del 2024 e mancano 301 giorni alla fine dell'anno -"_s;
    QTest::newRow("31 December of a leap year")
        << 1 << 3700 << QDate(2024, 12, 1)
        << u"- Il giorno 31 dicembre è il 366° del 2024 e mancano 0 giorni alla fine dell'anno -"_s;
    QTest::newRow("year below 1000 in four digits")
        << 6 << 700 << QDate(800, 3, 1)
        << u"- Il giorno 5 marzo è il 65° del 0800 e mancano 301 giorni alla fine dell'anno -"_s;
    QTest::newRow("just above the first band") << 6 << 699 << QDate(2024, 9, 1) << QString();
    QTest::newRow("just below the last band") << 0 << 4301 << QDate(2024, 9, 1) << QString();
    QTest::newRow("negative height") << 0 << -700 << QDate(2024, 9, 1) << QString();
}

void TestMonthView::dayInformation()
{
    QFETCH(int, column);
    QFETCH(int, y);
    QFETCH(QDate, shown);
    QFETCH(QString, text);

    const QString nomeMese = LowerMonthNames[shown.month() - 1].toUpper() + u"  "_s;
    QCOMPARE(DayInformation(column, y, shown, testutil::gridOffsetOf(shown.year(), shown.month()),
                            shown.daysInMonth(), nomeMese),
             text);
}

void TestMonthView::dayInformationForEveryCell()
{
    // Every cell of every month grid, pressed at the top, middle and bottom of its row band,
    // names the day the grid shows there, or nothing for an empty cell.
    const std::array<std::pair<int, int>, 6> bands = {
        {{700, 1169}, {1170, 1874}, {1875, 2489}, {2490, 3119}, {3120, 3699}, {3700, 4300}}};

    for (int year = 1900; year <= 2100; ++year) {
        for (int month = 1; month <= 12; ++month) {
            const QDate first(year, month, 1);
            const std::array<int, 32> rows = testutil::gridRows(year, month);
            std::array<std::array<int, 7>, 6> dayAt{};
            for (int day = 1; day <= first.daysInMonth(); ++day)
                dayAt[rows[day]][QDate(year, month, day).dayOfWeek() - 1] = day;

            const QString nomeMese = LowerMonthNames[month - 1].toUpper() + u"  "_s;
            const QDate shown = first.addDays(first.daysInMonth() / 2);
            for (int row = 0; row < 6; ++row) {
                const auto [from, to] = bands[row];
                for (int column = 0; column < 7; ++column) {
                    const int day = dayAt[row][column];
                    const QString expected = day ? infoLine(QDate(year, month, day)) : QString();
                    for (int y : {from, (from + to) / 2, to}) {
                        const QString got =
                            DayInformation(column, y, shown, testutil::gridOffsetOf(year, month),
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
