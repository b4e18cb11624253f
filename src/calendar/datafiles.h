#pragma once

#include <QString>
#include <QStringList>

#include <array>

// The three data files and the folder that holds them.
namespace velaria {

inline const QString RecurrenceFileName = QStringLiteral("Ricorrenze.txt");
inline const QString PictureListFileName = QStringLiteral("Immagini.txt");
inline const QString BannerFileName = QStringLiteral("pubblicita.txt");

// The folder of the data files: beside the program for a portable copy (a build, or a copy
// whose folder holds the marker file "portable"), otherwise the user's application-data
// folder. An installed program never keeps its data in the system's program folder.
QString defaultDataFolder();

// The maker's web site, as set when the program was built.
QString makerHost();

// The program's version, as set when the program was built.
QString programVersion();

// The recurrence file's non-empty lines. A missing file is an empty list; a file that is
// there but cannot be read gives no lines and an Italian description naming the file.
struct RecurrenceLines
{
    QStringList lines;
    QString error;
};
RecurrenceLines readRecurrenceLines(const QString &folder);

// Writes the recurrence lines whole; empty text on success, otherwise why it failed.
[[nodiscard]] QString saveRecurrenceLines(const QString &folder, const QStringList &lines);

// The picture list as the page window's twelve boxes take it: line k of the file is the path
// of the picture of month k.
struct PictureList
{
    std::array<QString, 12> paths; // January first; empty where the file has no such line
    QString error;        // Italian, naming the file: it is missing, unreadable or too long
    bool missing = false; // there is no picture list yet: no picture was ever chosen
};

// The twelve paths from the lines of the picture list file at `path`; lines past the twelfth
// are not read and are reported.
PictureList pictureListFromLines(const QStringList &lines, const QString &path);

// The picture list file of the folder, read into the twelve paths.
PictureList readPictureList(const QString &folder);

// Writes the twelve paths, one a line; empty text on success, otherwise why it failed.
[[nodiscard]] QString savePictureList(const QString &folder, const std::array<QString, 12> &paths);

// The longest banner read, in bytes: far more than one printed line holds.
inline constexpr qsizetype BannerByteLimit = 4096;

// The banner: the first line of the banner file (empty when the file has none), cut after
// BannerByteLimit bytes (a letter that the cut falls in is kept whole), or "Programma Velaria - "
// and the maker's address when there is no such file.
QString readBanner(const QString &folder, const QString &makerHost);

} // namespace velaria
