#include "recurrenceimport.h"

#include "recurrences.h"

namespace velaria {

namespace {

// The lines that fall on a day with a line already, named in the message.
constexpr qsizetype SharedDaysNamed = 3;

// A line as the calendar shows it: its day, its colour and its text without the deciding tag,
// blanks and letter case aside; "01/01 - <v>Capodanno" and "01/01 - Capodanno <v>" are one.
QString lineKey(const QString &line)
{
    const Recurrence recurrence = recurrenceFromText(line.mid(8));
    return QStringLiteral("%1 %2.%3.%4 %5")
        .arg(line.left(5))
        .arg(recurrence.colour.red)
        .arg(recurrence.colour.green)
        .arg(recurrence.colour.blue)
        .arg(recurrence.text.simplified().toCaseFolded());
}

// Month * 100 + day as the recurrence table reads them, or 0 when the line gives none.
int lineDay(const QString &line)
{
    bool monthOk = false;
    bool dayOk = false;
    const int month = line.left(2).toInt(&monthOk);
    const int day = line.mid(3, 2).toInt(&dayOk);
    return monthOk && dayOk && line.size() >= 8 ? month * 100 + day : 0;
}

} // namespace

QString importReport(const RecurrenceImport &imported)
{
    QString report = QStringLiteral("Ricorrenze aggiunte all'elenco: %1 (salvare per "
                                    "conservarle).\nGià presenti: %2.\nTralasciate: %3.")
                         .arg(imported.added.size())
                         .arg(imported.alreadyPresent)
                         .arg(imported.skipped);
    for (const QString &reason : imported.reasons)
        report += QStringLiteral("\n- ") + reason;
    for (const QString &note : imported.notes)
        report += u'\n' + note;
    return report;
}

ImportTally::ImportTally(const QStringList &existingLines)
{
    for (const QString &line : existingLines) {
        m_present.insert(lineKey(line));
        m_days.insert(lineDay(line));
    }
}

bool ImportTally::add(const QString &line)
{
    if (const QString key = lineKey(line); !std::as_const(m_present).contains(key)) {
        m_present.insert(key);
        const int day = lineDay(line);
        if (m_days.contains(day))
            m_sharedDays.append(line);
        m_days.insert(day);
        m_result.added.append(line);
        return true;
    }
    ++m_result.alreadyPresent;
    return false;
}

void ImportTally::addSkipped(std::span<const int> counts,
                             std::span<const std::pair<const char *, const char *>> reasons)
{
    for (std::size_t i = 0; i < counts.size() && i < reasons.size(); ++i) {
        if (counts[i] > 0)
            m_result.reasons.append(
                QString::number(counts[i]) + u' ' +
                QString::fromUtf8(counts[i] == 1 ? reasons[i].first : reasons[i].second));
        m_result.skipped += counts[i];
    }
}

RecurrenceImport ImportTally::result()
{
    if (!m_sharedDays.isEmpty()) {
        QString named = m_sharedDays.mid(0, SharedDaysNamed).join(QStringLiteral("; "));
        if (m_sharedDays.size() > SharedDaysNamed)
            named += QStringLiteral("; …");
        m_result.notes.append(QStringLiteral("Righe aggiunte in un giorno che ha già una "
                                             "ricorrenza (il calendario mostra solo l'ultima "
                                             "riga di ogni giorno): %1, come %2.")
                                  .arg(m_sharedDays.size())
                                  .arg(named));
    }
    return m_result;
}

} // namespace velaria
