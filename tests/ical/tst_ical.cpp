#include "icalendar.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>

using namespace velaria;
using namespace Qt::StringLiterals;

namespace {

// By date, as an export writes them; libical folds the long text.
const QStringList Lines = {
    u"02/29 - Anno bisesto <b>"_s, u"03/15 - Sagra del paese <v>"_s, u"10/04 - Onomastico <g>"_s,
    u"12/24 - Cenone, poi \"tombola\"; à la carte, però è già tardi per tutti <a>"_s,
    u"12/31 - San Silvestro"_s};
const QDateTime Stamp(QDate(2026, 5, 1), QTime(12, 0), Qt::UTC);

// `text` with '|' for each CR LF.
const auto crlf = [](QByteArray text) { return text.replace('|', "\r\n"); };

} // namespace

// Recurrences and holidays to iCalendar files and back, and what a real client makes of them.
class TestIcal : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip()
    {
        const QStringList lines = Lines + QStringList{u"02/30 - Mai"_s};
        const IcsExport out = exportRecurrences(lines, 2026, std::pair{2026, 2027}, Stamp);
        QCOMPARE(std::pair(out.exported, out.skipped), std::pair(5, 1)); // no 30 February
        QCOMPARE(exportRecurrences(lines, 2026, std::pair{2026, 2027}, Stamp).ics, out.ics);
        const IcsImport back = importRecurrences(out.ics, {});
        QCOMPARE(back.added, Lines);
        // Thirteen holidays a year; San Francesco in 2026 is beside Onomastico, not it.
        QCOMPARE(back.alreadyPresent, 26);
        QCOMPARE(importRecurrences(out.ics, Lines).alreadyPresent, 31);

        const QByteArray year = yearCalendar(2027, Lines, Stamp);
        QVERIFY(!year.contains("RRULE") && year.contains("DTSTART;VALUE=DATE:20270328"));
        QCOMPARE(importRecurrences(year, {}).added, Lines.mid(1)); // no 29 February in 2027
    }

    void calcurseShowsTheDays_data()
    {
        QTest::addColumn<QString>("day");
        QTest::addColumn<QString>("shown");
        QTest::newRow("Easter 2027") << u"03/28/2027"_s << u"03/28/27:\n * Pasqua\n"_s;
        QTest::newRow("recurrence 2027") << u"03/15/2027"_s << u"03/15/27:\n * Sagra del paese\n"_s;
        QTest::newRow("leap day 2028") << u"02/29/2028"_s << u"02/29/28:\n * Anno bisesto\n"_s;
        QTest::newRow("no leap day 2029") << u"03/01/2029"_s << QString();
    }

    void calcurseShowsTheDays()
    {
        QFETCH(QString, day);
        QFETCH(QString, shown);
        const QString calcurse = QStandardPaths::findExecutable(u"calcurse"_s);
        if (calcurse.isEmpty())
            QSKIP("calcurse is not installed");
        QTemporaryDir dir; // calcurse's data and settings: nothing in the home folder
        QTemporaryFile file;
        QVERIFY(file.open() && file.write(exportRecurrences(Lines, 2026, {{2027, 2028}}).ics) > 0);
        file.close();
        const auto run = [&](const QStringList &arguments) {
            QProcess process;
            process.start(calcurse,
                          QStringList{u"-D"_s, dir.path(), u"-C"_s, dir.path()} + arguments);
            return process.waitForFinished() ? QString::fromUtf8(process.readAllStandardOutput())
                                             : u"no answer"_s;
        };
        QVERIFY(run({u"-i"_s, file.fileName()}).contains(u" 0 skipped"_s));
        QCOMPARE(run({u"-Q"_s, u"--from"_s, day, u"--days"_s, u"1"_s}), shown);
    }

    void fileOfAnotherProgram()
    {
        const QByteArray ics = crlf(
            "BEGIN:VCALENDAR|VERSION:2.0|PRODID:-//Example//Agenda 2.1//IT|BEGIN:VTIMEZONE|"
            "TZID:Europe/Rome|BEGIN:STANDARD|DTSTART:19701025T030000|TZOFFSETFROM:+0200|"
            "TZOFFSETTO:+0100|RRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU|END:STANDARD|END:VTIMEZONE|"
            "BEGIN:VEVENT|UID:a1|DTSTART;VALUE=DATE:20240302|DTEND;VALUE=DATE:20240303|"
            "RRULE:FREQ=YEARLY;BYMONTH=3;BYMONTHDAY=2|SUMMARY:Festa\\, grande in piazza|"
            "  del paese|COLOR:Orange|END:VEVENT|BEGIN:VEVENT|UID:a2|DTSTART;VALUE=DATE:20250704|"
            "SUMMARY:Gita\\nal lago|END:VEVENT|BEGIN:VEVENT|UID:a3|DTSTART;VALUE=DATE:20231225|"
            "SUMMARY:Pranzo|END:VEVENT|BEGIN:VEVENT|UID:a4|DTSTART;VALUE=DATE:20240101|"
            "RRULE:FREQ=WEEKLY|SUMMARY:Palestra|END:VEVENT|BEGIN:VEVENT|UID:a5|"
            "DTSTART;VALUE=DATE:20240105|RRULE:FREQ=YEARLY;INTERVAL=2|SUMMARY:Raduno|END:VEVENT|"
            "BEGIN:VEVENT|UID:a6|DTSTART;TZID=Europe/Rome:20240305T180000|SUMMARY:Cena|END:VEVENT|"
            "BEGIN:VTODO|UID:a7|SUMMARY:Spesa|END:VTODO|END:VCALENDAR|");
        const IcsImport result = importRecurrences(ics, {u"12/25 - Pranzo"_s});
        QCOMPARE(result.added, QStringList({u"03/02 - Festa, grande in piazza del paese <a>"_s,
                                            u"07/04 - Gita al lago"_s}));
        QCOMPARE(std::pair(result.alreadyPresent, result.skipped), std::pair(1, 4));
        QCOMPARE(result.reasons.join(u'|'), u"2 eventi che si ripetono in altro modo (settimanale, "
                                            u"mensile, ogni due anni)|1 evento con orario|"
                                            u"1 attività (VTODO)"_s);
    }

    void badFilesChangeNothing_data()
    {
        QTest::addColumn<QByteArray>("ics");
        QTest::addColumn<QString>("error");
        const QByteArray ics = crlf("BEGIN:VCALENDAR|BEGIN:VEVENT|DTSTART;VALUE=DATE:20240302|"
                                    "SUMMARY:Festa|END:VEVENT|END:VCALENDAR|");
        QTest::newRow("not iCalendar") << QByteArray("03/02 - Festa\r\n") << u"non è un"_s;
        QTest::newRow("cut short") << ics.left(50) << u"incompleto"_s;
        QTest::newRow("wrong encoding") << QByteArray(ics).replace("Fe", "F\xe8") << u"codifica"_s;
        QTest::newRow("huge") << QByteArray(ics).replace("Festa", QByteArray(6 << 20, 'a'))
                              << u"troppo grande"_s;
    }

    void badFilesChangeNothing()
    {
        QFETCH(QByteArray, ics);
        QFETCH(QString, error);
        const IcsImport result = importRecurrences(ics, {});
        QVERIFY2(result.error.contains(error), qPrintable(result.error));
        QVERIFY(result.added.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestIcal)
#include "tst_ical.moc"
