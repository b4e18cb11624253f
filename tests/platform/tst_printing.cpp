// Printing without a page or without a printer, through the real CUPS spooler, and saving
// pages as bitmaps. Where a printed page lands is tst_pageprinting's part, end to end.
#include "fonts.h"
#include "printing.h"
#include "printtestsupport.h"
#include "testsupport.h"

#include <QPainter>
#include <QTemporaryDir>
#include <QtEndian>

#include <cstdio>
#include <optional>

using namespace velaria;
using namespace velaria::testing;
using namespace Qt::StringLiterals;

namespace {

// A page as the page window hands it over: a grey ground and a coloured corner.
QImage syntheticPage(const QColor &ground = QColor(128, 128, 128))
{
    QImage page(2188, 2940, QImage::Format_RGB32);
    page.fill(ground);
    QPainter(&page).fillRect(0, 0, 500, 500, QColor(220, 0, 0));
    return page;
}

// Marks the child run of this program that prints without any CUPS server.
constexpr char ChildVariable[] = "VELARIA_PRINT_CHILD";

int childMain(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString message =
        StampaPagina(syntheticPage(), QPageSize::A4, QRectF(200, 0, 11000, 16000));
    std::fputs(message.isEmpty() ? "<printed>" : message.toUtf8().constData(), stdout);
    return 0;
}

} // namespace

class TstPrinting : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { InstallFontSubstitutions(); }

    void refusesNothingToPrint_data();
    void refusesNothingToPrint();
    void reportsMissingDefaultPrinter_data();
    void reportsMissingDefaultPrinter();

    void desktopFolderFollowsUserDirs_data();
    void desktopFolderFollowsUserDirs();
    void savesWindowsBitmap();
    void failedSaveKeepsWhatWasThere_data();
    void failedSaveKeepsWhatWasThere();

private:
    Spooler m_spooler;
};

void TstPrinting::refusesNothingToPrint_data()
{
    QTest::addColumn<QImage>("page");
    QTest::addColumn<QRectF>("place");

    QTest::newRow("no image") << QImage() << QRectF(200, 0, 11000, 16000);
    QTest::newRow("empty place") << syntheticPage() << QRectF(200, 0, 0, 16000);
}

void TstPrinting::refusesNothingToPrint()
{
    QFETCH(QImage, page);
    QFETCH(QRectF, place);
    if (!m_spooler.available())
        QSKIP(NoSpooler);

    const QSet<QString> before = m_spooler.pdfFiles();
    QVERIFY(!StampaPagina(page, QPageSize::A4, place).isEmpty());
    QVERIFY(m_spooler.idle());
    QCOMPARE(m_spooler.pdfFiles(), before);
}

void TstPrinting::reportsMissingDefaultPrinter_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("destination");

    // The local spooler's socket is the default server; LPDEST names the default printer.
    QTest::newRow("no CUPS server") << u"no-cups/cups.sock"_s << QString();
    QTest::newRow("default printer removed") << QString() << u"StampanteRimossa"_s;
}

void TstPrinting::reportsMissingDefaultPrinter()
{
    QFETCH(QString, server);
    QFETCH(QString, destination);
    if (!destination.isEmpty() && !m_spooler.available())
        QSKIP(NoSpooler);

    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(ChildVariable), u"1"_s);
    environment.insert(u"HOME"_s, home.path()); // no personal lpoptions
    environment.remove(u"PRINTER"_s);
    environment.remove(u"LPDEST"_s);
    if (!server.isEmpty())
        environment.insert(u"CUPS_SERVER"_s, home.filePath(server));
    if (!destination.isEmpty())
        environment.insert(u"LPDEST"_s, destination);

    QProcess child;
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(child.waitForFinished(60000));
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    const QString message = QString::fromUtf8(child.readAllStandardOutput());
    QVERIFY2(message.contains(u"stampante predefinita"_s), qPrintable(message));
}

void TstPrinting::desktopFolderFollowsUserDirs_data()
{
    QTest::addColumn<QByteArray>("userDirs");
    QTest::addColumn<QString>("expected");

    QTest::newRow("Italian desktop")
        << QByteArray("XDG_DESKTOP_DIR=\"$HOME/Scrivania\"\n") << u"Scrivania/"_s;
    QTest::newRow("absolute path")
        << QByteArray("# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"/%HOME%/Tavolo\"\n")
        << u"Tavolo/"_s;
    QTest::newRow("no user-dirs file") << QByteArray() << u"Desktop/"_s;
    QTest::newRow("desktop is home") << QByteArray("XDG_DESKTOP_DIR=\"$HOME/\"\n") << QString();
}

void TstPrinting::desktopFolderFollowsUserDirs()
{
    QFETCH(QByteArray, userDirs);
    QFETCH(QString, expected);

    QTemporaryDir root;
    const QString home = root.filePath(u"casa"_s);
    const QString config = root.filePath(u"config"_s);
    QVERIFY(QDir().mkpath(home) && QDir().mkpath(config));
    if (!userDirs.isEmpty())
        QVERIFY(
            writeBytes(config + u"/user-dirs.dirs"_s, userDirs.replace("/%HOME%", home.toUtf8())));
    EnvironmentOverride environment{{"HOME", home.toUtf8()}, {"XDG_CONFIG_HOME", config.toUtf8()}};

    const QString folder = CartellaSpeciale();
    QCOMPARE(folder, home + u'/' + expected);
    if (!expected.isEmpty())
        QVERIFY2(!QFileInfo::exists(folder), "the desktop folder must not be created");
}

void TstPrinting::savesWindowsBitmap()
{
    QTemporaryDir desktop;
    const QString path = desktop.filePath(u"GENNAIO.bmp"_s);
    QCOMPARE(SaveBitmap(syntheticPage(QColor(0, 128, 128)), path), QString());
    const QImage page = syntheticPage();
    QCOMPARE(SaveBitmap(page, path), QString()); // saving again replaces the file

    // A Windows bitmap of 24 or 32 bits per pixel, whatever its name says.
    const QByteArray bytes = readBytes(path);
    QCOMPARE(bytes.left(2), QByteArray("BM"));
    const int bitsPerPixel = qFromLittleEndian<quint16>(bytes.constData() + 28);
    QVERIFY2(bitsPerPixel == 24 || bitsPerPixel == 32, qPrintable(QString::number(bitsPerPixel)));
    QCOMPARE(QImage(path, "bmp").convertToFormat(QImage::Format_RGB32), page);
    QCOMPARE(QDir(desktop.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{u"GENNAIO.bmp"_s});
}

void TstPrinting::failedSaveKeepsWhatWasThere_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("failure");

    QTest::newRow("missing folder") << u"GENNAIO.bmp"_s << u"missing"_s;
    QTest::newRow("folder is a file") << u"GENNAIO.bmp"_s << u"file"_s;
    // The name leaves no room for the temporary file's suffix within the 255 bytes of a name.
    QTest::newRow("no room for the temporary name") << QString(246, u'P') + u".bmp"_s << u"long"_s;
    QTest::newRow("folder not writable") << u"APRILE.bmp"_s << u"locked"_s;
}

void TstPrinting::failedSaveKeepsWhatWasThere()
{
    QFETCH(QString, fileName);
    QFETCH(QString, failure);

    QTemporaryDir root;
    const QString folder = root.filePath(u"Scrivania"_s);
    const QString path = folder + u'/' + fileName;
    QByteArray old; // what is on the disk at the path before the save
    if (failure == u"file"_s) {
        old = "non una cartella\n";
        QVERIFY(writeBytes(folder, old));
    } else if (failure != u"missing"_s) {
        QVERIFY(QDir().mkpath(folder));
        QCOMPARE(SaveBitmap(syntheticPage(), path), QString());
        old = readBytes(path);
    }

    QString message;
    {
        std::optional<ReadOnlyFolder> locked;
        if (failure == u"locked"_s) {
            locked.emplace(folder);
            if (!locked->active())
                QSKIP("this file system cannot make a folder unwritable for root");
        }
        message = SaveBitmap(syntheticPage(QColor(0, 128, 128)), path);
    }
    QVERIFY2(message.contains(fileName), qPrintable(message));
    QCOMPARE(readBytes(failure == u"file"_s ? folder : path), old.isEmpty() ? "<unreadable>" : old);
    if (!old.isEmpty() && failure != u"file"_s)
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{fileName});
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsSet(ChildVariable))
        return childMain(argc, argv);
    QApplication app(argc, argv);
    TstPrinting test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_printing.moc"
