// Driving the updater from outside: its process, its windows and input posted to them.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "ScreenShot.h"

namespace updatertest {

using Proc = testutil::ChildProcess;

// The exit code, or STILL_ACTIVE when the process has not ended within ms.
DWORD ExitCode(Proc& p, DWORD ms);

// A top-level window of the class that belongs to the process, waited for up to ms.
HWND WaitWindow(const wchar_t* cls, DWORD pid, DWORD ms, bool visibleOnly = true);

void Click(HWND h, int x, int y);

using testutil::Capture;
using testutil::CaptureWhen;
using testutil::SaveBmp;
using testutil::Shot;
// Waits until h is shown and painted (testutil::IsPainted), at most ms.
bool WaitPainted(HWND h, DWORD ms);
void Key(HWND h, WPARAM vk);
// Alt+F4 as it reaches the window with the keyboard focus (the Alt key held).
void AltF4(HWND h);

// Waits until the messages posted to h's thread before the call have been handled, and those
// they posted in turn: a minimize of h goes behind them, then a restore behind that once the
// minimize is seen. False when either is not seen within ms.
bool Drain(HWND h, DWORD ms);

}  // namespace updatertest
