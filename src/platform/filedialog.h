#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

// The file-open dialog of the program: Qt's own dialog, centred over its owner's frame,
// several files allowed, the previous choice entered again on the next call.
namespace velaria {

// One entry of the dialog's type list: the text shown and the name patterns it lets through.
struct FileFilter
{
    QString description;
    QStringList patterns;
};

struct OpenFileRequest
{
    QString title;
    QList<FileFilter> filters; // the first one is selected when the dialog opens
    // Where the dialog opens when nothing was chosen before; empty for the user's pictures.
    QString folder;
};

// Shows the dialog modally over `owner` and returns the chosen files as absolute paths, in
// the order the user gave them; nothing when the user cancelled.
[[nodiscard]] QStringList chooseFiles(QWidget *owner, const OpenFileRequest &request);

// The dialog's filter text for one entry: "description (pattern pattern ...)".
QString filterText(const FileFilter &filter);

// The user's pictures folder, or the home folder when there is none.
QString picturesFolder();

} // namespace velaria
