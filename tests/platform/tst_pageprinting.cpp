// The page window's "Stampa A4", "Stampa A3" and "Salva Pagina" buttons, end to end: the
// composed page through the real CUPS spooler into cups-pdf, and bitmaps on the desktop.
#include "fonts.h"
#include "mainwindow.h"
#include "pagewindow.h"
#include "printtestsupport.h"
#include "testsupport.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace velaria;
using namespace velaria::testing;

namespace {

constexpr int RenderDpi = 144;

} // namespace

class TstPagePrinting : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void printButtonPrintsComposedPage_data();
    void printButtonPrintsComposedPage();
    void saveButtonNamesBitmapAfterMonth();

private:
    QPushButton *button(const char *name) const;
    // Presses the button; a message box that opens meanwhile is closed and its text returned.
    QString pressAndCollectMessage(const char *name);
    bool waitForPage();

    Spooler m_spooler;
    QTemporaryDir m_home;
    QString m_desktop;
    std::unique_ptr<EnvironmentOverride> m_environment;
    WindowState m_state;
    std::unique_ptr<MainWindow> m_main;
    QPointer<PageWindow> m_page;
};

void TstPagePrinting::initTestCase()
{
    InstallFontSubstitutions();
    QVERIFY(m_home.isValid());
    // The desktop of an Italian session, as xdg-user-dirs names it.
    const QString config = m_home.filePath(QStringLiteral(".config"));
    m_desktop = m_home.filePath(QStringLiteral("Scrivania"));
    QVERIFY(QDir().mkpath(config) && QDir().mkpath(m_desktop));
    QFile userDirs(QDir(config).filePath(QStringLiteral("user-dirs.dirs")));
    QVERIFY(userDirs.open(QIODevice::WriteOnly));
    userDirs.write("XDG_DESKTOP_DIR=\"$HOME/Scrivania\"\n");
    userDirs.close();
    m_environment = std::make_unique<EnvironmentOverride>(
        std::initializer_list<std::pair<const char *, QByteArray>>{
            {"HOME", m_home.path().toUtf8()}, {"XDG_CONFIG_HOME", config.toUtf8()}});
}

void TstPagePrinting::init()
{
    m_state = WindowState();
    m_state.dataFolder = m_home.filePath(QStringLiteral("dati"));
    QVERIFY(QDir().mkpath(m_state.dataFolder));
    m_main = std::make_unique<MainWindow>(m_state, QDate(2025, 1, 15));
    m_page = new PageWindow(m_state, m_main.get());
    m_page->show();
    QVERIFY(waitForPage());
}

void TstPagePrinting::cleanup()
{
    delete m_page;
    m_main.reset();
}

QPushButton *TstPagePrinting::button(const char *name) const
{
    return m_page->findChild<QPushButton *>(QLatin1String(name));
}

QString TstPagePrinting::pressAndCollectMessage(const char *name)
{
    auto message = std::make_shared<QString>();
    answerNextModal(
        [message](QWidget *modal) {
            if (auto *box = qobject_cast<QMessageBox *>(modal))
                *message = box->windowTitle() + QStringLiteral(": ") + box->text();
            else
                *message = QStringLiteral("an unexpected dialog");
            modal->close();
        },
        20);
    button(name)->click();
    return *message;
}

bool TstPagePrinting::waitForPage()
{
    QSignalSpy composed(m_page.data(), &PageWindow::pageComposed);
    return composed.wait(10000) && !m_page->canvas().isNull();
}

void TstPagePrinting::printButtonPrintsComposedPage_data()
{
    QTest::addColumn<QByteArray>("buttonName");
    QTest::addColumn<QPageSize::PageSizeId>("paper");
    QTest::addColumn<QRectF>("place");
    QTest::addColumn<QSizeF>("paperPoints");

    QTest::newRow("Stampa A4") << QByteArray("Command1") << QPageSize::A4
                               << QRectF(200, 0, 11000, 16000) << QSizeF(595, 842);
    QTest::newRow("Stampa A3") << QByteArray("Command5") << QPageSize::A3
                               << QRectF(300, 0, 15560, 22630) << QSizeF(842, 1191);
}

void TstPagePrinting::printButtonPrintsComposedPage()
{
    QFETCH(QByteArray, buttonName);
    QFETCH(QPageSize::PageSizeId, paper);
    QFETCH(QRectF, place);
    QFETCH(QSizeF, paperPoints);
    if (!m_spooler.available())
        QSKIP(NoSpooler);
    QVERIFY2(m_spooler.defaultPrinterProblem().isEmpty(),
             qPrintable(m_spooler.defaultPrinterProblem()));

    const QImage canvas = m_page->canvas().convertToFormat(QImage::Format_RGB32);
    const QSet<QString> before = pdfFiles(m_spooler.pdfFolder);
    const QString message = pressAndCollectMessage(buttonName.constData());
    QVERIFY2(message.isEmpty(), qPrintable(message));
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
    const QRectF expected = expectedPlacement(paper, place, RenderDpi);
    // The page's ink, stretched into the place, is where the sheet's ink is.
    const QRect canvasInk = inkBounds(canvas);
    QVERIFY(!canvasInk.isEmpty());
    const double scaleX = expected.width() / canvas.width();
    const double scaleY = expected.height() / canvas.height();
    const QRectF inkPlace(expected.left() + canvasInk.left() * scaleX,
                          expected.top() + canvasInk.top() * scaleY, canvasInk.width() * scaleX,
                          canvasInk.height() * scaleY);
    const QString misplaced = placementProblem(inkBounds(sheet), inkPlace, 2.0);
    QVERIFY2(misplaced.isEmpty(), qPrintable(misplaced));

    // The sheet carries the composed page: a grid of tiles has the canvas's mean colours.
    constexpr int tiles = 12;
    for (int row = 0; row < tiles; ++row) {
        for (int column = 0; column < tiles; ++column) {
            const QRectF part(double(column) / tiles, double(row) / tiles, 1.0 / tiles,
                              1.0 / tiles);
            auto area = [&](QRectF whole) {
                return QRectF(whole.left() + part.left() * whole.width(),
                              whole.top() + part.top() * whole.height(),
                              part.width() * whole.width(), part.height() * whole.height())
                    .toAlignedRect()
                    .adjusted(2, 2, -2, -2);
            };
            const QColor onCanvas = meanColour(canvas, area(QRectF(canvas.rect())));
            const QColor onSheet = meanColour(sheet, area(expected));
            QVERIFY2(near(onSheet.rgb(), onCanvas, 16),
                     qPrintable(QStringLiteral("tile %1,%2: canvas %3, printed %4")
                                    .arg(column)
                                    .arg(row)
                                    .arg(describe(onCanvas), describe(onSheet))));
        }
    }
}

void TstPagePrinting::saveButtonNamesBitmapAfterMonth()
{
    const QString january = QDir(m_desktop).filePath(QStringLiteral("GENNAIO.bmp"));
    const QString february = QDir(m_desktop).filePath(QStringLiteral("FEBBRAIO.bmp"));
    QFile::remove(january);
    QFile::remove(february);

    const QImage januaryPage = m_page->canvas().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(pressAndCollectMessage("Command4"), QString());
    QCOMPARE(QImage(january).convertToFormat(QImage::Format_RGB32), januaryPage);

    // The page window's ">>" moves the main window a month on, and the page follows.
    auto *next = m_page->findChild<QWidget *>(QStringLiteral("Label4"));
    QVERIFY(next);
    QTest::mouseClick(next, Qt::LeftButton);
    QVERIFY(waitForPage());
    QCOMPARE(m_state.NomeMese.trimmed(), QStringLiteral("FEBBRAIO"));

    const QImage februaryPage = m_page->canvas().convertToFormat(QImage::Format_RGB32);
    QVERIFY(februaryPage != januaryPage);
    QCOMPARE(pressAndCollectMessage("Command4"), QString());
    QCOMPARE(QImage(february).convertToFormat(QImage::Format_RGB32), februaryPage);
    QCOMPARE(QImage(january).convertToFormat(QImage::Format_RGB32), januaryPage);
    QCOMPARE(QDir(m_desktop).entryList(QDir::Files | QDir::Hidden),
             (QStringList{QStringLiteral("FEBBRAIO.bmp"), QStringLiteral("GENNAIO.bmp")}));

    // The status line names the file it wrote.
    auto *status = m_page->findChild<QLabel *>(QStringLiteral("Label6"));
    QVERIFY(status);
    QVERIFY2(status->text().contains(QStringLiteral("FEBBRAIO.bmp")), qPrintable(status->text()));
}

QTEST_MAIN(TstPagePrinting)
#include "tst_pageprinting.moc"
