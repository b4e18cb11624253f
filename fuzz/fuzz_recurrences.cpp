// Feeds arbitrary bytes through everything that reads a recurrence file: decoding, splitting
// into lines, filling the table, and the holiday lines and page labels built from it.
#include "calendardate.h"
#include "holidays.h"
#include "recurrences.h"
#include "textfile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace velaria;

namespace {

// Months worth a look: Easter in March (2024) and on Liberazione (2038), the first year of
// San Francesco (2026), and both ends of the supported years.
struct Shown
{
    int year;
    int month;
};
constexpr Shown Months[] = {{2024, 3},  {2024, 4},  {2024, 2}, {2038, 4},
                            {2026, 10}, {2024, 12}, {1, 1},    {9999, 12}};

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QString text = DecodeText(bytes);
    const QStringList lines = SplitLines(text);

    RecurrenceTable table;
    table.readLines(lines);

    for (const QString &line : lines) {
        RecurrenceTable single;
        // Nothing is written from a line too short to hold a date and its separator.
        if (single.readLine(line))
            check(line.size() >= 8);
        const Recurrence recurrence = ColourFromTags(line);
        check(recurrence.text.size() <= line.size());
    }

    for (const Shown &shown : Months) {
        (void)FestMese(table, shown.year, shown.month);
        for (int day = 1; day <= MonthLength(shown.year, shown.month); ++day) {
            const PageDay page = FestiviPagina(table, shown.year, shown.month, day);
            const std::optional<Recurrence> recurrence = FestPerso(table, day, shown.month);
            // A recurrence's cleaned text is what the page prints under the day.
            if (recurrence)
                check(page.label == recurrence->text);
        }
    }

    (void)EncodeText(text);
    return 0;
}
