#pragma once

#include <QIcon>
#include <QImage>

namespace velaria {

// The web window's own icon: a globe under a star, in the sixteen colours of the classic
// palette, without smoothing, at 16 and 32 pixels.
QImage WebWindowIconImage(int size);
QIcon WebWindowIcon();

} // namespace velaria
