#include "icalendar.h"

#include "calendardate.h"
#include "holidays.h"
#include "recurrences.h"

#include <QCryptographicHash>
#include <QSet>
#include <QStringDecoder>

#include <libical/ical.h>

#include <algorithm>
#include <array>
#include <memory>
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

    void addHolidays(int year)
    {
        for (QDate date(year, 1, 1); date.isValid() && date.year() == year;
             date = date.addDays(1)) {
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
enum Outcome { Added, Present, OtherRule, Timed, Task, NoTitle, Unreadable, OutcomeCount };

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
    // A month day without a month repeats in every month.
    return r.freq == ICAL_YEARLY_RECURRENCE && r.interval == 1 && none(r.by_second) &&
           none(r.by_minute) && none(r.by_hour) && none(r.by_day) && none(r.by_year_day) &&
           none(r.by_week_no) && none(r.by_set_pos) &&
           (none(r.by_month) || just(r.by_month, date.month())) &&
           (none(r.by_month_day) ||
            (just(r.by_month_day, date.day()) && just(r.by_month, date.month())));
}

// The recurrence line of an event, when it is Added.
std::pair<Outcome, QString> eventLine(icalcomponent *event)
{
    icalproperty *start = icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY);
    if (!start || icalcomponent_get_first_property(event, ICAL_XLICERROR_PROPERTY))
        return {Unreadable, {}};
    const icaltimetype day = icalproperty_get_dtstart(start);
    const QDate date(day.year, day.month, day.day);
    if (!day.is_date)
        return {Timed, {}};
    if (!date.isValid())
        return {Unreadable, {}};
    if (!repeatsYearly(event, date))
        return {OtherRule, {}};
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
    return {Added, recurrenceLine(date.month(), date.day(), summary)};
}

IcsImport failed(const QString &error)
{
    IcsImport result;
    result.error = error;
    return result;
}

} // namespace

IcsExport exportRecurrences(const QStringList &recurrenceLines, int fromYear,
                            std::optional<std::pair<int, int>> holidayYears, const QDateTime &stamp)
{
    IcsExport result;
    CalendarWriter writer(stamp);
    for (const Entry &entry : tableEntries(recurrenceLines, result.skipped)) {
        const int month = entry.day.month();
        const int day = entry.day.day();
        const bool leapDay = month == 2 && day == 29;
        int year = std::clamp(fromYear, FirstYear, LastYear);
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
        for (int year = std::max(holidayYears->first, FirstYear); year <= last; ++year)
            writer.addHolidays(year);
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
        if (date.isValid())
            writer.add(date, entry.text, date.toString(Qt::ISODate) + u' ' + entry.text, nullptr);
    }
    return writer.text();
}

IcsImport importRecurrences(const QByteArray &ics, const QStringList &existingLines)
{
    if (ics.size() > IcsByteLimit)
        return failed(u"Il file iCalendar è troppo grande (più di 5 MB)"_s);
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = QString(decoder.decode(ics)).trimmed();
    if (decoder.hasError() || text.contains(QChar(0)))
        return failed(u"Il file iCalendar ha una codifica non valida (non UTF-8)"_s);
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

    IcsImport result;
    QSet<QString> present(existingLines.cbegin(), existingLines.cend());
    std::array<int, OutcomeCount> counts{};
    for (icalcomponent *calendar : calendars) {
        for (icalcomponent *item = icalcomponent_get_first_component(calendar, ICAL_ANY_COMPONENT);
             item; item = icalcomponent_get_next_component(calendar, ICAL_ANY_COMPONENT)) {
            counts[Task] += icalcomponent_isa(item) == ICAL_VTODO_COMPONENT;
            // A moved or changed day of a repeating event belongs to that event.
            if (icalcomponent_isa(item) != ICAL_VEVENT_COMPONENT ||
                icalcomponent_get_first_property(item, ICAL_RECURRENCEID_PROPERTY))
                continue;
            auto [outcome, line] = eventLine(item);
            if (outcome == Added && present.contains(line))
                outcome = Present;
            if (outcome == Added)
                result.added.append(*present.insert(line));
            ++counts[outcome];
        }
    }
    result.alreadyPresent = counts[Present];

    constexpr std::array<std::pair<const char *, const char *>, OutcomeCount - OtherRule> Reasons =
        {{
            {"evento che si ripete in altro modo (settimanale, mensile, ogni due anni)",
             "eventi che si ripetono in altro modo (settimanale, mensile, ogni due anni)"},
            {"evento con orario", "eventi con orario"},
            {"attività (VTODO)", "attività (VTODO)"},
            {"evento senza titolo", "eventi senza titolo"},
            {"evento illeggibile", "eventi illeggibili"},
        }};
    for (int outcome = OtherRule; outcome < OutcomeCount; ++outcome) {
        const int count = counts[outcome];
        const auto [one, many] = Reasons[outcome - OtherRule];
        if (count > 0)
            result.reasons.append(QString::number(count) + u' ' +
                                  QString::fromUtf8(count == 1 ? one : many));
        result.skipped += count;
    }
    return result;
}

} // namespace velaria
