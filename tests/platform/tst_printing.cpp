// Printing a page through the real CUPS spooler into cups-pdf, and saving pages as bitmaps.
#include "fonts.h"
#include "printing.h"
#include "printtestsupport.h"
#include "testsupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <cstdio>
#include <optional>

using namespace velaria;
using namespace velaria::testing;

namespace {

constexpr int PageWidth = 2188;
constexpr int PageHeight = 2940;
constexpr int RenderDpi = 144;

struct Block
{
    QRect rect;
    QColor colour;
};

// The composed page as the page window hands it over: a grey ground with a coloured block
// in each corner and one in the middle, so position, stretching and orientation all show.
QList<Block> pageBlocks()
{
    return {
        {QRect(0, 0, 500, 500), QColor(220, 0, 0)},
        {QRect(PageWidth - 500, 0, 500, 500), QColor(0, 170, 0)},
        {QRect(0, PageHeight - 500, 500, 500), QColor(0, 0, 220)},
        {QRect(PageWidth - 500, PageHeight - 500, 500, 500), QColor(240, 200, 0)},
        {QRect(PageWidth / 2 - 200, PageHeight / 2 - 200, 400, 400), QColor(200, 0, 200)},
    };
}

const QColor Ground(128, 128, 128);

QImage syntheticPage(const QColor &ground = Ground)
{
    QImage page(PageWidth, PageHeight, QImage::Format_RGB32);
    page.fill(ground);
    QPainter painter(&page);
    for (const Block &block : pageBlocks())
        painter.fillRect(block.rect, block.colour);
    return page;
}

quint16 le16(const QByteArray &bytes, int offset)
{
    return qFromLittleEndian<quint16>(bytes.constData() + offset);
}

quint32 le32(const QByteArray &bytes, int offset)
{
    return qFromLittleEndian<quint32>(bytes.constData() + offset);
}

qint32 le32s(const QByteArray &bytes, int offset)
{
    return qFromLittleEndian<qint32>(bytes.constData() + offset);
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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
    void initTestCase();

    void printsPageWhereThePlaceSays_data();
    void printsPageWhereThePlaceSays();
    void refusesNothingToPrint_data();
    void refusesNothingToPrint();
    void reportsMissingDefaultPrinter_data();
    void reportsMissingDefaultPrinter();

    void desktopFolderFollowsUserDirs_data();
    void desktopFolderFollowsUserDirs();
    void savesWholeBitmap();
    void savingAgainOverwrites();
    void failedSaveLeavesNoFile_data();
    void failedSaveLeavesNoFile();
    void failedOverwriteKeepsOldBitmap_data();
    void failedOverwriteKeepsOldBitmap();

private:
    Spooler m_spooler;
};

void TstPrinting::initTestCase()
{
    InstallFontSubstitutions();
}

void TstPrinting::printsPageWhereThePlaceSays_data()
{
    QTest::addColumn<QPageSize::PageSizeId>("paper");
    QTest::addColumn<QRectF>("place");
    QTest::addColumn<QSizeF>("paperPoints");

    QTest::newRow("Stampa A4") << QPageSize::A4 << QRectF(200, 0, 11000, 16000) << QSizeF(595, 842);
    QTest::newRow("Stampa A3") << QPageSize::A3 << QRectF(300, 0, 15560, 22630)
                               << QSizeF(842, 1191);
}

void TstPrinting::printsPageWhereThePlaceSays()
{
    QFETCH(QPageSize::PageSizeId, paper);
    QFETCH(QRectF, place);
    QFETCH(QSizeF, paperPoints);
    if (!m_spooler.available())
        QSKIP(NoSpooler);
    QVERIFY2(m_spooler.defaultPrinterProblem().isEmpty(),
             qPrintable(m_spooler.defaultPrinterProblem()));

    const QSet<QString> before = pdfFiles(m_spooler.pdfFolder);
    QCOMPARE(StampaPagina(syntheticPage(), paper, place), QString());
    const std::optional<QString> pdf = waitForNewPdf(m_spooler, before);
    QVERIFY2(pdf, qPrintable(QStringLiteral("one new PDF expected in ") + m_spooler.pdfFolder));

    const std::optional<PdfInfo> info = readPdfInfo(*pdf);
    QVERIFY2(info, "pdfinfo cannot read the printed page");
    QCOMPARE(info->pages, 1);
    QVERIFY2(qAbs(info->pagePoints.width() - paperPoints.width()) <= 1.0 &&
                 qAbs(info->pagePoints.height() - paperPoints.height()) <= 1.0,
             qPrintable(info->text));

    const QImage sheet = renderPdf(*pdf, RenderDpi);
    QVERIFY(!sheet.isNull());

    // The image spans the place, counted from the printable area's top-left corner; the
    // tolerance is two pixels at 144 dpi, a third of a millimetre.
    const QRectF expected = expectedPlacement(paper, place, RenderDpi);
    const QString misplaced = placementProblem(inkBounds(sheet), expected, 2.0);
    QVERIFY2(misplaced.isEmpty(), qPrintable(misplaced));

    // Each block lands where the stretched image puts it, in its own colour.
    const double scaleX = expected.width() / PageWidth;
    const double scaleY = expected.height() / PageHeight;
    auto sheetPoint = [&](QPointF pagePoint) {
        return QPoint(qRound(expected.left() + pagePoint.x() * scaleX),
                      qRound(expected.top() + pagePoint.y() * scaleY));
    };
    for (const Block &block : pageBlocks()) {
        const QRgb pixel = sheet.pixel(sheetPoint(QRectF(block.rect).center()));
        QVERIFY2(near(pixel, block.colour, 24),
                 qPrintable(QStringLiteral("block %1 printed as %2")
                                .arg(describe(block.colour), describe(QColor(pixel)))));
    }
    const QRgb ground = sheet.pixel(sheetPoint(QPointF(PageWidth / 2.0, 1000)));
    QVERIFY2(near(ground, Ground, 24), qPrintable(describe(QColor(ground))));
}

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
    QVERIFY2(m_spooler.defaultPrinterProblem().isEmpty(),
             qPrintable(m_spooler.defaultPrinterProblem()));

    const QSet<QString> before = pdfFiles(m_spooler.pdfFolder);
    QVERIFY(!StampaPagina(page, QPageSize::A4, place).isEmpty());
    QVERIFY(queueIdle(m_spooler.printer));
    QCOMPARE(pdfFiles(m_spooler.pdfFolder), before);
}

void TstPrinting::reportsMissingDefaultPrinter_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("destination");

    // The local spooler's socket is the default server; LPDEST names the default printer.
    QTest::newRow("no CUPS server") << QStringLiteral("no-cups/cups.sock") << QString();
    QTest::newRow("default printer removed") << QString() << QStringLiteral("StampanteRimossa");
}

void TstPrinting::reportsMissingDefaultPrinter()
{
    QFETCH(QString, server);
    QFETCH(QString, destination);

    QTemporaryDir home;
    QVERIFY(home.isValid());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(ChildVariable), QStringLiteral("1"));
    environment.insert(QStringLiteral("HOME"), home.path()); // no personal lpoptions
    environment.remove(QStringLiteral("PRINTER"));
    environment.remove(QStringLiteral("LPDEST"));
    if (!server.isEmpty())
        environment.insert(QStringLiteral("CUPS_SERVER"), home.filePath(server));
    if (!destination.isEmpty()) {
        if (!m_spooler.available())
            QSKIP(NoSpooler);
        environment.insert(QStringLiteral("LPDEST"), destination);
    }

    QProcess child;
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(child.waitForFinished(60000));
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);
    const QString message = QString::fromUtf8(child.readAllStandardOutput());
    QVERIFY2(message != QStringLiteral("<printed>"), "printed without a default printer");
    QVERIFY2(message.contains(QStringLiteral("stampante predefinita")), qPrintable(message));
}

void TstPrinting::desktopFolderFollowsUserDirs_data()
{
    QTest::addColumn<QByteArray>("userDirs");
    QTest::addColumn<QString>("expected");

    QTest::newRow("Italian desktop")
        << QByteArray("XDG_DESKTOP_DIR=\"$HOME/Scrivania\"\n") << QStringLiteral("Scrivania/");
    QTest::newRow("absolute path")
        << QByteArray("# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"/%HOME%/Tavolo\"\n")
        << QStringLiteral("Tavolo/");
    QTest::newRow("no user-dirs file") << QByteArray() << QStringLiteral("Desktop/");
    QTest::newRow("desktop is home") << QByteArray("XDG_DESKTOP_DIR=\"$HOME/\"\n") << QString();
}

void TstPrinting::desktopFolderFollowsUserDirs()
{
    QFETCH(QByteArray, userDirs);
    QFETCH(QString, expected);

    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString home = root.filePath(QStringLiteral("casa"));
    const QString config = root.filePath(QStringLiteral("config"));
    QVERIFY(QDir().mkpath(home) && QDir().mkpath(config));
    if (!userDirs.isEmpty()) {
        QFile file(QDir(config).filePath(QStringLiteral("user-dirs.dirs")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(userDirs.replace("/%HOME%", home.toUtf8()));
    }
    EnvironmentOverride environment{{"HOME", home.toUtf8()}, {"XDG_CONFIG_HOME", config.toUtf8()}};

    const QString folder = CartellaSpeciale();
    QCOMPARE(folder, home + QLatin1Char('/') + expected);
    if (!expected.isEmpty())
        QVERIFY2(!QFileInfo::exists(folder), "the desktop folder must not be created");
}

void TstPrinting::savesWholeBitmap()
{
    QTemporaryDir root;
    QVERIFY(root.isValid());
    QVERIFY(QDir(root.path()).mkpath(QStringLiteral("Scrivania")));
    QFile userDirs(root.filePath(QStringLiteral("user-dirs.dirs")));
    QVERIFY(userDirs.open(QIODevice::WriteOnly));
    userDirs.write("XDG_DESKTOP_DIR=\"$HOME/Scrivania\"\n");
    userDirs.close();
    EnvironmentOverride environment{{"HOME", root.path().toUtf8()},
                                    {"XDG_CONFIG_HOME", root.path().toUtf8()}};

    const QString path = CartellaSpeciale() + QStringLiteral("GENNAIO.bmp");
    QCOMPARE(path, root.filePath(QStringLiteral("Scrivania/GENNAIO.bmp")));
    const QImage page = syntheticPage();
    QCOMPARE(SaveBitmap(page, path), QString());

    // The header, read by hand: a Windows bitmap of the page's size, 24 or 32 bits per pixel.
    const QByteArray bytes = readAll(path);
    QVERIFY(bytes.size() > 54);
    QCOMPARE(bytes.left(2), QByteArray("BM"));
    QCOMPARE(le32(bytes, 2), quint32(bytes.size()));
    QVERIFY(le32(bytes, 14) >= 40);
    QCOMPARE(le32s(bytes, 18), PageWidth);
    QCOMPARE(qAbs(le32s(bytes, 22)), PageHeight);
    QCOMPARE(le16(bytes, 26), quint16(1));
    const int bitsPerPixel = le16(bytes, 28);
    QVERIFY2(bitsPerPixel == 24 || bitsPerPixel == 32, qPrintable(QString::number(bitsPerPixel)));

    // The colours of the blocks, read straight from the rows.
    const bool bottomUp = le32s(bytes, 22) > 0;
    const int bytesPerPixel = bitsPerPixel / 8;
    const int stride = (PageWidth * bytesPerPixel + 3) / 4 * 4;
    const int pixels = static_cast<int>(le32(bytes, 10));
    QVERIFY(pixels + qint64(stride) * PageHeight <= bytes.size());
    auto colourAt = [&](QPoint point) {
        const int row = bottomUp ? PageHeight - 1 - point.y() : point.y();
        const auto *bgr = reinterpret_cast<const uchar *>(bytes.constData()) + pixels +
                          qint64(row) * stride + qint64(point.x()) * bytesPerPixel;
        return QColor(bgr[2], bgr[1], bgr[0]);
    };
    for (const Block &block : pageBlocks()) {
        QCOMPARE(colourAt(block.rect.topLeft()), block.colour);
        QCOMPARE(colourAt(block.rect.bottomRight()), block.colour);
    }
    QCOMPARE(colourAt(QPoint(PageWidth / 2, 700)), Ground);

    QCOMPARE(QImage(path).convertToFormat(QImage::Format_RGB32), page);
}

void TstPrinting::savingAgainOverwrites()
{
    QTemporaryDir desktop;
    QVERIFY(desktop.isValid());
    const QString path = desktop.filePath(QStringLiteral("MARZO.bmp"));

    QCOMPARE(SaveBitmap(syntheticPage(), path), QString());
    const QImage second = syntheticPage(QColor(0, 128, 128));
    QCOMPARE(SaveBitmap(second, path), QString());

    QCOMPARE(QImage(path).convertToFormat(QImage::Format_RGB32), second);
    QCOMPARE(QDir(desktop.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("MARZO.bmp")});
}

void TstPrinting::failedSaveLeavesNoFile_data()
{
    QTest::addColumn<QString>("relativePath");

    QTest::newRow("missing folder") << QStringLiteral("Scrivania/GENNAIO.bmp");
    QTest::newRow("folder is a file") << QStringLiteral("documento.txt/GENNAIO.bmp");
}

void TstPrinting::failedSaveLeavesNoFile()
{
    QFETCH(QString, relativePath);

    QTemporaryDir root;
    QVERIFY(root.isValid());
    QFile plain(root.filePath(QStringLiteral("documento.txt")));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.write("non una cartella\n");
    plain.close();
    const QString path = root.filePath(relativePath);

    const QString message = SaveBitmap(syntheticPage(), path);
    QVERIFY(!message.isEmpty());
    QVERIFY2(message.contains(QStringLiteral("GENNAIO.bmp")), qPrintable(message));
    QVERIFY(!QFileInfo::exists(path));
    QCOMPARE(readAll(plain.fileName()), QByteArray("non una cartella\n"));
}

void TstPrinting::failedOverwriteKeepsOldBitmap_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<bool>("lockFolder");

    // The name leaves no room for the temporary file's suffix within the 255 bytes of a name.
    QTest::newRow("no room for the temporary name")
        << QString(246, QLatin1Char('P')) + QStringLiteral(".bmp") << false;
    QTest::newRow("folder not writable") << QStringLiteral("APRILE.bmp") << true;
}

void TstPrinting::failedOverwriteKeepsOldBitmap()
{
    QFETCH(QString, fileName);
    QFETCH(bool, lockFolder);

    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString folder = root.filePath(QStringLiteral("Scrivania"));
    QVERIFY(QDir().mkpath(folder));
    const QString path = QDir(folder).filePath(fileName);
    QCOMPARE(SaveBitmap(syntheticPage(), path), QString());
    const QByteArray old = readAll(path);
    QVERIFY(!old.isEmpty());

    QString message;
    {
        std::optional<testing::ReadOnlyFolder> locked;
        if (lockFolder) {
            locked.emplace(folder);
            if (!locked->active())
                QSKIP("this file system cannot make a folder unwritable for root");
        }
        message = SaveBitmap(syntheticPage(QColor(0, 128, 128)), path);
    }
    QVERIFY(!message.isEmpty());
    QVERIFY2(message.contains(fileName), qPrintable(message));
    QCOMPARE(readAll(path), old);
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
