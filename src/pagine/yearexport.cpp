#include "yearexport.h"

#include "calendardate.h"
#include "datafiles.h"
#include "pagecomposer.h"
#include "pageoutput.h"

#include <QFontDatabase>
#include <QScopeGuard>
#include <QThread>

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <future>
#include <mutex>
#include <vector>

namespace velaria {

namespace {

// Threads composing pages at once. Each holds a page: some 25 MB for a bitmap, 40 MB for a page
// of a PDF. Two keep a year of bitmaps under 100 MB, and of a PDF under 120 MB, however many
// cores there are; with more, the writing, one page at a time, soon becomes what the others
// wait for.
constexpr int MaxComposingThreads = 2;

// Pictures in memory at once, some 12 MB each: one for each thread's page, and one read ahead.
constexpr int MaxPictures = MaxComposingThreads + 1;

} // namespace

YearExport::YearExport(PagineOptions options) : m_options(std::move(options))
{
    const RecurrenceLines recurrences = readRecurrenceLines(m_options.dataFolder);
    m_recurrences.readLines(recurrences.lines);
    m_recurrenceError = recurrences.error;
    m_banner = readBanner(m_options.dataFolder, makerHost());
    m_pictures = readPictureList(m_options.dataFolder);
}

LoadedPicture YearExport::readPictureOf(int month, QImage spare) const
{
    return readMonthPicture(m_pictures.paths[static_cast<std::size_t>(month - 1)],
                            std::move(spare));
}

void YearExport::compose(int month, LoadedPicture picture, MonthPage &page) const
{
    PageContent content{m_options.year, month, m_banner, m_recurrences, std::move(picture.image)};
    page.pictureError = picture.error;
    page.month = month;
    page.name = pageFileName(month);
    page.caption = monthTitle(month) + u' ' + pageYear(m_options.year);
    page.composed.compose(content, CanvasScale);
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

    // Two threads share two kinds of work: reading a month's picture, and composing its page
    // and writing it out (a bitmap at once, a page of the PDF once the pages before it are).
    // Reading comes first while fewer than MaxPictures pictures are in memory, so that the last
    // pictures are read early and the year ends with pages to write on both threads, not with
    // one thread still reading while the other waits. A written page's picture gives its
    // memory to a picture read later. The main thread reports each page in order once it is
    // written.
    const bool inOrder = output.takesPagesInOrder();
    const QList<int> months = m_options.months();
    struct Written
    {
        QString caption;
        QString pictureError;
        QString writeError;
        bool done = false;
    };
    struct Month
    {
        LoadedPicture picture;
        bool read = false;  // the picture is read, or could not be
        bool taken = false; // a thread composes the page
        Written written;
    };
    std::vector<Month> year(static_cast<std::size_t>(months.size()));
    const auto at = [&year](qsizetype index) -> Month & {
        return year[static_cast<std::size_t>(index)];
    };
    std::vector<QImage> spares; // the memory of pictures whose pages are written
    std::mutex mutex;
    std::condition_variable changed;
    qsizetype nextToRead = 0;
    qsizetype nextToTake = 0;  // the first month no thread has taken to compose
    qsizetype nextToWrite = 0; // in order; else the pages written so far
    int pictures = 0;          // being read, read, or on a page not written yet
    bool stopped = false;      // a page could not be written: no page is begun after it
    int running = 0;           // threads still working
    const auto readable = [&] { return nextToRead < months.size() && pictures < MaxPictures; };
    // The first month read and not taken, or -1.
    const auto composable = [&]() -> qsizetype {
        for (qsizetype i = nextToTake; i < nextToRead; ++i) {
            if (at(i).read && !at(i).taken)
                return i;
        }
        return -1;
    };
    const auto work = [&] {
        // However the thread ends, the main thread learns that it did; one that fails stops
        // the others too.
        const auto ended = qScopeGuard([&] {
            {
                const std::lock_guard lock(mutex);
                --running;
                if (std::uncaught_exceptions() > 0)
                    stopped = true;
            }
            changed.notify_all();
        });
        MonthPage page;
        for (;;) {
            qsizetype index = -1;
            bool reading = false;
            QImage spare;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] {
                    return stopped || readable() || composable() >= 0 ||
                           nextToTake == months.size();
                });
                if (stopped || nextToTake == months.size())
                    return;
                reading = readable();
                if (reading) {
                    index = nextToRead++;
                    ++pictures;
                    if (!spares.empty()) {
                        spare = std::move(spares.back());
                        spares.pop_back();
                    }
                } else {
                    index = composable();
                    at(index).taken = true;
                    while (nextToTake < months.size() && at(nextToTake).taken)
                        ++nextToTake;
                }
            }
            if (reading) {
                LoadedPicture picture = readPictureOf(months.at(index), std::move(spare));
                {
                    const std::lock_guard lock(mutex);
                    at(index).picture = std::move(picture);
                    at(index).read = true;
                }
                changed.notify_all();
                continue;
            }

            compose(months.at(index), std::move(at(index).picture), page);
            {
                // Waiting for the page before to be written kept both threads waiting in turn
                // for a tenth of the time; bitmaps, each a file of its own, do not wait.
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return stopped || !inOrder || nextToWrite == index; });
                if (stopped)
                    return;
            }
            QString error = output.add(page.composed, page.name);
            {
                const std::lock_guard lock(mutex);
                at(index).written = {page.caption, page.pictureError, error, true};
                stopped = stopped || !error.isEmpty();
                ++nextToWrite;
                --pictures;
                if (QImage picture = page.composed.takePicture(); !picture.isNull())
                    spares.push_back(std::move(picture));
            }
            changed.notify_all();
        }
    };
    const int threadCount = static_cast<int>(
        std::clamp<qsizetype>(std::min(QThread::idealThreadCount(), MaxComposingThreads), 1,
                              std::max<qsizetype>(months.size(), 1)));
    std::vector<std::future<void>> threads;
    running = threadCount;
    for (int i = 0; i < threadCount; ++i)
        threads.push_back(std::async(std::launch::async, work));
    // The system's fonts are looked up once for the whole program, by the first page that
    // sets a text; here that happens while the threads read their first pictures.
    (void)QFontDatabase::families();
    const auto finish = [&] {
        {
            const std::lock_guard lock(mutex);
            stopped = true;
        }
        changed.notify_all();
        // A thread that failed (out of memory) fails the program here.
        for (std::future<void> &thread : threads)
            thread.get();
    };

    for (qsizetype i = 0; i < months.size(); ++i) {
        Written page;
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return at(i).written.done || running == 0; });
            page = at(i).written;
        }
        if (!page.done) {
            finish();
            return OutputFailed;
        }
        if (!page.pictureError.isEmpty()) {
            pictureMissing = true;
            message(QStringLiteral("%1: %2 La pagina è stata composta senza immagine.")
                        .arg(page.caption, page.pictureError));
        }
        if (!page.writeError.isEmpty()) {
            finish();
            message(page.writeError);
            return OutputFailed;
        }
        progress(
            QStringLiteral("Pagina %1 di %2: %3").arg(i + 1).arg(months.size()).arg(page.caption));
    }
    finish();

    if (const QString error = output.close(); !error.isEmpty()) {
        message(error);
        return OutputFailed;
    }
    progress(QStringLiteral("Pagine scritte in %1.").arg(output.destination()));
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
