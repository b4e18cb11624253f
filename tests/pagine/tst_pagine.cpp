#include "fonts.h"
#include "mainwindow.h"
#include "pagewindow.h"
#include "paginetestsupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <unistd.h>

using namespace velaria;
using namespace velaria::pagetest;

namespace {

constexpr int RenderDpi = 150;

const QColor Red(255, 0, 0);
const QColor DarkRed(128, 0, 0);
const QColor Black(0, 0, 0);
const QColor Blue(0, 0, 255);

// Where "Stampa A4" and "Stampa A3" put the page, twips from the printable area's corner.
const QRectF PlaceA4(200, 0, 11000, 16000);
const QRectF PlaceA3(300, 0, 15560, 22630);

// The day block: a day's number starts at x 200 (first column; day 10 at 0), 2600 or 5300,
// at y 6560 + 350 x row; its label at x 550, 3150 or 5850 and y 6600 + 350 x row.
QPointF numberPlace(int day, bool sunday)
{
    const int column = day <= 10 ? 0 : day <= 20 ? 1 : 2;
    const int row = day - 10 * column;
    double x = column == 0 ? (day == 10 ? 0 : 200) : column == 1 ? 2600 : 5300;
    if (sunday)
        x += column > 0 || day == 1 ? 5 : day == 10 ? 0 : -10;
    return {x, 6560.0 + 350.0 * row};
}

QPointF labelPlace(int day)
{
    const int column = day <= 10 ? 0 : day <= 20 ? 1 : 2;
    const int row = day - 10 * column;
    return {column == 0 ? 550.0 : column == 1 ? 3150.0 : 5850.0, 6600.0 + 350.0 * row};
}

// Pixels that are clearly not paper.
int inkIn(const QImage &image, const QRect &area)
{
    int count = 0;
    const QRect inside = area & image.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qMin(qRed(pixel), qMin(qGreen(pixel), qBlue(pixel))) < 200)
                ++count;
        }
    }
    return count;
}

} // namespace

// velaria-pagine run as a program: the year's PDF, its pages and where their parts land,
// one month, A3, bitmaps, the failures it reports and the status it ends with.
class TestPagine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void yearPdfHasTwelveA4Pages();
    void eachPageHasItsMonthsPicture();
    void octoberDays_data();
    void octoberDays();
    void pagePlacedAsStampa_data();
    void pagePlacedAsStampa();
    void oneMonth_data();
    void oneMonth();
    void bitmapsNamedByMonth();
    void bitmapIsThePageWindowsPage_data();
    void bitmapIsThePageWindowsPage();

    void badArguments_data();
    void badArguments();
    void helpIsItalian();
    void pictureProblems_data();
    void pictureProblems();
    void progressOnlyOnTerminal();
    void defaultDataFolder_data();
    void defaultDataFolder();

private:
    QTemporaryDir m_data;
    QTemporaryDir m_work;
    QString m_yearPdf;
};

void TestPagine::initTestCase()
{
    InstallFontSubstitutions();
    QVERIFY2(QFileInfo(PaginePath).isExecutable(), qPrintable(PaginePath));
    QVERIFY(m_data.isValid() && m_work.isValid());
    QVERIFY(writeDataFolder(m_data.path()));

    // The whole year with no output named: Calendario-2027.pdf in the working folder.
    const PagineRun run = runPagine(
        {QStringLiteral("2027"), QStringLiteral("--cartella"), m_data.path()}, m_work.path());
    QVERIFY2(run.status == 0, qPrintable(run.describe()));
    QVERIFY2(run.messages().isEmpty(), qPrintable(run.err));
    m_yearPdf = m_work.filePath(QStringLiteral("Calendario-2027.pdf"));
    QVERIFY(QFileInfo::exists(m_yearPdf));
}

void TestPagine::yearPdfHasTwelveA4Pages()
{
    const std::optional<PdfInfo> info = readPdfInfo(m_yearPdf);
    QVERIFY(info);
    QCOMPARE(info->pages, 12);
    QVERIFY2(isPaper(*info, QSizeF(595, 842)), qPrintable(info->text));
}

void TestPagine::eachPageHasItsMonthsPicture()
{
    QTemporaryDir pages;
    const QString base = pages.filePath(QStringLiteral("p"));
    QCOMPARE(runTool(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("20"),
                                                  QStringLiteral("-png"), m_yearPdf, base})
                 .exitCode,
             0);
    // The picture is 8000 twips wide, centred, from 250 to 6250 twips down.
    const QPointF centre = onSheet(QPointF(PageWidthTwips / 2, 3250), PlaceA4, 20);
    for (int month = 1; month <= 12; ++month) {
        const QImage sheet(QStringLiteral("%1-%2.png").arg(base).arg(month, 2, 10, QChar(u'0')));
        QVERIFY2(!sheet.isNull(), qPrintable(QStringLiteral("page %1 missing").arg(month)));
        const QColor seen = sheet.pixelColor(centre.toPoint());
        QVERIFY2(near(seen.rgb(), monthColour(month), 20),
                 qPrintable(QStringLiteral("page %1: picture %2, expected %3")
                                .arg(month)
                                .arg(describe(seen), describe(monthColour(month)))));
    }
}

void TestPagine::octoberDays_data()
{
    QTest::addColumn<int>("day");
    QTest::addColumn<bool>("sunday");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<bool>("labelled");

    QTest::newRow("3, a Sunday: dark red") << 3 << true << DarkRed << false;
    QTest::newRow("4, San Francesco: red, with its label") << 4 << false << Red << true;
    QTest::newRow("5, an ordinary Tuesday: black") << 5 << false << Black << false;
    QTest::newRow("12, a recurrence tagged blue") << 12 << false << Blue << true;
    QTest::newRow("31, a Sunday in the eleventh row") << 31 << true << DarkRed << false;
}

void TestPagine::octoberDays()
{
    QFETCH(int, day);
    QFETCH(bool, sunday);
    QFETCH(QColor, colour);
    QFETCH(bool, labelled);

    const QImage sheet = renderPage(m_yearPdf, 10, RenderDpi);
    QVERIFY(!sheet.isNull());

    // The number, blank first, fills part of the 340 twips before the label column.
    const QPointF number = numberPlace(day, sunday);
    const QRect numberArea = onSheet(QRectF(number.x(), number.y(), 340, 330), PlaceA4, RenderDpi);
    const int wanted = countNear(sheet, numberArea, colour, 40);
    QVERIFY2(wanted >= 20, qPrintable(QStringLiteral("%1 pixels of %2 at %3,%4")
                                          .arg(wanted)
                                          .arg(describe(colour))
                                          .arg(numberArea.x())
                                          .arg(numberArea.y())));
    for (const QColor &other : {Red, DarkRed, Black, Blue}) {
        if (other == colour)
            continue;
        QVERIFY2(
            countNear(sheet, numberArea, other, 40) <= 2,
            qPrintable(
                QStringLiteral("the number of day %1 has %2 in it").arg(day).arg(describe(other))));
    }

    // The label, between the number's top and the weekday name, in the number's colour.
    const QPointF label = labelPlace(day);
    const QRect labelArea = onSheet(QRectF(label.x(), label.y(), 1800, 150), PlaceA4, RenderDpi);
    if (labelled)
        QVERIFY(countNear(sheet, labelArea, colour, 60) >= 5);
    else
        QCOMPARE(inkIn(sheet, labelArea), 0);
}

void TestPagine::pagePlacedAsStampa_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QRectF>("place");
    QTest::addColumn<QSizeF>("paperPoints");

    QTest::newRow("A4, as Stampa A4") << QStringList() << PlaceA4 << QSizeF(595, 842);
    QTest::newRow("--a3, as Stampa A3")
        << QStringList{QStringLiteral("--a3")} << PlaceA3 << QSizeF(842, 1191);
}

void TestPagine::pagePlacedAsStampa()
{
    QFETCH(QStringList, options);
    QFETCH(QRectF, place);
    QFETCH(QSizeF, paperPoints);

    const QString pdf = m_work.filePath(QStringLiteral("placed.pdf"));
    const PagineRun run = runPagine(QStringList{QStringLiteral("2027"), QStringLiteral("--mese"),
                                                QStringLiteral("6"), QStringLiteral("--cartella"),
                                                m_data.path(), QStringLiteral("--pdf"), pdf} +
                                        options,
                                    m_work.path());
    QVERIFY2(run.status == 0, qPrintable(run.describe()));
    const std::optional<PdfInfo> info = readPdfInfo(pdf);
    QVERIFY(info);
    QCOMPARE(info->pages, 1);
    QVERIFY2(isPaper(*info, paperPoints), qPrintable(info->text));

    // The 4:3 picture is drawn 6000 twips high, so 8000 wide, centred, 250 twips down.
    constexpr int Dpi = 100;
    const QImage sheet = renderPage(pdf, 1, Dpi);
    const QRect expected =
        onSheet(QRectF((PageWidthTwips - 8000) / 2, 250, 8000, 6000), place, Dpi);
    const QRect picture = boundsOf(sheet, monthColour(6), 24);
    const QString misplaced = placementProblem(picture, QRectF(expected), 2.0);
    QVERIFY2(misplaced.isEmpty(), qPrintable(misplaced));

    // The banner tab, light grey, starts 100 twips in and 10600 down.
    const QPoint tab = onSheet(QPointF(2000, 10775), place, Dpi).toPoint();
    QVERIFY(near(sheet.pixel(tab), QColor(224, 224, 224), 8));
    const QPoint beforeTab = onSheet(QPointF(60, 10775), place, Dpi).toPoint();
    QVERIFY(near(sheet.pixel(beforeTab), Qt::white, 8));
}

void TestPagine::oneMonth_data()
{
    QTest::addColumn<QString>("month");
    QTest::addColumn<int>("pictureMonth");

    QTest::newRow("--mese 10") << QStringLiteral("10") << 10;
    QTest::newRow("--mese ottobre") << QStringLiteral("ottobre") << 10;
    QTest::newRow("--mese 1") << QStringLiteral("1") << 1;
    QTest::newRow("--mese DICEMBRE") << QStringLiteral("DICEMBRE") << 12;
}

void TestPagine::oneMonth()
{
    QFETCH(QString, month);
    QFETCH(int, pictureMonth);

    QTemporaryDir work;
    const PagineRun run = runPagine({QStringLiteral("2027"), QStringLiteral("--mese"), month,
                                     QStringLiteral("--cartella"), m_data.path()},
                                    work.path());
    QVERIFY2(run.status == 0, qPrintable(run.describe()));
    // Named after the month, so a month does not replace the year's PDF.
    const QString pdf = work.filePath(
        QStringLiteral("Calendario-2027-%1.pdf").arg(pictureMonth, 2, 10, QChar(u'0')));
    QCOMPARE(QDir(work.path()).entryList(QDir::Files), QStringList{QFileInfo(pdf).fileName()});
    const std::optional<PdfInfo> info = readPdfInfo(pdf);
    QVERIFY(info);
    QCOMPARE(info->pages, 1);
    const QImage sheet = renderPage(pdf, 1, 20);
    const QPointF centre = onSheet(QPointF(PageWidthTwips / 2, 3250), PlaceA4, 20);
    QVERIFY(near(sheet.pixel(centre.toPoint()), monthColour(pictureMonth), 20));
}

void TestPagine::bitmapsNamedByMonth()
{
    const QString folder = m_work.filePath(QStringLiteral("nuova/bitmap"));
    const PagineRun run = runPagine({QStringLiteral("2027"), QStringLiteral("--cartella"),
                                     m_data.path(), QStringLiteral("--immagini"), folder},
                                    m_work.path());
    QVERIFY2(run.status == 0, qPrintable(run.describe()));
    const QStringList expected = {QStringLiteral("AGOSTO.bmp"),   QStringLiteral("APRILE.bmp"),
                                  QStringLiteral("DICEMBRE.bmp"), QStringLiteral("FEBBRAIO.bmp"),
                                  QStringLiteral("GENNAIO.bmp"),  QStringLiteral("GIUGNO.bmp"),
                                  QStringLiteral("LUGLIO.bmp"),   QStringLiteral("MAGGIO.bmp"),
                                  QStringLiteral("MARZO.bmp"),    QStringLiteral("NOVEMBRE.bmp"),
                                  QStringLiteral("OTTOBRE.bmp"),  QStringLiteral("SETTEMBRE.bmp")};
    QCOMPARE(QDir(folder).entryList(QDir::Files, QDir::Name), expected);
    for (const QString &name : expected) {
        QFile file(QDir(folder).filePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.read(2), QByteArray("BM"));
        QCOMPARE(QImage(file.fileName()).size(), QSize(2188, 2940));
    }
    // No PDF besides.
    QVERIFY(!QFileInfo::exists(m_work.filePath(QStringLiteral("nuova/Calendario-2027.pdf"))));
}

void TestPagine::bitmapIsThePageWindowsPage_data()
{
    QTest::addColumn<QDate>("shown");

    QTest::newRow("January 2027: New Year, a Friday first") << QDate(2027, 1, 20);
    QTest::newRow("March 2027: a recurrence tagged orange") << QDate(2027, 3, 8);
    QTest::newRow("October 2027: San Francesco, a blue recurrence") << QDate(2027, 10, 31);
    QTest::newRow("February 2028: 29 days") << QDate(2028, 2, 29);
}

void TestPagine::bitmapIsThePageWindowsPage()
{
    QFETCH(QDate, shown);

    QTemporaryDir work;
    const PagineRun run = runPagine({QString::number(shown.year()), QStringLiteral("--mese"),
                                     QString::number(shown.month()), QStringLiteral("--cartella"),
                                     m_data.path(), QStringLiteral("--immagini"), work.path()},
                                    work.path());
    QVERIFY2(run.status == 0, qPrintable(run.describe()));
    const QStringList written = QDir(work.path()).entryList(QDir::Files);
    QCOMPARE(written.size(), 1);
    const QImage fromProgram =
        QImage(work.filePath(written.first())).convertToFormat(QImage::Format_RGB32);

    // The page creator window over the same data folder, its main window on that month.
    WindowState state;
    state.dataFolder = m_data.path();
    MainWindow main(state, QDate(2027, 1, 1));
    main.GoToDate(shown);
    auto page = std::make_unique<PageWindow>(state, &main);
    QSignalSpy composed(page.get(), &PageWindow::pageComposed);
    QVERIFY(composed.wait(10000));
    QCOMPARE(written.first(), state.NomeMese.trimmed() + QStringLiteral(".bmp"));
    QVERIFY(fromProgram == page->canvas().convertToFormat(QImage::Format_RGB32));
}

void TestPagine::badArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");

    const QString missing = QStringLiteral("/nessuna/cartella/così");
    QTest::newRow("no year") << QStringList() << 2 << QStringLiteral("Manca l'anno");
    QTest::newRow("year not a number") << QStringList{QStringLiteral("duemila")} << 2
                                       << QStringLiteral("Anno non valido: \"duemila\"");
    QTest::newRow("year with a letter") << QStringList{QStringLiteral("2027a")} << 2
                                        << QStringLiteral("Anno non valido: \"2027a\"");
    QTest::newRow("year 0") << QStringList{QStringLiteral("0")} << 2
                            << QStringLiteral("da 1 a 9999");
    QTest::newRow("year 10000") << QStringList{QStringLiteral("10000")} << 2
                                << QStringLiteral("Anno non valido: \"10000\"");
    QTest::newRow("a negative year reads as an option")
        << QStringList{QStringLiteral("-5")} << 2 << QStringLiteral("Opzione sconosciuta");
    QTest::newRow("two years") << QStringList{QStringLiteral("2027"), QStringLiteral("2028")} << 2
                               << QStringLiteral("Troppi argomenti");
    QTest::newRow("month 13") << QStringList{QStringLiteral("2027"), QStringLiteral("--mese"),
                                             QStringLiteral("13")}
                              << 2 << QStringLiteral("Mese non valido: \"13\"");
    QTest::newRow("month 0") << QStringList{QStringLiteral("2027"), QStringLiteral("--mese"),
                                            QStringLiteral("0")}
                             << 2 << QStringLiteral("Mese non valido: \"0\"");
    QTest::newRow("misspelt month")
        << QStringList{QStringLiteral("2027"), QStringLiteral("--mese"), QStringLiteral("otobre")}
        << 2 << QStringLiteral("Mese non valido: \"otobre\"");
    QTest::newRow("month without its value")
        << QStringList{QStringLiteral("2027"), QStringLiteral("--mese")} << 2
        << QStringLiteral("Manca il valore dopo '--mese'");
    QTest::newRow("unknown option")
        << QStringList{QStringLiteral("2027"), QStringLiteral("--colore")} << 2
        << QStringLiteral("Opzione sconosciuta: 'colore'");
    QTest::newRow("PDF and bitmaps")
        << QStringList{QStringLiteral("2027"), QStringLiteral("--pdf"), QStringLiteral("a.pdf"),
                       QStringLiteral("--immagini"), QStringLiteral("b")}
        << 2 << QStringLiteral("si escludono");
    QTest::newRow("PDF and printer")
        << QStringList{QStringLiteral("2027"), QStringLiteral("--pdf"), QStringLiteral("a.pdf"),
                       QStringLiteral("--stampa")}
        << 2 << QStringLiteral("si escludono");
    QTest::newRow("A3 bitmaps") << QStringList{QStringLiteral("2027"), QStringLiteral("--a3"),
                                               QStringLiteral("--immagini"), QStringLiteral("b")}
                                << 2 << QStringLiteral("--a3");
    QTest::newRow("data folder missing")
        << QStringList{QStringLiteral("2027"), QStringLiteral("--cartella"), missing} << 2
        << QStringLiteral("La cartella dei dati \"%1\" non esiste").arg(missing);
    QTest::newRow("PDF in a missing folder")
        << QStringList{QStringLiteral("2027"), QStringLiteral("--pdf"), missing + "/anno.pdf"} << 1
        << QStringLiteral("Impossibile scrivere il PDF \"%1/anno.pdf\"").arg(missing);
    QTest::newRow("bitmap folder is a file")
        << QStringList{QStringLiteral("2027"), QStringLiteral("--immagini"),
                       QStringLiteral("occupato")}
        << 1 << QStringLiteral("Impossibile creare la cartella \"occupato\"");
}

void TestPagine::badArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, message);

    QTemporaryDir work;
    // A file where a folder is asked for.
    QFile blocker(work.filePath(QStringLiteral("occupato")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QStringList before = QDir(work.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    const PagineRun run = runPagine(arguments, work.path());
    QCOMPARE(run.status, status);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QVERIFY(run.out.isEmpty());
    // Nothing written, not even part of a PDF.
    QCOMPARE(QDir(work.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
}

void TestPagine::helpIsItalian()
{
    const PagineRun run = runPagine({QStringLiteral("--help")}, m_work.path());
    QCOMPARE(run.status, 0);
    for (const char *expected :
         {"Uso:", "Opzioni:", "Argomenti:", "ANNO", "--mese", "--a3", "--pdf", "--immagini",
          "--stampa", "--cartella", "Mostra questo aiuto.",
          "Stato di uscita:", "3  le pagine sono state scritte"}) {
        QVERIFY2(run.out.contains(QString::fromUtf8(expected)), expected);
    }
    for (const char *english : {"Usage:", "Options:", "Arguments:", "Displays"})
        QVERIFY2(!run.out.contains(QString::fromUtf8(english)), english);
}

void TestPagine::pictureProblems_data()
{
    QTest::addColumn<bool>("writeList");
    QTest::addColumn<int>("brokenLine"); // 0 for none
    QTest::addColumn<QString>("brokenPath");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("named");

    QTest::newRow("October's picture missing")
        << true << 10 << QStringLiteral("non-esiste.jpg") << 3 << QStringLiteral("non-esiste.jpg");
    QTest::newRow("October's picture is no picture")
        << true << 10 << QStringLiteral("rotta.jpg") << 3 << QStringLiteral("rotta.jpg");
    QTest::newRow("another month's picture missing")
        << true << 3 << QStringLiteral("non-esiste.jpg") << 0 << QString();
    QTest::newRow("no Immagini.txt")
        << false << 0 << QString() << 3 << QStringLiteral("Immagini.txt");
}

void TestPagine::pictureProblems()
{
    QFETCH(bool, writeList);
    QFETCH(int, brokenLine);
    QFETCH(QString, brokenPath);
    QFETCH(int, status);
    QFETCH(QString, named);

    QTemporaryDir data;
    QStringList lines;
    for (int month = 1; month <= 12; ++month)
        lines << data.filePath(QStringLiteral("mese%1.jpg").arg(month));
    if (brokenLine > 0)
        lines[brokenLine - 1] = data.filePath(brokenPath);
    DataFolderContents contents;
    contents.writeList = writeList;
    contents.pictureLines = lines;
    QVERIFY(writeDataFolder(data.path(), contents));
    QFile notAPicture(data.filePath(QStringLiteral("rotta.jpg")));
    QVERIFY(notAPicture.open(QIODevice::WriteOnly));
    notAPicture.write("non sono una fotografia\n");
    notAPicture.close();

    const QString pdf = data.filePath(QStringLiteral("ottobre.pdf"));
    const PagineRun run =
        runPagine({QStringLiteral("2027"), QStringLiteral("--mese"), QStringLiteral("10"),
                   QStringLiteral("--cartella"), data.path(), QStringLiteral("--pdf"), pdf},
                  data.path());
    QCOMPARE(run.status, status);
    if (named.isEmpty()) {
        QVERIFY2(run.messages().isEmpty(), qPrintable(run.err));
    } else {
        QCOMPARE(run.messages().size(), 1);
        QVERIFY2(run.messages().first().contains(named), qPrintable(run.err));
    }

    // The page is made all the same: the days are there, the picture only when it loaded.
    const std::optional<PdfInfo> info = readPdfInfo(pdf);
    QVERIFY(info);
    QCOMPARE(info->pages, 1);
    const QImage sheet = renderPage(pdf, 1, RenderDpi);
    const QPointF fourth = numberPlace(4, false);
    QVERIFY(countNear(sheet, onSheet(QRectF(fourth.x(), fourth.y(), 340, 330), PlaceA4, RenderDpi),
                      Red, 40) >= 20);
    const QRect pictureArea = onSheet(QRectF(1000, 1000, 6000, 4000), PlaceA4, RenderDpi);
    if (status == 0)
        QVERIFY(countNear(sheet, pictureArea, monthColour(10), 20) > pictureArea.width());
    else
        QCOMPARE(inkIn(sheet, pictureArea), 0);
}

void TestPagine::progressOnlyOnTerminal()
{
    const QString pdf = m_work.filePath(QStringLiteral("progresso.pdf"));
    const QStringList arguments = {QStringLiteral("2027"),
                                   QStringLiteral("--mese"),
                                   QStringLiteral("2"),
                                   QStringLiteral("--cartella"),
                                   m_data.path(),
                                   QStringLiteral("--pdf"),
                                   pdf};
    // Standard error is a pipe here: no progress.
    const PagineRun piped = runPagine(arguments, m_work.path());
    QCOMPARE(piped.status, 0);
    QVERIFY2(!piped.err.contains(QStringLiteral("Pagina")), qPrintable(piped.err));

    // Under a terminal (script gives the program one), a line for the page.
    const QString script = QStandardPaths::findExecutable(QStringLiteral("script"));
    if (script.isEmpty())
        QSKIP("script (util-linux) is not installed");
    QStringList quoted;
    for (const QString &part : QStringList{PaginePath} + arguments)
        quoted << QStringLiteral("'%1'").arg(part);
    const ToolResult terminal =
        runTool(script, {QStringLiteral("-qec"), quoted.join(u' '), QStringLiteral("/dev/null")});
    if (terminal.exitCode != 0 && terminal.output.startsWith(QStringLiteral("script:")))
        QSKIP(qPrintable(QStringLiteral("no terminal for the program: ") + terminal.output));
    QCOMPARE(terminal.exitCode, 0);
    QVERIFY2(terminal.output.contains(QStringLiteral("Pagina 1 di 1: Febbraio 2027")),
             qPrintable(terminal.output));
}

void TestPagine::defaultDataFolder_data()
{
    QTest::addColumn<bool>("programFolderWritable");

    QTest::newRow("a portable copy reads its own folder") << true;
    QTest::newRow("an installed copy reads the calendar's data folder") << false;
}

void TestPagine::defaultDataFolder()
{
    QFETCH(bool, programFolderWritable);

    // A copy of the program in a folder of its own, as in build/bin or /usr/bin.
    QTemporaryDir root;
    const QString bin = root.filePath(QStringLiteral("bin"));
    const QString home = root.filePath(QStringLiteral("casa"));
    const QString userData = QDir(home).filePath(QStringLiteral(".local/share/Velaria/Velaria"));
    QVERIFY(QDir().mkpath(bin) && QDir().mkpath(userData));
    const QString program = QDir(bin).filePath(QStringLiteral("velaria-pagine"));
    QVERIFY(QFile::copy(PaginePath, program));
    QVERIFY(writeDataFolder(programFolderWritable ? bin : userData));

    // Root writes anywhere; an immutable folder stops even root.
    bool locked = false;
    const auto unlock = qScopeGuard([&] {
        if (locked)
            runTool(QStringLiteral("chattr"), {QStringLiteral("-i"), bin});
    });
    if (!programFolderWritable) {
        locked = runTool(QStringLiteral("chattr"), {QStringLiteral("+i"), bin}).exitCode == 0;
        if (!locked && ::geteuid() == 0)
            QSKIP("chattr cannot make the folder read-only for root here");
        if (!locked)
            QVERIFY(QFile::setPermissions(bin, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    }

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home);
    environment.remove(QStringLiteral("XDG_DATA_HOME"));
    QTemporaryDir work;
    QProcess process;
    process.setWorkingDirectory(work.path());
    process.setProcessEnvironment(environment);
    process.start(program, {QStringLiteral("2027"), QStringLiteral("--mese"), QStringLiteral("5")});
    QVERIFY(process.waitForFinished(120000));
    QVERIFY2(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0,
             process.readAllStandardError().constData());

    // The page has May's picture, so the picture list was found.
    const QString pdf = work.filePath(QStringLiteral("Calendario-2027-05.pdf"));
    const QImage sheet = renderPage(pdf, 1, 20);
    QVERIFY(!sheet.isNull());
    const QPointF centre = onSheet(QPointF(PageWidthTwips / 2, 3250), PlaceA4, 20);
    QVERIFY(near(sheet.pixel(centre.toPoint()), monthColour(5), 20));
}

QTEST_MAIN(TestPagine)
#include "tst_pagine.moc"
