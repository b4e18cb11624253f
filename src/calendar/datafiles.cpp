#include "datafiles.h"

#include "buildconfig.h"
#include "textfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace velaria {

QString DefaultDataFolder()
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    if (!programFolder.isEmpty() && QFileInfo(programFolder).isWritable())
        return programFolder;
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QString MakerHost()
{
    return QStringLiteral(VELARIA_MAKER_HOST);
}

QStringList ReadRecurrenceLines(const QString &folder)
{
    if (!FileExistsExactly(folder, RecurrenceFileName))
        return {};
    QStringList lines =
        ReadTextLines(QDir(folder).filePath(RecurrenceFileName)).value_or(QStringList());
    lines.removeAll(QString());
    return lines;
}

QString SaveRecurrenceLines(const QString &folder, const QStringList &lines)
{
    return WriteTextLines(QDir(folder).filePath(RecurrenceFileName), lines);
}

QString ReadBanner(const QString &folder, const QString &makerHost)
{
    if (!FileExistsExactly(folder, BannerFileName))
        return QStringLiteral("Programma Velaria - http://%1/").arg(makerHost);
    const std::optional<QStringList> lines = ReadTextLines(QDir(folder).filePath(BannerFileName));
    if (!lines || lines->isEmpty())
        return {};
    return lines->first();
}

} // namespace velaria
