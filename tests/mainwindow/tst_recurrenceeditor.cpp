// The recurrence editor and the menu's external commands, driven through the main window as a
// user drives them, with the data folder in a temporary folder.

#include "fonts.h"
#include "mainwindow.h"
#include "testsupport.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <memory>

using namespace velaria;
using velaria::testing::answerNextModal;
using velaria::testing::ReadOnlyFolder;

// Receives what the program asks the desktop to open.
class DesktopSpy : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened.append(url); }
};

class TestRecurrenceEditor : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void editorOpensFromTheMenuOverTheGrid();
    void listIsSortedWithoutRegardToCase();
    void insertion_data();
    void insertion();
    void clickSplitsALineIntoTheBoxes();
    void doubleClickRemovesFromTheListOnly();
    void saveRebuildsTableFileAndBoxes();
    void saveOfAnEmptyListEmptiesFileAndGrid();
    void twoLinesForOneDate();
    void textWithAccentsSurvivesSaveAndRestart();
    void failedSaveTellsTheUserAndKeepsTheOldFile();
    void exitWithoutSavingKeepsTheListForNextTime();
    void tabOrder();
    void openFileAsksTheDesktopForTheRecurrenceFile();
    void siteOpensTheDownloadAddress();

private:
    void start(const QStringList &fileLines = {});
    template <typename T> T *child(const QString &name) const
    {
        T *found = m_window->findChild<T *>(name);
        if (!found)
            qFatal("no control named %s", qPrintable(name));
        return found;
    }
    QStringList listLines() const;
    QByteArray fileBytes() const;
    void choose(int combo, const QString &text);
    void openEditor();
    void press(const char *button) { child<QPushButton>(QLatin1String(button))->click(); }

    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<WindowState> m_state;
    std::unique_ptr<MainWindow> m_window;
    DesktopSpy m_desktop;
};

void TestRecurrenceEditor::initTestCase()
{
    InstallFontSubstitutions();
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &m_desktop, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &m_desktop, "open");
}

void TestRecurrenceEditor::cleanupTestCase()
{
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
}

void TestRecurrenceEditor::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
    m_desktop.opened.clear();
}

void TestRecurrenceEditor::cleanup()
{
    m_window.reset();
    m_state.reset();
    m_folder.reset();
}

void TestRecurrenceEditor::start(const QStringList &fileLines)
{
    if (!fileLines.isEmpty()) {
        QFile file(m_folder->filePath(QStringLiteral("Ricorrenze.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        for (const QString &line : fileLines)
            file.write(line.toUtf8() + "\r\n");
    }
    m_window.reset();
    m_state = std::make_unique<WindowState>();
    m_state->dataFolder = m_folder->path();
    m_state->makerHost = QStringLiteral("velaria.example");
    m_window = std::make_unique<MainWindow>(*m_state, QDate(2025, 3, 10));
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

QStringList TestRecurrenceEditor::listLines() const
{
    auto *list = child<QListWidget>(QStringLiteral("List1"));
    QStringList lines;
    for (int row = 0; row < list->count(); ++row)
        lines << list->item(row)->text();
    return lines;
}

QByteArray TestRecurrenceEditor::fileBytes() const
{
    QFile file(m_folder->filePath(QStringLiteral("Ricorrenze.txt")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void TestRecurrenceEditor::choose(int combo, const QString &text)
{
    auto *chooser = child<QComboBox>(QStringLiteral("Combo1_%1").arg(combo));
    const int index = chooser->findText(text);
    QVERIFY(index >= 0);
    chooser->setCurrentIndex(index);
    emit chooser->textActivated(text);
}

void TestRecurrenceEditor::openEditor()
{
    child<QAction>(QStringLiteral("configura"))->trigger();
    QVERIFY(child<QGroupBox>(QStringLiteral("Frame4"))->isVisible());
}

void TestRecurrenceEditor::editorOpensFromTheMenuOverTheGrid()
{
    start();
    auto *frame4 = child<QGroupBox>(QStringLiteral("Frame4"));
    QVERIFY(!frame4->isVisible());
    QCOMPARE(frame4->title(), QStringLiteral(" Ricorrenze "));
    openEditor();
    // It lies over the month grid and nothing of the grid's controls is above it.
    auto *grid = child<QWidget>(QStringLiteral("picMonth"));
    QVERIFY(frame4->geometry().intersects(grid->geometry()));
    const QPoint middle = frame4->geometry().center();
    QWidget *top = m_window->centralWidget()->childAt(middle);
    QVERIFY(top == frame4 || frame4->isAncestorOf(top));
}

void TestRecurrenceEditor::listIsSortedWithoutRegardToCase()
{
    start({QStringLiteral("12/25 - natale in famiglia"), QStringLiteral("03/15 - sagra"), QString(),
           QStringLiteral("03/15 - Palio"), QStringLiteral("xx")});
    QCOMPARE(listLines(),
             (QStringList{QStringLiteral("03/15 - Palio"), QStringLiteral("03/15 - sagra"),
                          QStringLiteral("12/25 - natale in famiglia"), QStringLiteral("xx")}));
}

void TestRecurrenceEditor::insertion_data()
{
    QTest::addColumn<QString>("month"); // empty: not chosen
    QTest::addColumn<QString>("day");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("how");      // "button" or the box that takes Enter
    QTest::addColumn<QString>("expected"); // empty: nothing inserted

    QTest::newRow("month and day chosen, Enter in the text box") << "03"
                                                                 << "15"
                                                                 << "Sagra <v>"
                                                                 << "Text4_2"
                                                                 << "03/15 - Sagra <v>";
    QTest::newRow("the Inserisci button") << "12"
                                          << "01"
                                          << "Festa"
                                          << "button"
                                          << "12/01 - Festa";
    QTest::newRow("Enter in the month box") << "07"
                                            << "04"
                                            << "Palio"
                                            << "Text4_0"
                                            << "07/04 - Palio";
    QTest::newRow("31 February is accepted") << "02"
                                             << "31"
                                             << "Mai"
                                             << "button"
                                             << "02/31 - Mai";
    QTest::newRow("empty text adds nothing") << "03"
                                             << "15"
                                             << ""
                                             << "button"
                                             << "";
    QTest::newRow("no month chosen adds nothing") << ""
                                                  << "15"
                                                  << "Sagra"
                                                  << "button"
                                                  << "";
    QTest::newRow("no day chosen adds nothing") << "03"
                                                << ""
                                                << "Sagra"
                                                << "Text4_2"
                                                << "";
}

void TestRecurrenceEditor::insertion()
{
    QFETCH(QString, month);
    QFETCH(QString, day);
    QFETCH(QString, text);
    QFETCH(QString, how);
    QFETCH(QString, expected);

    start({QStringLiteral("01/01 - Primo"), QStringLiteral("12/31 - Ultimo")});
    openEditor();
    if (!month.isEmpty())
        choose(0, month);
    if (!day.isEmpty())
        choose(1, day);
    auto *textBox = child<QLineEdit>(QStringLiteral("Text4_2"));
    textBox->setFocus();
    QTest::keyClicks(textBox, text);
    if (how == u"button")
        press("Command8");
    else
        QTest::keyClick(child<QLineEdit>(how), Qt::Key_Return);

    QStringList lines{QStringLiteral("01/01 - Primo"), QStringLiteral("12/31 - Ultimo")};
    if (!expected.isEmpty())
        lines.insert(1, expected);
    QCOMPARE(listLines(), lines);
    // The boxes keep their contents, so the same date can be used again at once.
    QCOMPARE(child<QLineEdit>(QStringLiteral("Text4_0"))->text(), month);
    QCOMPARE(child<QLineEdit>(QStringLiteral("Text4_1"))->text(), day);
    QCOMPARE(textBox->text(), text);
    // Nothing reaches the file or the grid before a save.
    QCOMPARE(m_state->Ricorr.cell(day.toInt(), month.toInt()), QString());
}

void TestRecurrenceEditor::clickSplitsALineIntoTheBoxes()
{
    start({QStringLiteral("03/15 - Sagra <v>"), QStringLiteral("12/2")});
    openEditor();
    auto *list = child<QListWidget>(QStringLiteral("List1"));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(0)).center());
    QCOMPARE(child<QLineEdit>(QStringLiteral("Text4_0"))->text(), QStringLiteral("03"));
    QCOMPARE(child<QLineEdit>(QStringLiteral("Text4_1"))->text(), QStringLiteral("15"));
    QCOMPARE(child<QLineEdit>(QStringLiteral("Text4_2"))->text(), QStringLiteral("Sagra <v>"));
    // A line shorter than eight characters leaves the text box empty.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(1)).center());
    QCOMPARE(child<QLineEdit>(QStringLiteral("Text4_0"))->text(), QStringLiteral("12"));
    QCOMPARE(child<QLineEdit>(QStringLiteral("Text4_1"))->text(), QStringLiteral("2"));
    QCOMPARE(child<QLineEdit>(QStringLiteral("Text4_2"))->text(), QString());
}

void TestRecurrenceEditor::doubleClickRemovesFromTheListOnly()
{
    start({QStringLiteral("03/15 - Sagra <v>"), QStringLiteral("03/20 - Fiera")});
    openEditor();
    auto *list = child<QListWidget>(QStringLiteral("List1"));
    const QPoint first = list->visualItemRect(list->item(0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, first);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, first);
    QCOMPARE(listLines(), QStringList{QStringLiteral("03/20 - Fiera")});

    press("Command6"); // "Esci senza salvare"
    QVERIFY(!child<QGroupBox>(QStringLiteral("Frame4"))->isVisible());
    QCOMPARE(m_state->Ricorr.cell(15, 3), QStringLiteral("Sagra <v>"));
    QVERIFY(child<QLabel>(QStringLiteral("Label4_0"))->text().contains(u"15 Sagra"));
    QVERIFY(fileBytes().contains("03/15 - Sagra"));
}

void TestRecurrenceEditor::saveRebuildsTableFileAndBoxes()
{
    start({QStringLiteral("03/20 - Fiera")});
    openEditor();
    choose(0, QStringLiteral("03"));
    choose(1, QStringLiteral("15"));
    QTest::keyClicks(child<QLineEdit>(QStringLiteral("Text4_2")), QStringLiteral("Sagra <v>"));
    press("Command8");
    press("Command7"); // "Esci e salva"

    QCOMPARE(fileBytes(), QByteArray("03/15 - Sagra <v>\r\n03/20 - Fiera\r\n"));
    QCOMPARE(m_state->Ricorr.cell(15, 3), QStringLiteral("Sagra <v>"));
    QVERIFY(!child<QGroupBox>(QStringLiteral("Frame4"))->isVisible());
    QCOMPARE(child<QLabel>(QStringLiteral("Label4_0"))->text(),
             QStringLiteral("15 Sagra  - 20 Fiera"));
    // After a save the boxes show the first line.
    QCOMPARE(child<QLineEdit>(QStringLiteral("Text4_0"))->text(), QStringLiteral("03"));
    QCOMPARE(child<QLineEdit>(QStringLiteral("Text4_1"))->text(), QStringLiteral("15"));
    QCOMPARE(child<QLineEdit>(QStringLiteral("Text4_2"))->text(), QStringLiteral("Sagra <v>"));
}

void TestRecurrenceEditor::saveOfAnEmptyListEmptiesFileAndGrid()
{
    start({QStringLiteral("03/20 - Fiera")});
    openEditor();
    auto *list = child<QListWidget>(QStringLiteral("List1"));
    const QPoint first = list->visualItemRect(list->item(0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, first);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, first);
    QCOMPARE(list->count(), 0);
    press("Command9"); // "Salva" leaves the editor open
    QVERIFY(child<QGroupBox>(QStringLiteral("Frame4"))->isVisible());
    QVERIFY(QFileInfo::exists(m_folder->filePath(QStringLiteral("Ricorrenze.txt"))));
    QCOMPARE(fileBytes(), QByteArray());
    QCOMPARE(m_state->Ricorr.cell(20, 3), QString());
    QCOMPARE(child<QLabel>(QStringLiteral("Label4_0"))->text(), QString());
}

void TestRecurrenceEditor::twoLinesForOneDate()
{
    start({QStringLiteral("03/15 - B secondo"), QStringLiteral("03/15 - A primo <b>")});
    openEditor();
    press("Command9");
    QCOMPARE(fileBytes(), QByteArray("03/15 - A primo <b>\r\n03/15 - B secondo\r\n"));
    QCOMPARE(m_state->Ricorr.cell(15, 3), QStringLiteral("B secondo"));
    press("Command6");
    QCOMPARE(child<QLabel>(QStringLiteral("Label4_0"))->text(), QStringLiteral("15 B secondo"));
}

void TestRecurrenceEditor::textWithAccentsSurvivesSaveAndRestart()
{
    start();
    openEditor();
    choose(0, QStringLiteral("08"));
    choose(1, QStringLiteral("10"));
    const QString text = QStringLiteral("Festa è 100° compleanno: 5 € <a>");
    // Typed through the input method: key clicks carry Latin-1 only.
    child<QLineEdit>(QStringLiteral("Text4_2"))->insert(text);
    press("Command8");
    press("Command7");

    start(); // the file as the next start finds it
    QCOMPARE(listLines(), QStringList{QStringLiteral("08/10 - ") + text});
    QCOMPARE(m_state->Ricorr.cell(10, 8), text);
}

void TestRecurrenceEditor::failedSaveTellsTheUserAndKeepsTheOldFile()
{
    start({QStringLiteral("03/20 - Fiera")});
    const QByteArray before = fileBytes();
    openEditor();
    choose(0, QStringLiteral("04"));
    choose(1, QStringLiteral("01"));
    QTest::keyClicks(child<QLineEdit>(QStringLiteral("Text4_2")), QStringLiteral("Pesce"));
    press("Command8");

    QString title;
    QString message;
    {
        ReadOnlyFolder readOnly(m_folder->path());
        if (!readOnly.active())
            QSKIP("this machine cannot make a folder unwritable for root");
        answerNextModal([&](QWidget *modal) {
            auto *box = qobject_cast<QMessageBox *>(modal);
            QVERIFY(box);
            title = box->windowTitle();
            message = box->text();
            box->accept();
        });
        press("Command9");
    }
    QVERIFY(message.contains(QStringLiteral("non sono state salvate")));
    QVERIFY(message.contains(QStringLiteral("Ricorrenze.txt")));
    QVERIFY(!title.isEmpty());
    QCOMPARE(fileBytes(), before);
    // The table follows the list all the same.
    QCOMPARE(m_state->Ricorr.cell(1, 4), QStringLiteral("Pesce"));
}

void TestRecurrenceEditor::exitWithoutSavingKeepsTheListForNextTime()
{
    start();
    openEditor();
    choose(0, QStringLiteral("05"));
    choose(1, QStringLiteral("05"));
    QTest::keyClicks(child<QLineEdit>(QStringLiteral("Text4_2")), QStringLiteral("Prova"));
    press("Command8");
    press("Command6");
    QVERIFY(!QFileInfo::exists(m_folder->filePath(QStringLiteral("Ricorrenze.txt"))));
    openEditor();
    QCOMPARE(listLines(), QStringList{QStringLiteral("05/05 - Prova")});
}

void TestRecurrenceEditor::tabOrder()
{
    start();
    openEditor();
    const QStringList expected = {"Command6", "Command7", "List1",    "Text4_2",
                                  "Command8", "Combo1_0", "Combo1_1", "Command9"};
    QWidget *widget = child<QWidget>(expected.first());
    for (int i = 1; i < expected.size(); ++i) {
        widget = widget->nextInFocusChain();
        while (widget->focusPolicy() == Qt::NoFocus || widget->focusPolicy() == Qt::ClickFocus ||
               !widget->isVisible())
            widget = widget->nextInFocusChain();
        QCOMPARE(widget->objectName(), expected.at(i));
    }
}

void TestRecurrenceEditor::openFileAsksTheDesktopForTheRecurrenceFile()
{
    start({QStringLiteral("03/20 - Fiera")});
    child<QAction>(QStringLiteral("ricorrenze"))->trigger();
    QCOMPARE(m_desktop.opened.size(), 1);
    QCOMPARE(m_desktop.opened.first(),
             QUrl::fromLocalFile(m_folder->filePath(QStringLiteral("Ricorrenze.txt"))));
    // The recurrences in memory stay as they were.
    QCOMPARE(m_state->Ricorr.cell(20, 3), QStringLiteral("Fiera"));

    // Without a file, an empty one is created first so the editor can open it.
    QVERIFY(QFile::remove(m_folder->filePath(QStringLiteral("Ricorrenze.txt"))));
    child<QAction>(QStringLiteral("ricorrenze"))->trigger();
    QCOMPARE(m_desktop.opened.size(), 2);
    QVERIFY(QFileInfo::exists(m_folder->filePath(QStringLiteral("Ricorrenze.txt"))));
    QCOMPARE(fileBytes(), QByteArray());
}

void TestRecurrenceEditor::siteOpensTheDownloadAddress()
{
    start();
    child<QAction>(QStringLiteral("Sito"))->trigger();
    QCOMPARE(
        m_desktop.opened,
        QList<QUrl>{QUrl(QStringLiteral("http://velaria.example/ftp/?prog=calendario&ver=1.0.7"))});
}

QTEST_MAIN(TestRecurrenceEditor)
#include "tst_recurrenceeditor.moc"
