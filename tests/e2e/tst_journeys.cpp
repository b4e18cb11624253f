// The built program as a person uses it: a portable copy started as its own process in the X
// session, driven with real pointer and key events, watched through screenshots, the window
// sizes, the files it writes and the printer's output. Then the same program started on
// damaged or hostile data files.

#include "programcopy.h"
#include "testsupport.h"
#include "xwindow.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QLocale>
#include <QMenuBar>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStyleHints>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using velaria::testing::countColour;
using velaria::testing::readBytes;
using velaria::testing::writeBytes;

namespace {

int px(double twips)
{
    return qRound(twips / 15.0);
}

// The main window in twips, inside its client area under the menu bar.
constexpr int ClientWidth = 6855;
constexpr int ClientHeightNormal = 5610;
constexpr int ClientHeightTall = 5880;
constexpr int GridLeft = 30; // the month grid
constexpr int GridTop = 750;
constexpr int CellsTop = 700; // inside the grid, under the weekday headings
constexpr int CellWidth = 968;
constexpr int CellHeight = 620;

// Centres of the main window's header controls, twips in its client area.
constexpr QPoint Previous(90 + 120 + 277, 30 + 150 + 247);
constexpr QPoint Next(90 + 6060 + 262, 30 + 150 + 247);
constexpr QPoint Caption(90 + 600 + 2842, 30 + 120 + 247);
constexpr QPoint SaveAndClose(90 + 4380 + 622, 780 + 4320 + 187); // "Esci e salva" of the editor

// Centres of the page window's controls, pixels in its client area.
constexpr QPoint PageNext((8250 + 3240 + 187) / 15, (30 + 7290 + 127) / 15);
constexpr QPoint SavePage((8310 + 480 + 637) / 15, (7830 + 180 + 157) / 15);
constexpr QPoint PrintA4((8310 + 480 + 637) / 15, (7830 + 630 + 157) / 15);

const QColor Red(255, 0, 0);
const QColor SundayRed(128, 0, 0);
const QColor Green(0, 192, 0);
const QColor Black(0, 0, 0);
const QColor ListYellow(255, 255, 192);

constexpr int WaitMs = 15000;

// Menus and the lists of drop-down boxes open as windows of their own, without a title.
const QString Popup = u"^$"_s;

// Where a day sits in its month's Monday-first grid, counted independently of the program.
QPoint cellOf(const QDate &day)
{
    const int index = QDate(day.year(), day.month(), 1).dayOfWeek() - 1 + day.day() - 1;
    return {index % 7, index / 7};
}

bool near(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
               std::abs(qBlue(a) - qBlue(b)) <
           60;
}

// What in the screenshot of the main window's month grid differs from the month: a number in
// every day's cell and in no other, and the given days drawn in their colours. Empty when
// the grid shows the month.
QString gridMismatch(const QImage &shot, int menuHeight, const QDate &month,
                     const QHash<int, QColor> &colours)
{
    if (shot.isNull())
        return u"no screenshot"_s;
    const QPoint origin(px(GridLeft), menuHeight + px(GridTop));
    const QRgb background = shot.pixel(origin + QPoint(4, px(CellsTop - 40)));
    const QDate first(month.year(), month.month(), 1);
    QStringList wrong;
    for (int row = 0; row < 6; ++row) {
        for (int column = 0; column < 7; ++column) {
            const QRect cell(origin +
                                 QPoint(px(column * CellWidth), px(CellsTop + row * CellHeight)),
                             QSize(px(CellWidth), px(CellHeight)));
            const QRect inside = cell.adjusted(8, 6, -8, -6);
            int ink = 0;
            for (int y = inside.top(); y <= inside.bottom(); ++y)
                for (int x = inside.left(); x <= inside.right(); ++x)
                    ink += near(shot.pixel(x, y), background) ? 0 : 1;
            const int day = row * 7 + column - (first.dayOfWeek() - 1) + 1;
            const bool isDay = day >= 1 && day <= first.daysInMonth();
            if (isDay != (ink > 20))
                wrong << u"cell %1,%2 %3"_s.arg(column).arg(row).arg(isDay ? u"empty"_s
                                                                           : u"not empty"_s);
            if (!isDay || !colours.contains(day))
                continue;
            const QColor colour = colours.value(day);
            if (countColour(shot, inside, colour) < 10)
                wrong << u"day %1 not in %2"_s.arg(day).arg(colour.name());
            // An ordinary day has no trace of a holiday's colours.
            if (colour == Black &&
                countColour(shot, inside, Red) + countColour(shot, inside, SundayRed) > 0)
                wrong << u"day %1 not black"_s.arg(day);
        }
    }
    return wrong.join(u"; "_s);
}

// The centre of a menu bar item as the program lays out its menu bar (same style and font).
int menuItemCentre(const QString &caption)
{
    QMenuBar bar;
    QAction *wanted = nullptr;
    for (const QString &item :
         {u"Data Corrente"_s, u"Ricorrenze"_s, u"Pagina di creazione e stampa"_s, u"Sito"_s}) {
        QAction *action =
            item == u"Ricorrenze"_s ? bar.addMenu(item)->menuAction() : bar.addAction(item);
        if (item == caption)
            wanted = action;
    }
    bar.resize(px(ClientWidth), bar.sizeHint().height());
    return bar.actionGeometry(wanted).center().x();
}

} // namespace

class TestJourneys : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void monthStepsDateEntryAndDayInformation();
    void recurrenceSurvivesARestart();
    void pageSavedPrintedAndAllWindowsCloseWithTheMain();

    void startsWithBadDataFiles_data();
    void startsWithBadDataFiles();
    void readOnlyProgramFolderUsesTheUsersFolder();
    void spoolerUnreachableGivesAMessage();

private:
    bool start();
    QImage shotOf(const XWindow &window, const QString &what);
    QPoint inClient(int xTwips, int yTwips) const;
    QPoint inClient(QPoint twips) const { return inClient(twips.x(), twips.y()); }
    QPoint dayCentre(const QDate &day) const;
    bool click(const XWindow &window, QPoint at, int count = 1);
    bool waitForGrid(const QDate &month, const QHash<int, QColor> &colours = {});
    bool waitForHeight(int clientHeightTwips);
    bool openMenu(const QString &caption);
    XWindow openPageWindow();
    bool openEditor();
    void waitForPageToSettle(const XWindow &page);

    std::unique_ptr<ProgramCopy> m_program;
    XWindow m_main;
    int m_menuHeight = 0;
    QString m_lastMismatch;
    QElapsedTimer m_sinceClick;
    std::unique_ptr<QTemporaryDir> m_shots;
    int m_shotCount = 0;
};

void TestJourneys::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("no X display: this test runs in `make test`, which starts one");
    for (const char *tool : {"xdotool", "wmctrl", "import", "pdfinfo"})
        QVERIFY2(!QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty(), tool);
    m_sinceClick.start();
}

void TestJourneys::cleanup()
{
    // A failed journey leaves its screenshots, and one of the whole screen, for a look; with
    // VELARIA_E2E_KEEP set every journey does.
    if ((QTest::currentTestFailed() || qEnvironmentVariableIsSet("VELARIA_E2E_KEEP")) && m_shots) {
        (void)shotOf(XWindow(u"root"_s), u"schermo"_s);
        const QString target =
            QStringLiteral(VELARIA_E2E_ARTIFACTS) + u'/' +
            QString::fromLatin1(QTest::currentTestFunction()) +
            (QTest::currentDataTag()
                 ? u'-' + QString::fromUtf8(QTest::currentDataTag()).replace(u' ', u'_')
                 : QString());
        QDir().mkpath(target);
        for (const QString &name : QDir(m_shots->path()).entryList(QDir::Files))
            QFile::copy(m_shots->filePath(name), target + u'/' + name);
        qWarning("screenshots of the journey: %s", qPrintable(target));
    }
    m_program.reset();
    m_shots.reset();
    m_shotCount = 0;
}

bool TestJourneys::start()
{
    if (!m_program) {
        m_program = std::make_unique<ProgramCopy>();
        m_shots = std::make_unique<QTemporaryDir>();
    }
    if (!m_program->isValid() || !m_program->start())
        return false;
    m_main = m_program->mainWindow();
    m_menuHeight = m_main.geometry().height() - px(ClientHeightNormal);
    return m_menuHeight > 0;
}

QImage TestJourneys::shotOf(const XWindow &window, const QString &what)
{
    QImage image = window.grab();
    if (m_shots)
        image.save(
            m_shots->filePath(u"%1-%2.png"_s.arg(++m_shotCount, 3, 10, QChar(u'0')).arg(what)));
    return image;
}

QPoint TestJourneys::inClient(int xTwips, int yTwips) const
{
    return {px(xTwips), m_menuHeight + px(yTwips)};
}

QPoint TestJourneys::dayCentre(const QDate &day) const
{
    const QPoint cell = cellOf(day);
    return inClient(GridLeft + cell.x() * CellWidth + CellWidth / 2,
                    GridTop + CellsTop + cell.y() * CellHeight + CellHeight / 2);
}

// Clicks as a person does: never two clicks so close that they make a double click.
bool TestJourneys::click(const XWindow &window, QPoint at, int count)
{
    const qint64 pause =
        QGuiApplication::styleHints()->mouseDoubleClickInterval() + 200 - m_sinceClick.elapsed();
    if (pause > 0)
        QTest::qWait(static_cast<int>(pause));
    m_sinceClick.restart();
    return window.click(at, count);
}

bool TestJourneys::waitForGrid(const QDate &month, const QHash<int, QColor> &colours)
{
    const QDeadlineTimer deadline(WaitMs);
    const QString what = u"mese-%1-%2"_s.arg(month.year()).arg(month.month());
    do {
        m_lastMismatch = gridMismatch(m_main.grab(), m_menuHeight, month, colours);
        if (m_lastMismatch.isEmpty())
            return true;
        QTest::qWait(100);
    } while (!deadline.hasExpired());
    (void)shotOf(m_main, what);
    return false;
}

bool TestJourneys::waitForHeight(int clientHeightTwips)
{
    const QDeadlineTimer deadline(WaitMs);
    const int wanted = m_menuHeight + px(clientHeightTwips);
    while (m_main.geometry().height() != wanted) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(50);
    }
    return true;
}

// Clicks a menu bar item; a submenu is then chosen from the keyboard.
bool TestJourneys::openMenu(const QString &caption)
{
    return click(m_main, {menuItemCentre(caption), m_menuHeight / 2});
}

// "Ricorrenze" > "Inserimento": the editor covers the grid with its yellow list.
bool TestJourneys::openEditor()
{
    if (!openMenu(u"Ricorrenze"_s) || m_program->waitForWindow(Popup).isNull() ||
        !XWindow::key(u"Down"_s) || !XWindow::key(u"Return"_s))
        return false;
    const QRect list(inClient(300, 1200), QSize(300, 100));
    const QDeadlineTimer deadline(WaitMs);
    while (countColour(m_main.grab(), list, ListYellow) < list.width() * list.height() * 9 / 10) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(100);
    }
    return true;
}

XWindow TestJourneys::openPageWindow()
{
    return openMenu(u"Pagina di creazione e stampa"_s)
               ? m_program->waitForWindow(u"^Finestra creazione calendario"_s)
               : XWindow();
}

// Waits until the page window's preview shows a composed page that no longer changes (the
// rest of the window may hold a blinking text cursor).
void TestJourneys::waitForPageToSettle(const XWindow &page)
{
    const QRect preview(0, px(30), px(8205), px(11025));
    QImage last = page.grab().copy(preview);
    const QDeadlineTimer deadline(WaitMs);
    for (int same = 0; same < 3 && !deadline.hasExpired();) {
        QTest::qWait(150);
        const QImage now = page.grab().copy(preview);
        same = now == last ? same + 1 : 0;
        last = now;
    }
}

void TestJourneys::monthStepsDateEntryAndDayInformation()
{
    QVERIFY(start());
    const QDate today = QDate::currentDate();
    QVERIFY2(waitForGrid(today), qPrintable(m_lastMismatch));

    // ">>" twice and "<<" once, one click each.
    for (const auto &[arrow, months] : {std::pair{Next, 1}, {Next, 2}, {Previous, 1}}) {
        QVERIFY(click(m_main, inClient(arrow)));
        QVERIFY2(waitForGrid(today.addMonths(months)), qPrintable(m_lastMismatch));
    }

    // A double click on the caption asks for a date; December 2030 has its three holidays.
    QVERIFY(click(m_main, inClient(Caption), 2));
    const XWindow entry = m_program->waitForWindow(u"^Inserire la nuova data$"_s);
    QVERIFY(!entry.isNull() && entry.activate());
    QVERIFY(XWindow::key(u"ctrl+a"_s) && XWindow::type(u"25/12/2030"_s) &&
            XWindow::key(u"Return"_s));
    const QHash<int, QColor> december2030 = {{1, SundayRed},  {8, Red},    {15, SundayRed},
                                             {22, SundayRed}, {25, Red},   {26, Red},
                                             {29, SundayRed}, {10, Black}, {24, Black}};
    QVERIFY2(waitForGrid(QDate(2030, 12, 1), december2030), qPrintable(m_lastMismatch));

    // A press on a day makes the window taller for five seconds.
    QVERIFY(click(m_main, dayCentre(QDate(2030, 12, 10))));
    QVERIFY2(waitForHeight(ClientHeightTall), "the window did not grow");
    (void)shotOf(m_main, u"giorno"_s);
    QVERIFY2(waitForHeight(ClientHeightNormal), "the window did not shrink back");

    QCOMPARE(m_program->closeAndWait(), 0);
}

void TestJourneys::recurrenceSurvivesARestart()
{
    QVERIFY(start());
    const QDate today = QDate::currentDate();
    QVERIFY2(waitForGrid(today), qPrintable(m_lastMismatch));

    QVERIFY2(openEditor(), "the recurrence editor did not open");

    // Month and day from the two lists (opened at their arrows, chosen by typing), the text,
    // Enter to insert, then "Esci e salva". The editor sits at 90, 780 in the client area.
    const auto inEditor = [this](int x, int y) { return inClient(90 + x, 780 + y); };
    const QString month = u"%1"_s.arg(today.month(), 2, 10, QChar(u'0'));
    for (const auto &[left, choice] : {std::pair{90, month}, {720, u"13"_s}}) {
        QVERIFY(click(m_main, inEditor(left + 560, 3900 + 157)));
        QVERIFY(!m_program->waitForWindow(Popup).isNull());
        QVERIFY(XWindow::type(choice) && XWindow::key(u"Return"_s));
    }
    QVERIFY(click(m_main, inEditor(1380 + 2197, 3900 + 157)));
    QVERIFY(XWindow::type(u"Compleanno di Anna <v>"_s) && XWindow::key(u"Return"_s));
    QVERIFY(click(m_main, inClient(SaveAndClose)));

    const QHash<int, QColor> green13 = {{13, Green}};
    QVERIFY2(waitForGrid(today, green13), qPrintable(m_lastMismatch));
    const QByteArray line = month.toLatin1() + "/13 - Compleanno di Anna <v>\r\n";
    QCOMPARE(readBytes(m_program->path(u"Ricorrenze.txt"_s)), line);
    QCOMPARE(m_program->closeAndWait(), 0);

    // The next start reads it back.
    QVERIFY(start());
    QVERIFY2(waitForGrid(today, green13), qPrintable(m_lastMismatch));
    QCOMPARE(m_program->closeAndWait(), 0);
    QCOMPARE(readBytes(m_program->path(u"Ricorrenze.txt"_s)), line);
}

void TestJourneys::pageSavedPrintedAndAllWindowsCloseWithTheMain()
{
    QVERIFY(start());
    const QDate today = QDate::currentDate();
    QVERIFY2(waitForGrid(today), qPrintable(m_lastMismatch));

    const XWindow page = openPageWindow();
    QVERIFY(!page.isNull());

    // The page window's ">>" moves the main window, and the page follows.
    for (int months = 1; months <= 2; ++months) {
        QVERIFY(click(page, PageNext));
        QVERIFY2(waitForGrid(today.addMonths(months)), qPrintable(m_lastMismatch));
    }
    waitForPageToSettle(page);
    (void)shotOf(page, u"pagina"_s);

    // "Salva Pagina" writes the bitmap of the shown month on the desktop.
    const QDate shown = today.addMonths(2);
    const QString bitmap = m_program->desktop() + u'/' +
                           QLocale(QLocale::Italian).standaloneMonthName(shown.month()).toUpper() +
                           u".bmp"_s;
    QVERIFY(click(page, SavePage));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(bitmap), WaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(!QImage(bitmap).isNull(), WaitMs);

    // "Stampa A4" sends one A4 page to the default printer.
    const QString pdfFolder = qEnvironmentVariable("VELARIA_CUPS_PDF_DIR");
    if (pdfFolder.isEmpty()) {
        qWarning("no test printer (VELARIA_CUPS_PDF_DIR): printing is not checked");
    } else {
        const QDir pdfs(pdfFolder);
        const QStringList before = pdfs.entryList({u"*.pdf"_s}, QDir::Files);
        QVERIFY(click(page, PrintA4));
        // The PDF file is there before it is whole: it counts once poppler can read it.
        QString info;
        const auto printed = [&] {
            QStringList added = pdfs.entryList({u"*.pdf"_s}, QDir::Files);
            for (const QString &name : before)
                added.removeAll(name);
            info = added.size() == 1 ? XWindow::run(u"pdfinfo"_s, {pdfs.filePath(added.first())})
                                     : QString();
            return info.contains(u"(A4)"_s);
        };
        QTRY_VERIFY2_WITH_TIMEOUT(printed(), qPrintable(info), 120000);
        QVERIFY2(info.contains(
                     QRegularExpression(u"^Pages:\\s+1$"_s, QRegularExpression::MultilineOption)),
                 qPrintable(info));
        QVERIFY(m_program->waitForWindow(u"^Printer Error!$"_s, 100).isNull());
    }

    // "Data Corrente" comes back to today, and a click on today's mark opens the web window
    // (its page cannot load here).
    QVERIFY(openMenu(u"Data Corrente"_s));
    QVERIFY2(waitForGrid(today), qPrintable(m_lastMismatch));
    if (QFile::exists(m_program->path(u"velaria_webwindow_plugin.so"_s))) {
        QVERIFY(click(m_main, dayCentre(today)));
        QVERIFY2(!m_program->waitForWindow(u"^Finestra di navigazione$"_s, 60000).isNull(),
                 "no web window");
    }

    // Closing the main window closes the others and ends the program.
    QCOMPARE(m_program->closeAndWait(), 0);
}

// Each row writes one data file, starts the program on it, uses it a little, closes it and
// finds the file as it was.
void TestJourneys::startsWithBadDataFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("then"); // "mese": a month on; "pagina": two through the page
                                       // window; "editor": "Esci e salva" in the editor

    QRandomGenerator random(9);
    QByteArray noise(64 * 1024, Qt::Uninitialized);
    for (char &byte : noise)
        byte = static_cast<char>(random.bounded(256));
    const QDate today = QDate::currentDate();
    const QByteArray todayKey = today.toString(u"MM/dd"_s).toLatin1();

    QByteArray manyLines;
    for (int i = 0; i < 100000; ++i)
        manyLines += QDate(2024, 1, 1).addDays(i % 366).toString(u"MM/dd"_s).toLatin1() +
                     " - Ricorrenza numero " + QByteArray::number(i) + "\r\n";

    QTest::newRow("Ricorrenze.txt of random bytes") << u"Ricorrenze.txt"_s << noise << u"mese"_s;
    QTest::newRow("Ricorrenze.txt of 100 000 lines")
        << u"Ricorrenze.txt"_s << manyLines << u"mese"_s;
    QTest::newRow("Ricorrenze.txt with a 10 MB line on today")
        << u"Ricorrenze.txt"_s << todayKey + " - " + QByteArray(10 * 1024 * 1024, 'x') + " <v>\r\n"
        << u"editor"_s;
    QTest::newRow("Ricorrenze.txt in two encodings")
        << u"Ricorrenze.txt"_s
        << todayKey + " - Caff\xC3\xA8 con Anna <b>\r\n" + todayKey + " - Perch\xE9 no?\r\n"
        << u"editor"_s;
    QTest::newRow("pubblicita.txt of 100 MB without a line end")
        << u"pubblicita.txt"_s << QByteArray() << u"pagina"_s;
    QTest::newRow("Immagini.txt of random bytes") << u"Immagini.txt"_s << noise << u"pagina"_s;
    QByteArray devices;
    for (int month = 1; month <= 12; ++month) {
        const int offset = (month - today.month() + 12) % 12;
        devices += offset == 0 ? "/dev/zero\r\n" : offset == 1 ? "/tmp\r\n" : "/dev/stdin\r\n";
    }
    QTest::newRow("Immagini.txt naming a device and a folder")
        << u"Immagini.txt"_s << devices << u"pagina"_s;
}

void TestJourneys::startsWithBadDataFiles()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, then);

    m_program = std::make_unique<ProgramCopy>();
    m_shots = std::make_unique<QTemporaryDir>();
    const QString path = m_program->path(name);
    if (bytes.isEmpty()) {
        // A sparse file: a hundred megabytes of NUL bytes that cost no disk.
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(100LL * 1024 * 1024));
    } else {
        QVERIFY(writeBytes(path, bytes));
    }
    const QFileInfo beforeInfo(path);
    const QByteArray before = beforeInfo.size() < 20 * 1024 * 1024 ? readBytes(path) : QByteArray();

    QVERIFY(start());
    const QDate today = QDate::currentDate();
    QVERIFY2(waitForGrid(today), qPrintable(m_lastMismatch));
    if (then == u"pagina"_s) {
        const XWindow page = openPageWindow();
        QVERIFY(!page.isNull());
        for (int months = 1; months <= 2; ++months) {
            QVERIFY(click(page, PageNext));
            QVERIFY2(waitForGrid(today.addMonths(months)), qPrintable(m_lastMismatch));
        }
        waitForPageToSettle(page);
        (void)shotOf(page, u"pagina"_s);
    } else if (then == u"editor"_s) {
        QVERIFY2(openEditor(), "the recurrence editor did not open");
        QVERIFY(click(m_main, inClient(SaveAndClose)));
        QVERIFY2(waitForGrid(today), qPrintable(m_lastMismatch));
    } else {
        QVERIFY(click(m_main, inClient(Next)));
        QVERIFY2(waitForGrid(today.addMonths(1)), qPrintable(m_lastMismatch));
    }
    QCOMPARE(m_program->closeAndWait(), 0);

    // Saved again by the editor, or not touched at all.
    const QFileInfo after(path);
    QCOMPARE(after.lastModified() != beforeInfo.lastModified(), then == u"editor"_s);
    QCOMPARE(after.size(), beforeInfo.size());
    if (!before.isEmpty())
        QVERIFY(readBytes(path) == before);
}

void TestJourneys::readOnlyProgramFolderUsesTheUsersFolder()
{
    m_program = std::make_unique<ProgramCopy>();
    m_shots = std::make_unique<QTemporaryDir>();
    const QDate today = QDate::currentDate();
    const QByteArray key = today.toString(u"MM"_s).toLatin1() + "/13 - ";
    QVERIFY(writeBytes(m_program->path(u"Ricorrenze.txt"_s),
                       key + "Nella cartella del programma <b>\r\n"));
    QVERIFY(QDir().mkpath(m_program->userDataFolder()));
    QVERIFY(writeBytes(m_program->userDataFolder() + u"/Ricorrenze.txt"_s,
                       key + "Nella cartella dell'utente <v>\r\n"));
    velaria::testing::ReadOnlyFolder readOnly(m_program->folder());
    if (!readOnly.active())
        QSKIP("the program's folder cannot be made read-only here");

    QVERIFY(start());
    QVERIFY2(waitForGrid(today, {{13, Green}}), qPrintable(m_lastMismatch));
    QCOMPARE(m_program->closeAndWait(), 0);
}

void TestJourneys::spoolerUnreachableGivesAMessage()
{
    m_program = std::make_unique<ProgramCopy>();
    m_shots = std::make_unique<QTemporaryDir>();
    // The program's own spooler address leads nowhere; the real spooler stays up for others.
    m_program->setEnvironment(u"CUPS_SERVER"_s, m_program->home() + u"/nessun-cups.sock"_s);
    QVERIFY(start());
    const XWindow page = openPageWindow();
    QVERIFY(!page.isNull());
    waitForPageToSettle(page);
    QVERIFY(click(page, PrintA4));

    const XWindow message = m_program->waitForWindow(u"^Printer Error!$"_s);
    QVERIFY2(!message.isNull(), "no message about the printer");
    (void)shotOf(message, u"errore-stampa"_s);
    QVERIFY(message.activate() && XWindow::key(u"Return"_s));
    QTRY_VERIFY_WITH_TIMEOUT(m_program->waitForWindow(u"^Printer Error!$"_s, 100).isNull(), WaitMs);
    QVERIFY(m_program->isRunning());
    QCOMPARE(m_program->closeAndWait(), 0);
}

QTEST_MAIN(TestJourneys)
#include "tst_journeys.moc"
