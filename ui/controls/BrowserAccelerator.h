// Offers key messages to the hosted browser when the keyboard focus is inside its window, so the
// browser's own shortcut keys work inside a skinned window.
#pragma once
#include <windows.h>
#include <ole2.h>

namespace Veneer {

// S_FALSE for messages that are not keys, for a focus outside `host`, or when the browser has
// no in-place active object; otherwise the browser's own answer.
LRESULT TranslateBrowserAccelerator(MSG* msg, HWND host, IUnknown* browser);

}  // namespace Veneer
