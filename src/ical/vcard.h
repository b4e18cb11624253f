#pragma once

#include "recurrenceimport.h"

#include <QByteArray>
#include <QStringList>

// Birthdays and anniversaries from the contacts of an address book, as recurrence lines.
namespace velaria {

// The largest contacts file read: address books with photos are larger than calendars.
inline constexpr qsizetype VcfByteLimit = 20 * 1024 * 1024;

// The birthdays (BDAY) and anniversaries (ANNIVERSARY) of the contacts of a vCard file,
// version 2.1, 3.0 or 4.0, as the lines "MM/DD - Compleanno di NAME" and "MM/DD - Anniversario
// di NAME" not yet among `existingLines`; the name is FN, else made from N. UTF-8 or, when the
// bytes are not UTF-8, Windows-1252.
RecurrenceImport importBirthdays(const QByteArray &vcf, const QStringList &existingLines);

} // namespace velaria
