#include "jpegdecoding.h"

#include "largeimage.h"

#include <QScopeGuard>

#include <algorithm>
#include <csetjmp>
#include <cstdio>

extern "C" {
#include <jpeglib.h>

#include <jerror.h>
}

namespace velaria {

namespace {

// libjpeg gives up on bad data by calling error_exit, which must not return: it jumps back
// to the step that was running. The steps below hold no object with a destructor for that.
struct JpegFailure
{
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    bool cutShort = false; // the coded data ended before the picture did
};

[[noreturn]] void giveUp(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<JpegFailure *>(info->err)->jump, 1);
}

// Of libjpeg's warnings only one matters here: the coded data ended while the decoder still
// needed some, and libjpeg made up the rest of the picture. Data that ends where only the end
// marker is missing, after the last rows, warns of its end alone: the picture is whole. The
// other warnings (bytes out of place) are not the user's concern.
void noteWarning(j_common_ptr info, int level)
{
    if (level < 0 && info->err->msg_code == JWRN_HIT_MARKER)
        reinterpret_cast<JpegFailure *>(info->err)->cutShort = true;
}

// Reads the header and sets the decoding; false for a JPEG in printing inks.
bool readHeader(jpeg_decompress_struct *info, JpegFailure *failure, const uchar *data,
                unsigned long size, QSize wanted)
{
    if (setjmp(failure->jump))
        return false;
    jpeg_create_decompress(info);
    jpeg_mem_src(info, data, size);
    jpeg_read_header(info, TRUE);
    // libjpeg-turbo gives grey as it gives colour, each pixel's grey in its three colours.
    const bool colour = info->num_components == 3 &&
                        (info->jpeg_color_space == JCS_YCbCr || info->jpeg_color_space == JCS_RGB);
    const bool grey = info->num_components == 1 && info->jpeg_color_space == JCS_GRAYSCALE;
    if (!colour && !grey)
        return false;
    // The first of the sizes that gives the size wanted, or the whole picture.
    const auto enough = [](JDIMENSION stored, int count, int needed) {
        return (static_cast<qint64>(stored) * count + 7) / 8 >= needed;
    };
    int count = 8;
    for (int eighths : JpegEighths) {
        if (enough(info->image_width, eighths, wanted.width()) &&
            enough(info->image_height, eighths, wanted.height())) {
            count = eighths;
            break;
        }
    }
    info->scale_num = static_cast<unsigned int>(count);
    info->scale_denom = 8;
    // As Qt's reader decodes a picture it keeps at full quality.
    info->dct_method = JDCT_ISLOW;
    info->do_fancy_upsampling = TRUE;
    info->out_color_space = JCS_EXT_BGRX; // the bytes of an RGB32 pixel
    jpeg_calc_output_dimensions(info);
    return true;
}

bool readRows(jpeg_decompress_struct *info, JpegFailure *failure, uchar *bits,
              qsizetype bytesPerLine)
{
    if (setjmp(failure->jump))
        return false;
    jpeg_start_decompress(info);
    while (info->output_scanline < info->output_height) {
        JSAMPROW row = bits + info->output_scanline * bytesPerLine;
        jpeg_read_scanlines(info, &row, 1);
    }
    jpeg_finish_decompress(info);
    return true;
}

} // namespace

DecodedJpeg decodeJpeg(const QByteArray &bytes, QSize wanted, qint64 byteLimit)
{
    JpegFailure failure;
    jpeg_decompress_struct info{};
    info.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = giveUp;
    failure.manager.emit_message = noteWarning;
    const auto destroy = qScopeGuard([&info] { jpeg_destroy_decompress(&info); });
    if (!readHeader(&info, &failure, reinterpret_cast<const uchar *>(bytes.constData()),
                    static_cast<unsigned long>(bytes.size()), wanted)) {
        return {{}, failure.cutShort};
    }
    const QSize size(static_cast<int>(info.output_width), static_cast<int>(info.output_height));
    if (size.isEmpty() || (byteLimit > 0 && 4 * qint64(size.width()) * size.height() > byteLimit))
        return {};
    QImage image = largeImage(size, QImage::Format_RGB32);
    if (image.isNull() || !readRows(&info, &failure, image.bits(), image.bytesPerLine()) ||
        failure.cutShort) {
        return {{}, failure.cutShort};
    }
    return {image, false};
}

} // namespace velaria
