#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QWidget>

// Small controls that report the mouse as the windows need it.
namespace velaria {

// A label that reports presses (with the buttons held) and double clicks.
class ClickLabel : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void pressed(Qt::MouseButtons buttons, QPoint position);
    void clicked();
    void doubleClicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
};

// An invisible area that reports where it was pressed.
class ClickArea : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;

signals:
    void pressed(Qt::MouseButton button, QPoint position);

protected:
    void mousePressEvent(QMouseEvent *event) override;
};

// A frame with a caption that can be clicked, or given the focus and pressed with Enter or Space.
class ClickFrame : public QGroupBox
{
    Q_OBJECT
public:
    using QGroupBox::QGroupBox;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};

} // namespace velaria
