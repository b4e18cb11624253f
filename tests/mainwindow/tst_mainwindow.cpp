// The main window as a user meets it: start-up, month steps, date entry, the day information
// line and what the month grid shows.

#include "calendardate.h"
#include "fonts.h"
#include "mainwindow.h"
#include "testsupport.h"
#include "twips.h"

#include <QComboBox>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace velaria;
using velaria::testing::answerNextModal;
using velaria::testing::countColour;

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startUpFillsTheStateAndChoosers();
    void menuBarHoldsEveryItemInOrder();
    void arrowsStepMonths_data();
    void arrowsStepMonths();
    void doubleClickOnAnArrowMovesTwoMonths();
    void stepsStopAtTheSupportedYears_data();
    void stepsStopAtTheSupportedYears();
    void hiddenButtonsStepAndRedraw();
    void currentMonthFromTheMenu();
    void dateEntry_data();
    void dateEntry();
    void dayInformation_data();
    void dayInformation();
    void dayInformationHidesAgainAfterTheTimer();
    void gridColoursWhatTheUserSees_data();
    void gridColoursWhatTheUserSees();
    void todayMarkFollowsTodaysMonthOnly_data();
    void todayMarkFollowsTodaysMonthOnly();
    void holidayLineUnderTheGrid();
    void pageWindowIsOneAndClosesWithTheMainWindow();

private:
    void start(const QDate &today, const QStringList &recurrences = {});
    template <typename T> T *child(const QString &name) const
    {
        T *found = m_window->findChild<T *>(name);
        if (!found)
            qFatal("no control named %s", qPrintable(name));
        return found;
    }
    QString caption() const { return child<QLabel>(QStringLiteral("lblMonth"))->text(); }
    void pressOnColumn(int column, int yTwips, Qt::MouseButton button = Qt::LeftButton);

    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<WindowState> m_state;
    std::unique_ptr<MainWindow> m_window;
};

void TestMainWindow::initTestCase()
{
    InstallFontSubstitutions();
}

void TestMainWindow::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
}

void TestMainWindow::cleanup()
{
    m_window.reset();
    m_state.reset();
    m_folder.reset();
}

void TestMainWindow::start(const QDate &today, const QStringList &recurrences)
{
    if (!recurrences.isEmpty()) {
        QFile file(m_folder->filePath(QStringLiteral("Ricorrenze.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(recurrences.join(QStringLiteral("\r\n")).toUtf8() + "\r\n");
    }
    m_state = std::make_unique<WindowState>();
    m_state->dataFolder = m_folder->path();
    m_state->makerHost = QStringLiteral("velaria.example");
    m_window = std::make_unique<MainWindow>(*m_state, today);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestMainWindow::pressOnColumn(int column, int yTwips, Qt::MouseButton button)
{
    auto *area = child<QWidget>(QStringLiteral("Image1_%1").arg(column));
    QTest::mousePress(area, button, {}, QPoint(area->width() / 2, px(yTwips)));
}

void TestMainWindow::startUpFillsTheStateAndChoosers()
{
    start(QDate(2025, 5, 15));
    QCOMPARE(m_state->CellWidth, 968);
    QCOMPARE(m_state->CellHeight, 620);
    QCOMPARE(m_state->ShownDate, QDate(2025, 5, 15));
    QCOMPARE(m_state->DateConfirmed, false);
    QCOMPARE(caption(), QStringLiteral("MAGGIO  2025"));
    QCOMPARE(m_state->NomeMese, QStringLiteral("MAGGIO  "));
    QCOMPARE(m_state->AnnoMese, QStringLiteral("2025"));
    QCOMPARE(m_window->windowTitle().left(18), QStringLiteral("Velaria ver. 1.0.9"));

    QStringList months;
    QStringList days;
    auto *monthChooser = child<QComboBox>(QStringLiteral("Combo1_0"));
    auto *dayChooser = child<QComboBox>(QStringLiteral("Combo1_1"));
    for (int i = 0; i < monthChooser->count(); ++i)
        months << monthChooser->itemText(i);
    for (int i = 0; i < dayChooser->count(); ++i)
        days << dayChooser->itemText(i);
    QCOMPARE(months.size(), 12);
    QCOMPARE(months.first(), QStringLiteral("01"));
    QCOMPARE(months.last(), QStringLiteral("12"));
    QCOMPARE(days.size(), 31);
    QCOMPARE(days.at(8), QStringLiteral("09"));
    QCOMPARE(days.last(), QStringLiteral("31"));

    // The fallback banner names the maker's site when there is no banner file.
    QVERIFY(m_state->Pubblicita.startsWith(QStringLiteral("Programma Velaria - ")));
    QVERIFY(m_state->Pubblicita.contains(QStringLiteral("velaria.example")));

    QDate date = QDate(2030, 1, 1);
    QCOMPARE(m_window->GetDate(date), false);
    QCOMPARE(date, QDate(2030, 1, 1));
}

void TestMainWindow::menuBarHoldsEveryItemInOrder()
{
    start(QDate(2025, 5, 15));
    QStringList bar;
    for (QAction *action : m_window->menuBar()->actions())
        bar << (action->menu() ? action->menu()->objectName() : action->objectName());
    QCOMPARE(bar, (QStringList{QStringLiteral("MesCor"), QStringLiteral("FestLoc"),
                               QStringLiteral("CreaCale"), QStringLiteral("Sito")}));
    auto *festLoc = child<QMenu>(QStringLiteral("FestLoc"));
    QCOMPARE(festLoc->title(), QStringLiteral("Ricorrenze"));
    QStringList items;
    for (QAction *action : festLoc->actions())
        items << action->text();
    QCOMPARE(items, (QStringList{QStringLiteral("Inserimento"), QStringLiteral("Apri il file")}));
}

void TestMainWindow::arrowsStepMonths_data()
{
    QTest::addColumn<QDate>("shown");
    QTest::addColumn<QStringList>("presses"); // "<" or ">"
    QTest::addColumn<QDate>("expected");
    QTest::addColumn<QString>("expectedCaption");

    QTest::newRow("31 January to February of a leap year clamps to the 29th")
        << QDate(2024, 1, 31) << QStringList{">"} << QDate(2024, 2, 29)
        << QStringLiteral("FEBBRAIO  2024");
    QTest::newRow("the clamped day stays when stepping back")
        << QDate(2024, 1, 31) << QStringList{">", "<"} << QDate(2024, 1, 29)
        << QStringLiteral("GENNAIO  2024");
    QTest::newRow("December to January changes the year")
        << QDate(2024, 12, 15) << QStringList{">"} << QDate(2025, 1, 15)
        << QStringLiteral("GENNAIO  2025");
    QTest::newRow("January back to December of the year before")
        << QDate(2025, 1, 10) << QStringList{"<"} << QDate(2024, 12, 10)
        << QStringLiteral("DICEMBRE  2024");
    QTest::newRow("31 March back to February of a common year")
        << QDate(2023, 3, 31) << QStringList{"<"} << QDate(2023, 2, 28)
        << QStringLiteral("FEBBRAIO  2023");
}

void TestMainWindow::arrowsStepMonths()
{
    QFETCH(QDate, shown);
    QFETCH(QStringList, presses);
    QFETCH(QDate, expected);
    QFETCH(QString, expectedCaption);

    start(shown);
    for (const QString &press : presses) {
        auto *arrow =
            child<QLabel>(press == u"<" ? QStringLiteral("lblPrev") : QStringLiteral("lblNext"));
        QTest::mouseClick(arrow, Qt::LeftButton);
    }
    QCOMPARE(m_state->ShownDate, expected);
    QCOMPARE(caption(), expectedCaption);

    // The right button moves nothing.
    QTest::mouseClick(child<QLabel>(QStringLiteral("lblNext")), Qt::RightButton);
    QTest::mouseClick(child<QLabel>(QStringLiteral("lblPrev")), Qt::RightButton);
    QCOMPARE(m_state->ShownDate, expected);
}

void TestMainWindow::doubleClickOnAnArrowMovesTwoMonths()
{
    // A double click reaches a widget as a press, a release, then the double click in place
    // of the second press.
    start(QDate(2025, 3, 10));
    auto doubleClick = [](QWidget *arrow) {
        QTest::mouseClick(arrow, Qt::LeftButton);
        QTest::mouseDClick(arrow, Qt::LeftButton);
    };
    doubleClick(child<QLabel>(QStringLiteral("lblNext")));
    QCOMPARE(caption(), QStringLiteral("MAGGIO  2025"));
    doubleClick(child<QLabel>(QStringLiteral("lblPrev")));
    QCOMPARE(caption(), QStringLiteral("MARZO  2025"));
}

void TestMainWindow::stepsStopAtTheSupportedYears_data()
{
    QTest::addColumn<QDate>("shown");
    QTest::addColumn<QString>("arrow");
    QTest::newRow("before January of year 1") << QDate(1, 1, 20) << QStringLiteral("lblPrev");
    QTest::newRow("past December 9999") << QDate(9999, 12, 20) << QStringLiteral("lblNext");
}

void TestMainWindow::stepsStopAtTheSupportedYears()
{
    QFETCH(QDate, shown);
    QFETCH(QString, arrow);
    start(QDate(2025, 5, 15));
    m_window->GoToDate(shown);
    const QString before = caption();
    QTest::mouseClick(child<QLabel>(arrow), Qt::LeftButton);
    QCOMPARE(m_state->ShownDate, shown);
    QCOMPARE(caption(), before);
    QCOMPARE(caption().right(4), QString::number(shown.year()).rightJustified(4, u'0'));
}

void TestMainWindow::hiddenButtonsStepAndRedraw()
{
    start(QDate(2025, 5, 15));
    auto *previous = child<QPushButton>(QStringLiteral("Command4"));
    auto *next = child<QPushButton>(QStringLiteral("Command5"));
    auto *redraw = child<QPushButton>(QStringLiteral("Command3"));
    QVERIFY(!previous->isVisible() && !next->isVisible() && !redraw->isVisible());

    next->click();
    QCOMPARE(caption(), QStringLiteral("GIUGNO  2025"));
    previous->click();
    previous->click();
    QCOMPARE(caption(), QStringLiteral("APRILE  2025"));

    // The page window sets the date itself and asks for a redraw.
    m_state->ShownDate = QDate(2031, 8, 1);
    QCOMPARE(caption(), QStringLiteral("APRILE  2025"));
    redraw->click();
    QCOMPARE(caption(), QStringLiteral("AGOSTO  2031"));
    QCOMPARE(m_state->DaysInMonth, 31);
}

void TestMainWindow::currentMonthFromTheMenu()
{
    start(QDate(2025, 5, 15));
    QTest::mouseClick(child<QLabel>(QStringLiteral("lblNext")), Qt::LeftButton);
    auto *frame3 = child<QGroupBox>(QStringLiteral("Frame3"));
    QVERIFY(!frame3->isVisible());
    child<QAction>(QStringLiteral("MesCor"))->trigger();
    QCOMPARE(m_state->ShownDate, QDate(2025, 5, 15));
    QCOMPARE(caption(), QStringLiteral("MAGGIO  2025"));
    QVERIFY(frame3->isVisible());
}

void TestMainWindow::dateEntry_data()
{
    QTest::addColumn<QString>("answer"); // "<cancel>" cancels the box
    QTest::addColumn<QDate>("expected");

    const QDate unchanged(2025, 5, 15);
    QTest::newRow("slashes") << QStringLiteral("25/12/2030") << QDate(2030, 12, 25);
    QTest::newRow("hyphens, one-digit day and month")
        << QStringLiteral("5-3-2024") << QDate(2024, 3, 5);
    QTest::newRow("dots") << QStringLiteral("29.02.2024") << QDate(2024, 2, 29);
    QTest::newRow("blanks") << QStringLiteral("1 1 1900") << QDate(1900, 1, 1);
    QTest::newRow("same month changes only the day")
        << QStringLiteral("3/5/2025") << QDate(2025, 5, 3);
    QTest::newRow("cancelled") << QStringLiteral("<cancel>") << unchanged;
    QTest::newRow("empty answer") << QString() << unchanged;
    QTest::newRow("a word") << QStringLiteral("domani") << unchanged;
    QTest::newRow("no such day") << QStringLiteral("31/02/2024") << unchanged;
    QTest::newRow("year past 9999") << QStringLiteral("1/1/10000") << unchanged;
}

void TestMainWindow::dateEntry()
{
    QFETCH(QString, answer);
    QFETCH(QDate, expected);

    start(QDate(2025, 5, 15));
    QString title;
    QString prompt;
    QString proposed;
    answerNextModal([&](QWidget *modal) {
        auto *box = qobject_cast<QInputDialog *>(modal);
        QVERIFY(box);
        title = box->windowTitle();
        prompt = box->labelText();
        proposed = box->textValue();
        if (answer == u"<cancel>") {
            box->reject();
        } else {
            box->setTextValue(answer);
            box->accept();
        }
    });
    QTest::mouseDClick(child<QLabel>(QStringLiteral("lblMonth")), Qt::LeftButton);

    QCOMPARE(title, QStringLiteral("Inserire la nuova data"));
    QCOMPARE(prompt, QStringLiteral("Esempio: 15/05/2025"));
    QCOMPARE(proposed, QStringLiteral("15/05/2025"));
    QCOMPARE(m_state->ShownDate, expected);
    QCOMPARE(caption(), MonthCaption(expected));
}

void TestMainWindow::dayInformation_data()
{
    QTest::addColumn<QDate>("shown");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("y");
    QTest::addColumn<QString>("line"); // empty: the press shows nothing

    QTest::newRow("1 January of a common year (Wednesday, first row)")
        << QDate(2025, 1, 10) << 2 << 800
        << QStringLiteral("- Il giorno 1 gennaio è il 1° del 2025 e mancano 364 giorni alla "
                          "fine dell'anno -");
    QTest::newRow("29 February 2024 (Thursday, fifth row)")
        << QDate(2024, 2, 1) << 3 << 3300
        << QStringLiteral("- Il giorno 29 febbraio è il 60° del 2024 e mancano 306 giorni "
                          "alla fine dell'anno -");
    QTest::newRow("31 December of a leap year has no day left")
        << QDate(2024, 12, 1) << 1 << 4000
        << QStringLiteral("- Il giorno 31 dicembre è il 366° del 2024 e mancano 0 giorni alla "
                          "fine dell'anno -");
    QTest::newRow("5 March 2024")
        << QDate(2024, 3, 1) << 1 << 1500
        << QStringLiteral("- Il giorno 5 marzo è il 65° del 2024 e mancano 301 giorni alla "
                          "fine dell'anno -");
    QTest::newRow("month starting on Monday: first cell is day 1")
        << QDate(2024, 1, 1) << 0 << 700
        << QStringLiteral("- Il giorno 1 gennaio è il 1° del 2024 e mancano 365 giorni alla "
                          "fine dell'anno -");
    QTest::newRow("month starting on Sunday: Saturday before it is empty")
        << QDate(2024, 9, 1) << 5 << 900 << QString();
    QTest::newRow("above the first band") << QDate(2024, 9, 1) << 6 << 650 << QString();
    QTest::newRow("below the last band") << QDate(2024, 9, 1) << 0 << 4350 << QString();
    QTest::newRow("after the last day") << QDate(2025, 2, 1) << 6 << 3300 << QString();
}

void TestMainWindow::dayInformation()
{
    QFETCH(QDate, shown);
    QFETCH(int, column);
    QFETCH(int, y);
    QFETCH(QString, line);

    start(shown);
    auto *infoLine = child<QLabel>(QStringLiteral("Label4_1"));
    auto *client = m_window->centralWidget();
    const int normalHeight = client->height();
    pressOnColumn(column, y);
    QCOMPARE(infoLine->text(), line);
    QCOMPARE(m_window->isTall(), !line.isEmpty());
    if (line.isEmpty())
        return;
    // The tall window shows the line whole; the normal one shows none of it but all of the
    // holiday line.
    QVERIFY(client->height() > normalHeight);
    QVERIFY(infoLine->geometry().bottom() < client->height());
    QVERIFY(infoLine->geometry().top() >= normalHeight);
    QVERIFY(child<QLabel>(QStringLiteral("Label4_0"))->geometry().bottom() < normalHeight);
    auto *timer = child<QTimer>(QStringLiteral("Timer1"));
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), 5000);
}

void TestMainWindow::dayInformationHidesAgainAfterTheTimer()
{
    start(QDate(2025, 1, 10));
    auto *client = m_window->centralWidget();
    const int normalHeight = client->height();
    auto *timer = child<QTimer>(QStringLiteral("Timer1"));
    pressOnColumn(2, 800);
    QVERIFY(m_window->isTall());
    // A press outside the bands leaves the window as it is.
    pressOnColumn(2, 600);
    QVERIFY(m_window->isTall());
    QVERIFY(timer->isActive());
    timer->setInterval(1);
    timer->start();
    QTRY_VERIFY(!m_window->isTall());
    QCOMPARE(client->height(), normalHeight);
}

void TestMainWindow::gridColoursWhatTheUserSees_data()
{
    QTest::addColumn<QDate>("shown");
    QTest::addColumn<int>("day");
    QTest::addColumn<QColor>("colour");

    QTest::newRow("1 May is red") << QDate(2025, 5, 15) << 1 << QColor(255, 0, 0);
    QTest::newRow("a Sunday is dark red") << QDate(2025, 5, 15) << 4 << QColor(128, 0, 0);
    QTest::newRow("a Saturday is black") << QDate(2025, 5, 15) << 3 << QColor(0, 0, 0);
    QTest::newRow("a recurrence is green") << QDate(2025, 5, 15) << 20 << QColor(0, 192, 0);
    QTest::newRow("a recurrence on a Sunday takes its colour")
        << QDate(2025, 5, 15) << 11 << QColor(0, 0, 255);
    QTest::newRow("1 January on a Sunday is red") << QDate(2023, 1, 1) << 1 << QColor(255, 0, 0);
    QTest::newRow("Easter Monday 1 April 2024 is red")
        << QDate(2024, 4, 1) << 1 << QColor(255, 0, 0);
    QTest::newRow("4 October 2026 is red") << QDate(2026, 10, 1) << 4 << QColor(255, 0, 0);
}

void TestMainWindow::gridColoursWhatTheUserSees()
{
    QFETCH(QDate, shown);
    QFETCH(int, day);
    QFETCH(QColor, colour);

    start(QDate(2025, 5, 15),
          {QStringLiteral("05/20 - Compleanno <v>"), QStringLiteral("05/11 - Gita <b>")});
    m_window->GoToDate(shown);
    const QImage grid = child<QWidget>(QStringLiteral("picMonth"))->grab().toImage();
    const GridCell place = GridPlace(shown.year(), shown.month(), day);
    const QRect cell = twipsRect(place.column * 968, place.row * 620 + 700, 968, 620);
    QVERIFY2(countColour(grid, cell, colour) > 20, "the number is not drawn in its colour");
    for (const QColor &other : {QColor(255, 0, 0), QColor(128, 0, 0), QColor(0, 0, 0),
                                QColor(0, 192, 0), QColor(0, 0, 255)}) {
        if (other != colour)
            QCOMPARE(countColour(grid, cell, other), 0);
    }
}

void TestMainWindow::todayMarkFollowsTodaysMonthOnly_data()
{
    QTest::addColumn<QDate>("shown");
    QTest::addColumn<bool>("visible");
    const QDate today(2025, 5, 15);
    QTest::newRow("today's month") << today << true;
    QTest::newRow("the month after") << QDate(2025, 6, 1) << false;
    QTest::newRow("same month a year later") << QDate(2026, 5, 1) << false;
    QTest::newRow("same month a century later") << QDate(2125, 5, 1) << false;
    QTest::newRow("same month a century earlier") << QDate(1925, 5, 1) << false;
}

void TestMainWindow::todayMarkFollowsTodaysMonthOnly()
{
    QFETCH(QDate, shown);
    QFETCH(bool, visible);
    start(QDate(2025, 5, 15));
    m_window->GoToDate(shown);
    auto *frame3 = child<QGroupBox>(QStringLiteral("Frame3"));
    QCOMPARE(frame3->isVisible(), visible);
    // It stands around the 15th of the shown month, hidden or not.
    const GridCell place = GridPlace(shown.year(), shown.month(), 15);
    QCOMPARE(frame3->pos(), QPoint(px(place.column * 968 + 180), px(place.row * 620 + 700 - 160)));
    QCOMPARE(frame3->title(), QStringLiteral("oggi è"));
}

void TestMainWindow::holidayLineUnderTheGrid()
{
    start(QDate(2025, 12, 1), {QStringLiteral("12/25 - Cena di Natale <v>")});
    QCOMPARE(child<QLabel>(QStringLiteral("Label4_0"))->text(),
             QStringLiteral("8 Immacolata Concezione - 25 Natale - 25 Cena di Natale  - 26 "
                            "Santo Stefano"));
    QTest::mouseClick(child<QLabel>(QStringLiteral("lblNext")), Qt::LeftButton);
    QCOMPARE(child<QLabel>(QStringLiteral("Label4_0"))->text(),
             QStringLiteral("1° Capodanno - 6 Epifania"));
    QTest::mouseClick(child<QLabel>(QStringLiteral("lblNext")), Qt::LeftButton);
    QCOMPARE(child<QLabel>(QStringLiteral("Label4_0"))->text(), QString());
}

void TestMainWindow::pageWindowIsOneAndClosesWithTheMainWindow()
{
    start(QDate(2025, 5, 15));
    auto pageWindows = [] {
        QList<QWidget *> found;
        for (QWidget *top : QApplication::topLevelWidgets()) {
            if (top->objectName() == u"Form3")
                found.append(top);
        }
        return found;
    };
    auto *creaCale = child<QAction>(QStringLiteral("CreaCale"));
    creaCale->trigger();
    QCOMPARE(pageWindows().size(), 1);
    QWidget *page = pageWindows().first();
    QVERIFY(page->isVisible());
    auto *box = page->findChild<QLineEdit *>(QStringLiteral("Text1_4"));
    QVERIFY(box);
    box->setText(QStringLiteral("/tmp/maggio.jpg"));
    page->hide();

    creaCale->trigger();
    QCOMPARE(pageWindows(), QList<QWidget *>{page});
    QVERIFY(page->isVisible());
    QCOMPARE(box->text(), QStringLiteral("/tmp/maggio.jpg"));

    const QPointer<QWidget> watch(page);
    QVERIFY(m_window->close());
    QVERIFY(watch.isNull());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
