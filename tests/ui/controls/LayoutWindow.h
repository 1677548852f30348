// A live window holding a control tree built from a layout document, for the layout tests.
#pragma once
#include <windows.h>

#include "LiveUiUtil.h"

namespace layouttest {

class LayoutWindow {
public:
    // Registers the further controls, opens a w × h window and attaches the tree built from
    // `xml` (a document text or a skin file name); false when either fails.
    bool Open(const wchar_t* xml, int w, int h);
    Veneer::CWindowManagerUI& Manager() { return window.Manager(); }
    HWND Hwnd() { return window.GetHWND(); }
    Veneer::CControlUI* Find(const wchar_t* name) { return Manager().LocateControl(name); }
    // Puts a new tree built from `xml` in place of the current one and paints it; its root, or
    // null. A window of its own per case would cost Wine a 2-second wait as each one goes.
    Veneer::CControlUI* Reload(const wchar_t* xml);
    // Lays out and paints what changed since, then prints the client area.
    livetest::Pixels Paint();

    livetest::TestWindow window;
};

}  // namespace layouttest
