#pragma once

#include "recurrences.h"

#include <QDate>
#include <QString>

// The values the windows share for the whole run, under the names the windows use for them.
// The application owns one and hands it to every window.
namespace velaria {

struct WindowState
{
    QDate ShownDate;            // the date whose month the main window shows
    bool DateConfirmed = false; // returned by GetDate; nothing sets it
    int CellWidth = 0;          // one day cell of the month grid, twips
    int CellHeight = 0;
    int DaysInMonth = 0;    // of the shown month
    int GridOffset = 0;     // Monday-based column of the day before the 1st, 0 to 6
    QString NomeMese;       // month part of the caption, with its two trailing blanks
    QString AnnoMese;       // the caption's four-digit year
    QString Pubblicita;     // banner printed on the pages
    RecurrenceTable Ricorr; // recurrence texts by day and month

    QString dataFolder; // where the three data files live
    QString makerHost;  // the maker's web site
};

} // namespace velaria
