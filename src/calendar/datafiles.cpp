#include "datafiles.h"

#include "buildconfig.h"
#include "textfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
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

PictureList PictureListFromLines(const QStringList &lines, const QString &path)
{
    PictureList list;
    const qsizetype count = std::min<qsizetype>(lines.size(), qsizetype(list.paths.size()));
    for (qsizetype n = 0; n < count; ++n)
        list.paths[static_cast<std::size_t>(n)] = lines.at(n);
    if (lines.size() > count)
        list.error = QStringLiteral("Il file \"%1\" ha più di dodici righe: le righe oltre la "
                                    "dodicesima non sono state lette")
                         .arg(QDir::toNativeSeparators(path));
    return list;
}

PictureList ReadPictureList(const QString &folder)
{
    const QString path = QDir(folder).filePath(PictureListFileName);
    if (!FileExistsExactly(folder, PictureListFileName)) {
        PictureList missing;
        missing.error = QStringLiteral("Impossibile leggere il file \"%1\": il file non esiste")
                            .arg(QDir::toNativeSeparators(path));
        return missing;
    }
    QString error;
    const std::optional<QStringList> lines = ReadTextLines(path, &error);
    if (!lines) {
        PictureList unreadable;
        unreadable.error = error;
        return unreadable;
    }
    return PictureListFromLines(*lines, path);
}

QString ReadBanner(const QString &folder, const QString &makerHost)
{
    if (!FileExistsExactly(folder, BannerFileName))
        return QStringLiteral("Programma Velaria - http://%1/").arg(makerHost);
    // Only the first line is read, and only its first BannerByteLimit bytes: a huge file
    // costs no more than a short one.
    QFile file(QDir(folder).filePath(BannerFileName));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray line = file.read(BannerByteLimit + 3);
    if (const qsizetype end = line.indexOf('\n'); end >= 0)
        line.truncate(end);
    // Past the limit only the rest of a UTF-8 letter that the limit cuts is kept.
    qsizetype keep = std::min(line.size(), BannerByteLimit);
    while (keep < line.size() && (static_cast<unsigned char>(line.at(keep)) & 0xC0) == 0x80)
        ++keep;
    line.truncate(keep);
    const QStringList lines = SplitLines(DecodeText(line));
    return lines.isEmpty() ? QString() : lines.first();
}

} // namespace velaria
