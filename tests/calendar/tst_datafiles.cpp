#include "datafiles.h"
#include "testfiles.h"

#include <QTemporaryDir>
#include <QTest>

using namespace velaria;
using namespace velaria::testing;
using namespace Qt::StringLiterals;

// The recurrence file and the banner file in the data folder. How their bytes become lines is
// the text file reader's part (tst_textfile); here: which file is read, and what is kept.
class TestDataFiles : public QObject
{
    Q_OBJECT

private slots:
    void readRecurrenceLines_data();
    void readRecurrenceLines();
    void saveAndReadRecurrences();
    void readBanner_data();
    void readBanner();
};

void TestDataFiles::readRecurrenceLines_data()
{
    QTest::addColumn<QString>("fileName"); // empty: no file at all
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("empty lines skipped")
        << u"Ricorrenze.txt"_s << QByteArray("\r\n03/15 - A\r\n\r\n\r\n12/25 - B\r\n\r\n")
        << QStringList{u"03/15 - A"_s, u"12/25 - B"_s};
    QTest::newRow("lines that do not parse are kept, a line of blanks too")
        << u"Ricorrenze.txt"_s << QByteArray("13/01 - Tredici\r\nab\n   \r\n")
        << QStringList{u"13/01 - Tredici"_s, u"ab"_s, u"   "_s};
    QTest::newRow("Windows-1252 file")
        << u"Ricorrenze.txt"_s << QByteArray("08/10 - Festivit\xE0 \x80\r\n")
        << QStringList{u"08/10 - Festività €"_s};
    QTest::newRow("empty file") << u"Ricorrenze.txt"_s << QByteArray() << QStringList{};
    QTest::newRow("no file") << QString() << QByteArray() << QStringList{};
    QTest::newRow("file name in lower case is not read")
        << u"ricorrenze.txt"_s << QByteArray("03/15 - A\r\n") << QStringList{};
}

void TestDataFiles::readRecurrenceLines()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);

    QTemporaryDir dir;
    if (!fileName.isEmpty())
        QVERIFY(writeBytes(dir.filePath(fileName), bytes));
    QCOMPARE(ReadRecurrenceLines(dir.path()), lines);
}

void TestDataFiles::saveAndReadRecurrences()
{
    QTemporaryDir dir;
    const QStringList lines{u"01/06 - Befana <a>"_s, u"08/10 - Festività"_s};
    QCOMPARE(SaveRecurrenceLines(dir.path(), lines), QString());
    QCOMPARE(readBytes(dir.filePath(u"Ricorrenze.txt"_s)),
             QByteArray("01/06 - Befana <a>\r\n08/10 - Festivit\xE0\r\n"));
    QCOMPARE(ReadRecurrenceLines(dir.path()), lines);

    // A second save replaces the whole file.
    QCOMPARE(SaveRecurrenceLines(dir.path(), {u"03/15 - Sagra"_s}), QString());
    QCOMPARE(ReadRecurrenceLines(dir.path()), QStringList{u"03/15 - Sagra"_s});
}

void TestDataFiles::readBanner_data()
{
    QTest::addColumn<QString>("fileName"); // empty: no file at all
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("banner"); // null: the maker's banner
    QTest::newRow("first line only")
        << u"pubblicita.txt"_s << QByteArray("Tipografia Rossi\r\nseconda riga\r\n")
        << u"Tipografia Rossi"_s;
    QTest::newRow("single line without end, blanks kept")
        << u"pubblicita.txt"_s << QByteArray("  Rossi  ") << u"  Rossi  "_s;
    QTest::newRow("Windows-1252 banner")
        << u"pubblicita.txt"_s << QByteArray("Caff\xE8 Bianchi\r\n") << u"Caffè Bianchi"_s;
    QTest::newRow("UTF-8 banner") << u"pubblicita.txt"_s << QByteArray("Caff\xC3\xA8 Bianchi\n")
                                  << u"Caffè Bianchi"_s;
    QTest::newRow("empty file gives an empty banner")
        << u"pubblicita.txt"_s << QByteArray() << u""_s;
    QTest::newRow("empty first line gives an empty banner")
        << u"pubblicita.txt"_s << QByteArray("\r\nseconda\r\n") << u""_s;
    QTest::newRow("no file gives the maker's banner") << QString() << QByteArray() << QString();
    QTest::newRow("Pubblicita.txt with capital P gives the maker's banner")
        << u"Pubblicita.txt"_s << QByteArray("Tipografia Rossi\r\n") << QString();
}

void TestDataFiles::readBanner()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, banner);

    QTemporaryDir dir;
    if (!fileName.isEmpty())
        QVERIFY(writeBytes(dir.filePath(fileName), bytes));
    const QString got = ReadBanner(dir.path(), u"esempio.test"_s);
    if (banner.isNull())
        QVERIFY2(got.startsWith(u"Programma Velaria - "_s) && got.contains(u"esempio.test"_s),
                 qPrintable(got));
    else
        QCOMPARE(got, banner);
}

QTEST_GUILESS_MAIN(TestDataFiles)
#include "tst_datafiles.moc"
