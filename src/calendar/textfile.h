#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// Plain text data files. Older copies wrote the Windows 8-bit code page, Linux editors write
// UTF-8: reading takes UTF-8 when the bytes are valid UTF-8 (a BOM is dropped) and
// Windows-1252 otherwise; writing uses Windows-1252 when every character fits, UTF-8 else.
namespace velaria {

QString decodeText(const QByteArray &bytes);
QByteArray encodeText(const QString &text);

// Splits at LF, dropping a CR before it. A final line end does not start another line.
QStringList splitLines(const QString &text);

// True when a file of exactly this name (letter case included) is in the folder.
bool fileExistsExactly(const QString &folder, const QString &name);

// All lines of a file, or nothing with an Italian description of the failure.
std::optional<QStringList> readTextLines(const QString &path, QString *error = nullptr);

// Writes every line followed by CR LF. The old file is replaced only when the whole new one
// was written; the folder is created if needed. Returns an empty text on success, otherwise
// an Italian description of the failure naming the file.
[[nodiscard]] QString writeTextLines(const QString &path, const QStringList &lines);

} // namespace velaria
