// Driving the updater from outside: its process, its windows and input posted to them.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ChildProcess.h"

namespace updatertest {

using Proc = testutil::ChildProcess;

// The exit code, or STILL_ACTIVE when the process has not ended within ms.
DWORD ExitCode(Proc& p, DWORD ms);

// A top-level window of the class that belongs to the process, waited for up to ms.
HWND WaitWindow(const wchar_t* cls, DWORD pid, DWORD ms, bool visibleOnly = true);

void Click(HWND h, int x, int y);

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
// Writes the shot as a 24-bit BMP (for people looking at a failure).
bool SaveBmp(const Shot& shot, const std::wstring& path);
// Waits until h is shown and painted (testutil::IsPainted), at most ms.
bool WaitPainted(HWND h, DWORD ms);
// The first capture of h, once painted, that `ready` accepts: a painted window reaches the screen
// a moment later, so the pixels at a known spot tell when they are there. After ms, whatever the
// screen shows then.
Shot CaptureWhen(HWND h, DWORD ms, const std::function<bool(const Shot&)>& ready);
void Key(HWND h, WPARAM vk);
// Alt+F4 as it reaches the window with the keyboard focus (the Alt key held).
void AltF4(HWND h);

// Waits until the messages posted to h's thread before the call have been handled, and those
// they posted in turn: a minimize of h goes behind them, then a restore behind that once the
// minimize is seen. False when either is not seen within ms.
bool Drain(HWND h, DWORD ms);

}  // namespace updatertest
