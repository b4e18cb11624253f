#pragma once

#include <QDateTime>
#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

// The month pictures, decoded once: stepping back to a month already shown takes its picture
// from here as long as the file has not changed.
namespace velaria {

struct LoadedPicture
{
    QImage image;  // null when the picture could not be loaded
    QString error; // an Italian description naming the file; empty on success
};

class PictureCache
{
public:
    explicit PictureCache(int capacity = 4);

    // The picture at `path`, turned upright as its orientation tag says. A picture higher than
    // `height` pixels is decoded at about that height (not below nine tenths of it), its
    // proportions kept; a smaller one keeps its own size. A JPEG file that ends before its
    // last scan (a cut copy) is a failure: its decoder would draw the missing part grey.
    [[nodiscard]] LoadedPicture load(const QString &path, int height);

    // The size to decode a picture stored at `stored` (before any turn; `turned` when its
    // orientation tag turns it a quarter) so that it is at least about `height` pixels high.
    static QSize decodeSize(QSize stored, const QByteArray &format, bool turned, int height);

private:
    struct Entry
    {
        QString path;
        QDateTime modified;
        qint64 size = 0;
        int height = 0;
        QImage image;
    };

    int m_capacity;
    QList<Entry> m_entries; // the most recently used first
};

} // namespace velaria
