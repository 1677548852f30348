// Loading images into premultiplied 32-bpp DIB sections, parsing image descriptions and
// drawing them nine-grid stretched or tiled, with per-pixel and constant alpha.
#include "Renderer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <utility>
#include <vector>

#include <stb/stb_image.h>

#include "AttrValue.h"
#include "GdiHandle.h"
#include "WinHandle.h"
#include "WindowManagerUI.h"
#include "ZipReader.h"

namespace Veneer {

namespace {

// Skin images are a few hundred pixels wide; these caps keep a crafted file from making us
// allocate gigabytes. They are checked before anything is read or decoded.
constexpr size_t kMaxSourceBytes = 32u << 20;
constexpr int kMaxSide = 16384;
constexpr size_t kMaxPixels = 16u << 20;

using Bytes = std::vector<unsigned char>;

bool ReadWholeFile(const wchar_t* path, Bytes& out) {
    kesh::UniqueFile file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 ||
        static_cast<unsigned long long>(size.QuadPart) > kMaxSourceBytes)
        return false;
    out.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!ReadFile(file.get(), out.data(), static_cast<DWORD>(out.size()), &read, nullptr) ||
        read != out.size())
        return false;
    return true;
}

bool ReadResource(const wchar_t* name, const wchar_t* type, Bytes& out) {
    HMODULE module = CWindowManagerUI::GetResourceModule();
    HRSRC res = FindResourceW(module, name, type);
    if (res == nullptr) return false;
    HGLOBAL loaded = LoadResource(module, res);
    DWORD size = SizeofResource(module, res);
    if (loaded == nullptr || size == 0 || size > kMaxSourceBytes) return false;
    const void* data = LockResource(loaded);
    if (data == nullptr) return false;
    const auto* p = static_cast<const unsigned char*>(data);
    out.assign(p, p + size);
    return true;
}

bool ReadFromSkinZip(const wchar_t* name, Bytes& out) {
    TZipArchive* zip = CWindowManagerUI::GetZipHandle();
    bool opened = false;
    if (zip == nullptr) {
        CUIString path = CWindowManagerUI::GetSkinRoot();
        path += CWindowManagerUI::GetSkinZipName().GetData();
        zip = OpenZipArchive(path.GetData(), 0, kZipFromFile);
        if (zip == nullptr) return false;
        opened = true;
    }
    bool ok = false;
    int index = -1;
    TZipEntryInfo info = {};
    if (FindZipEntry(zip, name, true, &index, &info) == kZipOk && info.uncompressedSize != 0 &&
        info.uncompressedSize <= kMaxSourceBytes) {
        out.assign(info.uncompressedSize, 0);
        const int rc = ExtractZipEntry(zip, index, out.data(), info.uncompressedSize, kZipToMemory);
        ok = rc == kZipOk || rc == kZipMoreData;
    }
    if (opened) CloseZipArchive(zip);
    return ok;
}

TImageData* DecodeImage(const Bytes& bytes, uint32_t mask) {
    if (bytes.empty() || bytes.size() > kMaxSourceBytes) return nullptr;
    const int length = static_cast<int>(bytes.size());
    int width = 0, height = 0, channels = 0;
    if (!stbi_info_from_memory(bytes.data(), length, &width, &height, &channels)) return nullptr;
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide ||
        static_cast<size_t>(width) * static_cast<size_t>(height) > kMaxPixels)
        return nullptr;
    unsigned char* rgba = stbi_load_from_memory(bytes.data(), length, &width, &height, &channels, 4);
    if (rgba == nullptr) return nullptr;

    uint32_t* pixels = nullptr;
    kesh::UniqueBitmap bmp(CreateTopDownDib(width, height, &pixels));
    if (!bmp) {
        stbi_image_free(rgba);
        return nullptr;
    }
    bool hasAlpha = false;
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    for (size_t i = 0; i < count; ++i) {
        const unsigned char* s = rgba + i * 4;
        uint32_t r = s[0], g = s[1], b = s[2], a = s[3];
        if (a != 255) {
            // AlphaBlend wants colours already multiplied by their pixel's alpha.
            r = r * a / 255;
            g = g * a / 255;
            b = b * a / 255;
            hasAlpha = true;
        }
        uint32_t value = (a << 24) | (r << 16) | (g << 8) | b;
        if (value == mask) {
            value = 0;
            hasAlpha = true;
        }
        pixels[i] = value;
    }
    stbi_image_free(rgba);

    auto* image = new TImageData;
    image->bitmap = bmp.release();  // the record owns it from here; ReleaseImage frees it
    image->pixels = pixels;
    image->width = width;
    image->height = height;
    image->alpha = hasAlpha;
    return image;
}

bool RectIsZero(const RECT& rc) {
    return rc.left == 0 && rc.top == 0 && rc.right == 0 && rc.bottom == 0;
}

bool Meets(const RECT& a, const RECT& b) {
    RECT hit;
    return IntersectRect(&hit, &a, &b) != FALSE;
}

// One image description parsed: what to load and how to place it.
struct ParsedDescription {
    CUIString name;
    CUIString type;
    bool isResource = false;
    uint32_t mask = 0;
    bool hsl = false;
};

void ApplyKey(const CUIString& key, const CUIString& value, ParsedDescription& pd,
              TImageDrawInfo& info) {
    const wchar_t* v = value.GetData();
    if (key == L"file") {
        pd.name = value;
    } else if (key == L"res") {
        pd.name = value;
        pd.isResource = true;
    } else if (key == L"restype") {
        pd.type = value;
    } else if (key == L"dest") {
        info.dest = ReadRect(v);
    } else if (key == L"source") {
        info.source = ReadRect(v);
    } else if (key == L"corner") {
        info.corner = ReadRect(v);
    } else if (key == L"mask") {
        pd.mask = ReadHexColor(v);
    } else if (key == L"fade") {
        info.fade = static_cast<uint8_t>(wcstol(v, nullptr, 10) & 0xFF);
    } else if (key == L"hole") {
        info.hole = value == L"true";
    } else if (key == L"xtiled") {
        info.xtiled = value == L"true";
    } else if (key == L"ytiled") {
        info.ytiled = value == L"true";
    } else if (key == L"hsl") {
        pd.hsl = value == L"true";
    }
}

void ParseDescription(TImageDrawInfo& info, ParsedDescription& pd) {
    pd.name = info.description;  // a bare file name, spaces and all
    const wchar_t* p = info.description.GetData();
    for (;;) {
        while (*p != L'\0' && *p <= L' ') ++p;
        CUIString key;
        while (*p != L'\0' && *p != L'=' && *p > L' ') key += *p++;
        while (*p != L'\0' && *p <= L' ') ++p;
        if (*p != L'=') break;
        ++p;
        while (*p != L'\0' && *p <= L' ') ++p;
        if (*p != L'\'') break;
        ++p;
        const wchar_t* start = p;
        while (*p != L'\0' && *p != L'\'') ++p;
        if (*p != L'\'') break;
        CUIString value(start, static_cast<int>(p - start));
        ++p;
        if (!value.IsEmpty()) ApplyKey(key, value, pd, info);
        if (*p != L' ') break;
        ++p;
        if (*p == L'\0') break;
    }
}

}  // namespace

HBITMAP CreateTopDownDib(int width, int height, uint32_t** pixels) {
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = width;
    bmi.bmiHeader.biHeight = -height;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    bmi.bmiHeader.biSizeImage = static_cast<DWORD>(static_cast<size_t>(width) * height * 4u);
    void* bits = nullptr;
    kesh::UniqueBitmap bmp(CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bmp || bits == nullptr) return nullptr;
    *pixels = static_cast<uint32_t*>(bits);
    return bmp.release();  // the caller owns it
}

AlphaBlendFn GetAlphaBlend() {
    static const AlphaBlendFn fn = [] {
        HMODULE module = GetModuleHandleW(L"msimg32.dll");
        FARPROC proc = module ? GetProcAddress(module, "AlphaBlend") : nullptr;
        return proc ? reinterpret_cast<AlphaBlendFn>(reinterpret_cast<void*>(proc))
                    : &CRenderer::SoftwareAlphaBlend;
    }();
    return fn;
}

void TImageDrawInfo::Clear() {
    description.Empty();
    parsed = false;
    imageName.Empty();
    image = nullptr;
    dest = source = corner = RECT{0, 0, 0, 0};
    fade = 255;
    hole = xtiled = ytiled = false;
}

// ---- loading -----------------------------------------------------------------------------

TImageData* CRenderer::LoadImage(const wchar_t* name, const wchar_t* type, uint32_t mask) {
    if (name == nullptr) return nullptr;
    Bytes bytes;
    bool found = false;
    if (type != nullptr) {
        found = ReadResource(name, type, bytes);
    } else if (!IS_INTRESOURCE(name)) {
        if (CWindowManagerUI::GetSkinZipName().IsEmpty()) {
            CUIString path = CWindowManagerUI::GetSkinRoot();
            path += name;
            found = ReadWholeFile(path.GetData(), bytes);
        } else {
            found = ReadFromSkinZip(name, bytes);
        }
    }
    if (!found && !IS_INTRESOURCE(name)) {
        bytes.clear();
        found = ReadWholeFile(name, bytes);
    }
    if (!found) return nullptr;
    return DecodeImage(bytes, mask);
}

TImageData* CRenderer::LoadImage(UINT resourceId, const wchar_t* type, uint32_t mask) {
    return LoadImage(MAKEINTRESOURCEW(resourceId), type, mask);
}

void CRenderer::ReleaseImage(TImageData* image, bool deleteRecord) {
    if (image == nullptr) return;
    // The record owns its bitmap, and with it the pixels: taken back here to be freed.
    kesh::UniqueBitmap owned(std::exchange(image->bitmap, nullptr));
    owned.reset();
    image->pixels = nullptr;
    free(image->unadjustedPixels);
    image->unadjustedPixels = nullptr;
    if (deleteRecord) delete image;
}

// ---- descriptions ------------------------------------------------------------------------

bool CRenderer::DrawImageDescriptor(HDC dc, CWindowManagerUI* manager, const RECT& item,
                                    const RECT& paint, TImageDrawInfo& info) {
    if (info.image == nullptr) {
        // Without a manager there is no image cache to load into: that is no failed attempt,
        // and the first draw with a manager loads the image.
        if (info.parsed || manager == nullptr) return false;
        info.parsed = true;
        if (info.description.IsEmpty()) return false;
        ParsedDescription pd;
        ParseDescription(info, pd);
        info.imageName = pd.name;
        info.image = manager->GetOrLoadImage(pd.name.GetData(),
                                             pd.isResource ? pd.type.GetData() : nullptr,
                                             pd.mask, pd.hsl);
        if (info.image == nullptr) return false;
        if (RectIsZero(info.source)) info.source = {0, 0, info.image->width, info.image->height};
    }
    TImageData* image = info.image;
    if (info.source.right > image->width) info.source.right = image->width;
    if (info.source.bottom > image->height) info.source.bottom = image->height;
    if (dc == nullptr) return true;

    RECT target = item;
    if (!RectIsZero(info.dest)) {
        target.left = item.left + info.dest.left;
        target.top = item.top + info.dest.top;
        target.right = std::min<LONG>(item.right, item.left + info.dest.right);
        target.bottom = std::min<LONG>(item.bottom, item.top + info.dest.bottom);
    }
    if (!Meets(target, item) || !Meets(target, paint)) return true;
    DrawImage(dc, image->bitmap, target, paint, info.source, info.corner, image->alpha, info.fade,
              info.hole, info.xtiled, info.ytiled);
    return true;
}

// ---- drawing -----------------------------------------------------------------------------

void CRenderer::DrawImage(HDC dc, HBITMAP bitmap, const RECT& dest, const RECT& paint,
                          const RECT& source, const RECT& corner, bool alpha, uint8_t fade,
                          bool hole, bool xtiled, bool ytiled) {
    const AlphaBlendFn blend = GetAlphaBlend();
    if (bitmap == nullptr || dc == nullptr) return;
    kesh::UniqueMemoryDC memDc(CreateCompatibleDC(dc));
    if (!memDc) return;
    const HDC mem = memDc.get();
    kesh::SelectScope selected(mem, bitmap);
    SetStretchBltMode(dc, COLORONCOLOR);

    const bool blended = alpha || fade != 255;
    const BLENDFUNCTION bf = {AC_SRC_OVER, 0, fade, AC_SRC_ALPHA};
    // One piece of the nine-grid: drawn only when both rectangles have area and the target
    // reaches into what is being painted.
    auto piece = [&](const RECT& d, const RECT& s, bool copyExact) {
        const int dw = d.right - d.left, dh = d.bottom - d.top;
        const int sw = s.right - s.left, sh = s.bottom - s.top;
        if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0 || !Meets(d, paint)) return;
        if (blended)
            blend(dc, d.left, d.top, dw, dh, mem, s.left, s.top, sw, sh, bf);
        else if (copyExact)
            BitBlt(dc, d.left, d.top, dw, dh, mem, s.left, s.top, SRCCOPY);
        else
            StretchBlt(dc, d.left, d.top, dw, dh, mem, s.left, s.top, sw, sh, SRCCOPY);
    };

    const int cl = corner.left, ct = corner.top, cr = corner.right, cb = corner.bottom;
    const bool noCorners = cl == 0 && ct == 0 && cr == 0 && cb == 0;
    if (!blended && noCorners && dest.right - dest.left == source.right - source.left &&
        dest.bottom - dest.top == source.bottom - source.top) {
        RECT hit;
        if (IntersectRect(&hit, &dest, &paint))
            BitBlt(dc, hit.left, hit.top, hit.right - hit.left, hit.bottom - hit.top, mem,
                   source.left + hit.left - dest.left, source.top + hit.top - dest.top, SRCCOPY);
    } else {
        const RECT dm = {dest.left + cl, dest.top + ct, dest.right - cr, dest.bottom - cb};
        const RECT sm = {source.left + cl, source.top + ct, source.right - cr, source.bottom - cb};
        const int tw = sm.right - sm.left, th = sm.bottom - sm.top;
        if (!hole && Meets(dm, paint)) {
            if (!xtiled && !ytiled) {
                piece(dm, sm, false);
            } else {
                // Tiles start at the first one that reaches into the paint rectangle and stop
                // behind it, so a tiny tile over a large area costs only what is painted. A tile
                // of no width or height could never advance and is not drawn at all.
                const int stepX = xtiled ? tw : dm.right - dm.left;
                const int stepY = ytiled ? th : dm.bottom - dm.top;
                if (stepX > 0 && stepY > 0) {
                    const int x0 = dm.left + std::max(0, static_cast<int>(paint.left - dm.left) / stepX * stepX);
                    const int y0 = dm.top + std::max(0, static_cast<int>(paint.top - dm.top) / stepY * stepY);
                    const int xEnd = std::min(dm.right, paint.right);
                    const int yEnd = std::min(dm.bottom, paint.bottom);
                    for (int y = y0; y < yEnd; y += stepY)
                        for (int x = x0; x < xEnd; x += stepX) {
                            const int w = std::min(stepX, static_cast<int>(dm.right) - x);
                            const int h = std::min(stepY, static_cast<int>(dm.bottom) - y);
                            // Along a tiled axis the source is cut with the tile; along the
                            // other the whole source middle stretches over the whole middle.
                            const RECT src = {sm.left, sm.top, xtiled ? sm.left + w : sm.right,
                                              ytiled ? sm.top + h : sm.bottom};
                            piece({x, y, x + w, y + h}, src, xtiled && ytiled);
                        }
                }
            }
        }
        if (cl > 0 && ct > 0)
            piece({dest.left, dest.top, dest.left + cl, dest.top + ct},
                  {source.left, source.top, source.left + cl, source.top + ct}, false);
        if (ct > 0)
            piece({dm.left, dest.top, dm.right, dest.top + ct},
                  {sm.left, source.top, sm.right, source.top + ct}, false);
        if (cr > 0 && ct > 0)
            piece({dm.right, dest.top, dest.right, dest.top + ct},
                  {sm.right, source.top, source.right, source.top + ct}, false);
        if (cl > 0)
            piece({dest.left, dm.top, dest.left + cl, dm.bottom},
                  {source.left, sm.top, source.left + cl, sm.bottom}, false);
        if (cr > 0)
            piece({dm.right, dm.top, dest.right, dm.bottom},
                  {sm.right, sm.top, source.right, sm.bottom}, false);
        if (cl > 0 && cb > 0)
            piece({dest.left, dm.bottom, dest.left + cl, dest.bottom},
                  {source.left, sm.bottom, source.left + cl, source.bottom}, false);
        if (cb > 0)
            piece({dm.left, dm.bottom, dm.right, dest.bottom},
                  {sm.left, sm.bottom, sm.right, source.bottom}, false);
        if (cr > 0 && cb > 0)
            piece({dm.right, dm.bottom, dest.right, dest.bottom},
                  {sm.right, sm.bottom, source.right, source.bottom}, false);
    }
}

BOOL WINAPI CRenderer::SoftwareAlphaBlend(HDC destDc, int dx, int dy, int dw, int dh, HDC srcDc,
                                          int sx, int sy, int sw, int sh, BLENDFUNCTION blend) {
    if (dw <= 0 || dh <= 0) return TRUE;
    kesh::UniqueMemoryDC memDc(CreateCompatibleDC(destDc));
    if (!memDc) return FALSE;
    const HDC mem = memDc.get();
    uint32_t* src = nullptr;
    uint32_t* dst = nullptr;
    const kesh::UniqueBitmap srcBmp(CreateTopDownDib(dw, dh, &src));
    const kesh::UniqueBitmap dstBmp(srcBmp ? CreateTopDownDib(dw, dh, &dst) : nullptr);
    if (!srcBmp || !dstBmp) return FALSE;
    // Declared after the bitmaps: the DC's own bitmap is back in it before they are freed.
    kesh::SelectScope selected(mem, srcBmp.get());
    SetStretchBltMode(mem, COLORONCOLOR);
    StretchBlt(mem, 0, 0, dw, dh, srcDc, sx, sy, sw, sh, SRCCOPY);
    SelectObject(mem, dstBmp.get());
    BitBlt(mem, 0, 0, dw, dh, destDc, dx, dy, SRCCOPY);

    const uint32_t constant = blend.SourceConstantAlpha;
    const bool perPixel = (blend.AlphaFormat & AC_SRC_ALPHA) != 0;
    const size_t count = static_cast<size_t>(dw) * static_cast<size_t>(dh);
    for (size_t i = 0; i < count; ++i) {
        const uint32_t s = src[i], d = dst[i];
        const uint32_t sa = perPixel ? (s >> 24) : 255u;
        const uint32_t f = sa * constant / 255u;  // coverage of the source, 0-255
        uint32_t out = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            uint32_t sc = (s >> shift) & 0xFF;
            if (shift == 24 && !perPixel) sc = 255u;
            const uint32_t dc = (d >> shift) & 0xFF;
            // The source colour already carries its own alpha (premultiplied): it is scaled by
            // the constant alpha only, never by its alpha a second time.
            uint32_t v = (sc * constant + dc * (255u - f) + 127u) / 255u;
            if (v > 255u) v = 255u;
            out |= v << shift;
        }
        dst[i] = out;
    }
    BitBlt(destDc, dx, dy, dw, dh, mem, 0, 0, SRCCOPY);
    return TRUE;
}

// ---- hue, saturation, lightness ----------------------------------------------------------

namespace {

float HueToChannel(float m1, float m2, float h) {
    if (h < 0) h += 1.0f;
    if (h > 1) h -= 1.0f;
    if (6.0f * h < 1) return m1 + (m2 - m1) * h * 6.0f;
    if (2.0f * h < 1) return m2;
    if (3.0f * h < 2) return m1 + (m2 - m1) * (2.0f / 3.0f - h) * 6.0f;
    return m1;
}

uint8_t ToByte(float v) {
    int i = static_cast<int>(std::lround(v * 255.0f));
    return static_cast<uint8_t>(std::clamp(i, 0, 255));
}

}  // namespace

uint32_t CRenderer::AdjustColorHsl(uint32_t color, short hue, short saturation, short lightness) {
    if (hue == 180 && saturation == 100 && lightness == 100) return color;
    const float r = ((color >> 16) & 0xFF) / 255.0f;
    const float g = ((color >> 8) & 0xFF) / 255.0f;
    const float b = (color & 0xFF) / 255.0f;
    const float mx = std::max({r, g, b}), mn = std::min({r, g, b});
    float h = 0, s = 0;
    const float l = (mx + mn) / 2.0f;
    if (mx != mn) {
        const float d = mx - mn;
        s = l <= 0.5f ? d / (mx + mn) : d / (2.0f - mx - mn);
        if (mx == r)
            h = (g - b) / d;
        else if (mx == g)
            h = 2.0f + (b - r) / d;
        else
            h = 4.0f + (r - g) / d;
        h *= 60.0f;
        if (h < 0) h += 360.0f;
    }
    h = h + hue - 180.0f;
    if (h <= 0) h += 360.0f;
    if (h >= 360.0f) h -= 360.0f;
    s = std::min(1.0f, s * saturation / 100.0f);
    const float l2 = std::min(1.0f, l * lightness / 100.0f);
    float nr, ng, nb;
    if (s == 0) {
        nr = ng = nb = l2;
    } else {
        const float m2 = l2 <= 0.5f ? l2 * (1.0f + s) : l2 + s - l2 * s;
        const float m1 = 2.0f * l2 - m2;
        const float hh = h / 360.0f;
        nr = HueToChannel(m1, m2, hh + 1.0f / 3.0f);
        ng = HueToChannel(m1, m2, hh);
        nb = HueToChannel(m1, m2, hh - 1.0f / 3.0f);
    }
    return (color & 0xFF000000u) | (uint32_t(ToByte(nr)) << 16) | (uint32_t(ToByte(ng)) << 8) |
           ToByte(nb);
}

void CRenderer::AdjustImageHsl(bool enable, TImageData* image, short hue, short saturation,
                               short lightness) {
    if (image == nullptr || !image->adjustable || image->bitmap == nullptr ||
        image->pixels == nullptr || image->unadjustedPixels == nullptr)
        return;
    const size_t count = static_cast<size_t>(image->width) * static_cast<size_t>(image->height);
    if (!enable || (hue == 180 && saturation == 100 && lightness == 100)) {
        memcpy(image->pixels, image->unadjustedPixels, count * 4u);
        return;
    }
    for (size_t i = 0; i < count; ++i)
        image->pixels[i] = AdjustColorHsl(image->unadjustedPixels[i], hue, saturation, lightness);
}

}  // namespace Veneer
