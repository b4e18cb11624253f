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

// The folder where the test services' cups-pdf printer puts its jobs, emptied of earlier ones;
// empty when the services did not start it (scripts/test-services.sh).
inline QString emptiedSpool()
{
    const QString path = qEnvironmentVariable("VELARIA_CUPS_PDF_DIR");
    const QDir spool(path);
    for (const QString &old : path.isEmpty() ? QStringList() : spool.entryList({"*.pdf"}))
        QFile::remove(spool.filePath(old));
    return path;
}
#define SKIP_WITHOUT_SPOOLER(spool)                                                                \
    if ((spool).isEmpty())                                                                         \
        QSKIP("no cups-pdf printer: VELARIA_CUPS_PDF_DIR is not set (test-services.sh)");

// Where the dark ink of a printed sheet lies, in points from `corner`, when it lies on `place`
// give or take two points at each corner; an empty text then.
inline QString inkOff(const QImage &sheet, QPoint corner, const QRect &place)
{
    QRect ink;
    for (int y = 0; y < sheet.height(); ++y) {
        for (int x = 0; x < sheet.width(); ++x)
            ink |= qGray(sheet.pixel(x, y)) < 128 ? QRect(x, y, 1, 1) : QRect();
    }
    ink.translate(-corner);
    const bool on = (ink.topLeft() - place.topLeft()).manhattanLength() <= 2 &&
                    (ink.bottomRight() - place.bottomRight()).manhattanLength() <= 2;
    return on ? QString()
              : QStringLiteral("ink at %1,%2 to %3,%4")
                    .arg(ink.left())
                    .arg(ink.top())
                    .arg(ink.right())
                    .arg(ink.bottom());
}

} // namespace velaria::testing
