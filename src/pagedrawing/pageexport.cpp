#include "pageexport.h"

#include "pagecomposer.h"
#include "pagelayout.h"
#include "pagesurface.h"
#include "twips.h"

#include <algorithm>

namespace velaria {

namespace {

// Rows of a band: a few hundred kilobytes, which stay in the processor's cache while the
// picture is drawn on them and they are converted for the bitmap.
constexpr int BandRows = 32;

// Whether the page's picture comes out the same drawn a band of rows at a time: no picture, or
// one that pixman enlarges or reduces, each row from the same source pixels whatever the band.
bool drawnInBands(const QImage &picture, const QRect &target)
{
    return picture.isNull() || target.isEmpty() || scalesPicture(picture, target);
}

} // namespace

void ExportPage::compose(const PageContent &page, int scale)
{
    m_picture = page.picture;
    m_target = pictureTarget(page.picture, scale);
    m_bandDrawn = false;
    if (!drawnInBands(page.picture, m_target)) {
        m_bandedRows = 0;
        composeSurface(page, scale, m_surface);
        return;
    }
    m_bandedRows = px(PictureTop * scale) + picturePixelHeight(scale);
    composeTexts(page, scale, m_surface, QRect(0, 0, surfaceSize(scale).width(), m_bandedRows));
}

BitmapRows ExportPage::bitmapRows()
{
    return {m_surface.size(), m_surface.dotsPerMeterX(), m_surface.dotsPerMeterY(),
            [this](int y) { return row(y); }};
}

const quint32 *ExportPage::row(int y)
{
    if (y >= m_bandedRows)
        return reinterpret_cast<const quint32 *>(m_surface.constScanLine(y));
    if (!m_bandDrawn || y < m_bandTop || y >= m_bandTop + m_band.height()) {
        if (m_band.width() != m_surface.width())
            m_band = QImage(m_surface.width(), BandRows, QImage::Format_RGB32);
        // A bitmap is written from the bottom up: the band ends at the row asked for.
        m_bandTop = std::max(0, y - BandRows + 1);
        const QRect target = m_target.translated(0, -m_bandTop);
        fillPaper(m_band, m_band.rect(), target);
        drawPicture(m_band, m_picture, target);
        m_bandDrawn = true;
    }
    return reinterpret_cast<const quint32 *>(m_band.constScanLine(y - m_bandTop));
}

} // namespace velaria
