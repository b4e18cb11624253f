// The page window's "Stampa A4", "Stampa A3" and "Salva Pagina" buttons, end to end: the
// composed page through the real CUPS spooler into cups-pdf, and bitmaps on the desktop.
#include "fonts.h"
#include "mainwindow.h"
#include "pagewindow.h"
#include "printtestsupport.h"
#include "testsupport.h"

#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QSignalSpy>

#include <memory>

using namespace velaria;
using namespace velaria::testing;
using namespace Qt::StringLiterals;

namespace {

QColor meanColour(const QImage &image, const QRect &area)
{
    qint64 sum[3] = {};
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            sum[0] += qRed(pixel);
            sum[1] += qGreen(pixel);
            sum[2] += qBlue(pixel);
        }
    }
    const qint64 count = qMax<qint64>(1, qint64(area.width()) * area.height());
    return QColor(int(sum[0] / count), int(sum[1] / count), int(sum[2] / count));
}

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
    // Presses the button; a message box that opens meanwhile is closed and its text returned.
    QString press(const char *name);
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
    // The desktop of an Italian session, as xdg-user-dirs names it.
    const QString config = m_home.filePath(u".config"_s);
    m_desktop = m_home.filePath(u"Scrivania"_s);
    QVERIFY(QDir().mkpath(config) && QDir().mkpath(m_desktop));
    QVERIFY(writeBytes(config + u"/user-dirs.dirs"_s, "XDG_DESKTOP_DIR=\"$HOME/Scrivania\"\n"));
    m_environment.reset(new EnvironmentOverride{{"HOME", m_home.path().toUtf8()},
                                                {"XDG_CONFIG_HOME", config.toUtf8()}});
}

void TstPagePrinting::init()
{
    // January's picture in four colours, so that a page printed turned, mirrored or in other
    // colours shows.
    m_state = WindowState();
    m_state.dataFolder = m_home.filePath(u"dati"_s);
    const QString picture = m_state.dataFolder + u"/gennaio.png"_s;
    QImage quarters(400, 300, QImage::Format_RGB32);
    quarters.fill(QColor(220, 0, 0));
    QPainter painter(&quarters);
    painter.fillRect(200, 0, 200, 150, QColor(0, 170, 0));
    painter.fillRect(0, 150, 200, 150, QColor(0, 0, 220));
    painter.fillRect(200, 150, 200, 150, QColor(240, 200, 0));
    painter.end();
    QVERIFY(QDir().mkpath(m_state.dataFolder) && quarters.save(picture));
    QVERIFY(writeBytes(m_state.dataFolder + u"/Immagini.txt"_s, picture.toUtf8() + "\r\n"));
    m_main = std::make_unique<MainWindow>(m_state, QDate(2025, 1, 15));
    m_page = new PageWindow(m_state, m_main.get());
    m_page->show();
    QVERIFY(waitForPage());
    QCOMPARE(m_page->canvas().pixelColor(300, 300), QColor(220, 0, 0));
}

void TstPagePrinting::cleanup()
{
    delete m_page;
    m_main.reset();
}

QString TstPagePrinting::press(const char *name)
{
    auto message = std::make_shared<QString>();
    answerNextModal(
        [message](QWidget *modal) {
            const auto *box = qobject_cast<QMessageBox *>(modal);
            *message = box ? box->windowTitle() + u": "_s + box->text() : u"a dialog"_s;
            modal->close();
        },
        20);
    m_page->findChild<QPushButton *>(QLatin1String(name))->click();
    return *message;
}

bool TstPagePrinting::waitForPage()
{
    QSignalSpy composed(m_page.data(), &PageWindow::pageComposed);
    return composed.wait(10000) && !m_page->canvas().isNull();
}

void TstPagePrinting::printButtonPrintsComposedPage_data()
{
    QTest::addColumn<QByteArray>("button");
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
    QFETCH(QByteArray, button);
    QFETCH(QPageSize::PageSizeId, paper);
    QFETCH(QRectF, place);
    QFETCH(QSizeF, paperPoints);
    if (!m_spooler.available())
        QSKIP(NoSpooler);
    QVERIFY2(m_spooler.defaultPrinterProblem().isEmpty(),
             qPrintable(m_spooler.defaultPrinterProblem()));

    const QImage canvas = m_page->canvas().convertToFormat(QImage::Format_RGB32);
    const PrintedSheet sheet =
        printAndRender(m_spooler, paperPoints, [&] { return press(button.constData()); });
    QVERIFY2(sheet.problem.isEmpty(), qPrintable(sheet.problem));

    // The page's ink, stretched into the place, is where the sheet's ink is.
    const QRectF expected = expectedPlacement(paper, place);
    const QRect canvasInk = inkBounds(canvas);
    const double scaleX = expected.width() / canvas.width();
    const double scaleY = expected.height() / canvas.height();
    const QRectF inkPlace(expected.left() + canvasInk.left() * scaleX,
                          expected.top() + canvasInk.top() * scaleY, canvasInk.width() * scaleX,
                          canvasInk.height() * scaleY);
    const QString misplaced = placementProblem(inkBounds(sheet.image), inkPlace);
    QVERIFY2(misplaced.isEmpty(), qPrintable(misplaced));

    // The sheet carries the composed page, picture and all: a grid of tiles has the canvas's
    // mean colours.
    constexpr int Tiles = 12;
    for (int row = 0; row < Tiles; ++row) {
        for (int column = 0; column < Tiles; ++column) {
            const auto tile = [&](const QRectF &whole) {
                const double width = whole.width() / Tiles, height = whole.height() / Tiles;
                return QRectF(whole.left() + column * width, whole.top() + row * height, width,
                              height)
                    .toAlignedRect()
                    .adjusted(2, 2, -2, -2);
            };
            const QString problem = colourProblem(meanColour(sheet.image, tile(expected)),
                                                  meanColour(canvas, tile(canvas.rect())), 16);
            QVERIFY2(problem.isEmpty(),
                     qPrintable(u"tile %1,%2 printed %3"_s.arg(column).arg(row).arg(problem)));
        }
    }
}

void TstPagePrinting::saveButtonNamesBitmapAfterMonth()
{
    const QString january = m_desktop + u"/GENNAIO.bmp"_s;
    const QString february = m_desktop + u"/FEBBRAIO.bmp"_s;
    QFile::remove(january);
    QFile::remove(february);

    const QImage januaryPage = m_page->canvas().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(press("Command4"), QString());
    QCOMPARE(QImage(january).convertToFormat(QImage::Format_RGB32), januaryPage);

    // The page window's ">>" moves the main window a month on, and the page follows.
    QTest::mouseClick(m_page->findChild<QWidget *>(u"Label4"_s), Qt::LeftButton);
    QVERIFY(waitForPage());
    QCOMPARE(m_state.NomeMese.trimmed(), u"FEBBRAIO"_s);

    const QImage februaryPage = m_page->canvas().convertToFormat(QImage::Format_RGB32);
    QVERIFY(februaryPage != januaryPage);
    QCOMPARE(press("Command4"), QString());
    QCOMPARE(QImage(february).convertToFormat(QImage::Format_RGB32), februaryPage);
    QCOMPARE(QImage(january).convertToFormat(QImage::Format_RGB32), januaryPage);
    QCOMPARE(QDir(m_desktop).entryList(QDir::Files | QDir::Hidden),
             (QStringList{u"FEBBRAIO.bmp"_s, u"GENNAIO.bmp"_s}));

    // The status line names the file it wrote.
    const QString status = m_page->findChild<QLabel *>(u"Label6"_s)->text();
    QVERIFY2(status.contains(QDir::toNativeSeparators(february)), qPrintable(status));
}

QTEST_MAIN(TstPagePrinting)
#include "tst_pageprinting.moc"
