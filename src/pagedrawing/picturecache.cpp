#include "picturecache.h"

#include "jpegdecoding.h"
#include "largeimage.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QtConcurrent/QtConcurrentRun>

#include <cmath>
#include <cstring>

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

// Whether decoding a picture of this size whole would pass the reader's memory limit.
bool withinAllocationLimit(QSize size)
{
    const int limitMb = QImageReader::allocationLimit();
    if (limitMb <= 0 || !size.isValid())
        return true;
    const double bytes = 4.0 * size.width() * size.height();
    return bytes <= limitMb * 1024.0 * 1024.0;
}

// Whether the JPEG data runs from its start marker through every segment and scan to its end
// marker. Data past the end marker (a camera's trailer) does not matter.
bool jpegIsComplete(const uchar *data, qint64 size)
{
    if (size < 4 || data[0] != 0xFF || data[1] != 0xD8)
        return false;
    qint64 at = 2;
    while (at < size) {
        // Bytes between segments are skipped, as the decoder does.
        if (data[at] != 0xFF) {
            const void *next = std::memchr(data + at, 0xFF, static_cast<std::size_t>(size - at));
            if (!next)
                return false;
            at = static_cast<const uchar *>(next) - data;
        }
        while (at < size && data[at] == 0xFF)
            ++at;
        if (at >= size)
            return false;
        const uchar marker = data[at++];
        if (marker == 0xD9)
            return true;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue; // no length follows
        if (at + 2 > size)
            return false;
        const int length = (data[at] << 8) | data[at + 1];
        if (length < 2)
            return false;
        at += length;
        if (marker != 0xDA)
            continue;
        // The scan's coded data: up to the next marker that is neither a stuffed 0xFF nor a
        // restart.
        for (;;) {
            if (at >= size)
                return false;
            const void *next = std::memchr(data + at, 0xFF, static_cast<std::size_t>(size - at));
            if (!next)
                return false;
            at = static_cast<const uchar *>(next) - data;
            if (at + 1 >= size)
                return false;
            const uchar following = data[at + 1];
            if (following == 0xFF) {
                ++at;
                continue;
            }
            if (following == 0x00 || (following >= 0xD0 && following <= 0xD7)) {
                at += 2;
                continue;
            }
            break;
        }
    }
    return false;
}

} // namespace

LoadedPicture readPicture(const QString &path, int height, QImage spare)
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
    // a few kilobytes at a time from the file, and the same bytes tell whether it is whole,
    // however the file changes meanwhile. A file larger than any picture the reader would
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
        bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
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
    // What the reader holds while decoding: the reduced size for a JPEG, which decodes reduced,
    // the whole picture otherwise (other formats that take a size still decode it whole first).
    QSize decoded = stored;
    if (stored.isValid() && height > 0) {
        const bool turned = reader.transformation() & QImageIOHandler::TransformationRotate90;
        const QSize wanted = PictureCache::decodeSize(stored, format, turned, height);
        if (wanted != stored) {
            reader.setScaledSize(wanted);
            if (format == "jpeg")
                decoded = wanted;
        }
    }
    // A colour JPEG stored upright and whole is decoded straight into the rows of the picture;
    // any other is left to the reader, as is one that libjpeg gives up on, for the reader to
    // say why.
    if (jpeg && format == "jpeg" &&
        reader.transformation() == QImageIOHandler::TransformationNone) {
        const QImage image = decodeJpeg(bytes, decoded, std::move(spare),
                                        QImageReader::allocationLimit() * qint64(1024 * 1024));
        if (!image.isNull())
            return {image, {}};
    }
    // A JPEG in colour is decoded into the image given to the reader when that has its size
    // and format, and is not shared.
    QImage image;
    if (format == "jpeg" && withinAllocationLimit(decoded)) {
        if (spare.size() == decoded && spare.format() == QImage::Format_RGB32 &&
            spare.isDetached()) {
            image = std::move(spare);
        } else {
            spare = QImage();
            image = largeImage(decoded, QImage::Format_RGB32);
        }
    }
    if (!reader.read(&image)) {
        if (!withinAllocationLimit(decoded))
            return {{},
                    failure(path, QStringLiteral("l'immagine è troppo grande (%1 x %2 pixel)")
                                      .arg(stored.width())
                                      .arg(stored.height()))};
        return {{}, failure(path, readerReason(reader.error()))};
    }
    if (jpeg && !jpegIsComplete(reinterpret_cast<const uchar *>(bytes.constData()), bytes.size()))
        return {{}, failure(path, QStringLiteral("l'immagine è incompleta o danneggiata"))};
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

QSize PictureCache::decodeSize(QSize stored, const QByteArray &format, bool turned, int height)
{
    const int uprightHeight = turned ? stored.width() : stored.height();
    if (uprightHeight <= height)
        return stored;
    // A JPEG decodes fastest at a half, a quarter or an eighth of its size; the one that still
    // leaves nine tenths of the height needed is close enough for the last smooth step.
    if (format == "jpeg") {
        for (int denominator : {8, 4, 2}) {
            if (uprightHeight / denominator >= height * 9 / 10)
                return {stored.width() / denominator, stored.height() / denominator};
        }
        return stored;
    }
    const double factor = static_cast<double>(height) / uprightHeight;
    return {std::max(1, static_cast<int>(std::lround(stored.width() * factor))),
            std::max(1, static_cast<int>(std::lround(stored.height() * factor)))};
}

} // namespace velaria
