#include "yearexport.h"

#include "calendardate.h"
#include "datafiles.h"
#include "pagecomposer.h"
#include "pageoutput.h"

#include <algorithm>
#include <array>
#include <future>

namespace velaria {

YearExport::YearExport(PagineOptions options) : m_options(std::move(options))
{
    const RecurrenceLines recurrences = readRecurrenceLines(m_options.dataFolder);
    m_recurrences.readLines(recurrences.lines);
    m_recurrenceError = recurrences.error;
    m_banner = readBanner(m_options.dataFolder, makerHost());
    m_pictures = readPictureList(m_options.dataFolder);
}

void YearExport::compose(int month, MonthPage &page, PictureCache &cache) const
{
    PageContent content{m_options.year, month, m_banner, m_recurrences, {}};
    const LoadedPicture picture =
        loadMonthPicture(cache, m_pictures.paths[static_cast<std::size_t>(month - 1)]);
    content.picture = picture.image;
    page.month = month;
    page.name = pageFileName(month);
    page.caption = monthTitle(month) + u' ' + pageYear(m_options.year);
    page.pictureError = picture.error;
    composeSurface(content, CanvasScale, page.canvas);
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

    // The pages are composed ahead on other threads while the main thread writes them out in
    // order: decoding a picture and composing take longer than writing, so two pages are
    // composed at a time. Each slot keeps its page's memory and its own picture cache.
    const QList<int> months = m_options.months();
    constexpr qsizetype SlotCount = 3;
    struct Slot
    {
        MonthPage page;
        PictureCache cache;
        std::future<void> composed;
    };
    std::array<Slot, SlotCount> pageSlots;
    const auto startComposing = [this, &months, &pageSlots](qsizetype index) {
        Slot &slot = pageSlots[static_cast<std::size_t>(index % SlotCount)];
        slot.composed = std::async(std::launch::async, [this, &slot, month = months.at(index)] {
            compose(month, slot.page, slot.cache);
        });
    };
    for (qsizetype i = 0; i < std::min(SlotCount - 1, months.size()); ++i)
        startComposing(i);
    for (qsizetype i = 0; i < months.size(); ++i) {
        Slot &slot = pageSlots[static_cast<std::size_t>(i % SlotCount)];
        slot.composed.get();
        // The slot written last is free again.
        if (i + SlotCount - 1 < months.size())
            startComposing(i + SlotCount - 1);

        const MonthPage &page = slot.page;
        if (!page.pictureError.isEmpty()) {
            pictureMissing = true;
            message(QStringLiteral("%1: %2 La pagina è stata composta senza immagine.")
                        .arg(page.caption, page.pictureError));
        }
        if (const QString error = output.add(page.canvas, page.name); !error.isEmpty()) {
            message(error);
            return OutputFailed;
        }
        progress(
            QStringLiteral("Pagina %1 di %2: %3").arg(i + 1).arg(months.size()).arg(page.caption));
    }

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
