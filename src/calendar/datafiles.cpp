#include "datafiles.h"

#include "buildconfig.h"
#include "textfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace velaria {

namespace {
// Beside the programs of a portable copy; the build writes it, an installation leaves it out.
const QString PortableMarker = QStringLiteral("portable");
} // namespace

QString defaultDataFolder()
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    if (!programFolder.isEmpty() &&
        QFileInfo(QDir(programFolder).filePath(PortableMarker)).isFile())
        return programFolder;
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QString makerHost()
{
    return QStringLiteral(VELARIA_MAKER_HOST);
}

QString programVersion()
{
    return QStringLiteral(VELARIA_VERSION);
}

RecurrenceLines readRecurrenceLines(const QString &folder)
{
    const QString path = QDir(folder).filePath(RecurrenceFileName);
    RecurrenceLines result;
    if (!QFileInfo::exists(path))
        return result;
    if (!fileExistsExactly(folder, RecurrenceFileName)) {
        result.error = QStringLiteral("Impossibile leggere il file \"%1\": non è un file")
                           .arg(QDir::toNativeSeparators(path));
        return result;
    }
    const std::optional<QStringList> lines = readTextLines(path, &result.error);
    if (lines) {
        result.lines = *lines;
        result.lines.removeAll(QString());
    }
    return result;
}

QString saveRecurrenceLines(const QString &folder, const QStringList &lines)
{
    return writeTextLines(QDir(folder).filePath(RecurrenceFileName), lines);
}

PictureList pictureListFromLines(const QStringList &lines, const QString &path)
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

PictureList readPictureList(const QString &folder)
{
    const QString path = QDir(folder).filePath(PictureListFileName);
    if (!fileExistsExactly(folder, PictureListFileName)) {
        PictureList missing;
        missing.missing = true;
        missing.error = QStringLiteral("Impossibile leggere il file \"%1\": il file non esiste")
                            .arg(QDir::toNativeSeparators(path));
        return missing;
    }
    QString error;
    const std::optional<QStringList> lines = readTextLines(path, &error);
    if (!lines) {
        PictureList unreadable;
        unreadable.error = error;
        return unreadable;
    }
    return pictureListFromLines(*lines, path);
}

QString savePictureList(const QString &folder, const std::array<QString, 12> &paths)
{
    return writeTextLines(QDir(folder).filePath(PictureListFileName),
                          QStringList(paths.begin(), paths.end()));
}

QString readBanner(const QString &folder, const QString &makerHost)
{
    if (!fileExistsExactly(folder, BannerFileName))
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
    const QStringList lines = splitLines(decodeText(line));
    return lines.isEmpty() ? QString() : lines.first();
}

} // namespace velaria
