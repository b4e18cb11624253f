#include "windowplacement.h"

#include <QEvent>
#include <QMargins>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace velaria {

namespace {

// How long after showing the window its frame is watched, and how often.
constexpr int WatchSteps = 20;
constexpr int WatchIntervalMs = 50;

QMargins frameMargins(const QWidget *window)
{
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
        if (watched == m_window && event->type() == QEvent::Show) {
            place();
            m_steps = 0;
            m_timer.start();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void place()
    {
        const QScreen *screen = m_window->screen();
        if (!screen)
            return;
        m_margins = frameMargins(m_window);
        const QSize frame = m_window->size().grownBy(m_margins);
        // move() places the frame's corner of a top-level window.
        m_window->move(m_placement(frame, screen->availableGeometry()));
    }

    void watch()
    {
        if (!m_window->isVisible() || ++m_steps >= WatchSteps) {
            m_timer.stop();
            return;
        }
        if (frameMargins(m_window) != m_margins)
            place();
    }

    QWidget *m_window;
    FramePlacement m_placement;
    QTimer m_timer;
    QMargins m_margins;
    int m_steps = 0;
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
