// Feeds arbitrary bytes to the contacts import: what it reads are recurrence lines, and a
// second reading of the same file brings nothing new.
#include "recurrences.h"
#include "vcard.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace velaria;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const RecurrenceImport imported = importBirthdays(bytes, {});
    RecurrenceTable table;
    for (const QString &line : imported.added) {
        if (!table.readLine(line) || !line.contains(u" di "))
            std::abort();
    }
    const RecurrenceImport again = importBirthdays(bytes, imported.added);
    if ((!imported.error.isEmpty() && !imported.added.isEmpty()) || !again.added.isEmpty() ||
        again.alreadyPresent != imported.added.size() + imported.alreadyPresent)
        std::abort();
    return 0;
}
