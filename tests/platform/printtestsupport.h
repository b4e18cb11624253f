#pragma once

// Helpers of the printing and saving tests: the folder where cups-pdf writes the printed pages,
// waiting for the spooler, reading the PDF back with poppler's tools, comparing colours, and
// setting environment variables for a while.

#include <QDeadlineTimer>
#include <QDir>
#include <QImage>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QSizeF>
#include <QTemporaryDir>
#include <QTest>

#include <initializer_list>
#include <optional>
#include <utility>

namespace velaria::testing {

// Why the printing cases skip when the test services are not running.
inline constexpr char NoSpooler[] =
    "VELARIA_CUPS_PDF_DIR is not set: `make test` sets it after starting CUPS with a cups-pdf "
    "default printer (scripts/test-services.sh)";

inline constexpr double TwipsPerPoint = 20.0;

// The cups-pdf queue that the test services make the default printer, and its output folder.
struct Spooler
{
    QString pdfFolder = qEnvironmentVariable("VELARIA_CUPS_PDF_DIR");
    QString printer = qEnvironmentVariable("VELARIA_CUPS_PRINTER");

    bool available() const { return !pdfFolder.isEmpty(); }

    // Empty when the system's default printer is the test queue.
    QString defaultPrinterProblem() const
    {
        const QPrinterInfo info = QPrinterInfo::defaultPrinter();
        if (info.isNull())
            return QStringLiteral("CUPS reports no default printer");
        if (!printer.isEmpty() && info.printerName() != printer) {
            return QStringLiteral("the default printer is %1, not %2")
                .arg(info.printerName(), printer);
        }
        return {};
    }
};

struct ToolResult
{
    int exitCode = -1;
    QString output;
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

inline QSet<QString> pdfFiles(const QString &folder)
{
    const QStringList names = QDir(folder).entryList({QStringLiteral("*.pdf")}, QDir::Files);
    return {names.begin(), names.end()};
}

// True when the queue holds no job that is still waiting or being processed.
inline bool queueIdle(const QString &printer)
{
    const ToolResult jobs = runTool(QStringLiteral("lpstat"), {QStringLiteral("-o"), printer});
    return jobs.exitCode == 0 && jobs.output.trimmed().isEmpty();
}

// Waits for the spooler to finish the job that left a PDF which was not among `before`;
// nothing when no such PDF came or more than one did.
inline std::optional<QString> waitForNewPdf(const Spooler &spooler, const QSet<QString> &before)
{
    QDeadlineTimer deadline(120000);
    while (!deadline.hasExpired()) {
        const QSet<QString> added = pdfFiles(spooler.pdfFolder) - before;
        if (!added.isEmpty() && queueIdle(spooler.printer)) {
            if (added.size() != 1)
                return std::nullopt;
            return QDir(spooler.pdfFolder).filePath(*added.begin());
        }
        QTest::qWait(100);
    }
    return std::nullopt;
}

struct PdfInfo
{
    int pages = 0;
    QSizeF pagePoints;
    QString text; // pdfinfo's whole answer, for messages
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

// The first page of the PDF rendered by pdftoppm at `dpi`.
inline QImage renderPdf(const QString &pdf, int dpi)
{
    QTemporaryDir work;
    if (!work.isValid())
        return {};
    const QString base = work.filePath(QStringLiteral("page"));
    const ToolResult render =
        runTool(QStringLiteral("pdftoppm"),
                {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-png"),
                 QStringLiteral("-singlefile"), pdf, base});
    if (render.exitCode != 0)
        return {};
    return QImage(base + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

// Where a page stretched into `place` (twips from the printable area's corner) lands on a
// sheet rendered at `dpi`, for the default printer's printable area on `paper`.
inline QRectF expectedPlacement(QPageSize::PageSizeId paper, const QRectF &place, int dpi)
{
    QPrinter reference(QPrinterInfo::defaultPrinter(), QPrinter::HighResolution);
    reference.setPageSize(QPageSize(paper));
    const QRectF printable = reference.pageLayout().paintRect(QPageLayout::Point);
    const double pixelsPerPoint = dpi / 72.0;
    return {(printable.left() + place.left() / TwipsPerPoint) * pixelsPerPoint,
            (printable.top() + place.top() / TwipsPerPoint) * pixelsPerPoint,
            place.width() / TwipsPerPoint * pixelsPerPoint,
            place.height() / TwipsPerPoint * pixelsPerPoint};
}

// Rectangle of the pixels that are not paper white.
inline QRect inkBounds(const QImage &image)
{
    int left = image.width(), top = image.height(), right = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qRed(pixel) < 230 || qGreen(pixel) < 230 || qBlue(pixel) < 230) {
                left = qMin(left, x);
                right = qMax(right, x);
                top = qMin(top, y);
                bottom = qMax(bottom, y);
            }
        }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

// Empty when the ink's edges lie within `tolerance` pixels of the expected rectangle.
inline QString placementProblem(const QRect &ink, const QRectF &expected, double tolerance)
{
    const bool fits = qAbs(ink.left() - expected.left()) <= tolerance &&
                      qAbs(ink.top() - expected.top()) <= tolerance &&
                      qAbs(ink.left() + ink.width() - expected.right()) <= tolerance &&
                      qAbs(ink.top() + ink.height() - expected.bottom()) <= tolerance;
    if (fits)
        return {};
    return QStringLiteral("printed at %1,%2 %3x%4, expected %5,%6 %7x%8")
        .arg(ink.x())
        .arg(ink.y())
        .arg(ink.width())
        .arg(ink.height())
        .arg(expected.x())
        .arg(expected.y())
        .arg(expected.width())
        .arg(expected.height());
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

// Mean colour of a rectangle of the image.
inline QColor meanColour(const QImage &image, const QRect &area)
{
    const QRect inside = area.intersected(image.rect());
    qint64 red = 0, green = 0, blue = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            red += qRed(pixel);
            green += qGreen(pixel);
            blue += qBlue(pixel);
        }
    }
    const qint64 count = qMax<qint64>(1, qint64(inside.width()) * inside.height());
    return QColor(static_cast<int>(red / count), static_cast<int>(green / count),
                  static_cast<int>(blue / count));
}

// Sets environment variables for as long as it lives.
class EnvironmentOverride
{
public:
    EnvironmentOverride(std::initializer_list<std::pair<const char *, QByteArray>> values)
    {
        for (const auto &[name, value] : values) {
            m_saved.append({name, qgetenv(name), qEnvironmentVariableIsSet(name)});
            qputenv(name, value);
        }
    }
    ~EnvironmentOverride()
    {
        for (const Saved &saved : m_saved) {
            if (saved.wasSet)
                qputenv(saved.name, saved.value);
            else
                qunsetenv(saved.name);
        }
    }
    EnvironmentOverride(const EnvironmentOverride &) = delete;
    EnvironmentOverride &operator=(const EnvironmentOverride &) = delete;

private:
    struct Saved
    {
        const char *name;
        QByteArray value;
        bool wasSet;
    };
    QList<Saved> m_saved;
};

} // namespace velaria::testing
