#include "fonts.h"
#include "mainwindow.h"
#include "pagewindow.h"
#include "testsupport.h"
#include "textfile.h"

#include <QAbstractButton>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>

using namespace velaria;
using namespace velaria::testing;
using namespace Qt::StringLiterals;

namespace {

const QString Caption = u"Finestra creazione calendario"_s;

// The picture area of a page: white where no picture was drawn.
bool pictureAreaIsBlank(const QImage &page)
{
    const int scale = page.width() / 547;
    for (int y = 30 * scale; y < 400 * scale; y += 7 * scale) {
        for (int x = 0; x < page.width(); x += 5 * scale) {
            if (page.pixel(x, y) != qRgb(255, 255, 255))
                return false;
        }
    }
    return true;
}

QColor pictureCentre(const QImage &page)
{
    const int scale = page.width() / 547;
    return page.pixelColor(273 * scale, 216 * scale);
}

QImage solid(QColor colour)
{
    QImage image(160, 120, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

QStringList pictureLines(int count)
{
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines << u"/foto/mese%1.jpg"_s.arg(i);
    return lines;
}

// A main window and a page window over one data folder, the main window on a fixed date.
class Windows
{
public:
    explicit Windows(const QDate &shown = QDate(2025, 1, 15),
                     const std::optional<QStringList> &pictureList = std::nullopt)
    {
        state.dataFolder = folder.path();
        if (pictureList)
            WriteTextLines(path(u"Immagini.txt"_s), *pictureList);
        main = std::make_unique<MainWindow>(state);
        main->GoToDate(shown);
        page = new PageWindow(state, main.get());
    }
    ~Windows() { delete page; }
    Windows(const Windows &) = delete;
    Windows &operator=(const Windows &) = delete;

    QString path(const QString &name) const { return folder.filePath(name); }
    template <typename T = QLabel> T *child(const QString &name) const
    {
        return page->findChild<T *>(name);
    }
    QLineEdit *box(int index) const { return child<QLineEdit>(u"Text1_%1"_s.arg(index)); }
    QString status() const { return child(u"Label6"_s)->text(); }
    QString pageCaption() const { return child(u"Label2"_s)->text(); }
    QTimer *timer(const QString &name) const { return child<QTimer>(name); }
    void click(const QString &name) const
    {
        QTest::mouseClick(child<QWidget>(name), Qt::LeftButton);
    }

    // Waits until no page is pending, so that what follows counts only its own pages.
    bool settle() const
    {
        QSignalSpy composed(page.data(), &PageWindow::pageComposed);
        if (timer(u"Timer1"_s)->isActive() && !composed.wait(2000))
            return false;
        return !timer(u"Timer1"_s)->isActive();
    }
    // Asks for a page with this path in January's box and waits for it.
    bool pageWithJanuaryPicture(const QString &path) const
    {
        box(0)->setText(path);
        page->requestPage();
        return settle();
    }

    QTemporaryDir folder;
    WindowState state;
    std::unique_ptr<MainWindow> main;
    QPointer<PageWindow> page;
};

} // namespace

// The page creator window: its controls, the picture list, the months it shows through the
// main window, the pictures it draws and the failures it reports.
class TestPageWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { InstallFontSubstitutions(); }

    void layout();
    void placedAtTopCentre();
    void pageAfterCreationAndActivation();
    void requestsCoalesce();

    void pictureList_data();
    void pictureList();
    void saveList();

    void selectMonthFromBox_data();
    void selectMonthFromBox();
    void choosePicture_data();
    void choosePicture();

    void monthsWithAndWithoutPictures();
    void pictureFailureIsReported();
    void esciHidesCloseDestroys();
};

void TestPageWindow::layout()
{
    Windows w;
    PageWindow *page = w.page;
    QCOMPARE(page->objectName(), u"Form3"_s);
    QVERIFY(page->parentWidget() == nullptr);
    QVERIFY(page->testAttribute(Qt::WA_DeleteOnClose));
    QCOMPARE(page->size(), QSize(802, 753));
    QCOMPARE(page->minimumSize(), page->maximumSize());

    QCOMPARE(w.child<QWidget>(u"Picture2"_s)->geometry(), QRect(0, 2, 547, 735));
    for (const QString &name : {u"Frame1"_s, u"Frame2"_s, u"Shape2"_s})
        QVERIFY2(w.child<QWidget>(name), qPrintable(name));
    for (int i = 0; i < 12; ++i) {
        QVERIFY(w.box(i));
        QVERIFY(w.child(u"Label1_%1"_s.arg(i)));
        QCOMPARE(w.child(u"Image2_%1"_s.arg(i))->pixmap().size(), QSize(32, 32));
    }
    QCOMPARE(w.child(u"Label1_8"_s)->text(), u"Settembre"_s);
    QCOMPARE(w.child(u"Label3"_s)->text(), u"<<"_s);
    QCOMPARE(w.child(u"Label4"_s)->text(), u">>"_s);
    QVERIFY(w.child(u"Label5"_s)->text().contains(u"quindi  salvare"_s));
    const QStringList captions = {u"Stampa A4"_s, u"Esci"_s, u"Salva elenco"_s, u"Salva Pagina"_s,
                                  u"Stampa A3"_s};
    for (int i = 1; i <= 5; ++i)
        QCOMPARE(w.child<QAbstractButton>(u"Command%1"_s.arg(i))->text(), captions[i - 1]);
    QCOMPARE(w.timer(u"Timer1"_s)->interval(), 100);
    QVERIFY(w.timer(u"Timer1"_s)->isSingleShot());
    QCOMPARE(w.timer(u"Timer2"_s)->interval(), 60000);
    QVERIFY(!w.timer(u"Timer2"_s)->isActive());
}

void TestPageWindow::placedAtTopCentre()
{
    Windows w;
    w.page->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.page));
    const QRect screen = w.page->screen()->geometry();
    QTRY_COMPARE(w.page->frameGeometry().top(), screen.top());
    // Centred across the screen, to within the window frame's border that the platform may
    // only report after the window was placed.
    const QRect frame = w.page->frameGeometry();
    const int centred = screen.left() + (screen.width() - frame.width()) / 2;
    const int border = (frame.width() - 802) / 2; // 12030 twips of client area
    QVERIFY2(std::abs(frame.left() - centred) <= border,
             qPrintable(u"%1 vs %2"_s.arg(frame.left()).arg(centred)));
}

void TestPageWindow::pageAfterCreationAndActivation()
{
    Windows w;
    QVERIFY(w.timer(u"Timer1"_s)->isActive());
    QVERIFY(w.settle());
    QCOMPARE(w.pageCaption(), u"Gennaio   2025"_s);
    QCOMPARE(w.page->canvas().size(), QSize(2188, 2940));
    QCOMPARE(w.page->preview().size(), QSize(547, 735));

    // Activation asks for a page and centres the mark over the page.
    auto *shape = w.child<QWidget>(u"Shape2"_s);
    shape->move(0, shape->y());
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(w.page, &activate);
    QVERIFY(w.timer(u"Timer1"_s)->isActive());
    QCOMPARE(shape->x(), (8205 - 40) / 2 / 15);
    QVERIFY(w.settle());
}

void TestPageWindow::requestsCoalesce()
{
    Windows w;
    QVERIFY(w.settle());
    QSignalSpy composed(w.page.data(), &PageWindow::pageComposed);
    w.page->requestPage();
    w.click(u"Label4"_s);
    w.click(u"Label4"_s);
    w.page->requestPage();
    QVERIFY(composed.wait(2000));
    // Wait well past another tick: still one page, and it is the last month asked for.
    QTest::qWait(3 * PageWindow::ComposeDelayMs);
    QCOMPARE(composed.count(), 1);
    QCOMPARE(w.pageCaption(), u"Marzo   2025"_s);
}

void TestPageWindow::pictureList_data()
{
    QTest::addColumn<std::optional<QStringList>>("file");
    QTest::addColumn<int>("filled"); // boxes, the first ones
    QTest::addColumn<bool>("failure");
    QTest::newRow("no file: twelve empty boxes, failure in the caption")
        << std::optional<QStringList>() << 0 << true;
    QTest::newRow("five lines fill the first five")
        << std::optional<QStringList>(pictureLines(5)) << 5 << false;
    QTest::newRow("thirteen lines: twelve boxes and a failure")
        << std::optional<QStringList>(pictureLines(13)) << 12 << true;
}

void TestPageWindow::pictureList()
{
    QFETCH(std::optional<QStringList>, file);
    QFETCH(int, filled);
    QFETCH(bool, failure);
    Windows w(QDate(2025, 1, 15), file);
    for (int i = 0; i < 12; ++i)
        QCOMPARE(w.box(i)->text(), i < filled ? file->at(i) : QString());
    const QString title = w.page->windowTitle();
    if (failure)
        QVERIFY2(title.startsWith(Caption + u" - "_s) && title.contains(u"Immagini.txt"_s),
                 qPrintable(title));
    else
        QCOMPARE(title, Caption);
}

void TestPageWindow::saveList()
{
    Windows w(QDate(2025, 1, 15), pictureLines(5));
    w.box(6)->setText(u"/foto/lago di luglio.jpg"_s);
    w.click(u"Command3"_s);
    const QByteArray saved("/foto/mese1.jpg\r\n/foto/mese2.jpg\r\n/foto/mese3.jpg\r\n"
                           "/foto/mese4.jpg\r\n/foto/mese5.jpg\r\n\r\n/foto/lago di luglio.jpg\r\n"
                           "\r\n\r\n\r\n\r\n\r\n");
    QCOMPARE(readBytes(w.path(u"Immagini.txt"_s)), saved);
    QVERIFY(w.status().isEmpty());
    QVERIFY(w.settle()); // a page would empty the status line

    // A list that cannot be written whole leaves the old one and says so. Long paths: the list
    // is far beyond the cap.
    for (int i = 0; i < 12; ++i)
        w.box(i)->setText(u"/una/cartella/molto/profonda"_s.repeated(60) + u"/foto%1.jpg"_s.arg(i));
    {
        FileSizeCap cap(64);
        QVERIFY(cap.active());
        w.click(u"Command3"_s);
    }
    QVERIFY2(w.status().contains(u"Immagini.txt"_s), qPrintable(w.status()));
    QCOMPARE(readBytes(w.path(u"Immagini.txt"_s)), saved);
}

void TestPageWindow::selectMonthFromBox_data()
{
    QTest::addColumn<QDate>("shown");
    QTest::addColumn<int>("box");
    QTest::addColumn<QDate>("selected"); // invalid: the selection fails
    QTest::addColumn<QString>("caption");
    QTest::newRow("15 January, box of March")
        << QDate(2025, 1, 15) << 2 << QDate(2025, 3, 15) << u"Marzo   2025"_s;
    QTest::newRow("31 March, box of April fails")
        << QDate(2025, 3, 31) << 3 << QDate() << QString();
    QTest::newRow("29 January of a leap year, box of February")
        << QDate(2024, 1, 29) << 1 << QDate(2024, 2, 29) << u"Febbraio   2024"_s;
    QTest::newRow("29 January of a common year, box of February fails")
        << QDate(2025, 1, 29) << 1 << QDate() << QString();
    QTest::newRow("31 December, box of January")
        << QDate(2025, 12, 31) << 0 << QDate(2025, 1, 31) << u"Gennaio   2025"_s;
}

void TestPageWindow::selectMonthFromBox()
{
    QFETCH(QDate, shown);
    QFETCH(int, box);
    QFETCH(QDate, selected);
    QFETCH(QString, caption);
    Windows w(shown);
    w.page->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.page));
    QVERIFY(w.settle());
    const QString mainCaption = w.main->findChild<QLabel *>(u"lblMonth"_s)->text();
    const QString pageCaption = w.pageCaption();
    QSignalSpy composed(w.page.data(), &PageWindow::pageComposed);

    QTest::mouseClick(w.box(box), Qt::LeftButton);
    if (selected.isValid()) {
        QCOMPARE(w.state.ShownDate, selected);
        QCOMPARE(w.state.NomeMese.trimmed(), caption.section(u' ', 0, 0).toUpper());
        QVERIFY(composed.wait(2000));
        QCOMPARE(w.pageCaption(), caption);
        QVERIFY(w.status().isEmpty());
    } else {
        QCOMPARE(w.state.ShownDate, shown);
        QCOMPARE(w.main->findChild<QLabel *>(u"lblMonth"_s)->text(), mainCaption);
        QVERIFY2(w.status().contains(QString::number(shown.day())), qPrintable(w.status()));
        QTest::qWait(3 * PageWindow::ComposeDelayMs);
        QCOMPARE(composed.count(), 0);
        QCOMPARE(w.pageCaption(), pageCaption);
    }
}

void TestPageWindow::choosePicture_data()
{
    QTest::addColumn<int>("month");         // its pen opens the dialog
    QTest::addColumn<QStringList>("files"); // in the folder, the first one blue, the others red
    QTest::addColumn<QString>("typed");     // empty: the dialog is cancelled
    // The file dialog enters the last choice again: each row has names of its own.
    QTest::newRow("one file") << 6 << QStringList{u"uno.png"_s} << u"uno.png"_s;
    QTest::newRow("several files: the first one with its folder")
        << 3 << QStringList{u"primo.png"_s, u"altro.png"_s} << u"\"primo.png\" \"altro.png\""_s;
    QTest::newRow("cancelled: the box keeps its path") << 6 << QStringList{} << QString();
}

void TestPageWindow::choosePicture()
{
    QFETCH(int, month);
    QFETCH(QStringList, files);
    QFETCH(QString, typed);
    Windows w(QDate(2025, 1, 15), pictureLines(12));
    for (const QString &file : files)
        QVERIFY(solid(file == files.first() ? Qt::blue : Qt::red).save(w.path(file)));
    QVERIFY(w.settle());
    QString title;
    QStringList filters;
    answerNextFileDialog([&](QFileDialog *dialog) {
        title = dialog->windowTitle();
        filters = dialog->nameFilters();
        if (typed.isEmpty())
            dialog->reject();
        else
            openFiles(dialog, w.folder.path(), typed);
    });
    w.click(u"Image2_%1"_s.arg(month - 1));
    QCOMPARE(title, u"File di Init"_s);
    QCOMPARE(filters.size(), 2);
    QVERIFY(filters[0].startsWith(u"File di init (*.jpg);(*.bmp) ("_s));
    QVERIFY(filters[0].contains(u"*.JPEG"_s) && filters[0].contains(u"*.png"_s));
    QVERIFY(filters[1].startsWith(u"Tutti i file (*.*)"_s));

    // The month is selected before the dialog opens, whatever the answer.
    QCOMPARE(w.state.ShownDate, QDate(2025, month, 15));
    QCOMPARE(w.box(month - 1)->text(),
             files.isEmpty() ? pictureLines(12).at(month - 1) : w.path(files.first()));
    QVERIFY(w.settle());
    if (!files.isEmpty()) {
        QCOMPARE(pictureCentre(w.page->preview()), QColor(Qt::blue));
        QCOMPARE(pictureCentre(w.page->canvas()), QColor(Qt::blue));
    }
}

void TestPageWindow::monthsWithAndWithoutPictures()
{
    Windows w(QDate(2025, 1, 15));
    const QString january = w.path(u"gennaio.png"_s);
    QVERIFY(solid(Qt::cyan).save(january));
    QVERIFY(w.settle());
    QVERIFY(w.pageWithJanuaryPicture(january));
    QCOMPARE(pictureCentre(w.page->preview()), QColor(Qt::cyan));

    // February's box is empty: no picture, and no failure.
    w.click(u"Label4"_s);
    QVERIFY(w.settle());
    QCOMPARE(w.pageCaption(), u"Febbraio   2025"_s);
    QVERIFY(pictureAreaIsBlank(w.page->preview()));
    QVERIFY(pictureAreaIsBlank(w.page->canvas()));
    QVERIFY(w.status().isEmpty());
    QVERIFY(!w.timer(u"Timer2"_s)->isActive());

    // Back to January: the picture again, from the cache.
    const int decodes = w.page->pictureCache().decodeCount();
    w.click(u"Label3"_s);
    QVERIFY(w.settle());
    QCOMPARE(pictureCentre(w.page->preview()), QColor(Qt::cyan));
    QCOMPARE(w.page->pictureCache().decodeCount(), decodes);
}

void TestPageWindow::pictureFailureIsReported()
{
    // Why a picture fails is the cache's part (tst_picturecache); here, what the window does.
    // Without a picture list the caption reports that failure too.
    Windows w;
    QVERIFY(w.page->windowTitle().startsWith(Caption + u" - "_s));
    const QString good = w.path(u"buona.png"_s);
    const QString bad = w.path(u"appunti.jpg"_s);
    QVERIFY(solid(Qt::green).save(good));
    QVERIFY(writeBytes(bad, "solo testo\r\n"));
    QVERIFY(w.settle());
    QVERIFY(w.pageWithJanuaryPicture(good));
    QCOMPARE(pictureCentre(w.page->preview()), QColor(Qt::green));

    QVERIFY(w.pageWithJanuaryPicture(bad));
    QVERIFY2(w.status().startsWith(u"Impossibile caricare l'immagine"_s) &&
                 w.status().contains(QDir::toNativeSeparators(bad)),
             qPrintable(w.status()));
    // Drawn without a picture, not with the one before.
    QVERIFY(pictureAreaIsBlank(w.page->preview()));
    QVERIFY(pictureAreaIsBlank(w.page->canvas()));
    QCOMPARE(w.pageCaption(), u"Gennaio   2025"_s);

    // Timer2 restores the caption: a minute is long for a test, the tick is what counts.
    QTimer *timer2 = w.timer(u"Timer2"_s);
    QVERIFY(timer2->isActive() && timer2->isSingleShot());
    timer2->start(10);
    QTRY_COMPARE(w.page->windowTitle(), Caption);

    // The next page without the failure empties the status line.
    QVERIFY(w.pageWithJanuaryPicture(good));
    QVERIFY(w.status().isEmpty());
    QCOMPARE(pictureCentre(w.page->canvas()), QColor(Qt::green));
}

void TestPageWindow::esciHidesCloseDestroys()
{
    Windows w(QDate(2025, 1, 15), pictureLines(3));
    w.page->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.page));
    w.box(4)->setText(u"/foto/non salvata.jpg"_s);
    w.click(u"Command2"_s);
    QVERIFY(!w.page->isVisible());
    QVERIFY(!w.page.isNull());
    w.page->show();
    QCOMPARE(w.box(4)->text(), u"/foto/non salvata.jpg"_s);
    QCOMPARE(w.box(0)->text(), u"/foto/mese1.jpg"_s);

    w.page->close();
    QTRY_VERIFY(w.page.isNull());
}

QTEST_MAIN(TestPageWindow)
#include "tst_pagewindow.moc"
