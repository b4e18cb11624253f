#pragma once

// Caps the size of any file this process writes, for root as for everybody else, and turns
// the signal into a plain write error for the duration of the scope: a full disk in a test.

#include <QtGlobal>

#include <csignal>

#ifdef Q_OS_UNIX
#include <sys/resource.h>

namespace velaria::testing {

extern "C" inline void ignoreFileSizeSignal(int) {}

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

} // namespace velaria::testing
#endif
