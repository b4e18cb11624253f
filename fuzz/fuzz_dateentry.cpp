// Feeds arbitrary text to the date-entry reader: whatever the user types into the date box,
// the answer is either no date or a supported one that reads back the same when written out.
#include "calendardate.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace velaria;

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

void checkEntry(const QString &text)
{
    const QDate date = ParseDateEntry(text);
    if (!date.isValid())
        return;
    check(IsSupportedDate(date));
    check(ParseDateEntry(DateText(date)) == date);
    check(MonthFromCaption(MonthCaption(date)) == date.month());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    // As typed (UTF-8) and as any sequence of UTF-16 code units, lone surrogates included.
    checkEntry(QString::fromUtf8(bytes));
    QString units(static_cast<qsizetype>(size / 2), Qt::Uninitialized);
    for (std::size_t i = 0; i + 1 < size; i += 2)
        units[static_cast<qsizetype>(i / 2)] =
            QChar(static_cast<char16_t>(data[i] | data[i + 1] << 8));
    checkEntry(units);
    return 0;
}
