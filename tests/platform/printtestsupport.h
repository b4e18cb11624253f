#pragma once

// Helpers of the printing tests: the cups-pdf queue that the test services make the default
// printer, the one PDF a print leaves there read back with poppler's tools, and where the
// ink of the rendered sheet lies.

#include <QDeadlineTimer>
#include <QDir>
#include <QImage>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

namespace velaria::testing {

// Why the printing cases skip when the test services are not running.
inline constexpr char NoSpooler[] =
    "VELARIA_CUPS_PDF_DIR is not set: `make test` sets it after starting a CUPS scheduler of its "
    "own, as root, with a cups-pdf default printer (scripts/test-services.sh)";

inline constexpr int RenderDpi = 144;

inline QString runTool(const QString &program, const QStringList &arguments, bool *ok)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    *ok = process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit &&
          process.exitCode() == 0;
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
    }
    return QString::fromUtf8(process.readAll());
}

// The cups-pdf queue and its output folder.
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

    // True when the queue holds no job that is still waiting or being processed.
    bool idle() const
    {
        bool ok = false;
        const QString jobs =
            runTool(QStringLiteral("lpstat"), {QStringLiteral("-o"), printer}, &ok);
        return ok && jobs.trimmed().isEmpty();
    }
};

struct PrintedSheet
{
    QImage image;    // the sheet rendered at RenderDpi
    QString problem; // why there is none
};

// Runs `print` (which returns an error text, empty on success), waits for the one PDF that it
// leaves in the spooler's folder, checks that it is one page of `paperPoints` and renders it.
inline PrintedSheet printAndRender(const Spooler &spooler, const QSizeF &paperPoints,
                                   const std::function<QString()> &print)
{
    const QSet<QString> before = spooler.pdfFiles();
    if (const QString error = print(); !error.isEmpty())
        return {{}, QStringLiteral("printing failed: ") + error};
    // The PDF is complete once the queue is idle and pdfinfo reads it whole.
    QSet<QString> added;
    QString info;
    QRegularExpressionMatch page;
    const QRegularExpression pageInfo(
        QStringLiteral("^Pages:\\s+1\\s*$.*^Page size:\\s+([\\d.]+) x ([\\d.]+) pts"),
        QRegularExpression::MultilineOption | QRegularExpression::DotMatchesEverythingOption);
    for (QDeadlineTimer deadline(120000); !deadline.hasExpired() && !page.hasMatch();
         QTest::qWait(100)) {
        added = spooler.pdfFiles() - before;
        bool ok = false;
        if (added.size() == 1 && spooler.idle())
            info = runTool(QStringLiteral("pdfinfo"),
                           {QDir(spooler.pdfFolder).filePath(*added.begin())}, &ok);
        if (ok)
            page = pageInfo.match(info);
    }
    if (added.size() != 1)
        return {{},
                QStringLiteral("%1 new PDF files in %2").arg(added.size()).arg(spooler.pdfFolder)};
    if (!page.hasMatch() || qAbs(page.captured(1).toDouble() - paperPoints.width()) > 1.0 ||
        qAbs(page.captured(2).toDouble() - paperPoints.height()) > 1.0)
        return {{}, QStringLiteral("not one page of the paper's size: ") + info};
    const QString pdf = QDir(spooler.pdfFolder).filePath(*added.begin());

    QTemporaryDir work;
    const QString base = work.filePath(QStringLiteral("page"));
    bool ok = false;
    runTool(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QString::number(RenderDpi), QStringLiteral("-png"),
             QStringLiteral("-singlefile"), pdf, base},
            &ok);
    const QImage sheet =
        QImage(base + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
    return {sheet, ok && !sheet.isNull() ? QString() : QStringLiteral("pdftoppm failed")};
}

// Where a page stretched into `place` (twips from the printable area's corner) lands on a
// sheet rendered at RenderDpi, for the default printer's printable area on `paper`.
inline QRectF expectedPlacement(QPageSize::PageSizeId paper, const QRectF &place)
{
    QPrinter reference(QPrinterInfo::defaultPrinter(), QPrinter::HighResolution);
    reference.setPageSize(QPageSize(paper));
    const QRectF printable = reference.pageLayout().paintRect(QPageLayout::Point);
    const double perTwip = RenderDpi / 72.0 / 20.0; // 20 twips to the point
    return {printable.left() * RenderDpi / 72.0 + place.left() * perTwip,
            printable.top() * RenderDpi / 72.0 + place.top() * perTwip, place.width() * perTwip,
            place.height() * perTwip};
}

// Rectangle of the pixels that are not paper white.
inline QRect inkBounds(const QImage &image)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qRed(pixel) < 230 || qGreen(pixel) < 230 || qBlue(pixel) < 230)
                bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

// Empty when the ink's edges lie within two pixels (a third of a millimetre) of `expected`.
inline QString placementProblem(const QRect &ink, const QRectF &expected)
{
    const QRectF found(ink);
    if (qAbs(found.left() - expected.left()) <= 2 && qAbs(found.top() - expected.top()) <= 2 &&
        qAbs(found.right() - expected.right()) <= 2 &&
        qAbs(found.bottom() - expected.bottom()) <= 2)
        return {};
    return QStringLiteral("printed at %1,%2 %3x%4, expected %5,%6 %7x%8")
        .arg(found.x())
        .arg(found.y())
        .arg(found.width())
        .arg(found.height())
        .arg(expected.x())
        .arg(expected.y())
        .arg(expected.width())
        .arg(expected.height());
}

// Empty when the colours differ by at most `tolerance` in every channel.
inline QString colourProblem(const QColor &found, const QColor &expected, int tolerance)
{
    if (qAbs(found.red() - expected.red()) <= tolerance &&
        qAbs(found.green() - expected.green()) <= tolerance &&
        qAbs(found.blue() - expected.blue()) <= tolerance)
        return {};
    return QStringLiteral("%1 instead of %2").arg(found.name(), expected.name());
}

} // namespace velaria::testing
