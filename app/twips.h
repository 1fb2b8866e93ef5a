#pragma once

#include <cmath>

// Sizes and positions are held in twips, 15 to a pixel at 96 dots per inch. This is the one place where
// they become Qt's logical pixels, so high-DPI scaling keeps the windows the same physical size.
namespace twips {

inline constexpr double perPixel = 15.0;

// Far beyond any desktop, and still an int after rounding: a stored position of 1e300 twips stays
// far away instead of wrapping round to somewhere on the screen.
inline constexpr double farthestPixel = 1e9;

inline int toPixels(double value) {
    const double pixels = value / perPixel;
    if (!(pixels > -farthestPixel))
        return static_cast<int>(-farthestPixel);
    if (!(pixels < farthestPixel))
        return static_cast<int>(farthestPixel);
    return static_cast<int>(std::lround(pixels));
}
inline double fromPixels(int pixels) {
    return pixels * perPixel;
}

} // namespace twips
