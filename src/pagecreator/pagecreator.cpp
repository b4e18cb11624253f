#include "pagecreator.h"

#include "calendarstate.h"
#include "pagefiles.h"
#include "printing.h"

#include <QDir>
#include <QFileInfo>

namespace velaria {

PageCreator::PageCreator(CalendarState &state, QObject *parent)
    : QObject(parent), m_state(state), m_pictures(canvasPictureCache())
{
    connect(&m_state, &CalendarState::shownDateChanged, this, [this] { m_stale = true; });
    connect(&m_state, &CalendarState::recurrencesChanged, this, [this] { m_stale = true; });
}

PictureList PageCreator::readPictureList()
{
    const PictureList list = velaria::readPictureList(m_state.dataFolder());
    m_paths = list.paths;
    m_stale = true;
    return list;
}

QString PageCreator::savePictureList() const
{
    return velaria::savePictureList(m_state.dataFolder(), m_paths);
}

void PageCreator::setPicturePath(int month, const QString &path)
{
    if (month < 1 || month > 12)
        return;
    QString &stored = m_paths[static_cast<std::size_t>(month - 1)];
    if (stored == path)
        return;
    stored = path;
    m_stale = true;
}

void PageCreator::readPictureAhead()
{
    readMonthPictureAhead(m_pictures, m_paths[static_cast<std::size_t>(m_state.shownMonth() - 1)]);
}

void PageCreator::compose()
{
    m_content.year = m_state.shownYear();
    m_content.month = m_state.shownMonth();
    m_content.banner = m_state.banner();
    m_content.recurrences = m_state.recurrences();
    const LoadedPicture picture =
        loadMonthPicture(m_pictures, m_paths[static_cast<std::size_t>(m_content.month - 1)]);
    m_content.picture = picture.image;
    m_pictureError = picture.error;
    composePage(m_content, m_page);
    m_stale = false;
    emit pageComposed();
}

void PageCreator::composeIfStale()
{
    if (m_stale)
        compose();
}

QString PageCreator::printPage(const SheetPlacement &sheet)
{
    composeIfStale();
    return velaria::printPage(m_page.canvas, sheet);
}

PageCreator::SavedPage PageCreator::savePage()
{
    composeIfStale();
    SavedPage saved;
    saved.path =
        QFileInfo(
            QDir(desktopFolder()).filePath(pageFileName(m_content.month) + QStringLiteral(".bmp")))
            .absoluteFilePath();
    saved.error = saveBitmap(m_page.canvas, saved.path);
    return saved;
}

} // namespace velaria
