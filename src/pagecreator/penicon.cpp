#include "penicon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace velaria {

QPixmap penIcon()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);

    // Drawn along a horizontal axis, then turned to point down to the left.
    painter.translate(16, 16);
    painter.rotate(-45);
    const QPen outline(QColor(40, 40, 40), 1.2);
    painter.setPen(outline);

    painter.setBrush(QColor(240, 150, 170)); // eraser
    painter.drawRoundedRect(QRectF(9, -3.5, 5, 7), 1.5, 1.5);
    painter.setBrush(QColor(170, 170, 180)); // ferrule
    painter.drawRect(QRectF(6.5, -3.5, 2.5, 7));
    painter.setBrush(QColor(250, 200, 40)); // body
    painter.drawRect(QRectF(-7, -3.5, 13.5, 7));

    QPolygonF wood;
    wood << QPointF(-7, -3.5) << QPointF(-13, 0) << QPointF(-7, 3.5);
    painter.setBrush(QColor(235, 205, 160));
    painter.drawPolygon(wood);

    QPolygonF lead;
    lead << QPointF(-11, -1.2) << QPointF(-13.5, 0) << QPointF(-11, 1.2);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(30, 30, 30));
    painter.drawPolygon(lead);
    painter.end();
    return pixmap;
}

} // namespace velaria
