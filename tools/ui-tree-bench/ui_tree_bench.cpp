// ui_tree_bench build|expand|collapse|check N: a window holding a tree view of about N nodes
// three levels deep (one root, N/10 children, nine grandchildren under each), built from a
// layout document. Every run builds and first-paints the window; the kind names the step
// whose milliseconds are printed, each including the layout and paint that follow it:
// "build": the layout builder creating the window's tree; "expand": showing every node again
// after all were hidden; "collapse": collapsing the root through its folder button; "check":
// ticking the root's check box, which ticks every node.
#include <windows.h>

#include <cstdio>
#include <string>

#include "BenchClock.h"
#include "BenchWindow.h"
#include "CheckBoxUI.h"
#include "ControlRegistry.h"
#include "TreeNodeUI.h"
#include "TreeViewUI.h"

using namespace Veneer;
using uibench::BenchWindow;
using uibench::Now;

namespace {

constexpr int kGrandchildren = 9;

std::wstring MakeLayout(int n) {
    const int children = n / (kGrandchildren + 1);
    std::wstring xml = L"<Window size=\"800,600\"><TreeView name=\"tree\" vscrollbar=\"true\" "
                       L"visiblecheckbtn=\"true\"><TreeNode name=\"root\" text=\"root\">";
    xml.reserve(xml.size() + static_cast<size_t>(n) * 40);
    for (int c = 0; c < children; ++c) {
        xml += L"<TreeNode text=\"folder " + std::to_wstring(c) + L"\">";
        for (int g = 0; g < kGrandchildren; ++g) xml += L"<TreeNode text=\"file\"/>";
        xml += L"</TreeNode>";
    }
    xml += L"</TreeNode></TreeView></Window>";
    return xml;
}

int CountVisible(CTreeViewUI* tree) {
    int visible = 0;
    for (int i = 0; i < tree->GetCount(); ++i) visible += tree->GetItemAt(i)->IsVisible();
    return visible;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        fwprintf(stderr, L"usage: ui_tree_bench build|expand|collapse|check N\n");
        return 2;
    }
    const std::wstring kind = argv[1];
    const int n = _wtoi(argv[2]);
    CWindowManagerUI::SetInstance(GetModuleHandleW(nullptr));
    RegisterFurtherControls();
    const std::wstring layout = MakeLayout(n);
    BenchWindow w(layout, L"VeneerTreeBench");

    double start = Now();
    if (!w.CreateWnd(nullptr, L"bench", WS_POPUP, 0, 0, 0, 800, 600)) return 1;
    const HWND hwnd = w.GetHWND();
    ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    ::UpdateWindow(hwnd);
    const double build = Now() - start;
    auto* tree = static_cast<CTreeViewUI*>(w.GetManager().LocateControl(L"tree"));
    auto* root = static_cast<CTreeNodeUI*>(w.GetManager().LocateControl(L"root"));
    const int rows = tree ? tree->GetCount() : 0;
    if (root == nullptr || rows != 1 + (n / (kGrandchildren + 1)) * (kGrandchildren + 1))
        return 1;

    double ms = build;
    if (kind == L"expand") {
        tree->SetNodesExpanded(false, nullptr);
        ::UpdateWindow(hwnd);
        start = Now();
        tree->SetNodesExpanded(true, nullptr);
        ::UpdateWindow(hwnd);
        ms = Now() - start;
        if (CountVisible(tree) != rows) return 1;
    } else if (kind == L"collapse") {
        start = Now();
        root->GetFolderButton()->SetSelected(true);
        ::UpdateWindow(hwnd);
        ms = Now() - start;
        if (CountVisible(tree) != 1) return 1;
    } else if (kind == L"check") {
        start = Now();
        root->GetCheckBox()->SetSelected(true);
        ::UpdateWindow(hwnd);
        ms = Now() - start;
        for (int i = 0; i < rows; ++i)
            if (!static_cast<CTreeNodeUI*>(tree->GetItemAt(i))->GetCheckBox()->IsChecked())
                return 1;
    }
    printf("%.3f\n", ms);
    ::DestroyWindow(hwnd);
    return 0;
}
