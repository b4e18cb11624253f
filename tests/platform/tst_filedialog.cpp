#include "filedialog.h"
#include "testsupport.h"

#include <QComboBox>
#include <QTemporaryDir>
#include <QTest>

using namespace velaria;
using namespace velaria::testing;
using namespace Qt::StringLiterals;

// The file-open dialog: what it shows, where, and the record of the chosen files. The cases
// run in order: the dialog remembers the last choice.
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

private:
    // Shows the dialog of the picture request; `look` sees it open, then `typed` is opened
    // in the photos' folder, or the dialog cancelled when it is empty.
    FileScelti open(const QString &typed, const std::function<void(QFileDialog *)> &look = {});

    QTemporaryDir m_photos;
    QTemporaryDir m_start;
    QWidget m_owner;
};

void TestFileDialog::initTestCase()
{
    for (const char *name : {"mare.jpg", "a.jpg", "b.jpg", "c.bmp"})
        QVERIFY(writeBytes(m_photos.filePath(QLatin1String(name)), {}));
    m_owner.setGeometry(300, 200, 900, 700);
    m_owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_owner));
}

FileScelti TestFileDialog::open(const QString &typed,
                                const std::function<void(QFileDialog *)> &look)
{
    answerNextFileDialog([&](QFileDialog *dialog) {
        if (look)
            look(dialog);
        if (typed.isEmpty())
            dialog->reject();
        else
            openFiles(dialog, m_photos.path(), typed);
    });
    RichiestaApri request;
    request.titolo = u"File di Init"_s;
    request.filtri = {{u"File di init (*.jpg);(*.bmp)"_s, {u"*.jpg"_s, u"*.bmp"_s}},
                      {u"Tutti i file (*.*)"_s, {u"*"_s}}};
    request.cartellaIniziale = m_start.path();
    return ApriFile(&m_owner, request);
}

void TestFileDialog::showsRequestCentredOverOwner()
{
    QString title, selectedFilter, folder;
    QStringList filters, types;
    QFileDialog::FileMode mode = QFileDialog::AnyFile;
    bool native = true;
    QPoint dialogCentre;
    open(QString(), [&](QFileDialog *dialog) {
        title = dialog->windowTitle();
        filters = dialog->nameFilters();
        selectedFilter = dialog->selectedNameFilter();
        const auto *combo = dialog->findChild<QComboBox *>(u"fileTypeCombo"_s);
        for (int i = 0; combo && i < combo->count(); ++i)
            types << combo->itemText(i);
        folder = dialog->directory().absolutePath();
        mode = dialog->fileMode();
        native = !dialog->testOption(QFileDialog::DontUseNativeDialog);
        dialogCentre = dialog->frameGeometry().center();
    });
    QCOMPARE(title, u"File di Init"_s);
    QCOMPARE(filters, (QStringList{u"File di init (*.jpg);(*.bmp) (*.jpg *.bmp)"_s,
                                   u"Tutti i file (*.*) (*)"_s}));
    // The user reads the descriptions as given, the first one chosen.
    QCOMPARE(types, (QStringList{u"File di init (*.jpg);(*.bmp)"_s, u"Tutti i file (*.*)"_s}));
    QCOMPARE(selectedFilter, types.value(0));
    QCOMPARE(folder, QDir(m_start.path()).absolutePath());
    QCOMPARE(mode, QFileDialog::ExistingFiles);
    QVERIFY(!native);
    const QPoint ownerCentre = m_owner.frameGeometry().center();
    QVERIFY2((dialogCentre - ownerCentre).manhattanLength() <= 2,
             qPrintable(u"dialog centre %1,%2, owner centre %3,%4"_s.arg(dialogCentre.x())
                            .arg(dialogCentre.y())
                            .arg(ownerCentre.x())
                            .arg(ownerCentre.y())));
}

void TestFileDialog::cancelled()
{
    const FileScelti chosen = open(QString());
    QVERIFY(chosen.Annullato);
    QCOMPARE(chosen.Quanti, 0);
    QVERIFY(chosen.Nomi.isEmpty());
    QVERIFY(chosen.Cartella.isEmpty());
}

void TestFileDialog::singleFile()
{
    const FileScelti chosen = open(u"mare.jpg"_s);
    QVERIFY(!chosen.Annullato);
    QCOMPARE(chosen.Quanti, 1);
    QCOMPARE(chosen.Nomi, QStringList{u"mare.jpg"_s});
    // One file: the folder ends with a separator, so folder and name make the path.
    QCOMPARE(chosen.Cartella + chosen.Nomi.first(), m_photos.filePath(u"mare.jpg"_s));
}

void TestFileDialog::previousChoiceEnteredAgain()
{
    // After singleFile the dialog opens on that file, not on the caller's folder.
    QString entered, folder;
    const FileScelti chosen = open(QString(), [&](QFileDialog *dialog) {
        entered = dialog->findChild<QLineEdit *>(u"fileNameEdit"_s)->text();
        folder = dialog->directory().absolutePath();
    });
    QVERIFY(chosen.Annullato);
    QCOMPARE(entered, u"mare.jpg"_s);
    QCOMPARE(folder, QDir(m_photos.path()).absolutePath());
}

void TestFileDialog::severalFiles()
{
    const FileScelti chosen = open(u"\"b.jpg\" \"a.jpg\" \"c.bmp\""_s);
    QVERIFY(!chosen.Annullato);
    QCOMPARE(chosen.Quanti, 3);
    QCOMPARE(chosen.Nomi, (QStringList{u"b.jpg"_s, u"a.jpg"_s, u"c.bmp"_s}));
    // Several files: the folder without a trailing separator.
    QCOMPARE(chosen.Cartella, QDir(m_photos.path()).absolutePath());
}

QTEST_MAIN(TestFileDialog)
#include "tst_filedialog.moc"
