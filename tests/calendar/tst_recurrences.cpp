#include "calendartestutil.h"
#include "recurrences.h"

#include <QTest>

#include <limits>
#include <vector>

using namespace velaria;
using namespace Qt::StringLiterals;
using velaria::testutil::colourText;

namespace {

// Every cell of the table, days 0 to 31 by months 0 to 12, read through the public accessor.
std::vector<QString> snapshot(const RecurrenceTable &table)
{
    std::vector<QString> cells;
    for (int day = 0; day < RecurrenceTable::DayCount; ++day)
        for (int month = 0; month < RecurrenceTable::MonthCount; ++month)
            cells.push_back(table.cell(day, month));
    return cells;
}

// A table whose ordinary cells all hold a marker, so that any stray write shows.
RecurrenceTable markedTable()
{
    RecurrenceTable table;
    for (int day = 1; day <= 31; ++day)
        for (int month = 1; month <= 12; ++month)
            table.setCell(day, month, QStringLiteral("marker %1/%2").arg(day).arg(month));
    return table;
}

// The (day, month) cells whose text differs between two snapshots.
QList<QPair<int, int>> changedCells(const std::vector<QString> &before,
                                    const std::vector<QString> &after)
{
    QList<QPair<int, int>> changed;
    std::size_t i = 0;
    for (int day = 0; day < RecurrenceTable::DayCount; ++day) {
        for (int month = 0; month < RecurrenceTable::MonthCount; ++month, ++i) {
            if (before[i] != after[i])
                changed.append({day, month});
        }
    }
    return changed;
}

} // namespace

// The recurrence table, its line format, the colour tags and the lookup of one day.
class TestRecurrences : public QObject
{
    Q_OBJECT

private slots:
    void emptyTable();
    void setCellAndCell();
    void cellsOutsideTheTable_data();
    void cellsOutsideTheTable();
    void clearEmptiesEveryDay();

    void readLine_data();
    void readLine();
    void readLineReplacesTheOldText();
    void readLinesLaterLineWins();

    void colourFromTags_data();
    void colourFromTags();

    void festPerso_data();
    void festPerso();

    void recurrenceLine_data();
    void recurrenceLine();
    void recurrenceLineReadsBackIntoItsCell();
};

void TestRecurrences::emptyTable()
{
    const RecurrenceTable table;
    for (const QString &cell : snapshot(table))
        QVERIFY(cell.isEmpty());
}

void TestRecurrences::setCellAndCell()
{
    RecurrenceTable table;
    table.setCell(15, 3, QStringLiteral("Sagra <v>"));
    table.setCell(31, 12, QStringLiteral("San Silvestro"));
    table.setCell(1, 1, QStringLiteral("Primo"));

    QCOMPARE(table.cell(15, 3), QStringLiteral("Sagra <v>"));
    QCOMPARE(table.cell(31, 12), QStringLiteral("San Silvestro"));
    QCOMPARE(table.cell(1, 1), QStringLiteral("Primo"));
    // Day and month are not interchangeable.
    QVERIFY(table.cell(3, 15).isEmpty());
    QVERIFY(table.cell(12, 31).isEmpty());
    QCOMPARE(changedCells(snapshot(RecurrenceTable()), snapshot(table)).size(), 3);
}

void TestRecurrences::cellsOutsideTheTable_data()
{
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("month");

    QTest::newRow("day 32") << 32 << 1;
    QTest::newRow("day -1") << -1 << 1;
    QTest::newRow("month 13") << 1 << 13;
    QTest::newRow("month 13 of day 2 (would alias day 3 month 0)") << 2 << 13;
    QTest::newRow("month -1") << 5 << -1;
    QTest::newRow("day 32 month 12") << 32 << 12;
    QTest::newRow("huge day") << 1000000 << 5;
    QTest::newRow("most negative month") << 5 << std::numeric_limits<int>::min();
}

void TestRecurrences::cellsOutsideTheTable()
{
    QFETCH(int, day);
    QFETCH(int, month);

    RecurrenceTable table = markedTable();
    const std::vector<QString> before = snapshot(table);
    QVERIFY(table.cell(day, month).isEmpty());
    table.setCell(day, month, QStringLiteral("fuori"));
    QVERIFY(table.cell(day, month).isEmpty());
    QCOMPARE(changedCells(before, snapshot(table)), (QList<QPair<int, int>>{}));
}

void TestRecurrences::clearEmptiesEveryDay()
{
    RecurrenceTable table = markedTable();
    table.clear();
    for (int day = 1; day <= 31; ++day)
        for (int month = 1; month <= 12; ++month)
            QVERIFY2(table.cell(day, month).isEmpty(),
                     qPrintable(QStringLiteral("%1/%2").arg(day).arg(month)));
}

void TestRecurrences::readLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("written");
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("month");
    QTest::addColumn<QString>("text");

    QTest::newRow("month, day, text with tag")
        << QStringLiteral("03/15 - Festa del paese <v>") << true << 15 << 3
        << QStringLiteral("Festa del paese <v>");
    QTest::newRow("Christmas") << QStringLiteral("12/25 - Natale in famiglia") << true << 25 << 12
                               << QStringLiteral("Natale in famiglia");
    QTest::newRow("first day of the year") << QStringLiteral("01/01 - Capodanno a casa") << true
                                           << 1 << 1 << QStringLiteral("Capodanno a casa");
    QTest::newRow("last day of the year") << QStringLiteral("12/31 - San Silvestro") << true << 31
                                          << 12 << QStringLiteral("San Silvestro");
    QTest::newRow("separators are not checked")
        << QStringLiteral("03x15yyzTesto") << true << 15 << 3 << QStringLiteral("Testo");
    QTest::newRow("text keeps leading and trailing blanks")
        << QStringLiteral("04/02 -   spazi  ") << true << 2 << 4 << QStringLiteral("  spazi  ");
    QTest::newRow("accented text") << QStringLiteral("08/10 - Festa della città è qui") << true
                                   << 10 << 8 << QStringLiteral("Festa della città è qui");
    QTest::newRow("exactly eight characters gives an empty text")
        << QStringLiteral("03/15 - ") << true << 15 << 3 << QString();
    QTest::newRow("30 February is stored")
        << QStringLiteral("02/30 - Mai") << true << 30 << 2 << QStringLiteral("Mai");
    QTest::newRow("month 00 is inside the table")
        << QStringLiteral("00/05 - Zero") << true << 5 << 0 << QStringLiteral("Zero");
    QTest::newRow("day 00 is inside the table")
        << QStringLiteral("05/00 - Zero") << true << 0 << 5 << QStringLiteral("Zero");
    QTest::newRow("the text may hold another date")
        << QStringLiteral("06/07 - 08/09 - dieci") << true << 7 << 6
        << QStringLiteral("08/09 - dieci");

    QTest::newRow("month 13") << QStringLiteral("13/01 - Tredici") << false << 0 << 0 << QString();
    QTest::newRow("month 99") << QStringLiteral("99/01 - Tredici") << false << 0 << 0 << QString();
    QTest::newRow("day 32") << QStringLiteral("01/32 - Trentadue") << false << 0 << 0 << QString();
    QTest::newRow("negative month")
        << QStringLiteral("-1/05 - Meno") << false << 0 << 0 << QString();
    QTest::newRow("negative day") << QStringLiteral("05/-1 - Meno") << false << 0 << 0 << QString();
    QTest::newRow("letters for the month")
        << QStringLiteral("ab/01 - Lettere") << false << 0 << 0 << QString();
    QTest::newRow("letters for the day")
        << QStringLiteral("01/cd - Lettere") << false << 0 << 0 << QString();
    QTest::newRow("one-digit month shifts the day")
        << QStringLiteral("1/5 - uno") << false << 0 << 0 << QString();
    QTest::newRow("hexadecimal month")
        << QStringLiteral("0x/05 - esa") << false << 0 << 0 << QString();
    QTest::newRow("seven characters") << QStringLiteral("03/15 -") << false << 0 << 0 << QString();
    QTest::newRow("date only") << QStringLiteral("03/15") << false << 0 << 0 << QString();
    QTest::newRow("empty line") << QString() << false << 0 << 0 << QString();
    QTest::newRow("only blanks") << QStringLiteral("          ") << false << 0 << 0 << QString();
}

void TestRecurrences::readLine()
{
    QFETCH(QString, line);
    QFETCH(bool, written);
    QFETCH(int, day);
    QFETCH(int, month);
    QFETCH(QString, text);

    RecurrenceTable table = markedTable();
    const std::vector<QString> before = snapshot(table);
    QCOMPARE(table.readLine(line), written);
    const QList<QPair<int, int>> changed = changedCells(before, snapshot(table));

    if (!written) {
        QCOMPARE(changed, (QList<QPair<int, int>>{}));
        return;
    }
    QCOMPARE(table.cell(day, month), text);
    // Only that one cell changed (a day-0 or month-0 cell starts empty, so writing an empty
    // text there changes nothing).
    for (const auto &cell : changed)
        QCOMPARE(cell, qMakePair(day, month));
}

void TestRecurrences::readLineReplacesTheOldText()
{
    RecurrenceTable table;
    table.setCell(15, 3, QStringLiteral("vecchio"));
    QVERIFY(table.readLine(u"03/15 - nuovo"));
    QCOMPARE(table.cell(15, 3), QStringLiteral("nuovo"));
    QVERIFY(table.readLine(u"03/15 - "));
    QVERIFY(table.cell(15, 3).isEmpty());
}

void TestRecurrences::readLinesLaterLineWins()
{
    RecurrenceTable table;
    table.readLines({QStringLiteral("05/01 - A"), QStringLiteral("13/01 - non valida"),
                     QStringLiteral("05/01 - B"), QStringLiteral("05/0"), QString(),
                     QStringLiteral("05/02 - C")});
    QCOMPARE(table.cell(1, 5), QStringLiteral("B"));
    QCOMPARE(table.cell(2, 5), QStringLiteral("C"));
    QCOMPARE(changedCells(snapshot(RecurrenceTable()), snapshot(table)).size(), 2);
}

void TestRecurrences::colourFromTags_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<Rgb>("colour");
    QTest::addColumn<QString>("cleaned");

    QTest::newRow("green tag, blank before it stays")
        << QStringLiteral("Compleanno <v>") << colours::TagGreen << QStringLiteral("Compleanno ");
    QTest::newRow("blue tag") << QStringLiteral("<b>Riunione") << colours::TagBlue
                              << QStringLiteral("Riunione");
    QTest::newRow("orange tag") << QStringLiteral("Fiera <a> paese") << colours::TagOrange
                                << QStringLiteral("Fiera  paese");
    QTest::newRow("yellow tag") << QStringLiteral("Sagra<g>") << colours::TagYellow
                                << QStringLiteral("Sagra");
    QTest::newRow("no tag is red and unchanged")
        << QStringLiteral("Onomastico") << colours::TagDefault << QStringLiteral("Onomastico");
    QTest::newRow("upper-case V is no tag")
        << QStringLiteral("<V>Compleanno") << colours::TagDefault
        << QStringLiteral("<V>Compleanno");
    QTest::newRow("upper-case B is no tag, the green one decides")
        << QStringLiteral("<B>x<v>") << colours::TagGreen << QStringLiteral("<B>x");
    QTest::newRow("blue before green: green stays in the text")
        << QStringLiteral("A <v> B <b>") << colours::TagBlue << QStringLiteral("A <v> B ");
    QTest::newRow("green written twice: both removed")
        << QStringLiteral("<v>Doppio<v>") << colours::TagGreen << QStringLiteral("Doppio");
    QTest::newRow("orange tested before yellow whatever the position")
        << QStringLiteral("<g>x<a>") << colours::TagOrange << QStringLiteral("<g>x");
    QTest::newRow("green tested before orange")
        << QStringLiteral("<a><v>") << colours::TagGreen << QStringLiteral("<a>");
    QTest::newRow("all four tags")
        << QStringLiteral("<g><a><v><b>") << colours::TagBlue << QStringLiteral("<g><a><v>");
    QTest::newRow("tag only") << QStringLiteral("<b>") << colours::TagBlue << QString();
    QTest::newRow("three blue tags")
        << QStringLiteral("<b><b>x<b>") << colours::TagBlue << QStringLiteral("x");
    QTest::newRow("unclosed tag is no tag")
        << QStringLiteral("<b Lucia") << colours::TagDefault << QStringLiteral("<b Lucia");
    QTest::newRow("tag inside other brackets")
        << QStringLiteral("<<b>>") << colours::TagBlue << QStringLiteral("<>");
    QTest::newRow("empty text") << QString() << colours::TagDefault << QString();
    QTest::newRow("accented text keeps its letters")
        << QStringLiteral("Festività <a>") << colours::TagOrange << QStringLiteral("Festività ");
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
    QTest::addColumn<bool>("found");
    QTest::addColumn<Rgb>("colour");
    QTest::addColumn<QString>("text");

    QTest::newRow("green recurrence")
        << 15 << 3 << true << colours::TagGreen << QStringLiteral("Sagra ");
    QTest::newRow("untagged recurrence")
        << 25 << 12 << true << colours::TagDefault << QStringLiteral("Cena");
    QTest::newRow("tag alone gives a colour and no text")
        << 1 << 6 << true << colours::TagBlue << QString();
    QTest::newRow("empty cell") << 16 << 3 << false << Rgb{} << QString();
    QTest::newRow("same day of another month") << 15 << 4 << false << Rgb{} << QString();
    QTest::newRow("day 32") << 32 << 3 << false << Rgb{} << QString();
    QTest::newRow("day 0") << 0 << 3 << false << Rgb{} << QString();
    QTest::newRow("day -1") << -1 << 3 << false << Rgb{} << QString();
    QTest::newRow("month 13") << 15 << 13 << false << Rgb{} << QString();
    QTest::newRow("month 0") << 15 << 0 << false << Rgb{} << QString();
}

void TestRecurrences::festPerso()
{
    QFETCH(int, day);
    QFETCH(int, month);
    QFETCH(bool, found);
    QFETCH(Rgb, colour);
    QFETCH(QString, text);

    RecurrenceTable table;
    table.readLines({QStringLiteral("03/15 - Sagra <v>"), QStringLiteral("12/25 - Cena"),
                     QStringLiteral("06/01 - <b>")});

    const std::optional<Recurrence> got = FestPerso(table, day, month);
    QCOMPARE(got.has_value(), found);
    if (found) {
        QCOMPARE(colourText(got->colour), colourText(colour));
        QCOMPARE(got->text, text);
    }
}

void TestRecurrences::recurrenceLine_data()
{
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("line");

    QTest::newRow("two digits with leading zero")
        << 3 << 15 << QStringLiteral("Sagra <v>") << QStringLiteral("03/15 - Sagra <v>");
    QTest::newRow("day gets a leading zero")
        << 12 << 1 << QStringLiteral("x") << QStringLiteral("12/01 - x");
    QTest::newRow("both one digit")
        << 1 << 9 << QStringLiteral("Nove") << QStringLiteral("01/09 - Nove");
    QTest::newRow("empty text keeps the separator")
        << 1 << 1 << QString() << QStringLiteral("01/01 - ");
    QTest::newRow("text with blanks kept")
        << 7 << 4 << QStringLiteral(" a ") << QStringLiteral("07/04 -  a ");
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
            const QString text = QStringLiteral("Voce %1 del %2 <a>").arg(day).arg(month);
            RecurrenceTable table;
            QVERIFY(table.readLine(RecurrenceLine(month, day, text)));
            QCOMPARE(table.cell(day, month), text);
        }
    }
}

QTEST_GUILESS_MAIN(TestRecurrences)
#include "tst_recurrences.moc"
