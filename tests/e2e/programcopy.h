#pragma once

#include "xwindow.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

// A portable copy of the built program: the program and its web window plugin copied into a
// folder of their own, which then holds its data files, and a home folder of its own with an
// Italian desktop folder. The copy runs as its own process on the test's X display.
class ProgramCopy
{
public:
    ProgramCopy();
    ~ProgramCopy();
    ProgramCopy(const ProgramCopy &) = delete;
    ProgramCopy &operator=(const ProgramCopy &) = delete;

    bool isValid() const { return m_valid; }
    QString folder() const;         // the program's folder, where its data files live
    QString home() const;           // HOME of the program
    QString desktop() const;        // the desktop folder the home's user-dirs file names
    QString userDataFolder() const; // the data files' place when the program's folder is read-only
    QString path(const QString &name) const { return folder() + u'/' + name; }

    void setEnvironment(const QString &name, const QString &value);

    // Starts the program and waits for its main window; false when no window came.
    bool start();
    XWindow mainWindow() const { return m_main; }
    // Waits for a visible window of the program whose title matches the pattern.
    XWindow waitForWindow(const QString &titlePattern, int timeoutMs = 20000);
    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }

    // Closes the main window as a user does and waits for the program to end: its exit code,
    // or -1 when it crashed or did not end.
    int closeAndWait();

private:
    QTemporaryDir m_root;
    QProcess m_process;
    QProcessEnvironment m_environment;
    XWindow m_main;
    bool m_valid = false;
};
