#include "ListTestWindow.h"

#include "ControlRegistry.h"
#include "LayoutBuilder.h"

namespace listtest {

bool ListWindow::Open(int w, int h, const wchar_t* xml, POINT at) {
    Veneer::RegisterFurtherControls();
    if (!win.Open(at.x, at.y, w, h)) return false;
    root = new Veneer::CVerticalLayoutUI;
    root->SetBkColor(0xFFFFFFFF);
    win.Manager().AttachRoot(root);
    Veneer::CLayoutBuilder builder;
    if (builder.Create(xml, nullptr, nullptr, &win.Manager(), root) == nullptr) return false;
    Paint();
    return true;
}

livetest::Pixels ListWindow::Paint() {
    InvalidateRect(hwnd(), nullptr, FALSE);
    UpdateWindow(hwnd());
    livetest::WaitPainted(hwnd());
    return livetest::PrintClient(hwnd());
}

void ListWindow::Click(POINT pt) {
    livetest::MouseMove(hwnd(), pt.x, pt.y);
    livetest::MouseDown(hwnd(), pt.x, pt.y);
    livetest::MouseUp(hwnd(), pt.x, pt.y);
    livetest::WaitPainted(hwnd());
}

void ListWindow::DoubleClick(POINT pt) {
    Click(pt);
    SendMessageW(hwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
    SendMessageW(hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
    livetest::WaitPainted(hwnd());
}

void ListWindow::Key(WPARAM key) {
    PostMessageW(hwnd(), WM_KEYDOWN, key, 1);
    PostMessageW(hwnd(), WM_KEYUP, key, 0xC0000001);
    livetest::WaitPainted(hwnd());
}

void ListWindow::Wheel(short delta, POINT pt) {
    livetest::MouseMove(hwnd(), pt.x, pt.y);
    POINT screen = pt;
    ClientToScreen(hwnd(), &screen);
    SendMessageW(hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, delta), MAKELPARAM(screen.x, screen.y));
    livetest::WaitPainted(hwnd());
}

int ListWindow::IndexOf(const std::wstring& note) const {
    auto it = std::find(win.notes.begin(), win.notes.end(), note);
    return it == win.notes.end() ? -1 : static_cast<int>(it - win.notes.begin());
}

}  // namespace listtest
