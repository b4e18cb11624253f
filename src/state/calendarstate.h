#pragma once

#include "recurrences.h"

#include <QDate>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

namespace velaria {

// What the windows share for the whole run: the shown month, the recurrences, the banner and
// the folder of the data files. main() owns one; the windows read it, change it through its
// functions and follow its signals, never each other.
class CalendarState : public QObject
{
    Q_OBJECT
public:
    explicit CalendarState(const QString &dataFolder, QObject *parent = nullptr);

    QString dataFolder() const { return m_dataFolder; }
    QString makerHost() const { return m_makerHost; }

    // Reads the recurrences and the banner from the data folder.
    void load();

    // Today's date: the system's, unless a clock was set (tests fix the date). Setting a clock
    // also shows its today.
    QDate today() const;
    void setClock(std::function<QDate()> clock);

    QDate shownDate() const { return m_shownDate; }
    int shownYear() const { return m_shownDate.year(); }
    int shownMonth() const { return m_shownDate.month(); }
    // Makes the date the shown one; a date outside the supported years changes nothing.
    // Returns whether the date was taken.
    bool setShownDate(const QDate &date);
    // Moves the shown date by whole months, its day clamped to the target month; false at
    // the ends of the supported years.
    bool stepMonths(int months);

    const RecurrenceTable &recurrences() const { return m_recurrences; }
    // The lines of the recurrence file as last read or saved.
    QStringList recurrenceLines() const { return m_recurrenceLines; }
    // Why the recurrence file could not be read; empty when it could (or was missing).
    QString recurrenceReadError() const { return m_recurrenceReadError; }
    // Writes the lines to the recurrence file and takes them as the recurrences; nothing
    // changes when the file could not be read at start (it would be lost) or cannot be
    // written. Returns an empty text on success, otherwise an Italian description.
    [[nodiscard]] QString saveRecurrences(const QStringList &lines);

    QString banner() const { return m_banner; }

signals:
    // The shown date changed; `monthChanged` tells whether its month or year did.
    void shownDateChanged(const QDate &date, bool monthChanged);
    void recurrencesChanged();

private:
    QString m_dataFolder;
    QString m_makerHost;
    std::function<QDate()> m_clock;
    QDate m_shownDate;
    RecurrenceTable m_recurrences;
    QStringList m_recurrenceLines;
    QString m_recurrenceReadError;
    QString m_banner;
};

} // namespace velaria
