#pragma once

#include "colour.h"

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

#include <cmath>

// Positions and sizes of the windows are given in twips; 15 twips make one device-independent
// pixel, and Qt's high-DPI scaling takes it from there.
namespace velaria {

inline constexpr double TwipsPerPixel = 15.0;

constexpr int px(double twips)
{
    const double pixels = twips / TwipsPerPixel;
    return static_cast<int>(pixels < 0 ? pixels - 0.5 : pixels + 0.5);
}

constexpr double twips(double pixels)
{
    return pixels * TwipsPerPixel;
}

inline QRect twipsRect(int left, int top, int width, int height)
{
    return {px(left), px(top), px(width), px(height)};
}

inline QColor toQColor(Rgb colour)
{
    return {colour.red, colour.green, colour.blue};
}

// A font by family and size in points; the family is requested as named and the system
// substitutes a metric-compatible one where it has it.
inline QFont pointFont(const QString &family, double points, bool bold = false)
{
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

} // namespace velaria
