#pragma once

#include <QString>
#include <QStringList>

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

// The banner: the first line of the banner file (empty when the file has none), or
// "Programma Velaria - " and the maker's address when there is no such file.
QString ReadBanner(const QString &folder, const QString &makerHost);

} // namespace velaria
