#include "pagefiles.h"

#include <QDataStream>
#include <QDir>
#include <QFileInfo>
#include <QPaintDevice>
#include <QPainter>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#endif

namespace velaria {

namespace {

constexpr double TwipsPerInch = 1440.0;

// Rows converted at a time: writes of about a megabyte, which the system takes a fifth faster
// than writes of 200 KB, and which stay in the processor's cache from the converting to the
// copying.
constexpr qsizetype BytesPerWrite = 1024 * 1024;

constexpr qsizetype BitmapHeaderBytes = 14 + 40;

// A bitmap row: three bytes a pixel, padded to four bytes.
qsizetype bitmapRowBytes(int width)
{
    return (static_cast<qsizetype>(width) * 3 + 3) / 4 * 4;
}

// Takes the bitmap's whole size on the disk before it is written, where the system can: it then
// fills the file in far fewer steps, and a disk without room for it says so before anything is
// written. False only when the disk is full.
bool reserveSpace(QFileDevice &file, qsizetype bytes)
{
#ifdef Q_OS_LINUX
    // Not posix_fallocate(), which writes the whole file once more where the disk cannot
    // reserve.
    if (::fallocate(file.handle(), 0, 0, static_cast<off_t>(bytes)) != 0)
        return errno != ENOSPC && errno != EDQUOT;
#else
    Q_UNUSED(file);
    Q_UNUSED(bytes);
#endif
    return true;
}

// Blue, green and red of each RGB32 pixel, three bytes to a pixel. Four pixels make three
// little-endian words, which takes half the time of a byte at a time.
void packWords(const quint32 *pixel, int width, uchar *out)
{
    int x = 0;
    for (; x + 4 <= width; x += 4, pixel += 4, out += 12) {
        qToLittleEndian((pixel[0] & 0xffffffu) | (pixel[1] << 24), out);
        qToLittleEndian(((pixel[1] >> 8) & 0xffffu) | (pixel[2] << 16), out + 4);
        qToLittleEndian(((pixel[2] >> 16) & 0xffu) | (pixel[3] << 8), out + 8);
    }
    for (; x < width; ++x, ++pixel, out += 3) {
        out[0] = static_cast<uchar>(qBlue(*pixel));
        out[1] = static_cast<uchar>(qGreen(*pixel));
        out[2] = static_cast<uchar>(qRed(*pixel));
    }
}

// The rows as a 24-bit Windows bitmap: bottom row first, blue, green and red, each row padded
// to four bytes. The bytes are those of Qt's own bitmap writer, which writes a row at a time.
bool writeBitmap(const BitmapRows &rows, QIODevice &file)
{
    const int width = rows.size.width();
    const int height = rows.size.height();
    const qsizetype rowBytes = bitmapRowBytes(width);
    const qsizetype dataBytes = rowBytes * height;
    // 72 dots per inch when the image tells none.
    const auto resolution = [](int dotsPerMeter) {
        return qint32(dotsPerMeter ? dotsPerMeter : 2834);
    };
    QByteArray header;
    QDataStream stream(&header, QIODevice::WriteOnly);
    stream.setByteOrder(QDataStream::LittleEndian);
    stream.writeRawData("BM", 2);
    // Sizes, offset, and then the info header: planes, bits, no compression, resolution.
    stream << quint32(BitmapHeaderBytes + dataBytes) << quint32(0) << quint32(BitmapHeaderBytes)
           << quint32(40) << qint32(width) << qint32(height) << quint16(1) << quint16(24)
           << quint32(0) << quint32(dataBytes) << resolution(rows.dotsPerMeterX)
           << resolution(rows.dotsPerMeterY) << quint32(0) << quint32(0);
    if (file.write(header) != header.size())
        return false;

    const qsizetype rowsPerWrite =
        std::clamp<qsizetype>(BytesPerWrite / rowBytes, 1, std::max(height, 1));
    QByteArray block(rowBytes * rowsPerWrite, '\0');
    for (int y = height - 1; y >= 0;) {
        char *out = block.data();
        int count = 0;
        for (; count < rowsPerWrite && y >= 0; ++count, --y, out += rowBytes)
            packWords(rows.row(y), width, reinterpret_cast<uchar *>(out));
        if (file.write(block.constData(), rowBytes * count) != rowBytes * count)
            return false;
    }
    return true;
}

} // namespace

void paintPageInto(QPainter &painter, const QImage &page, const QRectF &place)
{
    const QPaintDevice *device = painter.device();
    const double scaleX = device->logicalDpiX() / TwipsPerInch;
    const double scaleY = device->logicalDpiY() / TwipsPerInch;
    painter.drawImage(QRectF(place.x() * scaleX, place.y() * scaleY, place.width() * scaleX,
                             place.height() * scaleY),
                      page);
}

QString saveBitmap(const QImage &image, const QString &path)
{
    const QImage pixels = image.convertToFormat(QImage::Format_RGB32);
    return saveBitmap(BitmapRows{pixels.size(), pixels.dotsPerMeterX(), pixels.dotsPerMeterY(),
                                 [&pixels](int y) {
                                     return reinterpret_cast<const quint32 *>(
                                         pixels.constScanLine(y));
                                 }},
                      path);
}

QString saveBitmap(const BitmapRows &rows, const QString &path)
{
    const QString name = quoted(path);
    if (rows.size.isEmpty() || !rows.row)
        return QStringLiteral("Impossibile salvare %1: la pagina è vuota.").arg(name);

    // The new bitmap goes to a temporary file beside the old one, which it replaces only when
    // it is whole. The system puts it on the disk in its own time: waiting for that, as a
    // QSaveFile does, took longer than composing the page, twelve times over for a year.
    const QFileInfo target(path);
    QTemporaryFile file(target.absoluteFilePath() + QStringLiteral(".XXXXXX"));
    if (!file.open()) {
        return QStringLiteral("Impossibile salvare %1: la cartella %2 non esiste o non è "
                              "scrivibile.")
            .arg(name, quoted(target.absolutePath()));
    }
    if (!reserveSpace(file,
                      BitmapHeaderBytes + bitmapRowBytes(rows.size.width()) * rows.size.height()) ||
        !writeBitmap(rows, file) || !file.flush()) {
        return QStringLiteral("Impossibile salvare %1: errore di scrittura (disco pieno?).")
            .arg(name);
    }
    file.close();
    if (file.error() != QFileDevice::NoError) {
        return QStringLiteral("Impossibile salvare %1: il file non è stato scritto per intero "
                              "(disco pieno?).")
            .arg(name);
    }
    // Readable by all, as a new file is; a file replaced keeps the permissions it had. A disk
    // without permissions keeps its own.
    QFile::setPermissions(file.fileName(), target.exists()
                                               ? target.permissions()
                                               : QFile::ReadOwner | QFile::WriteOwner |
                                                     QFile::ReadUser | QFile::WriteUser |
                                                     QFile::ReadGroup | QFile::ReadOther);
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(file.fileName().toStdU16String()),
                            std::filesystem::path(target.absoluteFilePath().toStdU16String()),
                            error);
    if (error) {
        return QStringLiteral("Impossibile salvare %1: il file non può essere sostituito (%2).")
            .arg(name, QString::fromLocal8Bit(error.message()));
    }
    file.setAutoRemove(false);
    return {};
}

QString quoted(const QString &text)
{
    return QStringLiteral("\"%1\"").arg(QDir::toNativeSeparators(text));
}

QString noDefaultPrinterMessage()
{
    return QStringLiteral("Nessuna stampante predefinita: impostare una stampante predefinita "
                          "nel sistema e riprovare.");
}

QString desktopFolder()
{
#ifdef Q_OS_WIN
    // The desktop that every user of the computer shares.
    const QString shared = qEnvironmentVariable("PUBLIC");
    return shared.isEmpty() ? QString() : shared + QStringLiteral("\\Desktop");
#else
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
#endif
}

} // namespace velaria
