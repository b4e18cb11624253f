#pragma once

// For the start-up benchmark: an event filter that, once the widget it watches (or, given a
// name, the object of that name among those it watches) is first painted and the rest of its
// window with it, prints the wall-clock time of that moment in nanoseconds ("painted N") and
// quits. The calendar's benchmark copy and the bare window both use it, so that both are timed
// alike.

#include <QApplication>
#include <QEvent>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <utility>

class QuitAfterFirstPaint : public QObject
{
public:
    explicit QuitAfterFirstPaint(QString name = {}, QObject *parent = nullptr)
        : QObject(parent), m_name(std::move(name))
    {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_painted &&
            (m_name.isEmpty() || watched->objectName() == m_name)) {
            m_painted = true;
            // Queued: the rest of the window is painted first.
            QTimer::singleShot(0, qApp, [] {
                const auto now = std::chrono::system_clock::now().time_since_epoch();
                std::printf("painted %lld\n",
                            static_cast<long long>(
                                std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
                std::fflush(stdout);
                QApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QString m_name;
    bool m_painted = false;
};
