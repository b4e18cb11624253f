// What the program meets on a user's disk that it did not write itself, and disks that fail
// it: pictures that are no pictures, picture lists and banners of any size and shape, a full
// disk, and the program killed while it saves. Each case has a clear answer and loses nothing.
//
// Run with --salva-in-ciclo FOLDER, the program saves two recurrence lists in turn into FOLDER
// until it is killed: the test kills it at random moments.

#include "datafiles.h"
#include "picturecache.h"
#include "printing.h"
#include "testfiles.h"
#include "textfile.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace velaria;
using namespace Qt::StringLiterals;
using velaria::testing::readBytes;
using velaria::testing::writeBytes;

namespace {

QByteArray bigEndian(quint32 value)
{
    QByteArray out;
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((value >> shift) & 0xFF);
    return out;
}

quint32 crc32(const QByteArray &bytes)
{
    quint32 crc = 0xFFFFFFFF;
    for (const char byte : bytes) {
        crc ^= static_cast<unsigned char>(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// A real picture of 20000 x 20000 pixels of one bit each, as PNG: 50 KB on the disk, 1.6 GB
// once decoded for the page.
QByteArray hugePng()
{
    constexpr quint32 side = 20000;
    const QByteArray rows(side * (1 + (side + 7) / 8), '\0');
    const QByteArray data = qCompress(rows, 9).mid(4); // qCompress puts the length first
    const auto chunk = [](const QByteArray &type, const QByteArray &body) {
        return bigEndian(static_cast<quint32>(body.size())) + type + body +
               bigEndian(crc32(type + body));
    };
    return "\x89PNG\r\n\x1a\n" +
           chunk("IHDR", bigEndian(side) + bigEndian(side) + QByteArray("\1\0\0\0\0", 5)) +
           chunk("IDAT", data) + chunk("IEND", {});
}

// The two lists the saving helper writes in turn: large enough that a kill lands inside a
// write, different in every line, one of them in Windows-1252.
QStringList savedList(bool second)
{
    QStringList lines;
    for (int i = 0; i < (second ? 1500 : 2000); ++i)
        lines << u"%1/%2 - %3 numero %4"_s.arg(i % 12 + 1, 2, 10, QChar(u'0'))
                     .arg(i % 28 + 1, 2, 10, QChar(u'0'))
                     .arg(second ? u"Festività"_s : u"Ricorrenza"_s)
                     .arg(i);
    return lines;
}

QByteArray fileBytes(const QStringList &lines)
{
    return EncodeText(lines.join(u"\r\n"_s) + u"\r\n"_s);
}

int saveForever(const QString &folder)
{
    const QStringList lists[2] = {savedList(false), savedList(true)};
    for (unsigned n = 0;; ++n)
        SaveRecurrenceLines(folder, lists[n % 2]);
}

// A tmpfs of 64 KB mounted for the scope: a disk that fills up. Mounting needs root.
class SmallDisk
{
public:
    explicit SmallDisk(const QString &path) : m_path(path)
    {
        m_mounted = QProcess::execute(u"mount"_s, {u"-t"_s, u"tmpfs"_s, u"-o"_s, u"size=64k"_s,
                                                   u"tmpfs"_s, m_path}) == 0;
    }
    ~SmallDisk()
    {
        if (m_mounted)
            QProcess::execute(u"umount"_s, {m_path});
    }
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;
    bool mounted() const { return m_mounted; }

private:
    QString m_path;
    bool m_mounted = false;
};

} // namespace

class TestHostileFiles : public QObject
{
    Q_OBJECT

private slots:
    void picturesThatAreNoPictures_data();
    void picturesThatAreNoPictures();
    void pictureListRoundTrip_data();
    void pictureListRoundTrip();
    void mixedEncodingsSurviveASave();
    void bannerIsReadOnlyToItsLimit_data();
    void bannerIsReadOnlyToItsLimit();
    void fullDiskKeepsTheOldFile_data();
    void fullDiskKeepsTheOldFile();
    void killedWhileSavingLeavesAWholeFile();
};

void TestHostileFiles::picturesThatAreNoPictures_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason"); // empty: the picture loads

    QTest::newRow("a folder") << u"folder"_s << u"non è un file"_s;
    QTest::newRow("the device /dev/zero") << u"/dev/zero"_s << u"non è un file"_s;
    QTest::newRow("a link to /dev/zero") << u"link"_s << u"non è un file"_s;
    QTest::newRow("a named pipe nobody writes") << u"fifo"_s << u"non è un file"_s;
    QTest::newRow("PNG of 20000 x 20000 pixels")
        << u"huge"_s << u"troppo grande (20000 x 20000 pixel)"_s;
    QTest::newRow("path with blanks and accents") << u"accents"_s << QString();
}

void TestHostileFiles::picturesThatAreNoPictures()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QString path = dir.filePath(u"foto.jpg"_s);
    if (kind == u"folder"_s) {
        QVERIFY(QDir().mkpath(path));
    } else if (kind == u"link"_s) {
        QVERIFY(QFile::link(u"/dev/zero"_s, path));
    } else if (kind == u"fifo"_s) {
        QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
    } else if (kind == u"huge"_s) {
        path = dir.filePath(u"enorme.png"_s);
        QVERIFY(writeBytes(path, hugePng()));
    } else if (kind == u"accents"_s) {
        QVERIFY(QDir().mkpath(dir.filePath(u"Città vecchia"_s)));
        path = dir.filePath(u"Città vecchia/Natale è già qui ü.jpg"_s);
        QImage small(40, 30, QImage::Format_RGB32);
        small.fill(Qt::darkGreen);
        QVERIFY(small.save(path));
    } else {
        path = kind;
    }

    PictureCache cache;
    const LoadedPicture picture = cache.load(path, 1600);
    if (reason.isEmpty()) {
        QVERIFY2(picture.error.isEmpty(), qPrintable(picture.error));
        QCOMPARE(picture.image.size(), QSize(40, 30));
        return;
    }
    QVERIFY(picture.image.isNull());
    QVERIFY2(picture.error.startsWith(u"Impossibile caricare l'immagine \""_s +
                                      QDir::toNativeSeparators(path)),
             qPrintable(picture.error));
    QVERIFY2(picture.error.contains(reason), qPrintable(picture.error));
}

// A picture list is read into the twelve boxes and written back by "Salva elenco": what was
// read is what is written.
void TestHostileFiles::pictureListRoundTrip_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("filled"); // boxes with a path

    QByteArray noise(4096, Qt::Uninitialized);
    QRandomGenerator random(12);
    for (char &byte : noise)
        byte = static_cast<char>(random.bounded(256));
    QTest::newRow("random bytes") << noise << -1;
    QTest::newRow("paths with blanks and accents, Windows-1252")
        << QByteArray("C:\\Foto\\Citt\xE0 vecchia.jpg\r\n/home/anna/Perch\xE9 no.jpg\r\n") << 2;
    QTest::newRow("paths with blanks and accents, UTF-8")
        << QByteArray("/home/anna/Citt\xC3\xA0 \xE2\x82\xAC.jpg\n/home/anna/\xC5\x81\xC3\xB3"
                      "d\xC5\xBA.jpg\n")
        << 2;
    QTest::newRow("twelve NUL lines") << QByteArray("\0\r\n", 3).repeated(12) << 12;
}

void TestHostileFiles::pictureListRoundTrip()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, filled);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(writeBytes(dir.filePath(PictureListFileName), bytes));
    const PictureList list = ReadPictureList(dir.path());
    if (filled >= 0) {
        QVERIFY2(list.error.isEmpty(), qPrintable(list.error));
        for (int i = 0; i < 12; ++i)
            QCOMPARE(list.paths[static_cast<std::size_t>(i)].isEmpty(), i >= filled);
    }

    const QStringList boxes(list.paths.begin(), list.paths.end());
    QVERIFY(WriteTextLines(dir.filePath(PictureListFileName), boxes).isEmpty());
    const PictureList again = ReadPictureList(dir.path());
    QVERIFY(again.paths == list.paths);
    QVERIFY2(again.error.isEmpty(), qPrintable(again.error));
}

void TestHostileFiles::mixedEncodingsSurviveASave()
{
    // One line written by a Linux editor (UTF-8), one by an old copy (Windows-1252): the file
    // reads as Windows-1252 throughout, and a save gives back the same bytes.
    const QByteArray bytes("03/15 - Caff\xC3\xA8 con Anna <b>\r\n08/10 - Perch\xE9 no?\r\n");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(writeBytes(dir.filePath(RecurrenceFileName), bytes));
    const QStringList lines = ReadRecurrenceLines(dir.path());
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines.at(1), u"08/10 - Perché no?"_s);
    QVERIFY(SaveRecurrenceLines(dir.path(), lines).isEmpty());
    QCOMPARE(readBytes(dir.filePath(RecurrenceFileName)), bytes);
}

void TestHostileFiles::bannerIsReadOnlyToItsLimit_data()
{
    QTest::addColumn<QByteArray>("bytes"); // empty: 100 MB of NUL bytes
    QTest::addColumn<QString>("banner");

    QTest::newRow("100 MB without a line end")
        << QByteArray() << QString(BannerByteLimit, QChar(0));
    QTest::newRow("UTF-8 letter cut by the limit is kept whole")
        << QByteArray(BannerByteLimit - 1, 'x') + "\xC3\xA8 e poi"
        << QString(BannerByteLimit - 1, u'x') + u'è';
    QTest::newRow("Windows-1252 past the limit")
        << QByteArray(BannerByteLimit - 1, 'x') + "\xE8\xE8\r\n"
        << QString(BannerByteLimit - 1, u'x') + u'è';
    QTest::newRow("line end just past the limit")
        << QByteArray(BannerByteLimit, 'y') + "\r\nseconda" << QString(BannerByteLimit, u'y');
}

void TestHostileFiles::bannerIsReadOnlyToItsLimit()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, banner);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(BannerFileName);
    if (bytes.isEmpty()) {
        QFile file(path); // sparse: costs no disk
        QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(100LL * 1024 * 1024));
    } else {
        QVERIFY(writeBytes(path, bytes));
    }
    QCOMPARE(ReadBanner(dir.path(), u"esempio.test"_s), banner);
}

// A disk with room for the old file but not the new one: the save reports it in Italian and
// the old file stays whole.
void TestHostileFiles::fullDiskKeepsTheOldFile_data()
{
    QTest::addColumn<QString>("what");
    QTest::newRow("Ricorrenze.txt") << u"ricorrenze"_s;
    QTest::newRow("Immagini.txt") << u"immagini"_s;
    QTest::newRow("page bitmap") << u"bitmap"_s;
}

void TestHostileFiles::fullDiskKeepsTheOldFile()
{
    QFETCH(QString, what);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    SmallDisk disk(dir.path());
    if (!disk.mounted())
        QSKIP("a small tmpfs cannot be mounted here (mounting needs root)");

    QString path;
    QString error;
    if (what == u"bitmap"_s) {
        path = dir.filePath(u"GENNAIO.bmp"_s);
        QImage old(40, 40, QImage::Format_RGB32);
        old.fill(Qt::blue);
        QVERIFY(old.save(path, "BMP"));
        const QByteArray before = readBytes(path);
        QImage page(2188, 2940, QImage::Format_RGB32);
        page.fill(Qt::white);
        error = SaveBitmap(page, path);
        QCOMPARE(readBytes(path), before);
    } else {
        path = dir.filePath(what == u"ricorrenze"_s ? RecurrenceFileName : PictureListFileName);
        const QStringList old = {u"01/06 - Befana"_s};
        QVERIFY(WriteTextLines(path, old).isEmpty());
        error = WriteTextLines(path, savedList(false));
        QCOMPARE(ReadTextLines(path), std::optional<QStringList>(old));
    }
    QVERIFY2(error.startsWith(u"Impossibile salvare"_s), qPrintable(error));
    QVERIFY2(error.contains(u"disco pieno"_s), qPrintable(error));
    QVERIFY2(error.contains(QDir::toNativeSeparators(path)), qPrintable(error));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QFileInfo(path).fileName()});
}

void TestHostileFiles::killedWhileSavingLeavesAWholeFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(RecurrenceFileName);
    const QByteArray whole[2] = {fileBytes(savedList(false)), fileBytes(savedList(true))};
    QVERIFY(writeBytes(path, whole[0]));

    QRandomGenerator random(2024);
    for (int round = 0; round < 40; ++round) {
        QProcess saver;
        saver.start(QCoreApplication::applicationFilePath(), {u"--salva-in-ciclo"_s, dir.path()});
        QVERIFY(saver.waitForStarted());
        QTest::qSleep(20 + random.bounded(60));
        saver.kill();
        QVERIFY(saver.waitForFinished());
        const QByteArray bytes = readBytes(path);
        QVERIFY2(
            bytes == whole[0] || bytes == whole[1],
            qPrintable(u"round %1: %2 bytes, neither list whole"_s.arg(round).arg(bytes.size())));
    }
    // Beside the file, at most the temporary copies of saves killed just before they took the
    // file's place (Ricorrenze.txt.XXXXXX): litter, but never in the file's own name.
    const QRegularExpression leftover(u"^Ricorrenze\\.txt\\.[A-Za-z0-9]{6}$"_s);
    for (const QString &name : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden))
        QVERIFY2(name == RecurrenceFileName || leftover.match(name).hasMatch(), qPrintable(name));
}

int main(int argc, char *argv[])
{
    if (argc == 3 && qstrcmp(argv[1], "--salva-in-ciclo") == 0)
        return saveForever(QFile::decodeName(argv[2]));
    QApplication app(argc, argv);
    TestHostileFiles test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_hostilefiles.moc"
