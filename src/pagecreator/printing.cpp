#include "printing.h"

#include "pagefiles.h"

#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include <memory>

namespace velaria {

namespace {

// The system's default printer set up for pages on `paper`, each page painted from the
// corner of the printable area; or no printer and an Italian description of why not.
struct DefaultPrinter
{
    std::unique_ptr<QPrinter> printer;
    QString error;
};

DefaultPrinter openDefaultPrinter(QPageSize::PageSizeId paper, const QString &documentName)
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
        return {nullptr, noDefaultPrinterMessage()};
    }
    const QString name = quoted(info.printerName());

    auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    if (!printer->isValid())
        return {nullptr,
                QStringLiteral("La stampante predefinita %1 non è disponibile.").arg(name)};

    const QPageSize size(paper);
    if (!size.isValid() || !printer->setPageSize(size) ||
        !printer->pageLayout().pageSize().isEquivalentTo(size)) {
        return {
            nullptr,
            QStringLiteral("La stampante %1 non accetta il formato %2.").arg(name, size.name())};
    }
    // The place is measured from the corner of the printable area, as the painter's origin is
    // when the printer does not paint the full page.
    printer->setFullPage(false);
    printer->setCopyCount(1);
    printer->setDocName(documentName);
    return {std::move(printer), {}};
}

} // namespace

QString printPage(const QImage &page, const SheetPlacement &sheet)
{
    if (page.isNull())
        return QStringLiteral("Non c'è nessuna pagina da stampare: l'immagine è vuota.");
    if (!sheet.place.isValid())
        return QStringLiteral("La posizione della pagina sul foglio non è valida.");

    const DefaultPrinter target =
        openDefaultPrinter(sheet.paper, QStringLiteral("Pagina del calendario"));
    if (!target.printer)
        return target.error;
    QPrinter &printer = *target.printer;
    const QString name = quoted(printer.printerName());

    QPainter painter;
    if (!painter.begin(&printer))
        return QStringLiteral("Impossibile avviare la stampa su %1.").arg(name);
    paintPageInto(painter, page, sheet.place);
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        return QStringLiteral("La stampa su %1 non è stata completata.").arg(name);
    return {};
}

} // namespace velaria
