#pragma once

// Helpers shared by the tests: whole-file reads and writes, answering modal boxes, counting
// colours in a grabbed image, running a program and reading back the PDF it printed.

#include <QApplication>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRect>
#include <QTemporaryDir>
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

// The program's exit status and all that it wrote, run in `folder` (by default, here).
inline std::pair<int, QString> runProgram(const QString &program, const QStringList &arguments,
                                          const QString &folder = {})
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(folder);
    process.start(program, arguments);
    process.waitForFinished(300000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAll()};
}

// The folder's PDF, its first sheet at 72 dpi (a pixel to the point); none unless it has so many.
inline QImage firstSheet(const QDir &folder, int pages)
{
    QTemporaryDir dir;
    const QString pdf = folder.filePath(folder.entryList({"*.pdf"}).value(0));
    if (!runProgram("pdfinfo", {pdf})
             .second.simplified()
             .contains(QString("Pages: %1 ").arg(pages)))
        return {};
    runProgram("pdftoppm", {"-r", "72", "-png", "-singlefile", pdf, dir.filePath("sheet")});
    return QImage(dir.filePath("sheet.png")).convertToFormat(QImage::Format_RGB32);
}

// The smallest rectangle round the dark pixels of a printed sheet.
inline QRect inkOf(const QImage &sheet)
{
    QRect ink;
    for (int y = 0; y < sheet.height(); ++y) {
        for (int x = 0; x < sheet.width(); ++x)
            ink |= qGray(sheet.pixel(x, y)) < 128 ? QRect(x, y, 1, 1) : QRect();
    }
    return ink;
}

} // namespace velaria::testing
