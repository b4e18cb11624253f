// velaria-pagine as a person runs it: its arguments, the PDF it writes and the job it prints
// through the spooler's cups-pdf queue.

#include "testsupport.h"

#include <QPageSize>
#include <QTemporaryDir>
#include <QTest>

using namespace velaria;
using namespace velaria::testing;

class TestPagine : public QObject
{
    Q_OBJECT
    QTemporaryDir m_home;
    const QString m_data = m_home.filePath("dati");

private slots:
    void initTestCase()
    {
        QImage wide(800, 100, QImage::Format_RGB32); // January's, wider than the page
        wide.fill(Qt::black);
        QVERIFY(QDir().mkpath(m_data) && wide.save(m_home.filePath("w.png")) &&
                writeBytes(m_data + "/Immagini.txt", m_home.filePath("w.png").toUtf8()) &&
                writeBytes(m_data + "/pubblicita.txt", "Ferramenta Rossi\r\n"));
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("said"); // all of it when empty; the PDF named on success
        QTest::newRow("year 0") << QStringList{"0"} << 2 << "Anno non valido: \"0\"";
        QTest::newRow("year 10000") << QStringList{"10000"} << 2 << "Anno non valido: \"10000\"";
        QTest::newRow("month 13") << QStringList{"2027", "--mese", "13"} << 2 << "Mese non valido";
        QTest::newRow("option") << QStringList{"2027", "--colori"} << 2 << "Opzione sconosciuta";
        QTest::newRow("year") << QStringList{"2027"} << 0 << "Calendario-2027.pdf";
        QTest::newRow("A3 month by name, year 9999")
            << QStringList{"9999", "--mese", "Gennaio", "--a3"} << 0 << "Calendario-9999-01.pdf";
    }
    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, said);
        QTemporaryDir work;
        // A folder without data files: no picture list yet is no failure, only no pictures.
        arguments << "--cartella" << m_home.path();
        const auto [exit, output] = runProgram(VELARIA_PAGINE, arguments, work.path());
        QCOMPARE(exit, status);
        QVERIFY2(status ? output.contains(said) : output.isEmpty(), qPrintable(output));
        QCOMPARE(QDir(work.path()).entryList({"*.pdf"}),
                 status ? QStringList() : QStringList{said});
        const QPageSize paper(arguments.contains("--a3") ? QPageSize::A3 : QPageSize::A4);
        const QImage sheet = firstSheet(QDir(work.path()), arguments.contains("--mese") ? 1 : 12);
        QCOMPARE(sheet.size(), status ? QSize(0, 0) : paper.sizePoints());
    }

    // January's picture spans the page: the ink spans the page's place on the A3 sheet, from
    // the margin of the PDF that velaria-pagine hands the spooler.
    void printing()
    {
        const QString spool = emptiedSpool();
        SKIP_WITHOUT_SPOOLER(spool)
        QCOMPARE(runProgram(VELARIA_PAGINE,
                            {"2027", "--mese", "1", "--stampa", "--a3", "--cartella", m_data})
                     .first,
                 0);
        QImage printed;
        QTRY_VERIFY_WITH_TIMEOUT(!(printed = firstSheet(QDir(spool), 1)).isNull(), 120000);
        QCOMPARE(printed.size(), QPageSize(QPageSize::A3).sizePoints());
        // In points from the corner of the printable area, the PDF's margin of 10 points.
        QCOMPARE(inkOff(printed, {10, 10}, QRect(15, 26, 779, 1086)), QString());
    }
};

QTEST_MAIN(TestPagine)
#include "tst_pagine.moc"
