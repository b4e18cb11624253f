// Composing one calendar page with a 4000 x 3000 photo on both surfaces, against pcal and
// Ghostscript producing one month page as an image at about the canvas resolution.
// Prints figures only; nothing passes or fails here.

#include "benchphoto.h"
#include "fonts.h"
#include "pagecomposer.h"
#include "picturecache.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace velaria;

namespace {

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double milliseconds(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

bool writePhoto(const QString &path)
{
    return MakeBenchPhoto(QColor(70, 130, 200), 2027).save(path, "JPEG", 90);
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

// One page as the page window makes it: the picture through the cache, then both surfaces
// drawn again over the window's previous page.
void composeOnce(PictureCache &cache, const QString &photo, PageContent page,
                 ComposedPage &composed)
{
    page.picture = loadMonthPicture(cache, photo).image;
    composePage(page, composed);
    if (composed.canvas.isNull() || composed.preview.isNull() || page.picture.isNull())
        std::printf("  composition failed\n");
}

double pcalOnce(const QString &output)
{
    QProcess shell;
    shell.setProgram(QStringLiteral("sh"));
    shell.setArguments({QStringLiteral("-c"),
                        QStringLiteral("pcal -P a4 -f /dev/null 3 2027 | gs -q -dSAFER -dBATCH "
                                       "-dNOPAUSE -sDEVICE=png16m -r290 -sOutputFile=%1 -")
                            .arg(output)});
    QElapsedTimer timer;
    timer.start();
    shell.start();
    if (!shell.waitForFinished(120000) || shell.exitCode() != 0)
        return -1;
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    installFontSubstitutions();

    QTemporaryDir folder;
    const QString photo = QDir(folder.path()).filePath(QStringLiteral("foto.jpg"));
    if (!folder.isValid() || !writePhoto(photo)) {
        std::printf("cannot write the test photo\n");
        return 0;
    }
    const PageContent page = marchPage();

    // The very first page pays for the fonts as well as for the picture.
    PictureCache warmUp;
    ComposedPage composed;
    const double veryFirst = milliseconds([&] { composeOnce(warmUp, photo, page, composed); });

    constexpr int ColdRuns = 5;
    constexpr int WarmRuns = 11;
    std::vector<double> cold;
    for (int i = 0; i < ColdRuns; ++i) {
        PictureCache fresh;
        cold.push_back(milliseconds([&] { composeOnce(fresh, photo, page, composed); }));
    }
    PictureCache cache;
    composeOnce(cache, photo, page, composed);
    std::vector<double> warm;
    for (int i = 0; i < WarmRuns; ++i)
        warm.push_back(milliseconds([&] { composeOnce(cache, photo, page, composed); }));

    const double first = median(cold);
    const double repeat = median(warm);
    std::printf("page, 4000x3000 JPEG, canvas %dx%d + preview %dx%d\n",
                surfaceSize(CanvasScale).width(), surfaceSize(CanvasScale).height(),
                surfaceSize(1).width(), surfaceSize(1).height());
    std::printf("  very first page (fonts and picture cold): %8.1f ms\n", veryFirst);
    std::printf("  first composition (picture cache cold):   %8.1f ms  median of %d  (aim < 150)\n",
                first, ColdRuns);
    std::printf("  repeat (picture cache warm):              %8.1f ms  median of %d  (aim < 50)\n",
                repeat, WarmRuns);

    const bool havePcal = !QStandardPaths::findExecutable(QStringLiteral("pcal")).isEmpty() &&
                          !QStandardPaths::findExecutable(QStringLiteral("gs")).isEmpty();
    if (!havePcal) {
        std::printf("  pcal + gs: not installed (scripts/install-deps.sh installs them)\n");
        return 0;
    }
    const QString output = QDir(folder.path()).filePath(QStringLiteral("pcal.png"));
    std::vector<double> pcal;
    for (int i = 0; i < 5; ++i) {
        const double ms = pcalOnce(output);
        if (ms >= 0)
            pcal.push_back(ms);
    }
    if (pcal.empty()) {
        std::printf("  pcal + gs: failed to run\n");
        return 0;
    }
    const double reference = median(pcal);
    const QImage made(output);
    std::printf("  pcal + gs -r290 (%dx%d png):             %8.1f ms  median of %zu\n",
                made.width(), made.height(), reference, pcal.size());
    std::printf("  ratio repeat / pcal:                      %8.3f     (aim <= 0.2)\n",
                repeat / reference);
    return 0;
}
