#include "pagefiles.h"

#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QPaintDevice>
#include <QPainter>
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

void paintPageInto(QPainter &painter, const QImage &page, const QRectF &place)
{
    const QPaintDevice *device = painter.device();
    const double scaleX = device->logicalDpiX() / TwipsPerInch;
    const double scaleY = device->logicalDpiY() / TwipsPerInch;
    painter.drawImage(QRectF(place.x() * scaleX, place.y() * scaleY, place.width() * scaleX,
                             place.height() * scaleY),
                      page);
}

QString saveBitmap(const QImage &image, const QString &path)
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
    if (!writer.write(image.convertToFormat(QImage::Format_RGB32))) {
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

QString desktopFolder()
{
#ifdef Q_OS_WIN
    // The desktop that every user of the computer shares.
    const QString shared = qEnvironmentVariable("PUBLIC");
    return shared.isEmpty() ? QString() : shared + QStringLiteral("\\Desktop");
#else
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
#endif
}

} // namespace velaria
