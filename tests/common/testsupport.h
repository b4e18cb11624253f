#pragma once

// Helpers shared by the widget tests: answering modal boxes, making a folder unwritable even
// for root, and sampling colours of a grabbed image.

#include <QApplication>
#include <QColor>
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRect>
#include <QTimer>
#include <QWidget>

#include <functional>

#include <unistd.h>

namespace velaria::testing {

// Runs `answer` on the next modal widget that opens (a message box, an input box, a file
// dialog); the modal loop that opens it keeps running until `answer` closes it.
inline void answerNextModal(std::function<void(QWidget *)> answer, int attempts = 200)
{
    QTimer::singleShot(10, qApp, [answer = std::move(answer), attempts]() mutable {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            answer(modal);
        } else if (attempts > 0) {
            answerNextModal(std::move(answer), attempts - 1);
        }
    });
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

// How many pixels inside `area` have exactly this colour.
inline int countColour(const QImage &image, const QRect &area, const QColor &colour)
{
    const QRect inside = area.intersected(image.rect());
    const QRgb wanted = colour.rgb();
    int count = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            if ((image.pixel(x, y) & 0xFFFFFF) == (wanted & 0xFFFFFF))
                ++count;
        }
    }
    return count;
}

} // namespace velaria::testing
