#include "pagecontent.h"

#include "calendardate.h"
#include "holidays.h"

namespace velaria {

QString pageTitle(int month)
{
    return monthTitle(month) + QStringLiteral("  ");
}

QString pageYear(int year)
{
    return QStringLiteral("%1").arg(year, 4, 10, QLatin1Char('0'));
}

QString pageCaption(int year, int month)
{
    return pageTitle(month) + u' ' + pageYear(year);
}

QString pageFileName(int month)
{
    return monthName(month);
}

MonthMarks monthMarks(const RecurrenceTable &table, int year, int month)
{
    MonthMarks marks;
    for (int day = 1; day <= monthLength(year, month); ++day) {
        const QDate date(year, month, day);
        if (nationalHoliday(date))
            ++marks.holidays;
        if (recurrenceOn(table, day, month))
            ++marks.recurrences;
    }
    return marks;
}

} // namespace velaria
