#include "calendarstate.h"
#include "datafiles.h"
#include "fontconfiguration.h"
#include "fonts.h"
#include "mainwindow.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#ifdef VELARIA_STARTUP_PROBE
#include <QTimer>

namespace {

// Built only into the start-up benchmark's copy of the program: quits once the month has
// been painted for the first time.
class QuitAfterFirstPaint : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            QTimer::singleShot(0, qApp, &QApplication::quit);
        return QObject::eventFilter(watched, event);
    }
};

} // namespace
#endif

int main(int argc, char *argv[])
{
    // The fonts' configuration is read while the application connects to the display.
    velaria::FontConfigurationLoader fontConfiguration;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velaria"));
    QApplication::setOrganizationName(QStringLiteral("Velaria"));
    QApplication::setApplicationVersion(velaria::programVersion());
    QApplication::setDesktopFileName(QStringLiteral("velaria"));
    velaria::installFontSubstitutions();

    // Qt's own dialog texts (OK, Annulla) in Italian, like every other text of the program.
    QTranslator qtItalian;
    if (qtItalian.load(QLocale(QLocale::Italian), QStringLiteral("qtbase"), QStringLiteral("_"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtItalian);

    velaria::CalendarState state(velaria::defaultDataFolder());
    state.load();

    fontConfiguration.wait();
    velaria::MainWindow window(state);
#ifdef VELARIA_STARTUP_PROBE
    QuitAfterFirstPaint probe;
    window.findChild<QWidget *>(QStringLiteral("picMonth"))->installEventFilter(&probe);
#endif
    window.show();
    return QApplication::exec();
}
