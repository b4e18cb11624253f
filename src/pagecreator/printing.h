#pragma once

#include "pagecontent.h"

#include <QImage>
#include <QString>

// Printing a composed page from the page window.
namespace velaria {

// Prints the image as one job of one page on the system's default printer, on the sheet's
// paper, stretched into the sheet's place. Returns an empty text on success, otherwise an
// Italian description of the failure (also when there is no default printer).
[[nodiscard]] QString printPage(const QImage &page, const SheetPlacement &sheet);

} // namespace velaria
