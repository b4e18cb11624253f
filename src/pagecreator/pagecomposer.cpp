#include "pagecomposer.h"

#include "calendardate.h"
#include "holidays.h"
#include "pagesurface.h"
#include "twips.h"

#include <QPainter>

#include <algorithm>
#include <array>

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
const QString Sunday = PageWeekdayNames[6].toString();

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
int SundayShift(int day)
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

PageContent PageContentOf(const WindowState &state)
{
    PageContent page;
    page.NomeMese = state.NomeMese;
    page.AnnoMese = state.AnnoMese;
    page.DaysInMonth = state.DaysInMonth;
    page.GridOffset = state.GridOffset;
    page.Pubblicita = state.Pubblicita;
    page.Ricorr = state.Ricorr;
    page.year = state.AnnoMese.toInt();
    page.month = MonthFromCaption(state.NomeMese);
    return page;
}

QString NomeGio(const QString &NomeGiorno)
{
    for (std::size_t i = 0; i < PageWeekdayNames.size(); ++i) {
        if (NomeGiorno == PageWeekdayNames[i])
            return PageWeekdayNames[(i + 1) % PageWeekdayNames.size()].toString();
    }
    return NomeGiorno;
}

QString PageTitle(const PageContent &page)
{
    return page.NomeMese.left(1) + page.NomeMese.mid(1).toLower();
}

QString PageCaption(const PageContent &page)
{
    return PageTitle(page) + u' ' + page.AnnoMese;
}

QList<PageDayEntry> PageDays(const PageContent &page)
{
    QList<PageDayEntry> days;
    const int last = std::clamp(page.DaysInMonth, 0, 31);
    QString nomeGiorno;
    if (page.GridOffset >= 0 && page.GridOffset < 7)
        nomeGiorno = PageWeekdayNames[static_cast<std::size_t>(page.GridOffset)].toString();

    for (std::size_t c = 0; c < DayColumns.size(); ++c) {
        const DayColumn &column = DayColumns[c];
        for (int day = column.firstDay; day <= std::min(column.lastDay, last); ++day) {
            PageDayEntry entry;
            entry.day = day;
            entry.column = static_cast<int>(c);
            entry.row = day - column.firstDay + 1;
            nomeGiorno = NomeGio(nomeGiorno);
            entry.weekday = nomeGiorno;
            entry.sunday = nomeGiorno == Sunday;
            entry.numberX = day == 10 ? 0 : column.numberX;
            entry.colour = colours::Ordinary;
            if (entry.sunday) {
                entry.numberX += SundayShift(day);
                entry.colour = colours::Sunday;
            }
            const PageDay marked = FestiviPagina(page.Ricorr, page.year, page.month, day);
            if (marked.colour)
                entry.colour = *marked.colour;
            entry.label = marked.label;
            entry.numberY = 6560 + RowHeight * entry.row;
            entry.labelX = column.labelX;
            entry.labelY = 6600 + RowHeight * entry.row;
            days << entry;
        }
    }
    return days;
}

int WeekdayTop(int scale)
{
    return scale == 1 ? 6740 : 6770;
}

QSize SurfaceSize(int scale)
{
    return {px(PageWidth * scale), px(PageHeight * scale)};
}

int PicturePixelHeight(int scale)
{
    return px(PictureHeight * scale);
}

void ComponiPagina(QPainter &painter, const PageContent &page, int scale)
{
    PageSurface surface(painter, scale);

    // The month's picture, kept in proportion at 6000 twips high and centred across the page,
    // however wide that makes it.
    if (!page.picture.isNull() && page.picture.width() > 0 && page.picture.height() > 0) {
        const double ratio = static_cast<double>(page.picture.height()) / page.picture.width();
        const double height = PictureHeight;
        const double width = height / ratio;
        const double left = (PageWidth - width) / 2;
        surface.drawPicture(page.picture, left, PictureTop, width, height);
    }

    // Title and year.
    const QString title = PageTitle(page);
    surface.setColour(TitleColour);
    surface.setFontName(SansFont);
    surface.setBold(false);
    surface.setPosition(250, 6360);
    surface.setFontSize(24);
    surface.drawText(title);
    surface.setPosition(6700, 6360);
    surface.drawText(page.AnnoMese);

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
    surface.drawText(page.Pubblicita);

    // The days.
    surface.setFontName(SerifFont);
    surface.setColour(colours::Ordinary);
    const int weekdayTop = WeekdayTop(scale);
    for (const PageDayEntry &entry : PageDays(page)) {
        surface.setPosition(entry.numberX, entry.numberY);
        surface.setFontSize(18);
        surface.setBold(entry.sunday);
        surface.setColour(entry.colour);
        surface.drawText(u' ' + QString::number(entry.day));

        surface.setPosition(entry.labelX, entry.labelY);
        surface.setBold(false);
        surface.setFontSize(6);
        surface.drawText(entry.label.left(LabelShown));

        surface.setPosition(entry.labelX, weekdayTop + RowHeight * entry.row);
        surface.setColour(colours::Ordinary);
        surface.drawText(entry.weekday);
    }
}

QImage ComposeSurface(const PageContent &page, int scale)
{
    QImage surface;
    ComposeSurface(page, scale, surface);
    return surface;
}

void ComposeSurface(const PageContent &page, int scale, QImage &surface)
{
    const QSize size = SurfaceSize(scale);
    if (surface.size() != size || surface.format() != QImage::Format_RGB32)
        surface = QImage(size, QImage::Format_RGB32);
    // 96 dots per inch: a point is 4/3 of a pixel, as on the screen the twips are made for.
    surface.setDotsPerMeterX(3780);
    surface.setDotsPerMeterY(3780);
    surface.fill(toQColor(Paper));
    QPainter painter(&surface);
    painter.setRenderHint(QPainter::TextAntialiasing);
    ComponiPagina(painter, page, scale);
}

void ComposeBoth(const PageContent &page, ComposedPage &composed)
{
    ComposeSurface(page, Scala, composed.canvas);
    ComposeSurface(page, 1, composed.preview);
}

} // namespace velaria
