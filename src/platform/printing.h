#pragma once

#include <QImage>
#include <QPageSize>
#include <QRectF>
#include <QString>

// Printing a composed page and saving it as a bitmap.
namespace velaria {

// Prints the image as one job of one page on the system's default printer, on the given
// paper, stretched into `place` (twips, relative to the top-left corner of the printable
// area). Returns an empty text on success, otherwise an Italian description of the failure
// (also when there is no default printer).
QString StampaPagina(const QImage &page, QPageSize::PageSizeId paper, const QRectF &place);

// The user's desktop folder with a trailing separator, or an empty text when there is none.
QString CartellaSpeciale();

// Saves the image as a Windows bitmap, replacing an existing file only when the new one was
// written whole. Returns an empty text on success, otherwise an Italian description of the
// failure that names the file.
QString SaveBitmap(const QImage &image, const QString &path);

} // namespace velaria
