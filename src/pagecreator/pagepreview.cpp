#include "pagepreview.h"

#include <QPainter>

namespace velaria {

PagePreview::PagePreview(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PagePreview::setImage(const QImage &image)
{
    m_image = image;
    update();
}

void PagePreview::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    if (!m_image.isNull())
        painter.drawImage(QPoint(0, 0), m_image);
    if (hasFocus()) { // reached with Tab: a frame says where the keyboard is
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.drawRect(rect().adjusted(1, 1, -1, -1));
    }
}

} // namespace velaria
