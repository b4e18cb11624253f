#include "icalendar.h"
#include "vcard.h"

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
    u"02/29 - Anno bisesto <b>"_s, u"03/15 - <v>Sagra del paese"_s, u"10/04 - Onomastico <g>"_s,
    u"12/24 - Cenone, poi \"tombola\"; à la carte, però è già tardi per tutti <a>"_s,
    u"12/31 - San Silvestro"_s};
const QDateTime Stamp(QDate(2026, 5, 1), QTime(12, 0), Qt::UTC);

// `text` with '|' for each CR LF.
const auto crlf = [](QByteArray text) { return text.replace('|', "\r\n"); };

// A calendar or an address book, by what the file says it is.
RecurrenceImport readAs(const QByteArray &file, const QStringList &lines)
{
    return file.contains("VCALENDAR") ? importRecurrences(file, lines, QDate(2026, 12, 7))
                                      : importBirthdays(file, lines);
}

// The UIDs of a calendar, in order.
QStringList uids(const QByteArray &ics)
{
    QStringList found;
    for (const QByteArray &line : ics.split('\n')) {
        if (line.startsWith("UID:"))
            found.append(QString::fromLatin1(line.trimmed()));
    }
    return found;
}

} // namespace

// Recurrences and holidays to iCalendar files and back, and what a real client makes of them.
class TestIcal : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip()
    {
        // Tags where people write them; recurrences that name a holiday.
        const QStringList lines =
            Lines + QStringList{u"02/30 - Mai"_s, u"01/01 - <v>Capodanno"_s, u"12/25 - natale"_s};
        const IcsExport out = exportRecurrences(lines, 2026, std::pair{2025, 2027}, Stamp);
        QCOMPARE(std::pair(out.exported, out.skipped), std::pair(7, 1)); // no 30 February
        QCOMPARE(exportRecurrences(lines, 2026, std::pair{2025, 2027}, Stamp).ics, out.ics);
        // The yearly recurrence brings the holiday from 2026 on, the 2025 one is its own.
        QCOMPARE(out.ics.count("SUMMARY:Capodanno"), 2);
        QCOMPARE(out.ics.count("SUMMARY:natale") + out.ics.count("SUMMARY:Natale"), 2);
        QCOMPARE(uids(out.ics).removeDuplicates(), 0);
        QCOMPARE(uids(exportRecurrences(lines, 2031).ics),
                 uids(exportRecurrences(lines, 2026).ics));
        const RecurrenceImport back = importRecurrences(out.ics, {});
        QCOMPARE(back.added.size(), Lines.size());
        // Holidays: 12 in 2025, 13 from 2026 (San Francesco is beside Onomastico, not it); 4 of
        // them come as the 2 recurrences that name them, which are holidays themselves.
        QCOMPARE(back.alreadyPresent, 12 + 13 + 13 - 4 + 2);
        const RecurrenceImport again = importRecurrences(out.ics, lines);
        QCOMPARE(std::pair(again.added, again.alreadyPresent), std::pair(QStringList(), 36 + 5));

        const QByteArray year = yearCalendar(2027, lines, Stamp);
        QVERIFY(!year.contains("RRULE") && year.contains("DTSTART;VALUE=DATE:20270328"));
        QCOMPARE(year.count("SUMMARY:"), 13 + 4); // no 29 February in 2027, no holiday twice
        QCOMPARE(uids(year).removeDuplicates(), 0);
        QCOMPARE(importRecurrences(year, lines).added, QStringList());
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

    void filesOfOtherPrograms_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QString>("said"); // the message from its count of lines present
        const auto event = [](const char *lines) {
            return QByteArray("BEGIN:VEVENT|UID:") + QByteArray::number(qHash(lines)) + '|' +
                   lines + "|END:VEVENT|";
        };
        QTest::newRow("Google Calendar")
            << crlf("BEGIN:VCALENDAR|PRODID:-//Google Inc//Google Calendar 70.9054//EN|" +
                    event("DTSTART;VALUE=DATE:19900504|DTEND;VALUE=DATE:19900505|RRULE:FREQ="
                          "YEARLY|DESCRIPTION:|LOCATION:|SUMMARY:Luca|TRANSP:TRANSPARENT") +
                    event("DTSTART:20261210T180000Z|DESCRIPTION:|SUMMARY:Riunione") +
                    event("DTSTART;VALUE=DATE:20261224|DESCRIPTION:|SUMMARY:") + "END:VCALENDAR")
            << QStringList{u"05/04 - Luca"_s}
            << u"Già presenti: 0.\nTralasciate: 2.\n- 1 evento con orario\n- 1 evento senza titolo"_s;
        QTest::newRow("Thunderbird, series that end")
            << crlf("BEGIN:VCALENDAR|PRODID:-//Mozilla.org/NONSGML Mozilla Calendar V1.1//EN|" +
                    event("SUMMARY:Abbonamento|RRULE:FREQ=YEARLY;COUNT=7|DTSTART;VALUE=DATE:"
                          "20200115|BEGIN:VALARM|ACTION:DISPLAY|TRIGGER:-P1D|END:VALARM") +
                    event("SUMMARY:Nozze|RRULE:FREQ=YEARLY;UNTIL=20261207|DTSTART;VALUE=DATE:"
                          "20101207|X-MOZ-GENERATION:2") +
                    event("SUMMARY:Corso|RRULE:FREQ=YEARLY;COUNT=9|DTSTART;VALUE=DATE:20190101") +
                    event("SUMMARY:Palestra|RRULE:FREQ=WEEKLY|DTSTART;VALUE=DATE:20260105") +
                    event("SUMMARY:Sagra|DTSTART;VALUE=DATE:20250315") + "END:VCALENDAR")
            << QStringList{u"12/07 - Nozze"_s, u"01/01 - Corso"_s}
            << u"Già presenti: 1.\nTralasciate: 2.\n- 1 serie già terminata (con una data di fine "
               u"passata)\n- 1 evento che si ripete in altro modo (settimanale, mensile, ogni due "
               u"anni)\nAggiunte da serie che hanno una data di fine (nell'elenco si ripetono "
               u"ogni anno, senza fine): 2."_s;
        QTest::newRow("Apple Calendar")
            << crlf("BEGIN:VCALENDAR|PRODID:-//Apple Inc.//macOS 14.2//EN|" +
                    event("DTEND;VALUE=DATE:20100913|X-APPLE-TRAVEL-ADVISORY-BEHAVIOR:AUTOMATIC|"
                          "DTSTART;VALUE=DATE:20100912|RRULE:FREQ=YEARLY;INTERVAL=1|SUMMARY:"
                          "Nozze di Marco e Giu| lia|BEGIN:VALARM|TRIGGER:-PT15H|END:VALARM") +
                    event("DTSTART;VALUE=DATE:20200301|RRULE:FREQ=YEARLY;UNTIL=20230228T230000Z|"
                          "SUMMARY:Corso") +
                    event("DTSTART;VALUE=DATE:20261225|SUMMARY:natale") +
                    "BEGIN:VTODO|UID:T|SUMMARY:Spesa|END:VTODO|END:VCALENDAR")
            << QStringList{u"09/12 - Nozze di Marco e Giulia"_s}
            << u"Già presenti: 1.\nTralasciate: 2.\n- 1 serie già terminata (con una data di fine "
               u"passata)\n- 1 attività (VTODO)"_s;
        const char *birthday = "DTSTART;TZID=W. Europe Standard Time:20110702T000000|DTEND;TZID=W."
                               " Europe Standard Time:20110703T000000|RRULE:FREQ=YEARLY;BYMONTH"
                               "DAY=2;BYMONTH=7|SUMMARY;LANGUAGE=it:Compleanno di Niccol\xF2";
        QTest::newRow("Outlook in Windows-1252, an event twice")
            << crlf(
                   "BEGIN:VCALENDAR|PRODID:-//Microsoft Corporation//Outlook 16.0 MIMEDIR//EN|" +
                   event(birthday) +
                   event("DTSTART:20260801T000000|X-MICROSOFT-CDO-ALLDAYEVENT:TRUE|SUMMARY:Ferie") +
                   event(birthday) +
                   event("DTSTART:20260801T090000|DTEND:20260801T100000|X-MICROSOFT-CDO-"
                         "ALLDAYEVENT:FALSE|SUMMARY:Dentista|DESCRIPTION:\\n") +
                   "END:VCALENDAR")
            << QStringList{u"07/02 - Compleanno di Niccolò"_s, u"08/01 - Ferie"_s}
            << u"Già presenti: 1.\nTralasciate: 1.\n- 1 evento con orario\nIl file non era in "
               u"UTF-8: è stato letto come Windows-1252."_s;
        QTest::newRow("Nextcloud birthdays")
            << crlf("BEGIN:VCALENDAR|PRODID:-//Sabre//Sabre VObject 4.4.2//EN|" +
                    event("SUMMARY:🎂 Marta (1984)|DTSTART;VALUE=DATE:19840229|DTEND;VALUE=DATE:"
                          "19840301|RRULE:FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=-1") +
                    event("SUMMARY:🎂 Anna|DTSTART;VALUE=DATE:19701213|RRULE:FREQ=YEARLY") +
                    event("SUMMARY:Rotto|DTSTART;VALUE=DATE:19701213|RRULE:FREQ=FORTNIGHTLY") +
                    "END:VCALENDAR")
            << QStringList{u"02/29 - 🎂 Marta (1984)"_s, u"12/13 - 🎂 Anna"_s}
            << u"Già presenti: 0.\nTralasciate: 1.\n- 1 evento illeggibile\nRighe aggiunte in un "
               u"giorno che ha già una ricorrenza (il calendario mostra solo l'ultima riga di "
               u"ogni giorno): 1, come 12/13 - 🎂 Anna."_s;
        QTest::newRow("Google Contacts, vCard 3.0")
            << crlf("BEGIN:VCARD|VERSION:3.0|FN:Luca Rossi|N:Rossi;Luca;;;|BDAY:1990-05-04|"
                    "item1.X-ABDATE:2015-06-20|item1.X-ABLabel:_$!<Anniversary>!$_|item2.X-ABDATE:"
                    "2001-01-02|item2.X-ABLabel:Laurea|END:VCARD|"
                    "BEGIN:VCARD|VERSION:3.0|N:;Chiara;;;|FN:Chiara|item3.BDAY:--1103|END:VCARD|"
                    "BEGIN:VCARD|VERSION:3.0|FN:Idraulico|TEL;TYPE=CELL:+39 333 12345|END:VCARD|")
            << QStringList{u"05/04 - Compleanno di Luca Rossi"_s,
                           u"06/20 - Anniversario di Luca Rossi"_s,
                           u"11/03 - Compleanno di Chiara"_s}
            << u"Già presenti: 0.\nTralasciate: 0.\nContatti senza compleanno né anniversario: 1."_s;
        QTest::newRow("Apple Contacts, vCard 3.0")
            << crlf("BEGIN:VCARD|VERSION:3.0|N:Verdi;Giulia;;;|FN:Giulia Verdi|BDAY;X-APPLE-OMIT-"
                    "YEAR=1604;VALUE=date:1604-09-12|PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQ|"
                    "  AAAQABAAD|END:VCARD|BEGIN:VCARD|VERSION:3.0|FN:Marco D'Amico\\, jr.|"
                    "BDAY;VALUE=date:1975-05-20T00:00:00Z|END:VCARD|")
            << QStringList{u"09/12 - Compleanno di Giulia Verdi"_s,
                           u"05/20 - Compleanno di Marco D'Amico, jr."_s}
            << u"Già presenti: 0.\nTralasciate: 0."_s;
        QTest::newRow("Thunderbird, vCard 4.0")
            << crlf("BEGIN:VCARD|VERSION:4.0|FN:Paola|  Neri|BDAY;VALUE=DATE:19850612|ANNIVERSARY"
                    ":20100912|END:VCARD|BEGIN:VCARD|VERSION:4.0|FN:Pino|BDAY;VALUE=text:circa 1930"
                    "|END:VCARD|BEGIN:VCARD|VERSION:4.0|FN:Lia|BDAY:--0230|END:VCARD|")
            << QStringList{u"06/12 - Compleanno di Paola Neri"_s,
                           u"09/12 - Anniversario di Paola Neri"_s}
            << u"Già presenti: 0.\nTralasciate: 2.\n- 1 data scritta come testo (VALUE=text)\n- 1 "
               u"data illeggibile"_s;
        QTest::newRow("phone, vCard 2.1 with BOM")
            << crlf("\xEF\xBB\xBF"
                    "BEGIN:VCARD|VERSION:2.1|N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=46=61=62"
                    "=62=72=69;=4E=69=63=63=6F=6C=C3=B2;;;|FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINT"
                    "ABLE:=4E=69=63=63=6F=6C=C3=B2=20=46=61=62=62=72=69=20=E2=80=93=20=|=6C=61=76"
                    "=6F=72=6F|BDAY:1975-02-17|END:VCARD|BEGIN:VCARD|VERSION:2.1|N:;;;;|TEL;CELL:"
                    "3331234567|BDAY:1999-04-01|END:VCARD|BEGIN:VCARD|VERSION:2.1|N:Rossi;Luca;;;|"
                    "BDAY:19900504|END:VCARD|")
            << QStringList{u"02/17 - Compleanno di Niccolò Fabbri – lavoro"_s,
                           u"05/04 - Compleanno di Luca Rossi"_s}
            << u"Già presenti: 0.\nTralasciate: 1.\n- 1 data di un contatto senza nome"_s;
        QTest::newRow("Outlook, vCard 2.1 in Windows-1252")
            << crlf("BEGIN:VCARD|VERSION:2.1|N:Bianchi;Marta|BDAY:19800229|END:VCARD|BEGIN:VCARD|"
                    "VERSION:2.1|N;LANGUAGE=it:Forl\xEC;Gianni|FN:Gianni Forl\xEC|BDAY:19671024|"
                    "END:VCARD|")
            << QStringList{u"02/29 - Compleanno di Marta Bianchi"_s,
                           u"10/24 - Compleanno di Gianni Forlì"_s}
            << u"Tralasciate: 0.\nIl file non era in UTF-8: è stato letto come Windows-1252."_s;
    }

    void filesOfOtherPrograms()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, added);
        QFETCH(QString, said);
        const RecurrenceImport result =
            readAs(file, {u"12/13 - <v>Compleanno di Anna"_s, u"03/15 - Sagra"_s});
        QCOMPARE(result.added, added);
        QVERIFY2(importReport(result).endsWith(said), qPrintable(importReport(result)));
    }

    void badFilesChangeNothing_data()
    {
        QTest::addColumn<bool>("contacts");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("error");
        const QByteArray ics = crlf("BEGIN:VCALENDAR|BEGIN:VEVENT|DTSTART;VALUE=DATE:20240302|"
                                    "SUMMARY:Festa|END:VEVENT|END:VCALENDAR|");
        const QByteArray vcf = crlf("BEGIN:VCARD|VERSION:3.0|FN:Ada|BDAY:--0302|END:VCARD|");
        const QByteArray png("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
        QTest::newRow("not iCalendar") << false << QByteArray("03/02 - Festa\r\n") << u"non è un"_s;
        QTest::newRow("cut short") << false << ics.left(50) << u"incompleto"_s;
        QTest::newRow("binary") << false << png + ics << u"non è un"_s;
        QTest::newRow("contacts as a calendar") << false << vcf << u"rubrica di contatti"_s;
        QTest::newRow("huge") << false << QByteArray(ics).replace("Festa", QByteArray(6 << 20, 'a'))
                              << u"troppo grande"_s;
        QTest::newRow("contacts cut short") << true << vcf.left(40) << u"incompleto"_s;
        QTest::newRow("binary contacts") << true << png << u"non è una rubrica"_s;
        QTest::newRow("calendar as contacts") << true << ics << u"è un calendario"_s;
        QTest::newRow("50 MB of contacts")
            << true << QByteArray(vcf).replace("Ada", QByteArray(50 << 20, 'a'))
            << u"troppo grande"_s;
    }

    void badFilesChangeNothing()
    {
        QFETCH(bool, contacts);
        QFETCH(QByteArray, file);
        QFETCH(QString, error);
        const RecurrenceImport result =
            contacts ? importBirthdays(file, {}) : importRecurrences(file, {});
        QVERIFY2(result.error.contains(error), qPrintable(result.error));
        QVERIFY(result.added.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestIcal)
#include "tst_ical.moc"
