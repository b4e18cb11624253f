// The smallest Qt Widgets program that shows a window and paints it once: the yardstick for
// the calendar's start-up. With VELARIA_EXIT_AFTER_PAINT set it quits after its first paint.
#include <QApplication>
#include <QPainter>
#include <QTimer>
#include <QWidget>

namespace {

class Bare : public QWidget
{
protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("1"));
        if (qEnvironmentVariableIsSet("VELARIA_EXIT_AFTER_PAINT"))
            QTimer::singleShot(0, qApp, &QApplication::quit);
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Bare window;
    window.resize(465, 420);
    window.show();
    return QApplication::exec();
}
