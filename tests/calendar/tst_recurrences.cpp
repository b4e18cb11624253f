#include "calendartestutil.h"
#include "recurrences.h"

#include <QTest>

#include <limits>

using namespace velaria;
using namespace Qt::StringLiterals;
using velaria::testutil::changedCells;
using velaria::testutil::colourText;
using velaria::testutil::markedTable;

using Cells = QList<QPair<int, int>>;

// The recurrence table, its line format, the colour tags and the lookup of one day.
class TestRecurrences : public QObject
{
    Q_OBJECT

private slots:
    void cellsByDayAndMonth();
    void cellsOutsideTheTable_data();
    void cellsOutsideTheTable();
    void clearEmptiesEveryDay();

    void readLine_data();
    void readLine();
    void laterLineReplacesTheText();

    void colourFromTags_data();
    void colourFromTags();
    void festPerso_data();
    void festPerso();

    void recurrenceLine_data();
    void recurrenceLine();
    void recurrenceLineReadsBackIntoItsCell();
};

void TestRecurrences::cellsByDayAndMonth()
{
    RecurrenceTable table;
    for (int day = 0; day < RecurrenceTable::DayCount; ++day)
        for (int month = 0; month < RecurrenceTable::MonthCount; ++month)
            QVERIFY(table.cell(day, month).isEmpty());
    table.setCell(15, 3, u"Sagra <v>"_s);
    table.setCell(31, 12, u"San Silvestro"_s);
    QCOMPARE(table.cell(15, 3), u"Sagra <v>"_s);
    QCOMPARE(table.cell(31, 12), u"San Silvestro"_s);
    // Day and month are not interchangeable.
    QCOMPARE(changedCells(RecurrenceTable(), table), (Cells{{15, 3}, {31, 12}}));
}

void TestRecurrences::cellsOutsideTheTable_data()
{
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("month");

    QTest::newRow("day 32") << 32 << 1;
    QTest::newRow("day -1") << -1 << 1;
    QTest::newRow("month 13 of day 2 (would alias day 3 month 0)") << 2 << 13;
    QTest::newRow("month -1") << 5 << -1;
    QTest::newRow("most negative month") << 5 << std::numeric_limits<int>::min();
}

void TestRecurrences::cellsOutsideTheTable()
{
    QFETCH(int, day);
    QFETCH(int, month);

    RecurrenceTable table = markedTable();
    QVERIFY(table.cell(day, month).isEmpty());
    table.setCell(day, month, u"fuori"_s);
    QVERIFY(table.cell(day, month).isEmpty());
    QCOMPARE(changedCells(markedTable(), table), Cells{});
}

void TestRecurrences::clearEmptiesEveryDay()
{
    RecurrenceTable table = markedTable();
    table.clear();
    QCOMPARE(changedCells(RecurrenceTable(), table), Cells{});
}

void TestRecurrences::readLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("day"); // with the month 0 0 when no cell may be written
    QTest::addColumn<int>("month");
    QTest::addColumn<QString>("text");

    QTest::newRow("month, day, text with tag")
        << u"03/15 - Festa del paese <v>"_s << 15 << 3 << u"Festa del paese <v>"_s;
    QTest::newRow("separators are not checked") << u"03x15yyzTesto"_s << 15 << 3 << u"Testo"_s;
    QTest::newRow("text keeps leading and trailing blanks")
        << u"04/02 -   spazi  "_s << 2 << 4 << u"  spazi  "_s;
    QTest::newRow("exactly eight characters gives an empty text")
        << u"03/15 - "_s << 15 << 3 << QString();
    QTest::newRow("30 February is stored") << u"02/30 - Mai"_s << 30 << 2 << u"Mai"_s;
    QTest::newRow("month 00 is inside the table") << u"00/05 - Zero"_s << 5 << 0 << u"Zero"_s;
    QTest::newRow("day 00 is inside the table") << u"05/00 - Zero"_s << 0 << 5 << u"Zero"_s;
    QTest::newRow("the text may hold another date")
        << u"06/07 - 08/09 - dieci"_s << 7 << 6 << u"08/09 - dieci"_s;

    QTest::newRow("month 13") << u"13/01 - Tredici"_s << 0 << 0 << QString();
    QTest::newRow("day 32") << u"01/32 - Trentadue"_s << 0 << 0 << QString();
    QTest::newRow("letters for the day") << u"01/cd - Lettere"_s << 0 << 0 << QString();
    QTest::newRow("one-digit month shifts the day") << u"1/5 - uno"_s << 0 << 0 << QString();
    QTest::newRow("hexadecimal month") << u"0x/05 - esa"_s << 0 << 0 << QString();
}

void TestRecurrences::readLine()
{
    QFETCH(QString, line);
    QFETCH(int, day);
    QFETCH(int, month);
    QFETCH(QString, text);

    const bool writes = day != 0 || month != 0;
    RecurrenceTable table = markedTable();
    QCOMPARE(table.readLine(line), writes);
    if (writes)
        QCOMPARE(table.cell(day, month), text);
    // Only that one cell changed (a day-0 or month-0 cell starts empty, so writing an empty
    // text there changes nothing).
    for (const auto &cell : changedCells(markedTable(), table))
        QCOMPARE(cell, qMakePair(day, month));
}

void TestRecurrences::laterLineReplacesTheText()
{
    RecurrenceTable table;
    table.readLines({u"05/01 - A"_s, u"13/01 - non valida"_s, u"05/01 - B"_s, u"05/0"_s, QString(),
                     u"05/02 - C"_s, u"05/03 - D"_s, u"05/03 - "_s});
    QCOMPARE(table.cell(1, 5), u"B"_s);
    QCOMPARE(table.cell(2, 5), u"C"_s);
    QCOMPARE(changedCells(RecurrenceTable(), table), (Cells{{1, 5}, {2, 5}}));
}

void TestRecurrences::colourFromTags_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<Rgb>("colour");
    QTest::addColumn<QString>("cleaned");

    QTest::newRow("green tag, blank before it stays")
        << u"Compleanno <v>"_s << colours::TagGreen << u"Compleanno "_s;
    QTest::newRow("blue tag") << u"<b>Riunione"_s << colours::TagBlue << u"Riunione"_s;
    QTest::newRow("orange tag") << u"Fiera <a> paese"_s << colours::TagOrange << u"Fiera  paese"_s;
    QTest::newRow("yellow tag") << u"Sagra<g>"_s << colours::TagYellow << u"Sagra"_s;
    QTest::newRow("no tag is red and unchanged")
        << u"Onomastico"_s << colours::TagDefault << u"Onomastico"_s;
    QTest::newRow("upper-case V is no tag")
        << u"<V>Compleanno"_s << colours::TagDefault << u"<V>Compleanno"_s;
    QTest::newRow("blue before green: green stays in the text")
        << u"A <v> B <b>"_s << colours::TagBlue << u"A <v> B "_s;
    QTest::newRow("green tested before orange") << u"<a><v>"_s << colours::TagGreen << u"<a>"_s;
    QTest::newRow("orange tested before yellow whatever the position")
        << u"<g>x<a>"_s << colours::TagOrange << u"<g>x"_s;
    QTest::newRow("green written twice: both removed")
        << u"<v>Doppio<v>"_s << colours::TagGreen << u"Doppio"_s;
    QTest::newRow("tag only") << u"<b>"_s << colours::TagBlue << QString();
    QTest::newRow("unclosed tag is no tag")
        << u"<b Lucia"_s << colours::TagDefault << u"<b Lucia"_s;
    QTest::newRow("tag inside other brackets") << u"<<b>>"_s << colours::TagBlue << u"<>"_s;
    QTest::newRow("empty text") << QString() << colours::TagDefault << QString();
}

void TestRecurrences::colourFromTags()
{
    QFETCH(QString, text);
    QFETCH(Rgb, colour);
    QFETCH(QString, cleaned);

    const Recurrence got = ColourFromTags(text);
    QCOMPARE(colourText(got.colour), colourText(colour));
    QCOMPARE(got.text, cleaned);
}

void TestRecurrences::festPerso_data()
{
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("month");
    QTest::addColumn<std::optional<Rgb>>("colour"); // none: no recurrence
    QTest::addColumn<QString>("text");

    QTest::newRow("green recurrence") << 15 << 3 << std::optional(colours::TagGreen) << u"Sagra "_s;
    QTest::newRow("untagged recurrence")
        << 25 << 12 << std::optional(colours::TagDefault) << u"Cena"_s;
    QTest::newRow("tag alone gives a colour and no text")
        << 1 << 6 << std::optional(colours::TagBlue) << QString();
    QTest::newRow("empty cell") << 16 << 3 << std::optional<Rgb>() << QString();
    QTest::newRow("same day of another month") << 15 << 4 << std::optional<Rgb>() << QString();
}

void TestRecurrences::festPerso()
{
    QFETCH(int, day);
    QFETCH(int, month);
    QFETCH(std::optional<Rgb>, colour);
    QFETCH(QString, text);

    RecurrenceTable table;
    table.readLines({u"03/15 - Sagra <v>"_s, u"12/25 - Cena"_s, u"06/01 - <b>"_s});
    const std::optional<Recurrence> got = FestPerso(table, day, month);
    QCOMPARE(colourText(got ? std::optional(got->colour) : std::nullopt), colourText(colour));
    QCOMPARE(got ? got->text : QString(), text);
}

void TestRecurrences::recurrenceLine_data()
{
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("line");

    QTest::newRow("month and day get a leading zero") << 1 << 9 << u"Nove"_s << u"01/09 - Nove"_s;
    QTest::newRow("empty text keeps the separator") << 12 << 1 << QString() << u"12/01 - "_s;
    QTest::newRow("text with blanks kept") << 7 << 14 << u" a "_s << u"07/14 -  a "_s;
}

void TestRecurrences::recurrenceLine()
{
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(QString, text);
    QFETCH(QString, line);
    QCOMPARE(RecurrenceLine(month, day, text), line);
}

void TestRecurrences::recurrenceLineReadsBackIntoItsCell()
{
    for (int month = 1; month <= 12; ++month) {
        for (int day = 1; day <= 31; ++day) {
            const QString text = u"Voce %1 del %2 <a>"_s.arg(day).arg(month);
            RecurrenceTable table;
            QVERIFY(table.readLine(RecurrenceLine(month, day, text)));
            QCOMPARE(table.cell(day, month), text);
        }
    }
}

QTEST_GUILESS_MAIN(TestRecurrences)
#include "tst_recurrences.moc"
