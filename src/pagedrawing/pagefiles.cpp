#include "pagefiles.h"

#include <QDir>
#include <QFileInfo>
#include <QPaintDevice>
#include <QPainter>
#include <QSaveFile>
#include <QStandardPaths>
#include <QtEndian>

#include <array>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#ifdef Q_OS_LINUX
#include <fcntl.h>
#endif

namespace velaria {

namespace {

constexpr double TwipsPerInch = 1440.0;

QString quoted(const QString &text)
{
    return QStringLiteral("\"%1\"").arg(text);
}

// Rows converted at a time: large writes, a buffer that stays small.
constexpr int RowsPerWrite = 64;

// Blue, green and red of each RGB32 pixel, three bytes a pixel: four pixels make three
// little-endian words.
void packRowPortable(const quint32 *pixel, int width, uchar *out)
{
    int x = 0;
    for (; x + 4 <= width; x += 4, pixel += 4, out += 12) {
        const std::array<quint32, 3> words = {
            (pixel[0] & 0xffffffu) | (pixel[1] << 24),
            ((pixel[1] >> 8) & 0xffffu) | (pixel[2] << 16),
            ((pixel[2] >> 16) & 0xffu) | (pixel[3] << 8),
        };
        for (std::size_t i = 0; i < words.size(); ++i)
            qToLittleEndian(words[i], out + 4 * i);
    }
    for (; x < width; ++x, ++pixel, out += 3) {
        out[0] = static_cast<uchar>(qBlue(*pixel));
        out[1] = static_cast<uchar>(qGreen(*pixel));
        out[2] = static_cast<uchar>(qRed(*pixel));
    }
}

#if defined(__x86_64__) || defined(__i386__)
// The same with one byte shuffle for four pixels, where the processor has it.
__attribute__((target("ssse3"))) void packRowSsse3(const quint32 *pixel, int width, uchar *out)
{
    const __m128i order = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    int x = 0;
    // Sixteen bytes stored for twelve: the last four pixels go the portable way, so that
    // nothing is written past the row.
    for (; x + 8 <= width; x += 4, pixel += 4, out += 12) {
        const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i *>(pixel));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out), _mm_shuffle_epi8(four, order));
    }
    packRowPortable(pixel, width - x, out);
}
#endif

void packRow(const quint32 *pixel, int width, uchar *out)
{
#if defined(__x86_64__) || defined(__i386__)
    static const bool ssse3 = __builtin_cpu_supports("ssse3");
    if (ssse3) {
        packRowSsse3(pixel, width, out);
        return;
    }
#endif
    packRowPortable(pixel, width, out);
}

// Hands what the file has so far to the disk, without waiting: the file's sync when it is
// committed then waits only for its last part.
void startWriteBack(QFileDevice &file)
{
#ifdef Q_OS_LINUX
    if (!file.flush())
        return;
    const int handle = file.handle();
    if (handle >= 0)
        ::sync_file_range(handle, 0, 0, SYNC_FILE_RANGE_WRITE);
#else
    Q_UNUSED(file);
#endif
}

// A 24-bit Windows bitmap of an RGB32 image, bottom row first, each row padded to four bytes:
// the file that Qt's own bitmap writer makes of it, written in large blocks.
bool writeBitmap(const QImage &image, QFileDevice &file)
{
    if (image.isNull())
        return false;
    const int width = image.width();
    const int height = image.height();
    const qsizetype rowBytes = ((static_cast<qsizetype>(width) * 24 + 31) / 32) * 4;
    constexpr int FileHeaderSize = 14;
    constexpr int InfoHeaderSize = 40;
    std::array<uchar, FileHeaderSize + InfoHeaderSize> header{};
    uchar *at = header.data();
    const auto put16 = [&at](quint16 value) {
        qToLittleEndian(value, at);
        at += 2;
    };
    const auto put32 = [&at](quint32 value) {
        qToLittleEndian(value, at);
        at += 4;
    };
    *at++ = 'B';
    *at++ = 'M';
    put32(static_cast<quint32>(FileHeaderSize + InfoHeaderSize + rowBytes * height));
    put32(0); // reserved
    put32(FileHeaderSize + InfoHeaderSize);
    put32(InfoHeaderSize);
    put32(static_cast<quint32>(width));
    put32(static_cast<quint32>(height));
    put16(1);  // planes
    put16(24); // bits per pixel
    put32(0);  // no compression
    put32(static_cast<quint32>(rowBytes * height));
    // 72 dots per inch when the image tells none.
    put32(static_cast<quint32>(image.dotsPerMeterX() ? image.dotsPerMeterX() : 2834));
    put32(static_cast<quint32>(image.dotsPerMeterY() ? image.dotsPerMeterY() : 2834));
    put32(0); // colours used
    put32(0); // important colours
    const auto headerBytes = static_cast<qint64>(header.size());
    if (file.write(reinterpret_cast<const char *>(header.data()), headerBytes) != headerBytes)
        return false;

    std::vector<uchar> block(static_cast<std::size_t>(rowBytes) * RowsPerWrite, 0);
    for (int y = height - 1; y >= 0;) {
        int rows = 0;
        for (; rows < RowsPerWrite && y >= 0; ++rows, --y) {
            packRow(reinterpret_cast<const quint32 *>(image.constScanLine(y)), width,
                    block.data() + rowBytes * rows);
        }
        const qint64 bytes = rowBytes * rows;
        if (file.write(reinterpret_cast<const char *>(block.data()), bytes) != bytes)
            return false;
        startWriteBack(file);
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
    const QString name = quoted(QDir::toNativeSeparators(path));
    if (image.isNull())
        return QStringLiteral("Impossibile salvare %1: la pagina è vuota.").arg(name);

    // The new bitmap goes to a temporary file beside the old one, which it replaces only when
    // it is whole.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return QStringLiteral("Impossibile salvare %1: la cartella %2 non esiste o non è "
                              "scrivibile.")
            .arg(name, quoted(QDir::toNativeSeparators(QFileInfo(path).absolutePath())));
    }
    if (!writeBitmap(image.convertToFormat(QImage::Format_RGB32), file)) {
        file.cancelWriting();
        return QStringLiteral("Impossibile salvare %1: errore di scrittura (disco pieno?).")
            .arg(name);
    }
    if (!file.commit()) {
        return QStringLiteral("Impossibile salvare %1: il file non è stato scritto per intero "
                              "(disco pieno?).")
            .arg(name);
    }
    return {};
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
