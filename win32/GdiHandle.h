// Owning wrappers for GDI objects and device contexts, and a guard for objects selected into a
// DC, so a painter's early return can neither leak a handle nor leave a DC holding an object.
#pragma once
#include <windows.h>

#include <utility>

#include "WinHandle.h"

namespace kesh {

// Pens, brushes, fonts, bitmaps and regions are all freed by DeleteObject. One made by the
// program, never a stock object. An object still selected into a DC is not freed, so a
// wrapper must outlive the SelectScope that selected it.
template <typename H>
struct GdiObjectTraits {
    static H invalid() { return nullptr; }
    static void close(H h) { DeleteObject(h); }
};

using UniquePen = UniqueWin<HPEN, GdiObjectTraits<HPEN>>;
using UniqueBrush = UniqueWin<HBRUSH, GdiObjectTraits<HBRUSH>>;
using UniqueFont = UniqueWin<HFONT, GdiObjectTraits<HFONT>>;
using UniqueBitmap = UniqueWin<HBITMAP, GdiObjectTraits<HBITMAP>>;
using UniqueRegion = UniqueWin<HRGN, GdiObjectTraits<HRGN>>;

struct MemoryDcTraits {  // CreateCompatibleDC / CreateDC
    static HDC invalid() { return nullptr; }
    static void close(HDC h) { DeleteDC(h); }
};

using UniqueMemoryDC = UniqueWin<HDC, MemoryDcTraits>;

// A window's DC from GetDC: it goes back with ReleaseDC, which needs the window it came from,
// so the window travels with the handle. Move-only.
class UniqueWindowDC {
public:
    UniqueWindowDC() = default;
    UniqueWindowDC(HWND window, HDC dc) : window_(window), dc_(dc) {}
    ~UniqueWindowDC() { reset(); }
    UniqueWindowDC(UniqueWindowDC&& o) noexcept
        : window_(std::exchange(o.window_, nullptr)), dc_(std::exchange(o.dc_, nullptr)) {}
    UniqueWindowDC& operator=(UniqueWindowDC&& o) noexcept {
        if (this != &o) {
            reset();
            window_ = std::exchange(o.window_, nullptr);
            dc_ = std::exchange(o.dc_, nullptr);
        }
        return *this;
    }
    UniqueWindowDC(const UniqueWindowDC&) = delete;
    UniqueWindowDC& operator=(const UniqueWindowDC&) = delete;

    HDC get() const { return dc_; }
    HWND window() const { return window_; }
    explicit operator bool() const { return dc_ != nullptr; }
    void reset() { reset(nullptr, nullptr); }
    void reset(HWND window, HDC dc) {
        if (dc_ != nullptr) ReleaseDC(window_, dc_);
        window_ = window;
        dc_ = dc;
    }

private:
    HWND window_ = nullptr;
    HDC dc_ = nullptr;
};

// Selects an object into a DC and selects the one it replaced back when the scope ends. Not for
// regions: selecting a region answers its complexity, not the region it replaced.
class SelectScope {
public:
    SelectScope(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~SelectScope() {
        if (old_ != nullptr && old_ != HGDI_ERROR) SelectObject(dc_, old_);
    }
    SelectScope(const SelectScope&) = delete;
    SelectScope& operator=(const SelectScope&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

}  // namespace kesh
