// Integer helpers for layout arithmetic: values from skins and content sizes are summed in 64
// bits and held to the int range instead of wrapping into negative sizes.
#pragma once
#include <algorithm>
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

}  // namespace Veneer
