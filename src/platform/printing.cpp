#include "printing.h"

#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace velaria {

namespace {

constexpr double TwipsPerInch = 1440.0;

QString quoted(const QString &text)
{
    return QStringLiteral("\"%1\"").arg(text);
}

} // namespace

DefaultPrinter OpenDefaultPrinter(QPageSize::PageSizeId paper, const QString &documentName)
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
        return {nullptr, QStringLiteral("Nessuna stampante predefinita: impostare una stampante "
                                        "predefinita nel sistema e riprovare.")};
    }
    const QString name = quoted(info.printerName());

    auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    if (!printer->isValid())
        return {nullptr,
                QStringLiteral("La stampante predefinita %1 non è disponibile.").arg(name)};

    const QPageSize size(paper);
    if (!size.isValid() || !printer->setPageSize(size) ||
        !printer->pageLayout().pageSize().isEquivalentTo(size)) {
        return {
            nullptr,
            QStringLiteral("La stampante %1 non accetta il formato %2.").arg(name, size.name())};
    }
    // The place is measured from the corner of the printable area, as the painter's origin is
    // when the printer does not paint the full page.
    printer->setFullPage(false);
    printer->setCopyCount(1);
    printer->setDocName(documentName);
    return {std::move(printer), {}};
}

void PaintPageOn(QPainter &painter, const QImage &page, const QRectF &place)
{
    const QPaintDevice *device = painter.device();
    const double scaleX = device->logicalDpiX() / TwipsPerInch;
    const double scaleY = device->logicalDpiY() / TwipsPerInch;
    painter.drawImage(QRectF(place.x() * scaleX, place.y() * scaleY, place.width() * scaleX,
                             place.height() * scaleY),
                      page);
}

QString StampaPagina(const QImage &page, QPageSize::PageSizeId paper, const QRectF &place)
{
    if (page.isNull())
        return QStringLiteral("Non c'è nessuna pagina da stampare: l'immagine è vuota.");
    if (!place.isValid())
        return QStringLiteral("La posizione della pagina sul foglio non è valida.");

    const DefaultPrinter target =
        OpenDefaultPrinter(paper, QStringLiteral("Pagina del calendario"));
    if (!target.printer)
        return target.error;
    QPrinter &printer = *target.printer;
    const QString name = quoted(printer.printerName());

    QPainter painter;
    if (!painter.begin(&printer))
        return QStringLiteral("Impossibile avviare la stampa su %1.").arg(name);
    PaintPageOn(painter, page, place);
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        return QStringLiteral("La stampa su %1 non è stata completata.").arg(name);
    return {};
}

QString CartellaSpeciale()
{
#ifdef Q_OS_WIN
    // The desktop that every user of the computer shares.
    const QString shared = qEnvironmentVariable("PUBLIC");
    const QString folder = shared.isEmpty() ? QString() : shared + QStringLiteral("\\Desktop");
#else
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
#endif
    if (folder.isEmpty())
        return {};
    QString path = QDir::toNativeSeparators(folder);
    if (!path.endsWith(QDir::separator()))
        path += QDir::separator();
    return path;
}

QString SaveBitmap(const QImage &image, const QString &path)
{
    const QString name = quoted(QDir::toNativeSeparators(path));
    if (image.isNull())
        return QStringLiteral("Impossibile salvare %1: la pagina è vuota.").arg(name);

    // The new bitmap goes to a temporary file beside the old one, which it replaces only when
    // it is whole.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return QStringLiteral("Impossibile salvare %1: la cartella %2 non esiste o non è "
                              "scrivibile.")
            .arg(name, quoted(QDir::toNativeSeparators(QFileInfo(path).absolutePath())));
    }
    QImageWriter writer(&file, QByteArrayLiteral("bmp"));
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    if (!writer.write(rgb)) {
        file.cancelWriting();
        return QStringLiteral("Impossibile salvare %1: errore di scrittura (disco pieno?).")
            .arg(name);
    }
    if (!file.commit()) {
        return QStringLiteral("Impossibile salvare %1: il file non è stato scritto per intero "
                              "(disco pieno?).")
            .arg(name);
    }
    return {};
}

} // namespace velaria
