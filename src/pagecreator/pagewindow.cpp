#include "pagewindow.h"

#include "calendardate.h"
#include "clickable.h"
#include "datafiles.h"
#include "filedialog.h"
#include "pagecomposer.h"
#include "pagecontent.h"
#include "pagepreview.h"
#include "pathbox.h"
#include "penicon.h"
#include "printing.h"
#include "textfile.h"
#include "twips.h"

#include <QAbstractButton>
#include <QDir>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

namespace velaria {

namespace {

constexpr int Picture2Top = 30;
constexpr int Shape2Width = 40;

struct MonthLabel
{
    const char *caption;
    int left;
    int top;
    int width;
};

constexpr std::array<MonthLabel, 12> MonthLabels = {{{"Gennaio", 1530, 360, 645},
                                                     {"Febbraio", 1530, 930, 645},
                                                     {"Marzo", 1500, 1500, 645},
                                                     {"Aprile", 1560, 2040, 525},
                                                     {"Maggio", 1530, 2610, 645},
                                                     {"Giugno", 1530, 3180, 645},
                                                     {"Luglio", 1530, 3750, 645},
                                                     {"Agosto", 1500, 4320, 645},
                                                     {"Settembre", 1470, 4860, 735},
                                                     {"Ottobre", 1530, 5430, 645},
                                                     {"Novembre", 1470, 6000, 765},
                                                     {"Dicembre", 1440, 6570, 765}}};

constexpr std::array<int, 12> PathBoxTops = {600,  1170, 1710, 2250, 2820, 3390,
                                             3960, 4530, 5100, 5670, 6240, 6810};
constexpr std::array<int, 12> PenTops = {420,  960,  1560, 2100, 2640, 3240,
                                         3810, 4380, 4950, 5520, 6090, 6660};

const QColor LightGreen(192, 255, 192);
const QColor Pink(255, 192, 192);

QString indexedName(const char *name, std::size_t index)
{
    return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index);
}

void setColour(QWidget *widget, QPalette::ColorRole role, const QColor &colour)
{
    QPalette colours = widget->palette();
    colours.setColor(role, colour);
    widget->setPalette(colours);
}

QPushButton *makeButton(QWidget *parent, const char *name, const QString &text, QRect place)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(place);
    return button;
}

QString monthTitle(int month)
{
    const QString name = MonthNames[static_cast<std::size_t>(month - 1)].toString();
    return name.left(1) + name.mid(1).toLower();
}

} // namespace

PageWindow::PageWindow(WindowState &state, QWidget *mainWindow)
    : QWidget(nullptr), m_state(state), m_mainWindow(mainWindow)
{
    setObjectName(QStringLiteral("Form3"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(Caption());
    if (mainWindow)
        setWindowIcon(mainWindow->windowIcon());
    setFixedSize(px(ClientWidth), px(ClientHeight));
    setFont(pointFont(QStringLiteral("MS Sans Serif"), 8.25));

    m_picture2 = new PagePreview(this);
    m_picture2->setObjectName(QStringLiteral("Picture2"));
    m_picture2->setGeometry(twipsRect(0, Picture2Top, PageWidth, PageHeight));
    m_shape2 = new QFrame(m_picture2);
    m_shape2->setObjectName(QStringLiteral("Shape2"));
    m_shape2->setGeometry(twipsRect(3600, 90, Shape2Width, 75));
    m_shape2->setAutoFillBackground(true);
    setColour(m_shape2, QPalette::Window, Qt::black);

    buildPictureFrame();
    buildButtonFrame();

    auto *label5 = new QLabel(
        QStringLiteral("Cliccare sulla penna per cercare le immagini da inserire nelle pagine "
                       "del calendario, quindi  salvare con il tasto apposito, premere stampa "
                       "per ogni pagina creata scorrendo i mesi con le freccette blu. La "
                       "risoluzione di schermo del PC deve essere minimo 1024x768 pixel."),
        this);
    label5->setObjectName(QStringLiteral("Label5"));
    label5->setGeometry(twipsRect(8580, 9420, 3135, 1485));
    label5->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label5->setWordWrap(true);

    m_label6 = new QLabel(this);
    m_label6->setObjectName(QStringLiteral("Label6"));
    m_label6->setGeometry(twipsRect(60, 11100, 11925, 195));
    m_label6->setAlignment(Qt::AlignCenter);

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setSingleShot(true);
    m_timer1->setInterval(ComposeDelayMs);
    connect(m_timer1, &QTimer::timeout, this, &PageWindow::Timer1_Timer);
    m_timer2 = new QTimer(this);
    m_timer2->setObjectName(QStringLiteral("Timer2"));
    m_timer2->setSingleShot(true);
    m_timer2->setInterval(CaptionRestoreMs);
    connect(m_timer2, &QTimer::timeout, this, &PageWindow::Timer2_Timer);

    Carica1();
    m_timer1->start();
}

PageWindow::~PageWindow() = default;

QString PageWindow::Caption()
{
    return QStringLiteral("Finestra creazione calendario");
}

void PageWindow::buildPictureFrame()
{
    auto *frame1 = new QGroupBox(QStringLiteral("Inserimento immagini"), this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    frame1->setGeometry(twipsRect(8250, 30, 3735, 7785));

    const QPixmap pen = PenIcon();
    for (std::size_t i = 0; i < 12; ++i) {
        const MonthLabel &month = MonthLabels[i];
        auto *label = new QLabel(QLatin1String(month.caption), frame1);
        label->setObjectName(indexedName("Label1", i));
        // Where the name is wider than its place, it widens about the same centre.
        QRect place = twipsRect(month.left, month.top, month.width, 255);
        const int needed = label->fontMetrics().horizontalAdvance(label->text()) + 4;
        if (needed > place.width())
            place.adjust(-(needed - place.width() + 1) / 2, 0, (needed - place.width() + 1) / 2, 0);
        label->setGeometry(place);
        label->setAlignment(Qt::AlignCenter);

        auto *box = new PathBox(frame1);
        box->setObjectName(indexedName("Text1", i));
        box->setGeometry(twipsRect(90, PathBoxTops[i], 3045, 285));
        m_text1[i] = box;
        const int index = static_cast<int>(i);
        connect(box, &PathBox::clicked, this, [this, index] { selectMonth(index); });

        auto *image = new ClickLabel(frame1);
        image->setObjectName(indexedName("Image2", i));
        image->setGeometry(twipsRect(i == 1 ? 3210 : 3180, PenTops[i], 480, 480));
        image->setPixmap(pen);
        image->setCursor(Qt::PointingHandCursor);
        m_image2[i] = image;
        connect(image, &ClickLabel::clicked, this, [this, index] { choosePicture(index); });
    }

    const QFont arrowFont = pointFont(QStringLiteral("MS Sans Serif"), 13.5, true);
    auto *label3 = new ClickLabel(QStringLiteral("<<"), frame1);
    label3->setObjectName(QStringLiteral("Label3"));
    label3->setGeometry(twipsRect(150, 7290, 405, 345));
    label3->setToolTip(QStringLiteral("Indietro"));
    auto *label4 = new ClickLabel(QStringLiteral(">>"), frame1);
    label4->setObjectName(QStringLiteral("Label4"));
    label4->setGeometry(twipsRect(3240, 7290, 375, 255));
    label4->setToolTip(QStringLiteral("Avanti"));
    for (ClickLabel *arrow : {label3, label4}) {
        arrow->setFont(arrowFont);
        setColour(arrow, QPalette::WindowText, Qt::blue);
        arrow->setCursor(Qt::PointingHandCursor);
    }
    connect(label3, &ClickLabel::clicked, this, [this] {
        pressMainButton("Command4");
        requestPage();
    });
    connect(label4, &ClickLabel::clicked, this, [this] {
        pressMainButton("Command5");
        requestPage();
    });

    m_label2 = new QLabel(frame1);
    m_label2->setObjectName(QStringLiteral("Label2"));
    m_label2->setGeometry(twipsRect(930, 7350, 1935, 255));
    m_label2->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_label2->setFont(pointFont(QStringLiteral("MS Sans Serif"), 9.75, true));
}

void PageWindow::buildButtonFrame()
{
    auto *frame2 = new QGroupBox(this);
    frame2->setObjectName(QStringLiteral("Frame2"));
    frame2->setGeometry(twipsRect(8310, 7830, 3705, 1455));

    auto *command4 = makeButton(frame2, "Command4", QStringLiteral("Salva Pagina"),
                                twipsRect(480, 180, 1275, 315));
    command4->setToolTip(QStringLiteral("Salva immagine sul DeskTop"));
    auto *command3 = makeButton(frame2, "Command3", QStringLiteral("Salva elenco"),
                                twipsRect(1950, 180, 1305, 315));
    command3->setToolTip(QStringLiteral("Salvataggio indirizi immagini"));
    auto *command1 =
        makeButton(frame2, "Command1", QStringLiteral("Stampa A4"), twipsRect(480, 630, 1275, 315));
    auto *command5 = makeButton(frame2, "Command5", QStringLiteral("Stampa A3"),
                                twipsRect(1950, 630, 1305, 315));
    auto *command2 =
        makeButton(frame2, "Command2", QStringLiteral("Esci"), twipsRect(1200, 1050, 1305, 315));
    command2->setToolTip(QStringLiteral("Chiudi la pagina di edit"));
    setColour(command1, QPalette::Button, LightGreen);
    setColour(command5, QPalette::Button, LightGreen);
    setColour(command2, QPalette::Button, Pink);

    connect(command1, &QPushButton::clicked, this, [this] { printPage(StampaA4); });
    connect(command5, &QPushButton::clicked, this, [this] { printPage(StampaA3); });
    connect(command4, &QPushButton::clicked, this, &PageWindow::savePage);
    connect(command3, &QPushButton::clicked, this, &PageWindow::saveList);
    connect(command2, &QPushButton::clicked, this, &QWidget::hide);
}

QImage PageWindow::preview() const
{
    return m_picture2->image();
}

void PageWindow::requestPage()
{
    m_timer1->start();
}

void PageWindow::Carica1()
{
    const PictureList list = ReadPictureList(m_state.dataFolder);
    for (std::size_t n = 0; n < m_text1.size(); ++n)
        m_text1[n]->setText(list.paths[n]);
    if (!list.error.isEmpty()) {
        m_timer2->stop();
        setWindowTitle(Caption() + QStringLiteral(" - ") + list.error);
    }
}

void PageWindow::saveList()
{
    QStringList lines;
    for (const PathBox *box : m_text1)
        lines << box->text();
    const QString error =
        WriteTextLines(QDir(m_state.dataFolder).filePath(PictureListFileName), lines);
    if (!error.isEmpty())
        m_label6->setText(error);
}

bool PageWindow::selectMonth(int index)
{
    const QDate shown = m_state.ShownDate;
    const QDate target(shown.year(), index + 1, shown.day());
    if (!target.isValid() || !IsSupportedDate(target)) {
        m_label6->setText(QStringLiteral("Impossibile passare a %1 %2: il giorno %3 non esiste "
                                         "in quel mese.")
                              .arg(monthTitle(index + 1).toLower())
                              .arg(shown.year())
                              .arg(shown.day()));
        return false;
    }
    m_state.ShownDate = target;
    pressMainButton("Command3");
    requestPage();
    return true;
}

void PageWindow::choosePicture(int index)
{
    // A month that cannot be selected is reported; the picture can still be chosen.
    selectMonth(index);

    RichiestaApri request;
    request.titolo = QStringLiteral("File di Init");
    request.filtri = {{QStringLiteral("File di init (*.jpg);(*.bmp)"),
                       {QStringLiteral("*.jpg"), QStringLiteral("*.JPG"), QStringLiteral("*.jpeg"),
                        QStringLiteral("*.JPEG"), QStringLiteral("*.bmp"), QStringLiteral("*.BMP"),
                        QStringLiteral("*.png"), QStringLiteral("*.PNG")}},
                      {QStringLiteral("Tutti i file (*.*)"), {QStringLiteral("*")}}};
    request.cartellaIniziale = m_state.dataFolder;
    const FileScelti chosen = ApriFile(this, request);
    if (chosen.Annullato || chosen.Quanti < 1 || chosen.Nomi.isEmpty())
        return;
    // Of several files, the first one is the month's picture.
    m_text1[static_cast<std::size_t>(index)]->setText(
        QDir(chosen.Cartella).filePath(chosen.Nomi.first()));
    requestPage();
}

void PageWindow::pressMainButton(const char *name)
{
    if (!m_mainWindow)
        return;
    if (auto *button = m_mainWindow->findChild<QAbstractButton *>(QLatin1String(name)))
        button->click();
}

void PageWindow::printPage(const SheetPlacement &sheet)
{
    const QString error = StampaPagina(m_page.canvas, sheet.paper, sheet.place);
    if (!error.isEmpty())
        QMessageBox::critical(this, QStringLiteral("Printer Error!"), error);
}

void PageWindow::savePage()
{
    const QString path = CartellaSpeciale() + m_state.NomeMese.trimmed() + QStringLiteral(".bmp");
    const QString error = SaveBitmap(m_page.canvas, path);
    if (!error.isEmpty()) {
        m_label6->setText(error);
        return;
    }
    m_label6->setText(QStringLiteral("Pagina salvata nel file \"%1\".")
                          .arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath())));
}

void PageWindow::Timer1_Timer()
{
    m_timer1->stop();
    m_label6->clear();

    PageContent page = PageContentOf(m_state);

    const QString monthName = m_state.NomeMese.trimmed();
    for (std::size_t i = 0; i < MonthNames.size(); ++i) {
        if (monthName != MonthNames[i])
            continue;
        const LoadedPicture loaded = LoadMonthPicture(m_pictures, m_text1[i]->text());
        m_picture = loaded.image;
        if (!loaded.error.isEmpty()) {
            m_label6->setText(loaded.error);
            m_timer2->start();
        }
        break;
    }
    page.picture = m_picture;

    ComposeBoth(page, m_page);
    m_picture2->setImage(m_page.preview);
    m_label2->setText(PageCaption(page));
    emit pageComposed();
}

void PageWindow::Timer2_Timer()
{
    m_timer2->stop();
    setWindowTitle(Caption());
}

bool PageWindow::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate) {
        requestPage();
        centreMark();
    }
    return QWidget::event(event);
}

void PageWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeWindow();
}

void PageWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    placeWindow();
    // The frame's size is known once the window is on the screen.
    QTimer::singleShot(0, this, &PageWindow::placeWindow);
}

void PageWindow::placeWindow()
{
    const QScreen *place = screen();
    if (!place)
        return;
    const QRect area = place->geometry();
    move(area.left() + (area.width() - frameGeometry().width()) / 2, area.top());
}

void PageWindow::centreMark()
{
    m_shape2->move(px((PageWidth - Shape2Width) / 2.0), m_shape2->y());
}

} // namespace velaria
