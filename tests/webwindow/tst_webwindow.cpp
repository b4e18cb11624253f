#include "webwindowlauncher.h"

#include <QDesktopServices>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace velaria;

// Stands in for the user's browser: records the addresses the program opens.
class Browser : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened << url; }
};

class TestWebWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase() { QDesktopServices::unsetUrlHandler(QStringLiteral("http")); }
    void cleanup();
    void showsTheSitePage();
    void browserWhereTheWindowCannotBe_data();
    void browserWhereTheWindowCannotBe();

private:
    QTcpServer m_server;
    int m_requests = 0;
    Browser m_browser;
};

void TestWebWindow::initTestCase()
{
    QVERIFY(m_server.listen(QHostAddress::LocalHost));
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        QTcpSocket *socket = m_server.nextPendingConnection();
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
            if (!socket->readAll().startsWith("GET /oroscopo/ "))
                return socket->disconnectFromHost();
            ++m_requests;
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\n\r\n"
                          "<title>Oroscopo del giorno</title><p>Ariete</p>");
            socket->disconnectFromHost();
        });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    });
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &m_browser, "open");
}

void TestWebWindow::cleanup()
{
    m_browser.opened.clear();
    m_requests = 0;
}

void TestWebWindow::showsTheSitePage()
{
    // The engine refuses to run as root with its sandbox; the program then uses the browser.
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    WebWindowLauncher::setPluginDirectory(QStringLiteral(VELARIA_PLUGIN_FOLDER));
    const QUrl page =
        WebWindowLauncher::horoscopePage(QStringLiteral("127.0.0.1:%1").arg(m_server.serverPort()));
    WebWindowLauncher launcher;
    launcher.show(page);
    QVERIFY(launcher.window());
    QCOMPARE(launcher.window()->objectName(), QStringLiteral("Form2"));
    auto *view = launcher.window()->findChild<QWidget *>(QStringLiteral("WebBrowser1"));
    QVERIFY(view);
    QTRY_COMPARE_WITH_TIMEOUT(view->property("title").toString(),
                              QStringLiteral("Oroscopo del giorno"), 60000);
    QCOMPARE(m_requests, 1);

    // Again, minimised: the same window comes back and forward, nothing is loaded again.
    QWidget *first = launcher.window();
    first->showMinimized();
    launcher.show(page);
    QCOMPARE(launcher.window(), first);
    QVERIFY(!first->isMinimized());
    QTest::qWait(200);
    QCOMPARE(m_requests, 1);

    launcher.close();
    QTRY_VERIFY(!launcher.window());
    launcher.show(page);
    QTRY_COMPARE_WITH_TIMEOUT(m_requests, 2, 60000);
    QVERIFY(m_browser.opened.isEmpty());
}

void TestWebWindow::browserWhereTheWindowCannotBe_data()
{
    QTest::addColumn<bool>("plugin");
    QTest::newRow("no plugin") << false;
    QTest::newRow("root without the engine's sandbox switch") << true;
}

void TestWebWindow::browserWhereTheWindowCannotBe()
{
    QFETCH(bool, plugin);
    if (plugin && ::geteuid() != 0)
        QSKIP("the engine refuses to start only for root");
    qunsetenv("QTWEBENGINE_DISABLE_SANDBOX");
    QTemporaryDir empty;
    WebWindowLauncher::setPluginDirectory(plugin ? QStringLiteral(VELARIA_PLUGIN_FOLDER)
                                                 : empty.path());
    WebWindowLauncher launcher;
    const QUrl page = WebWindowLauncher::horoscopePage(QStringLiteral("velaria.example"));
    launcher.show(page);
    QVERIFY(!launcher.window());
    QCOMPARE(m_browser.opened, QList<QUrl>{page});
}

QTEST_MAIN(TestWebWindow)
#include "tst_webwindow.moc"
