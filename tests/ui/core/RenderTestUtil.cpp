#include "RenderTestUtil.h"

#include <zlib.h>

#include "Renderer.h"

#include <cstdlib>

namespace rendertest {

Canvas::Canvas(int width, int height, uint32_t fill) : width_(width), height_(height) {
    dc_ = CreateCompatibleDC(nullptr);
    bmp_ = Veneer::CreateTopDownDib(width, height, &bits_);
    old_ = SelectObject(dc_, bmp_);
    Fill(fill);
}

Canvas::~Canvas() {
    SelectObject(dc_, old_);
    DeleteObject(bmp_);
    DeleteDC(dc_);
}

void Canvas::Fill(uint32_t argb) {
    GdiFlush();
    for (int i = 0; i < width_ * height_; ++i) bits_[i] = argb;
}

uint32_t Canvas::At(int x, int y) const {
    GdiFlush();
    return bits_[y * width_ + x];
}

int ColorDistance(uint32_t a, uint32_t b) {
    int d = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        int diff = std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
        if (diff > d) d = diff;
    }
    return d;
}

int Canvas::Count(const RECT& rc, uint32_t argb, int tolerance) const {
    GdiFlush();
    int n = 0;
    for (int y = rc.top; y < rc.bottom; ++y)
        for (int x = rc.left; x < rc.right; ++x)
            if (ColorDistance(bits_[y * width_ + x], argb) <= tolerance) ++n;
    return n;
}

namespace {

void Put32(std::string& s, uint32_t v) {
    s += static_cast<char>(v >> 24);
    s += static_cast<char>(v >> 16);
    s += static_cast<char>(v >> 8);
    s += static_cast<char>(v);
}

void Chunk(std::string& png, const char* type, const std::string& data) {
    Put32(png, static_cast<uint32_t>(data.size()));
    std::string body = std::string(type, 4) + data;
    png += body;
    Put32(png, static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(body.data()),
                                           static_cast<uInt>(body.size()))));
}

std::string Header(uint32_t width, uint32_t height) {
    std::string png("\x89PNG\r\n\x1a\n", 8);
    std::string ihdr;
    Put32(ihdr, width);
    Put32(ihdr, height);
    ihdr += '\x08';  // bit depth
    ihdr += '\x06';  // RGBA
    ihdr += std::string(3, '\0');
    Chunk(png, "IHDR", ihdr);
    return png;
}

}  // namespace

std::string MakePng(int width, int height, const std::vector<uint32_t>& argb) {
    std::string raw;
    for (int y = 0; y < height; ++y) {
        raw += '\0';  // no filter
        for (int x = 0; x < width; ++x) {
            uint32_t p = argb[static_cast<size_t>(y) * width + x];
            raw += static_cast<char>(p >> 16);
            raw += static_cast<char>(p >> 8);
            raw += static_cast<char>(p);
            raw += static_cast<char>(p >> 24);
        }
    }
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::string packed(size, '\0');
    compress(reinterpret_cast<Bytef*>(&packed[0]), &size, reinterpret_cast<const Bytef*>(raw.data()),
             static_cast<uLong>(raw.size()));
    packed.resize(size);
    std::string png = Header(static_cast<uint32_t>(width), static_cast<uint32_t>(height));
    Chunk(png, "IDAT", packed);
    Chunk(png, "IEND", "");
    return png;
}

std::string MakePngHeaderOnly(uint32_t width, uint32_t height) {
    std::string png = Header(width, height);
    std::string tiny(8, '\0');
    Chunk(png, "IDAT", tiny);
    Chunk(png, "IEND", "");
    return png;
}

namespace {
LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcW(h, m, w, l); }
}  // namespace

HiddenWindow::HiddenWindow() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VeneerRenderTestWindow";
    RegisterClassW(&wc);
    hwnd_ = CreateWindowExW(0, wc.lpszClassName, L"test", WS_POPUP, 0, 0, 200, 100, nullptr,
                            nullptr, wc.hInstance, nullptr);
}

HiddenWindow::~HiddenWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
}

}  // namespace rendertest
