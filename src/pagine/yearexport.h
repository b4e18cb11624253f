#pragma once

#include "datafiles.h"
#include "pageexport.h"
#include "pageoutput.h"
#include "pagineoptions.h"
#include "picturecache.h"
#include "recurrences.h"

#include <QImage>
#include <QString>

#include <array>
#include <functional>

namespace velaria {

// One month's page as the page window composes it for that month: at print resolution for a
// bitmap, its content for a PDF.
struct MonthPage
{
    int month = 0;
    QString name;         // "OTTOBRE": the bitmap's name
    QString caption;      // "Ottobre 2027"
    ExportPage composed;  // a bitmap's, dropped once written
    PageContent content;  // a PDF's, drawn on it in turn
    QString pictureError; // empty when the picture was drawn or none was asked for
    QString writeError;   // empty when the page was written, or is still to be
    bool skipped = false; // not made: the export was cancelled before its turn
};

// Makes the pages of a year, or of one month, from the data files and writes them out.
class YearExport
{
public:
    using Report = std::function<void(const QString &)>;

    // Reads the three data files of the options' data folder.
    explicit YearExport(PagineOptions options);
    // The calendar as a window holds it, which may differ from its files: a picture path typed
    // and not yet saved.
    YearExport(PagineOptions options, RecurrenceTable recurrences, QString banner,
               const std::array<QString, 12> &picturePaths);

    // Warnings and failures, one line each, as they happen.
    void setMessageHandler(Report report) { m_message = std::move(report); }
    // One line for each page written, and one at the end.
    void setProgressHandler(Report report) { m_progress = std::move(report); }

    // After each page written, how many of how many are done. On run()'s thread.
    void setPageHandler(std::function<void(int done, int count)> handler)
    {
        m_pageDone = std::move(handler);
    }
    // Asked before each page is begun and written: once it says yes, no page is begun, no
    // PDF is kept and no job is sent; bitmaps already written stay. May be asked on any thread.
    void setCancelCheck(std::function<bool()> cancelled) { m_cancelled = std::move(cancelled); }

    // Composes and writes every page; returns the exit status.
    [[nodiscard]] ExitStatus run();

    // After run(): the months whose page was written (bitmaps: whose file is there), and
    // those whose page lacks its picture; where the pages went, for messages.
    const QList<int> &writtenMonths() const { return m_written; }
    const QList<int> &monthsWithoutPicture() const { return m_withoutPicture; }
    const QString &destination() const { return m_destination; }

private:
    // The page of one month (1 to 12) with its picture, written out when `write` says so.
    // Pages are made on several threads at once.
    MonthPage makePage(int month, PageOutput &output, bool write) const;
    void message(const QString &text) const;
    void progress(const QString &text) const;
    bool cancelled() const { return m_cancelled && m_cancelled(); }

    PagineOptions m_options;
    RecurrenceTable m_recurrences;
    QString m_recurrenceError; // why the recurrence file could not be read
    QString m_banner;
    PictureList m_pictures;
    Report m_message;
    Report m_progress;
    std::function<void(int, int)> m_pageDone;
    std::function<bool()> m_cancelled;
    QList<int> m_written;
    QList<int> m_withoutPicture;
    QString m_destination;
};

} // namespace velaria
