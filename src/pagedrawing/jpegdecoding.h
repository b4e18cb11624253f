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

// The JPEG in `bytes`, in colour or grey, decoded at a half, a quarter or an eighth of its
// stored size, the smallest that is still at least `wanted` (or whole), straight into the RGB32
// rows of the image: Qt's reader decodes three bytes a pixel and converts every row, a tenth of
// the time of a camera's photo. The picture is as stored: its orientation tag is not applied.
//
// A null image when it cannot decode the data this way (a printing-ink JPEG, damaged data, a
// picture whose pixels would take more than `byteLimit` bytes); the caller then reads it with
// Qt's reader, which says why. Data that ends before the picture does is `cutShort`: libjpeg
// would make up the rest. Data that lacks only its end marker is whole.
DecodedJpeg decodeJpeg(const QByteArray &bytes, QSize wanted, qint64 byteLimit);

} // namespace velaria
