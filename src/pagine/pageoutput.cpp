#include "pageoutput.h"

#include "printing.h"

#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>

namespace velaria {

namespace {

// The resolution of the printer path (QPrinter::HighResolution), so a PDF page is laid out in
// the same units as a printed one.
constexpr int PdfResolution = 1200;

// The margins that Qt gives a PDF printer: the printable area is the sheet less 10 points on
// every side.
constexpr double PdfMarginPoints = 10.0;

QString quoted(const QString &text)
{
    return QStringLiteral("\"%1\"").arg(QDir::toNativeSeparators(text));
}

} // namespace

PageOutput::PageOutput(const PagineOptions &options) : m_options(options) {}

PageOutput::~PageOutput()
{
    abandon();
}

QString PageOutput::destination() const
{
    switch (m_options.target) {
    case PageTarget::Pdf:
        return QStringLiteral("il PDF %1").arg(quoted(m_options.pdfPath));
    case PageTarget::Bitmaps:
        return QStringLiteral("la cartella %1").arg(quoted(m_options.bitmapFolder));
    case PageTarget::Printer:
        return m_printerName.isEmpty()
                   ? QStringLiteral("la stampante predefinita")
                   : QStringLiteral("la stampante %1").arg(quoted(m_printerName));
    }
    return {};
}

QString PageOutput::open()
{
    const SheetPlacement sheet = m_options.sheet();
    switch (m_options.target) {
    case PageTarget::Pdf: {
        // The PDF replaces an older one of the same name only when it is whole.
        m_file = std::make_unique<QSaveFile>(m_options.pdfPath);
        if (!m_file->open(QIODevice::WriteOnly)) {
            const QString folder = QFileInfo(m_options.pdfPath).absolutePath();
            m_file.reset();
            return QStringLiteral("Impossibile scrivere il PDF %1: la cartella %2 non esiste o "
                                  "non è scrivibile.")
                .arg(quoted(m_options.pdfPath), quoted(folder));
        }
        m_pdf = std::make_unique<QPdfWriter>(m_file.get());
        m_pdf->setResolution(PdfResolution);
        m_pdf->setPageLayout(QPageLayout(
            QPageSize(sheet.paper), QPageLayout::Portrait,
            QMarginsF(PdfMarginPoints, PdfMarginPoints, PdfMarginPoints, PdfMarginPoints),
            QPageLayout::Point));
        m_pdf->setTitle(QStringLiteral("Calendario %1").arg(m_options.year));
        m_pdf->setCreator(QStringLiteral("Velaria"));
        if (!m_painter.begin(m_pdf.get())) {
            abandon();
            return QStringLiteral("Impossibile scrivere il PDF %1.").arg(quoted(m_options.pdfPath));
        }
        return {};
    }
    case PageTarget::Bitmaps: {
        const QFileInfo folder(m_options.bitmapFolder);
        if ((folder.exists() && !folder.isDir()) || !QDir().mkpath(m_options.bitmapFolder)) {
            return QStringLiteral("Impossibile creare la cartella %1 per le bitmap.")
                .arg(quoted(m_options.bitmapFolder));
        }
        return {};
    }
    case PageTarget::Printer: {
        DefaultPrinter target =
            OpenDefaultPrinter(sheet.paper, QStringLiteral("Calendario %1").arg(m_options.year));
        if (!target.printer)
            return target.error;
        m_printer = std::move(target.printer);
        m_printerName = m_printer->printerName();
        if (!m_painter.begin(m_printer.get())) {
            abandon();
            return QStringLiteral("Impossibile avviare la stampa su %1.")
                .arg(quoted(m_printerName));
        }
        return {};
    }
    }
    return {};
}

QString PageOutput::add(const QImage &canvas, const QString &name)
{
    if (m_options.target == PageTarget::Bitmaps) {
        const QString error = SaveBitmap(
            canvas, QDir(m_options.bitmapFolder).filePath(name + QStringLiteral(".bmp")));
        if (error.isEmpty())
            ++m_pages;
        return error;
    }

    QPagedPaintDevice *device = m_pdf ? static_cast<QPagedPaintDevice *>(m_pdf.get())
                                      : static_cast<QPagedPaintDevice *>(m_printer.get());
    if (!device || !m_painter.isActive())
        return QStringLiteral("La pagina di %1 non è stata scritta: l'uscita non è aperta.")
            .arg(name);
    if (m_pages > 0 && !device->newPage()) {
        abandon();
        return QStringLiteral("Impossibile cominciare una nuova pagina su %1.").arg(destination());
    }
    PaintPageOn(m_painter, canvas, m_options.sheet().place);
    ++m_pages;
    return {};
}

QString PageOutput::close()
{
    if (m_pdf) {
        const bool painted = m_painter.end();
        m_pdf.reset();
        if (!painted || !m_file->commit()) {
            m_file.reset();
            return QStringLiteral("Il PDF %1 non è stato scritto per intero (disco pieno?).")
                .arg(quoted(m_options.pdfPath));
        }
        m_file.reset();
    }
    if (m_printer) {
        const bool painted = m_painter.end();
        const bool failed = !painted || m_printer->printerState() == QPrinter::Error;
        m_printer.reset();
        if (failed) {
            return QStringLiteral("La stampa su %1 non è stata completata.")
                .arg(quoted(m_printerName));
        }
    }
    return {};
}

void PageOutput::abandon()
{
    if (m_printer && m_painter.isActive())
        m_printer->abort();
    if (m_painter.isActive())
        m_painter.end();
    m_pdf.reset();
    m_printer.reset();
    if (m_file) {
        m_file->cancelWriting();
        m_file.reset();
    }
}

} // namespace velaria
