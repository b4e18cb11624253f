#include "testfiles.h"
#include "textfile.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>

using namespace velaria;
using namespace velaria::testing;
using namespace Qt::StringLiterals;

// Reading and writing the plain text data files: the two encodings, line ends, whole-file
// replacement and exact file names.
class TestTextFile : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void decodeText_data();
    void decodeText();
    void encodeText_data();
    void encodeText();
    void splitLines_data();
    void splitLines();

    void writeTextLines_data();
    void writeTextLines();
    void readTextLines_data();
    void readTextLines();
    void readMissingFile();

    void writeCreatesTheFolder();
    void writeReplacesTheWholeFile();
    void failedWriteKeepsTheOldFile_data();
    void failedWriteKeepsTheOldFile();

    void fileExistsExactly_data();
    void fileExistsExactly();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path; // Ricorrenze.txt in a fresh folder for each test
};

void TestTextFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_path = m_dir->filePath(u"Ricorrenze.txt"_s);
}

void TestTextFile::decodeText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("UTF-8 accented") << QByteArray("Festivit\xC3\xA0") << u"Festività"_s;
    QTest::newRow("UTF-8 with BOM, BOM dropped") << QByteArray("\xEF\xBB\xBF"
                                                               "Caff\xC3\xA8")
                                                 << u"Caffè"_s;
    QTest::newRow("UTF-8 BOM alone") << QByteArray("\xEF\xBB\xBF") << QString();
    QTest::newRow("UTF-8 beyond the basic plane")
        << QByteArray("Torta \xF0\x9F\x8E\x82") << QString::fromUcs4(U"Torta \U0001F382");
    QTest::newRow("Windows-1252 a grave") << QByteArray("Festivit\xE0") << u"Festività"_s;
    QTest::newRow("Windows-1252 euro sign, not Latin-1") << QByteArray("\x80 5") << u"€ 5"_s;
    QTest::newRow("Windows-1252 curly quotes and dash") << QByteArray("\x93"
                                                                      "ciao\x94 \x96")
                                                        << u"“ciao” –"_s;
    QTest::newRow("overlong slash is not UTF-8") << QByteArray("\xC0\xAF") << u"À¯"_s;
    QTest::newRow("encoded surrogate is not UTF-8") << QByteArray("\xED\xA0\x80") << u"í\u00A0€"_s;
    QTest::newRow("sequence cut at the end") << QByteArray("abc\xE2\x82") << u"abcâ‚"_s;
    QTest::newRow("one stray byte makes the whole file Windows-1252")
        << QByteArray("\xC3\xA8 \xE8") << u"Ã¨ è"_s;
}

void TestTextFile::decodeText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(DecodeText(bytes), text);
}

void TestTextFile::encodeText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("empty") << QString() << QByteArray();
    QTest::newRow("ASCII") << u"03/15 - Sagra <v>"_s << QByteArray("03/15 - Sagra <v>");
    QTest::newRow("e grave in Windows-1252") << u"Caffè"_s << QByteArray("Caff\xE8");
    QTest::newRow("degree sign in Windows-1252") << u"25°"_s << QByteArray("25\xB0");
    QTest::newRow("euro sign in Windows-1252") << u"€ 5"_s << QByteArray("\x80 5");
    QTest::newRow("curly quotes in Windows-1252") << u"“ciao”"_s
                                                  << QByteArray("\x93"
                                                                "ciao\x94");
    QTest::newRow("one arrow makes the whole text UTF-8")
        << u"è → €"_s << QByteArray("\xC3\xA8 \xE2\x86\x92 \xE2\x82\xAC");
    QTest::newRow("beyond the basic plane needs UTF-8")
        << QString::fromUcs4(U"Torta \U0001F382") << QByteArray("Torta \xF0\x9F\x8E\x82");
}

void TestTextFile::encodeText()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(EncodeText(text), bytes);
}

void TestTextFile::splitLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("empty text has no line") << QString() << QStringList{};
    QTest::newRow("one line without end") << u"a"_s << QStringList{u"a"_s};
    QTest::newRow("final CR LF starts no line") << u"a\r\n"_s << QStringList{u"a"_s};
    QTest::newRow("mixed line ends, last without end")
        << u"a\r\nb\nc"_s << QStringList{u"a"_s, u"b"_s, u"c"_s};
    QTest::newRow("empty line in the middle")
        << u"a\r\n\r\nb"_s << QStringList{u"a"_s, QString(), u"b"_s};
    QTest::newRow("a single line end") << u"\n"_s << QStringList{QString()};
    QTest::newRow("two empty lines") << u"\r\n\r\n"_s << QStringList{QString(), QString()};
    QTest::newRow("lone CR stays in the line") << u"a\rb\n"_s << QStringList{u"a\rb"_s};
    QTest::newRow("blanks are kept") << u"  a  \n"_s << QStringList{u"  a  "_s};
}

void TestTextFile::splitLines()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(SplitLines(text), lines);
}

void TestTextFile::writeTextLines_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("every line ends with CR LF")
        << QStringList{u"a"_s, u"b"_s} << QByteArray("a\r\nb\r\n");
    QTest::newRow("no lines, empty file") << QStringList{} << QByteArray();
    QTest::newRow("one empty line") << QStringList{QString()} << QByteArray("\r\n");
    QTest::newRow("Windows-1252 when everything fits")
        << QStringList{u"Festività"_s, u"25° € "_s}
        << QByteArray("Festivit\xE0\r\n25\xB0 \x80 \r\n");
    QTest::newRow("UTF-8 for the whole file when one line needs it")
        << QStringList{u"è"_s, u"→"_s} << QByteArray("\xC3\xA8\r\n\xE2\x86\x92\r\n");
}

void TestTextFile::writeTextLines()
{
    QFETCH(QStringList, lines);
    QFETCH(QByteArray, bytes);
    QCOMPARE(WriteTextLines(m_path, lines), QString());
    QCOMPARE(readBytes(m_path), bytes);
    QCOMPARE(ReadTextLines(m_path), lines); // and it reads back
}

void TestTextFile::readTextLines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("Windows-1252 with LF")
        << QByteArray("Caff\xE8\n25\xB0") << QStringList{u"Caffè"_s, u"25°"_s};
    QTest::newRow("UTF-8 with BOM and CR LF") << QByteArray("\xEF\xBB\xBF"
                                                            "Caff\xC3\xA8\r\n\r\n")
                                              << QStringList{u"Caffè"_s, QString()};
}

void TestTextFile::readTextLines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    QVERIFY(writeBytes(m_path, bytes));
    QCOMPARE(ReadTextLines(m_path), lines);
}

void TestTextFile::readMissingFile()
{
    QString error;
    QCOMPARE(ReadTextLines(m_path, &error), std::nullopt);
    QVERIFY(error.contains(u"Ricorrenze.txt"_s));
    QCOMPARE(ReadTextLines(m_path), std::nullopt); // the error argument is optional
}

void TestTextFile::writeCreatesTheFolder()
{
    const QString path = m_dir->filePath(u"nuova/cartella/Ricorrenze.txt"_s);
    QCOMPARE(WriteTextLines(path, {u"01/06 - Befana"_s}), QString());
    QCOMPARE(readBytes(path), QByteArray("01/06 - Befana\r\n"));
}

void TestTextFile::writeReplacesTheWholeFile()
{
    QVERIFY(writeBytes(m_path, QByteArray(5000, 'x')));
    QCOMPARE(WriteTextLines(m_path, {u"corto"_s}), QString());
    QCOMPARE(readBytes(m_path), QByteArray("corto\r\n"));
    // No temporary or backup file is left beside it.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{u"Ricorrenze.txt"_s});
}

void TestTextFile::failedWriteKeepsTheOldFile_data()
{
    QTest::addColumn<QString>("failure");

    QTest::newRow("the parent is a file") << u"parent"_s;
    QTest::newRow("the target is a folder") << u"folder"_s;
    QTest::newRow("read-only folder") << u"readonly"_s;
    // Far more than the cap allows: the write itself fails.
    QTest::newRow("disk full, large file") << u"large"_s;
    // Just over the cap: the bytes wait in the buffer and only flushing them fails.
    QTest::newRow("disk full, small file still in the buffer") << u"small"_s;
}

void TestTextFile::failedWriteKeepsTheOldFile()
{
    QFETCH(QString, failure);

    // What is on the disk before the write, and must stay so.
    const QByteArray old("03/15 - Sagra\r\n12/25 - Cena \xE8\r\n");
    QString path = m_path;
    QString kept = m_path;
    if (failure == u"parent"_s) {
        path = m_path + u"/Ricorrenze.txt"_s;
    } else if (failure == u"folder"_s) {
        QVERIFY(QDir().mkdir(m_path));
        kept = m_path + u"/dentro.txt"_s;
    }
    QVERIFY(writeBytes(kept, old));

    const QStringList lines(failure == u"small"_s ? 2 : 2000,
                            u"01/01 - una riga piuttosto lunga"_s);
    QString error;
    {
        std::optional<ReadOnlyFolder> locked;
        std::optional<FileSizeCap> cap;
        if (failure == u"readonly"_s && !locked.emplace(m_dir->path()).active())
            QSKIP("this file system cannot make a folder unwritable for root");
        if ((failure == u"large"_s || failure == u"small"_s) && !cap.emplace(64).active())
            QSKIP("the file size limit cannot be set here");
        error = WriteTextLines(path, lines);
    }
    QVERIFY2(error.startsWith(u"Impossibile salvare il file"_s), qPrintable(error));
    QVERIFY2(error.contains(u"Ricorrenze.txt"_s), qPrintable(error));
    QCOMPARE(readBytes(kept), old);
}

void TestTextFile::fileExistsExactly_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("exists");

    QTest::newRow("exact name") << QStringList{u"Ricorrenze.txt"_s} << u"Ricorrenze.txt"_s << true;
    QTest::newRow("file in lower case")
        << QStringList{u"ricorrenze.txt"_s} << u"Ricorrenze.txt"_s << false;
    QTest::newRow("file in upper case")
        << QStringList{u"RICORRENZE.TXT"_s} << u"Ricorrenze.txt"_s << false;
    QTest::newRow("asked in lower case")
        << QStringList{u"Ricorrenze.txt"_s} << u"ricorrenze.txt"_s << false;
    QTest::newRow("exact among case variants")
        << QStringList{u"ricorrenze.txt"_s, u"Ricorrenze.txt"_s} << u"Ricorrenze.txt"_s << true;
    QTest::newRow("longer name") << QStringList{u"Ricorrenze.txt.bak"_s} << u"Ricorrenze.txt"_s
                                 << false;
    QTest::newRow("empty folder") << QStringList{} << u"Ricorrenze.txt"_s << false;
    QTest::newRow("a folder of that name is no file")
        << QStringList{u"Ricorrenze.txt/"_s} << u"Ricorrenze.txt"_s << false;
}

void TestTextFile::fileExistsExactly()
{
    QFETCH(QStringList, files);
    QFETCH(QString, name);
    QFETCH(bool, exists);

    for (const QString &file : files) {
        if (file.endsWith(u'/'))
            QVERIFY(QDir(m_dir->path()).mkdir(file.chopped(1)));
        else
            QVERIFY(writeBytes(m_dir->filePath(file), QByteArray("x\r\n")));
    }
    QCOMPARE(FileExistsExactly(m_dir->path(), name), exists);
    QVERIFY(!FileExistsExactly(m_dir->filePath(u"manca"_s), name));
}

QTEST_GUILESS_MAIN(TestTextFile)
#include "tst_textfile.moc"
