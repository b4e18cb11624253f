// velaria-pagine making a whole year: twelve pages, each with its own 4000 x 3000 photo, into
// one A4 PDF, against pcal and Ghostscript making the same twelve months into a PDF of page
// images at 290 dpi (the canvas lands on the sheet at about 286 dpi). Wall time and the CPU
// time of the processes, medians of several runs, and a few in-process figures that show
// where the time goes. Prints figures only; nothing passes or fails here.

#include "benchphoto.h"
#include "fonts.h"
#include "pagecomposer.h"
#include "pagefiles.h"
#include "picturecache.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include <sys/resource.h>

using namespace velaria;

namespace {

struct Timing
{
    double wallMs = -1;
    double cpuMs = 0; // user and system time of the process and its children
};

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double childrenCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto ms = [](const timeval &t) {
        return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_usec) / 1000.0;
    };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

Timing runProcess(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    const double cpuBefore = childrenCpuMs();
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    if (!process.waitForFinished(300000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return {};
    return {static_cast<double>(timer.nsecsElapsed()) / 1e6, childrenCpuMs() - cpuBefore};
}

struct Figures
{
    double wallMs = -1;
    double cpuMs = 0;
    int runs = 0;
    double bestWallMs = -1; // the least disturbed run, on a machine that does other work too
};

Figures repeat(int runs, const std::function<Timing()> &once)
{
    std::vector<double> wall;
    std::vector<double> cpu;
    for (int i = 0; i < runs; ++i) {
        const Timing timing = once();
        if (timing.wallMs < 0)
            continue;
        wall.push_back(timing.wallMs);
        cpu.push_back(timing.cpuMs);
    }
    if (wall.empty())
        return {};
    return {median(wall), median(cpu), static_cast<int>(wall.size()),
            *std::min_element(wall.begin(), wall.end())};
}

QImage makePhoto(int seed)
{
    return MakeBenchPhoto(QColor::fromHsv((seed * 30) % 360, 150, 200), static_cast<quint32>(seed));
}

// The data folder: twelve photos listed in Immagini.txt, a few recurrences and a banner.
bool writeDataFolder(const QDir &folder, bool withPictures)
{
    QStringList list;
    for (int month = 1; month <= 12; ++month) {
        const QString path = folder.filePath(QStringLiteral("mese%1.jpg").arg(month));
        if (withPictures && !makePhoto(month).save(path, "JPEG", 90))
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

void printFigures(const char *what, const Figures &figures, const char *aim = "")
{
    if (figures.runs == 0) {
        std::printf("  %-44s failed\n", what);
        return;
    }
    std::printf("  %-44s %8.1f ms wall %8.1f ms CPU  median of %d (best %.1f ms) %s\n", what,
                figures.wallMs, figures.cpuMs, figures.runs, figures.bestWallMs, aim);
}

// Where one page's time goes, in this process: the picture, the canvas, the PDF page.
void phases(const QDir &folder)
{
    PictureCache cache;
    std::vector<double> decode, compose, pdf;
    QBuffer sink;
    sink.open(QIODevice::WriteOnly);
    QPdfWriter writer(&sink);
    writer.setResolution(1200);
    QPainter painter(&writer);
    QImage canvas;
    for (int month = 1; month <= 12; ++month) {
        QElapsedTimer timer;
        timer.start();
        PageContent page{2027, month, QStringLiteral("Programma Velaria"), {}, {}};
        page.picture =
            loadMonthPicture(cache, folder.filePath(QStringLiteral("mese%1.jpg").arg(month))).image;
        decode.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        timer.restart();
        composeSurface(page, CanvasScale, canvas);
        compose.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        timer.restart();
        if (month > 1)
            writer.newPage();
        paintPageInto(painter, canvas, A4Sheet.place);
        pdf.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    painter.end();
    std::printf("  one page, in process: picture %.1f ms, canvas %.1f ms, PDF page %.1f ms "
                "(medians of 12; the program overlaps them on two threads)\n",
                median(decode), median(compose), median(pdf));
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    installFontSubstitutions();

    const QString program =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("velaria-pagine"));
    if (!QFileInfo(program).isExecutable()) {
        std::printf("velaria-pagine is not built next to this program; nothing to measure\n");
        return 0;
    }
    QTemporaryDir work;
    const QDir folder(work.path());
    QDir(work.path()).mkdir(QStringLiteral("senza"));
    const QDir bare(folder.filePath(QStringLiteral("senza")));
    if (!work.isValid() || !writeDataFolder(folder, true) || !writeDataFolder(bare, false)) {
        std::printf("cannot write the data folder\n");
        return 0;
    }
    const QString pdf = folder.filePath(QStringLiteral("anno.pdf"));
    constexpr int Runs = 5;

    std::printf("velaria-pagine 2027: 12 A4 pages, canvas 2188x2940 each, into one PDF\n");
    const Figures year = repeat(Runs, [&] {
        return runProcess(program, {QStringLiteral("2027"), QStringLiteral("--cartella"),
                                    folder.path(), QStringLiteral("--pdf"), pdf});
    });
    printFigures("whole year, twelve 4000x3000 JPEG photos:", year, "(aim < 1500 ms)");
    const Figures withoutPictures = repeat(Runs, [&] {
        return runProcess(program, {QStringLiteral("2027"), QStringLiteral("--cartella"),
                                    bare.path(), QStringLiteral("--pdf"), pdf});
    });
    printFigures("whole year, no pictures:", withoutPictures);
    printFigures("one month (--mese 10), its photo:", repeat(Runs, [&] {
                     return runProcess(program, {QStringLiteral("2027"), QStringLiteral("--mese"),
                                                 QStringLiteral("10"), QStringLiteral("--cartella"),
                                                 folder.path(), QStringLiteral("--pdf"), pdf});
                 }));
    printFigures("whole year to A3 (--a3), photos:", repeat(3, [&] {
                     return runProcess(program, {QStringLiteral("2027"), QStringLiteral("--a3"),
                                                 QStringLiteral("--cartella"), folder.path(),
                                                 QStringLiteral("--pdf"), pdf});
                 }));
    phases(folder);

    if (QStandardPaths::findExecutable(QStringLiteral("pcal")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("gs")).isEmpty()) {
        std::printf("  pcal + gs: not installed (scripts/install-deps.sh installs them)\n");
        return 0;
    }
    const QString reference = folder.filePath(QStringLiteral("pcal.pdf"));
    const Figures pcal = repeat(3, [&] {
        return runProcess(QStringLiteral("sh"),
                          {QStringLiteral("-c"),
                           QStringLiteral("pcal -P a4 -f /dev/null 1 2027 12 | gs -q -dSAFER "
                                          "-dBATCH -dNOPAUSE -sDEVICE=pdfimage24 -r290 "
                                          "-sOutputFile=%1 -")
                               .arg(reference)});
    });
    printFigures("pcal + gs pdfimage24 -r290, 12 months:", pcal);
    // pcal draws no pictures: the year without pictures is the like-for-like comparison, the
    // year with twelve photos the one a user waits for.
    if (pcal.runs > 0 && withoutPictures.runs > 0) {
        std::printf("  ratio without pictures / pcal + gs (wall):    %8.3f     (aim <= 1)\n",
                    withoutPictures.wallMs / pcal.wallMs);
    }
    if (pcal.runs > 0 && year.runs > 0) {
        std::printf("  ratio with twelve photos / pcal + gs (wall):  %8.3f     (aim <= 1)\n",
                    year.wallMs / pcal.wallMs);
    }
    return 0;
}
