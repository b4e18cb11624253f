// Opening the web window for the first time: loading the plugin with the browser engine and
// showing the horoscope page served on 127.0.0.1 by python3's http.server. Each run is a fresh
// process, as the first click of a user is; prints medians. Nothing passes or fails here.

#include "webwindowlauncher.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <unistd.h>

using velaria::WebWindowLauncher;

namespace {

constexpr int Runs = 5;
const QString PageTitle = QStringLiteral("Oroscopo del giorno");

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Resident memory of a process in KiB, 0 when it is gone.
long residentKiB(const QString &pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QString text = QString::fromLatin1(status.readAll());
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("VmRSS:\\s+(\\d+)")).match(text);
    return m.hasMatch() ? m.captured(1).toLong() : 0;
}

// Resident memory of the processes that a process started, and theirs, in KiB.
long descendantsKiB(const QString &pid)
{
    long total = 0;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile children(tasks.filePath(task + QStringLiteral("/children")));
        if (!children.open(QIODevice::ReadOnly))
            continue;
        const QStringList pids =
            QString::fromLatin1(children.readAll()).split(u' ', Qt::SkipEmptyParts);
        for (const QString &child : pids)
            total += residentKiB(child) + descendantsKiB(child);
    }
    return total;
}

// One first opening in this process; prints "open_ms load_ms forward_us own_kib engine_kib".
int openOnce(const QString &host)
{
    const QString self = QString::number(QCoreApplication::applicationPid());
    const long before = residentKiB(self);
    const QUrl page = WebWindowLauncher::horoscopePage(host);

    WebWindowLauncher launcher;
    QElapsedTimer timer;
    timer.start();
    launcher.show(page);
    const double openMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    QWidget *window = launcher.window();
    QWidget *browser =
        window ? window->findChild<QWidget *>(QStringLiteral("WebBrowser1")) : nullptr;
    if (!browser) {
        std::fprintf(stderr, "bench_webwindow: the web window did not open\n");
        return 1;
    }
    while (browser->property("title").toString() != PageTitle) {
        if (timer.elapsed() > 60000) {
            std::fprintf(stderr, "bench_webwindow: the page did not load in 60 s\n");
            return 1;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
    }
    const double loadMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;

    timer.restart();
    launcher.show(page); // the second click: brought forward, not loaded again
    const double forwardUs = static_cast<double>(timer.nsecsElapsed()) / 1e3;

    std::printf("%.1f %.1f %.1f %ld %ld\n", openMs, loadMs, forwardUs, residentKiB(self) - before,
                descendantsKiB(self));
    launcher.close();
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    // Chromium refuses to run as root with its sandbox; the benchmark (never the program) may
    // run as root on a build machine.
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (!qEnvironmentVariableIsSet("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-background-networking "
                                              "--disable-component-update --disable-sync");
    if (argc == 3 && qstrcmp(argv[1], "--once") == 0) {
        WebWindowLauncher::prepareApplication();
        QApplication app(argc, argv);
        return openOnce(QString::fromLocal8Bit(argv[2]));
    }

    QCoreApplication app(argc, argv);
    const QString plugin = QDir(QCoreApplication::applicationDirPath())
                               .filePath(QLatin1String(WebWindowLauncher::PluginName) + ".so");
    if (!QFile::exists(plugin)) {
        std::printf("web window: no plugin beside the program (built without the browser "
                    "engine); nothing to measure\n");
        return 0;
    }
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        std::printf("web window: no display; nothing to measure\n");
        return 0;
    }

    QTemporaryDir site;
    QDir(site.path()).mkpath(QStringLiteral("oroscopo"));
    QFile index(QDir(site.path()).filePath(QStringLiteral("oroscopo/index.html")));
    if (!index.open(QIODevice::WriteOnly))
        return 1;
    index.write("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + PageTitle.toUtf8() +
                "</title></head><body><h1>Ariete</h1><p>Giornata favorevole.</p></body></html>");
    index.close();

    QProcess server;
    server.setStandardErrorFile(QProcess::nullDevice()); // its request log
    server.start(QStringLiteral("python3"),
                 {QStringLiteral("-u"), QStringLiteral("-m"), QStringLiteral("http.server"),
                  QStringLiteral("0"), QStringLiteral("--bind"), QStringLiteral("127.0.0.1"),
                  QStringLiteral("--directory"), site.path()});
    QString port;
    QString banner;
    for (int i = 0; i < 100 && port.isEmpty(); ++i) {
        server.waitForReadyRead(100);
        banner += QString::fromLatin1(server.readAllStandardOutput());
        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral("port (\\d+)")).match(banner);
        if (m.hasMatch())
            port = m.captured(1);
    }
    if (port.isEmpty()) {
        std::printf("web window: python3's http.server did not start; nothing to measure\n");
        return 0;
    }
    const QString host = QStringLiteral("127.0.0.1:") + port;

    std::vector<double> open, load, forward, own, engine;
    for (int run = 0; run < Runs; ++run) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--once"), host});
        if (!child.waitForFinished(120000) || child.exitCode() != 0) {
            std::printf("web window: run %d failed:\n%s\n", run + 1,
                        child.readAllStandardError().constData());
            continue;
        }
        const QStringList f =
            QString::fromLatin1(child.readAllStandardOutput()).split(u' ', Qt::SkipEmptyParts);
        if (f.size() != 5)
            continue;
        open.push_back(f[0].toDouble());
        load.push_back(f[1].toDouble());
        forward.push_back(f[2].toDouble());
        own.push_back(f[3].toDouble() / 1024.0);
        engine.push_back(f[4].trimmed().toDouble() / 1024.0);
    }
    server.kill();
    server.waitForFinished();
    if (open.empty())
        return 1;
    std::printf("web window, first click (median of %zu fresh processes):\n", open.size());
    std::printf("  plugin and engine loaded, window created and shown: %.0f ms\n", median(open));
    std::printf(
        "  horoscope page loaded from 127.0.0.1 (title read back): %.0f ms after the click\n",
        median(load));
    std::printf("  second click, the same window brought forward: %.0f us\n", median(forward));
    std::printf("  memory: program +%.1f MiB resident, browser engine processes %.1f MiB\n",
                median(own), median(engine));
    return 0;
}
