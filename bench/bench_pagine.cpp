// velaria-pagine making a whole year as bitmaps (--immagini), twelve pages each with its own
// photo, against pcal and Ghostscript making the same year, without pictures, into a PDF of page
// images at 292 dpi (the canvas lands on an A4 sheet at about that resolution). Two sets of
// photos: twelve upright baseline JPEGs of 4000 x 3000, and photos as phones and cameras make
// them (4032 x 3024, a third of them portraits stored with an Exif orientation, two progressive,
// one PNG of 3000 x 2000). The year as one PDF is measured too.
// Wall time, CPU time (of every thread) and peak resident memory of each, medians of several
// runs made in turn, and the median ratio of a run of each. Prints figures only; nothing passes or
// fails here.

#include "benchphoto.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char **environ;

namespace {

struct Run
{
    double wallMs = -1; // negative: the run failed
    double cpuMs = 0;   // user and system time of the process and the processes it waited for
    double peakMiB = 0; // the largest resident set among them
};

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Runs the program with its output to /dev/null, under /usr/bin/time, which reports the CPU
// time and the peak resident memory of the program and of the processes it waited for. (The
// figures that wait4() gives this program for a child would start from this program's own
// memory: a spawned child begins as a copy of it.)
Run runProcess(const QString &program, const QStringList &arguments, const QString &report)
{
    std::vector<QByteArray> storage{QByteArrayLiteral("/usr/bin/time"), QByteArrayLiteral("-f"),
                                    QByteArrayLiteral("%U %S %M"),      QByteArrayLiteral("-o"),
                                    QFile::encodeName(report),          QFile::encodeName(program)};
    for (const QString &argument : arguments)
        storage.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &argument : storage)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    QElapsedTimer timer;
    timer.start();
    pid_t child = 0;
    const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return {};
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return {};
    const double wallMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    QFile file(report);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QList<QByteArray> fields = file.readAll().trimmed().split('\n').last().split(' ');
    if (fields.size() != 3)
        return {};
    return {wallMs, (fields[0].toDouble() + fields[1].toDouble()) * 1000.0,
            fields[2].toDouble() / 1024};
}

struct Figures
{
    int runs = 0;
    double wallMs = 0;
    double bestWallMs = 0; // the least disturbed run, on a machine that does other work too
    double cpuMs = 0;
    double peakMiB = 0;
};

Figures summary(const std::vector<Run> &runs)
{
    std::vector<double> wall, cpu, peak;
    for (const Run &run : runs) {
        wall.push_back(run.wallMs);
        cpu.push_back(run.cpuMs);
        peak.push_back(run.peakMiB);
    }
    if (wall.empty())
        return {};
    return {static_cast<int>(wall.size()), median(wall),
            *std::min_element(wall.begin(), wall.end()), median(cpu), median(peak)};
}

// The data folder: twelve photos listed in Immagini.txt, recurrences and a banner. The mix:
// portraits in March, June, September and December, progressive JPEGs in February and July, a
// PNG in May.
bool writeDataFolder(const QDir &folder, bool mix)
{
    QStringList list;
    for (int month = 1; month <= 12; ++month) {
        const auto seed = static_cast<quint32>(month);
        PhotoKind kind = PhotoKind::Baseline;
        if (mix && month % 3 == 0)
            kind = PhotoKind::Portrait;
        else if (mix && (month == 2 || month == 7))
            kind = PhotoKind::Progressive;
        else if (mix && month == 5)
            kind = PhotoKind::Png;
        const QString path = folder.filePath(
            QStringLiteral("mese%1.%2")
                .arg(month)
                .arg(kind == PhotoKind::Png ? QStringLiteral("png") : QStringLiteral("jpg")));
        const bool saved = mix ? SaveBenchPhoto(path, kind, seed)
                               : MakeBenchPhoto(QColor::fromHsv((month * 30) % 360, 150, 200), seed)
                                     .save(path, "JPEG", 90);
        if (!saved)
            return false;
        list << path;
    }
    const auto write = [&folder](const QString &name, const QString &text) {
        QFile file(folder.filePath(name));
        return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) == text.toUtf8().size();
    };
    return write(QStringLiteral("Immagini.txt"), list.join(QStringLiteral("\r\n")) + "\r\n") &&
           write(QStringLiteral("Ricorrenze.txt"),
                 QStringLiteral("03/08 - Festa della donna <a>\r\n10/12 - Compleanno <b>\r\n")) &&
           write(QStringLiteral("pubblicita.txt"), QStringLiteral("Programma Velaria\r\n"));
}

void printFigures(const char *what, const Figures &figures)
{
    if (figures.runs == 0) {
        std::printf("  %-40s failed\n", what);
        return;
    }
    std::printf("  %-40s %7.0f ms wall (best %.0f), %7.0f ms CPU, peak %5.1f MiB  median of %d\n",
                what, figures.wallMs, figures.bestWallMs, figures.cpuMs, figures.peakMiB,
                figures.runs);
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const QString program =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("velaria-pagine"));
    if (!QFileInfo(program).isExecutable()) {
        std::printf("velaria-pagine is not built next to this program; nothing to measure\n");
        return 0;
    }
    QTemporaryDir work, mixWork;
    const QDir folder(work.path()), mixFolder(mixWork.path());
    if (!work.isValid() || !mixWork.isValid() || !writeDataFolder(folder, false) ||
        !writeDataFolder(mixFolder, true)) {
        std::printf("cannot write the data folders\n");
        return 0;
    }
    const QString bitmaps = folder.filePath(QStringLiteral("pagine"));
    const QString report = folder.filePath(QStringLiteral("time.txt"));
    if (!QFileInfo(QStringLiteral("/usr/bin/time")).isExecutable()) {
        std::printf("/usr/bin/time is missing (scripts/install-deps.sh installs it); nothing to "
                    "measure\n");
        return 0;
    }

    std::printf(
        "velaria-pagine 2027 --immagini DIR: 12 bitmaps of 2188x2940, each with its photo\n");
    const auto year = [&](const QDir &data) {
        QDir(bitmaps).removeRecursively();
        return runProcess(program,
                          {QStringLiteral("2027"), QStringLiteral("--immagini"), bitmaps,
                           QStringLiteral("--cartella"), data.path()},
                          report);
    };
    const auto pdfYear = [&](const QDir &data) {
        return runProcess(program,
                          {QStringLiteral("2027"), QStringLiteral("--pdf"),
                           folder.filePath(QStringLiteral("anno.pdf")),
                           QStringLiteral("--cartella"), data.path()},
                          report);
    };
    const QString shell = QStandardPaths::findExecutable(QStringLiteral("sh"));
    const QString reference = folder.filePath(QStringLiteral("pcal.pdf"));
    const bool pcalThere = !QStandardPaths::findExecutable(QStringLiteral("pcal")).isEmpty() &&
                           !QStandardPaths::findExecutable(QStringLiteral("gs")).isEmpty() &&
                           !shell.isEmpty();
    const auto pcal = [&] {
        if (!pcalThere)
            return Run{};
        return runProcess(shell,
                          {QStringLiteral("-c"),
                           QStringLiteral("pcal -a it -P a4 -f /dev/null 1 2027 12 | gs -q -dSAFER "
                                          "-dBATCH -dNOPAUSE -sDEVICE=pdfimage24 -r292 "
                                          "-sOutputFile=%1 -")
                               .arg(reference)},
                          report);
    };

    // The programs run in turn, and each ratio is taken between runs made one after the other:
    // this machine's speed drifts by a fifth within a minute, more than the programs differ in
    // a round of runs.
    struct Series
    {
        const char *name;
        QDir data;
        std::vector<Run> runs;
        std::vector<double> wallRatios, cpuRatios;
    };
    Series sets[] = {{"velaria-pagine, twelve upright JPEGs:", folder, {}, {}, {}},
                     {"velaria-pagine, phone and camera mix:", mixFolder, {}, {}, {}}};
    std::vector<Run> theirs, pdfs;
    for (int i = 0; i < 7; ++i) {
        const Run other = pcal();
        if (other.wallMs >= 0)
            theirs.push_back(other);
        for (Series &set : sets) {
            const Run mine = year(set.data);
            if (mine.wallMs < 0)
                continue;
            set.runs.push_back(mine);
            if (other.wallMs > 0) {
                set.wallRatios.push_back(mine.wallMs / other.wallMs);
                set.cpuRatios.push_back(mine.cpuMs / other.cpuMs);
            }
        }
        if (i < 3) {
            if (const Run pdf = pdfYear(mixFolder); pdf.wallMs >= 0)
                pdfs.push_back(pdf);
        }
    }
    if (pcalThere)
        printFigures("pcal -a it | gs pdfimage24 -r292, no photos:", summary(theirs));
    else
        std::printf("  pcal + gs: not installed (scripts/install-deps.sh installs them)\n");
    const char *aims[] = {"0.20", "0.30"};
    for (std::size_t k = 0; k < std::size(sets); ++k) {
        const Series &set = sets[k];
        const Figures figures = summary(set.runs);
        printFigures(set.name, figures);
        if (figures.runs == 0 || set.wallRatios.empty())
            continue;
        std::printf("    time / pcal + gs:  %5.2f wall, %5.2f CPU   (aim: at most %s; median of "
                    "%zu pairs of runs)\n",
                    median(set.wallRatios), median(set.cpuRatios), aims[k], set.wallRatios.size());
        std::printf("    peak memory:       %5.1f MiB   (aim: at most 120 MiB)\n", figures.peakMiB);
    }
    const Figures pdfFigures = summary(pdfs);
    printFigures("the mix as one PDF (--pdf):", pdfFigures);
    std::printf("    peak memory:       %5.1f MiB   (aim: at most 150 MiB)\n", pdfFigures.peakMiB);
    if (const Figures bitmapFigures = summary(sets[1].runs); bitmapFigures.runs > 0) {
        std::printf("    time / bitmaps:    %5.2f wall   (aim: at most 1)\n",
                    pdfFigures.wallMs / bitmapFigures.wallMs);
    }
    std::printf("    PDF size:          %5.1f MB    (aim: at most 40 MB)\n",
                static_cast<double>(QFileInfo(folder.filePath(QStringLiteral("anno.pdf"))).size()) /
                    1e6);
    return 0;
}
