// Element geometry is kept in twips exactly as set; pixels are derived.
#pragma once

#include <cmath>

namespace zcore {

inline constexpr double kTwipsPerPixel = 15.0;

// Nearest pixel to a twips coordinate (halves round up, as the screen grid does).
inline int twipsToPixels(double twips) { return int(std::floor(twips / kTwipsPerPixel + 0.5)); }

} // namespace zcore
