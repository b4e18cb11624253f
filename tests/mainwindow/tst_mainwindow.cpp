#include "calendarstate.h"
#include "mainwindow.h"
#include "monthgrid.h"
#include "testsupport.h"

#include <QAccessible>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace velaria;
using namespace velaria::testing;

// The main window offscreen, driven through its controls as a user drives it.
class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void navigation_data();
    void navigation();
    void dateEntry_data();
    void dateEntry();
    void dayColours_data();
    void dayColours();
    void dayInformation();
    void recurrenceEditor();
    void importedBirthdaysAreSavedByTheUser_data();
    void importedBirthdaysAreSavedByTheUser();
    void unreadableRecurrencesAreKept();
    void longHolidayLine();
    void todayFollowsTheClock();
    void accessibleDays();

private:
    void start(const QDate &shown);
    template <typename T> T *control(const QString &name)
    {
        T *found = m_window->findChild<T *>(name);
        if (!found)
            qFatal("no control %s", qPrintable(name));
        return found;
    }
    QString caption() { return control<QLabel>(QStringLiteral("lblMonth"))->text(); }

    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<CalendarState> m_state;
    std::unique_ptr<MainWindow> m_window;
    QDate m_today{2026, 12, 7};
};

void TestMainWindow::init()
{
    m_today = QDate(2026, 12, 7);
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(writeBytes(m_folder->filePath(QStringLiteral("Ricorrenze.txt")),
                       "12/13 - <v>Compleanno di Anna\r\n03/02 - <b>Onomastico\r\n"));
}

void TestMainWindow::start(const QDate &shown)
{
    m_state = std::make_unique<CalendarState>(m_folder->path());
    m_state->setClock([this] { return m_today; });
    m_state->load();
    QVERIFY(m_state->setShownDate(shown));
    m_window = std::make_unique<MainWindow>(*m_state);
    m_window->show();
    QApplication::setActiveWindow(m_window.get());
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestMainWindow::cleanup()
{
    m_window.reset();
    m_state.reset();
    m_folder.reset();
}

void TestMainWindow::navigation_data()
{
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QString>("control"); // a control to click, or "key:N" for a key
    QTest::addColumn<QDate>("to");

    QTest::newRow("next, 31 January to leap February")
        << QDate(2024, 1, 31) << "lblNext" << QDate(2024, 2, 29);
    QTest::newRow("next, 31 January to common February")
        << QDate(2023, 1, 31) << "lblNext" << QDate(2023, 2, 28);
    QTest::newRow("previous, January to December")
        << QDate(2024, 1, 15) << "lblPrev" << QDate(2023, 12, 15);
    QTest::newRow("hidden next button") << QDate(2024, 12, 1) << "Command5" << QDate(2025, 1, 1);
    QTest::newRow("hidden previous button")
        << QDate(2024, 3, 31) << "Command4" << QDate(2024, 2, 29);
    QTest::newRow("page down") << QDate(2024, 5, 5) << QString("key:%1").arg(Qt::Key_PageDown)
                               << QDate(2024, 6, 5);
    QTest::newRow("page up") << QDate(2024, 5, 5) << QString("key:%1").arg(Qt::Key_PageUp)
                             << QDate(2024, 4, 5);
    QTest::newRow("home, today's month")
        << QDate(1990, 5, 5) << QString("key:%1").arg(Qt::Key_Home) << m_today;
    QTest::newRow("no month after 9999") << QDate(9999, 12, 31) << "lblNext" << QDate(9999, 12, 31);
    QTest::newRow("no month before year 1") << QDate(1, 1, 1) << "lblPrev" << QDate(1, 1, 1);
}

void TestMainWindow::navigation()
{
    QFETCH(QDate, from);
    QFETCH(QString, control);
    QFETCH(QDate, to);
    const QString what = control;
    start(from);
    if (what.startsWith(u"key:"))
        QTest::keyClick(m_window.get(), Qt::Key(what.mid(4).toInt()));
    else if (what.startsWith(u"Command"))
        this->control<QPushButton>(what)->click();
    else
        QTest::mouseClick(this->control<QLabel>(what), Qt::LeftButton);
    QCOMPARE(m_state->shownDate(), to);
    const QString month = QLocale(QLocale::Italian).monthName(to.month()).toUpper();
    QCOMPARE(caption(), QStringLiteral("%1  %2").arg(month).arg(to.year(), 4, 10, QChar(u'0')));
}

void TestMainWindow::dateEntry_data()
{
    QTest::addColumn<QStringList>("answers"); // typed in turn; the box reopens after a bad one
    QTest::addColumn<QDate>("shown");

    QTest::newRow("full date") << QStringList{"25/12/2030"} << QDate(2030, 12, 25);
    QTest::newRow("two-digit year") << QStringList{"5.3.77"} << QDate(1977, 3, 5);
    QTest::newRow("day and month") << QStringList{"1 4"} << QDate(2026, 4, 1);
    QTest::newRow("no such day, then a date")
        << QStringList{"31/2/2024", "29/2/2024"} << QDate(2024, 2, 29);
    QTest::newRow("words, then cancel") << QStringList{"domani", ""} << QDate(2026, 12, 7);
}

void TestMainWindow::dateEntry()
{
    QFETCH(QStringList, answers);
    QFETCH(QDate, shown);
    start(m_today);
    QStringList labels;
    for (const QString &answer : answers) {
        answerNextModal([answer, &labels](QWidget *modal) {
            auto *box = qobject_cast<QInputDialog *>(modal);
            if (!box) {
                modal->close();
                return;
            }
            labels << box->labelText();
            if (answer.isEmpty()) {
                box->reject();
                return;
            }
            box->setTextValue(answer);
            box->accept();
        });
    }
    QTest::mouseDClick(control<QLabel>(QStringLiteral("lblMonth")), Qt::LeftButton);
    QCOMPARE(m_state->shownDate(), shown);
    QCOMPARE(labels.size(), answers.size());
    for (qsizetype i = 1; i < labels.size(); ++i)
        QVERIFY2(labels.at(i).startsWith(u"Data non valida"), qPrintable(labels.at(i)));
}

void TestMainWindow::dayColours_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QColor>("colour");

    QTest::newRow("Christmas") << QDate(2026, 12, 25) << QColor(255, 0, 0);
    QTest::newRow("Sunday") << QDate(2026, 12, 6) << QColor(128, 0, 0);
    QTest::newRow("weekday") << QDate(2026, 12, 9) << QColor(0, 0, 0);
    QTest::newRow("green recurrence") << QDate(2026, 12, 13) << QColor(0, 192, 0);
    QTest::newRow("Easter Monday") << QDate(2024, 4, 1) << QColor(255, 0, 0);
}

void TestMainWindow::dayColours()
{
    QFETCH(QDate, date);
    QFETCH(QColor, colour);
    start(date);
    auto *grid = control<MonthGrid>(QStringLiteral("picMonth"));
    const QImage image = grid->grab().toImage();
    const QRect cell = grid->cellRect(date.day());
    QVERIFY2(countColour(image, cell, colour) > 10, qPrintable(date.toString()));
    for (const QColor &other : {QColor(255, 0, 0), QColor(128, 0, 0), QColor(0, 192, 0)}) {
        if (other != colour)
            QCOMPARE(countColour(image, cell, other), 0);
    }
    QRect ink; // the number, centred in its cell
    for (int y = cell.top(); y <= cell.bottom(); ++y) {
        for (int x = cell.left(); x <= cell.right(); ++x)
            ink |= countColour(image, {x, y, 1, 1}, colour) ? QRect(x, y, 1, 1) : QRect();
    }
    QVERIFY((ink.center() - cell.center()).manhattanLength() <= 2);
    auto *holidays = control<QLabel>(QStringLiteral("Label4_0")); // the month's, in dark red
    QFont whole = holidays->font(); // its letters without blending into the background
    whole.setStyleStrategy(QFont::NoAntialias);
    holidays->setFont(whole);
    QVERIFY(countColour(holidays->grab().toImage(), holidays->rect(), QColor(192, 0, 0)) > 10);
}

void TestMainWindow::dayInformation()
{
    start(QDate(2024, 3, 1)); // the 1st is a Friday
    auto *line = control<QLabel>(QStringLiteral("Label4_1"));
    const int height = m_window->height();
    // The second row of Tuesday's column holds the 5th.
    auto *tuesday = control<QWidget>(QStringLiteral("Image1_1"));
    QTest::mousePress(tuesday, Qt::LeftButton, {}, QPoint(20, 1500 / 15));
    QCOMPARE(line->text(), QStringLiteral("- Il giorno 5 marzo è il 65° del 2024 e mancano 301 "
                                          "giorni alla fine dell'anno -"));
    // A screen reader reads the lines as they show.
    for (QLabel *label : {line, control<QLabel>(QStringLiteral("Label4_0"))})
        QCOMPARE(QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name),
                 label->text());
    QCOMPARE(control<MonthGrid>(QStringLiteral("picMonth"))->focusDay(), 5); // the arrows' day
    QTRY_VERIFY(m_window->height() > height);
    QVERIFY(line->isVisible());
    auto *timer = control<QTimer>(QStringLiteral("Timer1")); // which hides it after five seconds
    QVERIFY(timer->isActive() && timer->remainingTime() > 4000);
    // A press on no day leaves the line as it was.
    QTest::mousePress(tuesday, Qt::LeftButton, {}, QPoint(20, 800 / 15));
    QVERIFY(line->text().contains(u"5 marzo"));
    timer->start(0);
    QTRY_COMPARE(m_window->height(), height);
}

void TestMainWindow::recurrenceEditor()
{
    start(QDate(2026, 5, 1));
    // F10 opens the menu bar's items, where the editor is.
    QTest::keyClick(m_window.get(), Qt::Key_F10);
    for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Right, Qt::Key_Return}) {
        QTRY_VERIFY(QApplication::activePopupWidget());
        QTest::keyClick(QApplication::activePopupWidget(), key);
    }
    auto *editor = control<QWidget>(QStringLiteral("Frame4"));
    auto *list = control<QListWidget>(QStringLiteral("List1"));
    QVERIFY(editor->isVisible());
    QCOMPARE(list->count(), 2);
    // The keyboard goes into the editor, whose boxes stay empty until a line is chosen: a name
    // typed at once, or "Inserisci", adds nothing.
    QVERIFY(editor->isAncestorOf(QApplication::focusWidget()));
    QTest::keyClicks(control<QLineEdit>(QStringLiteral("Text4_2")), QStringLiteral("Sagra"));
    control<QPushButton>(QStringLiteral("Command8"))->click();
    QCOMPARE(list->count(), 2);

    // Arrow keys fill the boxes like a click; Home is the list's, not the month's behind.
    list->setFocus();
    list->setCurrentRow(0);
    QTest::keyClick(list, Qt::Key_Home);
    QCOMPARE(m_state->shownDate(), QDate(2026, 5, 1));
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(control<QLineEdit>(QStringLiteral("Text4_0"))->text(), QStringLiteral("12"));
    QCOMPARE(control<QLineEdit>(QStringLiteral("Text4_2"))->text(),
             QStringLiteral("<v>Compleanno di Anna"));
    QAccessibleInterface *month =
        QAccessible::queryAccessibleInterface(control<QWidget>(QStringLiteral("Combo1_0")));
    // A drop-down list is named after its label.
    const auto labels = month->relations(QAccessible::Label);
    QVERIFY(!labels.isEmpty());
    QCOMPARE(labels.first().first->text(QAccessible::Name) + QStringLiteral(", ") +
                 month->text(QAccessible::Value),
             QStringLiteral("Mese, 12"));

    // The keyboard stays in the editor: Tab goes round its controls in their order on the screen.
    QStringList tabbed;
    for (int i = 0; i < 9; ++i) {
        tabbed << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(tabbed, QStringList({"List1", "Combo1_0", "Combo1_1", "Text4_2", "Command8",
                                  "Command6", "Command9", "Command7", "List1"}));
    // Delete removes the current line, as a double click does.
    list->setCurrentRow(0);
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(list->count(), 1);

    control<QLineEdit>(QStringLiteral("Text4_0"))->setText(QStringLiteral("05"));
    control<QLineEdit>(QStringLiteral("Text4_1"))->setText(QStringLiteral("09"));
    auto *text = control<QLineEdit>(QStringLiteral("Text4_2"));
    text->setText(QStringLiteral("<a>Festa è °"));
    QTest::keyClick(text, Qt::Key_Return);
    QCOMPARE(list->item(0)->text(), QStringLiteral("05/09 - <a>Festa è °"));

    // Escape leaves without saving; the list is kept for the next opening.
    QTest::keyClick(list, Qt::Key_Escape);
    QVERIFY(!editor->isVisible());
    QVERIFY(!m_state->recurrences().cell(9, 5).size());

    m_window->menuBar()->findChild<QAction *>(QStringLiteral("configura"))->trigger();
    control<QPushButton>(QStringLiteral("Command7"))->click();
    QVERIFY(!editor->isVisible());
    QCOMPARE(readBytes(m_folder->filePath(QStringLiteral("Ricorrenze.txt"))),
             QByteArray("05/09 - <a>Festa \xE8 \xB0\r\n12/13 - <v>Compleanno di Anna\r\n"));
    auto *grid = control<MonthGrid>(QStringLiteral("picMonth"));
    QVERIFY(countColour(grid->grab().toImage(), grid->cellRect(9), QColor(255, 128, 0)) > 10);

    // A line removed by a double click (the boxes keep it, not the next line) and not saved:
    // closing asks, and "Non salvare" leaves the file as it was.
    const QByteArray saved = readBytes(m_folder->filePath(QStringLiteral("Ricorrenze.txt")));
    m_window->menuBar()->findChild<QAction *>(QStringLiteral("configura"))->trigger();
    const QPoint first = list->visualItemRect(list->item(0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, first);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, first);
    QCOMPARE(control<QLineEdit>(QStringLiteral("Text4_2"))->text(), QStringLiteral("<a>Festa è °"));
    QString question;
    answerNextModal([&question](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        question = box ? box->text() : QString();
        for (QAbstractButton *button : box ? box->buttons() : QList<QAbstractButton *>()) {
            if (button->text() == u"Non salvare")
                button->click();
        }
    });
    QVERIFY(m_window->close());
    QCOMPARE(question, QStringLiteral("Salvare le ricorrenze?"));
    QCOMPARE(readBytes(m_folder->filePath(QStringLiteral("Ricorrenze.txt"))), saved);
}

void TestMainWindow::importedBirthdaysAreSavedByTheUser_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("calendar") << "importaIcs"
                              << QByteArray(
                                     "BEGIN:VCALENDAR\nBEGIN:VEVENT\nDTSTART;VALUE=DATE:"
                                     "19900504\nRRULE:FREQ=YEARLY\nSUMMARY:Luca\nEND:VEVENT\n"
                                     "BEGIN:VEVENT\nDTSTART:20260504T090000Z\nSUMMARY:"
                                     "Riunione\nEND:VEVENT\nEND:VCALENDAR\n");
    QTest::newRow("contacts") << "importaVcf"
                              << QByteArray("BEGIN:VCARD\nVERSION:3.0\nFN:Luca\nBDAY:--0504\n"
                                            "END:VCARD\nBEGIN:VCARD\nVERSION:3.0\nFN:Ugo\n"
                                            "BDAY;VALUE=text:maggio\nEND:VCARD\n");
}

void TestMainWindow::importedBirthdaysAreSavedByTheUser()
{
    QFETCH(QString, action);
    QFETCH(QByteArray, file);
    const QString path = m_folder->filePath(QStringLiteral("file.") + action.right(3).toLower());
    QVERIFY(writeBytes(path, file));
    start(QDate(2026, 5, 1));
    const QByteArray before = readBytes(m_folder->filePath(QStringLiteral("Ricorrenze.txt")));
    auto *list = control<QListWidget>(QStringLiteral("List1"));
    const auto import = [&] {
        QString report;
        answerNextModal([path, &report](QWidget *dialog) {
            // Typed, as selectFile() leaves a name box that has the focus as it is.
            if (auto *files = qobject_cast<QFileDialog *>(dialog))
                files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(path);
            static_cast<QDialog *>(dialog)->accept();
            answerNextModal([&report](QWidget *box) {
                report = qobject_cast<QMessageBox *>(box) ? qobject_cast<QMessageBox *>(box)->text()
                                                          : QString();
                box->close();
            });
        });
        m_window->menuBar()->findChild<QAction *>(action)->trigger();
        QTRY_VERIFY(report.contains(u"aggiunte all'elenco: 1"));
        QVERIFY2(report.contains(u"Tralasciate: 1"), qPrintable(report));
        QCOMPARE(list->count(), 3);
    };
    import();
    // Leaving without saving takes the import back.
    control<QPushButton>(QStringLiteral("Command6"))->click();
    QCOMPARE(list->count(), 2);
    import();
    // Nothing is written until the user saves.
    QCOMPARE(readBytes(m_folder->filePath(QStringLiteral("Ricorrenze.txt"))), before);
    QVERIFY(control<QWidget>(QStringLiteral("Frame4"))->isVisible());
    control<QPushButton>(QStringLiteral("Command9"))->click();
    control<QPushButton>(QStringLiteral("Command6"))->click();
    QCOMPARE(list->count(), 3);
    QVERIFY(readBytes(m_folder->filePath(QStringLiteral("Ricorrenze.txt"))).contains("05/04 - "));
    auto *grid = control<MonthGrid>(QStringLiteral("picMonth"));
    QVERIFY(countColour(grid->grab().toImage(), grid->cellRect(4), QColor(255, 0, 0)) > 10);
}

void TestMainWindow::unreadableRecurrencesAreKept()
{
    // A folder where the file should be: it cannot be read, and must not be replaced.
    const QString path = m_folder->filePath(QStringLiteral("Ricorrenze.txt"));
    QVERIFY(QFile::remove(path));
    QVERIFY(QDir().mkdir(path));
    QString warning;
    answerNextModal([&warning](QWidget *modal) {
        warning = qobject_cast<QMessageBox *>(modal) ? qobject_cast<QMessageBox *>(modal)->text()
                                                     : QString();
        modal->close();
    });
    start(QDate(2026, 5, 1));
    QTRY_VERIFY(warning.contains(u"Ricorrenze.txt"));

    QString refusal;
    answerNextModal([&refusal](QWidget *modal) {
        if (auto *box = qobject_cast<QMessageBox *>(modal))
            refusal = box->text();
        modal->close();
    });
    // "Esci e salva" refused leaves the editor open, with the lines that were not saved.
    m_window->menuBar()->findChild<QAction *>(QStringLiteral("configura"))->trigger();
    control<QPushButton>(QStringLiteral("Command7"))->click();
    QVERIFY2(refusal.contains(u"non sono state salvate"), qPrintable(refusal));
    QVERIFY(control<QWidget>(QStringLiteral("Frame4"))->isVisible());
    QVERIFY(QFileInfo(path).isDir());
}

void TestMainWindow::longHolidayLine()
{
    QByteArray lines; // fifteen recurrences in January, more than the line's two rows hold
    for (int day = 10; day < 25; ++day)
        lines += "01/" + QByteArray::number(day) + " - Compleanno di Massimiliano\r\n";
    QVERIFY(writeBytes(m_folder->filePath(QStringLiteral("Ricorrenze.txt")), lines));
    start(QDate(2027, 1, 1));
    // It shows the rows it has room for, ending with a mark that more follows; its tip is all.
    auto *line = control<QLabel>(QStringLiteral("Label4_0"));
    QVERIFY(line->heightForWidth(line->width()) <= line->height() && line->text().endsWith(u'…'));
    QCOMPARE(line->toolTip().count(u"Massimiliano"), 15);
}

void TestMainWindow::todayFollowsTheClock()
{
    m_today = QDate(2026, 12, 6);
    start(m_today);
    auto *mark = control<QWidget>(QStringLiteral("Frame3"));
    const QPoint sixth = mark->pos();
    m_today = QDate(2026, 12, 7); // midnight passes while the window is open
    QApplication::sendEvent(m_window.get(), new QEvent(QEvent::WindowActivate));
    QCOMPARE(m_window->month().today, 7);
    QVERIFY(mark->pos() != sixth);
    QTimer *midnight = nullptr; // the window's own, which moves the mark on at midnight
    for (QTimer *timer : m_window->findChildren<QTimer *>())
        midnight = timer->timerType() == Qt::VeryCoarseTimer ? timer : midnight;
    QVERIFY(midnight);
    m_today = QDate(2026, 12, 8);
    midnight->start(0);
    QTRY_COMPARE(m_window->month().today, 8);
    QVERIFY(midnight->isActive()); // and is set again for the next midnight

    // "oggi è" opens the site's page, here in no browser, for a click that ends on it.
    QTemporaryDir noPlugin;
    WebWindowLauncher::setPluginDirectory(noPlugin.path());
    qputenv("BROWSER", "false"); // a browser that does not start: the window says so
    QString said;
    answerNextModal([&said](QWidget *box) { said = box->windowTitle(), box->close(); });
    QTest::mousePress(mark, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(mark, Qt::LeftButton, {}, QPoint(-5, 5));
    QTest::qWait(1000); // time for the browser to fail, had it been started
    QVERIFY(said.isEmpty());
    QTest::mouseClick(mark, Qt::LeftButton, {}, QPoint(5, 5));
    QTRY_COMPARE(said, QStringLiteral("Finestra di navigazione"));
    m_today = QDate(2027, 1, 1);
    m_window->menuBar()->findChild<QAction *>(QStringLiteral("MesCor"))->trigger();
    QCOMPARE(caption(), QStringLiteral("GENNAIO  2027"));
    QVERIFY(mark->isVisible());
}

void TestMainWindow::accessibleDays()
{
    start(QDate(2026, 12, 24));
    auto *grid = control<MonthGrid>(QStringLiteral("picMonth"));
    QAccessibleInterface *table = QAccessible::queryAccessibleInterface(grid);
    QVERIFY(table && table->tableInterface());
    QAccessibleTableInterface *weeks = table->tableInterface();
    QCOMPARE(table->role(), QAccessible::Table);
    QCOMPARE(weeks->rowCount(), 6);
    QCOMPARE(weeks->columnCount(), 7);
    QCOMPARE(weeks->caption()->text(QAccessible::Name), caption());
    QCOMPARE(weeks->columnDescription(6), QStringLiteral("domenica"));
    const auto name = [&](int row, int column) {
        return weeks->cellAt(row, column)->text(QAccessible::Name);
    };
    // December 2026 begins on a Tuesday.
    QCOMPARE(name(0, 0), QString());
    QCOMPARE(name(3, 4), QStringLiteral("25 dicembre 2026, venerdì, Natale"));
    QCOMPARE(name(0, 6), QStringLiteral("6 dicembre 2026, domenica"));
    QCOMPARE(name(1, 0), QStringLiteral("7 dicembre 2026, lunedì, oggi"));
    QCOMPARE(name(1, 6),
             QStringLiteral("13 dicembre 2026, domenica, ricorrenza: Compleanno di Anna"));
    QAccessibleTableCellInterface *cell = weeks->cellAt(3, 4)->tableCellInterface();
    QVERIFY(cell);
    QCOMPARE(cell->rowIndex(), 3);
    QCOMPARE(cell->columnIndex(), 4);
    QCOMPARE(cell->columnHeaderCells().value(0)->text(QAccessible::Name),
             QStringLiteral("venerdì"));
    // After the days, the headings and today's mark, which the keyboard reaches too.
    QStringList others;
    for (int i = 6 * 7; i < table->childCount(); ++i)
        others << table->child(i)->text(QAccessible::Name);
    QVERIFY2(others.contains(u"lunedì") && others.contains(u"oggi è"),
             qPrintable(others.join(u'|')));

    QTRY_VERIFY(grid->hasFocus()); // the days have the keyboard from the start
    // and the window its icon, from its title bar's size to a switcher's, once they are seen
    QTRY_VERIFY(m_window->windowIcon().availableSizes().contains(QSize(256, 256)));
    const QAccessible::Id december7 = QAccessible::uniqueId(weeks->cellAt(1, 0));
    QTest::keyClick(grid, Qt::Key_Right);
    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(m_state->shownDate(), QDate(2027, 1, 1)); // across the month's end
    QVERIFY(table->focusChild());
    QCOMPARE(table->focusChild()->text(QAccessible::Name),
             QStringLiteral("1 gennaio 2027, venerdì, Capodanno"));
    QVERIFY(control<QLabel>(QStringLiteral("Label4_1"))->text().contains(u"1 gennaio"));
    // A month's days are objects of their own, and only today's date is "oggi".
    QTest::keyClick(grid, Qt::Key_PageUp);
    QVERIFY(QAccessible::uniqueId(weeks->cellAt(1, 0)) != december7);
    QCOMPARE(name(1, 0), QStringLiteral("7 dicembre 2026, lunedì, oggi"));
    QTest::keyClick(grid, Qt::Key_PageDown);
    QCOMPARE(name(1, 3), QStringLiteral("7 gennaio 2027, giovedì"));
    for (int i = 0; i < 6 * 7; ++i)
        QVERIFY(!table->child(i)->text(QAccessible::Name).contains(u"oggi"));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
