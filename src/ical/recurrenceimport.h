#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

#include <span>
#include <utility>

// What an import from another program's file brings into the recurrence list, and the
// message that tells the user.
namespace velaria {

struct RecurrenceImport
{
    QStringList added;      // new lines "MM/DD - text", in the order of the file
    int alreadyPresent = 0; // already among the lines (wherever the tag stands), or holidays
    int skipped = 0;        // what the calendar cannot hold; the reasons say which
    QStringList reasons;    // Italian, one for each kind skipped, with its count
    QStringList notes;      // Italian, what else the user should know of what was added
    QString error;          // Italian; when set nothing was read
};

// The message box text of an import: the counts, the reasons and the notes.
QString importReport(const RecurrenceImport &imported);

// Gathers an import's lines: each line is added once, unless the list has it already, and
// the lines that fall on a day that has a line already are noted.
class ImportTally
{
public:
    explicit ImportTally(const QStringList &existingLines);

    // Whether `line` is a new one (now added); otherwise it counts as already present.
    bool add(const QString &line);
    void addPresent() { ++m_result.alreadyPresent; }
    // `counts[i]` things skipped for the reason `reasons[i]` (singular, plural).
    void addSkipped(std::span<const int> counts,
                    std::span<const std::pair<const char *, const char *>> reasons);
    void addNote(const QString &note) { m_result.notes.append(note); }

    RecurrenceImport result();

private:
    RecurrenceImport m_result;
    QSet<QString> m_present; // the lines' keys
    QSet<int> m_days;        // month * 100 + day of the lines
    QStringList m_sharedDays;
};

} // namespace velaria
