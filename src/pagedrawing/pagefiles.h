#pragma once

#include <QImage>
#include <QRectF>
#include <QString>

class QPainter;

// A composed page leaves the program as a bitmap file or painted on a sheet.
namespace velaria {

// Paints the page stretched into `place`, in twips from the painter's origin: the corner of
// the printable area on a printer that does not paint the full page, the corner inside the
// margins on a PDF writer. The device's resolution turns twips into its units.
void paintPageInto(QPainter &painter, const QImage &page, const QRectF &place);

// Saves the image as a Windows bitmap, replacing an existing file only when the new one was
// written whole. Returns an empty text on success, otherwise an Italian description of the
// failure that names the file.
[[nodiscard]] QString saveBitmap(const QImage &image, const QString &path);

// The folder "Salva Pagina" writes to: the user's desktop, or an empty text when there is none.
QString desktopFolder();

} // namespace velaria
