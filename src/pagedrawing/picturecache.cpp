#include "picturecache.h"

#include "jpegdecoding.h"
#include "largeimage.h"
#include "pagecomposer.h"
#include "pagesurface.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QtConcurrent/QtConcurrentRun>

#include <QTransform>

#include <cmath>

namespace velaria {

namespace {

QString failure(const QString &path, const QString &reason)
{
    return QStringLiteral("Impossibile caricare l'immagine \"%1\": %2.")
        .arg(QDir::toNativeSeparators(path), reason);
}

QString readerReason(QImageReader::ImageReaderError error)
{
    switch (error) {
    case QImageReader::FileNotFoundError:
        return QStringLiteral("il file non esiste");
    case QImageReader::DeviceError:
        return QStringLiteral("il file non può essere letto");
    case QImageReader::UnsupportedFormatError:
        return QStringLiteral("il file non è un'immagine JPEG, BMP o PNG");
    case QImageReader::InvalidDataError:
        return QStringLiteral("i dati dell'immagine sono danneggiati");
    case QImageReader::UnknownError:
        break;
    }
    return QStringLiteral("errore sconosciuto nella lettura dell'immagine");
}

// Whether decoding a picture of this size whole, in these pixels (16-bit colours take eight
// bytes each), would pass the reader's memory limit.
bool withinAllocationLimit(QSize size, QImage::Format pixels = QImage::Format_RGB32)
{
    const int limitMb = QImageReader::allocationLimit();
    if (limitMb <= 0 || !size.isValid())
        return true;
    // Not every reader tells its pixels, nor tells them right.
    const int depth = pixels > QImage::Format_Invalid && pixels < QImage::NImageFormats
                          ? QImage::toPixelFormat(pixels).bitsPerPixel()
                          : 32;
    const double bytes = std::max(depth, 32) / 8.0 * size.width() * size.height();
    return bytes <= limitMb * 1024.0 * 1024.0;
}

// The size to decode a picture stored at `stored` (before any turn; `turned` when its
// orientation tag turns it a quarter) so that it is at least about `height` pixels high.
QSize decodeSize(QSize stored, const QByteArray &format, bool turned, int height)
{
    const int uprightHeight = turned ? stored.width() : stored.height();
    if (uprightHeight <= height)
        return stored;
    // A JPEG decodes at eighths of its size (jpegdecoding.h), the smallest that still leaves
    // nine tenths of the height needed: close enough for the last smooth step.
    if (format == "jpeg") {
        const auto eighths = [](int length, int count) { return (length * count + 7) / 8; };
        for (int count : JpegEighths) {
            if (eighths(uprightHeight, count) >= height * 9 / 10)
                return {eighths(stored.width(), count), eighths(stored.height(), count)};
        }
        return stored;
    }
    // Other formats are decoded whole, then reduced: by the reader, which averages, when it is
    // to less than half, and otherwise by the page's own filter as the picture is drawn.
    if (uprightHeight < 2 * height)
        return stored;
    const double factor = static_cast<double>(height) / uprightHeight;
    return {std::max(1, static_cast<int>(std::lround(stored.width() * factor))),
            std::max(1, static_cast<int>(std::lround(stored.height() * factor)))};
}

// The picture turned as its orientation tag says, as Qt's reader turns it: mirrored, flipped,
// then a quarter turn clockwise. Every pixel is moved whole, into an image of our own memory,
// which goes back to the system with the page.
QImage turned(const QImage &image, QImageIOHandler::Transformations transformation)
{
    if (transformation == QImageIOHandler::TransformationNone)
        return image;
    if (image.format() != QImage::Format_RGB32)
        return {};
    const qreal width = image.width(), height = image.height();
    QTransform toTurned; // a point of the picture to its place on the turned one
    if (transformation & QImageIOHandler::TransformationMirror)
        toTurned *= QTransform(-1, 0, 0, 1, width, 0);
    if (transformation & QImageIOHandler::TransformationFlip)
        toTurned *= QTransform(1, 0, 0, -1, 0, height);
    const bool quarter = transformation & QImageIOHandler::TransformationRotate90;
    if (quarter)
        toTurned *= QTransform(0, 1, -1, 0, height, 0);
    QImage upright =
        largeImage(quarter ? image.size().transposed() : image.size(), QImage::Format_RGB32);
    if (upright.isNull())
        return {};
    if (!mapPicture(image, upright, toTurned.inverted(), false, upright.rect()))
        return {};
    return upright;
}

} // namespace

LoadedPicture readPicture(const QString &path, int height)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {{}, failure(path, QStringLiteral("il file non esiste"))};
    if (!info.isFile())
        return {{}, failure(path, QStringLiteral("non è un file"))};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {{}, failure(path, readerReason(QImageReader::DeviceError))};

    // A JPEG is read whole first: its decoder takes the data a tenth faster from memory than
    // a few kilobytes at a time from the file. A file larger than any picture the reader would
    // decode is refused before it is read.
    const bool jpeg = file.peek(2) == QByteArrayLiteral("\xFF\xD8");
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (jpeg) {
        const int limitMb = QImageReader::allocationLimit();
        if (limitMb > 0 && file.size() > limitMb * qint64(1024 * 1024)) {
            return {{},
                    failure(path, QStringLiteral("il file è troppo grande (%1 MB)")
                                      .arg(file.size() / (1024 * 1024)))};
        }
        bytes = QByteArray(file.size(), Qt::Uninitialized);
        const qint64 read = file.read(bytes.data(), bytes.size());
        bytes.truncate(std::max<qint64>(read, 0));
        if (read < 0 || file.error() != QFileDevice::NoError)
            return {{}, failure(path, readerReason(QImageReader::DeviceError))};
        file.close();
        buffer.open(QIODevice::ReadOnly);
    }
    QImageReader reader(jpeg ? static_cast<QIODevice *>(&buffer) : &file);
    reader.setAutoTransform(true);
    const QSize stored = reader.size();
    // The format as the file's start tells it; once the picture is read the reader no longer
    // says.
    const QByteArray format = reader.format();
    const QImageIOHandler::Transformations transformation = reader.transformation();
    // What the reader holds while decoding: the reduced size for a JPEG, which decodes reduced,
    // the whole picture otherwise (other formats that take a size still decode it whole first).
    QSize decoded = stored;
    if (stored.isValid() && height > 0) {
        const bool turns = transformation & QImageIOHandler::TransformationRotate90;
        const QSize wanted = decodeSize(stored, format, turns, height);
        if (wanted != stored) {
            reader.setScaledSize(wanted);
            if (format == "jpeg")
                decoded = wanted;
        }
    }
    // A JPEG in colour or grey is decoded by libjpeg straight into the picture's rows, and
    // turned upright at its reduced size; one in printing inks is left to the reader, as is
    // one that libjpeg gives up on, for the reader to say why.
    if (jpeg && format == "jpeg") {
        const DecodedJpeg decodedJpeg =
            decodeJpeg(bytes, decoded, QImageReader::allocationLimit() * qint64(1024 * 1024));
        if (decodedJpeg.cutShort)
            return {{}, failure(path, QStringLiteral("l'immagine è incompleta o danneggiata"))};
        if (!decodedJpeg.image.isNull()) {
            if (QImage upright = turned(decodedJpeg.image, transformation); !upright.isNull())
                return {upright, {}};
        }
    }
    // Read whole, into memory of our own where the reader takes it: a PNG of colours, with or
    // without transparent parts.
    QImage image;
    const QImage::Format pixels = format == "png" ? reader.imageFormat() : QImage::Format_RGB32;
    if (decoded == stored && (pixels == QImage::Format_RGB32 || pixels == QImage::Format_ARGB32) &&
        withinAllocationLimit(stored, pixels)) {
        image = largeImage(stored, pixels);
    }
    if (!reader.read(&image)) {
        if (!withinAllocationLimit(decoded, pixels))
            return {{},
                    failure(path, QStringLiteral("l'immagine è troppo grande (%1 x %2 pixel)")
                                      .arg(stored.width())
                                      .arg(stored.height()))};
        return {{}, failure(path, readerReason(reader.error()))};
    }
    image.convertTo(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                            : QImage::Format_RGB32);
    return {image, {}};
}

LoadedPicture PictureCache::readPrepared(const QString &path, int height,
                                         const std::function<QImage(const QImage &)> &prepare)
{
    LoadedPicture picture = readPicture(path, height);
    if (prepare && !picture.image.isNull())
        picture.image = prepare(picture.image);
    return picture;
}

PictureCache::PictureCache(qsizetype byteLimit, std::function<QImage(const QImage &)> prepare)
    : m_byteLimit(byteLimit), m_prepare(std::move(prepare))
{}

LoadedPicture PictureCache::load(const QString &path, int height)
{
    const QFileInfo info(path);
    const Key key{path, info.lastModified(), info.size(), height};
    if (info.isFile()) {
        if (const QImage image = cached(key); !image.isNull())
            return {image, {}};
    }

    LoadedPicture picture;
    if (m_reading && m_reading->key == key)
        picture = m_reading->picture.result();
    else
        picture = readPrepared(path, height, m_prepare);
    m_reading.reset();
    if (!picture.image.isNull()) {
        m_entries.prepend({key, picture.image});
        qsizetype bytes = 0;
        for (qsizetype i = 0; i < m_entries.size(); ++i) {
            bytes += m_entries.at(i).image.sizeInBytes();
            if (i > 0 && bytes > m_byteLimit) {
                m_entries.resize(i);
                break;
            }
        }
    }
    return picture;
}

void PictureCache::readAhead(const QString &path, int height)
{
    const QFileInfo info(path);
    const Key key{path, info.lastModified(), info.size(), height};
    if (!info.isFile() || (m_reading && m_reading->key == key) || !cached(key).isNull())
        return;
    // A reading of another picture still going on is left to end on its own.
    m_reading = Reading{key, QtConcurrent::run(readPrepared, path, height, m_prepare)};
}

QImage PictureCache::cached(const Key &key)
{
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        if (m_entries.at(i).key == key) {
            m_entries.move(i, 0);
            return m_entries.first().image;
        }
    }
    return {};
}

LoadedPicture loadMonthPicture(PictureCache &cache, const QString &path)
{
    if (path.trimmed().isEmpty())
        return {};
    return cache.load(path, picturePixelHeight(CanvasScale));
}

void readMonthPictureAhead(PictureCache &cache, const QString &path)
{
    if (!path.trimmed().isEmpty())
        cache.readAhead(path, picturePixelHeight(CanvasScale));
}

LoadedPicture readMonthPicture(const QString &path, int height)
{
    if (path.trimmed().isEmpty())
        return {};
    return readPicture(path, height > 0 ? height : picturePixelHeight(CanvasScale));
}

PictureCache canvasPictureCache()
{
    return PictureCache(PictureCache::DefaultByteLimit,
                        [](const QImage &picture) { return pagePicture(picture, CanvasScale); });
}

} // namespace velaria
