#pragma once

#include "monthview.h"

#include <QPointer>
#include <QWidget>

namespace velaria {

// The month grid: paints the day numbers of a computed month, each centred in its cell in
// its colour, and the keyboard's day with a focus mark. Arrow keys ask to move that day.
// Screen readers see the grid as a table of six weeks, each day named with its date and marks.
class MonthGrid : public QWidget
{
    Q_OBJECT
public:
    explicit MonthGrid(QWidget *parent = nullptr);

    void setMonth(const MonthModel &month, int focusDay);
    void setFocusDay(int day);
    const MonthModel &month() const { return m_month; }
    int focusDay() const { return m_focusDay; }

    // The cell of a day, in pixels of the grid.
    QRect cellRect(int day) const;

    // The month's caption, which screen readers take for the table's.
    void setCaptionLabel(QWidget *caption) { m_caption = caption; }
    QWidget *captionLabel() const { return m_caption; }

signals:
    void dayStepRequested(int days);

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void announceFocus();

    MonthModel m_month;
    int m_focusDay = 1;
    QPointer<QWidget> m_caption;
    bool m_announcing = false; // a focus announcement is on its way
};

} // namespace velaria
