// velaria-pagine: the pages of a whole year, or of one month, as the page window makes them,
// in one PDF, as bitmaps or on the default printer. No display is needed.

#include "datafiles.h"
#include "fonts.h"
#include "icalendar.h"
#include "pagineoptions.h"
#include "parsertranslator.h"
#include "yearexport.h"

#include <QGuiApplication>

#include <QDir>
#include <QSaveFile>

#include <cstdio>
#include <cstring>

#include <unistd.h>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

void printTo(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

QtMessageHandler qtMessages = nullptr;

// Qt's own notes about its set-up (the runtime folder, image decoders) say nothing to the user
// of a command-line program; the program reports what matters in its own words.
void withoutQtNotes(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    const bool fromQt = (context.category && std::strncmp(context.category, "qt.", 3) == 0) ||
                        text.startsWith(QLatin1String("QStandardPaths: "));
    if (fromQt && (type == QtDebugMsg || type == QtInfoMsg || type == QtWarningMsg))
        return;
    if (qtMessages)
        qtMessages(type, context, text);
}

// The year's holidays and recurrences as an iCalendar file.
int writeCalendar(const velaria::PagineOptions &options)
{
    const velaria::RecurrenceLines recurrences = velaria::readRecurrenceLines(options.dataFolder);
    if (!recurrences.error.isEmpty())
        printTo(stderr, QStringLiteral("velaria-pagine: %1\n").arg(recurrences.error));
    QSaveFile file(options.icsPath);
    const QByteArray ics = velaria::yearCalendar(options.year, recurrences.lines);
    if (!file.open(QIODevice::WriteOnly) || file.write(ics) != ics.size() || !file.commit()) {
        printTo(stderr, QStringLiteral("velaria-pagine: Impossibile scrivere il file \"%1\": %2\n")
                            .arg(QDir::toNativeSeparators(options.icsPath), file.errorString()));
        return velaria::OutputFailed;
    }
    return velaria::Done;
}

} // namespace

int main(int argc, char *argv[])
{
#ifdef __GLIBC__
    // A block of 4 MB or more (a photo's file, the decoder's buffers) goes back to the system
    // when it is freed, as does the top of a heap past 4 MB. By default the allocator raises
    // both limits to the largest block freed so far, up to 32 MB, and a year of photos then
    // kept some 30 MB it no longer used.
    mallopt(M_MMAP_THRESHOLD, 4 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 4 * 1024 * 1024);
#endif
    // The pages are painted off screen: the program needs no display, and does not use one
    // when there is one.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qtMessages = qInstallMessageHandler(withoutQtNotes);
    QGuiApplication app(argc, argv);
    // The calendar's own names: the user's data folder is the calendar's.
    QGuiApplication::setApplicationName(QStringLiteral("Velaria"));
    QGuiApplication::setOrganizationName(QStringLiteral("Velaria"));
    QGuiApplication::setApplicationVersion(velaria::programVersion());
    velaria::ParserTranslator translator;
    QCoreApplication::installTranslator(&translator);
    velaria::installFontSubstitutions();

    const velaria::CommandLine line =
        velaria::parseCommandLine(QCoreApplication::arguments(), velaria::defaultDataFolder());
    switch (line.action) {
    case velaria::CommandLine::Action::Help:
    case velaria::CommandLine::Action::Version:
        printTo(stdout, line.text);
        return velaria::Done;
    case velaria::CommandLine::Action::Fail:
        printTo(stderr, QStringLiteral("velaria-pagine: %1\nPer l'aiuto: velaria-pagine --help\n")
                            .arg(line.text));
        return velaria::BadArguments;
    case velaria::CommandLine::Action::Run:
        break;
    }

    if (!line.options.icsPath.isEmpty())
        return writeCalendar(line.options);

    velaria::YearExport year(line.options);
    year.setMessageHandler([](const QString &text) {
        printTo(stderr, QStringLiteral("velaria-pagine: %1\n").arg(text));
    });
    if (::isatty(STDERR_FILENO))
        year.setProgressHandler([](const QString &text) { printTo(stderr, text + u'\n'); });
    return year.run();
}
