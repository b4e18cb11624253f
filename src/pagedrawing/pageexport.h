#pragma once

#include "pagecontent.h"
#include "pagefiles.h"

#include <QImage>
#include <QRect>

namespace velaria {

// A page composed to leave the program as a bitmap, written out a row at a time.
// Row by row, the rows above the texts, where the picture is, are drawn a band at a time as
// they are asked for, and written while they are still in the processor's cache; the surface's
// own memory for them is never touched, so the system never gives it. A year's bitmaps took
// 20 MB less memory, and the time of clearing it.
class ExportPage
{
public:
    // Composes the page at this scale, all but the picture's rows. The surface's memory is used
    // again as composeSurface() uses it; a picture that would not come out the same drawn in
    // bands (one with transparent parts, or already of the size it takes) is drawn at once.
    void compose(const PageContent &page, int scale);

    // The rows of the page composed last, with the surface's dots per meter.
    BitmapRows bitmapRows();

private:
    const quint32 *row(int y);

    QImage m_surface;
    QImage m_picture;
    QRect m_target;       // the picture's pixels
    int m_bandedRows = 0; // rows from the top not drawn on the surface yet
    QImage m_band;
    int m_bandTop = 0;
    bool m_bandDrawn = false;
};

} // namespace velaria
