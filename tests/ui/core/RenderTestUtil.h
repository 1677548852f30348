// Drawing surfaces, PNG files and a hidden window for the renderer and manager tests.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace rendertest {

// A 32-bpp top-down DIB section selected into a memory DC; pixels read back as 0xAARRGGBB.
class Canvas {
public:
    Canvas(int width, int height, uint32_t fill = 0xFF000000u);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    HDC dc() const { return dc_; }
    uint32_t At(int x, int y) const;
    void Fill(uint32_t argb);
    int width() const { return width_; }
    int height() const { return height_; }
    // Pixels in the rectangle whose colour lies within `tolerance` of `argb` in red, green, blue.
    int Count(const RECT& rc, uint32_t argb, int tolerance = 24) const;

private:
    int width_, height_;
    HDC dc_ = nullptr;
    HBITMAP bmp_ = nullptr;
    HGDIOBJ old_ = nullptr;
    uint32_t* bits_ = nullptr;
};

// Channel distance: the largest difference among red, green and blue.
int ColorDistance(uint32_t a, uint32_t b);

// A PNG file of the given straight (not premultiplied) 0xAARRGGBB pixels, row by row.
std::string MakePng(int width, int height, const std::vector<uint32_t>& argb);
// A PNG whose header claims the given size but that holds almost no data.
std::string MakePngHeaderOnly(uint32_t width, uint32_t height);

// A hidden top-level window for a manager's paint DC and timers.
class HiddenWindow {
public:
    HiddenWindow();
    ~HiddenWindow();
    HWND hwnd() const { return hwnd_; }

private:
    HWND hwnd_ = nullptr;
};

}  // namespace rendertest
