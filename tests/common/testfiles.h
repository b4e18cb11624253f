#pragma once

// Core-only helpers of the tests that touch real files: whole-file reads and writes, a folder
// that even root cannot write into, a full disk, and environment variables set for a while.

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QProcess>
#include <QString>

#include <csignal>
#include <initializer_list>
#include <utility>

#include <sys/resource.h>
#include <unistd.h>

namespace velaria::testing {

inline QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size() && file.flush();
}

// Makes a folder unwritable for as long as it lives. Tests run as root, which ignores the
// permission bits, so the folder is also made immutable.
class ReadOnlyFolder
{
public:
    explicit ReadOnlyFolder(QString path) : m_path(std::move(path))
    {
        m_active = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), m_path}) == 0;
        QFile::setPermissions(m_path, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }
    ~ReadOnlyFolder()
    {
        QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), m_path});
        QFile::setPermissions(m_path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner);
    }
    ReadOnlyFolder(const ReadOnlyFolder &) = delete;
    ReadOnlyFolder &operator=(const ReadOnlyFolder &) = delete;

    // False when neither root's immutability nor the permission bits can stop a write here.
    bool active() const { return m_active || ::geteuid() != 0; }

private:
    QString m_path;
    bool m_active = false;
};

extern "C" inline void ignoreFileSizeSignal(int) {}

// Caps the size of any file this process writes, for root as for everybody else, and turns
// the signal into a plain write error for as long as it lives: a full disk in a test.
class FileSizeCap
{
public:
    explicit FileSizeCap(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit capped = m_old;
        capped.rlim_cur = bytes;
        m_active = setrlimit(RLIMIT_FSIZE, &capped) == 0;
        m_oldHandler = std::signal(SIGXFSZ, ignoreFileSizeSignal);
    }
    ~FileSizeCap()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeCap(const FileSizeCap &) = delete;
    FileSizeCap &operator=(const FileSizeCap &) = delete;
    bool active() const { return m_active; }

private:
    rlimit m_old{};
    bool m_active = false;
    void (*m_oldHandler)(int) = nullptr;
};

// Sets environment variables for as long as it lives.
class EnvironmentOverride
{
public:
    EnvironmentOverride(std::initializer_list<std::pair<const char *, QByteArray>> values)
    {
        for (const auto &[name, value] : values) {
            m_saved.append({name, qgetenv(name), qEnvironmentVariableIsSet(name)});
            qputenv(name, value);
        }
    }
    ~EnvironmentOverride()
    {
        for (const Saved &saved : m_saved) {
            if (saved.wasSet)
                qputenv(saved.name, saved.value);
            else
                qunsetenv(saved.name);
        }
    }
    EnvironmentOverride(const EnvironmentOverride &) = delete;
    EnvironmentOverride &operator=(const EnvironmentOverride &) = delete;

private:
    struct Saved
    {
        const char *name;
        QByteArray value;
        bool wasSet;
    };
    QList<Saved> m_saved;
};

} // namespace velaria::testing
