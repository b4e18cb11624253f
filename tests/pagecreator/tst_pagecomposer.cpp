#include "calendardate.h"
#include "fonts.h"
#include "pagecomposer.h"
#include "twips.h"

#include <QPainter>
#include <QTest>

#include <algorithm>
#include <cmath>

using namespace velaria;
using namespace Qt::StringLiterals;

namespace {

const QColor TitleRed(128, 0, 0);
const QColor RuleGrey(128, 128, 128);
const QColor BannerGrey(224, 224, 224);
const QColor BannerTextGrey(64, 64, 64);
const QColor HolidayRed(255, 0, 0);
const QColor White(Qt::white);

// A page of the given month as the main window would describe it, without a picture.
PageContent monthPage(int year, int month)
{
    const QString caption = MonthCaption(QDate(year, month, 1));
    PageContent page;
    page.NomeMese = caption.chopped(4);
    page.AnnoMese = caption.right(4);
    page.DaysInMonth = MonthLength(year, month);
    page.GridOffset = GridOffset(year, month);
    page.Pubblicita = u"Programma Velaria - prova"_s;
    page.year = year;
    page.month = month;
    return page;
}

int pixelAt(int scale, double twips)
{
    return static_cast<int>(std::lround(twips * scale / 15.0));
}

// The pixels of a surface of this scale that cover page twips (x1, y1) to (x2, y2).
QRect pixelArea(int scale, double x1, double y1, double x2, double y2)
{
    return QRect(QPoint(pixelAt(scale, x1), pixelAt(scale, y1)),
                 QPoint(pixelAt(scale, x2), pixelAt(scale, y2)));
}

QColor colourAt(const QImage &image, int scale, double x, double y)
{
    return image.pixelColor(pixelAt(scale, x), pixelAt(scale, y));
}

// Whether the pixel is the ink colour laid with some coverage over the background, as an
// antialiased text edge is; 14 per channel of tolerance.
bool isBlendOf(QRgb pixel, QColor ink, QColor background)
{
    const int channels[3][3] = {{qRed(pixel), ink.red(), background.red()},
                                {qGreen(pixel), ink.green(), background.green()},
                                {qBlue(pixel), ink.blue(), background.blue()}};
    // The coverage from the channel where ink and background differ most.
    const auto *widest = std::max_element(
        std::begin(channels), std::end(channels),
        [](const auto &a, const auto &b) { return std::abs(a[1] - a[2]) < std::abs(b[1] - b[2]); });
    const int span = (*widest)[1] - (*widest)[2];
    if (span == 0)
        return pixel == background.rgb();
    const double coverage = std::clamp(double((*widest)[0] - (*widest)[2]) / span, 0.0, 1.0);
    return std::all_of(std::begin(channels), std::end(channels), [coverage](const auto &c) {
        return std::abs(c[0] - (c[2] + coverage * (c[1] - c[2]))) <= 14;
    });
}

struct Ink
{
    int pixels = 0;   // pixels that differ from the background
    int matching = 0; // of those, blends of the expected colour
    int solid = 0;    // of those, the expected colour itself (within 3 per channel)
    QRect bounds;     // of the ink pixels
};

Ink inkIn(const QImage &image, const QRect &area, QColor expected, QColor background = White)
{
    Ink ink;
    const QRect clipped = area & image.rect();
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        for (int x = clipped.left(); x <= clipped.right(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if ((pixel & 0xffffff) == (background.rgb() & 0xffffff))
                continue;
            ++ink.pixels;
            ink.bounds |= QRect(x, y, 1, 1);
            ink.matching += isBlendOf(pixel, expected, background);
            ink.solid += std::abs(qRed(pixel) - expected.red()) <= 3 &&
                         std::abs(qGreen(pixel) - expected.green()) <= 3 &&
                         std::abs(qBlue(pixel) - expected.blue()) <= 3;
        }
    }
    return ink;
}

// Twips areas of one day's texts in column c (0 to 2) and row r (1 to 11): the number, the
// label and the weekday name under it. They stay inside the row's rules.
enum class DayText { Number, Label, Weekday };
QRectF dayArea(int column, int row, DayText text)
{
    const double left[3] = {0, 2600, 5300};
    const double labelX[3] = {550, 3150, 5850};
    const double right[3] = {2500, 5200, 8000};
    const double top = 6550.0 + 350 * row; // the row's upper rule
    if (text == DayText::Number)
        return QRectF(QPointF(left[column], top + 15), QPointF(labelX[column] - 25, top + 325));
    if (text == DayText::Label)
        return QRectF(QPointF(labelX[column], top + 45), QPointF(right[column], top + 175));
    return QRectF(QPointF(labelX[column], top + 200), QPointF(right[column], top + 325));
}

QRect pixels(int scale, const QRectF &twips)
{
    return pixelArea(scale, twips.left(), twips.top(), twips.right(), twips.bottom());
}

// What the page of May 2025, with an orange recurrence on the 20th, shows where.
struct InkArea
{
    const char *name;
    QRectF twips;
    QColor ink;
    int minPixels;      // on the preview, times the scale squared on the canvas; 0: no ink at all
    QRectF start;       // where the ink's top-left corner lies, when given
    bool solid = false; // a quarter of the ink is the colour itself, not a blend
    QColor background = White;
};

const QColor Orange(255, 128, 0);
const QRectF BannerText(150, 10650, 4100, 290);

const QList<InkArea> MayInk = {
    {"title from x 250", {100, 6300, 3900, 590}, TitleRed, 150, {250, 6360, 150, 200}, true},
    {"year from x 6700", {6500, 6300, 1705, 590}, TitleRed, 100, {6700, 6300, 150, 590}},
    {"nothing between title and year", {4200, 6300, 2400, 590}, TitleRed, 0, {}},
    {"no picture: nothing above the title", {0, 0, 8205, 6300}, Qt::black, 0, {}},
    {"1 May: number in holiday red", dayArea(0, 1, DayText::Number), HolidayRed, 20, {}},
    {"1 May: label in holiday red", dayArea(0, 1, DayText::Label), HolidayRed, 30, {}},
    {"1 May: weekday name in black", dayArea(0, 1, DayText::Weekday), Qt::black, 30, {}},
    {"2 May: number in black", dayArea(0, 2, DayText::Number), Qt::black, 20, {}},
    {"2 May: no label", dayArea(0, 2, DayText::Label), Qt::black, 0, {}},
    {"20 May: number in orange", dayArea(1, 10, DayText::Number), Orange, 20, {}},
    {"20 May: label in orange", dayArea(1, 10, DayText::Label), Orange, 30, {}},
    {"20 May: weekday name in black", dayArea(1, 10, DayText::Weekday), Qt::black, 30, {}},
    {"31 May: number in black", dayArea(2, 11, DayText::Number), Qt::black, 20, {}},
    {"banner text on the tab", BannerText, BannerTextGrey, 40, BannerText, false, BannerGrey},
};

PageContent mayPage()
{
    PageContent page = monthPage(2025, 5);
    page.Ricorr.readLine(u"05/20 - Compleanno di Anna <a>");
    return page;
}

void scaleRows()
{
    QTest::addColumn<int>("scale");
    QTest::newRow("preview") << 1;
    QTest::newRow("canvas") << Scala;
}

} // namespace

// The page composer: what it draws where, on the preview and on the print canvas alike.
class TestPageComposer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { InstallFontSubstitutions(); }

    void nomeGio_data();
    void nomeGio();
    void captions();
    void weekdayNames_data();
    void weekdayNames();
    void sundayShifts_data();
    void sundayShifts();
    void dayColours_data();
    void dayColours();

    void inkAreas_data();
    void inkAreas();
    void rules_data() { scaleRows(); }
    void rules();
    void banner_data() { scaleRows(); }
    void banner();
    void boldSunday_data() { scaleRows(); }
    void boldSunday();
    void thirdColumnRows_data();
    void thirdColumnRows();
    void picture_data() { scaleRows(); }
    void picture();
    void previewAgreesWithCanvas();
};

void TestPageComposer::nomeGio_data()
{
    QTest::addColumn<QString>("current");
    QTest::addColumn<QString>("next");
    QTest::newRow("Monday to Tuesday") << u"Lunedì"_s << u"Martedì"_s;
    QTest::newRow("Saturday to Sunday") << u"Sabato"_s << u"Domenica"_s;
    QTest::newRow("Sunday wraps to Monday") << u"Domenica"_s << u"Lunedì"_s;
    QTest::newRow("lower case is no weekday") << u"lunedì"_s << u"lunedì"_s;
    QTest::newRow("without accent is no weekday") << u"Lunedi"_s << u"Lunedi"_s;
    QTest::newRow("empty stays empty") << QString() << QString();
}

void TestPageComposer::nomeGio()
{
    QFETCH(QString, current);
    QFETCH(QString, next);
    QCOMPARE(NomeGio(current), next);
}

void TestPageComposer::captions()
{
    // The month name keeps its two blanks, so three come before the year.
    QCOMPARE(PageTitle(monthPage(2026, 1)), u"Gennaio  "_s);
    QCOMPARE(PageCaption(monthPage(2026, 9)), u"Settembre   2026"_s);
}

void TestPageComposer::weekdayNames_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::newRow("September 2025 begins on a Monday") << 2025 << 9;
    QTest::newRow("June 2025 begins on a Sunday") << 2025 << 6;
    QTest::newRow("February 2026, 28 days") << 2026 << 2;
    QTest::newRow("February 2028, leap year") << 2028 << 2;
}

void TestPageComposer::weekdayNames()
{
    QFETCH(int, year);
    QFETCH(int, month);
    const QList<PageDayEntry> days = PageDays(monthPage(year, month));
    QCOMPARE(days.size(), MonthLength(year, month));
    // Every day names the weekday of its own date.
    for (const PageDayEntry &entry : days) {
        const int weekday = QDate(year, month, entry.day).dayOfWeek();
        QCOMPARE(entry.weekday, PageWeekdayNames[static_cast<std::size_t>(weekday - 1)]);
        QCOMPARE(entry.sunday, weekday == 7);
    }
}

void TestPageComposer::sundayShifts_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("numberX");
    QTest::addColumn<int>("numberY");
    QTest::newRow("Sunday the 1st moves right") << QDate(2025, 6, 1) << 0 << 1 << 205 << 6910;
    QTest::newRow("Monday the 2nd stays") << QDate(2025, 6, 2) << 0 << 2 << 200 << 7260;
    QTest::newRow("Sunday the 5th moves left") << QDate(2025, 10, 5) << 0 << 5 << 190 << 8310;
    QTest::newRow("Sunday the 10th stays at the edge")
        << QDate(2025, 8, 10) << 0 << 10 << 0 << 10060;
    QTest::newRow("weekday the 10th at the edge") << QDate(2025, 6, 10) << 0 << 10 << 0 << 10060;
    QTest::newRow("Sunday the 15th moves right") << QDate(2025, 6, 15) << 1 << 5 << 2605 << 8310;
    QTest::newRow("Sunday the 25th moves right") << QDate(2025, 5, 25) << 2 << 5 << 5305 << 8310;
    QTest::newRow("the 31st in the eleventh row") << QDate(2025, 5, 31) << 2 << 11 << 5300 << 10410;
}

void TestPageComposer::sundayShifts()
{
    QFETCH(QDate, date);
    QFETCH(int, column);
    QFETCH(int, row);
    QFETCH(int, numberX);
    QFETCH(int, numberY);
    const PageDayEntry entry = PageDays(monthPage(date.year(), date.month())).at(date.day() - 1);
    QCOMPARE(entry.day, date.day());
    QCOMPARE(entry.column, column);
    QCOMPARE(entry.row, row);
    QCOMPARE(entry.numberX, numberX);
    QCOMPARE(entry.numberY, numberY);
    QCOMPARE(entry.labelY, numberY + 40);
}

void TestPageComposer::dayColours_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("recurrence");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<QString>("label");
    QTest::newRow("ordinary day is black")
        << QDate(2025, 5, 6) << QString() << QColor(0, 0, 0) << QString();
    QTest::newRow("Sunday is dark red") << QDate(2025, 5, 4) << QString() << TitleRed << QString();
    QTest::newRow("holiday on a Sunday is red")
        << QDate(2024, 6, 2) << QString() << HolidayRed << u"Festa della Repubblica"_s;
    QTest::newRow("recurrence on a Sunday replaces the Sunday colour")
        << QDate(2025, 5, 11) << u"05/11 - Festa patronale <b>"_s << QColor(0, 0, 255)
        << u"Festa patronale "_s;
}

void TestPageComposer::dayColours()
{
    QFETCH(QDate, date);
    QFETCH(QString, recurrence);
    QFETCH(QColor, colour);
    QFETCH(QString, label);
    PageContent page = monthPage(date.year(), date.month());
    page.Ricorr.readLine(recurrence);
    const PageDayEntry entry = PageDays(page).at(date.day() - 1);
    QCOMPARE(toQColor(entry.colour), colour);
    QCOMPARE(entry.label, label);
}

void TestPageComposer::inkAreas_data()
{
    QTest::addColumn<int>("scale");
    QTest::addColumn<int>("area");
    for (int scale : {1, Scala}) {
        for (int i = 0; i < MayInk.size(); ++i)
            QTest::addRow("%s: %s", scale == 1 ? "preview" : "canvas", MayInk[i].name)
                << scale << i;
    }
}

void TestPageComposer::inkAreas()
{
    QFETCH(int, scale);
    QFETCH(int, area);
    const InkArea &expected = MayInk.at(area);
    const Ink ink = inkIn(ComposeSurface(mayPage(), scale), pixels(scale, expected.twips),
                          expected.ink, expected.background);
    if (expected.minPixels == 0) {
        QCOMPARE(ink.pixels, 0);
        return;
    }
    QVERIFY2(ink.pixels > expected.minPixels * scale * scale,
             qPrintable(QString::number(ink.pixels)));
    QCOMPARE(ink.matching, ink.pixels);
    if (expected.solid)
        QVERIFY(ink.solid > ink.pixels / 4);
    if (!expected.start.isNull()) {
        const QRect start = pixels(scale, expected.start).adjusted(-1, -1, 0, 0);
        QVERIFY2(start.contains(ink.bounds.topLeft()),
                 qPrintable(u"ink from %1,%2"_s.arg(ink.bounds.left()).arg(ink.bounds.top())));
    }
}

void TestPageComposer::rules()
{
    QFETCH(int, scale);
    const QImage image = ComposeSurface(monthPage(2025, 3), scale);
    const int right = pixelAt(scale, 8000);

    // A rule from `left` to 8000 twips, one pixel thick: the rows beside it are paper at
    // `clearX`, where no text is.
    const auto ruleProblem = [&](double y, double left, QColor colour, double clearX) {
        const int row = pixelAt(scale, y);
        for (int x = pixelAt(scale, left); x <= right; ++x) {
            if (image.pixelColor(x, row) != colour)
                return u"rule at %1 twips: pixel %2 is %3"_s.arg(y).arg(x).arg(
                    image.pixelColor(x, row).name());
        }
        if (image.pixelColor(pixelAt(scale, left) - 1, row) != White ||
            image.pixelColor(right + 1, row) != White)
            return u"rule at %1 twips runs past its ends"_s.arg(y);
        const int clear = pixelAt(scale, clearX);
        if (image.pixelColor(clear, row - 1) != White || image.pixelColor(clear, row + 1) != White)
            return u"rule at %1 twips is thicker than a pixel"_s.arg(y);
        return QString();
    };

    QString problem = ruleProblem(6900, 100, RuleGrey, 4500);
    for (int y = 7250; y <= 10400 && problem.isEmpty(); y += 350)
        problem = ruleProblem(y, 100, Qt::black, 4500);
    // The short rule under the third column's eleventh row, and no eleventh rule below the
    // tenth of the others.
    if (problem.isEmpty())
        problem = ruleProblem(10750, 5400, Qt::black, 7700);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(colourAt(image, scale, 3000, 10750), BannerGrey);
}

void TestPageComposer::banner()
{
    QFETCH(int, scale);
    const QImage image = ComposeSurface(monthPage(2025, 3), scale);
    const auto at = [&](double x, double y) { return colourAt(image, scale, x, y); };
    // The tab, clear of the banner text.
    QCOMPARE(at(3500, 10610), BannerGrey);
    QCOMPARE(at(4250, 10940), BannerGrey);
    QCOMPARE(at(100, 10600), BannerGrey);
    QCOMPARE(at(60, 10700), White);
    // The slanted end: grey below the falling edge, paper above it.
    for (int k : {100, 300, 500, 700, 900}) {
        const double edge = 10600 + k / 2.8;
        QCOMPARE(at(4300 + k, (edge + 10950) / 2), BannerGrey);
        QCOMPARE(at(4300 + k, edge - 40), White);
    }
    QCOMPARE(at(5200, 10940), BannerGrey);
    QCOMPARE(at(5360, 10930), White);
    // The edge is not rounded: the last twenty lines start a few twips below the base line,
    // which only the canvas resolves.
    if (scale == Scala) {
        QCOMPARE(at(5298, 10956), BannerGrey);
        QCOMPARE(at(5000, 10956), White);
        QCOMPARE(at(5320, 10956), White);
    }
    // The base line runs on to the page's right rule end.
    QCOMPARE(at(8000, 10950), BannerGrey);
    QCOMPARE(at(8060, 10950), White);
}

void TestPageComposer::boldSunday()
{
    QFETCH(int, scale);
    // The 4th is a Sunday in May 2025 and a Wednesday in June 2025: same digit, same place.
    const QImage may = ComposeSurface(monthPage(2025, 5), scale);
    const QRect place = pixels(scale, dayArea(0, 4, DayText::Number));
    const Ink sunday = inkIn(may, place, TitleRed);
    const Ink weekday = inkIn(ComposeSurface(monthPage(2025, 6), scale), place, Qt::black);
    QCOMPARE(sunday.matching, sunday.pixels);
    QVERIFY(sunday.solid > 0);
    QCOMPARE(weekday.matching, weekday.pixels);
    // Bold strokes cover clearly more of the paper.
    QVERIFY2(sunday.pixels * 100 > weekday.pixels * 115,
             qPrintable(u"%1 vs %2"_s.arg(sunday.pixels).arg(weekday.pixels)));
    // Its weekday name stays black.
    const Ink name = inkIn(may, pixels(scale, dayArea(0, 4, DayText::Weekday)), Qt::black);
    QVERIFY(name.pixels > 0);
    QCOMPARE(name.matching, name.pixels);
}

void TestPageComposer::thirdColumnRows_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("rows");
    QTest::newRow("February 2026 has eight") << 2026 << 2 << 8;
    QTest::newRow("February 2028 has nine") << 2028 << 2 << 9;
    QTest::newRow("April has ten") << 2025 << 4 << 10;
    QTest::newRow("May has eleven") << 2025 << 5 << 11;
}

void TestPageComposer::thirdColumnRows()
{
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, rows);
    for (int scale : {1, Scala}) {
        const QImage image = ComposeSurface(monthPage(year, month), scale);
        for (int row = 1; row <= 11; ++row) {
            const QRect number = pixels(scale, dayArea(2, row, DayText::Number));
            QVERIFY2((inkIn(image, number, Qt::black).pixels > 0) == (row <= rows),
                     qPrintable(u"scale %1 row %2"_s.arg(scale).arg(row)));
        }
        // The short rule is there whatever the month's length.
        QCOMPARE(colourAt(image, scale, 7000, 10750), QColor(Qt::black));
    }
}

void TestPageComposer::picture()
{
    QFETCH(int, scale);
    // Twice as wide as high, blue with two red stripes ten picture pixels wide at columns
    // 200 and 900: at 6000 twips high every picture pixel is 10 twips.
    QImage landscape(1200, 600, QImage::Format_RGB32);
    landscape.fill(Qt::blue);
    QPainter painter(&landscape);
    painter.fillRect(200, 0, 10, 600, Qt::red);
    painter.fillRect(900, 0, 10, 600, Qt::red);
    painter.end();
    PageContent page = monthPage(2025, 3);
    page.picture = landscape;
    const QImage image = ComposeSurface(page, scale);

    // 12000 twips wide and centred: its left edge at (8205 - 12000) / 2 = -1897.5, so the
    // stripes' centres are 2050 and 9050 twips right of that.
    const int row = pixelAt(scale, 3000);
    QList<double> centres;
    int runStart = -1;
    for (int x = 0; x <= image.width(); ++x) {
        const QColor c = x < image.width() ? image.pixelColor(x, row) : White;
        const bool red = c.red() > 128 && c.blue() < 128;
        if (red && runStart < 0)
            runStart = x;
        if (!red && runStart >= 0) {
            centres << (runStart + x) / 2.0;
            runStart = -1;
        }
    }
    QCOMPARE(centres.size(), 2);
    for (int i = 0; i < 2; ++i) {
        const double expected = (-1897.5 + (i == 0 ? 2050 : 9050)) * scale / 15.0;
        QVERIFY2(std::abs(centres[i] - expected) <= 1.0 * scale,
                 qPrintable(u"%1 vs %2"_s.arg(centres[i]).arg(expected)));
    }
    // It fills the page's width and runs from 250 to 6250 twips down.
    QCOMPARE(image.pixelColor(0, row), QColor(Qt::blue));
    QCOMPARE(image.pixelColor(image.width() - 1, row), QColor(Qt::blue));
    QCOMPARE(colourAt(image, scale, 3000, 200), White);
    QCOMPARE(colourAt(image, scale, 3000, 300), QColor(Qt::blue));
    QCOMPARE(colourAt(image, scale, 3000, 6200), QColor(Qt::blue));
    QCOMPARE(colourAt(image, scale, 3000, 6300), White);

    // A portrait picture, 3 by 4, is 4500 twips wide from 1852.5 to 6352.5.
    QImage portrait(300, 400, QImage::Format_RGB32);
    portrait.fill(Qt::blue);
    page.picture = portrait;
    const QImage narrow = ComposeSurface(page, scale);
    QCOMPARE(colourAt(narrow, scale, 1780, 3000), White);
    QCOMPARE(colourAt(narrow, scale, 1930, 3000), QColor(Qt::blue));
    QCOMPARE(colourAt(narrow, scale, 6280, 3000), QColor(Qt::blue));
    QCOMPARE(colourAt(narrow, scale, 6430, 3000), White);
}

void TestPageComposer::previewAgreesWithCanvas()
{
    PageContent page = mayPage();
    QImage picture(1600, 1200, QImage::Format_RGB32);
    QPainter painter(&picture);
    QLinearGradient gradient(0, 0, 1600, 1200);
    gradient.setColorAt(0, QColor(20, 90, 200));
    gradient.setColorAt(1, QColor(240, 200, 40));
    painter.fillRect(picture.rect(), gradient);
    painter.end();
    page.picture = picture;
    const QImage preview = ComposeSurface(page, 1);
    const QImage canvas = ComposeSurface(page, Scala);
    const QImage reduced =
        canvas.scaled(preview.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);

    // Flat areas: picture, paper, banner tab.
    for (const QPointF sample : {QPointF(1000, 1000), QPointF(4100, 3000), QPointF(7000, 5800),
                                 QPointF(4000, 8600), QPointF(3500, 10620), QPointF(4700, 10900)}) {
        const QColor a = colourAt(preview, 1, sample.x(), sample.y());
        const QColor b = colourAt(reduced, 1, sample.x(), sample.y());
        QVERIFY2(
            std::abs(a.red() - b.red()) <= 10 && std::abs(a.green() - b.green()) <= 10 &&
                std::abs(a.blue() - b.blue()) <= 10,
            qPrintable(
                u"at %1,%2: %3 vs %4"_s.arg(sample.x()).arg(sample.y()).arg(a.name(), b.name())));
    }

    // Texts: the same places, within a preview pixel or two.
    for (const InkArea &area : MayInk) {
        if (area.minPixels == 0)
            continue;
        const QRectF small(inkIn(preview, pixels(1, area.twips), area.ink, area.background).bounds);
        const QRect large =
            inkIn(canvas, pixels(Scala, area.twips), area.ink, area.background).bounds;
        const QRectF gap(small.x() - large.x() / 4.0, small.y() - large.y() / 4.0,
                         small.width() - large.width() / 4.0,
                         small.height() - large.height() / 4.0);
        QVERIFY2(!small.isEmpty() && !large.isEmpty() && std::abs(gap.x()) <= 2 &&
                     std::abs(gap.y()) <= 2 && std::abs(gap.right()) <= 2 &&
                     std::abs(gap.bottom()) <= 2,
                 qPrintable(u"%1: the preview differs by %2,%3 to %4,%5 pixels"_s
                                .arg(QLatin1String(area.name))
                                .arg(gap.x())
                                .arg(gap.y())
                                .arg(gap.right())
                                .arg(gap.bottom())));
    }
    // Except that the canvas sets the weekday names 30 twips lower; their labels do not move.
    const QRectF name = dayArea(0, 1, DayText::Weekday);
    const double shift = inkIn(canvas, pixels(Scala, name), Qt::black).bounds.top() / 4.0 -
                         inkIn(preview, pixels(1, name), Qt::black).bounds.top();
    QVERIFY2(shift > 0.8 && shift < 3.2, qPrintable(QString::number(shift)));
}

QTEST_MAIN(TestPageComposer)
#include "tst_pagecomposer.moc"
