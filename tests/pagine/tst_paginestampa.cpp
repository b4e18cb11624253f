#include "fonts.h"
#include "paginetestsupport.h"

#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>

using namespace velaria::pagetest;

// velaria-pagine --stampa through the real spooler: the test services make a cups-pdf queue
// the default printer, and each job leaves one PDF behind.
class TestPagineStampa : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void pagesAreOneJob_data();
    void pagesAreOneJob();
    void noDefaultPrinter();

private:
    QTemporaryDir m_data;
    Spooler m_spooler;
};

void TestPagineStampa::initTestCase()
{
    velaria::InstallFontSubstitutions();
    QVERIFY(m_data.isValid());
    QVERIFY(writeDataFolder(m_data.path()));
}

void TestPagineStampa::pagesAreOneJob_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("pages");
    QTest::addColumn<QSizeF>("paperPoints");

    QTest::newRow("the whole year on A4") << QStringList() << 12 << QSizeF(595, 842);
    QTest::newRow("March on A3") << QStringList{QStringLiteral("--mese"), QStringLiteral("3"),
                                                QStringLiteral("--a3")}
                                 << 1 << QSizeF(842, 1191);
}

void TestPagineStampa::pagesAreOneJob()
{
    QFETCH(QStringList, options);
    QFETCH(int, pages);
    QFETCH(QSizeF, paperPoints);
    if (!m_spooler.available())
        QSKIP(NoSpooler);
    QVERIFY2(m_spooler.defaultPrinterProblem().isEmpty(),
             qPrintable(m_spooler.defaultPrinterProblem()));

    QTemporaryDir work;
    const QSet<QString> before = m_spooler.pdfFiles();
    const PagineRun run = runPagine(QStringList{QStringLiteral("2027"), QStringLiteral("--stampa"),
                                                QStringLiteral("--cartella"), m_data.path()} +
                                        options,
                                    work.path());
    QVERIFY2(run.status == 0, qPrintable(run.describe()));
    QVERIFY2(run.messages().isEmpty(), qPrintable(run.err));
    // Nothing is written where the program runs.
    QVERIFY(QDir(work.path()).isEmpty());

    // One job: one new PDF from the queue, holding every page.
    const std::optional<QString> pdf = m_spooler.newPdf(before);
    QVERIFY2(pdf, qPrintable(QStringLiteral("one new PDF expected in ") + m_spooler.pdfFolder));
    const std::optional<PdfInfo> info = readPdfInfo(*pdf);
    QVERIFY(info);
    QCOMPARE(info->pages, pages);
    QVERIFY2(isPaper(*info, paperPoints), qPrintable(info->text));
}

void TestPagineStampa::noDefaultPrinter()
{
    // No spooler answers at this address, so there is no default printer.
    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.remove(QStringLiteral("PRINTER"));
    environment.remove(QStringLiteral("LPDEST"));
    environment.insert(QStringLiteral("CUPS_SERVER"), home.filePath(QStringLiteral("cups.sock")));

    const PagineRun run = runPagine({QStringLiteral("2027"), QStringLiteral("--stampa"),
                                     QStringLiteral("--cartella"), m_data.path()},
                                    home.path(), environment);
    QCOMPARE(run.status, 1);
    QVERIFY2(run.err.contains(QStringLiteral("Nessuna stampante predefinita")),
             qPrintable(run.err));
}

QTEST_MAIN(TestPagineStampa)
#include "tst_paginestampa.moc"
