#include "calendarstate.h"

#include "calendardate.h"
#include "datafiles.h"

namespace velaria {

CalendarState::CalendarState(const QString &dataFolder, QObject *parent)
    : QObject(parent), m_dataFolder(dataFolder), m_makerHost(velaria::makerHost())
{
    m_shownDate = today();
}

void CalendarState::load()
{
    const RecurrenceLines read = readRecurrenceLines(m_dataFolder);
    m_recurrenceReadError = read.error;
    m_recurrenceLines = read.lines;
    m_recurrences.clear();
    m_recurrences.readLines(m_recurrenceLines);
    m_banner = readBanner(m_dataFolder, m_makerHost);
    emit recurrencesChanged();
}

QDate CalendarState::today() const
{
    return m_clock ? m_clock() : QDate::currentDate();
}

void CalendarState::setClock(std::function<QDate()> clock)
{
    m_clock = std::move(clock);
    setShownDate(today());
}

bool CalendarState::setShownDate(const QDate &date)
{
    if (!isSupportedDate(date))
        return false;
    const bool monthChanged =
        date.year() != m_shownDate.year() || date.month() != m_shownDate.month();
    if (date == m_shownDate)
        return true;
    m_shownDate = date;
    emit shownDateChanged(date, monthChanged);
    return true;
}

bool CalendarState::stepMonths(int months)
{
    return setShownDate(addMonths(m_shownDate, months));
}

QString CalendarState::saveRecurrences(const QStringList &lines)
{
    if (!m_recurrenceReadError.isEmpty())
        return QStringLiteral("Il file delle ricorrenze non è stato letto all'avvio e non viene "
                              "sovrascritto, per non perderne il contenuto.\n%1")
            .arg(m_recurrenceReadError);
    if (const QString error = saveRecurrenceLines(m_dataFolder, lines); !error.isEmpty())
        return error;
    m_recurrenceLines = lines;
    m_recurrences.clear();
    m_recurrences.readLines(lines);
    emit recurrencesChanged();
    return {};
}

} // namespace velaria
