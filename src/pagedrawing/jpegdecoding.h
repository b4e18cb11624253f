#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

namespace velaria {

// The colour JPEG in `bytes` decoded at a half, a quarter or an eighth of its size, the
// smallest that is still at least `wanted` (or whole), straight into the RGB32 rows of the
// image: Qt's reader decodes three bytes a pixel and converts every row, a tenth of the time of
// a camera's photo. The memory of `spare` is taken when it has the size and is not shared.
//
// A null image when it cannot decode the data this way (a grey or printing-ink JPEG, damaged
// data or data that ends before the picture does, a picture whose pixels would take more than
// `byteLimit` bytes); the caller then reads it with Qt's reader, which says why.
QImage decodeJpeg(const QByteArray &bytes, QSize wanted, QImage spare, qint64 byteLimit);

} // namespace velaria
