#include "pagecontent.h"

#include "calendardate.h"
#include "windowstate.h"

namespace velaria {

PageContent PageForMonth(int year, int month, const QString &Pubblicita,
                         const RecurrenceTable &Ricorr)
{
    // The values the month view leaves behind when it paints this month.
    WindowState state;
    const QString caption = MonthCaption(QDate(year, month, 1));
    state.NomeMese = caption.left(caption.size() - 4);
    state.AnnoMese = caption.right(4);
    state.DaysInMonth = MonthLength(year, month);
    state.GridOffset = GridOffset(year, month);
    state.Pubblicita = Pubblicita;
    state.Ricorr = Ricorr;
    return PageContentOf(state);
}

LoadedPicture LoadMonthPicture(PictureCache &cache, const QString &path)
{
    if (path.trimmed().isEmpty())
        return {};
    return cache.load(path, PicturePixelHeight(Scala));
}

} // namespace velaria
