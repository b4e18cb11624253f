// Computing and painting one month of the main window: median time over many months.

#include "fonts.h"
#include "monthgrid.h"
#include "monthview.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace velaria;

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    installFontSubstitutions();

    RecurrenceTable table;
    table.readLines({QStringLiteral("05/20 - Compleanno <v>"), QStringLiteral("12/25 - Cena <b>"),
                     QStringLiteral("03/15 - Sagra")});
    MonthGrid grid;
    grid.resize(453, 293);
    QImage surface(grid.size(), QImage::Format_ARGB32_Premultiplied);

    constexpr int Rounds = 2000;
    std::vector<double> compute;
    std::vector<double> computeAndPaint;
    QDate shown(2000, 1, 1);
    for (int i = 0; i < Rounds; ++i, shown = shown.addMonths(1)) {
        QElapsedTimer timer;
        timer.start();
        const MonthModel month =
            computeMonth(shown.year(), shown.month(), QDate(2025, 5, 15), table);
        compute.push_back(static_cast<double>(timer.nsecsElapsed()) / 1000.0);
        grid.setMonth(month, 1);
        grid.render(&surface);
        computeAndPaint.push_back(static_cast<double>(timer.nsecsElapsed()) / 1000.0);
    }
    std::printf("month: compute median %.1f us, compute and paint median %.1f us "
                "(%d months; aim: well under 2000 us)\n",
                median(compute), median(computeAndPaint), Rounds);
    return 0;
}
