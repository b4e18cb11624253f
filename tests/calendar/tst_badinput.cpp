#include "calendardate.h"
#include "calendartestutil.h"
#include "datafiles.h"
#include "holidays.h"
#include "recurrences.h"
#include "testfiles.h"
#include "textfile.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace velaria;
using namespace Qt::StringLiterals;
using velaria::testing::writeBytes;
using velaria::testutil::changedCells;
using Cells = QList<QPair<int, int>>;

namespace {

constexpr qsizetype TenMegabytes = 10 * 1024 * 1024;

QByteArray noiseBytes(QRandomGenerator &random, qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &byte : bytes)
        byte = static_cast<char>(random.bounded(256));
    return bytes;
}

// Random bytes with a bias towards what the parsers look at: digits, separators, line ends,
// tag brackets and the lead bytes of UTF-8 sequences.
QByteArray lineLikeBytes(QRandomGenerator &random, qsizetype size)
{
    static const char symbols[] = "0123456789/ -\r\n<>bvag\0\xC3\xA8\xE2\x82\xAC\xEF\xBB\xBF"
                                  "\x80\xFF";
    static const QByteArray alphabet(symbols, sizeof symbols - 1);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &byte : bytes)
        byte = random.bounded(4) == 0
                   ? static_cast<char>(random.bounded(256))
                   : alphabet.at(random.bounded(static_cast<int>(alphabet.size())));
    return bytes;
}

// Everything the program does with the contents of a recurrence file.
void feedRecurrenceText(const QByteArray &bytes)
{
    const QStringList lines = SplitLines(DecodeText(bytes));
    RecurrenceTable table;
    table.readLines(lines);
    for (const QString &line : lines)
        (void)ColourFromTags(line);
    for (int month = 1; month <= 12; ++month)
        (void)FestMese(table, 2024, month);
    for (int day = 1; day <= 31; ++day)
        (void)FestiviPagina(table, 2024, 1, day);
    (void)EncodeText(DecodeText(bytes));
}

} // namespace

// Whatever the data files or the user's typing hold, the calendar core neither crashes nor
// hangs.
class TestBadInput : public QObject
{
    Q_OBJECT

private slots:
    void randomInput();
    void nulCharacters();
    void tenMegabyteLineWithoutLineEnd();
    void tenMegabytesOfLineEnds();
    void longLineIntoTheTable();
    void manyTags();
    void shortLines_data();
    void shortLines();
    void numbersWithSignsOrBlanks_data();
    void numbersWithSignsOrBlanks();
    void binaryDataFiles();
    void typedDates_data();
    void typedDates();
};

void TestBadInput::randomInput()
{
    QRandomGenerator random(20240331);
    for (int round = 0; round < 300; ++round) {
        feedRecurrenceText(noiseBytes(random, random.bounded(4096)));
        feedRecurrenceText(lineLikeBytes(random, random.bounded(4096)));
    }
}

void TestBadInput::nulCharacters()
{
    static const char raw[] = "03/15 - a\0b\r\n\0\0/\0\0 - x\r\n\0\r\n12/25 - \0";
    const QByteArray bytes(raw, sizeof raw - 1);
    feedRecurrenceText(bytes);

    RecurrenceTable table;
    QVERIFY(table.readLine(QStringView(u"03/15 - a\0b", 11).toString()));
    QCOMPARE(table.cell(15, 3), QStringView(u"a\0b", 3).toString());

    const RecurrenceTable before = table;
    QVERIFY(!table.readLine(QStringView(u"\0\0/\0\0 - x", 9).toString()));
    QCOMPARE(changedCells(before, table), Cells{});

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(writeBytes(dir.filePath(u"Ricorrenze.txt"_s), bytes));
    QCOMPARE(ReadRecurrenceLines(dir.path()).size(), 4);
    QVERIFY(writeBytes(dir.filePath(u"pubblicita.txt"_s), QByteArray("Ro\0ssi\r\n", 8)));
    QCOMPARE(ReadBanner(dir.path(), u"esempio.test"_s).size(), 6);
}

void TestBadInput::tenMegabyteLineWithoutLineEnd()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray line = QByteArray("03/15 - ") + QByteArray(TenMegabytes, 'x');
    QVERIFY(writeBytes(dir.filePath(u"Ricorrenze.txt"_s), line));
    QVERIFY(writeBytes(dir.filePath(u"pubblicita.txt"_s), line));

    const QStringList lines = ReadRecurrenceLines(dir.path());
    QCOMPARE(lines.size(), 1);
    QCOMPARE(lines.first().size(), line.size());
    // The banner stops at its limit: a huge file costs no more than a short one.
    QCOMPARE(ReadBanner(dir.path(), u"esempio.test"_s),
             QString::fromLatin1(line.left(BannerByteLimit)));

    const QStringList split = SplitLines(DecodeText(line + '\xE8'));
    QCOMPARE(split.size(), 1);
    QCOMPARE(split.first().size(), line.size() + 1);
}

void TestBadInput::tenMegabytesOfLineEnds()
{
    // Millions of empty lines: every one is skipped, and quickly.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QByteArray bytes;
    bytes.reserve(TenMegabytes);
    while (bytes.size() < TenMegabytes)
        bytes.append("\r\n\n");
    QVERIFY(writeBytes(dir.filePath(u"Ricorrenze.txt"_s), bytes));
    QCOMPARE(ReadRecurrenceLines(dir.path()), QStringList());
}

void TestBadInput::longLineIntoTheTable()
{
    const QString text(TenMegabytes, u'x');
    RecurrenceTable table;
    QVERIFY(table.readLine(u"03/15 - "_s + text + u"<v>"_s));
    QCOMPARE(table.cell(15, 3).size(), text.size() + 3);
    const std::optional<Recurrence> recurrence = FestPerso(table, 15, 3);
    QVERIFY(recurrence.has_value());
    QCOMPARE(recurrence->text.size(), text.size());
    QCOMPARE(FestMese(table, 2023, 3).size(), text.size() + 3);
}

void TestBadInput::manyTags()
{
    // A million tags of the deciding kind all go; the others all stay.
    QString text;
    for (int i = 0; i < 1000000; ++i)
        text += u"<v><a>"_s;
    const Recurrence recurrence = ColourFromTags(text);
    QCOMPARE(recurrence.text.size(), qsizetype(3000000));
    QVERIFY(!recurrence.text.contains(u"<v>"_s));
}

void TestBadInput::shortLines_data()
{
    QTest::addColumn<QString>("line");

    QTest::newRow("one digit") << u"0"_s;
    QTest::newRow("month only") << u"03"_s;
    QTest::newRow("month and slash") << u"03/"_s;
    QTest::newRow("one digit of the day") << u"03/1"_s;
    QTest::newRow("date only") << u"03/15"_s;
    QTest::newRow("date and blank") << u"03/15 "_s;
    QTest::newRow("seven characters") << u"03/15 -"_s;
    QTest::newRow("seven digits") << u"0315123"_s;
    QTest::newRow("a NUL") << QStringView(u"\0", 1).toString();
    QTest::newRow("a lone CR") << u"\r"_s;
}

void TestBadInput::shortLines()
{
    QFETCH(QString, line);

    RecurrenceTable table;
    QVERIFY(!table.readLine(line));
    QCOMPARE(changedCells(RecurrenceTable(), table), Cells{});
    feedRecurrenceText(line.toUtf8());
}

void TestBadInput::numbersWithSignsOrBlanks_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("day");   // the only cell the line may write
    QTest::addColumn<int>("month"); // (0, 0 when it must write none)

    QTest::newRow("blank before the month digit") << u" 3/15 - x"_s << 15 << 3;
    QTest::newRow("blank after the month digit") << u"3 /15 - x"_s << 15 << 3;
    QTest::newRow("plus before the month") << u"+3/15 - x"_s << 15 << 3;
    QTest::newRow("blank before the day digit") << u"03/ 5 - x"_s << 5 << 3;
    QTest::newRow("plus before the day") << u"03/+5 - x"_s << 5 << 3;
    QTest::newRow("minus before the month") << u"-3/15 - x"_s << 0 << 0;
    QTest::newRow("minus before the day") << u"03/-5 - x"_s << 0 << 0;
    QTest::newRow("blanks for both") << u"  /   - x"_s << 0 << 0;
    QTest::newRow("signs for both") << u"+-/-+ - x"_s << 0 << 0;
    QTest::newRow("decimal point") << u"3./15 - x"_s << 0 << 0;
    QTest::newRow("tab before the digit") << u"\t3/15 - x"_s << 15 << 3;
    QTest::newRow("Arabic-Indic digits") << u"٠٣/١٥ - x"_s << 15 << 3;
}

void TestBadInput::numbersWithSignsOrBlanks()
{
    QFETCH(QString, line);
    QFETCH(int, day);
    QFETCH(int, month);

    RecurrenceTable table;
    const bool written = table.readLine(line);
    QVERIFY(day != 0 || !written);
    QCOMPARE(changedCells(RecurrenceTable(), table), (written ? Cells{{day, month}} : Cells{}));
    if (written)
        QCOMPARE(table.cell(day, month), u"x"_s);
}

void TestBadInput::binaryDataFiles()
{
    QRandomGenerator random(1870);
    for (int round = 0; round < 20; ++round) {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QByteArray bytes = noiseBytes(random, 1 + random.bounded(65536));
        QVERIFY(writeBytes(dir.filePath(u"Ricorrenze.txt"_s), bytes));
        QVERIFY(writeBytes(dir.filePath(u"pubblicita.txt"_s), bytes));

        const QStringList lines = ReadRecurrenceLines(dir.path());
        for (const QString &line : lines)
            QVERIFY(!line.isEmpty());
        RecurrenceTable table;
        table.readLines(lines);
        QVERIFY(ReadBanner(dir.path(), u"esempio.test"_s).size() <= bytes.size());
    }
}

void TestBadInput::typedDates_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("huge day") << u"99999999999999999999/1/2024"_s;
    QTest::newRow("huge year") << u"1/1/99999999999999999999"_s;
    QTest::newRow("negative day") << u"-5/3/2024"_s;
    QTest::newRow("negative year") << u"5/3/-2024"_s;
    QTest::newRow("plus signs") << u"+5/+3/+2024"_s;
    QTest::newRow("double separator") << u"5//3/2024"_s;
    QTest::newRow("only separators") << u"//"_s;
    QTest::newRow("NUL characters") << QStringView(u"5\0/3\0/2024", 10).toString();
    QTest::newRow("Arabic-Indic digits") << u"٥/٣/٢٠٢٤"_s;
    QTest::newRow("ten megabytes of digits") << QString(TenMegabytes, u'7');
    QTest::newRow("ten megabytes of separators") << QString(TenMegabytes, u'/');
}

void TestBadInput::typedDates()
{
    QFETCH(QString, text);

    const QDate got = ParseDateEntry(text);
    QVERIFY(!got.isValid() || IsSupportedDate(got));
    (void)MonthFromCaption(text);
}

QTEST_GUILESS_MAIN(TestBadInput)
#include "tst_badinput.moc"
