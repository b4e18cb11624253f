#include "pagelayout.h"

#include "calendardate.h"
#include "holidays.h"
#include "twips.h"

#include <QDate>

#include <algorithm>
#include <array>
#include <cmath>

namespace velaria {

namespace {

// A column of the day block: its days and where their texts go.
struct DayColumn
{
    int firstDay;
    int lastDay; // the month's last day for the third column
    int numberX;
    int labelX;
};

constexpr std::array<DayColumn, 3> DayColumns = {
    {{1, 10, 200, 550}, {11, 20, 2600, 3150}, {21, 31, 5300, 5850}}};

// The first column moves a Sunday's one-digit number a little left, except the 1st.
int sundayShift(int day)
{
    if (day == 1)
        return 5;
    if (day == 10)
        return 0;
    if (day < 10)
        return -10;
    return 5;
}

} // namespace

QList<PageDayEntry> pageDays(const PageContent &page)
{
    QList<PageDayEntry> days;
    if (page.month < 1 || page.month > 12)
        return days;
    const int last = monthLength(page.year, page.month);
    for (std::size_t c = 0; c < DayColumns.size(); ++c) {
        const DayColumn &column = DayColumns[c];
        for (int day = column.firstDay; day <= std::min(column.lastDay, last); ++day) {
            const QDate date(page.year, page.month, day);
            PageDayEntry entry;
            entry.day = day;
            entry.column = static_cast<int>(c);
            entry.row = day - column.firstDay + 1;
            entry.weekday = weekdayName(date);
            entry.sunday = mondayColumn(date) == 6;
            entry.numberX = day == 10 ? 0 : column.numberX;
            entry.colour = colours::Ordinary;
            if (entry.sunday) {
                entry.numberX += sundayShift(day);
                entry.colour = colours::Sunday;
            }
            const PageDayMark mark = pageDayMark(page.recurrences, date);
            if (mark.colour)
                entry.colour = *mark.colour;
            entry.label = mark.label;
            entry.numberY = 6560 + RowHeight * entry.row;
            entry.labelX = column.labelX;
            entry.labelY = 6600 + RowHeight * entry.row;
            days << entry;
        }
    }
    return days;
}

int weekdayTop(int scale)
{
    return scale == 1 ? 6740 : 6770;
}

QSize surfaceSize(int scale)
{
    return {px(PageWidth * scale), px(PageHeight * scale)};
}

int picturePixelHeight(int scale)
{
    return px(PictureHeight * scale);
}

// Its size comes first, so that a picture already brought to that size lands where the picture
// it was made from would.
QRect pictureTarget(const QImage &picture, int scale)
{
    if (picture.isNull())
        return {};
    const int height = picturePixelHeight(scale);
    const auto width = static_cast<int>(
        std::lround(static_cast<double>(picture.width()) * height / picture.height()));
    if (width <= 0 || height <= 0)
        return {};
    const auto left = static_cast<int>(std::floor((surfaceSize(scale).width() - width) / 2.0));
    return {left, px(PictureTop * scale), width, height};
}

QRect pictureArea(const QImage &picture, int scale)
{
    return pictureTarget(picture, scale) & QRect(QPoint(0, 0), surfaceSize(scale));
}

} // namespace velaria
