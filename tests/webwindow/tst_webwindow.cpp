#include "testsupport.h"
#include "webwindowlauncher.h"

#include <QMessageBox>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace velaria;
using namespace velaria::testing;

class TestWebWindow : public QObject
{
    Q_OBJECT

public:
    // Before the application exists, as the program's main() does.
    static void initMain() { WebWindowLauncher::prepareApplication(); }

private slots:
    void initTestCase();
    void cleanup();
    void showsTheSitePage();
    void browserWhereTheWindowCannotBe_data();
    void browserWhereTheWindowCannotBe();

private:
    QTcpServer m_server;
    int m_requests = 0;
    // The user's browser as the desktop's opener finds it on a desktop without one of its own:
    // a script that notes the addresses it is given, in its log.
    QTemporaryDir m_folder;
    QString m_browser = m_folder.filePath(QStringLiteral("browser"));
    QString m_opened = m_browser + QStringLiteral(".log");
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
    QVERIFY(writeBytes(m_browser, "#!/bin/sh\necho \"$1\" >> \"$0.log\"\n"));
    QVERIFY(QFile::setPermissions(m_browser, QFile::ReadOwner | QFile::ExeOwner));
    for (const char *name : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION"})
        qunsetenv(name);
    for (const char *name :
         {"XDG_DATA_HOME", "XDG_DATA_DIRS", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS"})
        qputenv(name, m_folder.path().toUtf8()); // no program of the system's for web pages
}

void TestWebWindow::cleanup()
{
    QFile::remove(m_opened);
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
    QVERIFY(!QFile::exists(m_opened));
}

void TestWebWindow::browserWhereTheWindowCannotBe_data()
{
    QTest::addColumn<bool>("plugin");
    QTest::addColumn<QString>("browser");
    QTest::newRow("no plugin") << false << m_browser;
    QTest::newRow("root without the engine's sandbox switch") << true << m_browser;
    // Said in the window, not only on standard error.
    QTest::newRow("no plugin, no browser that starts") << false << "false";
}

void TestWebWindow::browserWhereTheWindowCannotBe()
{
    QFETCH(bool, plugin);
    QFETCH(QString, browser);
    if (plugin && ::geteuid() != 0)
        QSKIP("the engine refuses to start only for root");
    qunsetenv("QTWEBENGINE_DISABLE_SANDBOX");
    QTemporaryDir empty;
    WebWindowLauncher::setPluginDirectory(plugin ? QStringLiteral(VELARIA_PLUGIN_FOLDER)
                                                 : empty.path());
    WebWindowLauncher launcher;
    const QUrl page = WebWindowLauncher::horoscopePage(QStringLiteral("velaria.example"));
    qputenv("BROWSER", browser.toUtf8());
    QString warning;
    if (browser != m_browser) {
        answerNextModal([&warning](QWidget *modal) {
            if (auto *box = qobject_cast<QMessageBox *>(modal))
                warning = box->text();
            modal->close();
        });
    }
    launcher.show(page);
    QVERIFY(!launcher.window());
    if (browser == m_browser)
        QTRY_COMPARE(readBytes(m_opened), page.toString().toUtf8() + "\n");
    else
        QTRY_VERIFY2(warning.contains(u"Installare un browser"), qPrintable(warning));
}

QTEST_MAIN(TestWebWindow)
#include "tst_webwindow.moc"
