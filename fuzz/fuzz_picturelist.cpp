// Feeds arbitrary bytes as the picture list file through what the page window does with it:
// decoding, splitting into lines, filling the twelve month boxes, and saving the boxes again.
#include "datafiles.h"
#include "textfile.h"

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace velaria;

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

// Whether a file holding this text reads back as the same text. Two kinds of text do not, by
// design of the file's two encodings, and only damaged files hold them: a byte order mark at
// the very start is taken for one, and Windows-1252 text whose bytes happen to be valid UTF-8
// (such as "Ã¨") is read as UTF-8.
bool readsBackAlike(const QString &text)
{
    if (text.startsWith(QChar(0xFEFF)))
        return false;
    const QByteArray bytes = EncodeText(text);
    if (bytes == text.toUtf8())
        return true; // UTF-8, or plain ASCII
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    (void)utf8(bytes);
    return utf8.hasError();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QStringList lines = SplitLines(DecodeText(bytes));
    const PictureList list = PictureListFromLines(lines, QStringLiteral("Immagini.txt"));

    // Line k fills the box of month k; the boxes past the last line stay empty; lines past
    // the twelfth are reported.
    for (qsizetype k = 0; k < 12; ++k)
        check(list.paths[static_cast<std::size_t>(k)] ==
              (k < lines.size() ? lines.at(k) : QString()));
    check(list.error.isEmpty() == (lines.size() <= 12));

    // "Salva elenco" writes the twelve boxes; reading that file gives the same boxes.
    QString saved;
    for (const QString &path : list.paths)
        saved += path + QStringLiteral("\r\n");
    if (readsBackAlike(saved)) {
        const PictureList again =
            PictureListFromLines(SplitLines(DecodeText(EncodeText(saved))), {});
        check(again.paths == list.paths);
        check(again.error.isEmpty());
    }
    return 0;
}
