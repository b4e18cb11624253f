#include "largeimage.h"

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif

namespace velaria {

#if defined(Q_OS_LINUX) && defined(MADV_HUGEPAGE)

namespace {

constexpr qsizetype HugePage = 2 * 1024 * 1024;

struct Mapping
{
    uchar *memory;
    qsizetype bytes;
};

// Mapped a huge page larger and cut to a huge page's boundary, so that all of it can come in
// huge pages. Mapped by us rather than the allocator, which would keep such memory for its
// later blocks once it was given back, and keep blocks up to its size for itself.
uchar *mapHugePages(qsizetype bytes)
{
    void *mapped = ::mmap(nullptr, static_cast<std::size_t>(bytes + HugePage),
                          PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        return nullptr;
    auto *start = static_cast<uchar *>(mapped);
    const auto offset = static_cast<qsizetype>(reinterpret_cast<quintptr>(start) % HugePage);
    const qsizetype head = offset == 0 ? 0 : HugePage - offset;
    if (head > 0)
        ::munmap(start, static_cast<std::size_t>(head));
    if (head < HugePage)
        ::munmap(start + head + bytes, static_cast<std::size_t>(HugePage - head));
    ::madvise(start + head, static_cast<std::size_t>(bytes), MADV_HUGEPAGE);
    return start + head;
}

void unmap(void *info)
{
    const auto *mapping = static_cast<Mapping *>(info);
    ::munmap(mapping->memory, static_cast<std::size_t>(mapping->bytes));
    delete mapping;
}

} // namespace

QImage largeImage(QSize size, QImage::Format format)
{
    const int depth = QImage::toPixelFormat(format).bitsPerPixel();
    if (!size.isEmpty() && depth > 0 && size.width() < (1 << 24) && size.height() < (1 << 24)) {
        // Rows padded to four bytes, as QImage pads its own.
        const qsizetype bytesPerLine = (qsizetype(size.width()) * depth + 31) / 32 * 4;
        const qsizetype bytes = bytesPerLine * size.height();
        if (bytes >= 4 * HugePage) {
            const qsizetype rounded = (bytes + HugePage - 1) / HugePage * HugePage;
            if (uchar *memory = mapHugePages(rounded)) {
                auto *mapping = new Mapping{memory, rounded};
                QImage image(memory, size.width(), size.height(), bytesPerLine, format, unmap,
                             mapping);
                if (!image.isNull())
                    return image;
                unmap(mapping);
            }
        }
    }
    return QImage(size, format);
}

#else

QImage largeImage(QSize size, QImage::Format format)
{
    return QImage(size, format);
}

#endif

} // namespace velaria
