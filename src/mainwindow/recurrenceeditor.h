#pragma once

#include "windowstate.h"

#include <QGroupBox>
#include <QStringList>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace velaria {

// The recurrence editor over the month grid: the list of recurrence lines, the boxes for a
// new line and the buttons that insert, save and close. The list is a working copy; the file
// and the table follow it only when the user saves.
class RecurrenceEditor : public QGroupBox
{
    Q_OBJECT
public:
    explicit RecurrenceEditor(WindowState &state, QWidget *parent = nullptr);

    void setLines(const QStringList &lines);
    QStringList lines() const;

    // Adds the line of the three boxes; false when they do not make one.
    bool insertFromBoxes();
    // Rebuilds the table from the list and writes the file; false when the file could not
    // be written (the user has been told why).
    bool save();

signals:
    void saved();
    void closed();

private:
    void insertSorted(const QString &line);
    QString lineAt(int row) const;
    void showLine(int row);
    void closeEditor(bool saveFirst);

    WindowState &m_state;
    QListWidget *m_list1 = nullptr;
    QComboBox *m_combo1[2] = {};
    QLineEdit *m_text4[3] = {};
};

} // namespace velaria
