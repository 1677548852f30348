// ui_text_bench KIND N: one kind of work on a text control in a live window, its milliseconds
// printed on one line. The kinds are the rows of kKinds below; each gets N as its size.
//   edit-load N: an edit that is being edited gets N KiB of one-line text (N * 1024
//     characters) through SetText, and its native window paints it.
//   edit-type N: the empty edit being edited gets N characters typed, each a WM_CHAR posted
//     to the native window and run through the message loop, until the control's text holds
//     them all.
//   edit-type-1mib N: the same at the end of 1 MiB of text (1,048,576 characters).
//   bare-type-1mib N: the same typing into a bare system edit holding the same text, with no
//     control behind it, for comparison.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "ControlRegistry.h"
#include "EditUI.h"
#include "EditWnd.h"
#include "WindowImplBase.h"

using namespace Veneer;

namespace {

constexpr int kTypedBase = 1024 * 1024;

class BenchWindow : public WindowImplBase {
public:
    explicit BenchWindow(const wchar_t* layout) : m_layout(layout) {}

protected:
    const wchar_t* GetRegisteredClassName() const override { return L"VeneerTextBench"; }
    CUIString GetLayoutFolder() const override { return CUIString(); }
    CUIString GetLayoutFile() const override { return CUIString(m_layout); }

private:
    const wchar_t* m_layout;
};

double Now() {
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

// One line of printable text, so the single-line edit shows it as it is.
std::wstring MakeText(int chars) {
    std::wstring text(static_cast<size_t>(chars), L' ');
    for (int i = 0; i < chars; ++i)
        text[static_cast<size_t>(i)] = static_cast<wchar_t>(L'a' + i % 26);
    return text;
}

void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// The window with one edit, shown and active, the edit focused so that its native window is
// open. Null when any of it fails.
CEditUI* OpenEdit(BenchWindow& w) {
    if (!w.CreateWnd(nullptr, L"bench", WS_POPUP, 0, 0, 0, 800, 200)) return nullptr;
    const HWND hwnd = w.GetHWND();
    ::ShowWindow(hwnd, SW_SHOW);
    ::SetForegroundWindow(hwnd);
    ::UpdateWindow(hwnd);
    auto* edit = static_cast<CEditUI*>(w.GetManager().LocateControl(L"edit"));
    if (edit == nullptr) return nullptr;
    // Typing must not stop at the default limit.
    edit->SetMaxChar(0x7FFFFFFE);
    w.GetManager().SetFocus(edit);
    Pump();
    return edit->GetEditWindow() ? edit : nullptr;
}

double EditLoad(BenchWindow& w, int n) {
    CEditUI* edit = OpenEdit(w);
    if (edit == nullptr) return -1;
    const std::wstring text = MakeText(n * 1024);
    const HWND native = edit->GetEditWindow()->GetHWND();
    const double start = Now();
    edit->SetText(text.c_str());
    ::InvalidateRect(native, nullptr, FALSE);
    ::UpdateWindow(native);
    const double ms = Now() - start;
    return ::GetWindowTextLengthW(native) == n * 1024 ? ms : -1;
}

double TypeInto(BenchWindow& w, int n, int base) {
    CEditUI* edit = OpenEdit(w);
    if (edit == nullptr) return -1;
    const std::wstring text = MakeText(base);
    edit->SetText(text.c_str());
    const HWND native = edit->GetEditWindow()->GetHWND();
    ::SendMessageW(native, EM_SETSEL, base, base);
    ::UpdateWindow(native);
    Pump();
    const double start = Now();
    for (int i = 0; i < n; ++i) {
        ::PostMessageW(native, WM_CHAR, static_cast<WPARAM>(L'0' + i % 10), 1);
        Pump();
    }
    ::UpdateWindow(native);
    const double ms = Now() - start;
    return edit->GetText().GetLength() == base + n ? ms : -1;
}

double EditType(BenchWindow& w, int n) { return TypeInto(w, n, 0); }
double EditTypeLarge(BenchWindow& w, int n) { return TypeInto(w, n, kTypedBase); }

// The same typing into a bare system edit child of the window, with no control behind it:
// what the edit itself costs under this system.
double BareTypeLarge(BenchWindow& w, int n) {
    if (OpenEdit(w) == nullptr) return -1;
    w.GetManager().SetFocus(nullptr);
    Pump();
    const HWND bare =
        ::CreateWindowExW(0, L"Edit", nullptr, WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, 40, 700,
                          24, w.GetHWND(), nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (bare == nullptr) return -1;
    ::SendMessageW(bare, EM_LIMITTEXT, 0x7FFFFFFE, 0);
    const std::wstring text = MakeText(kTypedBase);
    ::SetWindowTextW(bare, text.c_str());
    ::SetFocus(bare);
    ::SendMessageW(bare, EM_SETSEL, kTypedBase, kTypedBase);
    ::UpdateWindow(bare);
    Pump();
    const double start = Now();
    for (int i = 0; i < n; ++i) {
        ::PostMessageW(bare, WM_CHAR, static_cast<WPARAM>(L'0' + i % 10), 1);
        Pump();
    }
    ::UpdateWindow(bare);
    const double ms = Now() - start;
    return ::GetWindowTextLengthW(bare) == kTypedBase + n ? ms : -1;
}

constexpr wchar_t kEditLayout[] =
    L"<Window><VerticalLayout><Edit name=\"edit\" height=\"30\"/></VerticalLayout></Window>";

// One row per kind: the window's layout and the work, which answers its milliseconds or -1
// when the work did not come out whole. A new control adds its rows here.
const struct {
    const wchar_t* kind;
    const wchar_t* layout;
    double (*run)(BenchWindow& w, int n);
} kKinds[] = {
    {L"edit-load", kEditLayout, &EditLoad},
    {L"edit-type", kEditLayout, &EditType},
    {L"edit-type-1mib", kEditLayout, &EditTypeLarge},
    {L"bare-type-1mib", kEditLayout, &BareTypeLarge},
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        fwprintf(stderr, L"usage: ui_text_bench KIND N (kinds:");
        for (const auto& k : kKinds) fwprintf(stderr, L" %ls", k.kind);
        fwprintf(stderr, L")\n");
        return 2;
    }
    const int n = _wtoi(argv[2]);
    CWindowManagerUI::SetInstance(GetModuleHandleW(nullptr));
    RegisterFurtherControls();
    for (const auto& k : kKinds) {
        if (wcscmp(argv[1], k.kind) != 0) continue;
        BenchWindow w(k.layout);
        const double ms = k.run(w, n);
        if (ms < 0) return 1;
        printf("%.3f\n", ms);
        fflush(stdout);
        return 0;
    }
    fwprintf(stderr, L"unknown kind\n");
    return 2;
}
