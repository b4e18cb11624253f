#include "filedialog.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace velaria;

namespace {

// Answers the next file dialog of this thread once it is open, as a user would.
void whenDialogOpens(std::function<void(QFileDialog *)> answer)
{
    auto *poll = new QTimer;
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, answer] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        answer(dialog);
        if (dialog->isVisible()) {
            qWarning("the file dialog did not take the answer");
            dialog->reject();
        }
    });
    poll->start();
}

void typeAndOpen(QFileDialog *dialog, const QString &folder, const QString &names)
{
    dialog->setDirectory(folder);
    dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(names);
    static_cast<QDialog *>(dialog)->accept(); // as the Open button does
}

bool touch(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly);
}

} // namespace

// The file-open dialog: what it shows, where, and the record of the chosen files.
class TestFileDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void showsRequestCentredOverOwner();
    void cancelled();
    void singleFile();
    void previousChoiceEnteredAgain();
    void severalFiles();
    void filterText_data();
    void filterText();

private:
    RichiestaApri request() const;

    QTemporaryDir m_photos;
    QTemporaryDir m_start;
    QWidget m_owner;
};

void TestFileDialog::initTestCase()
{
    for (const char *name : {"mare.jpg", "a.jpg", "b.jpg", "c.bmp"})
        QVERIFY(touch(m_photos.filePath(QLatin1String(name))));
    m_owner.setGeometry(300, 200, 900, 700);
    m_owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_owner));
}

RichiestaApri TestFileDialog::request() const
{
    RichiestaApri r;
    r.titolo = QStringLiteral("File di Init");
    r.filtri = {{QStringLiteral("File di init (*.jpg);(*.bmp)"),
                 {QStringLiteral("*.jpg"), QStringLiteral("*.bmp")}},
                {QStringLiteral("Tutti i file (*.*)"), {QStringLiteral("*")}}};
    r.cartellaIniziale = m_start.path();
    return r;
}

void TestFileDialog::showsRequestCentredOverOwner()
{
    QString title;
    QStringList filters;
    QString selectedFilter;
    QStringList shownTypes;
    QString folder;
    QFileDialog::FileMode mode = QFileDialog::AnyFile;
    bool native = true;
    QPoint dialogCentre;
    whenDialogOpens([&](QFileDialog *dialog) {
        title = dialog->windowTitle();
        filters = dialog->nameFilters();
        selectedFilter = dialog->selectedNameFilter();
        const auto *types = dialog->findChild<QComboBox *>(u"fileTypeCombo"_qs);
        for (int i = 0; types && i < types->count(); ++i)
            shownTypes << types->itemText(i);
        folder = dialog->directory().absolutePath();
        mode = dialog->fileMode();
        native = !dialog->testOption(QFileDialog::DontUseNativeDialog);
        dialogCentre = dialog->frameGeometry().center();
        dialog->reject();
    });
    ApriFile(&m_owner, request());
    QCOMPARE(title, u"File di Init"_qs);
    QCOMPARE(filters, (QStringList{u"File di init (*.jpg);(*.bmp) (*.jpg *.bmp)"_qs,
                                   u"Tutti i file (*.*) (*)"_qs}));
    // The user reads the descriptions as given, the first one chosen.
    QCOMPARE(shownTypes,
             (QStringList{u"File di init (*.jpg);(*.bmp)"_qs, u"Tutti i file (*.*)"_qs}));
    QCOMPARE(selectedFilter, u"File di init (*.jpg);(*.bmp)"_qs);
    QCOMPARE(folder, QDir(m_start.path()).absolutePath());
    QCOMPARE(mode, QFileDialog::ExistingFiles);
    QVERIFY(!native);
    const QPoint ownerCentre = m_owner.frameGeometry().center();
    QVERIFY2((dialogCentre - ownerCentre).manhattanLength() <= 2,
             qPrintable(QStringLiteral("dialog centre %1,%2, owner centre %3,%4")
                            .arg(dialogCentre.x())
                            .arg(dialogCentre.y())
                            .arg(ownerCentre.x())
                            .arg(ownerCentre.y())));
}

void TestFileDialog::cancelled()
{
    whenDialogOpens([](QFileDialog *dialog) { dialog->reject(); });
    const FileScelti chosen = ApriFile(&m_owner, request());
    QVERIFY(chosen.Annullato);
    QCOMPARE(chosen.Quanti, 0);
    QVERIFY(chosen.Nomi.isEmpty());
    QVERIFY(chosen.Cartella.isEmpty());
}

void TestFileDialog::singleFile()
{
    whenDialogOpens(
        [&](QFileDialog *dialog) { typeAndOpen(dialog, m_photos.path(), u"mare.jpg"_qs); });
    const FileScelti chosen = ApriFile(&m_owner, request());
    QVERIFY(!chosen.Annullato);
    QCOMPARE(chosen.Quanti, 1);
    QCOMPARE(chosen.Nomi, QStringList{u"mare.jpg"_qs});
    // One file: the folder ends with a separator, so folder and name make the path.
    QCOMPARE(chosen.Cartella, QDir(m_photos.path()).absolutePath() + u'/');
    QCOMPARE(chosen.Cartella + chosen.Nomi.first(), m_photos.filePath(u"mare.jpg"_qs));
}

void TestFileDialog::previousChoiceEnteredAgain()
{
    // Runs after singleFile: the dialog opens on that file, not on the caller's folder.
    QString entered;
    QString folder;
    whenDialogOpens([&](QFileDialog *dialog) {
        entered = dialog->findChild<QLineEdit *>(u"fileNameEdit"_qs)->text();
        folder = dialog->directory().absolutePath();
        dialog->reject();
    });
    const FileScelti chosen = ApriFile(&m_owner, request());
    QVERIFY(chosen.Annullato);
    QCOMPARE(entered, u"mare.jpg"_qs);
    QCOMPARE(folder, QDir(m_photos.path()).absolutePath());
}

void TestFileDialog::severalFiles()
{
    whenDialogOpens([&](QFileDialog *dialog) {
        typeAndOpen(dialog, m_photos.path(), u"\"b.jpg\" \"a.jpg\" \"c.bmp\""_qs);
    });
    const FileScelti chosen = ApriFile(&m_owner, request());
    QVERIFY(!chosen.Annullato);
    QCOMPARE(chosen.Quanti, 3);
    QCOMPARE(chosen.Nomi, (QStringList{u"b.jpg"_qs, u"a.jpg"_qs, u"c.bmp"_qs}));
    // Several files: the folder without a trailing separator.
    QCOMPARE(chosen.Cartella, QDir(m_photos.path()).absolutePath());
}

void TestFileDialog::filterText_data()
{
    QTest::addColumn<QString>("description");
    QTest::addColumn<QStringList>("patterns");
    QTest::addColumn<QString>("text");
    QTest::newRow("pictures") << u"Immagini"_qs << QStringList{u"*.jpg"_qs, u"*.png"_qs}
                              << u"Immagini (*.jpg *.png)"_qs;
    QTest::newRow("description with its own brackets")
        << u"File di init (*.jpg);(*.bmp)"_qs << QStringList{u"*.jpg"_qs}
        << u"File di init (*.jpg);(*.bmp) (*.jpg)"_qs;
}

void TestFileDialog::filterText()
{
    QFETCH(QString, description);
    QFETCH(QStringList, patterns);
    QFETCH(QString, text);
    QCOMPARE(FilterText({description, patterns}), text);
}

QTEST_MAIN(TestFileDialog)
#include "tst_filedialog.moc"
