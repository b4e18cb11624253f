#pragma once

#include <QString>
#include <QStringList>

#include <array>

// The three data files and the folder that holds them.
namespace velaria {

inline const QString RecurrenceFileName = QStringLiteral("Ricorrenze.txt");
inline const QString PictureListFileName = QStringLiteral("Immagini.txt");
inline const QString BannerFileName = QStringLiteral("pubblicita.txt");

// The folder of the data files: the program's own folder when it is writable (a portable
// copy), otherwise the user's application-data folder.
QString DefaultDataFolder();

// The maker's web site, as set when the program was built.
QString MakerHost();

// The non-empty lines of the recurrence file; none when the file is missing.
QStringList ReadRecurrenceLines(const QString &folder);

// Writes the recurrence lines whole; empty text on success, otherwise why it failed.
QString SaveRecurrenceLines(const QString &folder, const QStringList &lines);

// The picture list as the page window's twelve boxes take it: line k of the file is the path
// of the picture of month k.
struct PictureList
{
    std::array<QString, 12> paths; // January first; empty where the file has no such line
    QString error; // Italian, naming the file: it is missing, unreadable or too long
};

// The twelve paths from the lines of the picture list file at `path`; lines past the twelfth
// are not read and are reported.
PictureList PictureListFromLines(const QStringList &lines, const QString &path);

// The picture list file of the folder, read into the twelve paths.
PictureList ReadPictureList(const QString &folder);

// The longest banner read, in bytes: far more than one printed line holds.
inline constexpr qsizetype BannerByteLimit = 4096;

// The banner: the first line of the banner file (empty when the file has none), cut after
// BannerByteLimit bytes (a letter that the cut falls in is kept whole), or "Programma Velaria - "
// and the maker's address when there is no such file.
QString ReadBanner(const QString &folder, const QString &makerHost);

} // namespace velaria
