// A window's pixels as they reach the screen, for tests that look at what a user would see, and
// a BMP of them kept next to the test's output for people looking at a run afterwards.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace testutil {

// The window's pixels as they are on the screen (0x00RRGGBB, row by row from the top).
struct Shot {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    // Pixels of colour c within the rectangle.
    int Count(uint32_t c, RECT r) const;
};
Shot Capture(HWND h);
// Writes the shot as a 24-bit BMP.
bool SaveBmp(const Shot& shot, const std::wstring& path);
// The first capture of h, once painted, that `ready` accepts: a painted window reaches the screen
// a moment later, so the pixels at a known spot tell when they are there. After ms, whatever the
// screen shows then.
Shot CaptureWhen(HWND h, DWORD ms, const std::function<bool(const Shot&)>& ready);

}  // namespace testutil
