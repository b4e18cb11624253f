#include "recurrenceeditor.h"

#include "calendarstate.h"
#include "recurrences.h"
#include "twips.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>

#include <algorithm>

namespace velaria {

namespace {

QPushButton *makeButton(const QString &text, const char *name, QRect place, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(place);
    return button;
}

// The buttons in their own colours, which the desktop's style would pale into gradients, and
// without the style's padding, which would clip "Esci senza salvare". A style sheet is read
// only when the editor is first shown.
const char *const ButtonStyle = R"(
QPushButton { border: 1px solid rgb(128, 128, 128); border-radius: 2px; padding: 0px; }
QPushButton:pressed { border-color: rgb(64, 64, 64); }
QPushButton:focus { border: 2px solid rgb(0, 0, 192); }
QPushButton#Command8 { background-color: rgb(192, 192, 255); }
QPushButton#Command6 { background-color: rgb(192, 255, 192); }
QPushButton#Command9, QPushButton#Command7 { background-color: rgb(255, 192, 192); }
)";

bool lineBefore(const QString &a, const QString &b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
}

// The list shows this much of a line, far more than its width: laying out a line of megabytes
// (from a damaged file) would freeze the window for seconds. The item keeps the whole line.
constexpr qsizetype ShownLength = 1000;

QListWidgetItem *lineItem(const QString &line)
{
    auto *item = new QListWidgetItem(line.left(ShownLength));
    item->setData(Qt::UserRole, line);
    return item;
}

} // namespace

RecurrenceEditor::RecurrenceEditor(CalendarState &state, QWidget *parent)
    : QGroupBox(QStringLiteral(" Ricorrenze "), parent), m_state(state)
{
    setObjectName(QStringLiteral("Frame4"));
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, QColor(0, 0, 192));
    setPalette(colours);
    setStyleSheet(QLatin1String(ButtonStyle));
    setAccessibleName(QStringLiteral("Ricorrenze"));

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("List1"));
    m_list->setGeometry(twipsRect(90, 240, 6525, 3195));
    m_list->setFont(pointFont(QStringLiteral("Times New Roman"), 12));
    QPalette listColours = m_list->palette();
    listColours.setColor(QPalette::Base, QColor(255, 255, 192));
    m_list->setPalette(listColours);
    m_list->setToolTip(QStringLiteral("Cliccare 2 volte per rimuovere"));
    m_list->setAccessibleName(QStringLiteral("Elenco delle ricorrenze"));

    auto *label2 = new QLabel(QStringLiteral("Mese    Giorno") + QString(49, u' ') +
                                  QStringLiteral("Nome festività"),
                              this);
    label2->setObjectName(QStringLiteral("Label2"));
    label2->setGeometry(twipsRect(180, 3660, 6465, 255));
    QPalette headingColours = label2->palette();
    headingColours.setColor(QPalette::WindowText, Qt::black);
    label2->setPalette(headingColours);

    const std::array<QRect, 2> comboPlaces = {twipsRect(90, 3900, 645, 315),
                                              twipsRect(720, 3900, 645, 315)};
    const std::array<QRect, 2> boxPlaces = {twipsRect(120, 3930, 345, 255),
                                            twipsRect(750, 3930, 345, 255)};
    const std::array<QString, 2> tips = {QStringLiteral("Mese"), QStringLiteral("Giorno")};
    for (int n = 0; n < 2; ++n) {
        auto *combo = new QComboBox(this);
        combo->setObjectName(QStringLiteral("Combo1_%1").arg(n));
        combo->setGeometry(comboPlaces[static_cast<std::size_t>(n)]);
        combo->setToolTip(tips[static_cast<std::size_t>(n)]);
        // Said as "Mese, 03": a screen reader names a drop-down list after its label and says
        // its value, the one in the box over it. The column heading is one label for all.
        auto *label = new QLabel(tips[static_cast<std::size_t>(n)], this);
        label->setBuddy(combo);
        label->hide();
        for (int i = 1; i <= (n == 0 ? 12 : 31); ++i)
            combo->addItem(QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0')));
        combo->setCurrentIndex(-1);
        (n == 0 ? m_monthChooser : m_dayChooser) = combo;

        auto *box = new QLineEdit(this);
        box->setObjectName(QStringLiteral("Text4_%1").arg(n));
        box->setGeometry(boxPlaces[static_cast<std::size_t>(n)]);
        box->setReadOnly(true);
        box->setAlignment(Qt::AlignCenter);
        box->setFocusPolicy(Qt::ClickFocus);
        box->setFrame(false);
        box->setFont(pointFont(QStringLiteral("MS Sans Serif"), 9.75));
        box->setToolTip(tips[static_cast<std::size_t>(n)]);
        box->setAccessibleName(tips[static_cast<std::size_t>(n)]);
        QPalette boxColours = box->palette();
        boxColours.setColor(QPalette::Base, Qt::white);
        box->setPalette(boxColours);
        (n == 0 ? m_monthBox : m_dayBox) = box;
        connect(combo, &QComboBox::textActivated, box, &QLineEdit::setText);
        connect(box, &QLineEdit::textChanged, combo,
                [combo](const QString &text) { combo->setCurrentIndex(combo->findText(text)); });
    }

    m_textBox = new QLineEdit(this);
    m_textBox->setObjectName(QStringLiteral("Text4_2"));
    m_textBox->setGeometry(twipsRect(1380, 3900, 4395, 315));
    m_textBox->setFont(pointFont(QStringLiteral("MS Sans Serif"), 9.75));
    m_textBox->setToolTip(
        QStringLiteral("Default rosso, <v>verde, <b> blu, <g> giallo, <a> arancio"));
    m_textBox->setAccessibleName(QStringLiteral("Nome della ricorrenza"));
    for (QLineEdit *box : {m_monthBox, m_dayBox, m_textBox})
        connect(box, &QLineEdit::returnPressed, this, &RecurrenceEditor::insertFromBoxes);

    auto *insert =
        makeButton(QStringLiteral("Inserisci"), "Command8", twipsRect(5820, 3900, 795, 315), this);
    auto *leave = makeButton(QStringLiteral("Esci senza salvare"), "Command6",
                             twipsRect(1080, 4320, 1605, 375), this);
    auto *saveButton =
        makeButton(QStringLiteral("Salva"), "Command9", twipsRect(2910, 4320, 1245, 375), this);
    auto *saveAndLeave = makeButton(QStringLiteral("Esci e salva"), "Command7",
                                    twipsRect(4380, 4320, 1245, 375), this);
    connect(insert, &QPushButton::clicked, this, &RecurrenceEditor::insertFromBoxes);
    connect(saveButton, &QPushButton::clicked, this, &RecurrenceEditor::save);
    connect(saveAndLeave, &QPushButton::clicked, this, [this] { closeEditor(true); });
    connect(leave, &QPushButton::clicked, this, [this] { closeEditor(false); });

    // A line chosen with the mouse or the arrow keys fills the boxes. The list's current row
    // alone does not: it is set when the list takes the focus, and a new line would then be
    // inserted with another line's date.
    connect(m_list, &QListWidget::itemSelectionChanged, this, [this] {
        if (const QList<QListWidgetItem *> chosen = m_list->selectedItems(); !chosen.isEmpty())
            showLine(m_list->row(chosen.constFirst()));
    });
    connect(m_list, &QListWidget::itemClicked, this,
            [this](QListWidgetItem *item) { showLine(m_list->row(item)); });
    connect(m_list, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem *item) { removeLine(m_list->row(item)); });
    m_list->installEventFilter(this); // Delete removes the current line

    // Tab goes round these, in their order on the screen, while the editor is open.
    m_tabCycle = {m_list, m_monthChooser, m_dayChooser, m_textBox,
                  insert, leave,          saveButton,   saveAndLeave};
    setFocusProxy(m_list);
}

void RecurrenceEditor::setLines(const QStringList &lines)
{
    // Sorted in one go, equal lines in file order as insertSorted() would leave them: a file of
    // many thousand lines costs no more than a sort.
    QStringList sorted = lines;
    std::stable_sort(sorted.begin(), sorted.end(), lineBefore);
    m_list->clear();
    for (const QString &line : sorted)
        m_list->addItem(lineItem(line));
    m_savedLines = sorted;
}

void RecurrenceEditor::addImportedLines(const QStringList &lines)
{
    if (!m_beforeImport)
        m_beforeImport = this->lines();
    for (const QString &line : lines)
        insertSorted(line);
}

QString RecurrenceEditor::lineAt(int row) const
{
    return m_list->item(row)->data(Qt::UserRole).toString();
}

QStringList RecurrenceEditor::lines() const
{
    QStringList result;
    result.reserve(m_list->count());
    for (int row = 0; row < m_list->count(); ++row)
        result.append(lineAt(row));
    return result;
}

void RecurrenceEditor::insertSorted(const QString &line)
{
    // After every line that sorts equal or before, as a sorted list box places it.
    int row = 0;
    while (row < m_list->count() && !lineBefore(line, lineAt(row)))
        ++row;
    m_list->insertItem(row, lineItem(line));
}

bool RecurrenceEditor::insertFromBoxes()
{
    bool monthOk = false;
    bool dayOk = false;
    const int month = m_monthBox->text().trimmed().toInt(&monthOk);
    const int day = m_dayBox->text().trimmed().toInt(&dayOk);
    const QString text = m_textBox->text();
    if (text.isEmpty() || !monthOk || !dayOk)
        return false;
    insertSorted(recurrenceLine(month, day, text));
    return true;
}

void RecurrenceEditor::removeLine(int row)
{
    // The list then chooses the next line itself, which is no choice of the user's.
    const QSignalBlocker quiet(m_list);
    delete m_list->takeItem(row);
}

void RecurrenceEditor::showLine(int row)
{
    if (row < 0 || row >= m_list->count())
        return;
    const QString line = lineAt(row);
    m_monthBox->setText(line.mid(0, 2));
    m_dayBox->setText(line.mid(3, 2));
    m_textBox->setText(line.mid(8));
}

bool RecurrenceEditor::save()
{
    const QStringList all = lines();
    if (!all.isEmpty()) {
        m_list->setCurrentRow(0);
        showLine(0);
    }
    if (const QString error = m_state.saveRecurrences(all); !error.isEmpty()) {
        QMessageBox::warning(this, QStringLiteral("Ricorrenze non salvate"),
                             QStringLiteral("Le ricorrenze non sono state salvate.\n%1\n"
                                            "Il file precedente è rimasto invariato.")
                                 .arg(error));
        return false;
    }
    m_beforeImport.reset();
    m_savedLines = all;
    return true;
}

void RecurrenceEditor::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        closeEditor(false);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (auto *button = qobject_cast<QPushButton *>(focusWidget()))
            button->click();
        return;
    default:
        QGroupBox::keyPressEvent(event);
    }
}

bool RecurrenceEditor::eventFilter(QObject *watched, QEvent *event)
{
    // Delete on the list removes the current line, as a double click does.
    if (watched == m_list && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete) {
        if (m_list->currentItem())
            removeLine(m_list->currentRow());
        return true;
    }
    return QGroupBox::eventFilter(watched, event);
}

bool RecurrenceEditor::focusNextPrevChild(bool next)
{
    // The editor covers the grid: the keyboard stays among its own controls.
    const qsizetype count = m_tabCycle.size();
    const qsizetype at = m_tabCycle.indexOf(focusWidget());
    const qsizetype to = at < 0 ? 0 : (at + (next ? 1 : count - 1)) % count;
    m_tabCycle.at(to)->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

void RecurrenceEditor::closeEditor(bool saveFirst)
{
    // A refused save keeps the editor open, the unsaved lines in sight.
    if (saveFirst && !save())
        return;
    if (!saveFirst && m_beforeImport)
        setLines(*std::exchange(m_beforeImport, std::nullopt));
    hide();
    emit closed();
}

} // namespace velaria
