#pragma once

#include <QGroupBox>
#include <QList>
#include <QStringList>

#include <optional>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace velaria {

class CalendarState;

// The recurrence editor over the month grid: the list of recurrence lines, the boxes for a
// new line and the buttons that insert, save and close. The list is a working copy; the file
// and the table follow it only when the user saves.
class RecurrenceEditor : public QGroupBox
{
    Q_OBJECT
public:
    explicit RecurrenceEditor(CalendarState &state, QWidget *parent = nullptr);

    void setLines(const QStringList &lines);
    // Adds imported lines to the list in their sorted places; nothing is saved until the user
    // saves, and "Esci senza salvare" gives back the list as it was before the import.
    void addImportedLines(const QStringList &lines);
    QStringList lines() const;
    // Whether the list differs from the lines last read or saved.
    bool hasUnsavedLines() const { return lines() != m_savedLines; }

    // Adds the line of the three boxes; false when they do not make one.
    bool insertFromBoxes();
    // Writes the list to the file and makes it the recurrences; false when the file could not
    // be written (the user has been told why).
    bool save();

signals:
    void closed();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void insertSorted(const QString &line);
    QString lineAt(int row) const;
    void showLine(int row);
    void removeLine(int row);
    void closeEditor(bool saveFirst);

    CalendarState &m_state;
    QListWidget *m_list = nullptr;
    QComboBox *m_monthChooser = nullptr;
    QComboBox *m_dayChooser = nullptr;
    QLineEdit *m_monthBox = nullptr;
    QLineEdit *m_dayBox = nullptr;
    QLineEdit *m_textBox = nullptr;
    std::optional<QStringList> m_beforeImport; // since the last save
    QList<QWidget *> m_tabCycle;
    QStringList m_savedLines; // as the list held them when last set or saved
};

} // namespace velaria
