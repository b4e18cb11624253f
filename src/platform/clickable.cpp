#include "clickable.h"

#include <QMouseEvent>

namespace velaria {

void ClickLabel::mousePressEvent(QMouseEvent *event)
{
    emit pressed(event->buttons(), event->position().toPoint());
}

void ClickLabel::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

void ClickLabel::mouseDoubleClickEvent(QMouseEvent *)
{
    emit doubleClicked();
}

void ClickArea::mousePressEvent(QMouseEvent *event)
{
    emit pressed(event->button(), event->position().toPoint());
}

void ClickFrame::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

} // namespace velaria
