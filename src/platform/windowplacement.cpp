#include "windowplacement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMargins>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <optional>

#if VELARIA_HAVE_XCB
#include <xcb/xcb.h>

#include <cstdlib>
#endif

namespace velaria {

namespace {

// How long after showing the window its frame is waited for, how often it is looked at, and how
// many times its place is asked for once it is framed.
constexpr int WatchSteps = 60;
constexpr int WatchIntervalMs = 50;
constexpr int SettledLooks = 4;

#if VELARIA_HAVE_XCB
// The frame's borders as the window manager announces them on the window itself. The
// toolkit's own idea of them is missed now and then when the frame comes very early.
std::optional<QMargins> announcedFrame(const QWidget *window)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb") || !window->windowHandle())
        return std::nullopt;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return std::nullopt;
    // The atom's number is asked of the server once, the frame being looked at every 50 ms. It
    // is made if no window manager made it yet, so that one started later is still heard.
    static const xcb_atom_t extents = [connection] {
        static const QByteArray name = QByteArrayLiteral("_NET_FRAME_EXTENTS");
        xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(
            connection,
            xcb_intern_atom(connection, 0, static_cast<uint16_t>(name.size()), name.data()),
            nullptr);
        const xcb_atom_t number = atom ? atom->atom : xcb_atom_t(XCB_ATOM_NONE);
        free(atom);
        return number;
    }();
    if (extents == XCB_ATOM_NONE)
        return std::nullopt;
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 0, static_cast<xcb_window_t>(window->winId()), extents,
                         XCB_ATOM_CARDINAL, 0, 4),
        nullptr);
    std::optional<QMargins> margins;
    if (reply && reply->format == 32 && xcb_get_property_value_length(reply) == 16) {
        const auto *values = static_cast<const uint32_t *>(xcb_get_property_value(reply));
        // left, right, top, bottom
        margins = QMargins(static_cast<int>(values[0]), static_cast<int>(values[2]),
                           static_cast<int>(values[1]), static_cast<int>(values[3]));
    }
    free(reply);
    return margins;
}
#endif

QMargins frameMargins(const QWidget *window)
{
#if VELARIA_HAVE_XCB
    if (const std::optional<QMargins> announced = announcedFrame(window))
        return *announced;
#endif
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    return {client.left() - frame.left(), client.top() - frame.top(),
            frame.right() - client.right(), frame.bottom() - client.bottom()};
}

class FramePlacer : public QObject
{
public:
    FramePlacer(QWidget *window, FramePlacement placement)
        : QObject(window), m_window(window), m_placement(std::move(placement))
    {
        m_timer.setInterval(WatchIntervalMs);
        connect(&m_timer, &QTimer::timeout, this, &FramePlacer::watch);
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // Placed when it first opens; after that the window stays where the user puts it,
        // also when it comes back from being minimised or hidden.
        if (watched == m_window && event->type() == QEvent::Show && !m_placed) {
            m_placed = true;
            place();
            m_steps = 0;
            m_settled = 0;
            m_timer.start();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    // Where the window's client area belongs, for the frame as it is now.
    QPoint target() const
    {
        const QMargins margins = frameMargins(m_window);
        const QScreen *screen = m_window->screen();
        if (!screen)
            return m_window->geometry().topLeft();
        const QSize frame = m_window->size().grownBy(margins);
        return m_placement(frame, screen->availableGeometry()) +
               QPoint(margins.left(), margins.top());
    }

    void place()
    {
        if (QWindow *handle = m_window->windowHandle())
            handle->setPosition(target());
        else
            m_window->move(target());
    }

    // The window manager frames the window after it is mapped, and while it does so it may
    // pass over a request to move it, with the toolkit none the wiser. Once the frame is
    // known, the place is asked for again a few times, whatever the toolkit believes.
    void watch()
    {
        if (!m_window->isVisible() || ++m_steps >= WatchSteps) {
            m_timer.stop();
            return;
        }
        if (frameMargins(m_window).isNull())
            return;
        place();
        if (++m_settled >= SettledLooks)
            m_timer.stop();
    }

    QWidget *m_window;
    FramePlacement m_placement;
    QTimer m_timer;
    int m_steps = 0;
    int m_settled = 0;
    bool m_placed = false;
};

} // namespace

void placeByFrame(QWidget *window, FramePlacement placement)
{
    new FramePlacer(window, std::move(placement));
}

QPoint centred(QSize frame, QRect available)
{
    return {available.left() + (available.width() - frame.width()) / 2,
            available.top() + (available.height() - frame.height()) / 2};
}

QPoint topCentre(QSize frame, QRect available)
{
    return {available.left() + (available.width() - frame.width()) / 2, available.top()};
}

} // namespace velaria
