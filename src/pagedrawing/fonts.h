#pragma once

namespace velaria {

// The windows name the fonts of the old Windows desktop; this maps the ones that a Linux
// desktop lacks to metric-compatible families (Liberation), so the texts keep their widths.
void installFontSubstitutions();

} // namespace velaria
