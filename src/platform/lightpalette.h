#pragma once

class QPalette;

namespace velaria {

// The light colours the program is drawn in, dark text on light grey and white, as Qt draws
// them by default: the windows' own colours (the red and blue numbers, the pastel buttons) are
// chosen for it and would be illegible on a dark desktop theme's palette.
QPalette lightPalette();

} // namespace velaria
