// The page window as a person uses it: it follows the shared month, saves its page and its
// list of pictures, and prints through the spooler's cups-pdf queue. The cases share a data
// folder and a window.

#include "calendardate.h"
#include "calendarstate.h"
#include "pagecontent.h"
#include "pagefiles.h"
#include "pagewindow.h"
#include "testsupport.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cups/cups.h>

using namespace velaria;
using namespace velaria::testing;

// The page window's controls, by the names they carry.
constexpr auto PrintA4 = "Command1";    // "Stampa A4"
constexpr auto SaveList = "Command3";   // "Salva elenco"
constexpr auto SavePage = "Command4";   // "Salva Pagina"
constexpr auto NextMonth = "Label4";    // ">>"
constexpr auto MonthCaption = "Label2"; // the month being composed
constexpr auto StatusLine = "Label6";   // the window's messages
constexpr auto WholeYear = "Command6";  // "Anno intero…"
// The month's path box (Text1_0 is January's) and the pen that opens its file dialog.
QString pathBox(int month)
{
    return QString("Text1_%1").arg(month - 1);
}
QString pen(int month)
{
    return QString("Image2_%1").arg(month - 1);
}

class TestPageWindow : public QObject
{
    Q_OBJECT
    QTemporaryDir m_home;
    const QString m_data = m_home.filePath("dati");
    CalendarState m_state{m_data};
    std::unique_ptr<PageWindow> m_window;

    void click(const char *name)
    {
        QTest::mouseClick(m_window->findChild<QWidget *>(name), Qt::LeftButton);
    }
    bool show(int month, int day = 1) // and its page composed
    {
        QSignalSpy composed(m_window.get(), &PageWindow::pageComposed);
        return m_state.setShownDate({2027, month, day}) &&
               (m_window->requestPage(), composed.wait());
    }

private slots:
    void initTestCase()
    {
        qputenv("HOME", m_home.path().toUtf8()); // "Salva Pagina" writes to $HOME/Desktop
        qputenv("XDG_CONFIG_HOME", m_home.path().toUtf8()); // which no user-dirs.dirs moves
        QVERIFY(QDir().mkpath(m_data)); // the desktop folder is made when a page is saved
        QVERIFY(writeBytes(m_data + "/pubblicita.txt", "Ferramenta Rossi\r\n"));
        QVERIFY(writeBytes(m_data + "/Ricorrenze.txt", "01/04 - <b>San Tito\r\n02/09 - Nonna\r\n"));
        QImage wide(800, 100, QImage::Format_RGB32); // January's, wider than the page
        wide.fill(Qt::black);
        QImage photo(2000, 1500, QImage::Format_RGB32); // March's, a little short of the page
        QRandomGenerator grain(3);
        for (int y = 0; y < photo.height(); ++y) {
            for (int x = 0; x < photo.width(); ++x)
                photo.setPixel(x, y, qRgb(x / 8, y / 6, grain.bounded(256)));
        }
        const QString list = m_home.filePath("w.png") + "\n" + m_home.filePath("nessuna.jpg") +
                             "\n" + m_home.filePath("marzo.jpg");
        QVERIFY(wide.save(m_home.filePath("w.png")) && photo.save(m_home.filePath("marzo.jpg")) &&
                writeBytes(m_data + "/Immagini.txt", list.toUtf8()));
        m_state.load();
        m_window = std::make_unique<PageWindow>(m_state, nullptr);
        m_window->show();
    }

    // Each bitmap is the window's page byte for byte: with January's picture, without
    // February's, which is missing, and with March's, which the window keeps at page size.
    void bitmapsAreTheWindowsPages()
    {
        QTemporaryDir out;
        const auto [exit, output] =
            runProgram(VELARIA_PAGINE, {"2027", "--immagini", out.path(), "--cartella", m_data});
        QVERIFY2(exit == 3 && output.contains(m_home.filePath("nessuna.jpg")), qPrintable(output));
        QCOMPARE(QDir(out.path()).entryList({"*.bmp"}).size(), 12);
        for (int month : {1, 2, 3}) {
            QVERIFY(show(month) && saveBitmap(m_window->canvas(), out.filePath("w.bmp")).isEmpty());
            QVERIFY(readBytes(out.filePath("w.bmp")) ==
                    readBytes(out.filePath(pageFileName(month) + ".bmp")));
            QTemporaryDir march; // alone, with its own picture
            QCOMPARE(runProgram(VELARIA_PAGINE, {"2027", "--mese", "3", "--immagini", march.path(),
                                                 "--cartella", m_data})
                         .first,
                     0);
            QVERIFY(readBytes(march.filePath("MARZO.bmp")) == readBytes(out.filePath("MARZO.bmp")));
        }
    }

    // With no spooler to reach, "Stampa A4" says so and the window goes on.
    void noPrinterReachable()
    {
        cupsSetServer(qPrintable(m_home.filePath("cups.sock"))); // where no one listens
        QString title;
        answerNextModal([&title](QWidget *box) { title = box->windowTitle(), box->close(); });
        click(PrintA4);
        cupsSetServer(nullptr); // the usual spooler again
        QSignalSpy composed(m_window.get(), &PageWindow::pageComposed);
        click(NextMonth);
        QVERIFY2(title == "Printer Error!" && composed.wait(), qPrintable(title));
    }

    // January's picture spans the page: the ink spans the page's place on the sheet.
    void printing()
    {
        const QString spool = emptiedSpool();
        SKIP_WITHOUT_SPOOLER(spool)
        QPrinter printer; // the default one
        printer.setPageSize(QPageSize(QPageSize::A4));
        const QPoint corner =
            printer.pageLayout().paintRect(QPageLayout::Point).topLeft().toPoint();
        QVERIFY(show(1));
        click(PrintA4);
        QImage printed;
        QTRY_VERIFY_WITH_TIMEOUT(!(printed = firstSheet(QDir(spool), 1)).isNull(), 120000);
        QCOMPARE(printed.size(), QPageSize(QPageSize::A4).sizePoints());
        // In points from the corner of the printable area.
        QCOMPARE(inkOff(printed, corner, QRect(10, 18, 551, 769)), QString());
    }

    // The pen's dialog puts the file chosen into the month's box, and offers it again the next
    // time; "Salva elenco" writes box k's path on line k of twelve, each ended by CR LF.
    void savePictureList()
    {
        const QString photo = m_home.filePath("marzo.jpg");
        QStringList offered; // the choice the dialog shows as it opens
        const auto choose = [&](int month) {
            answerNextModal([&](QWidget *modal) {
                offered = static_cast<QFileDialog *>(modal)->selectedFiles();
                modal->findChild<QLineEdit *>("fileNameEdit")->setText(photo);
                static_cast<QDialog *>(modal)->accept();
            });
            click(qPrintable(pen(month)));
        };
        choose(5);
        choose(12);
        QCOMPARE(offered, QStringList{photo});
        QByteArray lines;
        for (int month = 1; month <= 12; ++month) {
            const QString path =
                m_window->findChild<QWidget *>(pathBox(month))->property("text").toString();
            if (month == 5 || month == 12)
                QCOMPARE(path, photo);
            lines += path.toUtf8() + "\r\n";
        }
        click(SaveList);
        QCOMPARE(readBytes(m_data + "/Immagini.txt"), lines);
    }

    // The window follows the shared month and saves its page.
    void pageWindow()
    {
        auto *caption = m_window->findChild<QLabel *>(MonthCaption);
        auto *status = m_window->findChild<QLabel *>(StatusLine);
        QVERIFY(show(3, 31));
        click(qPrintable(pathBox(4)));
        QVERIFY(m_state.shownMonth() == 3 && status->text().contains("non esiste in quel mese"));
        // Saved before the compose timer runs: the page saved is April's all the same.
        click(NextMonth);
        click(SavePage);
        QSignalSpy composed(m_window.get(), &PageWindow::pageComposed);
        QEvent activate(QEvent::WindowActivate);
        QVERIFY(QApplication::sendEvent(m_window.get(), &activate) && composed.wait());
        QCOMPARE(caption->text(), pageCaption(2027, 4));
        QCOMPARE(QImage(m_home.filePath("Desktop/APRILE.bmp")), m_window->canvas());
        QVERIFY(status->text().contains("APRILE.bmp"));

        const QString missing = m_home.filePath(QString(120, 'x') + "/ottobre.jpg");
        m_window->findChild<QWidget *>(pathBox(10))->setProperty("text", missing);
        click(qPrintable(pathBox(10)));
        QVERIFY(composed.wait() && caption->text() == pageCaption(2027, 10));
        QVERIFY(status->text().contains("il file non esiste") && status->text().contains(u'…'));
        QVERIFY(status->toolTip().contains(missing));
        // A minute later the error is still in the line.
        auto *minute = m_window->findChild<QTimer *>("Timer2");
        QSignalSpy ticked(minute, &QTimer::timeout);
        minute->start(0);
        QVERIFY(ticked.wait() && status->text().contains("il file non esiste"));
        QCOMPARE(m_window->findChild<QWidget *>("Picture2")->accessibleDescription(),
                 "Pagina di ottobre 2027, immagine ottobre.jpg: 1 festività, 0 ricorrenze");
        // Screen readers read the texts and the buttons' captions as they show; the pens and
        // the arrows are buttons the keyboard reaches, and Page Down turns the month here too.
        for (const char *name : {StatusLine, MonthCaption, "Label5", SavePage, "Label1_9"}) {
            QWidget *control = m_window->findChild<QWidget *>(name);
            QCOMPARE(QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name),
                     control->property("text").toString());
        }
        for (const QString &name : {pen(12), QString("Label3"), QString(NextMonth)})
            QVERIFY(m_window->findChild<QAbstractButton *>(name)->focusPolicy() & Qt::TabFocus);
        QTest::keyClick(m_window->findChild<QWidget *>(pen(12)), Qt::Key_PageDown);
        QVERIFY(composed.wait() && caption->text() == pageCaption(2027, 11));
    }

    // "Anno intero…" makes 2027 from the window's pictures (the list saved first, so that
    // velaria-pagine reads the same), each way to the end or cancelled, or says why not.
    void wholeYear_data()
    {
        QTest::addColumn<QString>("button"); // of the dialog
        QTest::addColumn<QString>("pdf");    // chosen in the save dialog, in an empty folder
        QTest::addColumn<bool>("cancel");    // "Annulla" as the first pages are made
        QTest::addColumn<QString>("said");   // on the status line
        QTest::newRow("PDF") << "pdfButton"
                             << "c.pdf" << false << "(12 pagine A4) salvato nel";
        QTest::newRow("PDF cancelled") << "pdfButton"
                                       << "c.pdf" << true << "nessun PDF";
        QTest::newRow("PDF in a file") << "pdfButton"
                                       << "f/c.pdf" << false << "Impossibile scr";
        QTest::newRow("no printer") << "printButton"
                                    << "" << false << noDefaultPrinterMessage();
        QTest::newRow("print") << "printButton"
                               << "" << false << "un solo lavoro di 12 pagine";
        QTest::newRow("desktop") << "desktopButton"
                                 << "" << false
                                 << "Senza immagine (illeggibile o mancante): febbraio, ottobre.";
        QTest::newRow("desktop cancelled") << "desktopButton"
                                           << "" << true << "annullato";
    }
    void wholeYear()
    {
        QFETCH(QString, button);
        QFETCH(QString, pdf);
        QFETCH(bool, cancel);
        QFETCH(QString, said);
        const QString spool = emptiedSpool();
        if (button == "printButton" && said != noDefaultPrinterMessage())
            SKIP_WITHOUT_SPOOLER(spool)
        const QByteArray server = qgetenv("CUPS_SERVER"); // each export has a thread of its own
        if (said == noDefaultPrinterMessage())
            qputenv("CUPS_SERVER", m_home.filePath("cups.sock").toUtf8()); // where no one listens
        QTemporaryDir out;
        QDir desktop(m_home.filePath("Desktop"));
        QVERIFY(desktop.removeRecursively() && desktop.mkpath(".") &&
                writeBytes(out.filePath("f"), ""));
        click(SaveList);

        const QDate shown = m_state.shownDate(); // which the year leaves as it is
        click(WholeYear);
        auto *dialog = m_window->findChild<QDialog *>("YearDialog");
        QVERIFY(dialog && dialog->findChild<QSpinBox *>("yearBox")->value() == 2027);
        if (!pdf.isEmpty()) {
            answerNextModal([&](QWidget *box) {
                box->findChild<QLineEdit *>("fileNameEdit")->setText(out.filePath(pdf));
                qobject_cast<QDialog *>(box)->accept(); // as the Save button does
            });
        }
        QTest::mouseClick(dialog->findChild<QWidget *>(button), Qt::LeftButton);
        if (cancel) // while the first pages are made
            QTest::mouseClick(
                m_window->findChild<QProgressDialog *>("yearProgress")->findChild<QPushButton *>(),
                Qt::LeftButton); // "Annulla"
        QTRY_VERIFY_WITH_TIMEOUT(!m_window->findChild<QDialog *>("YearDialog"), 240000);
        qputenv("CUPS_SERVER", server);
        const QString status = m_window->findChild<QLabel *>(StatusLine)->toolTip();
        QVERIFY2(status.contains(said) && m_state.shownDate() == shown, qPrintable(status));

        if (button == "pdfButton")
            QCOMPARE(QDir(out.path()).entryList(QDir::Files).size(), said.startsWith("(") ? 2 : 1);
        if (said.startsWith("(")) { // the texts as text, in fonts of its own
            QCOMPARE(firstSheet(QDir(out.path()), 12).size(),
                     QPageSize(QPageSize::A4).sizePoints());
            const QString text = runProgram("pdftotext", {out.filePath(pdf), "-"}).second;
            for (int month = 1; month <= 12; ++month)
                QVERIFY2(text.contains(monthTitle(month)), qPrintable(monthTitle(month)));
            QVERIFY(text.contains("Festa dei lavoratori") && text.contains("San Tito"));
            const QStringList fonts =
                runProgram("pdffonts", {out.filePath(pdf)}).second.split('\n');
            QVERIFY(fonts.size() > 3);
            for (const QString &font : fonts.mid(2, fonts.size() - 3))
                QVERIFY2(font.simplified().split(' ').end()[-5] == "yes", qPrintable(font));
        }
        if (said.startsWith("un solo"))
            QTRY_VERIFY_WITH_TIMEOUT(!firstSheet(QDir(spool), 12).isNull(), 120000);
        if (button != "desktopButton")
            return;
        QCOMPARE(
            runProgram(VELARIA_PAGINE, {"2027", "--immagini", out.path(), "--cartella", m_data})
                .first,
            3);
        for (int month = 1; month <= 12; ++month) {
            const QString name = pageFileName(month) + ".bmp";
            QCOMPARE(desktop.exists(name), !cancel || status.contains(name));
            QVERIFY(!desktop.exists(name) ||
                    readBytes(desktop.filePath(name)) == readBytes(out.filePath(name)));
        }
    }
};

QTEST_MAIN(TestPageWindow)
#include "tst_pagewindow.moc"
