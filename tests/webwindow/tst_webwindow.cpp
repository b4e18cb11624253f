// The web window `Form2`, opened by a click on today's frame: the page is served here on
// 127.0.0.1 and the real plugin from the program's folder shows it. The browser engine needs
// OpenGL, so these tests run on the X display.

#include "appicon.h"
#include "browserstandin.h"
#include "fonts.h"
#include "mainwindow.h"
#include "pageserver.h"
#include "windowstate.h"

#include <QApplication>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using velaria::MainWindow;
using velaria::WindowState;
using velaria::testing::BrowserStandIn;
using velaria::testing::PageServer;
using velaria::testing::webWindows;

namespace {

const QString HoroscopeTitle = QStringLiteral("Oroscopo di prova");

// The horoscope page: two links filling the top of the page, one that stays in the window and
// one that asks for a new window.
const QByteArray HoroscopePage = QByteArrayLiteral(
    "<!DOCTYPE html><html><head><title>Oroscopo di prova</title></head>"
    "<body style=\"margin:0\">"
    "<a href=\"/oroscopo/ariete.html\" style=\"display:block;height:150px\">Ariete</a>"
    "<a href=\"/oroscopo/toro.html\" target=\"_blank\" style=\"display:block;height:150px\">"
    "Toro</a></body></html>");

QByteArray titledPage(const char *title)
{
    return QByteArrayLiteral("<!DOCTYPE html><html><head><title>") + title +
           QByteArrayLiteral("</title></head><body>") + title + QByteArrayLiteral("</body></html>");
}

QWidget *browserOf(QWidget *webWindow)
{
    return webWindow ? webWindow->findChild<QWidget *>(QStringLiteral("WebBrowser1")) : nullptr;
}

QString pageTitle(QWidget *webWindow)
{
    QWidget *browser = browserOf(webWindow);
    return browser ? browser->property("title").toString() : QString();
}

int colourCount(const QImage &image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) != 0)
                colours.insert(image.pixel(x, y));
        }
    }
    return static_cast<int>(colours.size());
}

} // namespace

class tst_WebWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup()
    {
        m_main.reset();
        m_state.reset();
        QTRY_VERIFY(webWindows().isEmpty());
    }

    void firstClickOpensTheWindowOnTheHoroscope();
    void secondClickBringsTheSameWindowForwardAsLeft();
    void closingDestroysTheWindowAndTheNextClickLoadsAgain();
    void linkAskingForANewWindowStaysInside();

private:
    bool clickFrame3();
    QWidget *openWebWindow();

    PageServer m_server;
    QTemporaryDir m_data;
    std::unique_ptr<WindowState> m_state;
    std::unique_ptr<MainWindow> m_main;
};

void tst_WebWindow::initTestCase()
{
#ifndef VELARIA_WEBWINDOW_PLUGIN
    QSKIP("built without the browser engine: there is no web window plugin");
#endif
    velaria::InstallFontSubstitutions();
    QVERIFY(m_data.isValid());
    QVERIFY(m_server.listen());
    m_server.setPage(QStringLiteral("/oroscopo/"), HoroscopePage);
    m_server.setPage(QStringLiteral("/oroscopo/ariete.html"), titledPage("Ariete"));
    m_server.setPage(QStringLiteral("/oroscopo/toro.html"), titledPage("Toro"));
}

void tst_WebWindow::init()
{
    m_state = std::make_unique<WindowState>();
    m_state->dataFolder = m_data.path();
    m_state->makerHost = m_server.host();
    m_main = std::make_unique<MainWindow>(*m_state, QDate(2024, 3, 5));
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
}

// Clicks today's frame as the user does; false when it is not there to click.
bool tst_WebWindow::clickFrame3()
{
    auto *frame3 = m_main->findChild<QWidget *>(QStringLiteral("Frame3"));
    if (!frame3 || !frame3->isVisible())
        return false;
    QTest::mouseClick(frame3, Qt::LeftButton, {}, frame3->rect().center());
    return true;
}

// Clicks today's frame and waits for the horoscope in the one web window; null when it does
// not come.
QWidget *tst_WebWindow::openWebWindow()
{
    if (!clickFrame3() || webWindows().size() != 1)
        return nullptr;
    QWidget *window = webWindows().constFirst();
    if (!QTest::qWaitFor([window] { return pageTitle(window) == HoroscopeTitle; }, 60000)) {
        qWarning().noquote() << "the web window shows" << pageTitle(window);
        return nullptr;
    }
    return window;
}

void tst_WebWindow::firstClickOpensTheWindowOnTheHoroscope()
{
    BrowserStandIn browser;
    const int before = m_server.requests(QStringLiteral("/oroscopo/"));
    QVERIFY(webWindows().isEmpty());

    QWidget *window = openWebWindow();
    QVERIFY(window);
    QVERIFY(window->isVisible());
    QVERIFY(window->isWindow());
    QVERIFY(!window->isModal());
    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(window->windowTitle(), QStringLiteral("Finestra di navigazione"));
    QCOMPARE(browserOf(window)->property("url").toUrl(),
             QUrl(QStringLiteral("http://%1/oroscopo/").arg(m_server.host())));
    QCOMPARE(m_server.requests(QStringLiteral("/oroscopo/")), before + 1);
    QVERIFY(window->testAttribute(Qt::WA_DeleteOnClose));
    QVERIFY(browser.opened.isEmpty()); // shown here, not in the user's browser

    // 7035 x 5130 twips of client area; the browser's corner lies 30 twips outside it.
    QCOMPARE(window->size(), QSize(469, 342));
    QCOMPARE(browserOf(window)->geometry(), QRect(-2, -2, 469, 342));
    QCOMPARE(window->findChildren<QWidget *>(QStringLiteral("WebBrowser1")).size(), 1);
    // An icon of its own, in few colours.
    const QIcon icon = window->windowIcon();
    for (int size : {16, 32}) {
        QVERIFY2(icon.availableSizes().contains(QSize(size, size)),
                 qPrintable(QString::number(size)));
        const QImage image = icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32);
        QVERIFY(colourCount(image) > 1);
        QVERIFY2(colourCount(image) <= 16, qPrintable(QString::number(colourCount(image))));
        QVERIFY(image != velaria::VelariaIconImage(size).convertToFormat(QImage::Format_ARGB32));
    }
    QVERIFY(icon.cacheKey() != m_main->windowIcon().cacheKey());
}

void tst_WebWindow::secondClickBringsTheSameWindowForwardAsLeft()
{
    const QPointer<QWidget> first = openWebWindow();
    QVERIFY(first);
    const int horoscopeRequests = m_server.requests(QStringLiteral("/oroscopo/"));

    // The user follows a link, then puts the window away.
    QWidget *page = browserOf(first)->focusProxy();
    QVERIFY(page);
    QTest::mouseClick(page, Qt::LeftButton, {}, QPoint(100, 75));
    QTRY_COMPARE_WITH_TIMEOUT(pageTitle(first), QStringLiteral("Ariete"), 30000);
    first->showMinimized();
    m_main->activateWindow();

    QVERIFY(clickFrame3());
    QCOMPARE(webWindows().size(), 1);
    QCOMPARE(webWindows().constFirst(), first.data());
    QVERIFY(first->isVisible());
    QVERIFY(!first->isMinimized());
    QTest::qWait(500);
    QCOMPARE(pageTitle(first), QStringLiteral("Ariete"));
    QCOMPARE(m_server.requests(QStringLiteral("/oroscopo/")), horoscopeRequests);
}

void tst_WebWindow::closingDestroysTheWindowAndTheNextClickLoadsAgain()
{
    const QPointer<QWidget> first = openWebWindow();
    QVERIFY(first);
    const int horoscopeRequests = m_server.requests(QStringLiteral("/oroscopo/"));

    QVERIFY(first->close());
    QTRY_VERIFY(first.isNull());
    QVERIFY(webWindows().isEmpty());

    const QPointer<QWidget> second = openWebWindow();
    QVERIFY(second);
    QCOMPARE(m_server.requests(QStringLiteral("/oroscopo/")), horoscopeRequests + 1);

    // Closing the main window closes the web window too.
    QVERIFY(m_main->close());
    QTRY_VERIFY(second.isNull());
}

void tst_WebWindow::linkAskingForANewWindowStaysInside()
{
    // A plain link is followed in secondClickBringsTheSameWindowForwardAsLeft.
    const QPointer<QWidget> window = openWebWindow();
    QVERIFY(window);
    const int topLevels = static_cast<int>(QApplication::topLevelWidgets().size());

    QWidget *page = browserOf(window)->focusProxy();
    QVERIFY(page);
    QTest::mouseClick(page, Qt::LeftButton, {}, QPoint(100, 225));
    QTRY_COMPARE_WITH_TIMEOUT(pageTitle(window), QStringLiteral("Toro"), 30000);
    QCOMPARE(browserOf(window)->property("url").toUrl().path(),
             QStringLiteral("/oroscopo/toro.html"));
    QCOMPARE(webWindows().size(), 1);
    QCOMPARE(QApplication::topLevelWidgets().size(), topLevels);
}

QTEST_MAIN(tst_WebWindow)
#include "tst_webwindow.moc"
