// Arbitrary bytes as the picture list file, read as the page window reads it: line k fills
// month k's box, the boxes past the last line stay empty, lines past the twelfth are reported.
#include "datafiles.h"
#include "textfile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QStringList lines = velaria::splitLines(velaria::decodeText(bytes));
    const velaria::PictureList list =
        velaria::pictureListFromLines(lines, velaria::PictureListFileName);
    bool ok = list.error.isEmpty() == (lines.size() <= 12);
    for (std::size_t k = 0; k < list.paths.size(); ++k)
        ok = ok && list.paths[k] == lines.value(static_cast<qsizetype>(k));
    if (!ok)
        std::abort();
    return 0;
}
