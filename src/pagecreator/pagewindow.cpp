#include "pagewindow.h"

#include "calendardate.h"
#include "calendarstate.h"
#include "filedialog.h"
#include "messageline.h"
#include "pagecomposer.h"
#include "pagecontent.h"
#include "pagecreator.h"
#include "pagefiles.h"
#include "pagepreview.h"
#include "pathbox.h"
#include "penicon.h"
#include "twips.h"
#include "windowplacement.h"
#include "yeardialog.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include <algorithm>

namespace velaria {

namespace {

constexpr int PreviewTop = 30;
constexpr int CentreMarkWidth = 40;

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

QPushButton *makeButton(QWidget *parent, const char *name, const QString &text,
                        const QString &purpose, QRect place)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setAccessibleDescription(purpose);
    button->setGeometry(place);
    return button;
}

// A control that looks like a picture or a sign (the pens, the arrows) and works as a button:
// it takes the focus with Tab and acts on Enter and Space.
QToolButton *flatButton(QWidget *parent, const QString &name, const QString &accessibleName,
                        QRect place)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(name);
    button->setAccessibleName(accessibleName);
    button->setGeometry(place);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::StrongFocus);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

// "gennaio": the month's name as a sentence has it.
QString monthInText(int month)
{
    return monthTitle(month).toLower();
}

// The text made to fit `width`: a path in it (its longest part in double quotes) loses its
// middle first, so that what the message says about the file stays readable.
QString fitted(const QString &text, const QFontMetrics &metrics, int width)
{
    if (metrics.horizontalAdvance(text) <= width)
        return text;
    qsizetype pathStart = -1;
    qsizetype pathLength = 0;
    for (qsizetype open = text.indexOf(u'"'); open >= 0;) {
        const qsizetype close = text.indexOf(u'"', open + 1);
        if (close < 0)
            break;
        if (close - open - 1 > pathLength) {
            pathStart = open + 1;
            pathLength = close - open - 1;
        }
        open = text.indexOf(u'"', close + 1);
    }
    if (pathStart >= 0) {
        const QString before = text.left(pathStart);
        const QString after = text.mid(pathStart + pathLength);
        const int room = width - metrics.horizontalAdvance(before + after);
        if (room > 0) {
            const QString path =
                metrics.elidedText(text.mid(pathStart, pathLength), Qt::ElideMiddle, room);
            const QString shortened = before + path + after;
            if (metrics.horizontalAdvance(shortened) <= width)
                return shortened;
        }
    }
    return metrics.elidedText(text, Qt::ElideRight, width);
}

} // namespace

PageWindow::PageWindow(CalendarState &state, QWidget *parent)
    : QWidget(parent, Qt::Window), m_state(state), m_creator(new PageCreator(state, this))
{
    setObjectName(QStringLiteral("Form3"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(caption()); // and the window's name, so that an error in it is told
    setFixedSize(px(ClientWidth), px(ClientHeight));
    setFont(pointFont(QStringLiteral("MS Sans Serif"), 8.25));

    m_preview = new PagePreview(this);
    m_preview->setObjectName(QStringLiteral("Picture2"));
    m_preview->setAccessibleName(QStringLiteral("Anteprima della pagina"));
    m_preview->setFocusPolicy(Qt::StrongFocus);
    m_preview->setGeometry(twipsRect(0, PreviewTop, PageWidth, PageHeight));
    m_centreMark = new QFrame(m_preview);
    m_centreMark->setObjectName(QStringLiteral("Shape2"));
    m_centreMark->setAccessibleName(QStringLiteral("Centro della pagina"));
    m_centreMark->setGeometry(twipsRect(3600, 90, CentreMarkWidth, 75));
    m_centreMark->setAutoFillBackground(true);
    setColour(m_centreMark, QPalette::Window, Qt::black);

    buildPictureFrame();
    buildButtonFrame();

    auto *help = new QLabel(
        QStringLiteral("Cliccare sulla penna per cercare le immagini da inserire nelle pagine "
                       "del calendario, quindi  salvare con il tasto apposito, premere stampa "
                       "per ogni pagina creata scorrendo i mesi con le freccette blu. La "
                       "risoluzione di schermo del PC deve essere minimo 1024x768 pixel."),
        this);
    help->setObjectName(QStringLiteral("Label5"));
    help->setAccessibleDescription(QStringLiteral("Istruzioni"));
    help->setGeometry(twipsRect(8580, 9420, 3135, 1485));
    help->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    help->setWordWrap(true);

    m_statusLine = new MessageLine(this);
    m_statusLine->setObjectName(QStringLiteral("Label6"));
    // Read as it shows; its tool tip, the whole message, is its description.
    m_statusLine->setGeometry(twipsRect(60, 11100, 11925, 195));
    m_statusLine->setAlignment(Qt::AlignCenter);

    m_composeTimer = new QTimer(this);
    m_composeTimer->setObjectName(QStringLiteral("Timer1"));
    m_composeTimer->setSingleShot(true);
    m_composeTimer->setInterval(ComposeDelayMs);
    connect(m_composeTimer, &QTimer::timeout, this, &PageWindow::composeNow);
    m_captionTimer = new QTimer(this);
    m_captionTimer->setObjectName(QStringLiteral("Timer2"));
    m_captionTimer->setSingleShot(true);
    m_captionTimer->setInterval(CaptionRestoreMs);
    connect(m_captionTimer, &QTimer::timeout, this, &PageWindow::restoreCaption);

    connect(m_creator, &PageCreator::pageComposed, this, &PageWindow::showPage);
    connect(&m_state, &CalendarState::shownDateChanged, this, &PageWindow::requestPage);
    connect(&m_state, &CalendarState::recurrencesChanged, this, &PageWindow::requestPage);

    // At the top of the screen, its title bar in sight.
    placeByFrame(this, [](QSize frame, QRect available) {
        QPoint corner = topCentre(frame, available);
        corner.setX(std::max(corner.x(), available.left()));
        return corner;
    });

    readPictureList();
    requestPage();
}

PageWindow::~PageWindow() = default;

QString PageWindow::caption()
{
    return QStringLiteral("Finestra creazione calendario");
}

void PageWindow::buildPictureFrame()
{
    auto *frame1 = new QGroupBox(QStringLiteral("Inserimento immagini"), this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    frame1->setAccessibleName(QStringLiteral("Inserimento immagini"));
    frame1->setGeometry(twipsRect(8250, 30, 3735, 7785));

    const QPixmap pen = penIcon();
    for (std::size_t i = 0; i < 12; ++i) {
        const MonthLabel &month = MonthLabels[i];
        const int index = static_cast<int>(i);
        const QString name = monthInText(index + 1);

        auto *label = new QLabel(QLatin1String(month.caption), frame1);
        label->setObjectName(indexedName("Label1", i));
        label->setAccessibleName(QLatin1String(month.caption));
        // Where the name is wider than its place, it widens about the same centre.
        QRect place = twipsRect(month.left, month.top, month.width, 255);
        const int needed = label->fontMetrics().horizontalAdvance(label->text()) + 4;
        if (needed > place.width())
            place.adjust(-(needed - place.width() + 1) / 2, 0, (needed - place.width() + 1) / 2, 0);
        label->setGeometry(place);
        label->setAlignment(Qt::AlignCenter);

        auto *box = new PathBox(frame1);
        box->setObjectName(indexedName("Text1", i));
        box->setAccessibleName(QStringLiteral("Immagine di %1").arg(name));
        box->setGeometry(twipsRect(90, PathBoxTops[i], 3045, 285));
        m_pathBoxes[i] = box;
        connect(box, &PathBox::clicked, this, [this, index] {
            clearMessage();
            selectMonth(index);
        });
        connect(box, &PathBox::textChanged, this,
                [this, index](const QString &path) { m_creator->setPicturePath(index + 1, path); });

        auto *chooser = flatButton(frame1, indexedName("Image2", i),
                                   QStringLiteral("Scegli l'immagine di %1").arg(name),
                                   twipsRect(i == 1 ? 3210 : 3180, PenTops[i], 480, 480));
        chooser->setIcon(pen);
        chooser->setIconSize(pen.size());
        connect(chooser, &QToolButton::clicked, this, [this, index, chooser] {
            choosePicture(index);
            chooser->setFocus(Qt::OtherFocusReason); // where the dialog took it from
        });
    }

    const QFont arrowFont = pointFont(QStringLiteral("MS Sans Serif"), 13.5, true);
    auto *back = flatButton(frame1, QStringLiteral("Label3"), QStringLiteral("Mese precedente"),
                            twipsRect(150, 7290, 405, 345));
    back->setText(QStringLiteral("<<"));
    back->setToolTip(QStringLiteral("Indietro"));
    auto *forward = flatButton(frame1, QStringLiteral("Label4"), QStringLiteral("Mese successivo"),
                               twipsRect(3240, 7290, 375, 255));
    forward->setText(QStringLiteral(">>"));
    forward->setToolTip(QStringLiteral("Avanti"));
    for (QToolButton *arrow : {back, forward}) {
        arrow->setFont(arrowFont);
        setColour(arrow, QPalette::ButtonText, Qt::blue);
    }
    connect(back, &QToolButton::clicked, this, [this] { stepMonth(-1); });
    connect(forward, &QToolButton::clicked, this, [this] { stepMonth(1); });

    m_monthCaption = new QLabel(frame1);
    m_monthCaption->setObjectName(QStringLiteral("Label2"));
    m_monthCaption->setAccessibleDescription(QStringLiteral("Mese della pagina"));
    m_monthCaption->setGeometry(twipsRect(930, 7350, 1935, 255));
    m_monthCaption->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_monthCaption->setFont(pointFont(QStringLiteral("MS Sans Serif"), 9.75, true));
}

void PageWindow::buildButtonFrame()
{
    auto *frame2 = new QGroupBox(this);
    frame2->setObjectName(QStringLiteral("Frame2"));
    frame2->setAccessibleName(QStringLiteral("Salvataggio e stampa"));
    frame2->setGeometry(twipsRect(8310, 7830, 3705, 1455));

    auto *saveButton =
        makeButton(frame2, "Command4", QStringLiteral("Salva Pagina"),
                   QStringLiteral("Salva la pagina sul desktop"), twipsRect(480, 180, 1275, 315));
    saveButton->setToolTip(QStringLiteral("Salva immagine sul DeskTop"));
    auto *listButton = makeButton(frame2, "Command3", QStringLiteral("Salva elenco"),
                                  QStringLiteral("Salva l'elenco delle immagini"),
                                  twipsRect(1950, 180, 1305, 315));
    listButton->setToolTip(QStringLiteral("Salvataggio indirizi immagini"));
    auto *a4Button = makeButton(frame2, "Command1", QStringLiteral("Stampa A4"),
                                QStringLiteral("Stampa la pagina su un foglio A4"),
                                twipsRect(480, 630, 1275, 315));
    auto *a3Button = makeButton(frame2, "Command5", QStringLiteral("Stampa A3"),
                                QStringLiteral("Stampa la pagina su un foglio A3"),
                                twipsRect(1950, 630, 1305, 315));
    auto *yearButton =
        makeButton(frame2, "Command6", QStringLiteral("Anno intero…"),
                   QStringLiteral("Il calendario di un anno in un PDF, in stampa o sul desktop"),
                   twipsRect(480, 1050, 1275, 315));
    auto *closeButton =
        makeButton(frame2, "Command2", QStringLiteral("Esci"), QStringLiteral("Chiudi la finestra"),
                   twipsRect(1950, 1050, 1305, 315));
    closeButton->setToolTip(QStringLiteral("Chiudi la pagina di edit"));
    setColour(a4Button, QPalette::Button, LightGreen);
    setColour(a3Button, QPalette::Button, LightGreen);
    setColour(closeButton, QPalette::Button, Pink);

    connect(a4Button, &QPushButton::clicked, this, [this] { printPage(A4Sheet); });
    connect(a3Button, &QPushButton::clicked, this, [this] { printPage(A3Sheet); });
    connect(saveButton, &QPushButton::clicked, this, &PageWindow::savePage);
    connect(listButton, &QPushButton::clicked, this, &PageWindow::savePictureList);
    connect(yearButton, &QPushButton::clicked, this, [this] {
        clearMessage();
        auto *dialog = new YearDialog(m_state, m_creator->picturePaths(), this);
        connect(dialog, &YearDialog::reported, this,
                [this](const QString &text) { showMessage(text); });
        dialog->open();
    });
    connect(closeButton, &QPushButton::clicked, this, [this] {
        clearMessage();
        hide();
    });
}

QImage PageWindow::canvas() const
{
    return m_creator->canvas();
}

QImage PageWindow::preview() const
{
    return m_preview->image();
}

void PageWindow::requestPage()
{
    m_composeTimer->start();
    // The picture is read while the timer runs.
    m_creator->readPictureAhead();
}

void PageWindow::readPictureList()
{
    const PictureList list = m_creator->readPictureList();
    for (std::size_t n = 0; n < m_pathBoxes.size(); ++n)
        m_pathBoxes[n]->setText(list.paths[n]);
    if (!list.error.isEmpty()) {
        m_captionTimer->stop();
        setWindowTitle(caption() + QStringLiteral(" - ") + list.error);
    }
}

void PageWindow::savePictureList()
{
    clearMessage();
    if (const QString error = m_creator->savePictureList(); !error.isEmpty())
        showMessage(error);
}

bool PageWindow::selectMonth(int index)
{
    const QDate shown = m_state.shownDate();
    const QDate target(shown.year(), index + 1, shown.day());
    if (!target.isValid() || !isSupportedDate(target)) {
        showMessage(QStringLiteral("Impossibile passare a %1 %2: il giorno %3 non esiste "
                                   "in quel mese.")
                        .arg(monthInText(index + 1))
                        .arg(shown.year())
                        .arg(shown.day()));
        return false;
    }
    // The state asks for the page when the date changes; the same month is made again.
    if (!m_state.setShownDate(target))
        return false;
    if (target == shown)
        requestPage();
    return true;
}

void PageWindow::choosePicture(int index)
{
    clearMessage();
    // A month that cannot be selected is reported; the picture can still be chosen.
    selectMonth(index);

    OpenFileRequest request;
    request.title = QStringLiteral("File di Init");
    request.filters = {{QStringLiteral("File di init (*.jpg);(*.bmp)"),
                        {QStringLiteral("*.jpg"), QStringLiteral("*.JPG"), QStringLiteral("*.jpeg"),
                         QStringLiteral("*.JPEG"), QStringLiteral("*.bmp"), QStringLiteral("*.BMP"),
                         QStringLiteral("*.png"), QStringLiteral("*.PNG")}},
                       {QStringLiteral("Tutti i file (*.*)"), {QStringLiteral("*")}}};
    const QStringList chosen = chooseFiles(this, request);
    if (chosen.isEmpty())
        return;
    // Of several files, the first one is the month's picture.
    m_pathBoxes[static_cast<std::size_t>(index)]->setText(chosen.first());
    requestPage();
}

void PageWindow::stepMonth(int months)
{
    clearMessage();
    // At the ends of the supported years the month stays; the page is made again all the same.
    if (!m_state.stepMonths(months))
        requestPage();
}

void PageWindow::composeNow()
{
    m_composeTimer->stop();
    m_creator->compose();
}

void PageWindow::composeIfPending()
{
    if (m_composeTimer->isActive())
        composeNow();
}

void PageWindow::showPage()
{
    const PageContent &page = m_creator->content();
    m_preview->setImage(m_creator->preview());
    m_monthCaption->setText(pageCaption(page.year, page.month));

    const MonthMarks marks = monthMarks(page.recurrences, page.year, page.month);
    const QString picture =
        QFileInfo(m_pathBoxes[static_cast<std::size_t>(page.month - 1)]->text()).fileName();
    m_preview->setAccessibleDescription(
        QStringLiteral("Pagina di %1 %2, %3: %4 festività, %5 %6")
            .arg(monthInText(page.month))
            .arg(page.year)
            .arg(picture.isEmpty() ? QStringLiteral("senza immagine")
                                   : QStringLiteral("immagine %1").arg(picture))
            .arg(marks.holidays)
            .arg(marks.recurrences)
            .arg(marks.recurrences == 1 ? QStringLiteral("ricorrenza")
                                        : QStringLiteral("ricorrenze")));

    if (const QString error = m_creator->pictureError(); !error.isEmpty()) {
        showMessage(error, true);
        m_captionTimer->start();
    } else if (m_compositionMessage) {
        clearMessage();
    }
    emit pageComposed();
}

void PageWindow::printPage(const SheetPlacement &sheet)
{
    clearMessage();
    composeIfPending();
    if (const QString error = m_creator->printPage(sheet); !error.isEmpty())
        QMessageBox::critical(this, QStringLiteral("Printer Error!"), error);
}

void PageWindow::savePage()
{
    clearMessage();
    composeIfPending();
    // A desktop folder not made yet is made, as file managers do.
    if (const QString desktop = desktopFolder(); !desktop.isEmpty())
        QDir().mkpath(desktop);
    const PageCreator::SavedPage saved = m_creator->savePage();
    if (!saved.error.isEmpty()) {
        showMessage(saved.error);
        return;
    }
    showMessage(QStringLiteral("Pagina salvata nel file \"%1\".")
                    .arg(QDir::toNativeSeparators(saved.path)));
}

void PageWindow::restoreCaption()
{
    m_captionTimer->stop();
    setWindowTitle(caption());
}

void PageWindow::showMessage(const QString &text, bool fromComposition)
{
    m_compositionMessage = fromComposition;
    const int width = m_statusLine->contentsRect().width() - 2 * m_statusLine->margin();
    m_statusLine->showMessage(fitted(text, m_statusLine->fontMetrics(), width));
    m_statusLine->setToolTip(text);
}

void PageWindow::clearMessage()
{
    m_compositionMessage = false;
    m_statusLine->clear();
    m_statusLine->setToolTip({});
}

void PageWindow::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        stepMonth(event->key() == Qt::Key_PageUp ? -1 : +1);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Enter presses the button that has the focus, as Space does.
        if (auto *button = qobject_cast<QAbstractButton *>(focusWidget())) {
            button->click();
            return;
        }
        break;
    default:
        break;
    }
    QWidget::keyPressEvent(event);
}

bool PageWindow::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate) {
        requestPage();
        centreMark();
    }
    return QWidget::event(event);
}

void PageWindow::centreMark()
{
    m_centreMark->move(px((PageWidth - CentreMarkWidth) / 2.0), m_centreMark->y());
}

} // namespace velaria
