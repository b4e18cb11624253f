#pragma once

// A photo-like picture for the benchmarks: gradients, shapes and grain, so that its JPEG is
// not trivially small and decoding it costs what a camera's photo costs.

#include <QColor>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QRandomGenerator>

#include <algorithm>

inline QImage MakeBenchPhoto(const QColor &skyTop, quint32 seed)
{
    QImage photo(4000, 3000, QImage::Format_RGB32);
    QPainter painter(&photo);
    QLinearGradient sky(0, 0, 0, 3000);
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
        painter.drawEllipse(QPointF(random.bounded(4000), random.bounded(3000)),
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
