#include "mainwindow.h"

#include "appicon.h"
#include "calendardate.h"
#include "clickable.h"
#include "datafiles.h"
#include "monthgrid.h"
#include "pagewindow.h"
#include "recurrenceeditor.h"
#include "textfile.h"
#include "twips.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QInputDialog>
#include <QLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QUrl>

namespace velaria {

namespace {

constexpr int PicMonthWidth = 6795;
constexpr int PicMonthHeight = 4395;
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

} // namespace

MainWindow::MainWindow(WindowState &state, const QDate &today, QWidget *parent)
    : QMainWindow(parent), m_state(state), m_today(today)
{
    setObjectName(QStringLiteral("form1"));
    setWindowTitle(QStringLiteral("Velaria ver. 1.0.9 - calendario perpetuo italiano"));
    setWindowIcon(VelariaIcon());
    setWindowFlag(Qt::WindowMaximizeButtonHint, false);

    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("client"));
    setCentralWidget(m_client);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    buildHeader(m_client);
    buildMonthGrid(m_client);

    for (int i = 0; i < 2; ++i) {
        auto *label = new QLabel(m_client);
        label->setObjectName(indexedName("Label4", i));
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        label->setWordWrap(true);
        label->setToolTip(QStringLiteral("Festività"));
        m_label4[i] = label;
    }
    m_label4[0]->setGeometry(twipsRect(90, 5160, 6705, 435));
    m_label4[0]->setFont(pointFont(QStringLiteral("Arial Narrow"), 8.25));
    setTextColour(m_label4[0], QColor(192, 0, 0));
    m_label4[1]->setGeometry(twipsRect(90, 5640, 6705, 225));
    m_label4[1]->setFont(pointFont(QStringLiteral("Times New Roman"), 9));
    setTextColour(m_label4[1], QColor(0, 0, 128));

    auto *command4 = new QPushButton(QStringLiteral("<<"), m_client);
    command4->setObjectName(QStringLiteral("Command4"));
    command4->setGeometry(twipsRect(2010, 4770, 1245, 315));
    command4->hide();
    connect(command4, &QPushButton::clicked, this, [this] { stepMonths(-1); });
    auto *command5 = new QPushButton(QStringLiteral(">>"), m_client);
    command5->setObjectName(QStringLiteral("Command5"));
    command5->setGeometry(twipsRect(3570, 4770, 1245, 315));
    command5->hide();
    connect(command5, &QPushButton::clicked, this, [this] { stepMonths(+1); });

    m_frame4 = new RecurrenceEditor(m_state, m_client);
    m_frame4->hide();
    connect(m_frame4, &RecurrenceEditor::closed, this, &MainWindow::picMonth_Paint);
    connect(m_frame4, &RecurrenceEditor::saved, this, &MainWindow::picMonth_Paint);

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setSingleShot(true);
    m_timer1->setInterval(DayInformationMs);
    connect(m_timer1, &QTimer::timeout, this, [this] { setTall(false); });

    buildMenu();
    Form_Load();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildHeader(QWidget *client)
{
    auto *frame1 = new QGroupBox(client);
    frame1->setObjectName(QStringLiteral("Frame1"));
    frame1->setGeometry(twipsRect(90, 30, 6705, 675));

    const QColor arrowRed(192, 0, 0);
    m_lblPrev = new ClickLabel(QStringLiteral("<<"), frame1);
    m_lblPrev->setObjectName(QStringLiteral("lblPrev"));
    m_lblPrev->setGeometry(twipsRect(120, 150, 555, 495));
    m_lblNext = new ClickLabel(QStringLiteral(">>"), frame1);
    m_lblNext->setObjectName(QStringLiteral("lblNext"));
    m_lblNext->setGeometry(twipsRect(6060, 150, 525, 495));
    for (ClickLabel *arrow : {m_lblPrev, m_lblNext}) {
        arrow->setFont(pointFont(QStringLiteral("MS Sans Serif"), 18, true));
        arrow->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        setTextColour(arrow, arrowRed);
    }

    m_lblMonth = new ClickLabel(frame1);
    m_lblMonth->setObjectName(QStringLiteral("lblMonth"));
    m_lblMonth->setGeometry(twipsRect(600, 120, 5685, 495));
    m_lblMonth->setFont(pointFont(QStringLiteral("MS Sans Serif"), 24));
    m_lblMonth->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_lblMonth->setToolTip(QStringLiteral("Cliccare 2 volte per inserire la nuova data"));
    setTextColour(m_lblMonth, arrowRed);
    m_lblMonth->lower(); // the arrows overlap the caption's ends and must stay on top

    connect(m_lblPrev, &ClickLabel::pressed, this, [this](Qt::MouseButtons buttons) {
        if (buttons & Qt::LeftButton)
            stepMonths(-1);
    });
    connect(m_lblPrev, &ClickLabel::doubleClicked, this, [this] { stepMonths(-1); });
    connect(m_lblNext, &ClickLabel::pressed, this, [this](Qt::MouseButtons buttons) {
        if (buttons & Qt::LeftButton)
            stepMonths(+1);
    });
    connect(m_lblNext, &ClickLabel::doubleClicked, this, [this] { stepMonths(+1); });
    connect(m_lblMonth, &ClickLabel::doubleClicked, this, &MainWindow::lblMonth_DblClick);
}

void MainWindow::buildMonthGrid(QWidget *client)
{
    m_picMonth = new MonthGrid(client);
    m_picMonth->setGeometry(twipsRect(30, 750, PicMonthWidth, PicMonthHeight));

    for (int column = 0; column < 7; ++column) {
        const Column &c = Columns[static_cast<std::size_t>(column)];
        auto *heading =
            new QLabel(GridHeadings[static_cast<std::size_t>(column)].toString(), m_picMonth);
        heading->setObjectName(indexedName("Label1", c.labelIndex));
        heading->setGeometry(twipsRect(c.headingLeft, 60, c.headingWidth, 495));
        heading->setFont(pointFont(QStringLiteral("MS Sans Serif"), 18));
        setTextColour(heading, toQColor(c.headingColour));

        auto *area = new ClickArea(m_picMonth);
        area->setObjectName(indexedName("Image1", column));
        area->setGeometry(twipsRect(c.areaLeft, 30, c.areaWidth, 4335));
        connect(area, &ClickArea::pressed, this, [this, column](Qt::MouseButton, QPoint at) {
            showDayInformation(column, static_cast<int>(twips(at.y())));
        });
    }

    m_frame3 = new ClickFrame(QStringLiteral("oggi è"), m_picMonth);
    m_frame3->setObjectName(QStringLiteral("Frame3"));
    m_frame3->setGeometry(twipsRect(3480, 1350, 645, 730));
    m_frame3->setFont(pointFont(QStringLiteral("Arial Narrow"), 8.25));
    m_frame3->setToolTip(QStringLiteral("Clicca per andare al sito."));
    setTextColour(m_frame3, QColor(64, 64, 64));
    m_frame3->raise();
    connect(m_frame3, &ClickFrame::clicked, this, &MainWindow::Frame3_Click);

    auto *command3 = new QPushButton(QStringLiteral("Nuova data"), m_picMonth);
    command3->setObjectName(QStringLiteral("Command3"));
    command3->setGeometry(twipsRect(2700, 3600, 1245, 315));
    command3->hide();
    connect(command3, &QPushButton::clicked, this, &MainWindow::picMonth_Paint);
}

void MainWindow::buildMenu()
{
    QMenuBar *bar = menuBar();
    QAction *mesCor = bar->addAction(QStringLiteral("Data Corrente"));
    mesCor->setObjectName(QStringLiteral("MesCor"));
    connect(mesCor, &QAction::triggered, this, [this] { GoToDate(today()); });

    QMenu *festLoc = bar->addMenu(QStringLiteral("Ricorrenze"));
    festLoc->setObjectName(QStringLiteral("FestLoc"));
    QAction *configura = festLoc->addAction(QStringLiteral("Inserimento"));
    configura->setObjectName(QStringLiteral("configura"));
    connect(configura, &QAction::triggered, this, [this] {
        m_frame4->raise();
        m_frame4->show();
    });
    QAction *ricorrenze = festLoc->addAction(QStringLiteral("Apri il file"));
    ricorrenze->setObjectName(QStringLiteral("ricorrenze"));
    connect(ricorrenze, &QAction::triggered, this, &MainWindow::openRecurrenceFile);

    QAction *creaCale = bar->addAction(QStringLiteral("Pagina di creazione e stampa"));
    creaCale->setObjectName(QStringLiteral("CreaCale"));
    connect(creaCale, &QAction::triggered, this, &MainWindow::CreaCale_Click);

    QAction *sito = bar->addAction(QStringLiteral("Sito"));
    sito->setObjectName(QStringLiteral("Sito"));
    connect(sito, &QAction::triggered, this, &MainWindow::openSite);
}

void MainWindow::Form_Load()
{
    m_client->setFixedSize(px(ClientWidth), px(ClientHeightNormal));
    m_frame4->setGeometry(twipsRect(90, 780, ClientWidth - 180, 4815));

    const QStringList lines = ReadRecurrenceLines(m_state.dataFolder);
    m_frame4->setLines(lines);
    m_state.Ricorr.readLines(lines);
    m_state.Pubblicita = ReadBanner(m_state.dataFolder, m_state.makerHost);

    // Cell sizes from the grid's inner size, less one pixel.
    m_state.CellWidth = static_cast<int>(std::lround(PicMonthWidth - TwipsPerPixel)) / 7;
    m_state.CellHeight = static_cast<int>(std::lround(PicMonthHeight - TwipsPerPixel)) / 6 - 110;

    m_state.DateConfirmed = false;
    QDate shown = today();
    GetDate(shown);
    picMonth_Paint();
}

QDate MainWindow::today() const
{
    return m_today.isValid() ? m_today : QDate::currentDate();
}

bool MainWindow::GetDate(QDate &UserDate, const QString &Title)
{
    m_state.ShownDate = UserDate;
    if (!Title.isEmpty())
        setWindowTitle(Title);
    if (m_state.DateConfirmed)
        UserDate = m_state.ShownDate;
    return m_state.DateConfirmed;
}

void MainWindow::GoToDate(const QDate &date)
{
    if (!IsSupportedDate(date))
        return;
    const bool sameMonth =
        date.year() == m_state.ShownDate.year() && date.month() == m_state.ShownDate.month();
    m_state.ShownDate = date;
    if (!sameMonth)
        picMonth_Paint();
}

void MainWindow::stepMonths(int months)
{
    const QDate target = AddMonths(m_state.ShownDate, months);
    if (target.isValid())
        GoToDate(target);
}

void MainWindow::picMonth_Paint()
{
    const QDate now = today();
    const MonthLayout month =
        ComputeMonth(m_state.ShownDate, now, m_state.Ricorr, m_state.CellWidth, m_state.CellHeight);
    m_lblMonth->setText(month.caption);
    lblMonth_Change(month.caption);
    m_state.DaysInMonth = month.daysInMonth;
    m_state.GridOffset = month.gridOffset;
    if (month.todayFramePlaced)
        m_frame3->move(px(month.todayFrameLeft), px(month.todayFrameTop));
    m_frame3->setVisible(month.todayFrameVisible);
    // The line has room for two rows of text; laying out a far longer one (a recurrence of
    // megabytes in a damaged file) would freeze the window for seconds.
    m_label4[0]->setText(month.holidayLine.left(HolidayLineShown));
    m_picMonth->setMonth(month, m_state.CellWidth, m_state.CellHeight);
}

void MainWindow::lblMonth_Change(const QString &caption)
{
    m_state.NomeMese = caption.left(caption.size() - 4);
    m_state.AnnoMese = caption.right(4);
}

void MainWindow::lblMonth_DblClick()
{
    const QString example = DateText(today());
    bool accepted = false;
    const QString answer = QInputDialog::getText(this, QStringLiteral("Inserire la nuova data"),
                                                 QStringLiteral("Esempio: ") + example,
                                                 QLineEdit::Normal, example, &accepted);
    if (!accepted)
        return;
    // Anything that is not a date leaves the view as it was.
    GoToDate(ParseDateEntry(answer));
}

void MainWindow::showDayInformation(int column, int y)
{
    const QString line = DayInformation(column, y, m_state.ShownDate, m_state.GridOffset,
                                        m_state.DaysInMonth, m_state.NomeMese);
    if (line.isEmpty())
        return;
    m_label4[1]->setText(line);
    setTall(true);
    m_timer1->start();
}

void MainWindow::setTall(bool tall)
{
    m_tall = tall;
    m_client->setFixedSize(px(ClientWidth), px(tall ? ClientHeightTall : ClientHeightNormal));
}

void MainWindow::Frame3_Click()
{
    m_webWindow.show(WebWindowLauncher::HoroscopePage(m_state.makerHost));
}

void MainWindow::CreaCale_Click()
{
    if (!m_form3)
        m_form3 = new PageWindow(m_state, this);
    m_form3->show();
    m_form3->raise();
    m_form3->activateWindow();
}

void MainWindow::openRecurrenceFile()
{
    const QString path = QDir(m_state.dataFolder).filePath(RecurrenceFileName);
    if (!QFileInfo::exists(path)) {
        const QString error = WriteTextLines(path, {});
        if (!error.isEmpty()) {
            QMessageBox::warning(this, QStringLiteral("Ricorrenze"), error);
            return;
        }
    }
#ifdef Q_OS_WIN
    const bool started =
        QProcess::startDetached(QStringLiteral("notepad.exe"), {QDir::toNativeSeparators(path)});
#else
    const bool started = QDesktopServices::openUrl(QUrl::fromLocalFile(path));
#endif
    if (!started)
        QMessageBox::warning(this, QStringLiteral("Ricorrenze"),
                             QStringLiteral("Impossibile avviare un editor di testo per il "
                                            "file \"%1\".")
                                 .arg(QDir::toNativeSeparators(path)));
}

void MainWindow::openSite()
{
    QDesktopServices::openUrl(
        QUrl(QStringLiteral("http://%1/ftp/?prog=calendario&ver=1.0.7").arg(m_state.makerHost)));
}

void MainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_centred) {
        m_centred = true;
        if (const QScreen *place = screen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(place->availableGeometry().center());
            move(frame.topLeft());
        }
    }
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    m_webWindow.close();
    delete m_form3.data();
    event->accept();
}

} // namespace velaria
