#include "monthview.h"

#include "calendardate.h"
#include "holidays.h"

#include <algorithm>

namespace velaria {

namespace {

// Today's mark stands 180 twips inside the cell and 160 twips above it, framing the number.
constexpr int TodayFrameDx = 180;
constexpr int TodayFrameDy = -160;

struct Band
{
    int from;
    int to;
    int base;
};

// Vertical bands of the column areas, both ends included, and the day each row starts from.
constexpr std::array<Band, 6> RowBands = {{{700, 1169, 0},
                                           {1170, 1874, 7},
                                           {1875, 2489, 14},
                                           {2490, 3119, 21},
                                           {3120, 3699, 28},
                                           {3700, 4300, 35}}};

} // namespace

MonthLayout ComputeMonth(const QDate &shown, const QDate &today, const RecurrenceTable &table,
                         int cellWidth, int cellHeight)
{
    MonthLayout month;
    const int year = shown.year();
    const int monthNumber = shown.month();
    month.caption = MonthCaption(shown);
    month.daysInMonth = MonthLength(year, monthNumber);
    month.gridOffset = GridOffset(year, monthNumber);
    month.todayFrameVisible = today.year() == year && today.month() == monthNumber;

    const int o = MondayColumn(QDate(year, monthNumber, 1)) - 1;
    QStringList items;
    for (int d = 1; d <= month.daysInMonth; ++d) {
        MonthDayCell &cell = month.days[static_cast<std::size_t>(d - 1)];
        const int i = o + d;
        cell.column = i % 7;
        cell.row = i / 7;
        cell.x = cell.column * cellWidth;
        cell.y = cell.row * cellHeight + GridTop;
        const bool UltimaDomenica = cell.column == 6;
        GridDay marks = Festivi(table, year, monthNumber, d, UltimaDomenica);
        cell.colour = marks.colour;
        items.append(marks.lineItems);
        if (d == today.day()) {
            month.todayFramePlaced = true;
            month.todayFrameLeft = cell.x + TodayFrameDx;
            month.todayFrameTop = cell.y + TodayFrameDy;
        }
    }
    month.holidayLine = items.join(QStringLiteral(" - "));
    return month;
}

QString DayInformation(int column, int y, const QDate &shown, int gridOffset, int daysInMonth,
                       const QString &nomeMese)
{
    const auto band = std::find_if(RowBands.begin(), RowBands.end(),
                                   [y](const Band &b) { return y >= b.from && y <= b.to; });
    if (band == RowBands.end())
        return {};
    const int day = gridOffset == 6 ? column + band->base + 1 : column + band->base - gridOffset;
    if (day < 1 || day > daysInMonth)
        return {};

    const int year = shown.year();
    int dayOfYear = day;
    for (int m = 1; m < shown.month(); ++m)
        dayOfYear += MonthLength(year, m);
    const int yearLength = IsLeapYearA(year) ? 366 : 365;
    return QStringLiteral("- Il giorno %1 %2 è il %3° del %4 e mancano %5 giorni alla fine "
                          "dell'anno -")
        .arg(day)
        .arg(nomeMese.trimmed().toLower())
        .arg(dayOfYear)
        .arg(year, 4, 10, QLatin1Char('0'))
        .arg(yearLength - dayOfYear);
}

} // namespace velaria
