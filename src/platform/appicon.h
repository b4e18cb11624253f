#pragma once

#include <QIcon>
#include <QImage>

namespace velaria {

// The program's icon: a calendar leaf with a red header, drawn at any size.
QImage velariaIconImage(int size);
QIcon velariaIcon();

} // namespace velaria
