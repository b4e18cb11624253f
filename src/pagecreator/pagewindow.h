#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

#include <array>

class QFrame;
class QLabel;
class QTimer;

namespace velaria {

class CalendarState;
class MessageLine;
class PageCreator;
class PagePreview;
class PathBox;
struct SheetPlacement;

// The page creator window, "Form3": the preview of the month's page, the twelve picture
// paths, the month arrows and the buttons that print or save the page. It shows the month of
// the calendar state and changes the month only through it; its page creator does the work.
class PageWindow : public QWidget
{
    Q_OBJECT
public:
    static constexpr int ClientWidth = 12030; // twips
    static constexpr int ClientHeight = 11295;
    static constexpr int ComposeDelayMs = 100;
    static constexpr int CaptionRestoreMs = 60000;

    // A window of its own over `parent` (the main window), which it cannot outlive.
    PageWindow(CalendarState &state, QWidget *parent);
    ~PageWindow() override;

    static QString caption();

    // The page at print resolution and the preview, as the last composition left them.
    QImage canvas() const;
    QImage preview() const;

    // Asks for a page: the next tick of Timer1 composes one, however many requests came.
    void requestPage();

signals:
    // The page was composed and is shown.
    void pageComposed();

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildPictureFrame();
    void buildButtonFrame();
    void readPictureList();
    void savePictureList();
    bool selectMonth(int index);
    void choosePicture(int index);
    void stepMonth(int months);
    void composeNow();
    void composeIfPending();
    void showPage();
    void printPage(const SheetPlacement &sheet);
    void savePage();
    void restoreCaption();
    void centreMark();
    void showMessage(const QString &text, bool fromComposition = false);
    void clearMessage();

    CalendarState &m_state;
    PageCreator *m_creator = nullptr;

    PagePreview *m_preview = nullptr;
    QFrame *m_centreMark = nullptr;
    std::array<PathBox *, 12> m_pathBoxes{};
    QLabel *m_monthCaption = nullptr;
    MessageLine *m_statusLine = nullptr;
    QTimer *m_composeTimer = nullptr;
    QTimer *m_captionTimer = nullptr;
    bool m_compositionMessage = false; // the message came from the last composition
};

} // namespace velaria
