// The smallest Qt Widgets program that shows a window and paints it once: the yardstick for
// the calendar's start-up. With VELARIA_EXIT_AFTER_PAINT set it quits once its window is first
// painted, saying when that was.
#include "firstpaint.h"

#include <QApplication>
#include <QPainter>
#include <QWidget>

namespace {

class Bare : public QWidget
{
protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("1"));
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Bare window;
    window.resize(465, 420);
    QuitAfterFirstPaint probe;
    if (qEnvironmentVariableIsSet("VELARIA_EXIT_AFTER_PAINT"))
        window.installEventFilter(&probe);
    window.show();
    return QApplication::exec();
}
