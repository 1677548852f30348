// Integer helpers for layout arithmetic: values from skins and content sizes are summed in 64
// bits and held to the int range instead of wrapping into negative sizes.
#pragma once
#include <windows.h>

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

// Edges kept in 64 bits while a layout moves them further, so that only the final value is
// held to the int range.
struct TRect64 {
    int64_t left, top, right, bottom;

    RECT Saturated() const {
        return RECT{SaturateInt(left), SaturateInt(top), SaturateInt(right), SaturateInt(bottom)};
    }
};

// One direction of a layout or a scroll bar: what lies along it and what lies across it, so
// that one routine serves both the horizontal and the vertical case.
struct TAxis {
    bool horizontal;

    // Of an (x, y) pair, the value along the axis and the one across it.
    int64_t Along(int64_t x, int64_t y) const { return horizontal ? x : y; }
    int64_t Across(int64_t x, int64_t y) const { return horizontal ? y : x; }
    int64_t Along(SIZE s) const { return Along(s.cx, s.cy); }
    int64_t Across(SIZE s) const { return Across(s.cx, s.cy); }

    // The near and far edges of a rectangle along the axis (left and right, or top and
    // bottom), and across it.
    int64_t Start(const RECT& rc) const { return horizontal ? rc.left : rc.top; }
    int64_t End(const RECT& rc) const { return horizontal ? rc.right : rc.bottom; }
    int64_t CrossStart(const RECT& rc) const { return horizontal ? rc.top : rc.left; }
    int64_t CrossEnd(const RECT& rc) const { return horizontal ? rc.bottom : rc.right; }

    SIZE MakeSize(int64_t along, int64_t across) const {
        const int a = SaturateInt(along);
        const int c = SaturateInt(across);
        return horizontal ? SIZE{a, c} : SIZE{c, a};
    }
    // The rectangle from a0 to a1 along the axis and from c0 to c1 across it.
    RECT MakeRect(int64_t a0, int64_t a1, int64_t c0, int64_t c1) const {
        if (horizontal) return TRect64{a0, c0, a1, c1}.Saturated();
        return TRect64{c0, a0, c1, a1}.Saturated();
    }
};

}  // namespace Veneer
