#pragma once

#include <cmath>

// Sizes and positions are held in twips, 15 to a pixel at 96 dots per inch. This is the one place where
// they become Qt's logical pixels, so high-DPI scaling keeps the windows the same physical size.
namespace twips {

inline constexpr double perPixel = 15.0;

inline int toPixels(double value) {
    return static_cast<int>(std::lround(value / perPixel));
}
inline double fromPixels(int pixels) {
    return pixels * perPixel;
}

} // namespace twips
