// Writes the program's icon, as drawn by the program itself, into a hicolor icon theme tree:
//   velaria_icons <folder> <size>...
// makes <folder>/<size>x<size>/apps/velaria.png for every size. Run by the build.
#include "appicon.h"

#include <QDir>
#include <QGuiApplication>
#include <QImageWriter>
#include <QSaveFile>
#include <QTextStream>

namespace {

int fail(const QString &message)
{
    QTextStream(stderr) << "velaria_icons: " << message << '\n';
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    // Drawing needs no screen: the build may run without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 3)
        return fail(QStringLiteral("uso: velaria_icons <cartella> <dimensione>..."));

    const QDir theme(arguments.at(1));
    for (qsizetype i = 2; i < arguments.size(); ++i) {
        bool ok = false;
        const int size = arguments.at(i).toInt(&ok);
        if (!ok || size < 1 || size > 1024)
            return fail(QStringLiteral("dimensione non valida: %1").arg(arguments.at(i)));
        const QString folder = theme.filePath(QStringLiteral("%1x%1/apps").arg(size));
        if (!QDir().mkpath(folder))
            return fail(QStringLiteral("impossibile creare %1").arg(folder));
        QSaveFile file(QDir(folder).filePath(QStringLiteral("velaria.png")));
        if (!file.open(QIODevice::WriteOnly))
            return fail(file.fileName() + QStringLiteral(": ") + file.errorString());
        QImageWriter writer(&file, "png");
        if (!writer.write(velaria::velariaIconImage(size)) || !file.commit())
            return fail(file.fileName() + QStringLiteral(": ") + writer.errorString() +
                        file.errorString());
    }
    return 0;
}
