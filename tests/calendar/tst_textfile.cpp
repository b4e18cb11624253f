#include "filesizecap.h"
#include "textfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

using namespace velaria;
using namespace Qt::StringLiterals;

namespace {

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size() && file.flush();
}

} // namespace

// Reading and writing the plain text data files: the two encodings, line ends, whole-file
// replacement and exact file names.
class TestTextFile : public QObject
{
    Q_OBJECT

private slots:
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
    void roundTrip_data();
    void roundTrip();
    void readMissingFile();

    void writeCreatesTheFolder();
    void writeReplacesALongerFile();
    void writeLeavesNoOtherFiles();
    void writeWhenTheParentIsAFile();
    void writeWhenTheTargetIsAFolder();
    void failedWriteKeepsTheOldFile_data();
    void failedWriteKeepsTheOldFile();
    void writeIntoReadOnlyFolder();

    void fileExistsExactly_data();
    void fileExistsExactly();
};

void TestTextFile::decodeText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("ASCII") << QByteArray("Compleanno <v>") << u"Compleanno <v>"_s;
    QTest::newRow("UTF-8 accented") << QByteArray("Festivit\xC3\xA0") << u"Festività"_s;
    QTest::newRow("UTF-8 with BOM, BOM dropped") << QByteArray("\xEF\xBB\xBF"
                                                               "Caff\xC3\xA8")
                                                 << u"Caffè"_s;
    QTest::newRow("UTF-8 BOM alone") << QByteArray("\xEF\xBB\xBF") << QString();
    QTest::newRow("UTF-8 euro sign") << QByteArray("\xE2\x82\xAC 5") << u"€ 5"_s;
    QTest::newRow("UTF-8 degree sign") << QByteArray("25\xC2\xB0") << u"25°"_s;
    QTest::newRow("UTF-8 beyond the basic plane")
        << QByteArray("Torta \xF0\x9F\x8E\x82") << QString::fromUcs4(U"Torta \U0001F382");
    QTest::newRow("Windows-1252 a grave") << QByteArray("Festivit\xE0") << u"Festività"_s;
    QTest::newRow("Windows-1252 e grave") << QByteArray("Caff\xE8") << u"Caffè"_s;
    QTest::newRow("Windows-1252 degree sign") << QByteArray("25\xB0") << u"25°"_s;
    QTest::newRow("Windows-1252 euro sign") << QByteArray("\x80 5") << u"€ 5"_s;
    QTest::newRow("Windows-1252 curly quotes and dash") << QByteArray("\x93"
                                                                      "ciao\x94 \x96")
                                                        << u"“ciao” –"_s;
    QTest::newRow("Windows-1252 oe and trade mark") << QByteArray("\x9C\x99") << u"œ™"_s;
    QTest::newRow("Windows-1252 y diaeresis") << QByteArray("\xFF") << u"ÿ"_s;
    QTest::newRow("lead byte without continuation") << QByteArray("\xC3(") << u"Ã("_s;
    QTest::newRow("overlong slash is not UTF-8") << QByteArray("\xC0\xAF") << u"À¯"_s;
    QTest::newRow("encoded surrogate is not UTF-8") << QByteArray("\xED\xA0\x80") << u"í\u00A0€"_s;
    QTest::newRow("sequence cut at the end") << QByteArray("abc\xE2\x82") << u"abcâ‚"_s;
    QTest::newRow("one stray byte makes the whole file Windows-1252")
        << QByteArray("\xC3\xA8 \xE8") << u"Ã¨ è"_s;
    QTest::newRow("line ends pass through") << QByteArray("a\r\nb\n") << u"a\r\nb\n"_s;
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
    QTest::newRow("oe and S caron in Windows-1252") << u"œŠ"_s << QByteArray("\x9C\x8A");
    QTest::newRow("y diaeresis in Windows-1252") << u"ÿ"_s << QByteArray("\xFF");
    QTest::newRow("arrow needs UTF-8") << u"→"_s << QByteArray("\xE2\x86\x92");
    QTest::newRow("Greek needs UTF-8") << u"Ω"_s << QByteArray("\xCE\xA9");
    QTest::newRow("one arrow makes the whole text UTF-8")
        << u"è → €"_s << QByteArray("\xC3\xA8 \xE2\x86\x92 \xE2\x82\xAC");
    QTest::newRow("beyond the basic plane needs UTF-8")
        << QString::fromUcs4(U"Torta \U0001F382") << QByteArray("Torta \xF0\x9F\x8E\x82");
    QTest::newRow("line ends pass through") << u"a\r\nb\r\n"_s << QByteArray("a\r\nb\r\n");
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
    QTest::newRow("one line without end") << u"a"_s << QStringList{"a"};
    QTest::newRow("final LF starts no line") << u"a\n"_s << QStringList{"a"};
    QTest::newRow("final CR LF starts no line") << u"a\r\n"_s << QStringList{"a"};
    QTest::newRow("CR LF lines") << u"a\r\nb\r\n"_s << QStringList{"a", "b"};
    QTest::newRow("LF lines, last without end") << u"a\nb"_s << QStringList{"a", "b"};
    QTest::newRow("mixed line ends") << u"a\r\nb\nc\r\n"_s << QStringList{"a", "b", "c"};
    QTest::newRow("empty line in the middle") << u"a\r\n\r\nb"_s << QStringList{"a", "", "b"};
    QTest::newRow("a single line end") << u"\n"_s << QStringList{""};
    QTest::newRow("two empty lines") << u"\r\n\r\n"_s << QStringList{"", ""};
    QTest::newRow("lone CR stays in the line") << u"a\rb\n"_s << QStringList{"a\rb"};
    QTest::newRow("blanks are kept") << u"  a  \n"_s << QStringList{"  a  "};
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
        << QStringList{"a", "b"} << QByteArray("a\r\nb\r\n");
    QTest::newRow("no lines, empty file") << QStringList{} << QByteArray();
    QTest::newRow("one empty line") << QStringList{""} << QByteArray("\r\n");
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

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"Ricorrenze.txt"_s);
    QCOMPARE(WriteTextLines(path, lines), QString());
    QCOMPARE(readBytes(path), bytes);
}

void TestTextFile::readTextLines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("CR LF file") << QByteArray("03/15 - A\r\n12/25 - B\r\n")
                                << QStringList{"03/15 - A", "12/25 - B"};
    QTest::newRow("LF file") << QByteArray("03/15 - A\n12/25 - B\n")
                             << QStringList{"03/15 - A", "12/25 - B"};
    QTest::newRow("last line without end") << QByteArray("a\r\nb") << QStringList{"a", "b"};
    QTest::newRow("empty lines are kept")
        << QByteArray("a\r\n\r\nb\r\n") << QStringList{"a", "", "b"};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
    QTest::newRow("UTF-8 with BOM") << QByteArray("\xEF\xBB\xBF"
                                                  "Caff\xC3\xA8\r\n")
                                    << QStringList{u"Caffè"_s};
    QTest::newRow("Windows-1252") << QByteArray("Caff\xE8\r\n25\xB0\r\n")
                                  << QStringList{u"Caffè"_s, u"25°"_s};
}

void TestTextFile::readTextLines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"dati.txt"_s);
    QVERIFY(writeBytes(path, bytes));
    QString error = u"untouched"_s;
    const std::optional<QStringList> got = ReadTextLines(path, &error);
    QVERIFY(got.has_value());
    QCOMPARE(*got, lines);
}

void TestTextFile::roundTrip_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<bool>("windows1252");

    QTest::newRow("Italian text in Windows-1252")
        << QStringList{u"03/15 - Festa del paese <v>"_s, u"08/10 - Festività è già qui"_s,
                       u"12/25 - Cena: 30 € a testa, 5° piano"_s}
        << true;
    QTest::newRow("text with characters outside Windows-1252")
        << QStringList{u"01/01 - Capodanno → festa"_s, u"02/02 - Ωmega"_s,
                       QString::fromUcs4(U"05/05 - Torta \U0001F382 è")}
        << false;
    QTest::newRow("blanks and empty lines") << QStringList{u"  "_s, QString(), u"a "_s} << true;
}

void TestTextFile::roundTrip()
{
    QFETCH(QStringList, lines);
    QFETCH(bool, windows1252);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"Ricorrenze.txt"_s);
    QCOMPARE(WriteTextLines(path, lines), QString());

    const QByteArray bytes = readBytes(path);
    const QString written = lines.join(u"\r\n"_s) + u"\r\n"_s;
    if (windows1252)
        QCOMPARE(bytes.size(), written.size()); // one byte a character
    else
        QCOMPARE(bytes, written.toUtf8());

    const std::optional<QStringList> got = ReadTextLines(path);
    QVERIFY(got.has_value());
    QCOMPARE(*got, lines);
}

void TestTextFile::readMissingFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QString error;
    const std::optional<QStringList> got = ReadTextLines(dir.filePath(u"manca.txt"_s), &error);
    QVERIFY(!got.has_value());
    QVERIFY(!error.isEmpty());
    // The error argument is optional.
    QVERIFY(!ReadTextLines(dir.filePath(u"manca.txt"_s)).has_value());
}

void TestTextFile::writeCreatesTheFolder()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"nuova/cartella/Ricorrenze.txt"_s);
    QCOMPARE(WriteTextLines(path, {u"01/06 - Befana"_s}), QString());
    QCOMPARE(readBytes(path), QByteArray("01/06 - Befana\r\n"));
}

void TestTextFile::writeReplacesALongerFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"Ricorrenze.txt"_s);
    QVERIFY(writeBytes(path, QByteArray(5000, 'x')));
    QCOMPARE(WriteTextLines(path, {u"corto"_s}), QString());
    QCOMPARE(readBytes(path), QByteArray("corto\r\n"));
}

void TestTextFile::writeLeavesNoOtherFiles()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"Ricorrenze.txt"_s);
    QVERIFY(writeBytes(path, QByteArray("vecchio\r\n")));
    QCOMPARE(WriteTextLines(path, {u"nuovo"_s}), QString());
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{u"Ricorrenze.txt"_s});
}

void TestTextFile::writeWhenTheParentIsAFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString blocker = dir.filePath(u"dati"_s);
    QVERIFY(writeBytes(blocker, QByteArray("un file, non una cartella")));

    const QString error = WriteTextLines(blocker + u"/Ricorrenze.txt"_s, {u"01/06 - Befana"_s});
    QVERIFY(!error.isEmpty());
    QVERIFY2(error.contains(u"Ricorrenze.txt"_s), qPrintable(error));
    QCOMPARE(readBytes(blocker), QByteArray("un file, non una cartella"));
}

void TestTextFile::writeWhenTheTargetIsAFolder()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkdir(u"Ricorrenze.txt"_s));
    const QString inside = dir.filePath(u"Ricorrenze.txt/dentro.txt"_s);
    QVERIFY(writeBytes(inside, QByteArray("resta")));

    const QString error = WriteTextLines(dir.filePath(u"Ricorrenze.txt"_s), {u"a"_s});
    QVERIFY(!error.isEmpty());
    QVERIFY2(error.contains(u"Ricorrenze.txt"_s), qPrintable(error));
    QVERIFY(QFileInfo(dir.filePath(u"Ricorrenze.txt"_s)).isDir());
    QCOMPARE(readBytes(inside), QByteArray("resta"));
}

void TestTextFile::failedWriteKeepsTheOldFile_data()
{
    QTest::addColumn<int>("lineCount");
    // Far more than the cap allows: the write itself fails.
    QTest::newRow("large file") << 2000;
    // Just over the cap: the bytes wait in the buffer and only flushing them fails.
    QTest::newRow("small file still in the buffer") << 2;
}

void TestTextFile::failedWriteKeepsTheOldFile()
{
#ifdef Q_OS_UNIX
    QFETCH(int, lineCount);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"Ricorrenze.txt"_s);
    const QByteArray old("03/15 - Sagra\r\n12/25 - Cena \xE8\r\n");
    QVERIFY(writeBytes(path, old));

    const QStringList lines(lineCount, u"01/01 - una riga piuttosto lunga da scrivere"_s);
    QString error;
    {
        velaria::testing::FileSizeCap cap(64);
        if (!cap.active())
            QSKIP("the file size limit cannot be set here");
        error = WriteTextLines(path, lines);
    }
    QVERIFY(!error.isEmpty());
    QVERIFY2(error.contains(u"Ricorrenze.txt"_s), qPrintable(error));
    QCOMPARE(readBytes(path), old);
#else
    QSKIP("needs a per-process file size limit");
#endif
}

void TestTextFile::writeIntoReadOnlyFolder()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.filePath(u"solalettura"_s);
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + u"/Ricorrenze.txt"_s;
    const QByteArray old("03/15 - Sagra\r\n");
    QVERIFY(writeBytes(path, old));
    QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                              QFile::ExeGroup | QFile::ReadOther |
                                              QFile::ExeOther));
    const auto restore = qScopeGuard([&] {
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    });

    // An administrator writes anyway; then the folder proves nothing.
    QFile probe(folder + u"/prova"_s);
    if (probe.open(QIODevice::WriteOnly)) {
        probe.close();
        probe.remove();
        QSKIP("folder permissions are not enforced for this user");
    }

    const QString error = WriteTextLines(path, {u"nuovo"_s});
    QVERIFY(!error.isEmpty());
    QCOMPARE(readBytes(path), old);
}

void TestTextFile::fileExistsExactly_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("folders");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("exists");

    QTest::newRow("exact name") << QStringList{"Ricorrenze.txt"} << QStringList{}
                                << u"Ricorrenze.txt"_s << true;
    QTest::newRow("file in lower case")
        << QStringList{"ricorrenze.txt"} << QStringList{} << u"Ricorrenze.txt"_s << false;
    QTest::newRow("file in upper case")
        << QStringList{"RICORRENZE.TXT"} << QStringList{} << u"Ricorrenze.txt"_s << false;
    QTest::newRow("asked in lower case")
        << QStringList{"Ricorrenze.txt"} << QStringList{} << u"ricorrenze.txt"_s << false;
    QTest::newRow("exact among case variants") << QStringList{"ricorrenze.txt", "Ricorrenze.txt"}
                                               << QStringList{} << u"Ricorrenze.txt"_s << true;
    QTest::newRow("banner with capital P")
        << QStringList{"Pubblicita.txt"} << QStringList{} << u"pubblicita.txt"_s << false;
    QTest::newRow("longer name") << QStringList{"Ricorrenze.txt.bak"} << QStringList{}
                                 << u"Ricorrenze.txt"_s << false;
    QTest::newRow("empty folder") << QStringList{} << QStringList{} << u"Ricorrenze.txt"_s << false;
    QTest::newRow("a folder of that name is no file")
        << QStringList{} << QStringList{"Ricorrenze.txt"} << u"Ricorrenze.txt"_s << false;
}

void TestTextFile::fileExistsExactly()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, folders);
    QFETCH(QString, name);
    QFETCH(bool, exists);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (const QString &file : files)
        QVERIFY(writeBytes(dir.filePath(file), QByteArray("x\r\n")));
    for (const QString &folder : folders)
        QVERIFY(QDir(dir.path()).mkdir(folder));
    QCOMPARE(FileExistsExactly(dir.path(), name), exists);
    QVERIFY(!FileExistsExactly(dir.filePath(u"manca"_s), name));
}

QTEST_GUILESS_MAIN(TestTextFile)
#include "tst_textfile.moc"
