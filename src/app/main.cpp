#include "datafiles.h"
#include "fonts.h"
#include "mainwindow.h"
#include "windowstate.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velaria"));
    QApplication::setOrganizationName(QStringLiteral("Velaria"));
    QApplication::setApplicationVersion(QStringLiteral("1.0.9"));
    QApplication::setDesktopFileName(QStringLiteral("velaria"));

    velaria::InstallFontSubstitutions();

    velaria::WindowState state;
    state.dataFolder = velaria::DefaultDataFolder();
    state.makerHost = velaria::MakerHost();

    velaria::MainWindow window(state);
    window.show();
    return QApplication::exec();
}
