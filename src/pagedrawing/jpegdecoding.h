#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

namespace velaria {

// A JPEG decoded by libjpeg.
struct DecodedJpeg
{
    QImage image;          // null when libjpeg could not decode it
    bool cutShort = false; // the coded data ended before the picture did
};

// The reduced sizes a JPEG is decoded at, in eighths of its stored size, the first one tried
// first. libjpeg has fast paths for an eighth, a quarter and a half: three eighths would be slower
// than a half.
inline constexpr int JpegEighths[] = {1, 2, 4, 5, 6, 7};

// The JPEG in `bytes`, in colour or grey, decoded at the first of those sizes that is at least
// `wanted` (or whole), straight into the RGB32 rows of the image: Qt's reader decodes three
// bytes a pixel and converts every row, a tenth of the time of a camera's photo. The picture
// is as stored: its orientation tag is not applied.
//
// A null image when it cannot decode the data this way (a printing-ink JPEG, damaged data, a
// picture whose pixels would take more than `byteLimit` bytes); the caller then reads it with
// Qt's reader, which says why. Data that ends before the picture does is `cutShort`: libjpeg
// would make up the rest. Data that lacks only its end marker is whole.
DecodedJpeg decodeJpeg(const QByteArray &bytes, QSize wanted, qint64 byteLimit);

} // namespace velaria
