// The built program in a real X session: it starts as its own process, its window appears
// with its title, and closing the window as a user does ends the process cleanly.

#include <QProcess>
#include <QStandardPaths>
#include <QTest>

class TestRealWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void startsShowsItsWindowAndEndsWhenClosed();

private:
    static QString run(const QString &program, const QStringList &arguments);
};

QString TestRealWindow::run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(10000))
        return {};
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

void TestRealWindow::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("no X display: this test runs in `make test`, which starts one");
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty(),
             "xdotool is missing");
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("wmctrl")).isEmpty(),
             "wmctrl is missing");
}

void TestRealWindow::startsShowsItsWindowAndEndsWhenClosed()
{
    QProcess program;
    program.setProgram(QStringLiteral(VELARIA_PROGRAM));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    program.setProcessEnvironment(environment);
    program.start();
    QVERIFY(program.waitForStarted());

    QString windowId;
    QTRY_VERIFY_WITH_TIMEOUT(
        !(windowId = run(QStringLiteral("xdotool"),
                         {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                          QStringLiteral("--pid"), QString::number(program.processId()),
                          QStringLiteral("--name"), QStringLiteral("Velaria")}))
             .isEmpty(),
        20000);
    windowId = windowId.section(u'\n', 0, 0);
    const QString title =
        run(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), windowId});
    QVERIFY2(title.startsWith(QStringLiteral("Velaria ver. 1.0.9")), qPrintable(title));

    // Closing as from the title bar: the window manager asks the window to close.
    QCOMPARE(QProcess::execute(QStringLiteral("wmctrl"),
                               {QStringLiteral("-i"), QStringLiteral("-c"), windowId}),
             0);
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestRealWindow)
#include "tst_realwindow.moc"
