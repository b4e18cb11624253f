#include "largeimage.h"

#include <cstdlib>

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif

namespace velaria {

QImage largeImage(QSize size, QImage::Format format)
{
#if defined(Q_OS_LINUX) && defined(MADV_HUGEPAGE)
    constexpr qsizetype HugePage = 2 * 1024 * 1024;
    const int depth = QImage::toPixelFormat(format).bitsPerPixel();
    if (!size.isEmpty() && depth > 0 && size.width() < (1 << 24) && size.height() < (1 << 24)) {
        // Rows padded to four bytes, as QImage pads its own.
        const qsizetype bytesPerLine = (qsizetype(size.width()) * depth + 31) / 32 * 4;
        const qsizetype bytes = bytesPerLine * size.height();
        if (bytes >= 4 * HugePage) {
            const qsizetype rounded = (bytes + HugePage - 1) / HugePage * HugePage;
            if (void *memory = std::aligned_alloc(HugePage, static_cast<std::size_t>(rounded))) {
                ::madvise(memory, static_cast<std::size_t>(rounded), MADV_HUGEPAGE);
                QImage image(
                    static_cast<uchar *>(memory), size.width(), size.height(), bytesPerLine, format,
                    [](void *data) { std::free(data); }, memory);
                if (!image.isNull())
                    return image;
                std::free(memory);
            }
        }
    }
#endif
    return QImage(size, format);
}

} // namespace velaria
