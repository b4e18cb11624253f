#pragma once

#include "datafiles.h"
#include "pagecomposer.h"
#include "pagecontent.h"
#include "picturecache.h"

#include <QImage>
#include <QObject>
#include <QString>

#include <array>

namespace velaria {

class CalendarState;

// Makes the page of the month that the calendar state shows: keeps the twelve picture paths
// of the picture list, loads the month's picture, composes the page and prints or saves it.
// The page window shows what it makes and hands it the user's requests.
class PageCreator : public QObject
{
    Q_OBJECT
public:
    explicit PageCreator(CalendarState &state, QObject *parent = nullptr);

    // Reads the picture list of the data folder into the twelve paths; its error (and whether
    // the file is missing) comes back with them.
    [[nodiscard]] PictureList readPictureList();
    // Writes the twelve paths to the picture list; an empty text on success, otherwise an
    // Italian description of the failure.
    [[nodiscard]] QString savePictureList() const;

    // The picture path of month `month`, 1 to 12.
    void setPicturePath(int month, const QString &path);
    const std::array<QString, 12> &picturePaths() const { return m_paths; }

    // Starts reading the shown month's picture on another thread, so that composing the page
    // soon after finds it read.
    void readPictureAhead();

    // Composes the page of the shown month now and reports it with pageComposed().
    void compose();

    // The page composed last: its content (picture included), the canvas at print
    // resolution and the preview, and why its picture is missing (empty when it is not).
    const PageContent &content() const { return m_content; }
    const QImage &canvas() const { return m_page.canvas; }
    const QImage &preview() const { return m_page.preview; }
    QString pictureError() const { return m_pictureError; }

    // Prints the page of the shown month, composing it first when it is stale. An empty text
    // on success, otherwise an Italian description of the failure.
    [[nodiscard]] QString printPage(const SheetPlacement &sheet);

    // Saves the page of the shown month on the desktop as "MESE.bmp", composing it first
    // when it is stale.
    struct SavedPage
    {
        QString path;  // the file written, absolute
        QString error; // an Italian description of the failure; empty on success
    };
    [[nodiscard]] SavedPage savePage();

signals:
    void pageComposed();

private:
    void composeIfStale();

    CalendarState &m_state;
    std::array<QString, 12> m_paths;
    PictureCache m_pictures;
    PageContent m_content;
    ComposedPage m_page;
    QString m_pictureError;
    bool m_stale = true; // the shown month, the recurrences or a path changed since composing
};

} // namespace velaria
