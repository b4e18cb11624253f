#include "fonts.h"
#include "pagecomposer.h"
#include "pagetestutil.h"
#include "twips.h"

#include <QPainter>
#include <QTest>

using namespace velaria;
using namespace velaria::testutil;

namespace {

const QColor TitleRed(128, 0, 0);
const QColor RuleGrey(128, 128, 128);
const QColor BannerGrey(224, 224, 224);
const QColor HolidayRed(255, 0, 0);

// Twips areas of one day's texts in column c (0 to 2) and row r (1 to 11): the number, the
// label above the weekday name and the weekday name. They stay inside the row's rules.
struct DayAreas
{
    double left;
    double right;
    double top; // the row's upper rule
};

DayAreas dayRow(int column, int row)
{
    const double lefts[3] = {0, 2600, 5300};
    const double rights[3] = {2500, 5200, 8000};
    return {lefts[column], rights[column], 6550.0 + 350 * row};
}

QRect numberArea(int scale, int column, int row)
{
    const DayAreas d = dayRow(column, row);
    const double labelX[3] = {550, 3150, 5850};
    return pixelArea(scale, d.left, d.top + 15, labelX[column] - 25, d.top + 325);
}

QRect labelArea(int scale, int column, int row)
{
    const DayAreas d = dayRow(column, row);
    const double labelX[3] = {550, 3150, 5850};
    return pixelArea(scale, labelX[column], d.top + 45, d.right, d.top + 175);
}

QRect weekdayArea(int scale, int column, int row)
{
    const DayAreas d = dayRow(column, row);
    const double labelX[3] = {550, 3150, 5850};
    return pixelArea(scale, labelX[column], d.top + 200, d.right, d.top + 325);
}

QImage gradientPicture(int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB32);
    QPainter painter(&picture);
    QLinearGradient gradient(0, 0, width, height);
    gradient.setColorAt(0, QColor(20, 90, 200));
    gradient.setColorAt(1, QColor(240, 200, 40));
    painter.fillRect(picture.rect(), gradient);
    return picture;
}

} // namespace

// The page composer: what it draws where, on the preview and on the print canvas alike.
class TestPageComposer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void nomeGio_data();
    void nomeGio();
    void captions_data();
    void captions();
    void weekdayNames_data();
    void weekdayNames();
    void sundayShifts_data();
    void sundayShifts();
    void dayColours_data();
    void dayColours();

    void surfaceSizes();
    void titleAndYear_data();
    void titleAndYear();
    void rules_data();
    void rules();
    void banner_data();
    void banner();
    void holidayNumberAndLabel_data();
    void holidayNumberAndLabel();
    void boldSunday_data();
    void boldSunday();
    void recurrenceColour_data();
    void recurrenceColour();
    void thirdColumnRows_data();
    void thirdColumnRows();
    void pictureWidthAndCentre_data();
    void pictureWidthAndCentre();
    void noPicture();
    void previewAgreesWithCanvas();
};

void TestPageComposer::initTestCase()
{
    InstallFontSubstitutions();
}

void TestPageComposer::nomeGio_data()
{
    QTest::addColumn<QString>("current");
    QTest::addColumn<QString>("next");
    QTest::newRow("Monday to Tuesday") << u"Lunedì"_qs << u"Martedì"_qs;
    QTest::newRow("Wednesday to Thursday") << u"Mercoledì"_qs << u"Giovedì"_qs;
    QTest::newRow("Friday to Saturday") << u"Venerdì"_qs << u"Sabato"_qs;
    QTest::newRow("Saturday to Sunday") << u"Sabato"_qs << u"Domenica"_qs;
    QTest::newRow("Sunday wraps to Monday") << u"Domenica"_qs << u"Lunedì"_qs;
    QTest::newRow("lower case is no weekday") << u"lunedì"_qs << u"lunedì"_qs;
    QTest::newRow("without accent is no weekday") << u"Lunedi"_qs << u"Lunedi"_qs;
    QTest::newRow("empty stays empty") << QString() << QString();
}

void TestPageComposer::nomeGio()
{
    QFETCH(QString, current);
    QFETCH(QString, next);
    QCOMPARE(NomeGio(current), next);
}

void TestPageComposer::captions_data()
{
    QTest::addColumn<int>("month");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("caption");
    QTest::newRow("January keeps its two blanks") << 1 << u"Gennaio  "_qs << u"Gennaio   2026"_qs;
    QTest::newRow("March: three blanks before the year")
        << 3 << u"Marzo  "_qs << u"Marzo   2026"_qs;
    QTest::newRow("September") << 9 << u"Settembre  "_qs << u"Settembre   2026"_qs;
}

void TestPageComposer::captions()
{
    QFETCH(int, month);
    QFETCH(QString, title);
    QFETCH(QString, caption);
    const PageContent page = monthPage(2026, month);
    QCOMPARE(PageTitle(page), title);
    QCOMPARE(PageCaption(page), caption);
}

void TestPageComposer::weekdayNames_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::newRow("September 2025 begins on a Monday")
        << 2025 << 9 << u"Lunedì"_qs << u"Martedì"_qs;
    QTest::newRow("June 2025 begins on a Sunday") << 2025 << 6 << u"Domenica"_qs << u"Lunedì"_qs;
    QTest::newRow("February 2026, 28 days") << 2026 << 2 << u"Domenica"_qs << u"Sabato"_qs;
    QTest::newRow("February 2028, leap year") << 2028 << 2 << u"Martedì"_qs << u"Martedì"_qs;
}

void TestPageComposer::weekdayNames()
{
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(QString, first);
    QFETCH(QString, last);
    const QList<PageDayEntry> days = PageDays(monthPage(year, month));
    QCOMPARE(days.size(), MonthLength(year, month));
    QCOMPARE(days.first().weekday, first);
    QCOMPARE(days.last().weekday, last);
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
    const QList<PageDayEntry> days = PageDays(monthPage(date.year(), date.month()));
    const PageDayEntry &entry = days.at(date.day() - 1);
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
    QTest::addColumn<bool>("sunday");
    QTest::addColumn<QString>("label");
    QTest::newRow("ordinary day is black")
        << QDate(2025, 5, 6) << QString() << QColor(0, 0, 0) << false << QString();
    QTest::newRow("Sunday is dark red")
        << QDate(2025, 5, 4) << QString() << QColor(128, 0, 0) << true << QString();
    QTest::newRow("1 May is red with its label")
        << QDate(2025, 5, 1) << QString() << QColor(255, 0, 0) << false
        << u"Festa dei lavoratori"_qs;
    QTest::newRow("holiday on a Sunday is red and still a Sunday")
        << QDate(2024, 6, 2) << QString() << QColor(255, 0, 0) << true
        << u"Festa della Repubblica"_qs;
    QTest::newRow("recurrence takes its tag colour")
        << QDate(2025, 5, 20) << u"05/20 - Compleanno <v>"_qs << QColor(0, 192, 0) << false
        << u"Compleanno "_qs;
    QTest::newRow("recurrence on a Sunday replaces the Sunday colour")
        << QDate(2025, 5, 11) << u"05/11 - Festa patronale <b>"_qs << QColor(0, 0, 255) << true
        << u"Festa patronale "_qs;
}

void TestPageComposer::dayColours()
{
    QFETCH(QDate, date);
    QFETCH(QString, recurrence);
    QFETCH(QColor, colour);
    QFETCH(bool, sunday);
    QFETCH(QString, label);
    PageContent page = monthPage(date.year(), date.month());
    if (!recurrence.isEmpty())
        QVERIFY(page.Ricorr.readLine(recurrence));
    const PageDayEntry entry = PageDays(page).at(date.day() - 1);
    QCOMPARE(toQColor(entry.colour), colour);
    QCOMPARE(entry.sunday, sunday);
    QCOMPARE(entry.label, label);
}

void TestPageComposer::surfaceSizes()
{
    QCOMPARE(SurfaceSize(1), QSize(547, 735));
    QCOMPARE(SurfaceSize(Scala), QSize(2188, 2940));
    QCOMPARE(ComposeSurface(monthPage(2025, 3), 1).size(), QSize(547, 735));
    QCOMPARE(ComposeSurface(monthPage(2025, 3), Scala).size(), QSize(2188, 2940));
}

void TestPageComposer::titleAndYear_data()
{
    QTest::addColumn<int>("scale");
    QTest::newRow("preview") << 1;
    QTest::newRow("canvas") << Scala;
}

void TestPageComposer::titleAndYear()
{
    QFETCH(int, scale);
    const QImage image = ComposeSurface(monthPage(2025, 3), scale);

    const Ink title = inkIn(image, pixelArea(scale, 100, 6300, 4000, 6890), TitleRed);
    QVERIFY2(title.pixels > 150 * scale * scale, qPrintable(QString::number(title.pixels)));
    QCOMPARE(title.matching, title.pixels);
    QVERIFY(title.solid > title.pixels / 4);
    // "Marzo" starts at x 250 and its capitals hang below the text position.
    QVERIFY(title.bounds.left() >= pixelAt(scale, 250) - 1);
    QVERIFY(title.bounds.left() <= pixelAt(scale, 400));
    QVERIFY(title.bounds.top() >= pixelAt(scale, 6360));
    QVERIFY(title.bounds.top() <= pixelAt(scale, 6560));

    const Ink year = inkIn(image, pixelArea(scale, 6500, 6300, 8205, 6890), TitleRed);
    QVERIFY(year.pixels > 100 * scale * scale);
    QCOMPARE(year.matching, year.pixels);
    QVERIFY(year.bounds.left() >= pixelAt(scale, 6700) - 1);
    QVERIFY(year.bounds.left() <= pixelAt(scale, 6850));

    // Nothing else above the rule but the picture's place.
    QCOMPARE(inkIn(image, pixelArea(scale, 4200, 6300, 6600, 6890), TitleRed).pixels, 0);
}

void TestPageComposer::rules_data()
{
    QTest::addColumn<int>("scale");
    QTest::newRow("preview") << 1;
    QTest::newRow("canvas") << Scala;
}

void TestPageComposer::rules()
{
    QFETCH(int, scale);
    const QImage image = ComposeSurface(monthPage(2025, 3), scale);
    const int left = pixelAt(scale, 100);
    const int right = pixelAt(scale, 8000);

    const auto checkRule = [&](double y, int from, QColor colour, double clearX = 4500) {
        const int row = pixelAt(scale, y);
        for (int x = from; x <= right; ++x) {
            if (image.pixelColor(x, row) != colour)
                return QStringLiteral("rule at %1 twips: pixel %2 is %3")
                    .arg(y)
                    .arg(x)
                    .arg(image.pixelColor(x, row).name());
        }
        if (image.pixelColor(right + 1, row) != Qt::white)
            return QStringLiteral("rule at %1 twips runs past its right end").arg(y);
        // One pixel thick: the rows beside it are paper where no text is.
        const int clear = pixelAt(scale, clearX);
        if (image.pixelColor(clear, row - 1) != Qt::white ||
            image.pixelColor(clear, row + 1) != Qt::white)
            return QStringLiteral("rule at %1 twips is thicker than a pixel").arg(y);
        return QString();
    };

    QString failure = checkRule(6900, left, RuleGrey);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QCOMPARE(image.pixelColor(left - 1, pixelAt(scale, 6900)), QColor(Qt::white));
    for (int y = 7250; y <= 10400; y += 350) {
        failure = checkRule(y, left, Qt::black);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }
    // The short rule under the third column's eleventh row.
    const int shortLeft = pixelAt(scale, 5400);
    failure = checkRule(10750, shortLeft, Qt::black, 7700);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QCOMPARE(image.pixelColor(shortLeft - 1, pixelAt(scale, 10750)), QColor(Qt::white));
    QCOMPARE(image.pixelColor(pixelAt(scale, 5000), pixelAt(scale, 10750)), QColor(Qt::white));
    // No eleventh rule below the tenth.
    QCOMPARE(image.pixelColor(pixelAt(scale, 3000), pixelAt(scale, 10750)), BannerGrey);
}

void TestPageComposer::banner_data()
{
    QTest::addColumn<int>("scale");
    QTest::newRow("preview") << 1;
    QTest::newRow("canvas") << Scala;
}

void TestPageComposer::banner()
{
    QFETCH(int, scale);
    const QImage image = ComposeSurface(monthPage(2025, 3), scale);
    const auto at = [&](double x, double y) {
        return image.pixelColor(pixelAt(scale, x), pixelAt(scale, y));
    };
    // The tab, clear of the banner text.
    QCOMPARE(at(3500, 10610), BannerGrey);
    QCOMPARE(at(4250, 10940), BannerGrey);
    QCOMPARE(at(100, 10600), BannerGrey);
    QCOMPARE(at(60, 10700), QColor(Qt::white));
    // The slanted end: grey below the falling edge, paper above it.
    for (int k : {100, 300, 500, 700, 900}) {
        const double edge = 10600 + k / 2.8;
        QCOMPARE(at(4300 + k, (edge + 10950) / 2), BannerGrey);
        QCOMPARE(at(4300 + k, edge - 40), QColor(Qt::white));
    }
    QCOMPARE(at(5200, 10940), BannerGrey);
    QCOMPARE(at(5360, 10930), QColor(Qt::white));
    // The edge is not rounded: the last twenty lines start a few twips below the base line,
    // which only the canvas resolves.
    if (scale == Scala) {
        QCOMPARE(at(5298, 10956), BannerGrey);
        QCOMPARE(at(5000, 10956), QColor(Qt::white));
        QCOMPARE(at(5320, 10956), QColor(Qt::white));
    }
    // The base line runs on to the page's right rule end.
    QCOMPARE(at(7000, 10950), BannerGrey);
    QCOMPARE(at(8000, 10950), BannerGrey);
    QCOMPARE(at(8060, 10950), QColor(Qt::white));

    // The banner text is dark grey on the tab.
    const Ink text =
        inkIn(image, pixelArea(scale, 150, 10650, 4250, 10940), QColor(64, 64, 64), BannerGrey);
    QVERIFY(text.pixels > 40 * scale * scale);
    QCOMPARE(text.matching, text.pixels);
    QVERIFY(text.bounds.left() >= pixelAt(scale, 150) - 1);
}

void TestPageComposer::holidayNumberAndLabel_data()
{
    QTest::addColumn<int>("scale");
    QTest::newRow("preview") << 1;
    QTest::newRow("canvas") << Scala;
}

void TestPageComposer::holidayNumberAndLabel()
{
    QFETCH(int, scale);
    // 1 May 2025 is a Thursday: first column, first row.
    const QImage image = ComposeSurface(monthPage(2025, 5), scale);
    const Ink number = inkIn(image, numberArea(scale, 0, 1), HolidayRed);
    QVERIFY(number.pixels > 20 * scale * scale);
    QCOMPARE(number.matching, number.pixels);
    const Ink label = inkIn(image, labelArea(scale, 0, 1), HolidayRed);
    QVERIFY(label.pixels > 30 * scale * scale);
    QCOMPARE(label.matching, label.pixels);
    const Ink weekday = inkIn(image, weekdayArea(scale, 0, 1), Qt::black);
    QVERIFY(weekday.pixels > 30 * scale * scale);
    QCOMPARE(weekday.matching, weekday.pixels);
    // The 2nd is an ordinary Friday: black and without a label.
    const Ink second = inkIn(image, numberArea(scale, 0, 2), Qt::black);
    QVERIFY(second.pixels > 20 * scale * scale);
    QCOMPARE(second.matching, second.pixels);
    QCOMPARE(inkIn(image, labelArea(scale, 0, 2), Qt::black).pixels, 0);
}

void TestPageComposer::boldSunday_data()
{
    QTest::addColumn<int>("scale");
    QTest::newRow("preview") << 1;
    QTest::newRow("canvas") << Scala;
}

void TestPageComposer::boldSunday()
{
    QFETCH(int, scale);
    // The 4th is a Sunday in May 2025 and a Wednesday in June 2025: same digit, same place.
    const QImage may = ComposeSurface(monthPage(2025, 5), scale);
    const QImage june = ComposeSurface(monthPage(2025, 6), scale);
    const Ink sunday = inkIn(may, numberArea(scale, 0, 4), TitleRed);
    const Ink weekday = inkIn(june, numberArea(scale, 0, 4), Qt::black);
    QCOMPARE(sunday.matching, sunday.pixels);
    QVERIFY(sunday.solid > 0);
    QCOMPARE(weekday.matching, weekday.pixels);
    // Bold strokes cover clearly more of the paper.
    QVERIFY2(sunday.pixels * 100 > weekday.pixels * 115,
             qPrintable(QStringLiteral("%1 vs %2").arg(sunday.pixels).arg(weekday.pixels)));
    // Its weekday name stays black.
    const Ink name = inkIn(may, weekdayArea(scale, 0, 4), Qt::black);
    QVERIFY(name.pixels > 0);
    QCOMPARE(name.matching, name.pixels);
}

void TestPageComposer::recurrenceColour_data()
{
    QTest::addColumn<int>("scale");
    QTest::newRow("preview") << 1;
    QTest::newRow("canvas") << Scala;
}

void TestPageComposer::recurrenceColour()
{
    QFETCH(int, scale);
    PageContent page = monthPage(2025, 5);
    QVERIFY(page.Ricorr.readLine(u"05/20 - Compleanno di Anna <a>"));
    const QImage image = ComposeSurface(page, scale);
    const QColor orange(255, 128, 0);
    // The 20th: second column, tenth row; number and label in the recurrence's colour.
    const Ink number = inkIn(image, numberArea(scale, 1, 10), orange);
    QVERIFY(number.pixels > 20 * scale * scale);
    QCOMPARE(number.matching, number.pixels);
    const Ink label = inkIn(image, labelArea(scale, 1, 10), orange);
    QVERIFY(label.pixels > 30 * scale * scale);
    QCOMPARE(label.matching, label.pixels);
    const Ink weekday = inkIn(image, weekdayArea(scale, 1, 10), Qt::black);
    QCOMPARE(weekday.matching, weekday.pixels);
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
            const bool drawn = inkIn(image, numberArea(scale, 2, row), Qt::black).pixels > 0;
            QVERIFY2(drawn == (row <= rows),
                     qPrintable(QStringLiteral("scale %1 row %2").arg(scale).arg(row)));
        }
        // The short rule is there whatever the month's length.
        QCOMPARE(image.pixelColor(pixelAt(scale, 7000), pixelAt(scale, 10750)), QColor(Qt::black));
    }
}

void TestPageComposer::pictureWidthAndCentre_data()
{
    QTest::addColumn<int>("scale");
    QTest::newRow("preview") << 1;
    QTest::newRow("canvas") << Scala;
}

void TestPageComposer::pictureWidthAndCentre()
{
    QFETCH(int, scale);
    // Twice as wide as high, blue with two red stripes ten picture pixels wide at columns
    // 200 and 900: at 6000 twips high every picture pixel is 10 twips.
    QImage picture(1200, 600, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    QPainter painter(&picture);
    painter.fillRect(200, 0, 10, 600, Qt::red);
    painter.fillRect(900, 0, 10, 600, Qt::red);
    painter.end();
    PageContent page = monthPage(2025, 3);
    page.picture = picture;
    const QImage image = ComposeSurface(page, scale);

    // 12000 twips wide and centred: its left edge at (8205 - 12000) / 2 = -1897.5.
    const double left = (8205 - 12000) / 2.0;
    const int row = pixelAt(scale, 3000);
    double sum = 0;
    int count = 0;
    QList<double> centres;
    for (int x = 0; x < image.width(); ++x) {
        const QColor c = image.pixelColor(x, row);
        const bool red = c.red() > 128 && c.blue() < 128;
        if (red) {
            sum += x;
            ++count;
        }
        if (!red && count > 0) {
            centres << sum / count;
            sum = 0;
            count = 0;
        }
    }
    if (count > 0)
        centres << sum / count;
    QCOMPARE(centres.size(), 2);
    const double stripe1 = (left + 2050) * scale / 15.0; // centre of columns 200 to 209
    const double stripe2 = (left + 9050) * scale / 15.0;
    QVERIFY2(std::abs(centres[0] + 0.5 - stripe1) <= 1.0 * scale,
             qPrintable(QStringLiteral("%1 vs %2").arg(centres[0]).arg(stripe1)));
    QVERIFY2(std::abs(centres[1] + 0.5 - stripe2) <= 1.0 * scale,
             qPrintable(QStringLiteral("%1 vs %2").arg(centres[1]).arg(stripe2)));
    // It fills the page's width and runs from 250 to 6250 twips down.
    QCOMPARE(image.pixelColor(0, row), QColor(Qt::blue));
    QCOMPARE(image.pixelColor(image.width() - 1, row), QColor(Qt::blue));
    const int middle = pixelAt(scale, 3000);
    QCOMPARE(image.pixelColor(middle, pixelAt(scale, 200)), QColor(Qt::white));
    QCOMPARE(image.pixelColor(middle, pixelAt(scale, 300)), QColor(Qt::blue));
    QCOMPARE(image.pixelColor(middle, pixelAt(scale, 6200)), QColor(Qt::blue));
    QCOMPARE(image.pixelColor(middle, pixelAt(scale, 6300)), QColor(Qt::white));

    // A portrait picture, 3 by 4, is 4500 twips wide from 1852.5 to 6352.5.
    QImage portrait(300, 400, QImage::Format_RGB32);
    portrait.fill(Qt::blue);
    page.picture = portrait;
    const QImage narrow = ComposeSurface(page, scale);
    QCOMPARE(narrow.pixelColor(pixelAt(scale, 1780), row), QColor(Qt::white));
    QCOMPARE(narrow.pixelColor(pixelAt(scale, 1930), row), QColor(Qt::blue));
    QCOMPARE(narrow.pixelColor(pixelAt(scale, 6280), row), QColor(Qt::blue));
    QCOMPARE(narrow.pixelColor(pixelAt(scale, 6430), row), QColor(Qt::white));
}

void TestPageComposer::noPicture()
{
    for (int scale : {1, Scala}) {
        const QImage image = ComposeSurface(monthPage(2025, 3), scale);
        const Ink ink = inkIn(image, pixelArea(scale, 0, 0, 8205, 6300), Qt::black);
        QCOMPARE(ink.pixels, 0);
    }
}

void TestPageComposer::previewAgreesWithCanvas()
{
    PageContent page = monthPage(2025, 5);
    QVERIFY(page.Ricorr.readLine(u"05/20 - Compleanno di Anna <v>"));
    page.picture = gradientPicture(1600, 1200);
    const QImage preview = ComposeSurface(page, 1);
    const QImage canvas = ComposeSurface(page, Scala);
    const QImage reduced =
        canvas.scaled(preview.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);

    // Flat areas: picture, paper, banner tab.
    const QList<QPointF> samples = {{1000, 1000}, {4100, 3000},  {7000, 5800},  {6000, 700},
                                    {4000, 8600}, {3500, 10620}, {4700, 10900}, {8150, 9000}};
    for (const QPointF &sample : samples) {
        const QColor a = preview.pixelColor(pixelAt(1, sample.x()), pixelAt(1, sample.y()));
        const QColor b = reduced.pixelColor(pixelAt(1, sample.x()), pixelAt(1, sample.y()));
        QVERIFY2(std::abs(a.red() - b.red()) <= 10 && std::abs(a.green() - b.green()) <= 10 &&
                     std::abs(a.blue() - b.blue()) <= 10,
                 qPrintable(QStringLiteral("at %1,%2: %3 vs %4")
                                .arg(sample.x())
                                .arg(sample.y())
                                .arg(a.name(), b.name())));
    }

    // Texts: the same places, within a preview pixel or two.
    struct Area
    {
        const char *name;
        QRectF twips;
        QColor colour;
        QColor background = Qt::white;
    };
    const QList<Area> areas = {
        {"title", {100, 6300, 3900, 590}, TitleRed},
        {"year", {6500, 6300, 1700, 590}, TitleRed},
        {"1 May number", {0, 6915, 525, 310}, HolidayRed},
        {"1 May label", {550, 6945, 1950, 130}, HolidayRed},
        {"20th number", {2600, 10065, 525, 310}, QColor(0, 192, 0)},
        {"31st number", {5300, 10415, 525, 310}, Qt::black},
        {"banner text", {150, 10650, 4100, 290}, QColor(64, 64, 64), BannerGrey},
    };
    for (const Area &area : areas) {
        const QRectF t = area.twips;
        const Ink small = inkIn(preview, pixelArea(1, t.left(), t.top(), t.right(), t.bottom()),
                                area.colour, area.background);
        const Ink large = inkIn(canvas, pixelArea(Scala, t.left(), t.top(), t.right(), t.bottom()),
                                area.colour, area.background);
        QVERIFY2(small.pixels > 0 && large.pixels > 0, area.name);
        const QRectF scaled(large.bounds.left() / 4.0, large.bounds.top() / 4.0,
                            large.bounds.width() / 4.0, large.bounds.height() / 4.0);
        const QString where = QStringLiteral("%1: preview %2,%3 %4x%5, canvas/4 %6,%7 %8x%9")
                                  .arg(QLatin1String(area.name))
                                  .arg(small.bounds.left())
                                  .arg(small.bounds.top())
                                  .arg(small.bounds.width())
                                  .arg(small.bounds.height())
                                  .arg(scaled.left())
                                  .arg(scaled.top())
                                  .arg(scaled.width())
                                  .arg(scaled.height());
        QVERIFY2(std::abs(small.bounds.left() - scaled.left()) <= 2, qPrintable(where));
        QVERIFY2(std::abs(small.bounds.top() - scaled.top()) <= 2, qPrintable(where));
        QVERIFY2(std::abs(small.bounds.right() + 1 - scaled.right()) <= 2, qPrintable(where));
        QVERIFY2(std::abs(small.bounds.bottom() + 1 - scaled.bottom()) <= 2, qPrintable(where));
    }
    // The canvas sets the weekday names 30 twips lower; the labels above them do not move.
    const Ink previewName = inkIn(preview, weekdayArea(1, 0, 1), Qt::black);
    const Ink canvasName = inkIn(canvas, weekdayArea(Scala, 0, 1), Qt::black);
    const double shift = canvasName.bounds.top() / 4.0 - previewName.bounds.top();
    QVERIFY2(shift > 0.8 && shift < 3.2, qPrintable(QString::number(shift)));
}

QTEST_MAIN(TestPageComposer)
#include "tst_pagecomposer.moc"
