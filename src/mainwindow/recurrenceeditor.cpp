#include "recurrenceeditor.h"

#include "datafiles.h"
#include "recurrences.h"
#include "twips.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>

#include <algorithm>

namespace velaria {

namespace {

QPushButton *makeButton(const QString &text, const char *name, QRect place, const QColor &colour,
                        QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(place);
    QPalette colours = button->palette();
    colours.setColor(QPalette::Button, colour);
    button->setPalette(colours);
    return button;
}

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

RecurrenceEditor::RecurrenceEditor(WindowState &state, QWidget *parent)
    : QGroupBox(QStringLiteral(" Ricorrenze "), parent), m_state(state)
{
    setObjectName(QStringLiteral("Frame4"));
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, QColor(0, 0, 192));
    setPalette(colours);

    m_list1 = new QListWidget(this);
    m_list1->setObjectName(QStringLiteral("List1"));
    m_list1->setGeometry(twipsRect(90, 240, 6525, 3195));
    m_list1->setFont(pointFont(QStringLiteral("Times New Roman"), 12));
    QPalette listColours = m_list1->palette();
    listColours.setColor(QPalette::Base, QColor(255, 255, 192));
    m_list1->setPalette(listColours);
    m_list1->setToolTip(QStringLiteral("Cliccare 2 volte per rimuovere"));

    auto *label2 = new QLabel(QStringLiteral("Mese    Giorno") + QString(49, u' ') +
                                  QStringLiteral("Nome festività"),
                              this);
    label2->setObjectName(QStringLiteral("Label2"));
    label2->setGeometry(twipsRect(180, 3660, 6465, 255));

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
        for (int i = 1; i <= (n == 0 ? 12 : 31); ++i)
            combo->addItem(QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0')));
        combo->setCurrentIndex(-1);
        m_combo1[n] = combo;

        auto *box = new QLineEdit(this);
        box->setObjectName(QStringLiteral("Text4_%1").arg(n));
        box->setGeometry(boxPlaces[static_cast<std::size_t>(n)]);
        box->setReadOnly(true);
        box->setAlignment(Qt::AlignCenter);
        box->setFocusPolicy(Qt::ClickFocus);
        box->setFrame(false);
        box->setFont(pointFont(QStringLiteral("MS Sans Serif"), 9.75));
        box->setToolTip(tips[static_cast<std::size_t>(n)]);
        QPalette boxColours = box->palette();
        boxColours.setColor(QPalette::Base, Qt::white);
        box->setPalette(boxColours);
        m_text4[n] = box;
        connect(combo, &QComboBox::textActivated, box, &QLineEdit::setText);
    }

    m_text4[2] = new QLineEdit(this);
    m_text4[2]->setObjectName(QStringLiteral("Text4_2"));
    m_text4[2]->setGeometry(twipsRect(1380, 3900, 4395, 315));
    m_text4[2]->setFont(pointFont(QStringLiteral("MS Sans Serif"), 9.75));
    m_text4[2]->setToolTip(
        QStringLiteral("Default rosso, <v>verde, <b> blu, <g> giallo, <a> arancio"));
    for (QLineEdit *box : m_text4)
        connect(box, &QLineEdit::returnPressed, this, &RecurrenceEditor::insertFromBoxes);

    auto *command8 = makeButton(QStringLiteral("Inserisci"), "Command8",
                                twipsRect(5820, 3900, 795, 315), QColor(192, 192, 255), this);
    auto *command6 = makeButton(QStringLiteral("Esci senza salvare"), "Command6",
                                twipsRect(1080, 4320, 1605, 375), QColor(192, 255, 192), this);
    auto *command9 = makeButton(QStringLiteral("Salva"), "Command9",
                                twipsRect(2910, 4320, 1245, 375), QColor(255, 192, 192), this);
    auto *command7 = makeButton(QStringLiteral("Esci e salva"), "Command7",
                                twipsRect(4380, 4320, 1245, 375), QColor(255, 192, 192), this);
    connect(command8, &QPushButton::clicked, this, &RecurrenceEditor::insertFromBoxes);
    connect(command9, &QPushButton::clicked, this, &RecurrenceEditor::save);
    connect(command7, &QPushButton::clicked, this, [this] { closeEditor(true); });
    connect(command6, &QPushButton::clicked, this, [this] { closeEditor(false); });

    connect(m_list1, &QListWidget::itemClicked, this,
            [this](QListWidgetItem *item) { showLine(m_list1->row(item)); });
    connect(m_list1, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem *item) { delete m_list1->takeItem(m_list1->row(item)); });

    setTabOrder(command6, command7);
    setTabOrder(command7, m_list1);
    setTabOrder(m_list1, m_text4[2]);
    setTabOrder(m_text4[2], command8);
    setTabOrder(command8, m_combo1[0]);
    setTabOrder(m_combo1[0], m_combo1[1]);
    setTabOrder(m_combo1[1], command9);
}

void RecurrenceEditor::setLines(const QStringList &lines)
{
    // Sorted in one go, equal lines in file order as insertSorted() would leave them: a file of
    // many thousand lines costs no more than a sort.
    QStringList sorted = lines;
    std::stable_sort(sorted.begin(), sorted.end(), lineBefore);
    m_list1->clear();
    for (const QString &line : sorted)
        m_list1->addItem(lineItem(line));
}

QString RecurrenceEditor::lineAt(int row) const
{
    return m_list1->item(row)->data(Qt::UserRole).toString();
}

QStringList RecurrenceEditor::lines() const
{
    QStringList result;
    result.reserve(m_list1->count());
    for (int row = 0; row < m_list1->count(); ++row)
        result.append(lineAt(row));
    return result;
}

void RecurrenceEditor::insertSorted(const QString &line)
{
    // After every line that sorts equal or before, as a sorted list box places it.
    int row = 0;
    while (row < m_list1->count() && !lineBefore(line, lineAt(row)))
        ++row;
    m_list1->insertItem(row, lineItem(line));
}

bool RecurrenceEditor::insertFromBoxes()
{
    bool monthOk = false;
    bool dayOk = false;
    const int month = m_text4[0]->text().trimmed().toInt(&monthOk);
    const int day = m_text4[1]->text().trimmed().toInt(&dayOk);
    const QString text = m_text4[2]->text();
    if (text.isEmpty() || !monthOk || !dayOk)
        return false;
    insertSorted(RecurrenceLine(month, day, text));
    return true;
}

void RecurrenceEditor::showLine(int row)
{
    if (row < 0 || row >= m_list1->count())
        return;
    const QString line = lineAt(row);
    m_text4[0]->setText(line.mid(0, 2));
    m_text4[1]->setText(line.mid(3, 2));
    m_text4[2]->setText(line.mid(8));
}

bool RecurrenceEditor::save()
{
    const QStringList all = lines();
    m_state.Ricorr.clear();
    if (!all.isEmpty()) {
        m_list1->setCurrentRow(0);
        showLine(0);
    }
    m_state.Ricorr.readLines(all);
    const QString error = SaveRecurrenceLines(m_state.dataFolder, all);
    emit saved();
    if (!error.isEmpty()) {
        QMessageBox::warning(this, QStringLiteral("Ricorrenze non salvate"),
                             QStringLiteral("Le ricorrenze non sono state salvate.\n%1\n"
                                            "Il file precedente è rimasto invariato.")
                                 .arg(error));
        return false;
    }
    return true;
}

void RecurrenceEditor::closeEditor(bool saveFirst)
{
    if (saveFirst)
        save();
    hide();
    emit closed();
}

} // namespace velaria
