#pragma once

#include <QIcon>
#include <QImage>

class QWidget;

namespace velaria {

// The program's icon: a calendar leaf with a red header, drawn at any size.
QImage velariaIconImage(int size);
QIcon velariaIcon();

// Gives `window` the program's icon once `shown`, inside it, has been painted for the first
// time. Its seven sizes are a third of a megabyte for the window manager to read, which then
// no longer holds up the first sight of the window.
void setIconAfterFirstPaint(QWidget *window, QWidget *shown);

} // namespace velaria
