#pragma once

#include <QImage>
#include <QPageSize>
#include <QPrinter>
#include <QRectF>
#include <QString>

#include <memory>

class QPainter;

// Printing a composed page and saving it as a bitmap.
namespace velaria {

// Prints the image as one job of one page on the system's default printer, on the given
// paper, stretched into `place` (twips, relative to the top-left corner of the printable
// area). Returns an empty text on success, otherwise an Italian description of the failure
// (also when there is no default printer).
QString StampaPagina(const QImage &page, QPageSize::PageSizeId paper, const QRectF &place);

// The system's default printer set up for pages on `paper`, each page painted from the
// corner of the printable area; or no printer and an Italian description of why not.
struct DefaultPrinter
{
    std::unique_ptr<QPrinter> printer;
    QString error;
};
DefaultPrinter OpenDefaultPrinter(QPageSize::PageSizeId paper, const QString &documentName);

// Paints the page stretched into `place`, in twips from the painter's origin: the corner of
// the printable area on a printer that does not paint the full page, the corner inside the
// margins on a PDF writer. The device's resolution turns twips into its units.
void PaintPageOn(QPainter &painter, const QImage &page, const QRectF &place);

// The user's desktop folder with a trailing separator, or an empty text when there is none.
QString CartellaSpeciale();

// Saves the image as a Windows bitmap, replacing an existing file only when the new one was
// written whole. Returns an empty text on success, otherwise an Italian description of the
// failure that names the file.
QString SaveBitmap(const QImage &image, const QString &path);

} // namespace velaria
