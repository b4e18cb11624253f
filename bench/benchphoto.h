#pragma once

// A photo-like picture for the benchmarks: gradients, shapes and grain, so that its JPEG is
// not trivially small and decoding it costs what a camera's photo costs.

#include <QBuffer>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QRandomGenerator>

#include <algorithm>

inline QImage MakeBenchPhoto(const QColor &skyTop, quint32 seed, QSize size = {4000, 3000})
{
    const int width = size.width(), height = size.height();
    QImage photo(size, QImage::Format_RGB32);
    QPainter painter(&photo);
    QLinearGradient sky(0, 0, 0, height);
    sky.setColorAt(0, skyTop);
    sky.setColorAt(0.6, QColor(200, 220, 240));
    sky.setColorAt(1, QColor(60, 110, 60));
    painter.fillRect(photo.rect(), sky);
    QRandomGenerator random(seed);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 400; ++i) {
        painter.setBrush(QColor::fromHsv(random.bounded(360), 120 + random.bounded(100),
                                         100 + random.bounded(150)));
        painter.drawEllipse(QPointF(random.bounded(width), random.bounded(height)),
                            20 + random.bounded(200), 20 + random.bounded(200));
    }
    painter.end();
    for (int y = 0; y < photo.height(); y += 2) {
        auto *line = reinterpret_cast<QRgb *>(photo.scanLine(y));
        for (int x = 0; x < photo.width(); x += 3) {
            const int grain = static_cast<int>(random.bounded(24)) - 12;
            const QRgb c = line[x];
            line[x] =
                qRgb(std::clamp(qRed(c) + grain, 0, 255), std::clamp(qGreen(c) + grain, 0, 255),
                     std::clamp(qBlue(c) + grain, 0, 255));
        }
    }
    return photo;
}

// How phones and cameras store their photos.
enum class PhotoKind { Baseline, Progressive, Portrait, Png };

// A 4032 x 3024 photo (a PNG of 3000 x 2000) saved as that kind: a portrait is stored lying
// down with an Exif orientation tag of 6, as phones store it.
inline bool SaveBenchPhoto(const QString &path, PhotoKind kind, quint32 seed)
{
    const QColor sky = QColor::fromHsv(static_cast<int>(seed * 30 % 360), 150, 200);
    if (kind == PhotoKind::Png)
        return MakeBenchPhoto(sky, seed, {3000, 2000}).save(path, "PNG");
    QBuffer jpeg;
    QImageWriter writer(&jpeg, "jpeg");
    writer.setQuality(90);
    writer.setProgressiveScanWrite(kind == PhotoKind::Progressive);
    if (!jpeg.open(QIODevice::WriteOnly) || !writer.write(MakeBenchPhoto(sky, seed, {4032, 3024})))
        return false;
    QByteArray bytes = jpeg.data();
    if (kind == PhotoKind::Portrait) {
        bytes.insert(2, QByteArray::fromHex("ffe10022457869660000"
                                            "4d4d002a000000080001011200030000000100060000"
                                            "00000000"));
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}
