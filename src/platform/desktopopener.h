#pragma once

#include <QString>
#include <QUrl>

class QWidget;

namespace velaria {

// Opens a file or a web address with the program the desktop has for it, and says so in a
// message over `owner` (titled `title`, reading `failure`) when the desktop could not open it.
// On X11 and Wayland desktops xdg-open often runs that program itself, and fails only when it
// finds none or the one it finds does not start: the failure is known when it ends, and
// reported then. Where it keeps running (the program opened), it is left to it.
void openOnDesktop(const QUrl &address, QWidget *owner, const QString &title,
                   const QString &failure);

} // namespace velaria
