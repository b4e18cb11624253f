// The vCard reader is the program's own: no Qt 6 vCard library is packaged for Debian 12, and
// the program needs only the names and two dates of a card. It reads the forms address books
// and phones write: folded lines, groups ("item1.BDAY", Apple's anniversary as a date whose
// group has the label "_$!<Anniversary>!$_"), vCard 2.1's quoted-printable values and
// charsets, 3.0 and 4.0's escapes and dates without a year.
#include "vcard.h"

#include "recurrences.h"
#include "textfile.h"

#include <QDate>
#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>

using namespace Qt::StringLiterals;

namespace velaria {

namespace {

// Dates skipped, in the order the reasons list them.
enum Skip { Textual, Unreadable, NoName, SkipCount };
constexpr std::array<std::pair<const char *, const char *>, SkipCount> Reasons = {{
    {"data scritta come testo (VALUE=text)", "date scritte come testo (VALUE=text)"},
    {"data illeggibile", "date illeggibili"},
    {"data di un contatto senza nome", "date di contatti senza nome"},
}};

// Besides vCard 4.0's own, as Evolution and KAddressBook write an anniversary.
const QList<QByteArray> AnniversaryNames = {
    "ANNIVERSARY", "X-ANNIVERSARY", "X-EVOLUTION-ANNIVERSARY", "X-KADDRESSBOOK-X-ANNIVERSARY"};

// One content line, "group.NAME;PARAMETER=x;PARAMETER:value"; name and parameters in upper
// case, without the group.
struct Property
{
    QByteArray group;
    QByteArray name;
    QList<QByteArray> parameters;
    QByteArray value;

    // The value of a parameter ("CHARSET=UTF-8"), or the parameter given bare as vCard 2.1
    // allows ("QUOTED-PRINTABLE" for "ENCODING=QUOTED-PRINTABLE").
    QByteArray parameter(const QByteArray &key) const
    {
        for (const QByteArray &parameter : parameters) {
            if (parameter.startsWith(key + '='))
                return parameter.mid(key.size() + 1).replace('"', "");
        }
        return {};
    }
    bool quotedPrintable() const
    {
        return parameter("ENCODING") == "QUOTED-PRINTABLE" ||
               parameters.contains("QUOTED-PRINTABLE");
    }
};

std::optional<Property> parseProperty(const QByteArray &line)
{
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == '"') {
            quoted = !quoted;
        } else if (line[i] == ':' && !quoted) {
            QList<QByteArray> head = line.left(i).toUpper().split(';');
            Property property;
            property.name = head.takeFirst().trimmed();
            property.group = property.name.left(property.name.lastIndexOf('.') + 1);
            property.name.remove(0, property.group.size());
            property.parameters = head;
            property.value = line.mid(i + 1);
            return property;
        }
    }
    return std::nullopt;
}

// The content lines: a line that starts with a blank continues the one before, and so does
// one after a quoted-printable value ending in "=".
QList<QByteArray> contentLines(const QByteArray &bytes)
{
    QList<QByteArray> lines;
    for (QByteArray line : bytes.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (!lines.isEmpty() && (line.startsWith(' ') || line.startsWith('\t'))) {
            lines.last() += line.mid(1);
        } else if (!lines.isEmpty() && lines.last().endsWith('=') &&
                   lines.last()
                       .left(lines.last().indexOf(':'))
                       .toUpper()
                       .contains("QUOTED-PRINTABLE")) {
            lines.last().chop(1);
            lines.last() += line;
        } else if (!line.isEmpty()) {
            lines.append(line);
        }
    }
    return lines;
}

QByteArray fromQuotedPrintable(const QByteArray &value)
{
    const auto hex = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
    QByteArray bytes;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == '=' && i + 2 < value.size() && hex(value[i + 1]) && hex(value[i + 2])) {
            bytes += static_cast<char>(value.mid(i + 1, 2).toInt(nullptr, 16));
            i += 2;
        } else {
            bytes += value[i];
        }
    }
    return bytes;
}

// The value's text: quoted-printable undone, in its charset, else in the file's encoding.
QString valueText(const Property &property, bool utf8File)
{
    const QByteArray bytes =
        property.quotedPrintable() ? fromQuotedPrintable(property.value) : property.value;
    if (const QByteArray charset = property.parameter("CHARSET"); !charset.isEmpty()) {
        QStringDecoder decoder(charset.constData());
        if (decoder.isValid())
            return decoder(bytes);
    }
    if (property.quotedPrintable())
        return decodeText(bytes);
    return utf8File ? QString::fromUtf8(bytes) : QStringDecoder("windows-1252")(bytes);
}

// A text value's parts between unescaped ";", with "\," "\;" "\\" and "\n" resolved.
QStringList textParts(const QString &value)
{
    QStringList parts(1);
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == u';') {
            parts.append(QString());
        } else if (value[i] == u'\\' && i + 1 < value.size()) {
            const QChar next = value[++i];
            parts.last() += next == u'n' || next == u'N' ? QChar(u' ') : next;
        } else {
            parts.last() += value[i];
        }
    }
    return parts;
}

// The day of a date, "1990-05-04", "19900504", "--0504" or "--05-04", with or without a time
// after "T" (Apple writes the year 1604 for a date without one). Invalid when it is none.
QDate monthAndDay(QByteArray value)
{
    value = value.trimmed();
    if (const qsizetype time = value.indexOf('T'); time >= 0)
        value.truncate(time);
    static const QRegularExpression form(u"^(?:\\d{4}|--)-?(\\d\\d)-?(\\d\\d)$"_s);
    const QRegularExpressionMatch match = form.match(QString::fromLatin1(value));
    return match.hasMatch() ? QDate(2000, match.captured(1).toInt(), match.captured(2).toInt())
                            : QDate();
}

struct Card
{
    QString formattedName;
    QStringList nameParts;                     // family, given, additional, prefixes, suffixes
    QList<std::pair<QString, Property>> dates; // "Compleanno di " or "Anniversario di "
    QList<Property> labelledDates;             // Apple's, named by the label of their group
    QList<Property> labels;
};

QString cardName(const Card &card)
{
    const QString name = card.formattedName.simplified();
    const QStringList &n = card.nameParts;
    return name.isEmpty() ? QStringList{n.value(1), n.value(2), n.value(0)}.join(u' ').simplified()
                          : name;
}

RecurrenceImport failed(const QString &error)
{
    RecurrenceImport result;
    result.error = error;
    return result;
}

} // namespace

RecurrenceImport importBirthdays(const QByteArray &vcf, const QStringList &existingLines)
{
    if (vcf.size() > VcfByteLimit)
        return failed(u"Il file dei contatti è troppo grande (più di 20 MB)"_s);
    QByteArray bytes = vcf.startsWith("\xEF\xBB\xBF") ? vcf.mid(3) : vcf;
    bytes = bytes.trimmed();
    if (bytes.left(15).toUpper() == "BEGIN:VCALENDAR")
        return failed(u"Il file è un calendario iCalendar, non una rubrica di contatti: usare "
                      u"\"Importa da iCalendar (.ics)…\""_s);
    if (bytes.contains('\0') || !bytes.left(11).toUpper().startsWith("BEGIN:VCARD"))
        return failed(u"Il file non è una rubrica di contatti vCard valida"_s);
    if (!bytes.right(10).toUpper().endsWith("END:VCARD"))
        return failed(u"Il file dei contatti è incompleto"_s);
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString whole = utf8(bytes); // decoded only to learn whether the bytes are UTF-8
    const bool utf8File = !utf8.hasError();

    ImportTally tally(existingLines);
    if (!utf8File)
        tally.addNote(u"Il file non era in UTF-8: è stato letto come Windows-1252."_s);
    std::array<int, SkipCount> counts{};
    int withoutDates = 0;
    std::optional<Card> card;
    for (const QByteArray &line : contentLines(bytes)) {
        const std::optional<Property> property = parseProperty(line);
        if (!property)
            continue;
        const auto cardBoundary = [&property](const char *name) {
            return property->name == name && property->value.trimmed().toUpper() == "VCARD";
        };
        if (cardBoundary("BEGIN")) {
            card.emplace();
        } else if (!card) {
            continue;
        } else if (property->name == "FN") {
            card->formattedName = textParts(valueText(*property, utf8File)).join(u';');
        } else if (property->name == "N") {
            card->nameParts = textParts(valueText(*property, utf8File));
        } else if (property->name == "BDAY") {
            card->dates.append({u"Compleanno di "_s, *property});
        } else if (AnniversaryNames.contains(property->name)) {
            card->dates.append({u"Anniversario di "_s, *property});
        } else if (property->name == "X-ABDATE" && !property->group.isEmpty()) {
            card->labelledDates.append(*property);
        } else if (property->name == "X-ABLABEL") {
            card->labels.append(*property);
        } else if (cardBoundary("END")) {
            for (const Property &date : std::as_const(card->labelledDates)) {
                const auto label = std::ranges::find(card->labels, date.group, &Property::group);
                if (label != card->labels.end() && label->value.contains("<Anniversary>"))
                    card->dates.append({u"Anniversario di "_s, date});
            }
            const QString name = cardName(*card);
            withoutDates += card->dates.isEmpty();
            for (const auto &[what, date] : std::as_const(card->dates)) {
                const QDate day = monthAndDay(date.value);
                if (date.parameter("VALUE") == "TEXT")
                    ++counts[Textual];
                else if (!day.isValid())
                    ++counts[Unreadable];
                else if (name.isEmpty())
                    ++counts[NoName];
                else
                    tally.add(recurrenceLine(day.month(), day.day(), what + name));
            }
            card.reset();
        }
    }
    tally.addSkipped(counts, Reasons);
    if (withoutDates > 0)
        tally.addNote(u"Contatti senza compleanno né anniversario: %1."_s.arg(withoutDates));
    return tally.result();
}

} // namespace velaria
