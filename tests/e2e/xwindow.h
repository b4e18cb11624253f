#pragma once

#include <QImage>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

// A top-level window of another process on the X display, driven as a user drives it: real
// pointer and key events through xdotool, closing through the window manager (wmctrl) and
// screenshots through ImageMagick's import. Positions are pixels inside the client area.
class XWindow
{
public:
    XWindow() = default;
    explicit XWindow(QString id) : m_id(std::move(id)) {}

    bool isNull() const { return m_id.isEmpty(); }
    QString id() const { return m_id; }
    // The client area on the screen; null when the window is gone.
    QRect geometry() const;

    // Raises the window and gives it the keyboard, as a click on its title bar does.
    bool activate() const;
    // Raises the window, then clicks (or double-clicks) the left button at `at`.
    bool click(QPoint at, int count = 1) const;
    // Keys to whatever has the keyboard (a window, or an open menu or list), named as xdotool
    // names them: "Return", "ctrl+a", "Down".
    static bool key(const QString &keys);
    static bool type(const QString &text);
    // Asks the window to close as its title bar's close button does.
    bool close() const;
    // Raises the window and takes a screenshot of its client area.
    QImage grab() const;

    // The visible windows of process `pid` whose title matches the regular expression.
    static QList<XWindow> find(qint64 pid, const QString &titlePattern);
    // Runs a tool of the X session; its standard output, or a null text when it failed.
    static QString run(const QString &program, const QStringList &arguments);

private:
    QString m_id;
};
