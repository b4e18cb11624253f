#pragma once

#include "colour.h"

#include <QDate>
#include <QMetaType>
#include <QString>

#include <optional>

// Small helpers shared by the calendar tests: readable colour texts for QCOMPARE messages and
// Gauss's Easter rule as a second, independent computus.
Q_DECLARE_METATYPE(velaria::Rgb)
Q_DECLARE_METATYPE(std::optional<velaria::Rgb>)

namespace velaria::testutil {

inline QString colourText(Rgb colour)
{
    return QStringLiteral("rgb(%1,%2,%3)").arg(colour.red).arg(colour.green).arg(colour.blue);
}

inline QString colourText(const std::optional<Rgb> &colour)
{
    return colour ? colourText(*colour) : QStringLiteral("no colour");
}

// Gauss's rule for the Gregorian Easter with his two corrections (26 April becomes 19 April,
// 25 April becomes 18 April when the Paschal full moon would otherwise come too late).
inline QDate gaussEaster(int year)
{
    const int a = year % 19;
    const int b = year % 4;
    const int c = year % 7;
    const int k = year / 100;
    const int p = (13 + 8 * k) / 25;
    const int q = k / 4;
    const int m = (15 - p + k - q) % 30;
    const int n = (4 + k - q) % 7;
    const int d = (19 * a + m) % 30;
    const int e = (2 * b + 4 * c + 6 * d + n) % 7;
    if (d == 29 && e == 6)
        return QDate(year, 4, 19);
    if (d == 28 && e == 6 && (11 * m + 11) % 30 < 19)
        return QDate(year, 4, 18);
    if (22 + d + e <= 31)
        return QDate(year, 3, 22 + d + e);
    return QDate(year, 4, d + e - 9);
}

} // namespace velaria::testutil
