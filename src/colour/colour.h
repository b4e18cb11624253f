#pragma once

// A colour as red, green and blue components 0 to 255. The calendar core links no Gui, so it
// keeps its own small colour type; the windows turn it into a QColor.
namespace velaria {

struct Rgb
{
    int red = 0;
    int green = 0;
    int blue = 0;
    friend constexpr bool operator==(Rgb, Rgb) = default;
};

namespace colours {
inline constexpr Rgb Holiday{255, 0, 0};
inline constexpr Rgb Sunday{128, 0, 0};
inline constexpr Rgb Ordinary{0, 0, 0};
inline constexpr Rgb TagBlue{0, 0, 255};
inline constexpr Rgb TagGreen{0, 192, 0};
inline constexpr Rgb TagOrange{255, 128, 0};
inline constexpr Rgb TagYellow{128, 128, 0};
inline constexpr Rgb TagDefault{255, 0, 0};
} // namespace colours

} // namespace velaria
