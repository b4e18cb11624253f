#pragma once

#include <QPixmap>

namespace velaria {

// The pen beside each picture box, 32 by 32 pixels: a slanted yellow pencil with a pink
// eraser and a dark point.
QPixmap penIcon();

} // namespace velaria
