#include "yeardialog.h"

#include "calendardate.h"
#include "calendarstate.h"
#include "pagefiles.h"
#include "yearexport.h"

#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QtConcurrent/QtConcurrentRun>

namespace velaria {

namespace {

QPushButton *makeButton(const QString &text, const QString &description, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setAccessibleDescription(description);
    return button;
}

// "gennaio, ottobre": months as a sentence names them.
QString monthList(const QList<int> &months)
{
    QStringList names;
    for (int month : months)
        names << monthTitle(month).toLower();
    return names.join(QStringLiteral(", "));
}

QString bitmapList(const QList<int> &months)
{
    QStringList names;
    for (int month : months)
        names << pageFileName(month) + QStringLiteral(".bmp");
    return names.join(QStringLiteral(", "));
}

// Where the save dialog opens: the user's documents, or the home folder when there are none.
QString documentsFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QDir(documents).exists() ? documents : QDir::homePath();
}

} // namespace

YearDialog::YearDialog(const CalendarState &state, const std::array<QString, 12> &picturePaths,
                       QWidget *parent)
    : QDialog(parent), m_state(state), m_picturePaths(picturePaths)
{
    setObjectName(QStringLiteral("YearDialog"));
    setWindowTitle(QStringLiteral("Anno intero"));
    setAttribute(Qt::WA_DeleteOnClose);
    // One thread of its own: the export makes its pages on a pool of its own.
    m_pool.setMaxThreadCount(1);

    m_year = new QSpinBox(this);
    m_year->setObjectName(QStringLiteral("yearBox"));
    m_year->setRange(FirstYear, LastYear);
    m_year->setValue(state.shownYear());
    m_year->setAccessibleDescription(QStringLiteral("L'anno del calendario"));
    auto *a4 = new QRadioButton(QStringLiteral("A4"), this);
    a4->setObjectName(QStringLiteral("a4Choice"));
    a4->setChecked(true);
    m_a3 = new QRadioButton(QStringLiteral("A3"), this);
    m_a3->setObjectName(QStringLiteral("a3Choice"));
    auto *paper = new QHBoxLayout;
    paper->addWidget(a4);
    paper->addWidget(m_a3);
    paper->addStretch();

    auto *pdf = makeButton(QStringLiteral("PDF…"),
                           QStringLiteral("Salva le dodici pagine in un file PDF"), this);
    pdf->setObjectName(QStringLiteral("pdfButton"));
    auto *print =
        makeButton(QStringLiteral("Stampa"),
                   QStringLiteral("Stampa le dodici pagine sulla stampante predefinita"), this);
    print->setObjectName(QStringLiteral("printButton"));
    auto *desktop = makeButton(QStringLiteral("Pagine sul desktop"),
                               QStringLiteral("Salva le dodici pagine come bitmap sul desktop, "
                                              "come fa \"Salva Pagina\""),
                               this);
    desktop->setObjectName(QStringLiteral("desktopButton"));
    auto *close = makeButton(QStringLiteral("Chiudi"), QStringLiteral("Chiude senza fare"), this);
    close->setObjectName(QStringLiteral("closeButton"));
    auto *buttons = new QHBoxLayout;
    for (QPushButton *button : {pdf, print, desktop, close})
        buttons->addWidget(button);

    auto *form = new QFormLayout(this);
    form->addRow(QStringLiteral("&Anno:"), m_year);
    form->addRow(QStringLiteral("Foglio:"), paper);
    form->addRow(buttons);

    connect(pdf, &QPushButton::clicked, this, &YearDialog::choosePdf);
    connect(print, &QPushButton::clicked, this, [this] {
        PagineOptions options = chosenOptions();
        options.target = PageTarget::Printer;
        start(options);
    });
    connect(desktop, &QPushButton::clicked, this, [this] {
        PagineOptions options = chosenOptions();
        options.target = PageTarget::Bitmaps;
        options.bitmapFolder = desktopFolder();
        start(options);
    });
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(&m_watcher, &QFutureWatcherBase::finished, this, &YearDialog::finish);
}

YearDialog::~YearDialog()
{
    // A window closed while the pages are made stops them; the pool waits for the export.
    m_cancel = true;
    m_pool.waitForDone();
}

PagineOptions YearDialog::chosenOptions() const
{
    PagineOptions options;
    options.year = m_year->value();
    options.a3 = m_a3->isChecked();
    return options;
}

void YearDialog::choosePdf()
{
    PagineOptions options = chosenOptions();
    QFileDialog dialog(this, QStringLiteral("Salva il calendario in PDF"),
                       QDir(documentsFolder()).filePath(defaultPdfName(options.year, 0)),
                       QStringLiteral("PDF (*.pdf)"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    options.target = PageTarget::Pdf;
    options.pdfPath = dialog.selectedFiles().constFirst();
    start(options);
}

void YearDialog::start(const PagineOptions &options)
{
    if (m_export)
        return;
    m_options = options;
    if (options.year < FirstYear || options.year > LastYear) {
        emit reported(QStringLiteral("Anno non valido: %1. Il calendario va dall'anno %2 al %3.")
                          .arg(options.year)
                          .arg(FirstYear)
                          .arg(LastYear));
        return;
    }
    if (options.target == PageTarget::Bitmaps && options.bitmapFolder.isEmpty()) {
        emit reported(QStringLiteral("Impossibile salvare le pagine: il sistema non indica la "
                                     "cartella del desktop."));
        return;
    }

    m_export = std::make_unique<YearExport>(options, m_state.recurrences(), m_state.banner(),
                                            m_picturePaths);
    m_export->setMessageHandler([this](const QString &text) { m_messages << text; });
    m_export->setCancelCheck([this] { return m_cancel.load(); });
    m_export->setPageHandler([this](int done, int count) {
        QMetaObject::invokeMethod(
            this, [this, done, count] { showPagesDone(done, count); }, Qt::QueuedConnection);
    });

    hide();
    m_progress = new QProgressDialog(parentWidget());
    m_progress->setObjectName(QStringLiteral("yearProgress"));
    m_progress->setWindowTitle(QStringLiteral("Anno intero"));
    m_progress->setWindowModality(Qt::WindowModal);
    m_progress->setCancelButtonText(QStringLiteral("Annulla"));
    m_progress->setAutoClose(false);
    m_progress->setAutoReset(false);
    m_progress->setMinimumDuration(0);
    // The dialog goes at once; the pages begun end, and finish() reports.
    connect(m_progress, &QProgressDialog::canceled, this, [this] { m_cancel = true; });
    showPagesDone(0, static_cast<int>(options.months().size()));
    m_progress->show();

    m_watcher.setFuture(QtConcurrent::run(&m_pool, [this] { return m_export->run(); }));
}

void YearDialog::showPagesDone(int done, int count)
{
    if (!m_progress || m_cancel)
        return;
    const QList<int> months = m_options.months();
    m_progress->setLabelText(
        done < count ? QStringLiteral("Pagina di %1 %2 (%3 di %4)…")
                           .arg(monthTitle(months.at(done)).toLower())
                           .arg(m_options.year)
                           .arg(done + 1)
                           .arg(count)
                     : QStringLiteral("Le %1 pagine sono fatte: ultimi passi…").arg(count));
    m_progress->setRange(0, count);
    // Last: a modal progress dialog handles the events waiting, finish() among them.
    m_progress->setValue(done);
}

void YearDialog::finish()
{
    const ExitStatus status = m_watcher.result();
    // Not deleted at once: this may run inside its setValue().
    m_progress->hide();
    m_progress->deleteLater();
    m_progress = nullptr;
    emit reported(outcome(status));
    deleteLater();
}

QString YearDialog::outcome(ExitStatus status) const
{
    const QList<int> &written = m_export->writtenMonths();
    const QString folder = quoted(m_options.bitmapFolder);
    if (status == Cancelled) {
        switch (m_options.target) {
        case PageTarget::Pdf:
            return QStringLiteral("Calendario annullato: nessun PDF è stato scritto.");
        case PageTarget::Printer:
            return QStringLiteral("Stampa del calendario annullata: nessun lavoro è stato "
                                  "mandato alla stampante.");
        case PageTarget::Bitmaps:
            if (written.isEmpty())
                return QStringLiteral("Calendario annullato: nessuna pagina è stata salvata.");
            return QStringLiteral("Calendario annullato: nella cartella %1 restano le pagine "
                                  "già salvate, %2.")
                .arg(folder, bitmapList(written));
        }
    }
    if (status != Done && status != PictureMissing) {
        return m_messages.isEmpty() ? QStringLiteral("Il calendario non è stato fatto.")
                                    : m_messages.constLast();
    }

    const QString paper = m_options.a3 ? QStringLiteral("A3") : QStringLiteral("A4");
    QString text;
    switch (m_options.target) {
    case PageTarget::Pdf:
        text = QStringLiteral("Calendario %1 (%2 pagine %3) salvato nel PDF %4.")
                   .arg(m_options.year)
                   .arg(written.size())
                   .arg(paper, quoted(m_options.pdfPath));
        break;
    case PageTarget::Printer:
        text = QStringLiteral("Calendario %1 mandato in stampa in un solo lavoro di %2 pagine "
                              "%3 (%4).")
                   .arg(m_options.year)
                   .arg(written.size())
                   .arg(paper, m_export->destination());
        break;
    case PageTarget::Bitmaps:
        text = QStringLiteral("Calendario %1 salvato nella cartella %2: %3.")
                   .arg(m_options.year)
                   .arg(folder, bitmapList(written));
        break;
    }
    if (const QList<int> &missing = m_export->monthsWithoutPicture(); !missing.isEmpty())
        text +=
            QStringLiteral(" Senza immagine (illeggibile o mancante): %1.").arg(monthList(missing));
    return text;
}

} // namespace velaria
