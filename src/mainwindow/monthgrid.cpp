#include "monthgrid.h"

#include "twips.h"

#include <QPainter>

namespace velaria {

MonthGrid::MonthGrid(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("picMonth"));
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, colours.color(QPalette::Button));
    colours.setColor(QPalette::WindowText, Qt::black);
    setPalette(colours);
    setFont(pointFont(QStringLiteral("MS Sans Serif"), 24));
}

void MonthGrid::setMonth(const MonthLayout &month, int cellWidth, int cellHeight)
{
    m_month = month;
    m_cellWidth = cellWidth;
    m_cellHeight = cellHeight;
    update();
}

void MonthGrid::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setFont(font());
    for (int d = 1; d <= m_month.daysInMonth; ++d) {
        const MonthDayCell &cell = m_month.days[static_cast<std::size_t>(d - 1)];
        const QRectF box(cell.x / TwipsPerPixel, cell.y / TwipsPerPixel,
                         m_cellWidth / TwipsPerPixel, m_cellHeight / TwipsPerPixel);
        painter.setPen(toQColor(cell.colour));
        painter.drawText(box, Qt::AlignCenter, QString::number(d));
    }
}

} // namespace velaria
