#include "picturecache.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>

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

// Whether decoding a picture of this size whole would pass the reader's memory limit.
bool withinAllocationLimit(QSize size)
{
    const int limitMb = QImageReader::allocationLimit();
    if (limitMb <= 0 || !size.isValid())
        return true;
    const double bytes = 4.0 * size.width() * size.height();
    return bytes <= limitMb * 1024.0 * 1024.0;
}

} // namespace

PictureCache::PictureCache(int capacity) : m_capacity(std::max(1, capacity)) {}

LoadedPicture PictureCache::load(const QString &path, int height)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {{}, failure(path, QStringLiteral("il file non esiste"))};
    if (!info.isFile())
        return {{}, failure(path, QStringLiteral("non è un file"))};

    const QDateTime modified = info.lastModified();
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        const Entry &entry = m_entries.at(i);
        if (entry.path == path && entry.modified == modified && entry.size == info.size() &&
            entry.height == height) {
            m_entries.move(i, 0);
            return {m_entries.first().image, {}};
        }
    }

    ++m_decodes;
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize stored = reader.size();
    // What the reader holds while decoding: the reduced size for a JPEG, which decodes reduced,
    // the whole picture otherwise (other formats that take a size still decode it whole first).
    QSize decoded = stored;
    if (stored.isValid() && height > 0) {
        const bool turned = reader.transformation() & QImageIOHandler::TransformationRotate90;
        const QSize wanted = DecodeSize(stored, reader.format(), turned, height);
        if (wanted != stored) {
            reader.setScaledSize(wanted);
            if (reader.format() == "jpeg")
                decoded = wanted;
        }
    }
    QImage image = reader.read();
    if (image.isNull()) {
        if (!withinAllocationLimit(decoded))
            return {{},
                    failure(path, QStringLiteral("l'immagine è troppo grande (%1 x %2 pixel)")
                                      .arg(stored.width())
                                      .arg(stored.height()))};
        return {{}, failure(path, readerReason(reader.error()))};
    }
    image.convertTo(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                            : QImage::Format_RGB32);

    m_entries.prepend({path, modified, info.size(), height, image});
    while (m_entries.size() > m_capacity)
        m_entries.removeLast();
    return {image, {}};
}

QSize PictureCache::DecodeSize(QSize stored, const QByteArray &format, bool turned, int height)
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
