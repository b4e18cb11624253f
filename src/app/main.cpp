#include "calendarstate.h"
#include "datafiles.h"
#include "fontconfiguration.h"
#include "fonts.h"
#include "mainwindow.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

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
    window.show();
    return QApplication::exec();
}
