// Stateless drawing of the skinned windows: images (loaded once, premultiplied, nine-grid
// stretched), plain and marked-up text, fills, gradients, lines and rectangles.
#pragma once
#include <windows.h>

#include <cstdint>

#include "UIString.h"

namespace Veneer {

class CWindowManagerUI;

// One decoded image: a 32-bpp top-down DIB section with premultiplied alpha.
struct TImageData {
    HBITMAP bitmap = nullptr;             // owns the pixels
    uint32_t* pixels = nullptr;           // the DIB's words: blue, green, red, alpha in memory
    uint32_t* unadjustedPixels = nullptr; // heap copy for hue/saturation/lightness; owned
    int width = 0;
    int height = 0;
    bool alpha = false;       // some pixel is not fully opaque or was masked out
    bool adjustable = false;  // set by the image cache together with unadjustedPixels
    CUIString resourceType;
    uint32_t mask = 0;        // the mask colour the image was loaded with
};

// One image attribute of a control: its description text, parsed once, and the cached image.
struct TImageDrawInfo {
    CUIString description;
    bool parsed = false;
    CUIString imageName;
    TImageData* image = nullptr;  // not owned: the manager's cache owns it
    RECT dest = {0, 0, 0, 0};
    RECT source = {0, 0, 0, 0};
    RECT corner = {0, 0, 0, 0};
    uint8_t fade = 255;
    bool hole = false;
    bool xtiled = false;
    bool ytiled = false;

    void Clear();
};

class CRenderer {
public:
    // Images
    static TImageData* LoadImage(const wchar_t* name, const wchar_t* type = nullptr,
                                 uint32_t mask = 0);
    static TImageData* LoadImage(UINT resourceId, const wchar_t* type, uint32_t mask = 0);
    static void ReleaseImage(TImageData* image, bool deleteRecord = true);
    static bool DrawImageDescriptor(HDC dc, CWindowManagerUI* manager, const RECT& item,
                                    const RECT& paint, TImageDrawInfo& info);
    static void DrawImage(HDC dc, HBITMAP bitmap, const RECT& dest, const RECT& paint,
                          const RECT& source, const RECT& corner, bool alpha, uint8_t fade = 255,
                          bool hole = false, bool xtiled = false, bool ytiled = false);
    static BOOL WINAPI SoftwareAlphaBlend(HDC destDc, int dx, int dy, int dw, int dh, HDC srcDc,
                                          int sx, int sy, int sw, int sh, BLENDFUNCTION blend);
    static uint32_t AdjustColorHsl(uint32_t color, short hue, short saturation, short lightness);
    static void AdjustImageHsl(bool enable, TImageData* image, short hue, short saturation,
                               short lightness);

    // Text
    static void DrawText(HDC dc, CWindowManagerUI* manager, RECT& rc, const wchar_t* text,
                         uint32_t color, int fontId, UINT format);
    static void DrawMarkupText(HDC dc, CWindowManagerUI* manager, RECT& rc, const wchar_t* text,
                               uint32_t color, RECT* linkRects, CUIString* linkTexts,
                               int& linkCount, UINT format);

    // Shapes
    static void FillColor(HDC dc, const RECT& rc, uint32_t color);
    static void DrawGradient(HDC dc, const RECT& rc, uint32_t first, uint32_t second,
                             bool vertical, int steps);
    static void DrawLine(HDC dc, const RECT& rc, int width, uint32_t color,
                         int penStyle = PS_SOLID);
    static void DrawRect(HDC dc, const RECT& rc, int width, uint32_t color);
    static void DrawRoundRect(HDC dc, const RECT& rc, int width, int ellipseWidth,
                              int ellipseHeight, uint32_t color);
};

// ARGB (alpha on top) to the COLORREF that GDI wants: red and blue exchanged, alpha dropped.
inline COLORREF ToColorRef(uint32_t argb) {
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

// The AlphaBlend entry of msimg32.dll when it can be found, else the software blend.
using AlphaBlendFn = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int,
                                   BLENDFUNCTION);
AlphaBlendFn GetAlphaBlend();

// A 32-bpp top-down DIB section (premultiplied BGRA words); null when it cannot be made.
HBITMAP CreateTopDownDib(int width, int height, uint32_t** pixels);

}  // namespace Veneer
