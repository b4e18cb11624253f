// Feeds arbitrary bytes to the iCalendar import, and what it reads back through the export.
#include "icalendar.h"
#include "recurrences.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace velaria;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const RecurrenceImport imported = importRecurrences(bytes, {});
    RecurrenceTable table;
    for (const QString &line : imported.added) {
        if (!table.readLine(line))
            std::abort();
    }
    // A file that fails adds nothing; a calendar written from what was read reads back whole.
    const RecurrenceImport again =
        importRecurrences(exportRecurrences(imported.added, 2024).ics, {});
    if ((!imported.error.isEmpty() && !imported.added.isEmpty()) || !again.error.isEmpty())
        std::abort();
    return 0;
}
