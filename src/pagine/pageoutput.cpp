#include "pageoutput.h"

#include "pagecomposer.h"
#include "pagefiles.h"

#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QPageLayout>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTemporaryFile>

#include <cups/cups.h>

#include <optional>

namespace velaria {

namespace {

// The resolution of a printer's pages, so a PDF page is laid out in the same units as a
// printed one.
constexpr int PdfResolution = 1200;
constexpr double TwipsPerInch = 1440.0;

// The margins that Qt gives a PDF printer: the printable area is the sheet less 10 points on
// every side.
constexpr double PdfMarginPoints = 10.0;

QString jobTitle(int year)
{
    return QStringLiteral("Calendario %1").arg(year);
}

const QString NoSpooler = QStringLiteral(
    "Impossibile stampare: manca la libreria del sistema di stampa CUPS (libcups2).");

// The spooler's library, loaded at the first print. Loading it and the libraries it needs took
// a fifth of the program's start, which pages made as bitmaps or a PDF do not need.
struct Cups
{
    decltype(&::cupsGetNamedDest) getNamedDest;
    decltype(&::cupsFreeDests) freeDests;
    decltype(&::cupsAddOption) addOption;
    decltype(&::cupsFreeOptions) freeOptions;
    decltype(&::cupsPrintFile2) printFile2;
    decltype(&::cupsLastErrorString) lastErrorString;
};

// The library's functions; null when it or one of them is missing.
const Cups *cups()
{
    static const std::optional<Cups> loaded = []() -> std::optional<Cups> {
        QLibrary library(QStringLiteral("cups"), 2);
        const auto function = [&library](const char *name) { return library.resolve(name); };
        const Cups found{
            reinterpret_cast<decltype(&::cupsGetNamedDest)>(function("cupsGetNamedDest")),
            reinterpret_cast<decltype(&::cupsFreeDests)>(function("cupsFreeDests")),
            reinterpret_cast<decltype(&::cupsAddOption)>(function("cupsAddOption")),
            reinterpret_cast<decltype(&::cupsFreeOptions)>(function("cupsFreeOptions")),
            reinterpret_cast<decltype(&::cupsPrintFile2)>(function("cupsPrintFile2")),
            reinterpret_cast<decltype(&::cupsLastErrorString)>(function("cupsLastErrorString"))};
        if (!found.getNamedDest || !found.freeDests || !found.addOption || !found.freeOptions ||
            !found.printFile2 || !found.lastErrorString) {
            return std::nullopt;
        }
        return found;
    }();
    return loaded ? &*loaded : nullptr;
}

// The spooler's default destination, freed when it goes.
struct DefaultDestination
{
    explicit DefaultDestination(const Cups &library)
        : api(library), dest(library.getNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr))
    {}
    ~DefaultDestination()
    {
        if (dest)
            api.freeDests(1, dest);
    }
    DefaultDestination(const DefaultDestination &) = delete;
    DefaultDestination &operator=(const DefaultDestination &) = delete;

    QString name() const
    {
        if (!dest)
            return {};
        QString text = QString::fromLocal8Bit(dest->name);
        if (dest->instance)
            text += u'/' + QString::fromLocal8Bit(dest->instance);
        return text;
    }

    const Cups &api;
    cups_dest_t *dest;
};

// Sends the PDF file to the default destination as one job; an empty text when the spooler
// took it, otherwise an Italian description.
QString submitToDefaultPrinter(const Cups &api, const QString &pdfPath, const QString &title,
                               QPageSize::PageSizeId paper)
{
    const DefaultDestination target(api);
    if (!target.dest)
        return noDefaultPrinterMessage();
    cups_option_t *options = nullptr;
    int optionCount = 0;
    for (int i = 0; i < target.dest->num_options; ++i)
        optionCount = api.addOption(target.dest->options[i].name, target.dest->options[i].value,
                                    optionCount, &options);
    optionCount =
        api.addOption("media", paper == QPageSize::A3 ? "A3" : "A4", optionCount, &options);
    const int job =
        api.printFile2(CUPS_HTTP_DEFAULT, target.dest->name, QFile::encodeName(pdfPath).constData(),
                       title.toUtf8().constData(), optionCount, options);
    api.freeOptions(optionCount, options);
    if (job > 0)
        return {};
    QString reason = QString::fromUtf8(api.lastErrorString()).trimmed();
    while (reason.endsWith(u'.'))
        reason.chop(1);
    return QStringLiteral("La stampante %1 ha rifiutato il lavoro di stampa: %2.")
        .arg(quoted(target.name()), reason);
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

QString PageOutput::beginPdf()
{
    const SheetPlacement sheet = m_options.sheet();
    m_pdf = std::make_unique<QPdfWriter>(m_file.get());
    m_pdf->setResolution(PdfResolution);
    m_pdf->setPageLayout(
        QPageLayout(QPageSize(sheet.paper), QPageLayout::Portrait,
                    QMarginsF(PdfMarginPoints, PdfMarginPoints, PdfMarginPoints, PdfMarginPoints),
                    QPageLayout::Point));
    m_pdf->setTitle(jobTitle(m_options.year));
    m_pdf->setCreator(QStringLiteral("Velaria"));
    if (!m_painter.begin(m_pdf.get())) {
        abandon();
        return QStringLiteral("Impossibile scrivere il PDF %1.").arg(quoted(m_file->fileName()));
    }
    return {};
}

QString PageOutput::open()
{
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
        return beginPdf();
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
        // Without a default printer nothing is composed.
        const Cups *api = cups();
        if (!api)
            return NoSpooler;
        const DefaultDestination target(*api);
        if (!target.dest)
            return noDefaultPrinterMessage();
        m_printerName = target.name();
        auto file = std::make_unique<QTemporaryFile>(
            QDir(QDir::tempPath()).filePath(QStringLiteral("velaria-pagine-XXXXXX.pdf")));
        if (!file->open()) {
            return QStringLiteral("Impossibile creare il file temporaneo della stampa nella "
                                  "cartella %1.")
                .arg(quoted(QDir::tempPath()));
        }
        m_file = std::move(file);
        return beginPdf();
    }
    }
    return {};
}

QString PageOutput::add(ExportPage &page, const QString &name)
{
    return saveBitmap(page.bitmapRows(),
                      QDir(m_options.bitmapFolder).filePath(name + QStringLiteral(".bmp")));
}

QString PageOutput::add(const PageContent &page, const QString &name)
{
    if (!m_pdf || !m_painter.isActive())
        return QStringLiteral("La pagina di %1 non è stata scritta: l'uscita non è aperta.")
            .arg(name);
    if (m_pages > 0 && !m_pdf->newPage()) {
        abandon();
        return QStringLiteral("Impossibile cominciare una nuova pagina su %1.").arg(destination());
    }
    // The page's place on the sheet, in the device's units: as printing places it.
    const QRectF place = m_options.sheet().place;
    const double scale = PdfResolution / TwipsPerInch;
    paintPage(m_painter, page,
              QRectF(place.x() * scale, place.y() * scale, place.width() * scale,
                     place.height() * scale));
    ++m_pages;
    return {};
}

QString PageOutput::close()
{
    if (!m_pdf)
        return {};
    const bool painted = m_painter.end();
    m_pdf.reset();
    if (m_options.target == PageTarget::Pdf) {
        auto *file = static_cast<QSaveFile *>(m_file.get());
        const bool committed = painted && file->commit();
        m_file.reset();
        if (!committed) {
            return QStringLiteral("Il PDF %1 non è stato scritto per intero (disco pieno?).")
                .arg(quoted(m_options.pdfPath));
        }
        return {};
    }

    // The print job: the whole temporary PDF goes to the spooler, which is done with it when
    // the call returns.
    const bool flushed = painted && m_file->flush();
    const QString path = m_file->fileName();
    QString error;
    if (!flushed) {
        error = QStringLiteral("Impossibile preparare la stampa su %1: il file temporaneo non è "
                               "stato scritto per intero (disco pieno?).")
                    .arg(destination());
    } else {
        const Cups *api = cups();
        error = api ? submitToDefaultPrinter(*api, path, jobTitle(m_options.year),
                                             m_options.sheet().paper)
                    : NoSpooler;
    }
    m_file.reset();
    return error;
}

void PageOutput::abandon()
{
    if (m_painter.isActive())
        m_painter.end();
    m_pdf.reset();
    if (auto *file = dynamic_cast<QSaveFile *>(m_file.get()))
        file->cancelWriting();
    m_file.reset();
}

} // namespace velaria
