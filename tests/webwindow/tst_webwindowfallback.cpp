// Where the web window cannot be shown (no plugin beside the program, a broken one, or no
// OpenGL for the browser engine), a click on today's frame opens the horoscope page in the
// user's browser. Runs offscreen without an X display, so OpenGL is not available.

#include "browserstandin.h"
#include "fonts.h"
#include "mainwindow.h"
#include "testfiles.h"
#include "webwindowlauncher.h"
#include "windowstate.h"

#include <QApplication>
#include <QOpenGLContext>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using velaria::MainWindow;
using velaria::WebWindowLauncher;
using velaria::WindowState;
using velaria::testing::BrowserStandIn;

namespace {

enum class PluginFolder { Empty, BrokenPlugin, ProgramFolder };

} // namespace

Q_DECLARE_METATYPE(PluginFolder)

class tst_WebWindowFallback : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { velaria::InstallFontSubstitutions(); }
    void cleanup() { WebWindowLauncher::setPluginDirectory({}); }

    void horoscopePage_data();
    void horoscopePage();
    void clickOpensThePageInTheBrowser_data();
    void clickOpensThePageInTheBrowser();
};

void tst_WebWindowFallback::horoscopePage_data()
{
    QTest::addColumn<QString>("makerHost");
    QTest::addColumn<QUrl>("expected");
    QTest::newRow("host name") << QStringLiteral("velaria.example")
                               << QUrl(QStringLiteral("http://velaria.example/oroscopo/"));
    QTest::newRow("address with port") << QStringLiteral("127.0.0.1:8123")
                                       << QUrl(QStringLiteral("http://127.0.0.1:8123/oroscopo/"));
}

void tst_WebWindowFallback::horoscopePage()
{
    QFETCH(QString, makerHost);
    QFETCH(QUrl, expected);
    QCOMPARE(WebWindowLauncher::HoroscopePage(makerHost), expected);
}

void tst_WebWindowFallback::clickOpensThePageInTheBrowser_data()
{
    QTest::addColumn<PluginFolder>("folder");
    QTest::addColumn<QString>("warning"); // empty: the fallback is silent
    QTest::newRow("no plugin beside the program") << PluginFolder::Empty << QString();
    QTest::newRow("a plugin file that does not load")
        << PluginFolder::BrokenPlugin << QStringLiteral("finestra web non disponibile");
    QTest::newRow("no OpenGL for the browser engine")
        << PluginFolder::ProgramFolder << QStringLiteral("OpenGL non disponibile");
}

void tst_WebWindowFallback::clickOpensThePageInTheBrowser()
{
    QFETCH(PluginFolder, folder);
    QFETCH(QString, warning);

    QTemporaryDir plugins;
    QVERIFY(plugins.isValid());
    switch (folder) {
    case PluginFolder::Empty:
        WebWindowLauncher::setPluginDirectory(plugins.path());
        break;
    case PluginFolder::BrokenPlugin:
        QVERIFY(velaria::testing::writeBytes(
            plugins.filePath(QLatin1String(WebWindowLauncher::PluginName) + ".so"),
            "not a shared library\n"));
        WebWindowLauncher::setPluginDirectory(plugins.path());
        break;
    case PluginFolder::ProgramFolder: {
#ifndef VELARIA_WEBWINDOW_PLUGIN
        QSKIP("built without the browser engine: there is no web window plugin");
#endif
        QOpenGLContext probe;
        if (probe.create())
            QSKIP("this platform has OpenGL");
        break;
    }
    }

    BrowserStandIn browser;
    QTemporaryDir data;
    WindowState state;
    state.dataFolder = data.path();
    state.makerHost = QStringLiteral("127.0.0.1:8123");
    MainWindow window(state, QDate(2024, 3, 5));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *frame3 = window.findChild<QWidget *>(QStringLiteral("Frame3"));
    QVERIFY(frame3 && frame3->isVisible());

    const QUrl page(QStringLiteral("http://127.0.0.1:8123/oroscopo/"));
    for (int click = 1; click <= 2; ++click) {
        if (!warning.isEmpty())
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression(QRegularExpression::escape(warning)));
        QTest::mouseClick(frame3, Qt::LeftButton, {}, frame3->rect().center());
        QCOMPARE(browser.opened.size(), click);
        QCOMPARE(browser.opened.constLast(), page);
        QVERIFY(velaria::testing::webWindows().isEmpty());
    }
}

QTEST_MAIN(tst_WebWindowFallback)
#include "tst_webwindowfallback.moc"
