#include "xwindow.h"

#include <QDeadlineTimer>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>

namespace {

constexpr int ToolTimeoutMs = 15000;

QString xdotool(const QStringList &arguments)
{
    return XWindow::run(QStringLiteral("xdotool"), arguments);
}

} // namespace

QString XWindow::run(const QString &program, const QStringList &arguments)
{
    QProcess tool;
    tool.start(program, arguments);
    if (!tool.waitForFinished(ToolTimeoutMs)) {
        tool.kill();
        tool.waitForFinished();
        return {};
    }
    if (tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0)
        return {};
    QString output = QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
    return output.isNull() ? QStringLiteral("") : output;
}

QList<XWindow> XWindow::find(qint64 pid, const QString &titlePattern)
{
    const QString ids = xdotool({QStringLiteral("search"), QStringLiteral("--all"),
                                 QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                                 QString::number(pid), QStringLiteral("--name"), titlePattern});
    QList<XWindow> windows;
    for (const QString &id : ids.split(u'\n', Qt::SkipEmptyParts))
        windows.append(XWindow(id.trimmed()));
    return windows;
}

QRect XWindow::geometry() const
{
    // X=.., Y=.., WIDTH=.., HEIGHT=.. one a line.
    const QString shell =
        xdotool({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), m_id});
    static const QRegularExpression field(QStringLiteral(R"(^(X|Y|WIDTH|HEIGHT)=(-?\d+)$)"),
                                          QRegularExpression::MultilineOption);
    QHash<QString, int> values;
    for (auto it = field.globalMatch(shell); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        values.insert(match.captured(1), match.captured(2).toInt());
    }
    if (values.size() != 4)
        return {};
    return {values[QStringLiteral("X")], values[QStringLiteral("Y")],
            values[QStringLiteral("WIDTH")], values[QStringLiteral("HEIGHT")]};
}

bool XWindow::activate() const
{
    // The window manager takes the request in its own time, and a window that has just
    // appeared may not be managed yet: ask again until the window has the focus.
    const QDeadlineTimer deadline(5000);
    do {
        if (xdotool({QStringLiteral("getactivewindow")}) == m_id)
            return true;
        xdotool({QStringLiteral("windowactivate"), m_id});
        QThread::msleep(100);
    } while (!deadline.hasExpired());
    return false;
}

bool XWindow::click(QPoint at, int count) const
{
    // A window under a modal one is raised but not activated; the click still reaches it.
    activate();
    return !xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), m_id,
                     QString::number(at.x()), QString::number(at.y()), QStringLiteral("click"),
                     QStringLiteral("--repeat"), QString::number(count), QStringLiteral("--delay"),
                     QStringLiteral("80"), QStringLiteral("1")})
                .isNull();
}

bool XWindow::key(const QString &keys)
{
    return !xdotool({QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("40"), keys})
                .isNull();
}

bool XWindow::type(const QString &text)
{
    return !xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"), text})
                .isNull();
}

bool XWindow::close() const
{
    return !run(QStringLiteral("wmctrl"), {QStringLiteral("-i"), QStringLiteral("-c"), m_id})
                .isNull();
}

QImage XWindow::grab() const
{
    // What covers a window is what a screenshot of it shows: it comes to the top first.
    xdotool({QStringLiteral("windowraise"), m_id});
    QProcess import;
    import.start(QStringLiteral("import"),
                 {QStringLiteral("-window"), m_id, QStringLiteral("png:-")});
    if (!import.waitForFinished(ToolTimeoutMs) || import.exitCode() != 0)
        return {};
    return QImage::fromData(import.readAllStandardOutput(), "PNG")
        .convertToFormat(QImage::Format_RGB32);
}
