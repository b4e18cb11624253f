#include "filesizecap.h"
#include "fonts.h"
#include "mainwindow.h"
#include "pagewindow.h"
#include "textfile.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QScopeGuard>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

using namespace velaria;

namespace {

const QString Caption = QStringLiteral("Finestra creazione calendario");

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

QImage solid(QColor colour, int width = 160, int height = 120)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// Answers the next file dialog of this thread as soon as it is open.
void whenDialogOpens(std::function<void(QFileDialog *)> answer)
{
    auto *poll = new QTimer;
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, answer] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        answer(dialog);
        // A dialog that refused the answer would wait for ever: close it, the test then fails.
        if (dialog->isVisible()) {
            qWarning("the file dialog did not take the answer");
            dialog->reject();
        }
    });
    poll->start();
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
            WriteTextLines(listPath(), *pictureList);
        main = std::make_unique<MainWindow>(state);
        main->GoToDate(shown);
        page = new PageWindow(state, main.get());
    }
    ~Windows() { delete page; }
    Windows(const Windows &) = delete;
    Windows &operator=(const Windows &) = delete;

    QString listPath() const { return folder.filePath(QStringLiteral("Immagini.txt")); }
    QString path(const QString &name) const { return folder.filePath(name); }

    template <typename T> T *child(const QString &name) const { return page->findChild<T *>(name); }
    QLineEdit *box(int index) const
    {
        return child<QLineEdit>(QStringLiteral("Text1_%1").arg(index));
    }
    QString status() const { return child<QLabel>(QStringLiteral("Label6"))->text(); }
    QTimer *timer(const char *name) const { return child<QTimer>(QLatin1String(name)); }

    // Waits until no page is pending, so that what follows counts only its own pages.
    bool settle() const
    {
        QSignalSpy composed(page.data(), &PageWindow::pageComposed);
        if (timer("Timer1")->isActive() && !composed.wait(2000))
            return false;
        return !timer("Timer1")->isActive();
    }

    QTemporaryDir folder;
    WindowState state;
    std::unique_ptr<MainWindow> main;
    QPointer<PageWindow> page;
};

QStringList pictureLines(int count)
{
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines << QStringLiteral("/foto/mese%1.jpg").arg(i);
    return lines;
}

} // namespace

// The page creator window: its controls, the picture list, the months it shows through the
// main window, the pictures it draws and the failures it reports.
class TestPageWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void layout();
    void placedAtTopCentre();
    void firstPageAfterCreation();
    void activationRequestsPage();
    void requestsCoalesce();

    void pictureList_data();
    void pictureList();
    void saveListWritesTwelveLines();
    void saveListFailureKeepsOldList();

    void selectMonthFromBox_data();
    void selectMonthFromBox();
    void arrowsMoveMainWindow();

    void choosePicture();
    void choosePictureSeveralFiles();
    void choosePictureCancelled();

    void emptyPathDrawsNoPicture();
    void pictureFailures_data();
    void pictureFailures();
    void captionRestoredByTimer2();
    void monthsWithAndWithoutPictures();

    void savePageOnDesktop();
    void esciHidesCloseDestroys();
};

void TestPageWindow::initTestCase()
{
    InstallFontSubstitutions();
}

void TestPageWindow::layout()
{
    Windows w;
    PageWindow *page = w.page;
    QCOMPARE(page->objectName(), u"Form3"_qs);
    QVERIFY(page->windowTitle().startsWith(Caption));
    QVERIFY(page->parentWidget() == nullptr);
    QVERIFY(page->testAttribute(Qt::WA_DeleteOnClose));
    QCOMPARE(page->size(), QSize(802, 753));
    QCOMPARE(page->minimumSize(), page->maximumSize());

    QCOMPARE(w.child<QWidget>(u"Picture2"_qs)->geometry(), QRect(0, 2, 547, 735));
    QVERIFY(w.child<QWidget>(u"Frame1"_qs));
    QVERIFY(w.child<QWidget>(u"Frame2"_qs));
    QVERIFY(w.child<QWidget>(u"Shape2"_qs));
    for (int i = 0; i < 12; ++i) {
        QVERIFY(w.box(i));
        auto *pen = w.child<QLabel>(QStringLiteral("Image2_%1").arg(i));
        QVERIFY(pen);
        QCOMPARE(pen->pixmap().size(), QSize(32, 32));
        QVERIFY(w.child<QLabel>(QStringLiteral("Label1_%1").arg(i)));
    }
    QCOMPARE(w.child<QLabel>(u"Label1_8"_qs)->text(), u"Settembre"_qs);
    QCOMPARE(w.child<QLabel>(u"Label3"_qs)->text(), u"<<"_qs);
    QCOMPARE(w.child<QLabel>(u"Label4"_qs)->text(), u">>"_qs);
    QVERIFY(w.child<QLabel>(u"Label5"_qs)->text().contains(u"quindi  salvare"_qs));
    const QStringList captions = {u"Stampa A4"_qs, u"Esci"_qs, u"Salva elenco"_qs,
                                  u"Salva Pagina"_qs, u"Stampa A3"_qs};
    for (int i = 1; i <= 5; ++i)
        QCOMPARE(w.child<QAbstractButton>(QStringLiteral("Command%1").arg(i))->text(),
                 captions[i - 1]);
    QCOMPARE(w.timer("Timer1")->interval(), 100);
    QVERIFY(w.timer("Timer1")->isSingleShot());
    QCOMPARE(w.timer("Timer2")->interval(), 60000);
    QVERIFY(!w.timer("Timer2")->isActive());
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
             qPrintable(QStringLiteral("%1 vs %2").arg(frame.left()).arg(centred)));
}

void TestPageWindow::firstPageAfterCreation()
{
    Windows w;
    QVERIFY(w.timer("Timer1")->isActive());
    QSignalSpy composed(w.page.data(), &PageWindow::pageComposed);
    QVERIFY(composed.wait(2000));
    QCOMPARE(w.child<QLabel>(u"Label2"_qs)->text(), u"Gennaio   2025"_qs);
    QCOMPARE(w.page->canvas().size(), QSize(2188, 2940));
    QCOMPARE(w.page->preview().size(), QSize(547, 735));
}

void TestPageWindow::activationRequestsPage()
{
    Windows w;
    QVERIFY(w.settle());
    auto *shape = w.child<QWidget>(u"Shape2"_qs);
    shape->move(0, shape->y());
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(w.page, &activate);
    QVERIFY(w.timer("Timer1")->isActive());
    QCOMPARE(shape->x(), (8205 - 40) / 2 / 15);
    QSignalSpy composed(w.page.data(), &PageWindow::pageComposed);
    QVERIFY(composed.wait(2000));
}

void TestPageWindow::requestsCoalesce()
{
    Windows w;
    QVERIFY(w.settle());
    QSignalSpy composed(w.page.data(), &PageWindow::pageComposed);
    auto *next = w.child<QLabel>(u"Label4"_qs);
    w.page->requestPage();
    QTest::mouseClick(next, Qt::LeftButton);
    QTest::mouseClick(next, Qt::LeftButton);
    w.page->requestPage();
    QVERIFY(composed.wait(2000));
    // Wait well past another tick: still one page, and it is the last month asked for.
    QTest::qWait(3 * PageWindow::ComposeDelayMs);
    QCOMPARE(composed.count(), 1);
    QCOMPARE(w.child<QLabel>(u"Label2"_qs)->text(), u"Marzo   2025"_qs);
}

void TestPageWindow::pictureList_data()
{
    QTest::addColumn<std::optional<QStringList>>("file");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<bool>("failure");
    QStringList five = pictureLines(5);
    for (int i = 5; i < 12; ++i)
        five << QString();
    QTest::newRow("no file: twelve empty boxes, failure in the caption")
        << std::optional<QStringList>() << QStringList(12, QString()) << true;
    QTest::newRow("five lines fill the first five")
        << std::optional<QStringList>(pictureLines(5)) << five << false;
    QTest::newRow("twelve lines") << std::optional<QStringList>(pictureLines(12))
                                  << pictureLines(12) << false;
    QTest::newRow("thirteen lines: twelve boxes and a failure")
        << std::optional<QStringList>(pictureLines(13)) << pictureLines(12) << true;
}

void TestPageWindow::pictureList()
{
    QFETCH(std::optional<QStringList>, file);
    QFETCH(QStringList, boxes);
    QFETCH(bool, failure);
    Windows w(QDate(2025, 1, 15), file);
    for (int i = 0; i < 12; ++i)
        QCOMPARE(w.box(i)->text(), boxes[i]);
    if (failure) {
        QVERIFY2(w.page->windowTitle().startsWith(Caption + u" - "_qs),
                 qPrintable(w.page->windowTitle()));
        QVERIFY2(w.page->windowTitle().contains(u"Immagini.txt"_qs),
                 qPrintable(w.page->windowTitle()));
    } else {
        QCOMPARE(w.page->windowTitle(), Caption);
    }
}

void TestPageWindow::saveListWritesTwelveLines()
{
    Windows w(QDate(2025, 1, 15), pictureLines(5));
    w.box(6)->setText(u"/foto/lago di luglio.jpg"_qs);
    QTest::mouseClick(w.child<QAbstractButton>(u"Command3"_qs), Qt::LeftButton);
    QFile file(w.listPath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray expected =
        "/foto/mese1.jpg\r\n/foto/mese2.jpg\r\n/foto/mese3.jpg\r\n/foto/mese4.jpg\r\n"
        "/foto/mese5.jpg\r\n\r\n/foto/lago di luglio.jpg\r\n\r\n\r\n\r\n\r\n\r\n";
    QCOMPARE(file.readAll(), expected);
    QVERIFY(w.status().isEmpty());
}

void TestPageWindow::saveListFailureKeepsOldList()
{
#ifdef Q_OS_UNIX
    Windows w(QDate(2025, 1, 15), pictureLines(12));
    QFile before(w.listPath());
    QVERIFY(before.open(QIODevice::ReadOnly));
    const QByteArray old = before.readAll();
    before.close();
    QVERIFY(w.settle()); // a page would empty the status line
    // Long paths: the list is far beyond the cap, so no complete new file can be written.
    const QString deep = QStringLiteral("/una/cartella/molto/profonda").repeated(60);
    for (int i = 0; i < 12; ++i)
        w.box(i)->setText(deep + QStringLiteral("/foto%1.jpg").arg(i));
    {
        velaria::testing::FileSizeCap cap(64);
        QVERIFY(cap.active());
        QTest::mouseClick(w.child<QAbstractButton>(u"Command3"_qs), Qt::LeftButton);
    }
    QVERIFY2(w.status().contains(u"Immagini.txt"_qs), qPrintable(w.status()));
    QVERIFY(before.open(QIODevice::ReadOnly));
    QCOMPARE(before.readAll(), old);
#else
    QSKIP("needs a file size limit");
#endif
}

void TestPageWindow::selectMonthFromBox_data()
{
    QTest::addColumn<QDate>("shown");
    QTest::addColumn<int>("box");
    QTest::addColumn<QDate>("selected"); // invalid: the selection fails
    QTest::addColumn<QString>("caption");
    QTest::newRow("15 January, box of March")
        << QDate(2025, 1, 15) << 2 << QDate(2025, 3, 15) << u"Marzo   2025"_qs;
    QTest::newRow("30 March, box of April")
        << QDate(2025, 3, 30) << 3 << QDate(2025, 4, 30) << u"Aprile   2025"_qs;
    QTest::newRow("31 March, box of April fails")
        << QDate(2025, 3, 31) << 3 << QDate() << QString();
    QTest::newRow("30 January, box of February fails")
        << QDate(2025, 1, 30) << 1 << QDate() << QString();
    QTest::newRow("29 January of a leap year, box of February")
        << QDate(2024, 1, 29) << 1 << QDate(2024, 2, 29) << u"Febbraio   2024"_qs;
    QTest::newRow("29 January of a common year, box of February fails")
        << QDate(2025, 1, 29) << 1 << QDate() << QString();
    QTest::newRow("31 December, box of January")
        << QDate(2025, 12, 31) << 0 << QDate(2025, 1, 31) << u"Gennaio   2025"_qs;
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
    const QString mainCaption = w.main->findChild<QLabel *>(u"lblMonth"_qs)->text();
    const QString pageCaption = w.child<QLabel>(u"Label2"_qs)->text();
    QSignalSpy composed(w.page.data(), &PageWindow::pageComposed);

    QTest::mouseClick(w.box(box), Qt::LeftButton);
    if (selected.isValid()) {
        QCOMPARE(w.state.ShownDate, selected);
        QCOMPARE(w.state.NomeMese.trimmed(), caption.left(caption.indexOf(u' ')).toUpper());
        QVERIFY(composed.wait(2000));
        QCOMPARE(w.child<QLabel>(u"Label2"_qs)->text(), caption);
        QVERIFY(w.status().isEmpty());
    } else {
        QCOMPARE(w.state.ShownDate, shown);
        QCOMPARE(w.main->findChild<QLabel *>(u"lblMonth"_qs)->text(), mainCaption);
        QVERIFY(!w.timer("Timer1")->isActive());
        QVERIFY2(w.status().contains(QString::number(shown.day())), qPrintable(w.status()));
        QTest::qWait(3 * PageWindow::ComposeDelayMs);
        QCOMPARE(composed.count(), 0);
        QCOMPARE(w.child<QLabel>(u"Label2"_qs)->text(), pageCaption);
    }
}

void TestPageWindow::arrowsMoveMainWindow()
{
    Windows w(QDate(2025, 1, 31));
    QVERIFY(w.settle());
    QSignalSpy composed(w.page.data(), &PageWindow::pageComposed);
    QTest::mouseClick(w.child<QLabel>(u"Label4"_qs), Qt::LeftButton);
    QCOMPARE(w.main->findChild<QLabel *>(u"lblMonth"_qs)->text(), u"FEBBRAIO  2025"_qs);
    QVERIFY(composed.wait(2000));
    QCOMPARE(w.child<QLabel>(u"Label2"_qs)->text(), u"Febbraio   2025"_qs);
    QTest::mouseClick(w.child<QLabel>(u"Label3"_qs), Qt::LeftButton);
    QTest::mouseClick(w.child<QLabel>(u"Label3"_qs), Qt::LeftButton);
    QVERIFY(composed.wait(2000));
    QCOMPARE(w.child<QLabel>(u"Label2"_qs)->text(), u"Dicembre   2024"_qs);
}

void TestPageWindow::choosePicture()
{
    Windows w(QDate(2025, 1, 15));
    QVERIFY(solid(Qt::green).save(w.path(u"giugno.png"_qs)));
    QVERIFY(w.settle());
    QSignalSpy composed(w.page.data(), &PageWindow::pageComposed);
    QString title;
    QStringList filters;
    whenDialogOpens([&](QFileDialog *dialog) {
        title = dialog->windowTitle();
        filters = dialog->nameFilters();
        dialog->setDirectory(w.folder.path());
        dialog->findChild<QLineEdit *>(u"fileNameEdit"_qs)->setText(u"giugno.png"_qs);
        static_cast<QDialog *>(dialog)->accept(); // as the Open button does
    });
    QTest::mouseClick(w.child<QLabel>(u"Image2_5"_qs), Qt::LeftButton);
    QCOMPARE(title, u"File di Init"_qs);
    QCOMPARE(filters.size(), 2);
    QVERIFY(filters[0].startsWith(u"File di init (*.jpg);(*.bmp) ("_qs));
    QVERIFY(filters[0].contains(u"*.JPEG"_qs) && filters[0].contains(u"*.png"_qs));
    QVERIFY(filters[1].startsWith(u"Tutti i file (*.*)"_qs));

    QCOMPARE(w.box(5)->text(), w.path(u"giugno.png"_qs));
    QCOMPARE(w.state.ShownDate, QDate(2025, 6, 15));
    QVERIFY(composed.wait(2000));
    QCOMPARE(w.child<QLabel>(u"Label2"_qs)->text(), u"Giugno   2025"_qs);
    QCOMPARE(pictureCentre(w.page->preview()), QColor(Qt::green));
    QCOMPARE(pictureCentre(w.page->canvas()), QColor(Qt::green));
    QVERIFY(w.status().isEmpty());
}

void TestPageWindow::choosePictureSeveralFiles()
{
    Windows w(QDate(2025, 1, 15));
    QVERIFY(solid(Qt::red).save(w.path(u"a.png"_qs)));
    QVERIFY(solid(Qt::blue).save(w.path(u"b.png"_qs)));
    QVERIFY(w.settle());
    whenDialogOpens([&](QFileDialog *dialog) {
        dialog->setDirectory(w.folder.path());
        dialog->findChild<QLineEdit *>(u"fileNameEdit"_qs)->setText(u"\"b.png\" \"a.png\""_qs);
        static_cast<QDialog *>(dialog)->accept(); // as the Open button does
    });
    QSignalSpy composed(w.page.data(), &PageWindow::pageComposed);
    QTest::mouseClick(w.child<QLabel>(u"Image2_2"_qs), Qt::LeftButton);
    // The first file chosen, with its folder: not the names run together.
    QCOMPARE(w.box(2)->text(), w.path(u"b.png"_qs));
    QVERIFY(composed.wait(2000));
    QCOMPARE(pictureCentre(w.page->preview()), QColor(Qt::blue));
}

void TestPageWindow::choosePictureCancelled()
{
    Windows w(QDate(2025, 1, 15), pictureLines(12));
    QVERIFY(w.settle());
    whenDialogOpens([](QFileDialog *dialog) { dialog->reject(); });
    QTest::mouseClick(w.child<QLabel>(u"Image2_5"_qs), Qt::LeftButton);
    QCOMPARE(w.box(5)->text(), u"/foto/mese6.jpg"_qs);
    // The month was selected before the dialog opened.
    QCOMPARE(w.state.ShownDate, QDate(2025, 6, 15));
}

void TestPageWindow::emptyPathDrawsNoPicture()
{
    Windows w(QDate(2025, 1, 15), QStringList(12, QString()));
    QSignalSpy composed(w.page.data(), &PageWindow::pageComposed);
    QVERIFY(composed.wait(2000));
    QVERIFY(w.status().isEmpty());
    QVERIFY(!w.timer("Timer2")->isActive());
    QVERIFY(pictureAreaIsBlank(w.page->preview()));
    QVERIFY(pictureAreaIsBlank(w.page->canvas()));
}

void TestPageWindow::pictureFailures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");  // empty: no such file
    QTest::addColumn<int>("allocationLimit"); // MB while composing; 0 keeps the default
    QTest::newRow("missing file") << u"sparita.jpg"_qs << QByteArray() << 0;
    QTest::newRow("not a picture") << u"appunti.jpg"_qs << QByteArray("solo testo\r\n") << 0;
    QTest::newRow("too large for the reader") << u"enorme.bmp"_qs << QByteArray("bmp") << 1;
}

void TestPageWindow::pictureFailures()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(int, allocationLimit);
    Windows w(QDate(2025, 1, 15));
    const QString good = w.path(u"buona.png"_qs);
    QVERIFY(solid(Qt::green).save(good));
    const QString bad = w.path(name);
    if (content == "bmp")
        QVERIFY(solid(Qt::red, 1000, 1000).save(bad));
    else if (!content.isEmpty()) {
        QFile file(bad);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(content), content.size());
    }

    // A page with the good picture first.
    w.box(0)->setText(good);
    QVERIFY(w.settle());
    w.page->requestPage();
    QVERIFY(w.settle());
    QCOMPARE(pictureCentre(w.page->preview()), QColor(Qt::green));

    const int limit = QImageReader::allocationLimit();
    if (allocationLimit)
        QImageReader::setAllocationLimit(allocationLimit);
    const auto restore = qScopeGuard([limit] { QImageReader::setAllocationLimit(limit); });
    w.box(0)->setText(bad);
    w.page->requestPage();
    QVERIFY(w.settle());

    QVERIFY2(w.status().contains(QDir::toNativeSeparators(bad)), qPrintable(w.status()));
    QVERIFY2(w.status().startsWith(u"Impossibile caricare l'immagine"_qs), qPrintable(w.status()));
    QVERIFY(w.timer("Timer2")->isActive());
    // Drawn without a picture, not with the one before.
    QVERIFY(pictureAreaIsBlank(w.page->preview()));
    QVERIFY(pictureAreaIsBlank(w.page->canvas()));
    QCOMPARE(w.child<QLabel>(u"Label2"_qs)->text(), u"Gennaio   2025"_qs);

    // The next page without the failure empties the status line.
    w.box(0)->setText(good);
    w.page->requestPage();
    QVERIFY(w.settle());
    QVERIFY(w.status().isEmpty());
    QCOMPARE(pictureCentre(w.page->canvas()), QColor(Qt::green));
}

void TestPageWindow::captionRestoredByTimer2()
{
    Windows w; // no picture list: the caption reports it
    QVERIFY(w.page->windowTitle().startsWith(Caption + u" - "_qs));
    w.box(0)->setText(w.path(u"manca.jpg"_qs));
    QVERIFY(w.settle());
    w.page->requestPage();
    QVERIFY(w.settle());
    QTimer *timer2 = w.timer("Timer2");
    QVERIFY(timer2->isActive());
    QVERIFY(timer2->isSingleShot());
    timer2->setInterval(10); // a minute is long for a test; the tick is what counts
    timer2->start();
    QTRY_COMPARE(w.page->windowTitle(), Caption);
    QVERIFY(!timer2->isActive());
}

void TestPageWindow::monthsWithAndWithoutPictures()
{
    Windows w(QDate(2025, 1, 15));
    const QString january = w.path(u"gennaio.png"_qs);
    QVERIFY(solid(Qt::cyan).save(january));
    w.box(0)->setText(january);
    QVERIFY(w.settle());
    w.page->requestPage();
    QVERIFY(w.settle());
    QCOMPARE(pictureCentre(w.page->preview()), QColor(Qt::cyan));

    QTest::mouseClick(w.child<QLabel>(u"Label4"_qs), Qt::LeftButton);
    QVERIFY(w.settle());
    QCOMPARE(w.child<QLabel>(u"Label2"_qs)->text(), u"Febbraio   2025"_qs);
    QVERIFY(pictureAreaIsBlank(w.page->preview()));
    QVERIFY(w.status().isEmpty());

    // Back to January: the picture again, from the cache.
    const int decodes = w.page->pictureCache().decodeCount();
    QTest::mouseClick(w.child<QLabel>(u"Label3"_qs), Qt::LeftButton);
    QVERIFY(w.settle());
    QCOMPARE(pictureCentre(w.page->preview()), QColor(Qt::cyan));
    QCOMPARE(w.page->pictureCache().decodeCount(), decodes);
}

void TestPageWindow::savePageOnDesktop()
{
    QTemporaryDir home;
    const QByteArray oldHome = qgetenv("HOME");
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    const auto restore = qScopeGuard([&] {
        qputenv("HOME", oldHome);
        if (oldConfig.isNull())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", oldConfig);
    });
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(u".config"_qs)));
    QVERIFY(QDir(home.path()).mkpath(u"Desktop"_qs));

    Windows w(QDate(2025, 3, 10));
    QVERIFY(w.settle());
    QTest::mouseClick(w.child<QAbstractButton>(u"Command4"_qs), Qt::LeftButton);
    const QString saved = home.filePath(u"Desktop/MARZO.bmp"_qs);
    QVERIFY2(QFile::exists(saved), qPrintable(w.status()));
    QVERIFY2(w.status().contains(QDir::toNativeSeparators(saved)), qPrintable(w.status()));
    const QImage image(saved);
    QCOMPARE(image.size(), QSize(2188, 2940));
    QCOMPARE(image.pixelColor(1000, 1840), QColor(128, 128, 128)); // the rule under the title
}

void TestPageWindow::esciHidesCloseDestroys()
{
    Windows w(QDate(2025, 1, 15), pictureLines(3));
    w.page->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.page));
    w.box(4)->setText(u"/foto/non salvata.jpg"_qs);
    QTest::mouseClick(w.child<QAbstractButton>(u"Command2"_qs), Qt::LeftButton);
    QVERIFY(!w.page->isVisible());
    QVERIFY(!w.page.isNull());
    w.page->show();
    QCOMPARE(w.box(4)->text(), u"/foto/non salvata.jpg"_qs);
    QCOMPARE(w.box(0)->text(), u"/foto/mese1.jpg"_qs);

    w.page->close();
    QTRY_VERIFY(w.page.isNull());
}

QTEST_MAIN(TestPageWindow)
#include "tst_pagewindow.moc"
