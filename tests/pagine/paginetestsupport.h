#pragma once

// Running velaria-pagine as a user does, over data folders written for the test; reading the
// PDF files it writes back with poppler's tools; finding places of the page on the sheets.

#include "textfile.h"

#include <QColor>
#include <QDeadlineTimer>
#include <QDir>
#include <QImage>
#include <QPointF>
#include <QPrinterInfo>
#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QSet>
#include <QSizeF>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

namespace velaria::pagetest {

struct ToolResult
{
    int exitCode = -1;
    QString output; // standard output and error together
};

inline ToolResult runTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    ToolResult result;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        result.output = QStringLiteral("%1 did not finish").arg(program);
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.output = QString::fromUtf8(process.readAll());
    return result;
}

struct PdfInfo
{
    int pages = 0;
    QSizeF pagePoints; // of the first page
    QString text;      // pdfinfo's whole answer, for messages
};

inline std::optional<PdfInfo> readPdfInfo(const QString &pdf)
{
    const ToolResult info = runTool(QStringLiteral("pdfinfo"), {pdf});
    if (info.exitCode != 0)
        return std::nullopt;
    const QRegularExpressionMatch pages =
        QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)"), QRegularExpression::MultilineOption)
            .match(info.output);
    const QRegularExpressionMatch size =
        QRegularExpression(QStringLiteral("^Page size:\\s+([\\d.]+) x ([\\d.]+) pts"),
                           QRegularExpression::MultilineOption)
            .match(info.output);
    if (!pages.hasMatch() || !size.hasMatch())
        return std::nullopt;
    return PdfInfo{pages.captured(1).toInt(),
                   QSizeF(size.captured(1).toDouble(), size.captured(2).toDouble()), info.output};
}

inline bool isPaper(const PdfInfo &info, QSizeF points)
{
    return qAbs(info.pagePoints.width() - points.width()) <= 1.0 &&
           qAbs(info.pagePoints.height() - points.height()) <= 1.0;
}

// One page of the PDF rendered at `dpi`.
inline QImage renderPage(const QString &pdf, int page, int dpi)
{
    QTemporaryDir work;
    const QString base = work.filePath(QStringLiteral("pagina"));
    const ToolResult render =
        runTool(QStringLiteral("pdftoppm"),
                {QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                 QString::number(page), QStringLiteral("-r"), QString::number(dpi),
                 QStringLiteral("-png"), QStringLiteral("-singlefile"), pdf, base});
    if (render.exitCode != 0)
        return {};
    return QImage(base + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

inline bool near(QRgb pixel, const QColor &colour, int tolerance)
{
    return qAbs(qRed(pixel) - colour.red()) <= tolerance &&
           qAbs(qGreen(pixel) - colour.green()) <= tolerance &&
           qAbs(qBlue(pixel) - colour.blue()) <= tolerance;
}

inline QString describe(const QColor &colour)
{
    return QStringLiteral("(%1, %2, %3)").arg(colour.red()).arg(colour.green()).arg(colour.blue());
}

// Empty when the edges of `found` lie within `tolerance` pixels of `expected`.
inline QString placementProblem(const QRect &found, const QRectF &expected, double tolerance)
{
    const QRectF edges(found);
    if (qAbs(edges.left() - expected.left()) <= tolerance &&
        qAbs(edges.top() - expected.top()) <= tolerance &&
        qAbs(edges.right() - expected.right()) <= tolerance &&
        qAbs(edges.bottom() - expected.bottom()) <= tolerance)
        return {};
    return QStringLiteral("found at %1,%2 %3x%4, expected %5,%6 %7x%8")
        .arg(found.x())
        .arg(found.y())
        .arg(found.width())
        .arg(found.height())
        .arg(expected.x())
        .arg(expected.y())
        .arg(expected.width())
        .arg(expected.height());
}

// The cups-pdf queue that the test services (scripts/test-services.sh) make the default
// printer, and the folder where each job leaves one PDF.
struct Spooler
{
    QString pdfFolder = qEnvironmentVariable("VELARIA_CUPS_PDF_DIR");
    QString printer = qEnvironmentVariable("VELARIA_CUPS_PRINTER");

    bool available() const { return !pdfFolder.isEmpty(); }

    // Empty when the default printer (of the scheduler in CUPS_SERVER) is the test queue.
    QString defaultPrinterProblem() const
    {
        const QString name = QPrinterInfo::defaultPrinter().printerName();
        if (name.isEmpty() || (!printer.isEmpty() && name != printer))
            return QStringLiteral("the default printer is \"%1\", not %2").arg(name, printer);
        return {};
    }

    QSet<QString> pdfFiles() const
    {
        const QStringList names = QDir(pdfFolder).entryList({QStringLiteral("*.pdf")}, QDir::Files);
        return {names.begin(), names.end()};
    }

    bool idle() const
    {
        const ToolResult jobs = runTool(QStringLiteral("lpstat"), {QStringLiteral("-o"), printer});
        return jobs.exitCode == 0 && jobs.output.trimmed().isEmpty();
    }

    // The one PDF that the queue left besides `before` once it is idle; nothing when no PDF
    // or more than one came.
    std::optional<QString> newPdf(const QSet<QString> &before) const
    {
        QSet<QString> added;
        for (QDeadlineTimer deadline(120000); !deadline.hasExpired(); QTest::qWait(100)) {
            added = pdfFiles() - before;
            if (!added.isEmpty() && idle())
                break;
        }
        if (added.size() != 1)
            return std::nullopt;
        return QDir(pdfFolder).filePath(*added.begin());
    }
};

inline constexpr char NoSpooler[] =
    "VELARIA_CUPS_PDF_DIR is not set: `make test` sets it after starting a CUPS scheduler of its "
    "own, as root, with a cups-pdf default printer (scripts/test-services.sh)";

inline const QString PaginePath = QStringLiteral(VELARIA_PAGINE_PATH);

struct PagineRun
{
    int status = -1; // -1 when the program crashed or did not finish
    QString out;
    QString err;

    // The program's own messages, without what the toolkit may print about the environment.
    QStringList messages() const
    {
        QStringList own;
        for (const QString &line : err.split(u'\n')) {
            if (line.startsWith(QStringLiteral("velaria-pagine:")))
                own << line;
        }
        return own;
    }
    QString describe() const
    {
        return QStringLiteral("status %1, stderr: %2").arg(status).arg(err);
    }
};

inline PagineRun
runPagine(const QStringList &arguments, const QString &workingFolder,
          const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setWorkingDirectory(workingFolder);
    process.setProcessEnvironment(environment);
    process.start(PaginePath, arguments);
    PagineRun run;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        run.err = QStringLiteral("velaria-pagine did not finish");
        return run;
    }
    if (process.exitStatus() == QProcess::NormalExit)
        run.status = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// The colour of month k's picture in the test data.
inline QColor monthColour(int month)
{
    return QColor::fromHsv((month - 1) * 30, 255, 230);
}

// A data folder: a 400 x 300 picture of its own colour for every month, listed in
// Immagini.txt, a recurrence on 12 October in blue and a banner. The caller can leave the
// list out or give other lines for it.
struct DataFolderContents
{
    bool writeList = true;
    QStringList pictureLines; // empty: the twelve pictures
};

inline bool writeDataFolder(const QString &folder, const DataFolderContents &contents = {})
{
    const QDir dir(folder);
    QStringList list;
    for (int month = 1; month <= 12; ++month) {
        QImage picture(400, 300, QImage::Format_RGB32);
        picture.fill(monthColour(month));
        const QString path = dir.filePath(QStringLiteral("mese%1.jpg").arg(month));
        if (!picture.save(path, "JPEG", 95))
            return false;
        list << path;
    }
    if (!contents.pictureLines.isEmpty())
        list = contents.pictureLines;
    if (contents.writeList &&
        !WriteTextLines(dir.filePath(QStringLiteral("Immagini.txt")), list).isEmpty())
        return false;
    return WriteTextLines(dir.filePath(QStringLiteral("Ricorrenze.txt")),
                          {QStringLiteral("10/12 - Compleanno di Anna <b>"),
                           QStringLiteral("03/08 - Festa della donna <a>")})
               .isEmpty() &&
           WriteTextLines(dir.filePath(QStringLiteral("pubblicita.txt")),
                          {QStringLiteral("Calendario di prova")})
               .isEmpty();
}

// The page is 8205 x 11025 twips; the PDF's printable area starts 10 points from the sheet's
// corner, and the page is stretched into `place` (twips) from there.
inline constexpr double TwipsPerPoint = 20;
inline constexpr double PageWidthTwips = 8205;
inline constexpr double PageHeightTwips = 11025;
inline constexpr double PdfMarginPoints = 10;

// Where a point of the page (twips) lands on a sheet rendered at `dpi`, in pixels.
inline QPointF onSheet(QPointF pageTwips, const QRectF &place, int dpi)
{
    const double x = PdfMarginPoints + place.x() / TwipsPerPoint +
                     pageTwips.x() / PageWidthTwips * place.width() / TwipsPerPoint;
    const double y = PdfMarginPoints + place.y() / TwipsPerPoint +
                     pageTwips.y() / PageHeightTwips * place.height() / TwipsPerPoint;
    return {x * dpi / 72.0, y * dpi / 72.0};
}

inline QRect onSheet(const QRectF &pageTwips, const QRectF &place, int dpi)
{
    return QRectF(onSheet(pageTwips.topLeft(), place, dpi),
                  onSheet(pageTwips.bottomRight(), place, dpi))
        .toAlignedRect();
}

// Pixels of `area` within `tolerance` of `colour` on every channel.
inline int countNear(const QImage &image, const QRect &area, const QColor &colour, int tolerance)
{
    int count = 0;
    const QRect inside = area & image.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qAbs(qRed(pixel) - colour.red()) <= tolerance &&
                qAbs(qGreen(pixel) - colour.green()) <= tolerance &&
                qAbs(qBlue(pixel) - colour.blue()) <= tolerance)
                ++count;
        }
    }
    return count;
}

// The bounding rectangle of the pixels near `colour`.
inline QRect boundsOf(const QImage &image, const QColor &colour, int tolerance)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qAbs(qRed(pixel) - colour.red()) <= tolerance &&
                qAbs(qGreen(pixel) - colour.green()) <= tolerance &&
                qAbs(qBlue(pixel) - colour.blue()) <= tolerance)
                bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

} // namespace velaria::pagetest
