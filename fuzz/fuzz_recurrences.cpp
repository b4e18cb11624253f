// Arbitrary bytes as the recurrence file, through the table into the month view and the page:
// a day's recurrence, its tag removed, is the last item of the month's line and the page label.
#include "holidays.h"
#include "monthview.h"
#include "textfile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    velaria::RecurrenceTable table;
    table.readLines(velaria::splitLines(velaria::decodeText(bytes)));
    const int month = size > 0 ? data[0] % 12 + 1 : 2; // the first byte picks the month shown
    const velaria::MonthModel model = velaria::computeMonth(2024, month, {}, table);
    for (int day = 1; day <= model.daysInMonth; ++day) {
        const QDate date(2024, month, day);
        const auto own = velaria::recurrenceOn(table, day, month);
        if (own && (velaria::gridDayMark(table, date).lineItems.last() !=
                        QString::number(day) + u' ' + own->text ||
                    velaria::pageDayMark(table, date).label != own->text))
            std::abort();
    }
    return 0;
}
