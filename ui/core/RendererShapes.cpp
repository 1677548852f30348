// Colour fills, two-colour gradients, lines, rectangles and rounded rectangles.
#include "Renderer.h"

#include "GdiHandle.h"

namespace Veneer {

namespace {

using GradientFillFn = BOOL(WINAPI*)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);

GradientFillFn GetGradientFill() {
    static const GradientFillFn fn = [] {
        HMODULE module = GetModuleHandleW(L"msimg32.dll");
        FARPROC proc = module ? GetProcAddress(module, "GradientFill") : nullptr;
        return reinterpret_cast<GradientFillFn>(reinterpret_cast<void*>(proc));
    }();
    return fn;
}

uint32_t Channel(uint32_t color, int shift) { return (color >> shift) & 0xFF; }

void FillBands(HDC dc, const RECT& rc, uint32_t first, uint32_t second, bool vertical, int steps) {
    int k = 6;
    if (steps < 4) k = 1;
    else if (steps < 8) k = 2;
    else if (steps < 16) k = 3;
    else if (steps < 32) k = 4;
    else if (steps < 64) k = 5;
    const int n = 1 << k;
    const int extent = vertical ? rc.bottom - rc.top : rc.right - rc.left;
    for (int i = 0; i < n; ++i) {
        // Band edges come from the whole extent, so the bands meet and cover it exactly.
        const int nearEdge = extent * i / n, farEdge = extent * (i + 1) / n;
        RECT band = rc;
        if (vertical) {
            band.bottom = rc.bottom - nearEdge;
            band.top = rc.bottom - farEdge;
        } else {
            band.right = rc.right - nearEdge;
            band.left = rc.right - farEdge;
        }
        if (band.right <= band.left || band.bottom <= band.top) continue;
        auto mix = [&](int shift) {
            return (Channel(second, shift) * (n - i) + Channel(first, shift) * i) / n;
        };
        const kesh::UniqueBrush brush(CreateSolidBrush(RGB(mix(16), mix(8), mix(0))));
        FillRect(dc, &band, brush.get());
    }
}

void Gradient(HDC dc, const RECT& rc, uint32_t first, uint32_t second, bool vertical, int steps) {
    if (GradientFillFn fill = GetGradientFill()) {
        TRIVERTEX v[2] = {};
        v[0].x = rc.left;
        v[0].y = rc.top;
        v[0].Red = static_cast<COLOR16>(Channel(first, 16) << 8);
        v[0].Green = static_cast<COLOR16>(Channel(first, 8) << 8);
        v[0].Blue = static_cast<COLOR16>(Channel(first, 0) << 8);
        v[0].Alpha = 0xFF00;
        v[1].x = rc.right;
        v[1].y = rc.bottom;
        v[1].Red = static_cast<COLOR16>(Channel(second, 16) << 8);
        v[1].Green = static_cast<COLOR16>(Channel(second, 8) << 8);
        v[1].Blue = static_cast<COLOR16>(Channel(second, 0) << 8);
        v[1].Alpha = 0xFF00;
        GRADIENT_RECT gr = {0, 1};
        fill(dc, v, 2, &gr, 1, vertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H);
    } else {
        FillBands(dc, rc, first, second, vertical, steps);
    }
}

}  // namespace

void CRenderer::FillColor(HDC dc, const RECT& rc, uint32_t color) {
    const uint32_t alpha = color >> 24;
    if (alpha == 0) return;
    if (alpha == 255) {
        SetBkColor(dc, ToColorRef(color));
        ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
        return;
    }
    uint32_t* pixel = nullptr;
    const kesh::UniqueBitmap bmp(CreateTopDownDib(1, 1, &pixel));
    if (!bmp || pixel == nullptr) return;
    // The blend takes colours premultiplied by their alpha; an unscaled colour would come out
    // brighter than asked (white at any alpha would stay white).
    *pixel = (alpha << 24) | ((Channel(color, 16) * alpha / 255) << 16) |
             ((Channel(color, 8) * alpha / 255) << 8) | (Channel(color, 0) * alpha / 255);
    DrawImage(dc, bmp.get(), rc, rc, RECT{0, 0, 1, 1}, RECT{0, 0, 0, 0}, true, 255, false, false,
              false);
}

void CRenderer::DrawGradient(HDC dc, const RECT& rc, uint32_t first, uint32_t second,
                             bool vertical, int steps) {
    const AlphaBlendFn blend = GetAlphaBlend();
    const uint32_t level = ((first >> 24) + (second >> 24)) / 2;
    if (level == 0) return;
    const int width = rc.right - rc.left, height = rc.bottom - rc.top;
    if (width <= 0 || height <= 0) return;
    if (level >= 255) {
        Gradient(dc, rc, first, second, vertical, steps);
        return;
    }
    const kesh::UniqueMemoryDC memDc(CreateCompatibleDC(dc));
    uint32_t* pixels = nullptr;
    const kesh::UniqueBitmap bmp(memDc ? CreateTopDownDib(width, height, &pixels) : nullptr);
    if (!bmp || pixels == nullptr) return;
    const HDC mem = memDc.get();
    const kesh::SelectScope selected(mem, bmp.get());
    Gradient(mem, RECT{0, 0, width, height}, first, second, vertical, steps);
    GdiFlush();
    // Brushes leave the alpha byte at 0, which a per-pixel blend would take as "add the colour";
    // the drawn gradient is opaque and only the constant level makes it translucent.
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    for (size_t i = 0; i < count; ++i) pixels[i] |= 0xFF000000u;
    const BLENDFUNCTION bf = {AC_SRC_OVER, 0, static_cast<BYTE>(level), AC_SRC_ALPHA};
    blend(dc, rc.left, rc.top, width, height, mem, 0, 0, width, height, bf);
}

void CRenderer::DrawLine(HDC dc, const RECT& rc, int width, uint32_t color, int penStyle) {
    LOGPEN lp = {static_cast<UINT>(penStyle), {width, 0}, ToColorRef(color)};
    const kesh::UniquePen pen(CreatePenIndirect(&lp));
    if (!pen) return;
    const kesh::SelectScope selected(dc, pen.get());
    MoveToEx(dc, rc.left, rc.top, nullptr);
    LineTo(dc, rc.right, rc.bottom);
}

namespace {

template <typename Shape>
void WithFramePen(HDC dc, int width, uint32_t color, Shape shape) {
    const kesh::UniquePen pen(CreatePen(PS_INSIDEFRAME, width, ToColorRef(color)));
    if (!pen) return;
    const kesh::SelectScope selectedPen(dc, pen.get());
    const kesh::SelectScope selectedBrush(dc, GetStockObject(NULL_BRUSH));
    shape();
}

}  // namespace

void CRenderer::DrawRect(HDC dc, const RECT& rc, int width, uint32_t color) {
    WithFramePen(dc, width, color, [&] { Rectangle(dc, rc.left, rc.top, rc.right, rc.bottom); });
}

void CRenderer::DrawRoundRect(HDC dc, const RECT& rc, int width, int ellipseWidth,
                              int ellipseHeight, uint32_t color) {
    WithFramePen(dc, width, color, [&] {
        RoundRect(dc, rc.left, rc.top, rc.right, rc.bottom, ellipseWidth, ellipseHeight);
    });
}

}  // namespace Veneer
