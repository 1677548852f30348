// A small OLE control for the ActiveX host's tests, loaded through its own DllGetClassObject.
// It records what the host calls, draws a known colour and counts its live objects and
// references, so a test can see leaks and call order from outside.
#pragma once
#include <windows.h>

// Both variants also stand in for a document that takes a UI handler: one set when the object is
// closed is called (with its command target and service provider) during the close.
// Windowless: draws kTestControlColour, answers hits on the left half of its rectangle only.
// {6B1C9E3A-2F4D-4C7B-9A51-3E0D7F2A1B01}
static const CLSID kClsidWindowless = {
    0x6b1c9e3a, 0x2f4d, 0x4c7b, {0x9a, 0x51, 0x3e, 0x0d, 0x7f, 0x2a, 0x1b, 0x01}};
// Windowed: a child window of its own in the host's window, filled with the same colour.
// {6B1C9E3A-2F4D-4C7B-9A51-3E0D7F2A1B02}
static const CLSID kClsidWindowed = {
    0x6b1c9e3a, 0x2f4d, 0x4c7b, {0x9a, 0x51, 0x3e, 0x0d, 0x7f, 0x2a, 0x1b, 0x02}};

static const COLORREF kTestControlColour = RGB(0x20, 0xC0, 0x40);

extern "C" {
// Objects alive and references held on them, and running locks held, over every object the
// module made.
typedef LONG(WINAPI* AxTestCountProc)();
// The calls recorded since the last reset, one name a line ("DoVerb -5", "Close", ...).
typedef int(WINAPI* AxTestLogProc)(wchar_t* buffer, int capacity);
typedef void(WINAPI* AxTestResetProc)();
// The newest object asks its windowless site for (or out of) the capture.
typedef HRESULT(WINAPI* AxTestSetCaptureProc)(BOOL capture);
}
