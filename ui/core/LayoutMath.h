// Integer helpers for layout arithmetic: values from skins and content sizes are summed in 64
// bits and held to the int range instead of wrapping into negative sizes.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>

namespace Veneer {

inline int SaturateInt(int64_t v) {
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<int>(v);
}

// Raised to the minimum first, then cut to the maximum, so the maximum wins a conflict.
inline int64_t ClampMinMax(int64_t v, int64_t min, int64_t max) {
    return std::min(std::max(v, min), max);
}

// A float control's share of its parent's extent, cut toward zero. A share that is not a
// number counts as none, and the product is held to the int range. The container placing a
// float child and the child taking its place back must agree on this to the pixel.
inline int ShareOf(double share, int extent) {
    const double v = std::trunc(share * static_cast<double>(extent));
    if (!(v == v)) return 0;
    return SaturateInt(static_cast<int64_t>(std::clamp(v, -2147483648.0, 2147483647.0)));
}

}  // namespace Veneer
