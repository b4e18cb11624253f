#include "calendarstate.h"
#include "datafiles.h"
#include "textfile.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include <sys/resource.h>

using namespace velaria;
using namespace Qt::StringLiterals;

namespace {

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

} // namespace

// The data files: encodings and line ends, a failed write, the picture list's twelve lines,
// the banner, and the recurrence file as the shared state reads and saves it.
class TestDataFiles : public QObject
{
    Q_OBJECT

private slots:
    void textLines_data();
    void textLines();
    void failedWriteKeepsTheOldFile();
    void pictureList();
    void readBanner_data();
    void readBanner();
    void loadAndSave();
    void unreadFileIsNeverOverwritten();

private:
    QTemporaryDir m_dir;
};

void TestDataFiles::textLines_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("CR LF") << QStringList{u"a"_s, {}} << QByteArray("a\r\n\r\n");
    QTest::newRow("Windows-1252") << QStringList{u"è"_s, u"€"_s} << QByteArray("\xE8\r\n\x80\r\n");
    QTest::newRow("UTF-8 when one does not fit")
        << QStringList{u"è"_s, u"→"_s} << QByteArray("\xC3\xA8\r\n\xE2\x86\x92\r\n");
}

void TestDataFiles::textLines()
{
    QFETCH(QStringList, lines);
    QFETCH(QByteArray, bytes);
    const QString path = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
    QCOMPARE(writeTextLines(path, lines), QString());
    QCOMPARE(readBytes(path), bytes);
    QCOMPARE(readTextLines(path).value_or(QStringList{u"-"_s}), lines);
}

void TestDataFiles::failedWriteKeepsTheOldFile()
{
    const QString path = m_dir.filePath(RecurrenceFileName);
    QVERIFY(writeBytes(path, "03/15 - Sagra\r\n"));
    // A full disk: no file may grow past 64 bytes (root too), and such a write simply fails.
    rlimit saved{};
    QVERIFY(getrlimit(RLIMIT_FSIZE, &saved) == 0);
    const rlimit capped{64, saved.rlim_max};
    const auto handler = std::signal(SIGXFSZ, [](int) {});
    QVERIFY(setrlimit(RLIMIT_FSIZE, &capped) == 0);
    const QString error = writeTextLines(path, QStringList(20, u"01/06 - Befana"_s));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, handler);
    QVERIFY2(error.startsWith(u"Impossibile salvare"_s) && error.contains(path), qPrintable(error));
    QCOMPARE(readBytes(path), QByteArray("03/15 - Sagra\r\n"));
}

void TestDataFiles::pictureList()
{
    // Line k is month k's picture; past the twelfth line the file is reported, twelve kept.
    for (int count : {-1, 12, 13}) { // -1: no file yet
        QTemporaryDir dir;
        const QString path = dir.filePath(PictureListFileName);
        QStringList lines;
        for (int k = 1; k <= count; ++k)
            lines << u"/foto/%1 è.jpg"_s.arg(k);
        QVERIFY(count < 0 || writeBytes(path, lines.join(u'\n').toUtf8()));
        const PictureList list = readPictureList(dir.path());
        QCOMPARE(list.missing, count < 0);
        QCOMPARE(list.error.isEmpty(), count >= 0 && count <= 12);
        QVERIFY(list.error.isEmpty() || list.error.contains(path));
        for (int k = 0; k < 12; ++k)
            QCOMPARE(list.paths[static_cast<std::size_t>(k)], lines.value(k));
    }
}

void TestDataFiles::readBanner_data()
{
    QTest::addColumn<QByteArray>("bytes"); // null: no file
    QTest::addColumn<QString>("banner");

    const QByteArray a(4095, 'a');
    QTest::newRow("no file") << QByteArray() << u"Programma Velaria - http://esempio.test/"_s;
    QTest::newRow("first line") << QByteArray("Rossi \xE8\r\nBianchi\r\n") << u"Rossi è"_s;
    QTest::newRow("empty first line") << QByteArray("\r\nBianchi") << QString();
    QTest::newRow("UTF-8 BOM, LF") << QByteArray("\xEF\xBB\xBF\xC3\xA8\nb") << u"è"_s;
    QTest::newRow("one stray byte") << QByteArray("\xC3\xA8 \x80") << u"Ã¨ €"_s;
    QTest::newRow("cut sequence") << QByteArray("a\xE2\x82") << u"aâ‚"_s;
    QTest::newRow("cut after 4096 bytes") << QByteArray(5000, 'a') << QString(4096, u'a');
    QTest::newRow("letter across the cut") << a + "\xE2\x82\xAC" << QString(4095, u'a') + u"€"_s;
    QTest::newRow("letter after the cut") << a + "a\xC3\xA8" << QString(4096, u'a');
}

void TestDataFiles::readBanner()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, banner);
    QTemporaryDir dir;
    QVERIFY(bytes.isNull() || writeBytes(dir.filePath(BannerFileName), bytes));
    QCOMPARE(velaria::readBanner(dir.path(), u"esempio.test"_s), banner);
}

void TestDataFiles::loadAndSave()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"nuova/Ricorrenze.txt"_s);
    CalendarState state(dir.filePath(u"nuova"_s)); // the first run: no folder, no file yet
    state.load();
    QCOMPARE(state.recurrenceReadError(), QString());
    const QStringList lines{u"01/06 - Befana"_s, u"12/25 - Cena"_s};
    QCOMPARE(state.saveRecurrences(lines), QString());
    QCOMPARE(readBytes(path), QByteArray("01/06 - Befana\r\n12/25 - Cena\r\n"));
    QVERIFY(writeBytes(path, "\r\n03/01 - Sagra\r\n\r\n"));
    state.load();
    QCOMPARE(state.recurrenceLines(), QStringList{u"03/01 - Sagra"_s});
    QCOMPARE(state.recurrences().cell(25, 12), QString());
    QSignalSpy changed(&state, &CalendarState::recurrencesChanged);
    QCOMPARE(state.saveRecurrences(lines), QString());
    QCOMPARE(changed.size(), 1);
    QCOMPARE(state.recurrenceLines(), lines);
    QCOMPARE(state.recurrences().cell(25, 12), u"Cena"_s);
    QCOMPARE(state.recurrences().cell(1, 3), QString()); // the line left out is gone
}

void TestDataFiles::unreadFileIsNeverOverwritten()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(RecurrenceFileName);
    QVERIFY(QDir().mkdir(path)); // a folder of that name cannot be read
    CalendarState state(dir.path());
    state.load();
    QVERIFY2(state.recurrenceReadError().contains(path), qPrintable(state.recurrenceReadError()));
    // A file put there later was not read either: saving leaves it as it is.
    QVERIFY(QDir().rmdir(path) && writeBytes(path, "01/06 - Befana\r\n"));
    QVERIFY(!state.saveRecurrences({u"03/15 - Sagra"_s}).isEmpty());
    QCOMPARE(readBytes(path), QByteArray("01/06 - Befana\r\n"));
    QCOMPARE(state.recurrences().cell(15, 3), QString());
}

QTEST_GUILESS_MAIN(TestDataFiles)
#include "tst_datafiles.moc"
