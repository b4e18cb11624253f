#pragma once

class QPalette;
class QWidget;

namespace velaria {

// The light colours the windows are drawn in, dark text on light grey and white, as Qt draws
// them by default: the windows' own colours (the red and blue numbers, the pastel buttons) are
// chosen for it and would be illegible on a dark desktop theme's palette.
QPalette lightPalette();

// Gives a window the light palette, and the dialogs it opens with it.
void useLightPalette(QWidget *window);

} // namespace velaria
