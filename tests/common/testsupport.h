#pragma once

// Helpers shared by the tests: whole-file reads and writes, answering modal boxes, and
// counting colours in a grabbed image.

#include <QApplication>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QRect>
#include <QTimer>
#include <QWidget>

#include <functional>

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

// Runs `answer` on the next modal widget that opens (a message box, an input box, a file
// dialog); the modal loop that opens it keeps running until `answer` closes it.
inline void answerNextModal(std::function<void(QWidget *)> answer, int attempts = 300)
{
    QTimer::singleShot(10, qApp, [answer = std::move(answer), attempts]() mutable {
        if (QWidget *modal = QApplication::activeModalWidget())
            answer(modal);
        else if (attempts > 0)
            answerNextModal(std::move(answer), attempts - 1);
    });
}

// How many pixels inside `area` have exactly this colour.
inline int countColour(const QImage &image, const QRect &area, const QColor &colour)
{
    const QRect inside = area.intersected(image.rect());
    int count = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            if ((image.pixel(x, y) & 0xFFFFFF) == (colour.rgb() & 0xFFFFFF))
                ++count;
        }
    }
    return count;
}

} // namespace velaria::testing
