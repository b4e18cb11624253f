// The page window composing a month's page with a 4000 x 3000 photo, on both surfaces (the
// print canvas and the preview), as the window does: asked for a page, it starts reading the
// picture on another thread and composes at the tick of its 100 ms timer, the picture through
// the picture cache, the page composed again over the one the window shows. Wall and CPU time
// (every thread of the process), medians of several runs. Prints figures only; nothing passes
// or fails here.

#include "benchphoto.h"
#include "fonts.h"
#include "pagecomposer.h"
#include "picturecache.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include <sys/resource.h>

using namespace velaria;

namespace {

// The page window's compose timer: a request is composed this long after it was made.
constexpr int ComposeTimerMs = 100;

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double processCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval &t) {
        return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_usec) / 1000.0;
    };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

struct Timing
{
    std::vector<double> wall;
    std::vector<double> cpu;

    void measure(const std::function<void()> &work)
    {
        const double cpuBefore = processCpuMs();
        QElapsedTimer timer;
        timer.start();
        work();
        wall.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        cpu.push_back(processCpuMs() - cpuBefore);
    }
};

void printTiming(const char *what, const Timing &timing, const char *aim)
{
    std::printf("  %-38s %7.1f ms wall, %7.1f ms CPU  median of %zu  %s\n", what,
                median(timing.wall), median(timing.cpu), timing.wall.size(), aim);
}

PageContent marchPage()
{
    PageContent page;
    page.year = 2027;
    page.month = 3;
    page.banner = QStringLiteral("Programma Velaria - calendario perpetuo");
    page.recurrences.readLine(u"03/08 - Festa della donna <a>");
    return page;
}

// One composition as the page window makes it: the picture through the cache, then the page
// composed into the window's page.
void composeOnce(PictureCache &cache, const QString &photo, PageContent page,
                 ComposedPage &composed)
{
    page.picture = loadMonthPicture(cache, photo).image;
    composePage(page, composed);
    if (composed.canvas.isNull() || composed.preview.isNull() || page.picture.isNull())
        std::printf("  composition failed\n");
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    installFontSubstitutions();

    // Photos of their own, so that each first composition meets a picture it has not seen.
    constexpr int Runs = 7;
    QTemporaryDir folder;
    QStringList photos;
    for (int i = 0; i <= Runs; ++i) {
        photos << QDir(folder.path()).filePath(QStringLiteral("foto%1.jpg").arg(i));
        const QImage photo = MakeBenchPhoto(QColor::fromHsv((i * 45) % 360, 150, 200),
                                            static_cast<quint32>(2027 + i));
        if (!folder.isValid() || !photo.save(photos.last(), "JPEG", 90)) {
            std::printf("cannot write the test photos\n");
            return 0;
        }
    }
    const PageContent march = marchPage();
    PageContent april = march;
    april.month = 4;

    // The window's page and its picture cache. The very first page pays for the fonts as well
    // as for the picture.
    PictureCache cache = canvasPictureCache();
    ComposedPage composed;
    Timing veryFirst;
    veryFirst.measure([&] { composeOnce(cache, photos.at(0), march, composed); });

    // A new photo for the month shown, as the window gets it: read on another thread while the
    // compose timer runs, then drawn on both surfaces at its tick (waiting for the reading if
    // it has not ended). Also the whole wait, from the request to the page.
    Timing first;
    Timing decoding;
    Timing request;
    for (int i = 1; i <= Runs; ++i) {
        PictureCache fresh = canvasPictureCache();
        decoding.measure([&] { (void)loadMonthPicture(fresh, photos.at(i)); });
        PictureCache window = canvasPictureCache();
        request.measure([&] {
            readMonthPictureAhead(window, photos.at(i));
            QThread::msleep(ComposeTimerMs);
            first.measure([&] { composeOnce(window, photos.at(i), march, composed); });
        });
    }

    // The same page again, its picture in the cache.
    composeOnce(cache, photos.at(Runs), march, composed);
    Timing repeat;
    for (int i = 0; i < 11; ++i)
        repeat.measure([&] { composeOnce(cache, photos.at(Runs), march, composed); });

    // Another month and back, both pictures in the cache: the texts and the picture drawn anew.
    Timing otherMonth;
    for (int i = 0; i < 11; ++i) {
        const bool even = i % 2 == 0;
        otherMonth.measure([&] {
            composeOnce(cache, photos.at(even ? 0 : Runs), even ? april : march, composed);
        });
    }

    // A step to the next month, whose photo is a phone's portrait (4032 x 3024 stored lying
    // down, with an Exif orientation): read ahead while the compose timer runs, and not.
    QStringList portraits;
    for (int i = 0; i < 2 * Runs; ++i) {
        portraits << QDir(folder.path()).filePath(QStringLiteral("ritratto%1.jpg").arg(i));
        if (!SaveBenchPhoto(portraits.last(), PhotoKind::Portrait, static_cast<quint32>(i))) {
            std::printf("cannot write the test photos\n");
            return 0;
        }
    }
    Timing portraitAhead, portraitNotAhead;
    for (int i = 0; i < Runs; ++i) {
        PictureCache window = canvasPictureCache();
        readMonthPictureAhead(window, portraits.at(i));
        QThread::msleep(ComposeTimerMs);
        portraitAhead.measure([&] { composeOnce(window, portraits.at(i), april, composed); });
        PictureCache fresh = canvasPictureCache();
        portraitNotAhead.measure(
            [&] { composeOnce(fresh, portraits.at(Runs + i), march, composed); });
    }

    std::printf("page window, 4000x3000 JPEG photo: canvas %dx%d and preview %dx%d\n",
                surfaceSize(CanvasScale).width(), surfaceSize(CanvasScale).height(),
                surfaceSize(1).width(), surfaceSize(1).height());
    std::printf("  %-38s %7.1f ms wall\n", "very first page (fonts, picture):", veryFirst.wall[0]);
    printTiming("first composition with a new photo:", first, "(aim: at most 15 ms)");
    printTiming("  reading the photo, on another thread:", decoding, "");
    printTiming("  from the request, timer included:", request, "");
    printTiming("repeat, picture cached:", repeat, "(aim: at most 5 ms)");
    printTiming("another month, picture cached:", otherMonth, "");
    printTiming("next month, new portrait, read ahead:", portraitAhead, "(aim: at most 16 ms)");
    printTiming("next month, new portrait, not ahead:", portraitNotAhead, "(aim: at most 100 ms)");
    return 0;
}
