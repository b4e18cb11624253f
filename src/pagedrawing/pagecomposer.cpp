#include "pagecomposer.h"

#include "calendardate.h"
#include "holidays.h"
#include "largeimage.h"
#include "pagesurface.h"
#include "twips.h"

#include <QPainter>
#include <QRegion>

#include <algorithm>
#include <array>
#include <cmath>

namespace velaria {

namespace {

constexpr Rgb TitleColour{128, 0, 0};
constexpr Rgb TitleRuleColour{128, 128, 128};
constexpr Rgb RuleColour{0, 0, 0};
constexpr Rgb BannerColour{224, 224, 224};
constexpr Rgb BannerTextColour{64, 64, 64};
constexpr Rgb Paper{255, 255, 255};

const QString SansFont = QStringLiteral("Arial");
const QString SerifFont = QStringLiteral("Times New Roman");

constexpr int RuleLeft = 100;
constexpr int RuleRight = 8000;
constexpr int RowHeight = 350;
// More characters than a day's label line shows across the whole page: a longer label (a
// recurrence of megabytes in a damaged file) would only cost seconds to lay out.
constexpr qsizetype LabelShown = 1000;

// A column of the day block: its days and where their texts go.
struct DayColumn
{
    int firstDay;
    int lastDay; // the month's last day for the third column
    int numberX;
    int labelX;
};

constexpr std::array<DayColumn, 3> DayColumns = {
    {{1, 10, 200, 550}, {11, 20, 2600, 3150}, {21, 31, 5300, 5850}}};

// The first column moves a Sunday's one-digit number a little left, except the 1st.
int sundayShift(int day)
{
    if (day == 1)
        return 5;
    if (day == 10)
        return 0;
    if (day < 10)
        return -10;
    return 5;
}

} // namespace

QList<PageDayEntry> pageDays(const PageContent &page)
{
    QList<PageDayEntry> days;
    if (page.month < 1 || page.month > 12)
        return days;
    const int last = monthLength(page.year, page.month);
    for (std::size_t c = 0; c < DayColumns.size(); ++c) {
        const DayColumn &column = DayColumns[c];
        for (int day = column.firstDay; day <= std::min(column.lastDay, last); ++day) {
            const QDate date(page.year, page.month, day);
            PageDayEntry entry;
            entry.day = day;
            entry.column = static_cast<int>(c);
            entry.row = day - column.firstDay + 1;
            entry.weekday = weekdayName(date);
            entry.sunday = mondayColumn(date) == 6;
            entry.numberX = day == 10 ? 0 : column.numberX;
            entry.colour = colours::Ordinary;
            if (entry.sunday) {
                entry.numberX += sundayShift(day);
                entry.colour = colours::Sunday;
            }
            const PageDayMark mark = pageDayMark(page.recurrences, date);
            if (mark.colour)
                entry.colour = *mark.colour;
            entry.label = mark.label;
            entry.numberY = 6560 + RowHeight * entry.row;
            entry.labelX = column.labelX;
            entry.labelY = 6600 + RowHeight * entry.row;
            days << entry;
        }
    }
    return days;
}

int weekdayTop(int scale)
{
    return scale == 1 ? 6740 : 6770;
}

QSize surfaceSize(int scale)
{
    return {px(PageWidth * scale), px(PageHeight * scale)};
}

int picturePixelHeight(int scale)
{
    return px(PictureHeight * scale);
}

LoadedPicture loadMonthPicture(PictureCache &cache, const QString &path)
{
    if (path.trimmed().isEmpty())
        return {};
    return cache.load(path, picturePixelHeight(CanvasScale));
}

LoadedPicture readMonthPicture(const QString &path, QImage spare)
{
    if (path.trimmed().isEmpty())
        return {};
    return readPicture(path, picturePixelHeight(CanvasScale), std::move(spare));
}

void readMonthPictureAhead(PictureCache &cache, const QString &path)
{
    if (!path.trimmed().isEmpty())
        cache.readAhead(path, picturePixelHeight(CanvasScale));
}

namespace {

// Where the picture goes on a surface of this scale, in its pixels: 6000 twips high, as wide
// as its proportions make it, centred across the page however wide that is. Its size comes
// first, so that a picture already brought to that size lands where the picture it was made
// from would. Empty for no picture.
QRect pictureTarget(const QImage &picture, int scale)
{
    if (picture.isNull())
        return {};
    const int height = picturePixelHeight(scale);
    const auto width = static_cast<int>(
        std::lround(static_cast<double>(picture.width()) * height / picture.height()));
    if (width <= 0 || height <= 0)
        return {};
    const auto left = static_cast<int>(std::floor((surfaceSize(scale).width() - width) / 2.0));
    return {left, px(PictureTop * scale), width, height};
}

void drawPicture(PageSurface &surface, const QImage &picture, int scale)
{
    surface.drawPicture(picture, pictureTarget(picture, scale));
}

// The pixels the picture covers on a surface of this scale; empty for none.
QRect pictureArea(const QImage &picture, int scale)
{
    return pictureTarget(picture, scale) & QRect(QPoint(0, 0), surfaceSize(scale));
}

} // namespace

QImage pagePicture(const QImage &picture, int scale)
{
    const QRect target = pictureTarget(picture, scale);
    if (target.isEmpty() || target.size() == picture.size() || picture.hasAlphaChannel() ||
        picture.height() * 10 < target.height() * 9 ||
        target.width() > surfaceSize(scale).width()) {
        return picture;
    }
    QImage drawn = largeImage(target.size(), picture.format());
    QPainter painter(&drawn);
    PageSurface surface(painter, scale);
    surface.drawPicture(picture, drawn.rect());
    return drawn;
}

PictureCache canvasPictureCache()
{
    return PictureCache(PictureCache::DefaultByteLimit,
                        [](const QImage &picture) { return pagePicture(picture, CanvasScale); });
}

namespace {

PageText pageText(const PageContent &page)
{
    return {page.year, page.month, page.banner, pageDays(page)};
}

// Everything but the picture. Nothing of it reaches the picture's rows: the title starts at
// 6360 twips, the picture ends at 6250.
void drawTexts(PageSurface &surface, const PageText &text, int scale)
{
    // Title and year.
    const QString title = pageTitle(text.month);
    surface.setColour(TitleColour);
    surface.setFontName(SansFont);
    surface.setBold(false);
    surface.setPosition(250, 6360);
    surface.setFontSize(24);
    surface.drawText(title);
    surface.setPosition(6700, 6360);
    surface.drawText(pageYear(text.year));

    // Rules: under the title, between the rows, and the short one closing the eleventh row of
    // the third column.
    surface.fillBox(RuleLeft, 6900, RuleRight, 6900, TitleRuleColour);
    for (int y = 7250; y <= 10400; y += RowHeight)
        surface.fillBox(RuleLeft, y, RuleRight, y, RuleColour);
    surface.fillBox(5400, 10750, RuleRight, 10750, RuleColour);

    // The banner tab with its slanted end and its base line.
    surface.fillBox(RuleLeft, 10600, 4300, 10950, BannerColour);
    for (int k = 1; k <= 1000; ++k)
        surface.fillBox(4300 + k, 10600 + k / 2.8, 4300 + k, 10950, BannerColour);
    surface.fillBox(RuleLeft, 10950, RuleRight, 10950, BannerColour);

    surface.setPosition(150, 10680);
    surface.setBold(false);
    surface.setFontSize(8);
    surface.setColour(BannerTextColour);
    surface.drawText(text.banner);

    // The days.
    surface.setFontName(SerifFont);
    surface.setColour(colours::Ordinary);
    const int weekdayRow = weekdayTop(scale);
    for (const PageDayEntry &entry : text.days) {
        surface.setPosition(entry.numberX, entry.numberY);
        surface.setFontSize(18);
        surface.setBold(entry.sunday);
        surface.setColour(entry.colour);
        surface.drawText(u' ' + QString::number(entry.day));

        surface.setPosition(entry.labelX, entry.labelY);
        surface.setBold(false);
        surface.setFontSize(6);
        surface.drawText(entry.label.left(LabelShown));

        surface.setPosition(entry.labelX, weekdayRow + RowHeight * entry.row);
        surface.setColour(colours::Ordinary);
        surface.drawText(entry.weekday);
    }
}

// The pixels the picture covers on a surface of this scale and paints over whole, hiding
// what was there; empty for none, or for a picture with transparent parts.
QRect opaqueArea(const QImage &picture, int scale)
{
    return picture.hasAlphaChannel() ? QRect() : pictureArea(picture, scale);
}

// Paints the paper on `area` of `surface` but for `covered`.
void fillPaper(QImage &surface, const QRect &area, const QRect &covered)
{
    QPainter painter(&surface);
    for (const QRect &rect : QRegion(area).subtracted(covered))
        painter.fillRect(rect, toQColor(Paper));
}

// A surface of this scale, white but for `covered`, which what is drawn next paints over;
// its memory is `surface`'s when nothing else shares it. A picture covers half the page:
// whitening it first took as long as drawing the texts.
void clearSurface(QImage &surface, int scale, const QRect &covered)
{
    const QSize size = surfaceSize(scale);
    if (surface.size() != size || surface.format() != QImage::Format_RGB32 || !surface.isDetached())
        surface = largeImage(size, QImage::Format_RGB32);
    // 96 dots per inch: a point is 4/3 of a pixel, as on the screen the twips are made for.
    surface.setDotsPerMeterX(3780);
    surface.setDotsPerMeterY(3780);
    fillPaper(surface, surface.rect(), covered);
}

// Brings one surface of a composed page to `page`, whose texts are `text`; `sameText` tells
// whether the surface's record says it shows those texts already.
void updateSurface(const PageContent &page, const PageText &text, bool sameText, int scale,
                   QImage &surface, SurfaceRecord &record)
{
    const qint64 pictureKey =
        pictureTarget(page.picture, scale).isEmpty() ? 0 : page.picture.cacheKey();
    const QRect area = pictureArea(page.picture, scale);
    const bool known = record.key != 0 && surface.cacheKey() == record.key &&
                       surface.size() == surfaceSize(scale) &&
                       surface.format() == QImage::Format_RGB32;
    const bool samePicture = known && record.pictureKey == pictureKey && record.picture == area;
    if (known && samePicture && sameText)
        return;

    if (!known || (!samePicture && !sameText)) {
        clearSurface(surface, scale, opaqueArea(page.picture, scale));
        QPainter painter(&surface);
        painter.setRenderHint(QPainter::TextAntialiasing);
        PageSurface drawing(painter, scale);
        drawPicture(drawing, page.picture, scale);
        drawTexts(drawing, text, scale);
    } else {
        // Only one of the two changed; the other stays where it is, since neither reaches
        // into the other's pixels.
        QPainter painter(&surface);
        painter.setRenderHint(QPainter::TextAntialiasing);
        PageSurface drawing(painter, scale);
        const QColor paper = toQColor(Paper);
        if (!samePicture) {
            // The old picture goes, but for the pixels that an opaque new one covers anyway.
            for (const QRect &rect :
                 QRegion(record.picture).subtracted(opaqueArea(page.picture, scale)))
                painter.fillRect(rect, paper);
            drawPicture(drawing, page.picture, scale);
        } else {
            for (const QRect &rect : QRegion(surface.rect()).subtracted(area))
                painter.fillRect(rect, paper);
            drawTexts(drawing, text, scale);
        }
    }
    record = {surface.cacheKey(), area, pictureKey};
}

} // namespace

void drawPage(QPainter &painter, const PageContent &page, int scale)
{
    PageSurface surface(painter, scale);
    drawPicture(surface, page.picture, scale);
    drawTexts(surface, pageText(page), scale);
}

void composeSurface(const PageContent &page, int scale, QImage &surface)
{
    clearSurface(surface, scale, opaqueArea(page.picture, scale));
    QPainter painter(&surface);
    painter.setRenderHint(QPainter::TextAntialiasing);
    drawPage(painter, page, scale);
}

namespace {

// Rows of a band: a few hundred kilobytes, which stay in the processor's cache while the
// picture is drawn on them and they are converted for the bitmap.
constexpr int BandRows = 32;

// Whether the page's picture comes out the same drawn a band of rows at a time: no picture, or
// one that pixman enlarges or reduces, each row from the same source pixels whatever the band.
bool drawnInBands(const QImage &picture, const QRect &target)
{
    return picture.isNull() || target.isEmpty() ||
           (picture.format() == QImage::Format_RGB32 && picture.size() != target.size() &&
            picture.width() < 2 * target.width() && picture.height() < 2 * target.height());
}

} // namespace

void ExportPage::compose(const PageContent &page, int scale)
{
    m_picture = page.picture;
    m_target = pictureTarget(page.picture, scale);
    m_bandDrawn = false;
    if (!drawnInBands(page.picture, m_target)) {
        m_bandedRows = 0;
        composeSurface(page, scale, m_surface);
        return;
    }
    m_bandedRows = px(PictureTop * scale) + picturePixelHeight(scale);
    clearSurface(m_surface, scale, QRect(0, 0, surfaceSize(scale).width(), m_bandedRows));
    QPainter painter(&m_surface);
    painter.setRenderHint(QPainter::TextAntialiasing);
    PageSurface drawing(painter, scale);
    drawTexts(drawing, pageText(page), scale);
}

const QImage &ExportPage::whole()
{
    if (m_bandedRows > 0) {
        fillPaper(m_surface, QRect(0, 0, m_surface.width(), m_bandedRows), m_target);
        if (!m_target.isEmpty())
            scalePicture(m_picture, m_surface, m_target);
        m_bandedRows = 0;
    }
    return m_surface;
}

BitmapRows ExportPage::bitmapRows()
{
    return {m_surface.size(), m_surface.dotsPerMeterX(), m_surface.dotsPerMeterY(),
            [this](int y) { return row(y); }};
}

const quint32 *ExportPage::row(int y)
{
    if (y >= m_bandedRows)
        return reinterpret_cast<const quint32 *>(m_surface.constScanLine(y));
    if (!m_bandDrawn || y < m_bandTop || y >= m_bandTop + m_band.height()) {
        if (m_band.width() != m_surface.width())
            m_band = QImage(m_surface.width(), BandRows, QImage::Format_RGB32);
        // A bitmap is written from the bottom up: the band ends at the row asked for.
        m_bandTop = std::max(0, y - BandRows + 1);
        const QRect target = m_target.translated(0, -m_bandTop);
        fillPaper(m_band, m_band.rect(), target);
        if (!m_target.isEmpty())
            scalePicture(m_picture, m_band, target);
        m_bandDrawn = true;
    }
    return reinterpret_cast<const quint32 *>(m_band.constScanLine(y - m_bandTop));
}

void composePage(const PageContent &page, ComposedPage &composed)
{
    PageText text = pageText(page);
    const bool sameText = composed.text == text;
    updateSurface(page, text, sameText, CanvasScale, composed.canvas, composed.canvasRecord);
    updateSurface(page, text, sameText, 1, composed.preview, composed.previewRecord);
    composed.text = std::move(text);
}

} // namespace velaria
