#pragma once

#include "monthview.h"

#include <QWidget>

namespace velaria {

// The month grid: paints the day numbers of a computed month, each centred in its cell in
// its colour. It keeps nothing drawn; every paint draws the whole month again.
class MonthGrid : public QWidget
{
    Q_OBJECT
public:
    explicit MonthGrid(QWidget *parent = nullptr);

    void setMonth(const MonthLayout &month, int cellWidth, int cellHeight);
    const MonthLayout &month() const { return m_month; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    MonthLayout m_month;
    int m_cellWidth = 0;
    int m_cellHeight = 0;
};

} // namespace velaria
