#include "filedialog.h"

#include "windowplacement.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPointer>
#include <QStandardPaths>
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

// The dialog's frame centred over the owner window's frame, also where that puts it partly
// off the screen: the owner is where the user looks. Halves go to the even neighbour.
QPoint centredOver(const QWidget *owner, QSize frame)
{
    const QRect over = owner->window()->frameGeometry();
    const double x = over.left() + over.width() / 2.0 - frame.width() / 2.0;
    const double y = over.top() + over.height() / 2.0 - frame.height() / 2.0;
    return {static_cast<int>(std::nearbyint(x)), static_cast<int>(std::nearbyint(y))};
}

} // namespace

QString filterText(const FileFilter &filter)
{
    return QStringLiteral("%1 (%2)").arg(filter.description, filter.patterns.join(u' '));
}

QString picturesFolder()
{
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!pictures.isEmpty() && QFileInfo(pictures).isDir())
        return pictures;
    return QDir::homePath();
}

QStringList chooseFiles(QWidget *owner, const OpenFileRequest &request)
{
    QStringList filters;
    for (const FileFilter &filter : request.filters)
        filters << filterText(filter);

    const QString folder = request.folder.isEmpty() ? picturesFolder() : request.folder;
    QFileDialog dialog(owner, request.title, folder);
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails |
                      QFileDialog::DontResolveSymlinks);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.first());
    }
    // The folder of the last choice wins over the request's folder.
    if (!previousChoice().isEmpty()) {
        const QFileInfo last(previousChoice().first());
        dialog.setDirectory(last.absolutePath());
        dialog.selectFile(last.fileName());
    }
    placeByFrame(&dialog, [over = QPointer<QWidget>(owner)](QSize frame, QRect available) {
        return over ? centredOver(over, frame) : centred(frame, available);
    });

    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList chosen = dialog.selectedFiles();
    if (!chosen.isEmpty())
        previousChoice() = chosen;
    return chosen;
}

} // namespace velaria
