#pragma once

#include "datafiles.h"
#include "pageexport.h"
#include "pageoutput.h"
#include "pagineoptions.h"
#include "picturecache.h"
#include "recurrences.h"

#include <QImage>
#include <QString>

#include <functional>

namespace velaria {

// One month's page at print resolution, as the page window composes it for that month.
struct MonthPage
{
    int month = 0;
    QString name;         // "OTTOBRE": the bitmap's name
    QString caption;      // "Ottobre 2027"
    ExportPage composed;  // dropped once written, for bitmaps
    QString pictureError; // empty when the picture was drawn or none was asked for
    QString writeError;   // empty when the page was written, or is still to be
};

// Makes the pages of a year, or of one month, from the data files and writes them out.
class YearExport
{
public:
    using Report = std::function<void(const QString &)>;

    // Reads the three data files of the options' data folder.
    explicit YearExport(PagineOptions options);

    // Warnings and failures, one line each, as they happen.
    void setMessageHandler(Report report) { m_message = std::move(report); }
    // One line for each page written, and one at the end.
    void setProgressHandler(Report report) { m_progress = std::move(report); }

    // Composes and writes every page; returns the exit status.
    [[nodiscard]] ExitStatus run();

private:
    // The page of one month (1 to 12) with its picture, written out when `write` says so.
    // Pages are made on several threads at once.
    MonthPage makePage(int month, PageOutput &output, bool write) const;
    void message(const QString &text) const;
    void progress(const QString &text) const;

    PagineOptions m_options;
    RecurrenceTable m_recurrences;
    QString m_recurrenceError; // why the recurrence file could not be read
    QString m_banner;
    PictureList m_pictures;
    Report m_message;
    Report m_progress;
};

} // namespace velaria
