#pragma once

#include "calendardate.h"
#include "pagecomposer.h"

#include <QColor>
#include <QDate>
#include <QImage>
#include <QRect>

#include <algorithm>
#include <cmath>

// Reading composed pages back: which pixels carry ink, of what colour, and where.
namespace velaria::testutil {

// A page of the given month as the main window would describe it, without a picture.
inline PageContent monthPage(int year, int month)
{
    const QString caption = MonthCaption(QDate(year, month, 1));
    PageContent page;
    page.NomeMese = caption.left(caption.size() - 4);
    page.AnnoMese = caption.right(4);
    page.DaysInMonth = MonthLength(year, month);
    page.GridOffset = GridOffset(year, month);
    page.Pubblicita = QStringLiteral("Programma Velaria - prova");
    page.year = year;
    page.month = month;
    return page;
}

// The pixel rectangle of a surface of this scale that covers the page twips (x1, y1) to
// (x2, y2), both corners included.
inline QRect pixelArea(int scale, double x1, double y1, double x2, double y2)
{
    const auto at = [scale](double twips) {
        return static_cast<int>(std::lround(twips * scale / 15.0));
    };
    return QRect(QPoint(at(x1), at(y1)), QPoint(at(x2), at(y2)));
}

inline int pixelAt(int scale, double twips)
{
    return static_cast<int>(std::lround(twips * scale / 15.0));
}

// Whether the pixel is the ink colour laid with some coverage over the background, as an
// antialiased text edge is; `tolerance` per channel.
inline bool isBlendOf(QRgb pixel, QColor ink, QColor background = Qt::white, int tolerance = 14)
{
    const int channels[3][3] = {{qRed(pixel), ink.red(), background.red()},
                                {qGreen(pixel), ink.green(), background.green()},
                                {qBlue(pixel), ink.blue(), background.blue()}};
    // The coverage from the channel where ink and background differ most.
    int widest = 0;
    for (int c = 1; c < 3; ++c) {
        if (std::abs(channels[c][1] - channels[c][2]) >
            std::abs(channels[widest][1] - channels[widest][2]))
            widest = c;
    }
    const int span = channels[widest][1] - channels[widest][2];
    if (span == 0)
        return pixel == background.rgb();
    const double coverage =
        std::clamp(static_cast<double>(channels[widest][0] - channels[widest][2]) / span, 0.0, 1.0);
    for (const auto &channel : channels) {
        const double expected = channel[2] + coverage * (channel[1] - channel[2]);
        if (std::abs(channel[0] - expected) > tolerance)
            return false;
    }
    return true;
}

struct Ink
{
    int pixels = 0;   // pixels that differ from the background
    int matching = 0; // of those, blends of the expected colour
    int solid = 0;    // of those, the expected colour itself (within 3 per channel)
    QRect bounds;     // of the ink pixels
};

inline Ink inkIn(const QImage &image, const QRect &area, QColor expected,
                 QColor background = Qt::white)
{
    Ink ink;
    const QRect clipped = area & image.rect();
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        for (int x = clipped.left(); x <= clipped.right(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if ((pixel & 0xffffff) == (background.rgb() & 0xffffff))
                continue;
            ++ink.pixels;
            ink.bounds |= QRect(x, y, 1, 1);
            if (isBlendOf(pixel, expected, background))
                ++ink.matching;
            if (std::abs(qRed(pixel) - expected.red()) <= 3 &&
                std::abs(qGreen(pixel) - expected.green()) <= 3 &&
                std::abs(qBlue(pixel) - expected.blue()) <= 3)
                ++ink.solid;
        }
    }
    return ink;
}

} // namespace velaria::testutil
