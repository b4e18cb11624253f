#pragma once

#include "pagecomposer.h"
#include "picturecache.h"
#include "windowstate.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <array>

class QFrame;
class QLabel;
class QTimer;

namespace velaria {

class ClickLabel;
class PagePreview;
class PathBox;
struct SheetPlacement;

// The page creator window, "Form3": the preview of the month's page, the twelve picture
// paths, the month arrows and the buttons that print or save the page. It has no month of its
// own: it moves the main window and composes the page of the month the main window shows.
class PageWindow : public QWidget
{
    Q_OBJECT
public:
    static constexpr int ClientWidth = 12030; // twips
    static constexpr int ClientHeight = 11295;
    static constexpr int ComposeDelayMs = 100;
    static constexpr int CaptionRestoreMs = 60000;

    // `mainWindow` is the window whose hidden buttons Command3, Command4 and Command5 move
    // the month; it may be absent.
    PageWindow(WindowState &state, QWidget *mainWindow);
    ~PageWindow() override;

    static QString Caption();

    // The page at print resolution, as the last composition left it.
    QImage canvas() const { return m_page.canvas; }
    QImage preview() const;

    // Asks for a page: the next tick of Timer1 composes one, however many requests came.
    void requestPage();

    PictureCache &pictureCache() { return m_pictures; }

signals:
    void pageComposed();

protected:
    bool event(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildPictureFrame();
    void buildButtonFrame();
    void Carica1();
    void saveList();
    bool selectMonth(int index);
    void choosePicture(int index);
    void pressMainButton(const char *name);
    void printPage(const SheetPlacement &sheet);
    void savePage();
    void placeWindow();
    void centreMark();
    void Timer1_Timer();
    void Timer2_Timer();

    WindowState &m_state;
    QPointer<QWidget> m_mainWindow;
    PictureCache m_pictures;
    QImage m_picture; // the picture of the page composed last
    ComposedPage m_page;

    PagePreview *m_picture2 = nullptr;
    QFrame *m_shape2 = nullptr;
    std::array<PathBox *, 12> m_text1{};
    std::array<ClickLabel *, 12> m_image2{};
    QLabel *m_label2 = nullptr;
    QLabel *m_label6 = nullptr;
    QTimer *m_timer1 = nullptr;
    QTimer *m_timer2 = nullptr;
};

} // namespace velaria
