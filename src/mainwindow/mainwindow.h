#pragma once

#include "monthview.h"
#include "recurrenceimport.h"
#include "webwindowlauncher.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>

class QLabel;
class QTimer;

namespace velaria {

class CalendarState;
class ClickFrame;
class ClickLabel;
class MonthGrid;
class PageWindow;
class RecurrenceEditor;

// The main window: one month as a Monday-first grid with its holidays, the month steps,
// date entry, the day information line and the menu. It shows the state's month and follows
// its changes.
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

    explicit MainWindow(CalendarState &state, QWidget *parent = nullptr);
    ~MainWindow() override;

    // The month as last shown.
    const MonthModel &month() const { return m_month; }
    bool isTall() const { return m_tall; }

    // Asks for a date in the input box and shows it; a text that is no date asks again.
    void enterDate();
    // Shows the information line of a day of the shown month for a while.
    void showDayInformation(int day);

protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildHeader(QWidget *client);
    void buildMonthGrid(QWidget *client);
    void buildMenu();
    void showMonth();
    void showToday();
    void refreshToday();
    void scheduleMidnight();
    void setTall(bool tall);
    void openRecurrenceEditor();
    bool settleUnsavedRecurrences();
    void openPageWindow();
    void openRecurrenceFile();
    void exportCalendar();
    void importCalendar();
    void importContacts();
    // Reads a file chosen by the user into the editor's list and tells what came of it.
    void importLines(
        const QString &title, const QString &filter, qsizetype byteLimit,
        const std::function<RecurrenceImport(const QByteArray &, const QStringList &)> &read);
    void openSite();

    CalendarState &m_state;
    MonthModel m_month;
    bool m_tall = false;

    QWidget *m_client = nullptr;
    ClickLabel *m_monthCaption = nullptr;
    MonthGrid *m_grid = nullptr;
    ClickFrame *m_todayFrame = nullptr;
    QLabel *m_holidayLine = nullptr;
    QLabel *m_dayInfoLine = nullptr;
    RecurrenceEditor *m_editor = nullptr;
    QTimer *m_dayInfoTimer = nullptr;
    QTimer *m_midnightTimer = nullptr;
    QPointer<PageWindow> m_pageWindow; // from its first use until it is closed
    WebWindowLauncher m_webWindow;
};

} // namespace velaria
