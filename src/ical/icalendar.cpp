#include "icalendar.h"

#include "calendardate.h"
#include "holidays.h"
#include "recurrences.h"
#include "textfile.h"

#include <QCryptographicHash>
#include <QSet>
#include <QStringDecoder>

#include <libical/ical.h>

#include <algorithm>
#include <array>
#include <memory>
#include <span>
#include <vector>

using namespace Qt::StringLiterals;

namespace velaria {

namespace {

// The tags and the CSS colour names nearest to their colours, which the COLOR property takes.
struct TagColour
{
    QStringView tag;
    Rgb colour;
    const char *name;
};
constexpr std::array<TagColour, 4> TagColours = {{{u"<b>", colours::TagBlue, "blue"},
                                                  {u"<v>", colours::TagGreen, "green"},
                                                  {u"<a>", colours::TagOrange, "orange"},
                                                  {u"<g>", colours::TagYellow, "olive"}}};

using Component = std::unique_ptr<icalcomponent, decltype(&icalcomponent_free)>;

struct Entry
{
    QDate day; // in the leap year 2000
    QString text;
};

// The days of the recurrence table that a year can have, by date, as the calendar shows them;
// `skipped` counts the lines that give none of them.
std::vector<Entry> tableEntries(const QStringList &lines, int &skipped)
{
    RecurrenceTable table;
    table.readLines(lines);
    std::vector<Entry> entries;
    for (int month = 1; month <= 12; ++month) {
        for (int day = 1; day <= monthLength(2000, month); ++day) {
            if (const QString text = table.cell(day, month); !text.isEmpty())
                entries.push_back({QDate(2000, month, day), text});
        }
    }
    skipped = static_cast<int>(lines.size() - std::ssize(entries));
    return entries;
}

// Whether the recurrence `text` (tag and blanks aside) names the national holiday of `date`:
// a calendar holds the day once.
bool sameAsHoliday(const QString &text, const QDate &date)
{
    const std::optional<Holiday> holiday = nationalHoliday(date);
    return holiday && holiday->pageLabel.compare(recurrenceFromText(text).text.simplified(),
                                                 Qt::CaseInsensitive) == 0;
}

// A calendar being written, all of its events lasting whole days.
class CalendarWriter
{
public:
    explicit CalendarWriter(const QDateTime &stamp)
        : m_stamp(icaltime_from_timet_with_zone(stamp.toSecsSinceEpoch(), 0,
                                                icaltimezone_get_utc_timezone()))
    {
        icalcomponent_add_property(m_root.get(), icalproperty_new_version("2.0"));
        icalcomponent_add_property(m_root.get(),
                                   icalproperty_new_prodid("-//Velaria//Calendario perpetuo//IT"));
    }

    // `text` as a recurrence cell holds it, tag included. `identity` names the event alike in
    // every export; `rule` is an RRULE value or null.
    void add(const QDate &date, const QString &text, const QString &identity, const char *rule)
    {
        const Recurrence recurrence = recurrenceFromText(text);
        const auto tagColour = std::ranges::find(TagColours, recurrence.colour, &TagColour::colour);
        const QByteArray uid =
            QCryptographicHash::hash(identity.toUtf8(), QCryptographicHash::Sha1).toHex();
        icaltimetype day = icaltime_null_date();
        day.year = date.year();
        day.month = date.month();
        day.day = date.day();
        icalcomponent *event = icalcomponent_new_vevent();
        icalcomponent_add_property(event, icalproperty_new_uid((uid + "@velaria").constData()));
        icalcomponent_add_property(event, icalproperty_new_dtstamp(m_stamp));
        icalcomponent_add_property(event, icalproperty_new_dtstart(day));
        if (rule)
            icalcomponent_add_property(
                event, icalproperty_new_rrule(icalrecurrencetype_from_string(rule)));
        icalcomponent_add_property(
            event, icalproperty_new_summary(recurrence.text.trimmed().toUtf8().constData()));
        icalcomponent_add_property(
            event, icalproperty_new_color(tagColour == TagColours.end() ? "red" : tagColour->name));
        icalcomponent_add_component(m_root.get(), event);
    }

    // The holidays of `year`, but those that a yearly recurrence in `written` says already.
    void addHolidays(int year, const std::vector<Entry> &written = {})
    {
        for (QDate date(year, 1, 1); date.isValid() && date.year() == year;
             date = date.addDays(1)) {
            const auto sameDay = [&date](const Entry &entry) {
                return entry.day.month() == date.month() && entry.day.day() == date.day();
            };
            const auto recurrence = std::ranges::find_if(written, sameDay);
            if (recurrence != written.end() && sameAsHoliday(recurrence->text, date))
                continue;
            if (const std::optional<Holiday> holiday = nationalHoliday(date))
                add(date, holiday->pageLabel,
                    date.toString(Qt::ISODate) + u' ' + holiday->pageLabel, nullptr);
        }
    }

    QByteArray text() const
    {
        char *text = icalcomponent_as_ical_string_r(m_root.get());
        const QByteArray bytes(text);
        icalmemory_free_buffer(text);
        return bytes;
    }

private:
    Component m_root{icalcomponent_new_vcalendar(), &icalcomponent_free};
    icaltimetype m_stamp;
};

// What becomes of an event; the kinds skipped in the order the reasons list them.
enum Outcome { Added, Present, Ended, OtherRule, Timed, Task, NoTitle, Unreadable, OutcomeCount };

constexpr std::array<std::pair<const char *, const char *>, OutcomeCount - Ended> Reasons = {{
    {"serie già terminata (con una data di fine passata)",
     "serie già terminate (con una data di fine passata)"},
    {"evento che si ripete in altro modo (settimanale, mensile, ogni due anni)",
     "eventi che si ripetono in altro modo (settimanale, mensile, ogni due anni)"},
    {"evento con orario", "eventi con orario"},
    {"attività (VTODO)", "attività (VTODO)"},
    {"evento senza titolo", "eventi senza titolo"},
    {"evento illeggibile", "eventi illeggibili"},
}};

struct EventLine
{
    Outcome outcome;
    QString line;        // when Added
    bool hasEnd = false; // a series with an end still running, Added as yearly
};

// Whether libical could not read one of the event's `name` properties: it puts an X-LIC-ERROR
// in its place. Such errors for properties the import does not read (Google writes an empty
// DESCRIPTION and LOCATION in every event) do not matter.
bool unreadableProperty(icalcomponent *event, const char *name)
{
    const QByteArray said = QByteArray(" ") + name + " property";
    for (icalproperty *error = icalcomponent_get_first_property(event, ICAL_XLICERROR_PROPERTY);
         error; error = icalcomponent_get_next_property(event, ICAL_XLICERROR_PROPERTY)) {
        const QByteArray text(icalproperty_get_xlicerror(error));
        if (text.left(text.indexOf('.')).contains(said))
            return true;
    }
    return false;
}

// Once, or every year on the starting day: what the recurrence table can hold.
bool repeatsYearly(icalcomponent *event, const QDate &date)
{
    icalproperty *rule = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY);
    if (!rule)
        return true;
    if (icalcomponent_get_next_property(event, ICAL_RRULE_PROPERTY))
        return false;
    const icalrecurrencetype r = icalproperty_get_rrule(rule);
    const auto none = [](const short *list) { return list[0] == ICAL_RECURRENCE_ARRAY_MAX; };
    const auto just = [](const short *list, int value) {
        return list[0] == value && list[1] == ICAL_RECURRENCE_ARRAY_MAX;
    };
    // A month day without a month repeats in every month. The last day of the month counted
    // from its end is how a birthday on 29 February is written by some.
    const int fromEnd = date.day() - date.daysInMonth() - 1;
    return r.freq == ICAL_YEARLY_RECURRENCE && r.interval == 1 && none(r.by_second) &&
           none(r.by_minute) && none(r.by_hour) && none(r.by_day) && none(r.by_year_day) &&
           none(r.by_week_no) && none(r.by_set_pos) &&
           (none(r.by_month) || just(r.by_month, date.month())) &&
           (none(r.by_month_day) ||
            ((just(r.by_month_day, date.day()) || just(r.by_month_day, fromEnd)) &&
             just(r.by_month, date.month())));
}

// Whether a yearly series from `first`, ending after `count` days (0: no count) or on
// `until` (invalid: none), has no day left from `today` on. 29 February comes in leap years.
bool seriesEnded(const QDate &first, int count, const QDate &until, const QDate &today)
{
    int year = std::max(first.year(), today.year());
    QDate next(year, first.month(), first.day());
    while (!next.isValid() || next < today || next < first)
        next = QDate(++year, first.month(), first.day());
    const auto leapYearsBefore = [](int y) { return (y - 1) / 4 - (y - 1) / 100 + (y - 1) / 400; };
    const int before = first.month() == 2 && first.day() == 29
                           ? leapYearsBefore(year) - leapYearsBefore(first.year())
                           : year - first.year();
    return (count > 0 && before >= count) || (until.isValid() && next > until);
}

bool isTrue(icalcomponent *event, const char *xName)
{
    for (icalproperty *p = icalcomponent_get_first_property(event, ICAL_X_PROPERTY); p;
         p = icalcomponent_get_next_property(event, ICAL_X_PROPERTY)) {
        if (qstricmp(icalproperty_get_x_name(p), xName) == 0)
            return qstricmp(icalproperty_get_x(p), "TRUE") == 0;
    }
    return false;
}

// The day of an event that lasts whole days: a date, midnight to midnight of a later day (as
// Exchange writes some), or marked all-day by Outlook. Invalid for an event with a time.
QDate wholeDays(icalcomponent *event, const icaltimetype &start)
{
    const QDate date(start.year, start.month, start.day);
    if (start.is_date)
        return date;
    const icaltimetype end = icalcomponent_get_dtend(event);
    const auto midnight = [](const icaltimetype &t) {
        return !t.is_date && t.hour == 0 && t.minute == 0 && t.second == 0;
    };
    if (midnight(start) && midnight(end) && QDate(end.year, end.month, end.day) > date)
        return date;
    if (!isTrue(event, "X-MICROSOFT-CDO-ALLDAYEVENT") || !date.isValid())
        return {};
    // A time in UTC is the local midnight of the day.
    return icaltime_is_utc(start)
               ? QDateTime(date, QTime(start.hour, start.minute), Qt::UTC).toLocalTime().date()
               : date;
}

// The recurrence line of an event, when it is Added.
EventLine eventLine(icalcomponent *event, const QDate &today)
{
    icalproperty *start = icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY);
    if (!start || unreadableProperty(event, "RRULE"))
        return {Unreadable, {}};
    const icaltimetype day = icalproperty_get_dtstart(start);
    if (!day.is_date && !QDate(day.year, day.month, day.day).isValid())
        return {Unreadable, {}};
    const QDate date = wholeDays(event, day);
    if (!day.is_date && !date.isValid())
        return {Timed, {}};
    if (!date.isValid())
        return {Unreadable, {}};
    if (!repeatsYearly(event, date))
        return {OtherRule, {}};
    bool hasEnd = false;
    if (icalproperty *rule = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY)) {
        const icalrecurrencetype r = icalproperty_get_rrule(rule);
        const QDate until = icaltime_is_null_time(r.until)
                                ? QDate()
                                : QDate(r.until.year, r.until.month, r.until.day);
        if (seriesEnded(date, r.count, until, today))
            return {Ended, {}};
        hasEnd = r.count > 0 || until.isValid();
    }
    QString summary =
        QString::fromUtf8(icalcomponent_get_summary(event)).replace(u"\r\n"_s, u" "_s);
    summary = summary.replace(u'\r', u' ').replace(u'\n', u' ').trimmed();
    if (summary.isEmpty())
        return {NoTitle, {}};
    const std::optional<Holiday> holiday = nationalHoliday(date);
    if (holiday && holiday->pageLabel.compare(summary, Qt::CaseInsensitive) == 0)
        return {Present, {}};
    if (icalproperty *colour = icalcomponent_get_first_property(event, ICAL_COLOR_PROPERTY)) {
        for (const TagColour &tagColour : TagColours) {
            if (qstricmp(icalproperty_get_color(colour), tagColour.name) == 0)
                summary += u' ' + tagColour.tag.toString();
        }
    }
    return {Added, recurrenceLine(date.month(), date.day(), summary), hasEnd};
}

RecurrenceImport failed(const QString &error)
{
    RecurrenceImport result;
    result.error = error;
    return result;
}

} // namespace

IcsExport exportRecurrences(const QStringList &recurrenceLines, int fromYear,
                            std::optional<std::pair<int, int>> holidayYears, const QDateTime &stamp)
{
    IcsExport result;
    CalendarWriter writer(stamp);
    const std::vector<Entry> entries = tableEntries(recurrenceLines, result.skipped);
    const int firstYear = std::clamp(fromYear, FirstYear, LastYear);
    for (const Entry &entry : entries) {
        const int month = entry.day.month();
        const int day = entry.day.day();
        const bool leapDay = month == 2 && day == 29;
        int year = firstYear;
        while (leapDay && !isLeapYear(year))
            ++year;
        if (year > LastYear) {
            ++result.skipped;
            continue;
        }
        writer.add(QDate(year, month, day), entry.text, recurrenceLine(month, day, entry.text),
                   leapDay ? "FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=29" : "FREQ=YEARLY");
        ++result.exported;
    }
    if (holidayYears) {
        const int last = std::min(holidayYears->second, LastYear);
        // The yearly recurrences begin in the first year; 29 February is no holiday.
        for (int year = std::max(holidayYears->first, FirstYear); year <= last; ++year)
            writer.addHolidays(year, year >= firstYear ? entries : std::vector<Entry>{});
    }
    result.ics = writer.text();
    return result;
}

QByteArray yearCalendar(int year, const QStringList &recurrenceLines, const QDateTime &stamp)
{
    CalendarWriter writer(stamp);
    writer.addHolidays(year);
    int skipped = 0;
    for (const Entry &entry : tableEntries(recurrenceLines, skipped)) {
        const QDate date(year, entry.day.month(), entry.day.day());
        if (date.isValid() && !sameAsHoliday(entry.text, date))
            writer.add(date, entry.text, date.toString(Qt::ISODate) + u' ' + entry.text, nullptr);
    }
    return writer.text();
}

RecurrenceImport importRecurrences(const QByteArray &ics, const QStringList &existingLines,
                                   const QDate &today)
{
    if (ics.size() > IcsByteLimit)
        return failed(u"Il file iCalendar è troppo grande (più di 5 MB)"_s);
    if (ics.contains('\0'))
        return failed(u"Il file non è un calendario iCalendar valido"_s);
    // Not UTF-8: read as the data files are, in the Windows code page.
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = QString(utf8.decode(ics)).trimmed();
    const bool windows1252 = utf8.hasError();
    if (windows1252)
        text = decodeText(ics).trimmed();
    if (text.startsWith(u"BEGIN:VCARD", Qt::CaseInsensitive))
        return failed(u"Il file è una rubrica di contatti (vCard), non un calendario: usare "
                      u"\"Importa compleanni dai contatti (.vcf)…\""_s);
    if (!text.startsWith(u"BEGIN:VCALENDAR", Qt::CaseInsensitive))
        return failed(u"Il file non è un calendario iCalendar valido"_s);
    if (!text.endsWith(u"\nEND:VCALENDAR", Qt::CaseInsensitive))
        return failed(u"Il file iCalendar è incompleto"_s);
    const Component root(icalparser_parse_string(text.toUtf8().constData()), &icalcomponent_free);
    if (!root)
        return failed(u"Il file non è un calendario iCalendar valido"_s);

    // Calendars one after another in a file come inside one root.
    std::vector<icalcomponent *> calendars;
    if (icalcomponent_isa(root.get()) == ICAL_VCALENDAR_COMPONENT)
        calendars.push_back(root.get());
    for (icalcomponent *calendar =
             icalcomponent_get_first_component(root.get(), ICAL_VCALENDAR_COMPONENT);
         calendar;
         calendar = icalcomponent_get_next_component(root.get(), ICAL_VCALENDAR_COMPONENT))
        calendars.push_back(calendar);

    ImportTally tally(existingLines);
    if (windows1252)
        tally.addNote(u"Il file non era in UTF-8: è stato letto come Windows-1252."_s);
    std::array<int, OutcomeCount> counts{};
    int withEnd = 0;
    for (icalcomponent *calendar : calendars) {
        for (icalcomponent *item = icalcomponent_get_first_component(calendar, ICAL_ANY_COMPONENT);
             item; item = icalcomponent_get_next_component(calendar, ICAL_ANY_COMPONENT)) {
            counts[Task] += icalcomponent_isa(item) == ICAL_VTODO_COMPONENT;
            // A moved or changed day of a repeating event belongs to that event.
            if (icalcomponent_isa(item) != ICAL_VEVENT_COMPONENT ||
                icalcomponent_get_first_property(item, ICAL_RECURRENCEID_PROPERTY))
                continue;
            const EventLine event = eventLine(item, today);
            if (event.outcome == Added)
                withEnd += tally.add(event.line) && event.hasEnd;
            else if (event.outcome == Present)
                tally.addPresent();
            else
                ++counts[event.outcome];
        }
    }
    tally.addSkipped(std::span(counts).subspan(Ended), Reasons);
    if (withEnd > 0)
        tally.addNote(u"Aggiunte da serie che hanno una data di fine (nell'elenco si ripetono "
                      u"ogni anno, senza fine): %1."_s.arg(withEnd));
    return tally.result();
}

} // namespace velaria
