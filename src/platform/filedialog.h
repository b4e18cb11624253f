#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

// The file-open dialog of the program: Qt's own dialog, centred over its owner, several files
// allowed, the previous choice entered again on the next call.
namespace velaria {

// One entry of the dialog's type list: the text shown and the name patterns it lets through.
struct FiltroFile
{
    QString descrizione;
    QStringList modelli;
};

struct RichiestaApri
{
    QString titolo;
    QList<FiltroFile> filtri; // the first one is selected when the dialog opens
    QString cartellaIniziale;
};

// The chosen files. One file: `Cartella` ends with a separator and `Nomi` holds its name.
// Several files: `Cartella` has no trailing separator and `Nomi` holds the names in the order
// the user gave them. Cancelled: nothing chosen, `Cartella` empty.
struct FileScelti
{
    qint16 Quanti = 0;
    QStringList Nomi;
    QString Cartella;
    bool Annullato = true;
};

// Shows the dialog modally over `owner` and returns what the user chose.
FileScelti ApriFile(QWidget *owner, const RichiestaApri &richiesta);

// The dialog's filter text for one entry: "description (pattern pattern ...)".
QString FilterText(const FiltroFile &filtro);

} // namespace velaria
