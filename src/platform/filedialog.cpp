#include "filedialog.h"

#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QPointer>
#include <QWidget>

#include <cmath>

namespace velaria {

namespace {

// The files chosen last time, entered again when the dialog next opens.
QStringList &previousChoice()
{
    static QStringList files;
    return files;
}

// Centres a dialog over its owner when it is first shown, also where that puts it partly off
// the screen: the owner is where the user looks.
class CentreOverOwner : public QObject
{
public:
    CentreOverOwner(QWidget *dialog, QWidget *owner) : QObject(dialog), m_owner(owner)
    {
        dialog->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && m_owner) {
            auto *dialog = static_cast<QWidget *>(watched);
            const QRect owner = m_owner->window()->frameGeometry();
            const QRect frame = dialog->frameGeometry();
            // Halves go to the even neighbour, as the default rounding mode does.
            const double x = owner.left() + owner.width() / 2.0 - frame.width() / 2.0;
            const double y = owner.top() + owner.height() / 2.0 - frame.height() / 2.0;
            dialog->move(static_cast<int>(std::nearbyint(x)), static_cast<int>(std::nearbyint(y)));
            dialog->removeEventFilter(this);
        }
        return false;
    }

private:
    QPointer<QWidget> m_owner;
};

} // namespace

QString FilterText(const FiltroFile &filtro)
{
    return QStringLiteral("%1 (%2)").arg(filtro.descrizione, filtro.modelli.join(u' '));
}

FileScelti ApriFile(QWidget *owner, const RichiestaApri &richiesta)
{
    QStringList filters;
    for (const FiltroFile &filtro : richiesta.filtri)
        filters << FilterText(filtro);

    QFileDialog dialog(owner, richiesta.titolo, richiesta.cartellaIniziale);
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails |
                      QFileDialog::DontResolveSymlinks);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.first());
    }
    // The folder of the last choice wins over the caller's folder.
    if (!previousChoice().isEmpty()) {
        const QFileInfo last(previousChoice().first());
        dialog.setDirectory(last.absolutePath());
        dialog.selectFile(last.fileName());
    }
    new CentreOverOwner(&dialog, owner);

    FileScelti result;
    if (dialog.exec() != QDialog::Accepted)
        return result;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty())
        return result;
    previousChoice() = chosen;

    const QString folder = QFileInfo(chosen.first()).absolutePath();
    for (const QString &path : chosen)
        result.Nomi << QFileInfo(path).fileName();
    result.Quanti = static_cast<qint16>(std::min<qsizetype>(result.Nomi.size(), 32767));
    result.Cartella = folder;
    if (result.Quanti == 1 && !result.Cartella.endsWith(u'/'))
        result.Cartella += u'/';
    result.Annullato = false;
    return result;
}

} // namespace velaria
