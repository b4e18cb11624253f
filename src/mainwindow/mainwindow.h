#pragma once

#include "monthview.h"
#include "webwindowlauncher.h"
#include "windowstate.h"

#include <QMainWindow>
#include <QPointer>

class QAction;
class QLabel;
class QPushButton;
class QTimer;

namespace velaria {

class ClickFrame;
class ClickLabel;
class MonthGrid;
class PageWindow;
class RecurrenceEditor;

// The main window: one month as a Monday-first grid with its holidays, the month steps,
// date entry, the day information line and the menu.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    // Client heights in twips: the normal one shows the holiday line whole and hides the day
    // information line; the tall one shows that line too.
    static constexpr int ClientWidth = 6855;
    static constexpr int ClientHeightNormal = 5610;
    static constexpr int ClientHeightTall = 5880;
    static constexpr int DayInformationMs = 5000;

    // `today` fixes the current date, for tests; by default it is the system's date.
    explicit MainWindow(WindowState &state, const QDate &today = {}, QWidget *parent = nullptr);
    ~MainWindow() override;

    WindowState &state() { return m_state; }

    // Makes the date the shown one, redrawing when its month or year differs.
    void GoToDate(const QDate &date);
    // Sets the shown date at start-up; returns DateConfirmed.
    bool GetDate(QDate &UserDate, const QString &Title = {});
    // Computes the shown month and draws it.
    void picMonth_Paint();

    // Today as the window sees it; tests fix it.
    void setToday(const QDate &today) { m_today = today; }
    QDate today() const;

    bool isTall() const { return m_tall; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void Form_Load();
    void buildHeader(QWidget *client);
    void buildMonthGrid(QWidget *client);
    void buildMenu();
    void lblMonth_Change(const QString &caption);
    void lblMonth_DblClick();
    void stepMonths(int months);
    void showDayInformation(int column, int y);
    void setTall(bool tall);
    void Frame3_Click();
    void openRecurrenceFile();
    void openSite();
    void CreaCale_Click();

    WindowState &m_state;
    QDate m_today;
    bool m_tall = false;
    bool m_centred = false;

    QWidget *m_client = nullptr;
    ClickLabel *m_lblPrev = nullptr;
    ClickLabel *m_lblMonth = nullptr;
    ClickLabel *m_lblNext = nullptr;
    MonthGrid *m_picMonth = nullptr;
    ClickFrame *m_frame3 = nullptr;
    QLabel *m_label4[2] = {};
    RecurrenceEditor *m_frame4 = nullptr;
    QTimer *m_timer1 = nullptr;
    QPointer<PageWindow> m_form3;  // the page window, from its first use until it is closed
    WebWindowLauncher m_webWindow; // Form2
};

} // namespace velaria
