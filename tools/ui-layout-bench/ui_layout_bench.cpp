// ui_layout_bench build N | first N: prints milliseconds for a layout of N controls (rows of
// one horizontal layout with nine labels and buttons, in a scrolling vertical layout).
// "build": the layout builder turning the document into a control tree for a manager.
// "first": creating a skinned window from the document, its first layout and paint.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "BenchClock.h"
#include "BenchWindow.h"
#include "LayoutBuilder.h"

using namespace Veneer;
using uibench::BenchWindow;
using uibench::Now;

namespace {

std::wstring MakeLayout(int n) {
    std::wstring xml = L"<Window size=\"1000,800\" caption=\"0,0,0,30\">"
                       L"<VerticalLayout vscrollbar=\"true\" bkcolor=\"#FFF0F0F0\">";
    int made = 1;
    while (made < n) {
        xml += L"<HorizontalLayout height=\"16\" childpadding=\"2\">";
        ++made;
        for (int i = 0; i < 9 && made < n; ++i, ++made) {
            xml += (i % 2) ? L"<Button text=\"OK\" width=\"40\" bkcolor=\"#FFD0D0F0\" "
                             L"bordercolor=\"#FF808080\" bordersize=\"1\"/>"
                           : L"<Label text=\"Label\" width=\"60\"/>";
        }
        xml += L"</HorizontalLayout>";
    }
    xml += L"</VerticalLayout></Window>";
    return xml;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        fwprintf(stderr, L"usage: ui_layout_bench build|first N\n");
        return 2;
    }
    const int n = _wtoi(argv[2]);
    CWindowManagerUI::SetInstance(GetModuleHandleW(nullptr));
    const std::wstring layout = MakeLayout(n);
    double ms = 0;
    if (wcscmp(argv[1], L"build") == 0) {
        CWindowManagerUI manager;
        const double start = Now();
        CLayoutBuilder builder;
        CControlUI* root = builder.Create(layout.c_str(), nullptr, nullptr, &manager);
        ms = Now() - start;
        if (root == nullptr) return 1;
        delete root;
    } else {
        BenchWindow w(layout, L"VeneerLayoutBench");
        const double start = Now();
        if (!w.CreateWnd(nullptr, L"bench", WS_POPUP | WS_VISIBLE, 0, 0, 0, 1000, 800)) return 1;
        ::InvalidateRect(w.GetHWND(), nullptr, FALSE);
        ::UpdateWindow(w.GetHWND());
        ms = Now() - start;
        ::DestroyWindow(w.GetHWND());
    }
    printf("%.3f\n", ms);
    return 0;
}
