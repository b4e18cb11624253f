#pragma once

#include <QImage>
#include <QRectF>
#include <QSize>
#include <QString>

#include <functional>

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

// A bitmap's pixels as its writer asks for them, from the last row up: `row(y)` gives row y's
// RGB32 pixels, which stay valid until the next row is asked for.
struct BitmapRows
{
    QSize size;
    int dotsPerMeterX = 0; // 0: 72 dots per inch
    int dotsPerMeterY = 0;
    std::function<const quint32 *(int y)> row;
};

// The same for a bitmap whose rows are made as they are written.
[[nodiscard]] QString saveBitmap(const BitmapRows &rows, const QString &path);

// The text in double quotes, a path with the system's separators: how messages name a file, a
// folder or a printer.
QString quoted(const QString &text);

// What printing says when the system has no default printer.
QString noDefaultPrinterMessage();

// The folder "Salva Pagina" writes to: the user's desktop, or an empty text when there is none.
QString desktopFolder();

} // namespace velaria
