#include "desktopopener.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QWidget>

namespace velaria {

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
namespace {

// xdg-open, run as one of the program's processes: it ends with its owner (not what it opened,
// which it started and does not take along), silently. Its output is the program's own, so
// that what it started never writes into a pipe that nobody reads.
class DesktopOpener : public QProcess
{
public:
    explicit DesktopOpener(QObject *owner) : QProcess(owner)
    {
        setProcessChannelMode(QProcess::ForwardedChannels);
        setStandardInputFile(QProcess::nullDevice());
    }
    ~DesktopOpener() override
    {
        disconnect(); // an owner gone hears of no failure
        if (state() != QProcess::NotRunning) {
            kill();
            waitForFinished();
        }
    }
};

} // namespace
#endif

void openOnDesktop(const QUrl &address, QWidget *owner, const QString &title,
                   const QString &failure)
{
    const auto report = [owner = QPointer<QWidget>(owner), title, failure] {
        QMessageBox::warning(owner, title, failure);
    };
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    auto *opener = new DesktopOpener(owner ? static_cast<QObject *>(owner) : qApp);
    QObject::connect(opener, &QProcess::finished, opener,
                     [opener, report](int code, QProcess::ExitStatus status) {
                         opener->deleteLater();
                         if (status != QProcess::NormalExit || code != 0)
                             report();
                     });
    QObject::connect(opener, &QProcess::errorOccurred, opener,
                     [opener, report](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return;
                         opener->deleteLater();
                         report();
                     });
    opener->start(QStringLiteral("xdg-open"),
                  {address.isLocalFile() ? address.toLocalFile() : address.toString()});
#else
    if (!QDesktopServices::openUrl(address))
        report();
#endif
}

} // namespace velaria
