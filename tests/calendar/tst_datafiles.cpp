#include "datafiles.h"
#include "recurrences.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace velaria;
using namespace Qt::StringLiterals;

namespace {

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size() && file.flush();
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

const QString Host = u"esempio.test"_s;

} // namespace

// The recurrence file and the banner file in the data folder.
class TestDataFiles : public QObject
{
    Q_OBJECT

private slots:
    void fileNames();

    void readRecurrenceLines_data();
    void readRecurrenceLines();
    void recurrenceFileFillsTheTable();
    void saveAndReadRecurrences();
    void saveRecurrencesIntoABlockedFolder();

    void readBanner_data();
    void readBanner();
};

void TestDataFiles::fileNames()
{
    QCOMPARE(RecurrenceFileName, u"Ricorrenze.txt"_s);
    QCOMPARE(PictureListFileName, u"Immagini.txt"_s);
    QCOMPARE(BannerFileName, u"pubblicita.txt"_s);
}

void TestDataFiles::readRecurrenceLines_data()
{
    QTest::addColumn<QString>("fileName"); // empty: no file at all
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("CR LF lines") << u"Ricorrenze.txt"_s
                                 << QByteArray("03/15 - Sagra <v>\r\n12/25 - Cena\r\n")
                                 << QStringList{"03/15 - Sagra <v>", "12/25 - Cena"};
    QTest::newRow("empty lines skipped")
        << u"Ricorrenze.txt"_s << QByteArray("\r\n03/15 - A\r\n\r\n\r\n12/25 - B\r\n\r\n")
        << QStringList{"03/15 - A", "12/25 - B"};
    QTest::newRow("lines that do not parse are kept")
        << u"Ricorrenze.txt"_s << QByteArray("13/01 - Tredici\r\nab\r\n01/32 - x\r\n")
        << QStringList{"13/01 - Tredici", "ab", "01/32 - x"};
    QTest::newRow("a line of blanks is not empty")
        << u"Ricorrenze.txt"_s << QByteArray("   \r\n") << QStringList{"   "};
    QTest::newRow("LF lines and no final line end")
        << u"Ricorrenze.txt"_s << QByteArray("03/15 - A\n12/25 - B")
        << QStringList{"03/15 - A", "12/25 - B"};
    QTest::newRow("Windows-1252 file")
        << u"Ricorrenze.txt"_s << QByteArray("08/10 - Festivit\xE0 \x80\r\n")
        << QStringList{u"08/10 - Festività €"_s};
    QTest::newRow("UTF-8 file with BOM") << u"Ricorrenze.txt"_s
                                         << QByteArray("\xEF\xBB\xBF"
                                                       "08/10 - Festivit\xC3\xA0\r\n")
                                         << QStringList{u"08/10 - Festività"_s};
    QTest::newRow("empty file") << u"Ricorrenze.txt"_s << QByteArray() << QStringList{};
    QTest::newRow("no file") << QString() << QByteArray() << QStringList{};
    QTest::newRow("file name in lower case is not read")
        << u"ricorrenze.txt"_s << QByteArray("03/15 - A\r\n") << QStringList{};
    QTest::newRow("file name in upper case is not read")
        << u"RICORRENZE.TXT"_s << QByteArray("03/15 - A\r\n") << QStringList{};
}

void TestDataFiles::readRecurrenceLines()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    if (!fileName.isEmpty())
        QVERIFY(writeBytes(dir.filePath(fileName), bytes));
    QCOMPARE(ReadRecurrenceLines(dir.path()), lines);
}

void TestDataFiles::recurrenceFileFillsTheTable()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(writeBytes(dir.filePath(u"Ricorrenze.txt"_s),
                       "12/25 - Cena di Natale <v>\r\n\r\nab/cd - lettere\r\n13/01 - x\r\n"
                       "05/01 - A\r\n05/01 - B\r\n"));

    const QStringList lines = ReadRecurrenceLines(dir.path());
    QCOMPARE(lines.size(), 5);
    RecurrenceTable table;
    table.readLines(lines);
    QCOMPARE(table.cell(25, 12), u"Cena di Natale <v>"_s);
    QCOMPARE(table.cell(1, 5), u"B"_s);
    QVERIFY(table.cell(1, 13).isEmpty());
}

void TestDataFiles::saveAndReadRecurrences()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QStringList lines{u"01/06 - Befana <a>"_s, u"08/10 - Festività"_s,
                            u"12/25 - Cena di Natale <v>"_s};
    QCOMPARE(SaveRecurrenceLines(dir.path(), lines), QString());
    QCOMPARE(readBytes(dir.filePath(u"Ricorrenze.txt"_s)),
             QByteArray("01/06 - Befana <a>\r\n08/10 - Festivit\xE0\r\n"
                        "12/25 - Cena di Natale <v>\r\n"));
    QCOMPARE(ReadRecurrenceLines(dir.path()), lines);

    // A second save replaces the whole file.
    QCOMPARE(SaveRecurrenceLines(dir.path(), {u"03/15 - Sagra"_s}), QString());
    QCOMPARE(ReadRecurrenceLines(dir.path()), QStringList{u"03/15 - Sagra"_s});
}

void TestDataFiles::saveRecurrencesIntoABlockedFolder()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // The data folder's path is taken by a plain file.
    const QString folder = dir.filePath(u"dati"_s);
    QVERIFY(writeBytes(folder, QByteArray("occupato")));
    QVERIFY(!SaveRecurrenceLines(folder, {u"03/15 - Sagra"_s}).isEmpty());
    QCOMPARE(readBytes(folder), QByteArray("occupato"));
}

void TestDataFiles::readBanner_data()
{
    QTest::addColumn<QString>("fileName"); // empty: no file at all
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("banner"); // null: the fallback banner

    QTest::newRow("first line only")
        << u"pubblicita.txt"_s << QByteArray("Tipografia Rossi\r\nseconda riga\r\n")
        << u"Tipografia Rossi"_s;
    QTest::newRow("single line without end")
        << u"pubblicita.txt"_s << QByteArray("Tipografia Rossi") << u"Tipografia Rossi"_s;
    QTest::newRow("blanks kept") << u"pubblicita.txt"_s << QByteArray("  Rossi  \n")
                                 << u"  Rossi  "_s;
    QTest::newRow("Windows-1252 banner")
        << u"pubblicita.txt"_s << QByteArray("Caff\xE8 Bianchi\r\n") << u"Caffè Bianchi"_s;
    QTest::newRow("UTF-8 banner") << u"pubblicita.txt"_s << QByteArray("Caff\xC3\xA8 Bianchi\n")
                                  << u"Caffè Bianchi"_s;
    QTest::newRow("empty file gives an empty banner")
        << u"pubblicita.txt"_s << QByteArray() << u""_s;
    QTest::newRow("empty first line gives an empty banner")
        << u"pubblicita.txt"_s << QByteArray("\r\nseconda\r\n") << u""_s;
    QTest::newRow("no file gives the fallback") << QString() << QByteArray() << QString();
    QTest::newRow("Pubblicita.txt with capital P gives the fallback")
        << u"Pubblicita.txt"_s << QByteArray("Tipografia Rossi\r\n") << QString();
    QTest::newRow("PUBBLICITA.TXT gives the fallback")
        << u"PUBBLICITA.TXT"_s << QByteArray("Tipografia Rossi\r\n") << QString();
}

void TestDataFiles::readBanner()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, banner);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    if (!fileName.isEmpty())
        QVERIFY(writeBytes(dir.filePath(fileName), bytes));

    const QString got = ReadBanner(dir.path(), Host);
    if (banner.isNull()) {
        QVERIFY2(got.startsWith(u"Programma Velaria - "_s), qPrintable(got));
        QVERIFY2(got.contains(Host), qPrintable(got));
    } else {
        QCOMPARE(got, banner);
    }
}

QTEST_GUILESS_MAIN(TestDataFiles)
#include "tst_datafiles.moc"
