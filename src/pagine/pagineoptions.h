#pragma once

#include "pagecontent.h"

#include <QList>
#include <QString>
#include <QStringList>

// The command line of velaria-pagine: which months, on what paper, to which output, from
// which data folder.
namespace velaria {

// The program's exit status.
enum ExitStatus : int {
    Done = 0,           // every page made and written
    OutputFailed = 1,   // the output was not written: file, folder or printer
    BadArguments = 2,   // year, month, options or data folder
    PictureMissing = 3, // the pages were written, but at least one lacks its picture
    Cancelled = 4,      // stopped by the user of a window; the command line never is
};

enum class PageTarget { Pdf, Bitmaps, Printer };

struct PagineOptions
{
    int year = 0;
    int month = 0; // 1 to 12, or 0 for the whole year
    bool a3 = false;
    PageTarget target = PageTarget::Pdf;
    QString pdfPath;      // the PDF file
    QString icsPath;      // instead of pages, the year's holidays and recurrences as iCalendar
    QString bitmapFolder; // where the bitmaps go
    QString dataFolder;   // Ricorrenze.txt, Immagini.txt, pubblicita.txt

    // The months to make, in order.
    QList<int> months() const;
    // "Stampa A4" or "Stampa A3".
    SheetPlacement sheet() const;
};

struct CommandLine
{
    enum class Action { Run, Help, Version, Fail };
    Action action = Action::Fail;
    PagineOptions options;
    QString text; // the help or version text, or the Italian description of the mistake
};

// Reads the arguments (the program's name first). Texts are Italian once a ParserTranslator is
// installed.
[[nodiscard]] CommandLine parseCommandLine(const QStringList &arguments,
                                           const QString &defaultDataFolder);

// "Calendario-2027.pdf", or "Calendario-2027-10.pdf" for one month.
QString defaultPdfName(int year, int month);

} // namespace velaria
