#include "textfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace velaria {

namespace {

const char *const LegacyCodePage = "windows-1252";

QString fileError(const QString &what, const QString &path, const QString &reason)
{
    return QStringLiteral("%1 \"%2\": %3").arg(what, QDir::toNativeSeparators(path), reason);
}

} // namespace

QString decodeText(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text; // the decoder drops a leading BOM itself
    QStringDecoder legacy(LegacyCodePage);
    if (legacy.isValid())
        return legacy(bytes);
    return QString::fromLatin1(bytes);
}

QByteArray encodeText(const QString &text)
{
    QStringEncoder legacy(LegacyCodePage);
    if (legacy.isValid()) {
        QByteArray bytes = legacy(text);
        if (!legacy.hasError())
            return bytes;
    }
    return text.toUtf8();
}

QStringList splitLines(const QString &text)
{
    QStringList lines = text.split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // the line end of the last line
    for (QString &line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
    }
    return lines;
}

bool fileExistsExactly(const QString &folder, const QString &name)
{
    const QDir dir(folder);
    if (!QFileInfo(dir.filePath(name)).isFile())
        return false;
    // On a file system that ignores letter case the name found may be spelt differently.
    return dir.entryList({name}, QDir::Files | QDir::Hidden | QDir::System | QDir::CaseSensitive)
        .contains(name);
}

std::optional<QStringList> readTextLines(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error =
                fileError(QStringLiteral("Impossibile leggere il file"), path, file.errorString());
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error =
                fileError(QStringLiteral("Impossibile leggere il file"), path, file.errorString());
        return std::nullopt;
    }
    return splitLines(decodeText(bytes));
}

QString writeTextLines(const QString &path, const QStringList &lines)
{
    const QString what = QStringLiteral("Impossibile salvare il file");
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath()))
        return fileError(what, path, QStringLiteral("la cartella non può essere creata"));

    QString text;
    for (const QString &line : lines) {
        text += line;
        text += QStringLiteral("\r\n");
    }
    const QByteArray bytes = encodeText(text);

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fileError(what, path, file.errorString());
    // A small write stays in the buffer until the commit, which does not report a short
    // write itself: flush first so that a full disk is seen here.
    // The system's description of a failed write is English, and on a full disk often only
    // "Unknown error".
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        return fileError(what, path, QStringLiteral("errore di scrittura (disco pieno?)"));
    }
    if (!file.commit())
        return fileError(what, path, file.errorString());
    return {};
}

} // namespace velaria
