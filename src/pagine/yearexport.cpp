#include "yearexport.h"

#include "calendardate.h"
#include "datafiles.h"
#include "pagecomposer.h"
#include "pagelayout.h"

#include <QFontDatabase>
#include <QFuture>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

namespace velaria {

namespace {

// Threads composing pages at once. Each holds a page (some 25 MB) and its picture (12 MB). Two
// keep a year of bitmaps under 100 MB, however many cores there are; with more, the writing,
// one page at a time, soon becomes what the others wait for.
constexpr int MaxComposingThreads = 2;

// Pages begun and not yet reported: one more than the threads, so that a thread finds the next
// page to make while the page before waits to be written in its turn.
constexpr qsizetype PagesAhead = MaxComposingThreads + 1;

// A photo printed finer than this shows nothing more.
constexpr int PdfPictureDotsPerInch = 300;

} // namespace

YearExport::YearExport(PagineOptions options) : m_options(std::move(options))
{
    const RecurrenceLines recurrences = readRecurrenceLines(m_options.dataFolder);
    m_recurrences.readLines(recurrences.lines);
    m_recurrenceError = recurrences.error;
    m_banner = readBanner(m_options.dataFolder, makerHost());
    m_pictures = readPictureList(m_options.dataFolder);
}

YearExport::YearExport(PagineOptions options, RecurrenceTable recurrences, QString banner,
                       const std::array<QString, 12> &picturePaths)
    : m_options(std::move(options)), m_recurrences(std::move(recurrences)),
      m_banner(std::move(banner))
{
    m_pictures.paths = picturePaths;
}

MonthPage YearExport::makePage(int month, PageOutput &output, bool write) const
{
    MonthPage page;
    page.month = month;
    page.skipped = cancelled();
    if (page.skipped)
        return page;
    // A PDF takes the picture at up to 300 dots per inch of its box on the sheet.
    const int pdfHeight = sheetPictureHeight(m_options.sheet().place, PdfPictureDotsPerInch);
    LoadedPicture picture = readMonthPicture(m_pictures.paths[static_cast<std::size_t>(month - 1)],
                                             write ? 0 : pdfHeight);
    if (!write)
        picture.image = reducedPicture(picture.image, pdfHeight);
    page.name = pageFileName(month);
    page.caption = monthTitle(month) + u' ' + pageYear(m_options.year);
    page.pictureError = picture.error;
    page.content = {m_options.year, month, m_banner, m_recurrences, std::move(picture.image)};
    if (write) {
        page.composed.compose(page.content, CanvasScale);
        page.content = {};
        page.writeError = output.add(page.composed, page.name);
        page.composed = {};
    }
    return page;
}

ExitStatus YearExport::run()
{
    // A picture list that cannot be read names no picture at all: no page gets the picture it
    // should have. Lines past the twelfth only earn a warning. No picture list at all is a
    // calendar whose pictures were never chosen: pages without pictures, as asked.
    bool pictureMissing = false;
    if (!m_pictures.error.isEmpty() && !m_pictures.missing) {
        const bool noPaths = std::all_of(m_pictures.paths.begin(), m_pictures.paths.end(),
                                         [](const QString &path) { return path.isEmpty(); });
        if (noPaths) {
            message(m_pictures.error + QStringLiteral("; le pagine sono composte senza immagini."));
            pictureMissing = true;
        } else {
            message(QStringLiteral("Attenzione: ") + m_pictures.error + u'.');
        }
    }

    if (!m_recurrenceError.isEmpty()) {
        message(QStringLiteral("Attenzione: ") + m_recurrenceError +
                QStringLiteral("; le pagine sono composte senza ricorrenze."));
    }

    PageOutput output(m_options);
    if (const QString error = output.open(); !error.isEmpty()) {
        message(error);
        return OutputFailed;
    }

    // Each page is made on one of the pool's threads: its picture read and, for bitmaps, the
    // page composed and written at once. The pages of a PDF are drawn on it here, one at a
    // time, in month order; every page is reported in that order.
    const bool inOrder = output.takesPagesInOrder();
    const QList<int> months = m_options.months();
    QThreadPool pool;
    pool.setMaxThreadCount(MaxComposingThreads);
    QList<QFuture<MonthPage>> pages;
    const auto begin = [&] {
        const int month = months.at(pages.size());
        pages << QtConcurrent::run(
            &pool, [this, &output, month, inOrder] { return makePage(month, output, !inOrder); });
    };
    while (pages.size() < std::min(PagesAhead, months.size()))
        begin();
    // The system's fonts are looked up once for the whole program, by the first page that
    // sets a text; here that happens while the threads read their first pictures.
    (void)QFontDatabase::families();
    // After a failure no page is begun; those begun end before the pool goes.
    const auto fail = [&](const QString &error) {
        pool.clear();
        message(error);
        return OutputFailed;
    };

    m_destination = output.destination();
    for (qsizetype i = 0; i < pages.size(); ++i) {
        // A page that could not be made (out of memory) fails the program here. Once cancelled,
        // the pages begun are taken all the same: those made before are written bitmaps.
        MonthPage page = pages[i].takeResult();
        pages[i] = {};
        const bool stop = cancelled();
        if (!stop && pages.size() < months.size())
            begin();
        if (page.skipped || (inOrder && stop))
            continue;
        if (inOrder)
            page.writeError = output.add(page.content, page.name);
        if (!page.pictureError.isEmpty()) {
            pictureMissing = true;
            m_withoutPicture << page.month;
            message(QStringLiteral("%1: %2 La pagina è stata composta senza immagine.")
                        .arg(page.caption, page.pictureError));
        }
        if (!page.writeError.isEmpty())
            return fail(page.writeError);
        m_written << page.month;
        progress(
            QStringLiteral("Pagina %1 di %2: %3").arg(i + 1).arg(months.size()).arg(page.caption));
        if (m_pageDone)
            m_pageDone(static_cast<int>(i) + 1, static_cast<int>(months.size()));
    }

    // A PDF begun is dropped, a print job not sent, when the output goes unclosed.
    if (cancelled())
        return Cancelled;
    if (const QString error = output.close(); !error.isEmpty()) {
        message(error);
        return OutputFailed;
    }
    progress(QStringLiteral("Pagine scritte in %1.").arg(m_destination));
    return pictureMissing ? PictureMissing : Done;
}

void YearExport::message(const QString &text) const
{
    if (m_message)
        m_message(text);
}

void YearExport::progress(const QString &text) const
{
    if (m_progress)
        m_progress(text);
}

} // namespace velaria
