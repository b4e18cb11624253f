// velaria-pagine making a whole year as bitmaps (--immagini), twelve pages each with its own
// 4000 x 3000 photo, against pcal and Ghostscript making the same year, without pictures, into
// a PDF of page images at 292 dpi (the canvas lands on an A4 sheet at about that resolution).
// Wall time, CPU time (of every thread) and peak resident memory of each, medians of several
// runs made in turn, and the median ratio of a run of each. Prints figures only; nothing passes or
// fails here.

#include "benchphoto.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
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

// The data folder: twelve photos listed in Immagini.txt (or none), recurrences and a banner.
bool writeDataFolder(const QDir &folder, bool withPictures)
{
    QStringList list;
    for (int month = 1; month <= 12; ++month) {
        const QString path = folder.filePath(QStringLiteral("mese%1.jpg").arg(month));
        const QImage photo = MakeBenchPhoto(QColor::fromHsv((month * 30) % 360, 150, 200),
                                            static_cast<quint32>(month));
        if (withPictures && !photo.save(path, "JPEG", 90))
            return false;
        list << (withPictures ? path : QString());
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
    QTemporaryDir work;
    const QDir folder(work.path());
    if (!work.isValid() || !writeDataFolder(folder, true)) {
        std::printf("cannot write the data folder\n");
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
        "velaria-pagine 2027 --immagini DIR: 12 bitmaps of 2188x2940, each with a 4000x3000 "
        "JPEG photo\n");
    const auto year = [&] {
        QDir(bitmaps).removeRecursively();
        return runProcess(program,
                          {QStringLiteral("2027"), QStringLiteral("--immagini"), bitmaps,
                           QStringLiteral("--cartella"), folder.path()},
                          report);
    };
    const QString shell = QStandardPaths::findExecutable(QStringLiteral("sh"));
    if (QStandardPaths::findExecutable(QStringLiteral("pcal")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("gs")).isEmpty() || shell.isEmpty()) {
        std::vector<Run> runs;
        for (int i = 0; i < 7; ++i) {
            if (const Run run = year(); run.wallMs >= 0)
                runs.push_back(run);
        }
        printFigures("velaria-pagine, twelve photos:", summary(runs));
        std::printf("  pcal + gs: not installed (scripts/install-deps.sh installs them)\n");
        return 0;
    }
    const QString reference = folder.filePath(QStringLiteral("pcal.pdf"));
    const auto pcal = [&] {
        return runProcess(shell,
                          {QStringLiteral("-c"),
                           QStringLiteral("pcal -a it -P a4 -f /dev/null 1 2027 12 | gs -q -dSAFER "
                                          "-dBATCH -dNOPAUSE -sDEVICE=pdfimage24 -r292 "
                                          "-sOutputFile=%1 -")
                               .arg(reference)},
                          report);
    };

    // The two run in turn, and each ratio is taken between a run of each made one after the
    // other: this machine's speed drifts by a fifth within a minute, more than the two differ
    // in a pair of runs.
    std::vector<Run> ours, theirs;
    std::vector<double> wallRatios, cpuRatios;
    for (int i = 0; i < 7; ++i) {
        const Run mine = year();
        const Run other = pcal();
        if (mine.wallMs < 0 || other.wallMs < 0)
            continue;
        ours.push_back(mine);
        theirs.push_back(other);
        wallRatios.push_back(mine.wallMs / other.wallMs);
        cpuRatios.push_back(mine.cpuMs / other.cpuMs);
    }
    const Figures velaria = summary(ours);
    printFigures("velaria-pagine, twelve photos:", velaria);
    printFigures("pcal -a it | gs pdfimage24 -r292, no photos:", summary(theirs));
    if (velaria.runs == 0)
        return 0;
    std::printf("  time, velaria-pagine / pcal + gs:  %5.2f wall, %5.2f CPU   (aim: at most 0.20; "
                "median of the ratios of %d pairs of runs)\n",
                median(wallRatios), median(cpuRatios), velaria.runs);
    std::printf(
        "  peak memory of velaria-pagine:     %5.1f MiB, %.1f times pcal + gs   (aim: at most "
        "120 MiB)\n",
        velaria.peakMiB, velaria.peakMiB / summary(theirs).peakMiB);
    return 0;
}
