#pragma once

#include <QImage>
#include <QSize>

namespace velaria {

// A new image of this size and format, its pixels undefined, like QImage(size, format). A large
// one takes its memory from the system in 2 MB pages where the system offers them: a page's
// 25 MB then come in a dozen steps instead of six thousand, each of which the system must
// first clear. Its memory goes back to the system with it.
[[nodiscard]] QImage largeImage(QSize size, QImage::Format format);

} // namespace velaria
