#include "calendardate.h"

#include <QDate>
#include <QTest>

#include <limits>

using namespace velaria;

// Date arithmetic of the month grid: leap years, month lengths, Monday-first columns and rows,
// month steps, the caption and the typed date.
class TestCalendarDate : public QObject
{
    Q_OBJECT

private slots:
    void isLeapYear_data();
    void isLeapYear();
    void isLeapYearAgreesWithQDateForEveryYear();

    void monthLength_data();
    void monthLength();
    void monthLengthAgreesWithQDateForEveryMonth();

    void mondayColumn_data();
    void mondayColumn();
    void mondayColumnOfEveryDay1900To2100();

    void gridPlace_data();
    void gridPlace();
    void gridOffset_data();
    void gridOffset();
    void everyMonthGrid1900To2100();

    void addMonths_data();
    void addMonths();
    void addMonthsKeepsTheClampedDay();
    void addMonthsAgreesWithQDateAcrossYears();

    void monthCaption_data();
    void monthCaption();
    void monthFromCaption_data();
    void monthFromCaption();
    void everyCaptionIsRecognised();

    void dateText_data();
    void dateText();

    void parseDateEntry_data();
    void parseDateEntry();
    void parseDateEntryReadsBackDateText();
};

void TestCalendarDate::isLeapYear_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<bool>("leap");

    QTest::newRow("1900 century not divisible by 400") << 1900 << false;
    QTest::newRow("2000 divisible by 400") << 2000 << true;
    QTest::newRow("2023 odd year") << 2023 << false;
    QTest::newRow("2024 divisible by 4") << 2024 << true;
    QTest::newRow("2100 century") << 2100 << false;
    QTest::newRow("2400 divisible by 400") << 2400 << true;
    QTest::newRow("2022 even but not by 4") << 2022 << false;
    QTest::newRow("year 1") << 1 << false;
    QTest::newRow("year 4 first leap year") << 4 << true;
    QTest::newRow("year 100") << 100 << false;
    QTest::newRow("year 400") << 400 << true;
    QTest::newRow("9996 last leap year") << 9996 << true;
    QTest::newRow("9999 last year") << 9999 << false;
}

void TestCalendarDate::isLeapYear()
{
    QFETCH(int, year);
    QFETCH(bool, leap);
    QCOMPARE(IsLeapYearA(year), leap);
}

void TestCalendarDate::isLeapYearAgreesWithQDateForEveryYear()
{
    for (int year = FirstYear; year <= LastYear; ++year) {
        if (IsLeapYearA(year) != QDate::isLeapYear(year))
            QFAIL(qPrintable(QStringLiteral("year %1").arg(year)));
    }
}

void TestCalendarDate::monthLength_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("days");

    QTest::newRow("January 2024") << 2024 << 1 << 31;
    QTest::newRow("February 2024 leap") << 2024 << 2 << 29;
    QTest::newRow("February 2023 common") << 2023 << 2 << 28;
    QTest::newRow("February 1900 century") << 1900 << 2 << 28;
    QTest::newRow("February 2000 fourth century") << 2000 << 2 << 29;
    QTest::newRow("April") << 2024 << 4 << 30;
    QTest::newRow("June") << 2024 << 6 << 30;
    QTest::newRow("July") << 2024 << 7 << 31;
    QTest::newRow("August") << 2024 << 8 << 31;
    QTest::newRow("September") << 2024 << 9 << 30;
    QTest::newRow("November") << 2024 << 11 << 30;
    QTest::newRow("December") << 2024 << 12 << 31;
    QTest::newRow("December 9999 last month") << 9999 << 12 << 31;
    QTest::newRow("January of year 1") << 1 << 1 << 31;
}

void TestCalendarDate::monthLength()
{
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, days);
    QCOMPARE(MonthLength(year, month), days);
}

void TestCalendarDate::monthLengthAgreesWithQDateForEveryMonth()
{
    for (int year = FirstYear; year <= LastYear; ++year) {
        for (int month = 1; month <= 12; ++month) {
            const int expected = QDate(year, month, 1).daysInMonth();
            if (MonthLength(year, month) != expected)
                QFAIL(qPrintable(QStringLiteral("%1-%2: got %3, expected %4")
                                     .arg(year)
                                     .arg(month)
                                     .arg(MonthLength(year, month))
                                     .arg(expected)));
        }
    }
}

void TestCalendarDate::mondayColumn_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<int>("column");

    QTest::newRow("Monday 1 January 2024") << QDate(2024, 1, 1) << 0;
    QTest::newRow("Tuesday 2 January 2024") << QDate(2024, 1, 2) << 1;
    QTest::newRow("Wednesday 3 January 2024") << QDate(2024, 1, 3) << 2;
    QTest::newRow("Thursday 15 May 2025") << QDate(2025, 5, 15) << 3;
    QTest::newRow("Friday 1 March 2024") << QDate(2024, 3, 1) << 4;
    QTest::newRow("Saturday 31 August 2024") << QDate(2024, 8, 31) << 5;
    QTest::newRow("Sunday 1 September 2024") << QDate(2024, 9, 1) << 6;
    QTest::newRow("Monday 1 January year 1") << QDate(1, 1, 1) << 0;
    QTest::newRow("Friday 31 December 9999") << QDate(9999, 12, 31) << 4;
}

void TestCalendarDate::mondayColumn()
{
    QFETCH(QDate, date);
    QFETCH(int, column);
    QCOMPARE(MondayColumn(date), column);
}

void TestCalendarDate::mondayColumnOfEveryDay1900To2100()
{
    for (QDate date(1900, 1, 1); date <= QDate(2100, 12, 31); date = date.addDays(1)) {
        if (MondayColumn(date) != date.dayOfWeek() - 1)
            QFAIL(qPrintable(date.toString(Qt::ISODate)));
    }
}

void TestCalendarDate::gridPlace_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("row");

    QTest::newRow("January 2024 starts on Monday: day 1") << 2024 << 1 << 1 << 0 << 0;
    QTest::newRow("January 2024: day 7 is the first Sunday") << 2024 << 1 << 7 << 6 << 0;
    QTest::newRow("January 2024: day 8 opens row 1") << 2024 << 1 << 8 << 0 << 1;
    QTest::newRow("January 2024: day 31") << 2024 << 1 << 31 << 2 << 4;
    QTest::newRow("September 2024 starts on Sunday: day 1") << 2024 << 9 << 1 << 6 << 0;
    QTest::newRow("September 2024: day 2 opens row 1") << 2024 << 9 << 2 << 0 << 1;
    QTest::newRow("September 2024: day 30 in the sixth row") << 2024 << 9 << 30 << 0 << 5;
    QTest::newRow("February 2021 fills four rows: day 28") << 2021 << 2 << 28 << 6 << 3;
    QTest::newRow("March 2024 starts on Friday: day 1") << 2024 << 3 << 1 << 4 << 0;
    QTest::newRow("March 2024: day 31 Easter Sunday") << 2024 << 3 << 31 << 6 << 4;
    QTest::newRow("May 2025: day 15") << 2025 << 5 << 15 << 3 << 2;
    QTest::newRow("December 9999: day 31") << 9999 << 12 << 31 << 4 << 4;
}

void TestCalendarDate::gridPlace()
{
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(int, column);
    QFETCH(int, row);

    const GridCell cell = GridPlace(year, month, day);
    QCOMPARE(cell.column, column);
    QCOMPARE(cell.row, row);
}

void TestCalendarDate::gridOffset_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("offset");

    QTest::newRow("1st on Monday stores 6 (January 2024)") << 2024 << 1 << 6;
    QTest::newRow("1st on Tuesday stores 0 (October 2024)") << 2024 << 10 << 0;
    QTest::newRow("1st on Thursday stores 2 (February 2024)") << 2024 << 2 << 2;
    QTest::newRow("1st on Friday stores 3 (March 2024)") << 2024 << 3 << 3;
    QTest::newRow("1st on Saturday stores 4 (June 2024)") << 2024 << 6 << 4;
    QTest::newRow("1st on Sunday stores 5 (September 2024)") << 2024 << 9 << 5;
    QTest::newRow("1st on Monday stores 6 (February 2021)") << 2021 << 2 << 6;
    QTest::newRow("January of year 1 starts on Monday") << 1 << 1 << 6;
}

void TestCalendarDate::gridOffset()
{
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, offset);
    QCOMPARE(GridOffset(year, month), offset);
}

void TestCalendarDate::everyMonthGrid1900To2100()
{
    for (int year = 1900; year <= 2100; ++year) {
        for (int month = 1; month <= 12; ++month) {
            const QDate first(year, month, 1);
            const QString where = first.toString(QStringLiteral("yyyy-MM"));

            // The day before the 1st, counted Monday first (6 for a Sunday).
            const int offset = first.addDays(-1).dayOfWeek() - 1;
            if (GridOffset(year, month) != offset)
                QFAIL(qPrintable(where + QStringLiteral(" grid offset")));

            GridCell previous{};
            for (int day = 1; day <= first.daysInMonth(); ++day) {
                const GridCell cell = GridPlace(year, month, day);
                const QString at = where + QStringLiteral("-%1").arg(day);
                if (cell.column != QDate(year, month, day).dayOfWeek() - 1)
                    QFAIL(qPrintable(at + QStringLiteral(" column")));
                if (day == 1) {
                    if (cell.row != 0)
                        QFAIL(qPrintable(at + QStringLiteral(" day 1 not in the first row")));
                } else {
                    // A Monday opens the next row, any other day stays in its row.
                    const int expectedRow = cell.column == 0 ? previous.row + 1 : previous.row;
                    if (cell.row != expectedRow)
                        QFAIL(qPrintable(at + QStringLiteral(" row")));
                }
                if (cell.row > 5)
                    QFAIL(qPrintable(at + QStringLiteral(" beyond the sixth row")));
                previous = cell;
            }
        }
    }
}

void TestCalendarDate::addMonths_data()
{
    QTest::addColumn<QDate>("from");
    QTest::addColumn<int>("months");
    QTest::addColumn<QDate>("expected");

    QTest::newRow("31 Jan 2024 +1 clamps to 29 Feb")
        << QDate(2024, 1, 31) << 1 << QDate(2024, 2, 29);
    QTest::newRow("31 Jan 2023 +1 clamps to 28 Feb")
        << QDate(2023, 1, 31) << 1 << QDate(2023, 2, 28);
    QTest::newRow("31 Mar 2023 -1 clamps to 28 Feb")
        << QDate(2023, 3, 31) << -1 << QDate(2023, 2, 28);
    QTest::newRow("31 Mar 2024 -1 clamps to 29 Feb")
        << QDate(2024, 3, 31) << -1 << QDate(2024, 2, 29);
    QTest::newRow("31 May +1 clamps to 30 Jun") << QDate(2024, 5, 31) << 1 << QDate(2024, 6, 30);
    QTest::newRow("30 Apr +1 keeps the 30th") << QDate(2024, 4, 30) << 1 << QDate(2024, 5, 30);
    QTest::newRow("15 Dec 2024 +1 enters January 2025")
        << QDate(2024, 12, 15) << 1 << QDate(2025, 1, 15);
    QTest::newRow("15 Jan 2025 -1 returns to December 2024")
        << QDate(2025, 1, 15) << -1 << QDate(2024, 12, 15);
    QTest::newRow("31 Dec 2024 +1 keeps the 31st")
        << QDate(2024, 12, 31) << 1 << QDate(2025, 1, 31);
    QTest::newRow("zero months") << QDate(2024, 7, 19) << 0 << QDate(2024, 7, 19);
    QTest::newRow("29 Feb 2024 +12 clamps to 28 Feb 2025")
        << QDate(2024, 2, 29) << 12 << QDate(2025, 2, 28);
    QTest::newRow("29 Feb 2024 +48 keeps 29 Feb 2028")
        << QDate(2024, 2, 29) << 48 << QDate(2028, 2, 29);
    QTest::newRow("+25 months across two year ends")
        << QDate(2023, 11, 30) << 25 << QDate(2025, 12, 30);
    QTest::newRow("-13 months") << QDate(2024, 1, 31) << -13 << QDate(2022, 12, 31);
    QTest::newRow("-24 months lands on January") << QDate(2024, 1, 10) << -24 << QDate(2022, 1, 10);
    QTest::newRow("1 Feb year 1 -1 is the first supported month")
        << QDate(1, 2, 1) << -1 << QDate(1, 1, 1);
    QTest::newRow("30 Nov 9999 +1 is the last supported month")
        << QDate(9999, 11, 30) << 1 << QDate(9999, 12, 30);
    QTest::newRow("31 Dec 9999 +1 is past the last year") << QDate(9999, 12, 31) << 1 << QDate();
    QTest::newRow("1 Jan year 1 -1 is before the first year") << QDate(1, 1, 1) << -1 << QDate();
    QTest::newRow("15 Jun 9999 +7 is past the last year") << QDate(9999, 6, 15) << 7 << QDate();
    QTest::newRow("a million months ahead") << QDate(2024, 1, 1) << 1000000 << QDate();
    QTest::newRow("a million months back") << QDate(2024, 1, 1) << -1000000 << QDate();
    QTest::newRow("largest int of months")
        << QDate(2024, 1, 1) << std::numeric_limits<int>::max() << QDate();
    QTest::newRow("smallest int of months")
        << QDate(2024, 1, 1) << std::numeric_limits<int>::min() << QDate();
}

void TestCalendarDate::addMonths()
{
    QFETCH(QDate, from);
    QFETCH(int, months);
    QFETCH(QDate, expected);

    const QDate got = AddMonths(from, months);
    QCOMPARE(got.isValid(), expected.isValid());
    if (expected.isValid())
        QCOMPARE(got, expected);
}

void TestCalendarDate::addMonthsKeepsTheClampedDay()
{
    // Stepping forward from 31 January: the 28th of February stays the 28th in March.
    const QDate february = AddMonths(QDate(2023, 1, 31), 1);
    QCOMPARE(february, QDate(2023, 2, 28));
    QCOMPARE(AddMonths(february, 1), QDate(2023, 3, 28));

    const QDate leapFebruary = AddMonths(QDate(2024, 1, 31), 1);
    QCOMPARE(AddMonths(leapFebruary, -1), QDate(2024, 1, 29));
}

void TestCalendarDate::addMonthsAgreesWithQDateAcrossYears()
{
    for (QDate date(1999, 1, 1); date <= QDate(2001, 12, 31); date = date.addDays(1)) {
        for (int months = -30; months <= 30; ++months) {
            if (AddMonths(date, months) != date.addMonths(months))
                QFAIL(qPrintable(
                    QStringLiteral("%1 %2 months").arg(date.toString(Qt::ISODate)).arg(months)));
        }
    }
}

void TestCalendarDate::monthCaption_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("caption");

    QTest::newRow("January") << QDate(2024, 1, 1) << QStringLiteral("GENNAIO  2024");
    QTest::newRow("February") << QDate(2024, 2, 29) << QStringLiteral("FEBBRAIO  2024");
    QTest::newRow("March, any day") << QDate(2024, 3, 17) << QStringLiteral("MARZO  2024");
    QTest::newRow("April") << QDate(2024, 4, 30) << QStringLiteral("APRILE  2024");
    QTest::newRow("May") << QDate(2024, 5, 1) << QStringLiteral("MAGGIO  2024");
    QTest::newRow("June") << QDate(2024, 6, 2) << QStringLiteral("GIUGNO  2024");
    QTest::newRow("July") << QDate(2024, 7, 31) << QStringLiteral("LUGLIO  2024");
    QTest::newRow("August 2025") << QDate(2025, 8, 15) << QStringLiteral("AGOSTO  2025");
    QTest::newRow("September") << QDate(2024, 9, 30) << QStringLiteral("SETTEMBRE  2024");
    QTest::newRow("October") << QDate(2024, 10, 4) << QStringLiteral("OTTOBRE  2024");
    QTest::newRow("November") << QDate(2024, 11, 1) << QStringLiteral("NOVEMBRE  2024");
    QTest::newRow("December") << QDate(2024, 12, 25) << QStringLiteral("DICEMBRE  2024");
    QTest::newRow("year 1 in four digits") << QDate(1, 1, 1) << QStringLiteral("GENNAIO  0001");
    QTest::newRow("year 45 in four digits") << QDate(45, 6, 1) << QStringLiteral("GIUGNO  0045");
    QTest::newRow("year 999 in four digits") << QDate(999, 7, 1) << QStringLiteral("LUGLIO  0999");
    QTest::newRow("year 9999") << QDate(9999, 12, 31) << QStringLiteral("DICEMBRE  9999");
}

void TestCalendarDate::monthCaption()
{
    QFETCH(QDate, date);
    QFETCH(QString, caption);
    QCOMPARE(MonthCaption(date), caption);
}

void TestCalendarDate::monthFromCaption_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("month");

    QTest::newRow("GENNAIO caption") << QStringLiteral("GENNAIO  2024") << 1;
    QTest::newRow("FEBBRAIO caption") << QStringLiteral("FEBBRAIO  2024") << 2;
    QTest::newRow("MARZO caption") << QStringLiteral("MARZO  2024") << 3;
    QTest::newRow("APRILE caption") << QStringLiteral("APRILE  2024") << 4;
    QTest::newRow("MAGGIO caption") << QStringLiteral("MAGGIO  2024") << 5;
    QTest::newRow("GIUGNO caption") << QStringLiteral("GIUGNO  2024") << 6;
    QTest::newRow("LUGLIO caption") << QStringLiteral("LUGLIO  2024") << 7;
    QTest::newRow("AGOSTO caption") << QStringLiteral("AGOSTO  2024") << 8;
    QTest::newRow("SETTEMBRE caption") << QStringLiteral("SETTEMBRE  2024") << 9;
    QTest::newRow("OTTOBRE caption") << QStringLiteral("OTTOBRE  2024") << 10;
    QTest::newRow("NOVEMBRE caption") << QStringLiteral("NOVEMBRE  2024") << 11;
    QTest::newRow("DICEMBRE caption") << QStringLiteral("DICEMBRE  2024") << 12;
    QTest::newRow("key alone") << QStringLiteral("MAG") << 5;
    QTest::newRow("only the first three characters count") << QStringLiteral("MARTEDI") << 3;
    QTest::newRow("NomeMese with trailing blanks") << QStringLiteral("OTTOBRE  ") << 10;
    QTest::newRow("lower case is no month") << QStringLiteral("gennaio  2024") << 0;
    QTest::newRow("title case is no month") << QStringLiteral("Gennaio  2024") << 0;
    QTest::newRow("English name is no month") << QStringLiteral("JANUARY  2024") << 0;
    QTest::newRow("leading blank is no month") << QStringLiteral(" GENNAIO  2024") << 0;
    QTest::newRow("two characters only") << QStringLiteral("GE") << 0;
    QTest::newRow("empty caption") << QString() << 0;
    QTest::newRow("digits") << QStringLiteral("2024") << 0;
}

void TestCalendarDate::monthFromCaption()
{
    QFETCH(QString, caption);
    QFETCH(int, month);
    QCOMPARE(MonthFromCaption(caption), month);
}

void TestCalendarDate::everyCaptionIsRecognised()
{
    for (int year : {1, 2024, 9999}) {
        for (int month = 1; month <= 12; ++month) {
            const QString caption = MonthCaption(QDate(year, month, 1));
            QCOMPARE(MonthFromCaption(caption), month);
            QCOMPARE(caption.right(4), QStringLiteral("%1").arg(year, 4, 10, QLatin1Char('0')));
        }
    }
}

void TestCalendarDate::dateText_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("text");

    QTest::newRow("day and month get a leading zero")
        << QDate(2024, 3, 5) << QStringLiteral("05/03/2024");
    QTest::newRow("two-digit day and month") << QDate(2030, 12, 25) << QStringLiteral("25/12/2030");
    QTest::newRow("day first, not month first")
        << QDate(2024, 1, 12) << QStringLiteral("12/01/2024");
    QTest::newRow("year 1 in four digits") << QDate(1, 1, 1) << QStringLiteral("01/01/0001");
    QTest::newRow("last supported day") << QDate(9999, 12, 31) << QStringLiteral("31/12/9999");
}

void TestCalendarDate::dateText()
{
    QFETCH(QDate, date);
    QFETCH(QString, text);
    QCOMPARE(DateText(date), text);
}

void TestCalendarDate::parseDateEntry_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("expected"); // invalid: the entry is no date

    QTest::newRow("dd/mm/yyyy") << QStringLiteral("05/03/2024") << QDate(2024, 3, 5);
    QTest::newRow("d/m/yyyy") << QStringLiteral("5/3/2024") << QDate(2024, 3, 5);
    QTest::newRow("hyphens") << QStringLiteral("5-3-2024") << QDate(2024, 3, 5);
    QTest::newRow("dots") << QStringLiteral("5.3.2024") << QDate(2024, 3, 5);
    QTest::newRow("blanks") << QStringLiteral("5 3 2024") << QDate(2024, 3, 5);
    QTest::newRow("day first when both could be a month")
        << QStringLiteral("12/01/2024") << QDate(2024, 1, 12);
    QTest::newRow("day above 12 first") << QStringLiteral("13/01/2024") << QDate(2024, 1, 13);
    QTest::newRow("Christmas 2030") << QStringLiteral("25/12/2030") << QDate(2030, 12, 25);
    QTest::newRow("29 February of a leap year")
        << QStringLiteral("29/02/2024") << QDate(2024, 2, 29);
    QTest::newRow("first supported day") << QStringLiteral("01/01/0001") << QDate(1, 1, 1);
    QTest::newRow("last supported day") << QStringLiteral("31/12/9999") << QDate(9999, 12, 31);

    QTest::newRow("cancelled box") << QString() << QDate();
    QTest::newRow("empty answer") << QStringLiteral("") << QDate();
    QTest::newRow("blanks only") << QStringLiteral("   ") << QDate();
    QTest::newRow("a word") << QStringLiteral("domani") << QDate();
    QTest::newRow("31 February") << QStringLiteral("31/02/2024") << QDate();
    QTest::newRow("29 February of a common year") << QStringLiteral("29/02/2023") << QDate();
    QTest::newRow("day 0") << QStringLiteral("00/03/2024") << QDate();
    QTest::newRow("day 32") << QStringLiteral("32/01/2024") << QDate();
    QTest::newRow("month 13 (month first is not read)") << QStringLiteral("01/13/2024") << QDate();
    QTest::newRow("month 0") << QStringLiteral("01/00/2024") << QDate();
    QTest::newRow("year 0") << QStringLiteral("01/01/0000") << QDate();
    QTest::newRow("year 10000") << QStringLiteral("01/01/10000") << QDate();
    QTest::newRow("day and month only") << QStringLiteral("05/03") << QDate();
    QTest::newRow("two-digit year is not the year 24") << QStringLiteral("5/3/24") << QDate();
    QTest::newRow("letters in the month") << QStringLiteral("05/mar/2024") << QDate();
}

void TestCalendarDate::parseDateEntry()
{
    QFETCH(QString, text);
    QFETCH(QDate, expected);

    const QDate got = ParseDateEntry(text);
    QCOMPARE(got.isValid(), expected.isValid());
    if (expected.isValid())
        QCOMPARE(got, expected);
}

void TestCalendarDate::parseDateEntryReadsBackDateText()
{
    // The date entry proposes today's DateText: whatever it shows must read back as that day.
    for (QDate date(2023, 12, 1); date <= QDate(2025, 1, 31); date = date.addDays(1))
        QCOMPARE(ParseDateEntry(DateText(date)), date);
    for (const QDate &date : {QDate(1, 1, 1), QDate(1000, 6, 30), QDate(9999, 12, 31)})
        QCOMPARE(ParseDateEntry(DateText(date)), date);
}

QTEST_GUILESS_MAIN(TestCalendarDate)
#include "tst_calendardate.moc"
