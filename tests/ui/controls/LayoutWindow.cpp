#include "LayoutWindow.h"

#include "ControlRegistry.h"
#include "LayoutBuilder.h"

namespace layouttest {

bool LayoutWindow::Open(const wchar_t* xml, int w, int h) {
    Veneer::RegisterFurtherControls();
    if (!window.Open(40, 40, w, h)) return false;
    Veneer::CLayoutBuilder builder;
    Veneer::CControlUI* root = builder.Create(xml, nullptr, nullptr, &Manager());
    if (root == nullptr) return false;
    Manager().AttachRoot(root);
    Paint();
    return true;
}

Veneer::CControlUI* LayoutWindow::Reload(const wchar_t* xml) {
    Veneer::CLayoutBuilder builder;
    Veneer::CControlUI* root = builder.Create(xml, nullptr, nullptr, &Manager());
    if (root == nullptr || !Manager().AttachRoot(root)) return nullptr;
    Paint();
    return root;
}

livetest::Pixels LayoutWindow::Paint() {
    InvalidateRect(Hwnd(), nullptr, FALSE);
    UpdateWindow(Hwnd());
    livetest::WaitPainted(Hwnd());
    return livetest::PrintClient(Hwnd());
}

}  // namespace layouttest
