#pragma once

#include <QDateTime>
#include <QFuture>
#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

#include <functional>
#include <optional>

// The month pictures, decoded once: stepping back to a month already shown takes its picture
// from here as long as the file has not changed.
namespace velaria {

struct LoadedPicture
{
    QImage image;  // null when the picture could not be loaded
    QString error; // an Italian description naming the file; empty on success
};

// The picture at `path`, turned upright as its orientation tag says. A picture higher than
// `height` pixels is decoded at about that height (not below nine tenths of it), its
// proportions kept; a smaller one keeps its own size. A JPEG file that ends before its last
// scan (a cut copy) is a failure: its decoder would draw the missing part grey. Safe to call
// on any thread.
[[nodiscard]] LoadedPicture readPicture(const QString &path, int height);

// The pictures read last, up to `byteLimit` bytes of pixels together; the last one is kept
// whatever its size. Each picture read is passed through `prepare`, when there is one, and
// kept as it returns it.
class PictureCache
{
public:
    static constexpr qsizetype DefaultByteLimit = 48 * 1024 * 1024;
    explicit PictureCache(qsizetype byteLimit = DefaultByteLimit,
                          std::function<QImage(const QImage &)> prepare = {});

    // The picture as readPicture() reads it, from the cache while its file is unchanged.
    [[nodiscard]] LoadedPicture load(const QString &path, int height);

    // Starts reading the picture on another thread, unless it is in the cache or being read
    // already: load() then waits for that reading, if it has not ended, instead of starting
    // anew. A window that composes its page a moment after the request reads the picture in
    // that moment.
    void readAhead(const QString &path, int height);

private:
    // A picture file as it was when read, and the height asked for.
    struct Key
    {
        QString path;
        QDateTime modified;
        qint64 size = 0;
        int height = 0;

        friend bool operator==(const Key &, const Key &) = default;
    };
    struct Entry
    {
        Key key;
        QImage image;
    };
    struct Reading
    {
        Key key;
        QFuture<LoadedPicture> picture;
    };

    // readPicture() and then `prepare`; safe to call on any thread.
    static LoadedPicture readPrepared(const QString &path, int height,
                                      const std::function<QImage(const QImage &)> &prepare);
    // The picture from the cache, made the most recently used; null when it is not there.
    QImage cached(const Key &key);

    qsizetype m_byteLimit;
    std::function<QImage(const QImage &)> m_prepare;
    QList<Entry> m_entries; // the most recently used first
    std::optional<Reading> m_reading;
};

// The month's picture at the size the print canvas needs. An empty (or blank) path is no
// picture and no failure; a failure leaves a null image and a description naming the file.
[[nodiscard]] LoadedPicture loadMonthPicture(PictureCache &cache, const QString &path);
// Starts reading that picture on another thread, for loadMonthPicture() to find.
void readMonthPictureAhead(PictureCache &cache, const QString &path);
// The same picture read afresh, for a page drawn once; at about `height` pixels when that is
// not 0 (a PDF's).
[[nodiscard]] LoadedPicture readMonthPicture(const QString &path, int height = 0);

// A picture cache that keeps the month pictures as the print canvas shows them.
PictureCache canvasPictureCache();

} // namespace velaria
