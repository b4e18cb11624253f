#include "monthgrid.h"

#include "twips.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>

namespace velaria {

namespace {

constexpr int Rows = 6;
constexpr int Columns = 7;
constexpr int CellCount = Rows * Columns;

// The grid's place (row × 7 + column) of the month's 1st.
int firstPlace(const MonthModel &month)
{
    return month.days[0].row * Columns + month.days[0].column;
}

// The weekday heading over a column: the grid's label above the days within its width.
QWidget *columnHeading(const MonthGrid *grid, int column)
{
    const auto labels = grid->findChildren<QLabel *>(Qt::FindDirectChildrenOnly);
    for (QLabel *label : labels) {
        const double x = label->geometry().center().x() * TwipsPerPixel;
        if (label->y() * TwipsPerPixel < GridTop && x >= column * CellWidth &&
            x < (column + 1) * CellWidth)
            return label;
    }
    return nullptr;
}

// The grid as a table of six weeks by seven weekdays: its cells first, a cell for each place
// (empty before the 1st and after the last day), then the controls over it that a screen
// reader can read or reach (the weekday headings, today's mark). The cells of a month are
// objects of their own: a screen reader told that the focus moved to the 15th of the next
// month must not find the 15th it already knew.
class MonthGridAccessible : public QAccessibleWidget, public QAccessibleTableInterface
{
public:
    explicit MonthGridAccessible(MonthGrid *grid)
        : QAccessibleWidget(grid, QAccessible::Table), m_grid(grid)
    {}
    ~MonthGridAccessible() override { dropCells(); }

    MonthGrid *grid() const { return m_grid; }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return grid()->month().caption.isEmpty()
                       ? QStringLiteral("Giorni del mese")
                       : QStringLiteral("Giorni di %1").arg(grid()->month().caption.simplified());
        return QAccessibleWidget::text(t);
    }

    int childCount() const override { return CellCount + static_cast<int>(controls().size()); }
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override
    {
        const QPoint at = grid()->mapFromGlobal(QPoint(x, y));
        for (QWidget *control : controls()) {
            if (control->geometry().contains(at))
                return QAccessible::queryAccessibleInterface(control);
        }
        for (int day = 1; day <= grid()->month().daysInMonth; ++day) {
            if (grid()->cellRect(day).contains(at))
                return child(firstPlace(grid()->month()) + day - 1);
        }
        return nullptr;
    }
    QAccessibleInterface *focusChild() const override
    {
        if (grid()->hasFocus())
            return child(firstPlace(grid()->month()) + grid()->focusDay() - 1);
        return QAccessibleWidget::focusChild();
    }
    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TableInterface)
            return static_cast<QAccessibleTableInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessibleInterface *caption() const override
    {
        QWidget *caption = grid()->captionLabel();
        return caption ? QAccessible::queryAccessibleInterface(caption) : nullptr;
    }
    QAccessibleInterface *summary() const override { return nullptr; }
    QAccessibleInterface *cellAt(int row, int column) const override
    {
        if (row < 0 || row >= Rows || column < 0 || column >= Columns)
            return nullptr;
        return child(row * Columns + column);
    }
    int selectedCellCount() const override { return 1; }
    QList<QAccessibleInterface *> selectedCells() const override
    {
        return {child(firstPlace(grid()->month()) + grid()->focusDay() - 1)};
    }
    QString columnDescription(int column) const override
    {
        QWidget *heading = columnHeading(grid(), column);
        return heading ? heading->accessibleName() : QString();
    }
    int columnCount() const override { return Columns; }
    QString rowDescription(int) const override { return {}; }
    int rowCount() const override { return Rows; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent *) override { dropCells(); }

private:
    QList<QWidget *> controls() const
    {
        QList<QWidget *> shown;
        for (QWidget *w : grid()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (!w->isHidden() && (qobject_cast<QLabel *>(w) || w->focusPolicy() != Qt::NoFocus))
                shown.append(w);
        }
        return shown;
    }
    void dropCells() const
    {
        for (QAccessible::Id &id : m_cells) {
            if (id)
                QAccessible::deleteAccessibleInterface(id);
            id = 0;
        }
    }

    MonthGrid *m_grid;
    // The bridge knows interfaces by id: one for each place of the month shown when they were
    // made, made when first asked for.
    mutable std::array<QAccessible::Id, CellCount> m_cells{};
    mutable QDate m_cellsMonth;
};

// One place of the grid: a day named like "25 dicembre 2026, venerdì, Natale", or an empty
// place before the 1st or after the last day. It belongs to the month it was made for.
class DayCellAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface
{
public:
    DayCellAccessible(MonthGrid *grid, int place)
        : m_grid(grid), m_place(place), m_year(grid->month().year), m_month(grid->month().month)
    {}

    bool isValid() const override
    {
        return m_grid->month().year == m_year && m_grid->month().month == m_month;
    }
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
        if (t == QAccessible::Name && isDay())
            return m_grid->month().days[static_cast<std::size_t>(day() - 1)].description;
        return {};
    }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override
    {
        const QRectF local((m_place % Columns) * CellWidth / TwipsPerPixel,
                           (GridTop + (m_place / Columns) * CellHeight) / TwipsPerPixel,
                           CellWidth / TwipsPerPixel, CellHeight / TwipsPerPixel);
        return QRect(m_grid->mapToGlobal(local.topLeft().toPoint()), local.size().toSize());
    }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        s.invalid = !isValid();
        s.focusable = isDay();
        s.selectable = isDay();
        s.selected = isSelected();
        s.focused = s.selected && m_grid->hasFocus();
        return s;
    }
    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::TableCellInterface
                   ? static_cast<QAccessibleTableCellInterface *>(this)
                   : nullptr;
    }

    bool isSelected() const override { return isDay() && m_grid->focusDay() == day(); }
    QList<QAccessibleInterface *> columnHeaderCells() const override
    {
        QWidget *heading = columnHeading(m_grid, columnIndex());
        if (!heading)
            return {};
        return {QAccessible::queryAccessibleInterface(heading)};
    }
    QList<QAccessibleInterface *> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return m_place % Columns; }
    int rowIndex() const override { return m_place / Columns; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface *table() const override { return parent(); }

    int place() const { return m_place; }

private:
    int day() const { return m_place - firstPlace(m_grid->month()) + 1; }
    bool isDay() const { return isValid() && day() >= 1 && day() <= m_grid->month().daysInMonth; }

    MonthGrid *m_grid; // outlives the cell: the grid's interface deletes its cells
    int m_place;
    int m_year;
    int m_month;
};

QAccessibleInterface *MonthGridAccessible::child(int index) const
{
    if (index < 0 || index >= childCount())
        return nullptr;
    if (index >= CellCount)
        return QAccessible::queryAccessibleInterface(controls().at(index - CellCount));
    const QDate shown(grid()->month().year, grid()->month().month, 1);
    if (shown != m_cellsMonth) {
        dropCells();
        m_cellsMonth = shown;
    }
    QAccessible::Id &id = m_cells[static_cast<std::size_t>(index)];
    if (!id)
        id = QAccessible::registerAccessibleInterface(new DayCellAccessible(grid(), index));
    return QAccessible::accessibleInterface(id);
}

int MonthGridAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    if (!child)
        return -1;
    if (child->role() == QAccessible::Cell) {
        auto *cell = dynamic_cast<const DayCellAccessible *>(child);
        return cell && cell->isValid() ? cell->place() : -1;
    }
    const qsizetype control = controls().indexOf(qobject_cast<QWidget *>(child->object()));
    return control < 0 ? -1 : CellCount + static_cast<int>(control);
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
    // Qt tells of the grid's own focus after focusInEvent; the day is told after that, once
    // the events of the moment are done, so that a screen reader's last word is the day.
    if (m_announcing)
        return;
    m_announcing = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_announcing = false;
            if (!hasFocus() || !QAccessible::isActive())
                return;
            QAccessibleInterface *grid = QAccessible::queryAccessibleInterface(this);
            QAccessibleInterface *cell = grid ? grid->focusChild() : nullptr;
            if (cell && cell->role() == QAccessible::Cell) {
                QAccessibleEvent event(cell, QAccessible::Focus);
                QAccessible::updateAccessibility(&event);
            }
        },
        Qt::QueuedConnection);
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

void MonthGrid::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // Back in the window (after a dialog, from another window) the day is told again: a screen
    // reader tells the window first and waits for what has the focus in it.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        announceFocus();
}

void MonthGrid::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update();
}

} // namespace velaria
