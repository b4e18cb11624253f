#include "mainwindow.h"

#include "appicon.h"
#include "calendardate.h"
#include "calendarstate.h"
#include "clickable.h"
#include "datafiles.h"
#include "desktopopener.h"
#include "icalendar.h"
#include "monthgrid.h"
#include "pagewindow.h"
#include "recurrenceeditor.h"
#include "textfile.h"
#include "twips.h"
#include "vcard.h"
#include "windowplacement.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSaveFile>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

namespace velaria {

namespace {

constexpr int GridWidth = 6795;
constexpr int GridHeight = 4395;
constexpr qsizetype HolidayLineShown = 2000; // characters, far more than the label shows

struct Column
{
    int labelIndex; // the heading labels are numbered apart from their columns
    int headingLeft;
    int headingWidth;
    Rgb headingColour;
    int areaLeft;
    int areaWidth;
};

constexpr Rgb HeadingBlue{0, 0, 255};
constexpr std::array<Column, 7> Columns = {{{0, 270, 555, HeadingBlue, 60, 885},
                                            {2, 1150, 705, HeadingBlue, 990, 945},
                                            {3, 2160, 705, HeadingBlue, 1980, 915},
                                            {4, 3150, 555, HeadingBlue, 2940, 915},
                                            {5, 4090, 615, HeadingBlue, 3900, 915},
                                            {6, 5030, 645, HeadingBlue, 4860, 915},
                                            {1, 5940, 765, colours::Sunday, 5820, 945}}};

constexpr std::array<QStringView, 7> WeekdayFullNames = {
    u"lunedì", u"martedì", u"mercoledì", u"giovedì", u"venerdì", u"sabato", u"domenica"};

QString documentsFolder()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return folder.isEmpty() ? QDir::homePath() : folder;
}

void setTextColour(QWidget *widget, const QColor &colour)
{
    QPalette colours = widget->palette();
    colours.setColor(QPalette::WindowText, colour);
    widget->setPalette(colours);
}

QString indexedName(const char *name, int index)
{
    return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index);
}

// The month's line as its label has room for it: when the whole line would need more rows than
// the label shows, the items that fit and a mark that more follow.
QString fittedLine(const QString &line, const QLabel *label)
{
    const QRect room = label->contentsRect();
    const auto fits = [label, room](const QString &text) {
        return label->fontMetrics()
                   .boundingRect(room, int(label->alignment()) | Qt::TextWordWrap, text)
                   .height() <= room.height();
    };
    if (fits(line))
        return line;
    const QString separator = QStringLiteral(" - ");
    const QString more = QStringLiteral(" - …");
    const QStringList items = line.split(separator);
    qsizetype shown = 0; // whole items that fit, searched by halves
    qsizetype tooMany = items.size();
    while (tooMany - shown > 1) {
        const qsizetype middle = (shown + tooMany) / 2;
        (fits(items.first(middle).join(separator) + more) ? shown : tooMany) = middle;
    }
    if (shown == 0)
        return label->fontMetrics().elidedText(line, Qt::ElideRight, room.width());
    return items.first(shown).join(separator) + more;
}

QPushButton *hiddenButton(const QString &text, const char *name, QRect place, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(place);
    button->hide();
    return button;
}

} // namespace

MainWindow::MainWindow(CalendarState &state, QWidget *parent) : QMainWindow(parent), m_state(state)
{
    setObjectName(QStringLiteral("form1"));
    setWindowTitle(
        QStringLiteral("Velaria ver. %1 - calendario perpetuo italiano").arg(programVersion()));
    setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    setAccessibleName(QStringLiteral("Velaria, calendario perpetuo"));

    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("client"));
    setCentralWidget(m_client);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    m_client->setFixedSize(px(ClientWidth), px(ClientHeightNormal));

    buildHeader(m_client);
    buildMonthGrid(m_client);
    setIconAfterFirstPaint(this, m_grid);

    m_holidayLine = new QLabel(m_client);
    m_holidayLine->setObjectName(indexedName("Label4", 0));
    m_holidayLine->setGeometry(twipsRect(90, 5160, 6705, 435));
    m_holidayLine->setFont(pointFont(QStringLiteral("Arial Narrow"), 8.25));
    setTextColour(m_holidayLine, QColor(192, 0, 0));
    m_holidayLine->setAccessibleDescription(QStringLiteral("Festività del mese"));
    m_dayInfoLine = new QLabel(m_client);
    m_dayInfoLine->setObjectName(indexedName("Label4", 1));
    m_dayInfoLine->setGeometry(twipsRect(90, 5640, 6705, 225));
    m_dayInfoLine->setFont(pointFont(QStringLiteral("Times New Roman"), 9));
    setTextColour(m_dayInfoLine, QColor(0, 0, 128));
    m_dayInfoLine->setAccessibleDescription(QStringLiteral("Informazioni sul giorno"));
    for (QLabel *line : {m_holidayLine, m_dayInfoLine}) {
        line->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        line->setWordWrap(true);
        line->setToolTip(QStringLiteral("Festività"));
    }

    auto *previous =
        hiddenButton(QStringLiteral("<<"), "Command4", twipsRect(2010, 4770, 1245, 315), m_client);
    connect(previous, &QPushButton::clicked, this, [this] { m_state.stepMonths(-1); });
    auto *next =
        hiddenButton(QStringLiteral(">>"), "Command5", twipsRect(3570, 4770, 1245, 315), m_client);
    connect(next, &QPushButton::clicked, this, [this] { m_state.stepMonths(+1); });

    m_editor = new RecurrenceEditor(m_state, m_client);
    m_editor->setGeometry(twipsRect(90, 780, ClientWidth - 180, 4815));
    m_editor->hide();
    connect(m_editor, &RecurrenceEditor::closed, this, [this] { m_grid->setFocus(); });

    m_dayInfoTimer = new QTimer(this);
    m_dayInfoTimer->setObjectName(QStringLiteral("Timer1"));
    m_dayInfoTimer->setSingleShot(true);
    m_dayInfoTimer->setInterval(DayInformationMs);
    connect(m_dayInfoTimer, &QTimer::timeout, this, [this] { setTall(false); });

    // Today's mark moves on at midnight however long the window stays open.
    m_midnightTimer = new QTimer(this);
    m_midnightTimer->setSingleShot(true);
    m_midnightTimer->setTimerType(Qt::VeryCoarseTimer);
    connect(m_midnightTimer, &QTimer::timeout, this, [this] {
        refreshToday();
        scheduleMidnight();
    });
    scheduleMidnight();

    buildMenu();

    connect(&m_state, &CalendarState::shownDateChanged, this, [this](const QDate &, bool month) {
        if (month)
            showMonth();
        else
            m_grid->setFocusDay(m_state.shownDate().day());
    });
    connect(&m_state, &CalendarState::recurrencesChanged, this, &MainWindow::showMonth);

    m_editor->setLines(m_state.recurrenceLines());
    showMonth();
    // The keys work on the days from the start: arrows, Page Up and Page Down.
    m_grid->setFocus();
    placeByFrame(this, centred);

    if (const QString error = m_state.recurrenceReadError(); !error.isEmpty()) {
        // Said once the window is on the screen, over it.
        QTimer::singleShot(0, this, [this, error] {
            QMessageBox::warning(this, QStringLiteral("Ricorrenze"),
                                 QStringLiteral("Le ricorrenze non sono state lette.\n%1\n"
                                                "Il file non verrà modificato finché non potrà "
                                                "essere letto.")
                                     .arg(error));
        });
    }
}

MainWindow::~MainWindow() = default;

void MainWindow::buildHeader(QWidget *client)
{
    auto *header = new QGroupBox(client);
    header->setObjectName(QStringLiteral("Frame1"));
    header->setGeometry(twipsRect(90, 30, 6705, 675));
    header->setAccessibleName(QStringLiteral("Mese mostrato"));

    const QColor arrowRed(192, 0, 0);
    auto *previous = new ClickLabel(QStringLiteral("<<"), header);
    previous->setObjectName(QStringLiteral("lblPrev"));
    previous->setGeometry(twipsRect(120, 150, 555, 495));
    previous->setAccessibleName(QStringLiteral("Mese precedente"));
    auto *next = new ClickLabel(QStringLiteral(">>"), header);
    next->setObjectName(QStringLiteral("lblNext"));
    next->setGeometry(twipsRect(6060, 150, 525, 495));
    next->setAccessibleName(QStringLiteral("Mese successivo"));
    for (ClickLabel *arrow : {previous, next}) {
        arrow->setFont(pointFont(QStringLiteral("MS Sans Serif"), 18, true));
        arrow->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        setTextColour(arrow, arrowRed);
    }

    m_monthCaption = new ClickLabel(header);
    m_monthCaption->setObjectName(QStringLiteral("lblMonth"));
    m_monthCaption->setGeometry(twipsRect(600, 120, 5685, 495));
    m_monthCaption->setFont(pointFont(QStringLiteral("MS Sans Serif"), 24));
    m_monthCaption->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_monthCaption->setToolTip(QStringLiteral("Cliccare 2 volte per inserire la nuova data"));
    m_monthCaption->setFocusPolicy(Qt::TabFocus);
    setTextColour(m_monthCaption, arrowRed);
    m_monthCaption->lower(); // the arrows overlap the caption's ends and must stay on top

    const auto stepOnPress = [this](int months) {
        return [this, months](Qt::MouseButtons buttons) {
            if (buttons & Qt::LeftButton)
                m_state.stepMonths(months);
        };
    };
    connect(previous, &ClickLabel::pressed, this, stepOnPress(-1));
    connect(previous, &ClickLabel::doubleClicked, this, [this] { m_state.stepMonths(-1); });
    connect(next, &ClickLabel::pressed, this, stepOnPress(+1));
    connect(next, &ClickLabel::doubleClicked, this, [this] { m_state.stepMonths(+1); });
    connect(m_monthCaption, &ClickLabel::doubleClicked, this, &MainWindow::enterDate);
}

void MainWindow::buildMonthGrid(QWidget *client)
{
    m_grid = new MonthGrid(client);
    m_grid->setGeometry(twipsRect(30, 750, GridWidth, GridHeight));
    m_grid->setCaptionLabel(m_monthCaption);

    for (int column = 0; column < 7; ++column) {
        const Column &c = Columns[static_cast<std::size_t>(column)];
        auto *heading =
            new QLabel(GridHeadings[static_cast<std::size_t>(column)].toString(), m_grid);
        heading->setObjectName(indexedName("Label1", c.labelIndex));
        heading->setGeometry(twipsRect(c.headingLeft, 60, c.headingWidth, 495));
        heading->setFont(pointFont(QStringLiteral("MS Sans Serif"), 18));
        heading->setAccessibleName(WeekdayFullNames[static_cast<std::size_t>(column)].toString());
        setTextColour(heading, toQColor(c.headingColour));

        auto *area = new ClickArea(m_grid);
        area->setObjectName(indexedName("Image1", column));
        area->setGeometry(twipsRect(c.areaLeft, 30, c.areaWidth, 4335));
        area->setAccessibleName(QStringLiteral("Colonna del %1")
                                    .arg(WeekdayFullNames[static_cast<std::size_t>(column)]));
        connect(area, &ClickArea::pressed, this, [this, column](Qt::MouseButton, QPoint at) {
            const int day = dayAt(column, static_cast<int>(twips(at.y())), m_state.shownYear(),
                                  m_state.shownMonth());
            if (day <= 0)
                return;
            // The day pressed becomes the keyboard's: the arrows go on from it.
            m_state.setShownDate(QDate(m_state.shownYear(), m_state.shownMonth(), day));
            showDayInformation(day);
        });
    }

    m_todayFrame = new ClickFrame(QStringLiteral("oggi è"), m_grid);
    m_todayFrame->setObjectName(QStringLiteral("Frame3"));
    m_todayFrame->setGeometry(twipsRect(3480, 1350, 645, 730));
    m_todayFrame->setFont(pointFont(QStringLiteral("Arial Narrow"), 8.25));
    m_todayFrame->setToolTip(QStringLiteral("Clicca per andare al sito."));
    m_todayFrame->setAccessibleDescription(QStringLiteral("Apre la pagina del sito"));
    m_todayFrame->setFocusPolicy(Qt::StrongFocus); // Enter opens the page too
    setTextColour(m_todayFrame, QColor(64, 64, 64));
    m_todayFrame->raise();
    connect(m_todayFrame, &ClickFrame::clicked, this, [this] {
        m_webWindow.show(WebWindowLauncher::horoscopePage(m_state.makerHost()), this);
    });

    auto *redraw = hiddenButton(QStringLiteral("Nuova data"), "Command3",
                                twipsRect(2700, 3600, 1245, 315), m_grid);
    connect(redraw, &QPushButton::clicked, this, &MainWindow::showMonth);

    connect(m_grid, &MonthGrid::dayStepRequested, this, [this](int days) {
        m_state.setShownDate(m_state.shownDate().addDays(days));
        showDayInformation(m_state.shownDate().day());
    });
}

void MainWindow::buildMenu()
{
    QMenuBar *bar = menuBar();
    QAction *today = bar->addAction(QStringLiteral("&Data Corrente"));
    today->setObjectName(QStringLiteral("MesCor"));
    today->setShortcut(Qt::Key_Home);
    // Only where Home has no meaning of its own: in the editor's list and boxes it goes to
    // the first item or character.
    today->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    m_grid->addAction(today);
    m_monthCaption->addAction(today);
    connect(today, &QAction::triggered, this, &MainWindow::showToday);

    QMenu *recurrences = bar->addMenu(QStringLiteral("&Ricorrenze"));
    recurrences->setObjectName(QStringLiteral("FestLoc"));
    QAction *insert = recurrences->addAction(QStringLiteral("&Inserimento"));
    insert->setObjectName(QStringLiteral("configura"));
    connect(insert, &QAction::triggered, this, &MainWindow::openRecurrenceEditor);
    QAction *openFile = recurrences->addAction(QStringLiteral("&Apri il file"));
    openFile->setObjectName(QStringLiteral("ricorrenze"));
    connect(openFile, &QAction::triggered, this, &MainWindow::openRecurrenceFile);
    QAction *exportIcs = recurrences->addAction(QStringLiteral("&Esporta in iCalendar (.ics)…"));
    exportIcs->setObjectName(QStringLiteral("esportaIcs"));
    connect(exportIcs, &QAction::triggered, this, &MainWindow::exportCalendar);
    QAction *importIcs = recurrences->addAction(QStringLiteral("I&mporta da iCalendar (.ics)…"));
    importIcs->setObjectName(QStringLiteral("importaIcs"));
    connect(importIcs, &QAction::triggered, this, &MainWindow::importCalendar);
    QAction *importVcf =
        recurrences->addAction(QStringLiteral("Importa &compleanni dai contatti (.vcf)…"));
    importVcf->setObjectName(QStringLiteral("importaVcf"));
    connect(importVcf, &QAction::triggered, this, &MainWindow::importContacts);

    QAction *pages = bar->addAction(QStringLiteral("&Pagina di creazione e stampa"));
    pages->setObjectName(QStringLiteral("CreaCale"));
    connect(pages, &QAction::triggered, this, &MainWindow::openPageWindow);

    QAction *site = bar->addAction(QStringLiteral("&Sito"));
    site->setObjectName(QStringLiteral("Sito"));
    connect(site, &QAction::triggered, this, &MainWindow::openSite);

    auto *dateEntry = new QAction(QStringLiteral("Vai alla data"), this);
    dateEntry->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    connect(dateEntry, &QAction::triggered, this, &MainWindow::enterDate);
    addAction(dateEntry);

    // F10 opens the menu bar's items under it, as other desktops' windows do: the style does
    // not let the keyboard into the bar itself, where most items are commands, not menus.
    auto *menuKey = new QAction(this);
    menuKey->setShortcut(Qt::Key_F10);
    auto *keyboardMenu = new QMenu(this);
    keyboardMenu->addActions(bar->actions());
    connect(menuKey, &QAction::triggered, keyboardMenu, [bar, keyboardMenu] {
        keyboardMenu->popup(bar->mapToGlobal(QPoint(0, bar->height())));
    });
    addAction(menuKey);
}

void MainWindow::showMonth()
{
    m_month = computeMonth(m_state.shownYear(), m_state.shownMonth(), m_state.today(),
                           m_state.recurrences());
    m_monthCaption->setText(m_month.caption);
    m_monthCaption->setAccessibleName(m_month.caption);
    if (m_month.today > 0)
        m_todayFrame->move(px(m_month.todayFrameLeft), px(m_month.todayFrameTop));
    m_todayFrame->setVisible(m_month.today > 0);
    // The line has room for two rows of text; laying out a far longer one (a recurrence of
    // megabytes in a damaged file) would freeze the window for seconds.
    const QString line = m_month.holidayLine.left(HolidayLineShown);
    const QString shown = fittedLine(line, m_holidayLine);
    m_holidayLine->setText(shown);
    // A line cut short is read whole in its tool tip, wrapped as a paragraph.
    m_holidayLine->setToolTip(shown == line
                                  ? QStringLiteral("Festività")
                                  : QStringLiteral("<p>%1</p>").arg(line.toHtmlEscaped()));
    m_grid->setMonth(m_month, m_state.shownDate().day());
}

void MainWindow::showToday()
{
    m_state.setShownDate(m_state.today());
}

void MainWindow::refreshToday()
{
    const QDate today = m_state.today();
    const bool todayShown = today.year() == m_month.year && today.month() == m_month.month;
    if (m_month.today != (todayShown ? today.day() : 0))
        showMonth();
}

void MainWindow::scheduleMidnight()
{
    const QDateTime now = QDateTime::currentDateTime();
    const QDateTime midnight(now.date().addDays(1), QTime(0, 0));
    // A second late, so that the new day has surely begun.
    m_midnightTimer->start(static_cast<int>(now.msecsTo(midnight)) + 1000);
}

void MainWindow::enterDate()
{
    const QString example = dateText(m_state.today());
    QString label = QStringLiteral("Esempio: ") + example;
    QString text = example;
    for (;;) {
        QInputDialog box(this);
        box.setWindowTitle(QStringLiteral("Inserire la nuova data"));
        box.setLabelText(label);
        box.setTextValue(text);
        // Wide enough for the title beside the title bar's icon and buttons; its layout gives
        // the height.
        QFont bold = box.font();
        bold.setBold(true);
        box.resize(QFontMetrics(bold).horizontalAdvance(box.windowTitle()) +
                       8 * QFontMetrics(bold).height(),
                   1);
        if (box.exec() != QDialog::Accepted)
            return;
        text = box.textValue();
        const QDate date = parseDateEntry(text, m_state.today());
        if (date.isValid()) {
            m_state.setShownDate(date);
            return;
        }
        label = QStringLiteral("Data non valida: scrivere giorno/mese/anno, per esempio %1")
                    .arg(example);
    }
}

void MainWindow::showDayInformation(int day)
{
    const QDate date(m_state.shownYear(), m_state.shownMonth(), day);
    if (!date.isValid())
        return;
    m_dayInfoLine->setText(dayInformation(date));
    setTall(true);
    m_dayInfoTimer->start();
}

void MainWindow::setTall(bool tall)
{
    m_tall = tall;
    m_client->setFixedSize(px(ClientWidth), px(tall ? ClientHeightTall : ClientHeightNormal));
}

void MainWindow::openRecurrenceEditor()
{
    m_editor->raise();
    m_editor->show();
    m_editor->setFocus();
}

void MainWindow::openPageWindow()
{
    if (!m_pageWindow)
        m_pageWindow = new PageWindow(m_state, this);
    m_pageWindow->show();
    m_pageWindow->raise();
    m_pageWindow->activateWindow();
}

void MainWindow::openRecurrenceFile()
{
    const QString path = QDir(m_state.dataFolder()).filePath(RecurrenceFileName);
    if (!QFileInfo::exists(path)) {
        if (const QString error = writeTextLines(path, {}); !error.isEmpty()) {
            QMessageBox::warning(this, QStringLiteral("Ricorrenze"), error);
            return;
        }
    }
#ifdef Q_OS_WIN
    if (!QProcess::startDetached(QStringLiteral("notepad.exe"), {QDir::toNativeSeparators(path)}))
        QMessageBox::warning(this, QStringLiteral("Ricorrenze"),
                             QStringLiteral("Impossibile avviare un editor di testo per il "
                                            "file \"%1\".")
                                 .arg(QDir::toNativeSeparators(path)));
#else
    openOnDesktop(QUrl::fromLocalFile(path), this, QStringLiteral("Ricorrenze"),
                  QStringLiteral("Il file \"%1\" non si è potuto aprire: il desktop non ha un "
                                 "programma che apra i file di testo, o quello che ha non si è "
                                 "avviato.\nAprire il file con un editor di testo, o sceglierne "
                                 "uno come programma per i file di testo.")
                      .arg(path));
#endif
}

void MainWindow::exportCalendar()
{
    const int year = m_state.today().year();
    QFileDialog dialog(this, QStringLiteral("Esporta le ricorrenze in iCalendar"),
                       QDir(documentsFolder()).filePath(QStringLiteral("Ricorrenze.ics")),
                       QStringLiteral("Calendari iCalendar (*.ics)"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("ics"));
    // The national holidays of a range of years, in the same dialog.
    auto *withHolidays = new QCheckBox(QStringLiteral("Anche le festività nazionali degli anni"));
    auto *firstYear = new QSpinBox;
    auto *lastYear = new QSpinBox;
    for (QSpinBox *box : {firstYear, lastYear})
        box->setRange(FirstYear, LastYear);
    firstYear->setValue(year);
    lastYear->setValue(year + 1);
    firstYear->setAccessibleName(QStringLiteral("Dal"));
    lastYear->setAccessibleName(QStringLiteral("Al"));
    auto *holidayRow = new QHBoxLayout;
    holidayRow->addWidget(withHolidays);
    holidayRow->addWidget(firstYear);
    holidayRow->addWidget(new QLabel(QStringLiteral("–")));
    holidayRow->addWidget(lastYear);
    holidayRow->addStretch();
    if (auto *grid = qobject_cast<QGridLayout *>(dialog.layout()))
        grid->addLayout(holidayRow, grid->rowCount(), 0, 1, grid->columnCount());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;

    std::optional<std::pair<int, int>> holidays;
    if (withHolidays->isChecked())
        holidays = std::minmax(firstYear->value(), lastYear->value());
    const IcsExport exported = exportRecurrences(m_state.recurrenceLines(), year, holidays);
    const QString path = dialog.selectedFiles().constFirst();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(exported.ics) != exported.ics.size() ||
        !file.commit()) {
        QMessageBox::warning(this, QStringLiteral("Esporta in iCalendar"),
                             QStringLiteral("Impossibile scrivere il file \"%1\": %2")
                                 .arg(QDir::toNativeSeparators(path), file.errorString()));
        return;
    }
    QString report = QStringLiteral("Ricorrenze esportate: %1.").arg(exported.exported);
    if (exported.skipped > 0)
        report += QStringLiteral("\nRighe non esportate (giorno inesistente o ripetuto): %1.")
                      .arg(exported.skipped);
    QMessageBox::information(this, QStringLiteral("Esporta in iCalendar"), report);
}

void MainWindow::importCalendar()
{
    importLines(QStringLiteral("Importa da iCalendar"),
                QStringLiteral("Calendari iCalendar (*.ics);;Tutti i file (*)"), IcsByteLimit,
                [this](const QByteArray &bytes, const QStringList &lines) {
                    return importRecurrences(bytes, lines, m_state.today());
                });
}

void MainWindow::importContacts()
{
    importLines(QStringLiteral("Importa compleanni dai contatti"),
                QStringLiteral("Contatti vCard (*.vcf *.vcard);;Tutti i file (*)"), VcfByteLimit,
                importBirthdays);
}

void MainWindow::importLines(
    const QString &title, const QString &filter, qsizetype byteLimit,
    const std::function<RecurrenceImport(const QByteArray &, const QStringList &)> &read)
{
    const QString path = QFileDialog::getOpenFileName(this, title, documentsFolder(), filter,
                                                      nullptr, QFileDialog::DontUseNativeDialog);
    if (path.isEmpty())
        return;
    QFile file(path);
    RecurrenceImport imported;
    if (!file.open(QIODevice::ReadOnly)) {
        imported.error = QStringLiteral("Impossibile leggere il file \"%1\": %2")
                             .arg(QDir::toNativeSeparators(path), file.errorString());
    } else {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        // One byte more than is read says that the file is too large.
        imported = read(file.read(byteLimit + 1), m_editor->lines());
        QApplication::restoreOverrideCursor();
    }
    if (!imported.error.isEmpty()) {
        QMessageBox::warning(this, title, imported.error);
        return;
    }
    // The lines go into the editor's list; the file changes only when the user saves.
    m_editor->addImportedLines(imported.added);
    openRecurrenceEditor();
    QMessageBox::information(this, title, importReport(imported));
}

void MainWindow::openSite()
{
    const QUrl page(
        QStringLiteral("http://%1/ftp/?prog=calendario&ver=1.0.7").arg(m_state.makerHost()));
    openOnDesktop(page, this, QStringLiteral("Sito"),
                  QStringLiteral("Impossibile aprire la pagina %1 nel browser.\nInstallare un "
                                 "browser, o aprire l'indirizzo in un browser.")
                      .arg(page.toString()));
}

bool MainWindow::event(QEvent *event)
{
    // A window uncovered or brought back after midnight shows the new today.
    if (event->type() == QEvent::WindowActivate || event->type() == QEvent::Show ||
        event->type() == QEvent::WindowStateChange)
        refreshToday();
    return QMainWindow::event(event);
}

void MainWindow::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_PageUp:
        m_state.stepMonths(-1);
        return;
    case Qt::Key_PageDown:
        m_state.stepMonths(+1);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_monthCaption->hasFocus()) {
            enterDate();
            return;
        }
        break;
    default:
        break;
    }
    QMainWindow::keyPressEvent(event);
}

// Lines added or removed in the editor and not saved are not lost without a word: the user
// saves them, leaves them or stays. True when the window may close.
bool MainWindow::settleUnsavedRecurrences()
{
    if (!m_editor->hasUnsavedLines())
        return true;
    openRecurrenceEditor(); // the lines in sight behind the question
    QMessageBox question(QMessageBox::Question, QStringLiteral("Ricorrenze"),
                         QStringLiteral("Salvare le ricorrenze?"), QMessageBox::NoButton, this);
    question.setInformativeText(
        QStringLiteral("L'elenco delle ricorrenze ha modifiche non salvate."));
    QPushButton *saveButton = question.addButton(QStringLiteral("Salva"), QMessageBox::AcceptRole);
    QPushButton *leaveButton =
        question.addButton(QStringLiteral("Non salvare"), QMessageBox::DestructiveRole);
    question.addButton(QStringLiteral("Annulla"), QMessageBox::RejectRole);
    question.setDefaultButton(saveButton);
    question.exec();
    // A refused save has said why, and keeps the window open.
    return question.clickedButton() == leaveButton ||
           (question.clickedButton() == saveButton && m_editor->save());
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!settleUnsavedRecurrences()) {
        event->ignore();
        return;
    }
    m_webWindow.close();
    delete m_pageWindow.data();
    event->accept();
}

} // namespace velaria
