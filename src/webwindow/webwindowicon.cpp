#include "webwindowicon.h"

#include <QPainter>
#include <QPolygonF>

#include <cmath>
#include <numbers>

namespace velaria {

namespace {

// Colours of the classic sixteen-colour palette.
const QColor Navy(0, 0, 128);
const QColor Teal(0, 128, 128);
const QColor Green(0, 128, 0);
const QColor White(255, 255, 255);
const QColor Yellow(255, 255, 0);
const QColor Olive(128, 128, 0);

QPolygonF star(QPointF centre, double outer, double inner)
{
    QPolygonF points;
    for (int i = 0; i < 10; ++i) {
        const double radius = i % 2 == 0 ? outer : inner;
        const double angle = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
        points << centre + QPointF(radius * std::cos(angle), radius * std::sin(angle));
    }
    return points;
}

} // namespace

QImage WebWindowIconImage(int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.scale(size / 32.0, size / 32.0);

    // The globe: sea, two lands, a meridian and a parallel.
    const QRectF globe(2, 6, 24, 24);
    painter.setPen(QPen(Navy, 1.5));
    painter.setBrush(Teal);
    painter.drawEllipse(globe);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Green);
    painter.drawEllipse(QRectF(6, 11, 8, 6));
    painter.drawEllipse(QRectF(14, 19, 8, 7));
    painter.setPen(QPen(White, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QRectF(9, 6, 10, 24));
    painter.drawLine(QPointF(3, 18), QPointF(25, 18));

    // The star of the horoscope.
    painter.setPen(QPen(Olive, 1));
    painter.setBrush(Yellow);
    painter.drawPolygon(star(QPointF(24, 8), 7.5, 3));
    return image;
}

QIcon WebWindowIcon()
{
    QIcon icon;
    for (int size : {16, 32})
        icon.addPixmap(QPixmap::fromImage(WebWindowIconImage(size)));
    return icon;
}

} // namespace velaria
