#include "pagineoptions.h"

#include "calendardate.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace velaria {

namespace {

const QString ExitStatusHelp = QStringLiteral(
    "Ogni pagina è quella della finestra di creazione per quel mese; l'immagine del mese k\n"
    "è quella della riga k di Immagini.txt. Sul foglio A4 la pagina è stirata in\n"
    "11000 x 16000 twip a 200 twip dal bordo sinistro dell'area stampabile, come fa\n"
    "\"Stampa A4\"; sul foglio A3 in 15560 x 22630 twip a 300 twip, come \"Stampa A3\".\n"
    "Nel PDF l'area stampabile è il foglio meno un margine di 10 punti per lato.\n"
    "\n"
    "Stato di uscita:\n"
    "  0  tutte le pagine sono state composte e scritte\n"
    "  1  l'uscita non è stata scritta (file o cartella non scrivibile, stampante\n"
    "     non disponibile)\n"
    "  2  argomenti non validi (anno, mese, opzioni, cartella dei dati)\n"
    "  3  le pagine sono state scritte, ma almeno una è senza la sua immagine (file\n"
    "     mancante, illeggibile o incompleto, oppure Immagini.txt illeggibile)\n"
    "\n"
    "Senza Immagini.txt (nessuna immagine ancora scelta) le pagine sono senza immagini.\n");

bool allDigits(const QString &text)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
    return digits.match(text).hasMatch();
}

// 1 to 12 from a number or an Italian month name in any letter case; 0 for anything else.
int monthFrom(const QString &text)
{
    const QString value = text.trimmed();
    if (allDigits(value)) {
        bool ok = false;
        const int number = value.toInt(&ok);
        return ok && number >= 1 && number <= 12 ? number : 0;
    }
    for (std::size_t i = 0; i < MonthNames.size(); ++i) {
        if (value.compare(MonthNames[i], Qt::CaseInsensitive) == 0)
            return static_cast<int>(i) + 1;
    }
    return 0;
}

CommandLine failure(const QString &text)
{
    CommandLine line;
    line.action = CommandLine::Action::Fail;
    line.text = text;
    return line;
}

QString quoted(const QString &text)
{
    return QStringLiteral("\"%1\"").arg(text);
}

} // namespace

QList<int> PagineOptions::months() const
{
    if (month >= 1 && month <= 12)
        return {month};
    return {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
}

SheetPlacement PagineOptions::sheet() const
{
    return a3 ? A3Sheet : A4Sheet;
}

QString defaultPdfName(int year, int month)
{
    if (month >= 1 && month <= 12)
        return QStringLiteral("Calendario-%1-%2.pdf").arg(year).arg(month, 2, 10, QLatin1Char('0'));
    return QStringLiteral("Calendario-%1.pdf").arg(year);
}

CommandLine parseCommandLine(const QStringList &arguments, const QString &defaultDataFolder)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Compone le pagine del calendario di un anno, o di un suo mese, dai file Ricorrenze.txt,\n"
        "Immagini.txt e pubblicita.txt della cartella dei dati e le scrive in un PDF (una\n"
        "pagina per mese, da gennaio a dicembre), in una bitmap per mese o sulla stampante\n"
        "predefinita."));
    parser.addPositionalArgument(QStringLiteral("ANNO"),
                                 QStringLiteral("L'anno del calendario, da 1 a 9999."),
                                 QStringLiteral("ANNO"));
    const QCommandLineOption monthOption(
        QStringLiteral("mese"),
        QStringLiteral("Solo il mese MESE: un numero da 1 a 12 o il nome (ottobre)."),
        QStringLiteral("MESE"));
    const QCommandLineOption a3Option(
        QStringLiteral("a3"),
        QStringLiteral("Fogli A3, la pagina posta come da \"Stampa A3\"; senza, fogli A4 come "
                       "da \"Stampa A4\"."));
    const QCommandLineOption pdfOption(
        QStringLiteral("pdf"),
        QStringLiteral("Il nome del PDF; se manca, Calendario-ANNO.pdf (con --mese "
                       "Calendario-ANNO-MM.pdf) nella cartella corrente."),
        QStringLiteral("FILE"));
    const QCommandLineOption bitmapOption(
        QStringLiteral("immagini"),
        QStringLiteral("Invece del PDF, una bitmap per mese (GENNAIO.bmp, FEBBRAIO.bmp, ...) "
                       "nella CARTELLA, come \"Salva Pagina\"; la cartella è creata se manca."),
        QStringLiteral("CARTELLA"));
    const QCommandLineOption printOption(
        QStringLiteral("stampa"),
        QStringLiteral("Invece del PDF, manda le pagine alla stampante predefinita, in un solo "
                       "lavoro di stampa."));
    const QCommandLineOption icsOption(
        QStringLiteral("ics"),
        QStringLiteral("Invece delle pagine, le festività nazionali e le ricorrenze dell'anno "
                       "come eventi in un file iCalendar, per altri programmi di calendario."),
        QStringLiteral("FILE"));
    const QCommandLineOption folderOption(QStringLiteral("cartella"),
                                          QStringLiteral("La cartella dei file dati; se manca, %1.")
                                              .arg(QDir::toNativeSeparators(defaultDataFolder)),
                                          QStringLiteral("CARTELLA"));
    parser.addOptions(
        {monthOption, a3Option, pdfOption, bitmapOption, printOption, icsOption, folderOption});
    // Qt's own help option adds --help-all for the toolkit's options, which do not apply to a
    // program that opens no window.
    const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")},
                                        QStringLiteral("Mostra questo aiuto."));
    parser.addOption(helpOption);
    const QCommandLineOption versionOption = parser.addVersionOption();

    if (!parser.parse(arguments))
        return failure(parser.errorText());

    CommandLine line;
    if (parser.isSet(helpOption)) {
        line.action = CommandLine::Action::Help;
        // The usage line names the program, not the path it was started by.
        QString help = parser.helpText();
        const QString invoked = QCoreApplication::arguments().value(0);
        if (const qsizetype at = invoked.isEmpty() ? -1 : help.indexOf(invoked); at >= 0)
            help.replace(at, invoked.size(), QFileInfo(invoked).fileName());
        line.text = help + u'\n' + ExitStatusHelp;
        return line;
    }
    if (parser.isSet(versionOption)) {
        line.action = CommandLine::Action::Version;
        line.text =
            QStringLiteral("velaria-pagine %1\n").arg(QCoreApplication::applicationVersion());
        return line;
    }

    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty())
        return failure(QStringLiteral("Manca l'anno: indicare un anno da 1 a 9999."));
    if (positional.size() > 1) {
        return failure(QStringLiteral("Troppi argomenti: %1. Indicare un solo anno.")
                           .arg(positional.join(QLatin1Char(' '))));
    }
    PagineOptions &options = line.options;
    const QString yearText = positional.first();
    bool yearOk = false;
    options.year = allDigits(yearText) ? yearText.toInt(&yearOk) : 0;
    if (!yearOk || options.year < FirstYear || options.year > LastYear) {
        return failure(QStringLiteral("Anno non valido: %1. Indicare un numero da %2 a %3.")
                           .arg(quoted(yearText))
                           .arg(FirstYear)
                           .arg(LastYear));
    }

    if (parser.isSet(monthOption)) {
        const QString monthText = parser.value(monthOption);
        options.month = monthFrom(monthText);
        if (options.month == 0) {
            return failure(QStringLiteral("Mese non valido: %1. Indicare un numero da 1 a 12 o "
                                          "il nome del mese.")
                               .arg(quoted(monthText)));
        }
    }

    const auto chosen = {parser.isSet(pdfOption), parser.isSet(bitmapOption),
                         parser.isSet(printOption), parser.isSet(icsOption)};
    if (std::count(chosen.begin(), chosen.end(), true) > 1) {
        return failure(QStringLiteral("Le opzioni --pdf, --immagini, --stampa e --ics si "
                                      "escludono a vicenda: indicarne una sola."));
    }
    options.a3 = parser.isSet(a3Option);
    if (parser.isSet(icsOption)) {
        if (options.a3 || options.month != 0) {
            return failure(QStringLiteral("L'opzione --ics scrive l'anno intero: non vale con "
                                          "--mese e --a3."));
        }
        options.icsPath = parser.value(icsOption);
        if (options.icsPath.isEmpty())
            return failure(QStringLiteral("Manca il nome del file di --ics."));
    } else if (parser.isSet(bitmapOption)) {
        if (options.a3) {
            return failure(QStringLiteral("L'opzione --a3 vale per il PDF e per la stampa, non "
                                          "per le bitmap di --immagini."));
        }
        options.target = PageTarget::Bitmaps;
        options.bitmapFolder = parser.value(bitmapOption);
        if (options.bitmapFolder.isEmpty())
            return failure(QStringLiteral("Manca il nome della cartella di --immagini."));
    } else if (parser.isSet(printOption)) {
        options.target = PageTarget::Printer;
    } else {
        options.target = PageTarget::Pdf;
        options.pdfPath = parser.isSet(pdfOption) ? parser.value(pdfOption)
                                                  : defaultPdfName(options.year, options.month);
        if (options.pdfPath.isEmpty())
            return failure(QStringLiteral("Manca il nome del file di --pdf."));
    }

    options.dataFolder = defaultDataFolder;
    if (parser.isSet(folderOption)) {
        options.dataFolder = parser.value(folderOption);
        if (!QFileInfo(options.dataFolder).isDir()) {
            return failure(QStringLiteral("La cartella dei dati %1 non esiste.")
                               .arg(quoted(QDir::toNativeSeparators(options.dataFolder))));
        }
    }

    line.action = CommandLine::Action::Run;
    return line;
}

} // namespace velaria
