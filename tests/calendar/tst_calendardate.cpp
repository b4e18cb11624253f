#include "calendardate.h"
#include "calendartestutil.h"

#include <QDate>
#include <QTest>

#include <limits>

using namespace velaria;
using namespace Qt::StringLiterals;

// Date arithmetic of the month grid: leap years, month lengths, Monday-first columns and rows,
// month steps, the caption and the typed date.
class TestCalendarDate : public QObject
{
    Q_OBJECT

private slots:
    void leapYearsAndMonthLengthsAgreeWithQDate();
    void mondayColumn_data();
    void mondayColumn();
    void gridPlace_data();
    void gridPlace();
    void everyMonthGrid1900To2100();

    void addMonths_data();
    void addMonths();
    void addMonthsAgreesWithQDateAcrossYears();

    void monthCaption_data();
    void monthCaption();
    void everyMonthNameAndItsCaption();
    void monthFromCaption_data();
    void monthFromCaption();

    void dateText_data();
    void dateText();
    void parseDateEntry_data();
    void parseDateEntry();
    void parseDateEntryReadsBackDateText();
};

void TestCalendarDate::leapYearsAndMonthLengthsAgreeWithQDate()
{
    // Every supported year: 1900 and 2100 are common, 2000 and 2400 leap, year 4 the first.
    for (int year = FirstYear; year <= LastYear; ++year) {
        if (IsLeapYearA(year) != QDate::isLeapYear(year))
            QFAIL(qPrintable(u"leap year %1"_s.arg(year)));
        for (int month = 1; month <= 12; ++month) {
            if (MonthLength(year, month) != QDate(year, month, 1).daysInMonth())
                QFAIL(qPrintable(u"length of %1-%2"_s.arg(year).arg(month)));
        }
    }
}

void TestCalendarDate::mondayColumn_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<int>("column");

    QTest::newRow("Monday 1 January 2024") << QDate(2024, 1, 1) << 0;
    QTest::newRow("Thursday 15 May 2025") << QDate(2025, 5, 15) << 3;
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

void TestCalendarDate::gridPlace_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("offset"); // of the date's month

    QTest::newRow("1st on a Monday: top left, offset 6") << QDate(2024, 1, 1) << 0 << 0 << 6;
    QTest::newRow("the first Sunday ends row 0") << QDate(2024, 1, 7) << 6 << 0 << 6;
    QTest::newRow("the next Monday opens row 1") << QDate(2024, 1, 8) << 0 << 1 << 6;
    QTest::newRow("1st on a Tuesday: offset 0") << QDate(2024, 10, 1) << 1 << 0 << 0;
    QTest::newRow("1st on a Sunday: top right, offset 5") << QDate(2024, 9, 1) << 6 << 0 << 5;
    QTest::newRow("30 September 2024 in the sixth row") << QDate(2024, 9, 30) << 0 << 5 << 5;
    QTest::newRow("February 2021 fills four rows") << QDate(2021, 2, 28) << 6 << 3 << 6;
    QTest::newRow("31 December 9999") << QDate(9999, 12, 31) << 4 << 4 << 1;
}

void TestCalendarDate::gridPlace()
{
    QFETCH(QDate, date);
    QFETCH(int, column);
    QFETCH(int, row);
    QFETCH(int, offset);
    QCOMPARE(GridPlace(date.year(), date.month(), date.day()), (GridCell{column, row}));
    QCOMPARE(GridOffset(date.year(), date.month()), offset);
}

void TestCalendarDate::everyMonthGrid1900To2100()
{
    for (int year = 1900; year <= 2100; ++year) {
        for (int month = 1; month <= 12; ++month) {
            const QString where = u"%1-%2"_s.arg(year).arg(month);
            if (GridOffset(year, month) != testutil::gridOffsetOf(year, month))
                QFAIL(qPrintable(where + u" grid offset"_s));
            const std::array<int, 32> rows = testutil::gridRows(year, month);
            for (int day = 1; day <= QDate(year, month, 1).daysInMonth(); ++day) {
                const GridCell expected{QDate(year, month, day).dayOfWeek() - 1, rows[day]};
                if (GridPlace(year, month, day) != expected || expected.row > 5)
                    QFAIL(qPrintable(where + u"-%1"_s.arg(day)));
            }
        }
    }
}

void TestCalendarDate::addMonths_data()
{
    QTest::addColumn<QDate>("from");
    QTest::addColumn<int>("months");
    QTest::addColumn<QDate>("expected"); // invalid: outside the supported years

    QTest::newRow("31 Jan 2024 +1 clamps to 29 Feb")
        << QDate(2024, 1, 31) << 1 << QDate(2024, 2, 29);
    QTest::newRow("31 Mar 2023 -1 clamps to 28 Feb")
        << QDate(2023, 3, 31) << -1 << QDate(2023, 2, 28);
    QTest::newRow("29 Feb 2024 +12 clamps to 28 Feb 2025")
        << QDate(2024, 2, 29) << 12 << QDate(2025, 2, 28);
    QTest::newRow("-13 months across a year end")
        << QDate(2024, 1, 31) << -13 << QDate(2022, 12, 31);
    QTest::newRow("1 Feb year 1 -1 is the first supported month")
        << QDate(1, 2, 1) << -1 << QDate(1, 1, 1);
    QTest::newRow("30 Nov 9999 +1 is the last supported month")
        << QDate(9999, 11, 30) << 1 << QDate(9999, 12, 30);
    QTest::newRow("31 Dec 9999 +1 is past the last year") << QDate(9999, 12, 31) << 1 << QDate();
    QTest::newRow("1 Jan year 1 -1 is before the first year") << QDate(1, 1, 1) << -1 << QDate();
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
    QCOMPARE(AddMonths(from, months), expected);
}

void TestCalendarDate::addMonthsAgreesWithQDateAcrossYears()
{
    for (QDate date(1999, 1, 1); date <= QDate(2001, 12, 31); date = date.addDays(1)) {
        for (int months = -30; months <= 30; ++months) {
            if (AddMonths(date, months) != date.addMonths(months))
                QFAIL(qPrintable(u"%1 %2 months"_s.arg(date.toString(Qt::ISODate)).arg(months)));
        }
    }
}

void TestCalendarDate::monthCaption_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("caption");

    QTest::newRow("name, two blanks, year") << QDate(2024, 3, 17) << u"MARZO  2024"_s;
    QTest::newRow("year 1 in four digits") << QDate(1, 1, 1) << u"GENNAIO  0001"_s;
    QTest::newRow("year 999 in four digits") << QDate(999, 7, 1) << u"LUGLIO  0999"_s;
    QTest::newRow("year 9999") << QDate(9999, 12, 31) << u"DICEMBRE  9999"_s;
}

void TestCalendarDate::monthCaption()
{
    QFETCH(QDate, date);
    QFETCH(QString, caption);
    QCOMPARE(MonthCaption(date), caption);
}

void TestCalendarDate::everyMonthNameAndItsCaption()
{
    const QStringList names = {u"GENNAIO"_s,   u"FEBBRAIO"_s, u"MARZO"_s,    u"APRILE"_s,
                               u"MAGGIO"_s,    u"GIUGNO"_s,   u"LUGLIO"_s,   u"AGOSTO"_s,
                               u"SETTEMBRE"_s, u"OTTOBRE"_s,  u"NOVEMBRE"_s, u"DICEMBRE"_s};
    for (int month = 1; month <= 12; ++month) {
        const QString caption = MonthCaption(QDate(2025, month, 28));
        QCOMPARE(caption, names[month - 1] + u"  2025"_s);
        QCOMPARE(MonthFromCaption(caption), month);
    }
}

void TestCalendarDate::monthFromCaption_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("month");

    QTest::newRow("key alone") << u"MAG"_s << 5;
    QTest::newRow("only the first three characters count") << u"MARTEDI"_s << 3;
    QTest::newRow("NomeMese with trailing blanks") << u"OTTOBRE  "_s << 10;
    QTest::newRow("lower case is no month") << u"gennaio  2024"_s << 0;
    QTest::newRow("title case is no month") << u"Gennaio  2024"_s << 0;
    QTest::newRow("English name is no month") << u"JANUARY  2024"_s << 0;
    QTest::newRow("leading blank is no month") << u" GENNAIO  2024"_s << 0;
    QTest::newRow("two characters only") << u"GE"_s << 0;
    QTest::newRow("empty caption") << QString() << 0;
}

void TestCalendarDate::monthFromCaption()
{
    QFETCH(QString, caption);
    QFETCH(int, month);
    QCOMPARE(MonthFromCaption(caption), month);
}

void TestCalendarDate::dateText_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("text");

    QTest::newRow("day and month get a leading zero") << QDate(2024, 3, 5) << u"05/03/2024"_s;
    QTest::newRow("day first, not month first") << QDate(2024, 1, 12) << u"12/01/2024"_s;
    QTest::newRow("year 1 in four digits") << QDate(1, 1, 1) << u"01/01/0001"_s;
    QTest::newRow("last supported day") << QDate(9999, 12, 31) << u"31/12/9999"_s;
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

    QTest::newRow("d/m/yyyy") << u"5/3/2024"_s << QDate(2024, 3, 5);
    QTest::newRow("hyphens") << u"5-3-2024"_s << QDate(2024, 3, 5);
    QTest::newRow("dots") << u"5.3.2024"_s << QDate(2024, 3, 5);
    QTest::newRow("blanks, and blanks around") << u" 5 3 2024 "_s << QDate(2024, 3, 5);
    QTest::newRow("day first when both could be a month") << u"12/01/2024"_s << QDate(2024, 1, 12);
    QTest::newRow("29 February of a leap year") << u"29/02/2024"_s << QDate(2024, 2, 29);
    QTest::newRow("first supported day") << u"01/01/0001"_s << QDate(1, 1, 1);
    QTest::newRow("last supported day") << u"31/12/9999"_s << QDate(9999, 12, 31);

    QTest::newRow("cancelled box") << QString() << QDate();
    QTest::newRow("blanks only") << u"   "_s << QDate();
    QTest::newRow("a word") << u"domani"_s << QDate();
    QTest::newRow("31 February") << u"31/02/2024"_s << QDate();
    QTest::newRow("29 February of a common year") << u"29/02/2023"_s << QDate();
    QTest::newRow("day 0") << u"00/03/2024"_s << QDate();
    QTest::newRow("day 32") << u"32/01/2024"_s << QDate();
    QTest::newRow("month 13 (month first is not read)") << u"01/13/2024"_s << QDate();
    QTest::newRow("month 0") << u"01/00/2024"_s << QDate();
    QTest::newRow("year 0") << u"01/01/0000"_s << QDate();
    QTest::newRow("year 10000") << u"01/01/10000"_s << QDate();
    QTest::newRow("day and month only") << u"05/03"_s << QDate();
    QTest::newRow("two-digit year is not the year 24") << u"5/3/24"_s << QDate();
    QTest::newRow("letters in the month") << u"05/mar/2024"_s << QDate();
}

void TestCalendarDate::parseDateEntry()
{
    QFETCH(QString, text);
    QFETCH(QDate, expected);
    QCOMPARE(ParseDateEntry(text), expected);
}

void TestCalendarDate::parseDateEntryReadsBackDateText()
{
    // The date entry proposes today's DateText: whatever it shows must read back as that day.
    for (QDate date(2023, 12, 1); date <= QDate(2025, 1, 31); date = date.addDays(1))
        QCOMPARE(ParseDateEntry(DateText(date)), date);
}

QTEST_GUILESS_MAIN(TestCalendarDate)
#include "tst_calendardate.moc"
