#include "monthview.h"

#include "calendardate.h"
#include "holidays.h"

#include <QStringList>

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

MonthModel computeMonth(int year, int month, const QDate &today, const RecurrenceTable &table)
{
    MonthModel model;
    model.year = year;
    model.month = month;
    model.caption = monthCaption(year, month);
    model.daysInMonth = monthLength(year, month);

    const int before = mondayColumn(QDate(year, month, 1)) - 1;
    QStringList items;
    for (int d = 1; d <= model.daysInMonth; ++d) {
        MonthDayCell &cell = model.days[static_cast<std::size_t>(d - 1)];
        const int place = before + d;
        cell.column = place % 7;
        cell.row = place / 7;
        cell.x = cell.column * CellWidth;
        cell.y = cell.row * CellHeight + GridTop;
        GridDayMark mark = gridDayMark(table, QDate(year, month, d));
        cell.colour = mark.colour;
        cell.description = dayDescription(QDate(year, month, d), table, today);
        items.append(mark.lineItems);
    }
    model.holidayLine = items.join(QStringLiteral(" - "));

    if (today.year() == year && today.month() == month) {
        model.today = today.day();
        const MonthDayCell &cell = model.days[static_cast<std::size_t>(today.day() - 1)];
        model.todayFrameLeft = cell.x + TodayFrameDx;
        model.todayFrameTop = cell.y + TodayFrameDy;
    }
    return model;
}

int dayAt(int column, int y, int year, int month)
{
    const auto band = std::find_if(RowBands.begin(), RowBands.end(),
                                   [y](const Band &b) { return y >= b.from && y <= b.to; });
    if (band == RowBands.end())
        return 0;
    const int offset = gridOffset(year, month);
    const int day = offset == 6 ? column + band->base + 1 : column + band->base - offset;
    return day >= 1 && day <= monthLength(year, month) ? day : 0;
}

QString dayDescription(const QDate &date, const RecurrenceTable &table, const QDate &today)
{
    QStringList parts = {QStringLiteral("%1 %2 %3")
                             .arg(date.day())
                             .arg(monthName(date.month()).toLower())
                             .arg(date.year()),
                         weekdayName(date).toLower()};
    if (const std::optional<Holiday> holiday = nationalHoliday(date))
        parts << holiday->pageLabel;
    if (const std::optional<Recurrence> own = recurrenceOn(table, date.day(), date.month()))
        parts << QStringLiteral("ricorrenza: ") + own->text.left(200).simplified();
    if (date == today)
        parts << QStringLiteral("oggi");
    return parts.join(QStringLiteral(", "));
}

QString dayInformation(const QDate &date)
{
    const int dayOfYear = date.dayOfYear();
    const int yearLength = isLeapYear(date.year()) ? 366 : 365;
    return QStringLiteral("- Il giorno %1 %2 è il %3° del %4 e mancano %5 giorni alla fine "
                          "dell'anno -")
        .arg(date.day())
        .arg(monthName(date.month()).toLower())
        .arg(dayOfYear)
        .arg(date.year(), 4, 10, QLatin1Char('0'))
        .arg(yearLength - dayOfYear);
}

} // namespace velaria
