#include "appicon.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace velaria {

QImage velariaIconImage(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0);

    const QRectF leaf(6, 8, 52, 50);
    QPainterPath outline;
    outline.addRoundedRect(leaf, 6, 6);
    painter.fillPath(outline, QColor(255, 255, 250));
    painter.save();
    painter.setClipPath(outline);
    painter.fillRect(QRectF(6, 8, 52, 15), QColor(192, 0, 0));
    painter.restore();
    painter.setPen(QPen(QColor(64, 64, 64), 2));
    painter.drawPath(outline);

    // Rings of the leaf.
    painter.setPen(QPen(QColor(64, 64, 64), 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(20, 4), QPointF(20, 13));
    painter.drawLine(QPointF(44, 4), QPointF(44, 13));

    // A grid of days, Sunday in dark red and one holiday in red.
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 7; ++column) {
            QColor colour(40, 40, 40);
            if (column == 6)
                colour = QColor(128, 0, 0);
            if (row == 2 && column == 3)
                colour = QColor(255, 0, 0);
            painter.fillRect(QRectF(10 + column * 6.6, 27 + row * 7.5, 4.2, 4.2), colour);
        }
    }
    return image;
}

QIcon velariaIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(velariaIconImage(size)));
    return icon;
}

namespace {

class IconAfterFirstPaint : public QObject
{
public:
    IconAfterFirstPaint(QWidget *window, QWidget *shown) : QObject(shown), m_window(window)
    {
        shown->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, this, [this] {
                if (m_window)
                    m_window->setWindowIcon(velariaIcon());
                deleteLater();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QPointer<QWidget> m_window;
};

} // namespace

void setIconAfterFirstPaint(QWidget *window, QWidget *shown)
{
    new IconAfterFirstPaint(window, shown);
}

} // namespace velaria
