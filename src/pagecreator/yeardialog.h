#pragma once

#include "pagineoptions.h"

#include <QDialog>
#include <QFutureWatcher>
#include <QString>
#include <QStringList>
#include <QThreadPool>

#include <array>
#include <atomic>
#include <memory>

class QProgressDialog;
class QRadioButton;
class QSpinBox;

namespace velaria {

class CalendarState;
class YearExport;

// "Anno intero…": the year's calendar in one go, as velaria-pagine makes it, from the page
// window's pictures. The user picks the year and the paper and what to make: one PDF, one
// print job or the twelve bitmaps of "Salva Pagina". The pages are made on another thread
// while a progress dialog names the month and offers "Annulla"; the dialog then closes itself.
class YearDialog : public QDialog
{
    Q_OBJECT
public:
    YearDialog(const CalendarState &state, const std::array<QString, 12> &picturePaths,
               QWidget *parent);
    ~YearDialog() override;

signals:
    // What was made and where, or why nothing was: for the page window's status line.
    void reported(const QString &text);

private:
    PagineOptions chosenOptions() const;
    void choosePdf();
    void start(const PagineOptions &options);
    void showPagesDone(int done, int count);
    void finish();
    QString outcome(ExitStatus status) const;

    const CalendarState &m_state;
    std::array<QString, 12> m_picturePaths;
    QSpinBox *m_year = nullptr;
    QRadioButton *m_a3 = nullptr;
    QProgressDialog *m_progress = nullptr;

    PagineOptions m_options; // of the export under way
    std::unique_ptr<YearExport> m_export;
    QStringList m_messages; // the export's, written on its thread, read when it has ended
    std::atomic_bool m_cancel = false;
    QFutureWatcher<ExitStatus> m_watcher;
    // Runs the export; goes first, waiting for it, when the dialog goes.
    QThreadPool m_pool;
};

} // namespace velaria
