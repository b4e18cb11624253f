#include "programcopy.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <csignal>

#include <sys/prctl.h>

namespace {

bool copyExecutable(const QString &from, const QString &to)
{
    return QFile::copy(from, to) &&
           QFile::setPermissions(to, QFile::permissions(to) | QFileDevice::ExeOwner);
}

} // namespace

ProgramCopy::ProgramCopy()
{
    if (!m_root.isValid())
        return;
    const QDir root(m_root.path());
    m_valid = root.mkpath(QStringLiteral("programma")) &&
              root.mkpath(QStringLiteral("casa/Scrivania")) &&
              root.mkpath(QStringLiteral("casa/.config")) &&
              copyExecutable(QStringLiteral(VELARIA_PROGRAM), path(QStringLiteral("velaria")));
    const QString plugin = QStringLiteral(VELARIA_WEBWINDOW_PLUGIN);
    if (m_valid && QFileInfo::exists(plugin))
        m_valid = QFile::copy(plugin, path(QFileInfo(plugin).fileName()));

    QFile dirs(home() + QStringLiteral("/.config/user-dirs.dirs"));
    m_valid = m_valid && dirs.open(QIODevice::WriteOnly) &&
              dirs.write("XDG_DESKTOP_DIR=\"$HOME/Scrivania\"\n") > 0;
    dirs.close();

    m_environment = QProcessEnvironment::systemEnvironment();
    m_environment.insert(QStringLiteral("HOME"), home());
    m_environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home() + QStringLiteral("/.config"));
    m_environment.insert(QStringLiteral("XDG_DATA_HOME"), home() + QStringLiteral("/.local/share"));
    m_environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    // The browser engine refuses to run as root with its sandbox on (tests run as root).
    m_environment.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
    m_environment.insert(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"),
                         QStringLiteral("--disable-gpu --no-sandbox "
                                        "--disable-background-networking"));
}

ProgramCopy::~ProgramCopy()
{
    if (isRunning()) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QString ProgramCopy::folder() const
{
    return m_root.filePath(QStringLiteral("programma"));
}

QString ProgramCopy::home() const
{
    return m_root.filePath(QStringLiteral("casa"));
}

QString ProgramCopy::desktop() const
{
    return home() + QStringLiteral("/Scrivania");
}

QString ProgramCopy::userDataFolder() const
{
    return home() + QStringLiteral("/.local/share/Velaria/Velaria");
}

void ProgramCopy::setEnvironment(const QString &name, const QString &value)
{
    m_environment.insert(name, value);
}

bool ProgramCopy::start()
{
    m_main = {};
    m_process.setProgram(path(QStringLiteral("velaria")));
    m_process.setWorkingDirectory(home());
    m_process.setProcessEnvironment(m_environment);
    // What the program says goes to the test's own output; the program ends with the test,
    // even when the test is killed.
    m_process.setProcessChannelMode(QProcess::ForwardedChannels);
    m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    m_process.start();
    if (!m_process.waitForStarted(10000))
        return false;
    m_main = waitForWindow(QStringLiteral("^Velaria ver"));
    return !m_main.isNull();
}

XWindow ProgramCopy::waitForWindow(const QString &titlePattern, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (isRunning() && !deadline.hasExpired()) {
        const QList<XWindow> found = XWindow::find(m_process.processId(), titlePattern);
        if (!found.isEmpty() && found.first().geometry().isValid())
            return found.first();
        m_process.waitForFinished(100); // also notices a program that ended
    }
    return {};
}

int ProgramCopy::closeAndWait()
{
    if (!isRunning())
        return -1;
    if (m_main.isNull() || !m_main.close() || !m_process.waitForFinished(20000))
        return -1;
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}
