#include "calendarstate.h"
#include "datafiles.h"
#include "fontconfiguration.h"
#include "fonts.h"
#include "lightpalette.h"
#include "mainwindow.h"
#include "webwindowlauncher.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char *argv[])
{
    // The fonts' configuration is read while the application connects to the display.
    velaria::FontConfigurationLoader fontConfiguration;
    velaria::WebWindowLauncher::prepareApplication();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velaria"));
    QApplication::setOrganizationName(QStringLiteral("Velaria"));
    QApplication::setApplicationVersion(velaria::programVersion());
    QApplication::setDesktopFileName(QStringLiteral("velaria"));
    velaria::installFontSubstitutions();
    // Every window, dialog and menu in the colours it was made for, whatever the desktop's theme.
    QApplication::setPalette(velaria::lightPalette());

    // Italian whatever the system's language, as every text of the program: numbers and dates
    // in Qt's dialogs, and the browser engine's own pages (a page that cannot be loaded).
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
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
