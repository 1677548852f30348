// ui_rich_bench CHARS TYPED: a window holding one rich edit, built from a layout document.
// Prints two times in milliseconds: setting a text of CHARS characters (64-character lines)
// and painting it, then typing TYPED characters at its end as key messages through the
// window's message loop, each followed by its paint.
#include <windows.h>
#include <richedit.h>

#include <cstdio>
#include <string>

#include "ControlRegistry.h"
#include "RichEditUI.h"
#include "WindowImplBase.h"

using namespace Veneer;

namespace {

const wchar_t kLayout[] =
    L"<Window size=\"800,600\"><VerticalLayout><RichEdit name=\"e\" vscrollbar=\"true\" "
    L"bkcolor=\"#FFFFFFFF\"/></VerticalLayout></Window>";

class BenchWindow : public WindowImplBase {
protected:
    const wchar_t* GetRegisteredClassName() const override { return L"VeneerRichBench"; }
    CUIString GetLayoutFolder() const override { return CUIString(); }
    CUIString GetLayoutFile() const override { return CUIString(kLayout); }
};

double Now() {
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

void DrainMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (CWindowManagerUI::OfferToPreFilters(&msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

int Fail(const char* what, long length = 0) {
    fprintf(stderr, "ui_rich_bench: %s (%ld characters)\n", what, length);
    return 1;
}

std::wstring MakeText(long chars) {
    std::wstring text;
    text.reserve(static_cast<size_t>(chars));
    const std::wstring line = L"The quick brown fox jumps over the lazy dog, again and again.\r";
    while (static_cast<long>(text.size()) < chars) text += line;
    text.resize(static_cast<size_t>(chars));
    return text;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        fwprintf(stderr, L"usage: ui_rich_bench CHARS TYPED\n");
        return 2;
    }
    const long chars = _wtol(argv[1]);
    const int typed = _wtoi(argv[2]);
    CWindowManagerUI::SetInstance(GetModuleHandleW(nullptr));
    RegisterFurtherControls();
    BenchWindow w;
    if (!w.CreateWnd(nullptr, L"bench", WS_POPUP, 0, 0, 0, 800, 600)) return Fail("no window");
    const HWND hwnd = w.GetHWND();
    ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    ::UpdateWindow(hwnd);
    auto* edit = static_cast<CRichEditUI*>(w.GetManager().LocateControl(L"e"));
    if (edit == nullptr || !edit->HasTextHost()) return Fail("no rich edit with text services");
    // The default limit is far below the text loaded here.
    edit->SendToTextServices(EM_EXLIMITTEXT, 0, chars + typed + 16, nullptr);
    const std::wstring text = MakeText(chars);

    double start = Now();
    edit->SetText(text.c_str());
    ::UpdateWindow(hwnd);
    const double load = Now() - start;
    if (edit->GetTextLength() != chars) return Fail("text not loaded whole", edit->GetTextLength());

    edit->SetFocus();
    DrainMessages();
    edit->SetSel(-1, -1);
    start = Now();
    for (int i = 0; i < typed; ++i) {
        const WPARAM key = 'A' + (i % 26);
        ::PostMessageW(hwnd, WM_KEYDOWN, key, 1);
        ::PostMessageW(hwnd, WM_KEYUP, key, 0xC0000001);
        DrainMessages();
        ::UpdateWindow(hwnd);
    }
    const double typing = Now() - start;
    if (edit->GetTextLength() != chars + typed)
        return Fail("typed characters missing", edit->GetTextLength());
    printf("%.3f %.3f\n", load, typing);
    ::DestroyWindow(hwnd);
    return 0;
}
