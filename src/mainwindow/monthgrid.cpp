#include "monthgrid.h"

#include "twips.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QPainter>

namespace velaria {

namespace {

class DayCellAccessible;

// The grid as a table: one cell for each day of the month.
class MonthGridAccessible : public QAccessibleWidget
{
public:
    explicit MonthGridAccessible(MonthGrid *grid)
        : QAccessibleWidget(grid, QAccessible::Table), m_grid(grid)
    {}
    ~MonthGridAccessible() override
    {
        for (QAccessible::Id id : m_cells) {
            if (id)
                QAccessible::deleteAccessibleInterface(id);
        }
    }

    MonthGrid *grid() const { return m_grid; }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return grid()->month().caption.isEmpty()
                       ? QStringLiteral("Giorni del mese")
                       : QStringLiteral("Giorni di %1").arg(grid()->month().caption.simplified());
        return QAccessibleWidget::text(t);
    }

    int childCount() const override { return grid()->month().daysInMonth; }
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override
    {
        const QPoint at = grid()->mapFromGlobal(QPoint(x, y));
        for (int day = 1; day <= grid()->month().daysInMonth; ++day) {
            if (grid()->cellRect(day).contains(at))
                return child(day - 1);
        }
        return nullptr;
    }
    QAccessibleInterface *focusChild() const override
    {
        return grid()->hasFocus() ? child(grid()->focusDay() - 1) : nullptr;
    }

private:
    MonthGrid *m_grid;
    // The bridge knows interfaces by id: one for each day, made when first asked for.
    mutable std::array<QAccessible::Id, 31> m_cells{};
};

// One day of the grid, named like "25 dicembre 2026, venerdì, Natale".
class DayCellAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface
{
public:
    DayCellAccessible(MonthGrid *grid, int day) : m_grid(grid), m_day(day) {}

    bool isValid() const override { return m_day <= m_grid->month().daysInMonth; }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_grid->window()->windowHandle(); }
    QAccessibleInterface *parent() const override
    {
        return QAccessible::queryAccessibleInterface(m_grid);
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::Cell; }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && isValid())
            return cell().description;
        return {};
    }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override
    {
        const QRect local = m_grid->cellRect(m_day);
        return QRect(m_grid->mapToGlobal(local.topLeft()), local.size());
    }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        s.focusable = true;
        s.selectable = true;
        s.focused = m_grid->hasFocus() && m_grid->focusDay() == m_day;
        s.selected = m_grid->focusDay() == m_day;
        return s;
    }
    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::TableCellInterface
                   ? static_cast<QAccessibleTableCellInterface *>(this)
                   : nullptr;
    }

    bool isSelected() const override { return m_grid->focusDay() == m_day; }
    QList<QAccessibleInterface *> columnHeaderCells() const override { return {}; }
    QList<QAccessibleInterface *> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return cell().column; }
    int rowIndex() const override { return cell().row; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface *table() const override { return parent(); }

    int day() const { return m_day; }

private:
    const MonthDayCell &cell() const
    {
        return m_grid->month().days[static_cast<std::size_t>(m_day - 1)];
    }

    MonthGrid *m_grid; // outlives the cell: the grid's interface deletes its cells
    int m_day;
};

QAccessibleInterface *MonthGridAccessible::child(int index) const
{
    if (index < 0 || index >= childCount())
        return nullptr;
    QAccessible::Id &id = m_cells[static_cast<std::size_t>(index)];
    if (!id)
        id = QAccessible::registerAccessibleInterface(new DayCellAccessible(grid(), index + 1));
    return QAccessible::accessibleInterface(id);
}

int MonthGridAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    if (!child || child->role() != QAccessible::Cell)
        return -1;
    auto *cell = dynamic_cast<const DayCellAccessible *>(child);
    return cell ? cell->day() - 1 : -1;
}

QAccessibleInterface *monthGridFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("velaria::MonthGrid") && object->isWidgetType())
        return new MonthGridAccessible(static_cast<MonthGrid *>(object));
    return nullptr;
}

} // namespace

MonthGrid::MonthGrid(QWidget *parent) : QWidget(parent)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(monthGridFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);

    setObjectName(QStringLiteral("picMonth"));
    setAccessibleName(QStringLiteral("Giorni del mese"));
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, colours.color(QPalette::Button));
    colours.setColor(QPalette::WindowText, Qt::black);
    setPalette(colours);
    setFont(pointFont(QStringLiteral("MS Sans Serif"), 24));
}

void MonthGrid::setMonth(const MonthModel &month, int focusDay)
{
    m_month = month;
    m_focusDay = std::clamp(focusDay, 1, std::max(1, month.daysInMonth));
    update();
    if (QAccessible::isActive()) {
        QAccessibleTableModelChangeEvent event(this, QAccessibleTableModelChangeEvent::ModelReset);
        QAccessible::updateAccessibility(&event);
        announceFocus();
    }
}

void MonthGrid::setFocusDay(int day)
{
    if (day == m_focusDay || day < 1 || day > m_month.daysInMonth)
        return;
    m_focusDay = day;
    update();
    announceFocus();
}

QRect MonthGrid::cellRect(int day) const
{
    if (day < 1 || day > m_month.daysInMonth)
        return {};
    const MonthDayCell &cell = m_month.days[static_cast<std::size_t>(day - 1)];
    return QRectF(cell.x / TwipsPerPixel, cell.y / TwipsPerPixel, CellWidth / TwipsPerPixel,
                  CellHeight / TwipsPerPixel)
        .toRect();
}

void MonthGrid::announceFocus()
{
    if (!hasFocus() || !QAccessible::isActive())
        return;
    QAccessibleInterface *grid = QAccessible::queryAccessibleInterface(this);
    if (QAccessibleInterface *cell = grid ? grid->child(m_focusDay - 1) : nullptr) {
        QAccessibleEvent event(cell, QAccessible::Focus);
        QAccessible::updateAccessibility(&event);
    }
}

void MonthGrid::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setFont(font());
    for (int d = 1; d <= m_month.daysInMonth; ++d) {
        const MonthDayCell &cell = m_month.days[static_cast<std::size_t>(d - 1)];
        const QRectF box(cell.x / TwipsPerPixel, cell.y / TwipsPerPixel, CellWidth / TwipsPerPixel,
                         CellHeight / TwipsPerPixel);
        painter.setPen(toQColor(cell.colour));
        painter.drawText(box, Qt::AlignCenter, QString::number(d));
    }
    if (hasFocus() && m_focusDay <= m_month.daysInMonth) {
        // A frame in the highlight colour: the desktop's style draws focus only after a Tab.
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(cellRect(m_focusDay).adjusted(4, 4, -4, -4));
    }
}

void MonthGrid::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Left:
        emit dayStepRequested(-1);
        return;
    case Qt::Key_Right:
        emit dayStepRequested(+1);
        return;
    case Qt::Key_Up:
        emit dayStepRequested(-7);
        return;
    case Qt::Key_Down:
        emit dayStepRequested(+7);
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void MonthGrid::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    update();
    announceFocus();
}

void MonthGrid::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update();
}

} // namespace velaria
