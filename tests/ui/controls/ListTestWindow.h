// A live window holding a layout built from an inline document with the further controls
// registered, and the few steps the list tests repeat: paint, find, click, press a key.
#pragma once
#include <windows.h>

#include <algorithm>
#include <string>

#include "LiveUiUtil.h"
#include "VerticalLayoutUI.h"

namespace listtest {

class ListWindow {
public:
    // Opens a window of w × h at `at` on the screen and builds `xml` (a "Window" document)
    // into its root.
    bool Open(int w, int h, const wchar_t* xml, POINT at = POINT{40, 40});
    ~ListWindow() { win.Close(); }

    template <class T>
    T* Find(const wchar_t* name) {
        return static_cast<T*>(win.Manager().LocateControl(name));
    }
    // Lays out what changed and paints it; answers the client area's pixels.
    livetest::Pixels Paint();
    void Click(POINT pt);
    void DoubleClick(POINT pt);
    void Key(WPARAM key);
    void Wheel(short delta, POINT pt);
    int Count(const std::wstring& note) const {
        return static_cast<int>(std::count(win.notes.begin(), win.notes.end(), note));
    }
    // Position of a note in the record, or -1.
    int IndexOf(const std::wstring& note) const;
    HWND hwnd() { return win.GetHWND(); }

    livetest::TestWindow win;
    Veneer::CVerticalLayoutUI* root = nullptr;
};

// The middle of a rectangle.
inline POINT Centre(const RECT& rc) {
    return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

}  // namespace listtest
