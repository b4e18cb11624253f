// Whatever is typed into the date box is either no date or a supported one whose text, as
// the box proposes it, reads back as the same date.
#include "calendardate.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QDate today(2026, 3, 15);
    const QDate date = velaria::parseDateEntry(text, today);
    if (date.isValid() && (!velaria::isSupportedDate(date) ||
                           velaria::parseDateEntry(velaria::dateText(date), today) != date))
        std::abort();
    return 0;
}
