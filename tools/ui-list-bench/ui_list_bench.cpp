// ui_list_bench build|first|select|pages|repaint|combo N: a window holding a list of N text
// rows of three columns (texts from a text provider), built from a layout document. Every run
// builds and first-paints the window; the kind names the step whose milliseconds are printed:
// "build": the layout builder creating the window's tree; "first": the first layout and paint;
// "select": selecting the last row from the top (scrolled into view) and painting, ten times;
// "pages": paging down to the end, painting each page, three times; "repaint": one selection
// change between two rows in view and its repaint, averaged over many. "combo" holds a combo of
// N label rows instead and times opening its popup (rows measured and moved, window made,
// shown and painted) and closing it again (rows handed back, window destroyed).
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "BenchClock.h"
#include "BenchWindow.h"
#include "ComboUI.h"
#include "ComboWnd.h"
#include "ControlRegistry.h"
#include "ListUI.h"

using namespace Veneer;
using uibench::BenchWindow;
using uibench::Now;

namespace {

constexpr int kRepaints = 200;
// Rounds of selecting the last row from the top: one round alone is too short to time.
constexpr int kSelectRounds = 10;
// Passes of paging from the top to the end: one pass is short enough for a stray delay of the
// display to show in the ratio.
constexpr int kPagingPasses = 3;

std::wstring MakeLayout(int n) {
    std::wstring xml = L"<Window size=\"800,600\"><List name=\"list\" vscrollbar=\"true\">"
                       L"<ListHeaderItem text=\"Name\" width=\"300\"/>"
                       L"<ListHeaderItem text=\"Size\" width=\"200\"/>"
                       L"<ListHeaderItem text=\"State\" width=\"250\"/>";
    xml.reserve(xml.size() + static_cast<size_t>(n) * 20);
    for (int i = 0; i < n; ++i) xml += L"<ListTextElement/>";
    xml += L"</List></Window>";
    return xml;
}

std::wstring MakeComboLayout(int n) {
    std::wstring xml = L"<Window size=\"800,600\"><VerticalLayout>"
                       L"<Combo name=\"combo\" height=\"24\" width=\"300\">";
    xml.reserve(xml.size() + static_cast<size_t>(n) * 40);
    for (int i = 0; i < n; ++i) xml += L"<ListLabelElement text=\"package\"/>";
    xml += L"</Combo><Control/></VerticalLayout></Window>";
    return xml;
}

class Texts : public IListTextProvider {
public:
    const wchar_t* GetItemText(CControlUI*, int index, int column) override {
        static const wchar_t* const kFormats[] = {L"package-%d.zip", L"%d KiB", L"ready %d"};
        swprintf(m_buffer, sizeof m_buffer / sizeof m_buffer[0], kFormats[column % 3],
                 index);
        return m_buffer;
    }

private:
    wchar_t m_buffer[64] = {};
};

void Repaint(HWND hwnd) { ::UpdateWindow(hwnd); }

int TimeCombo(BenchWindow& w, int n) {
    if (!w.CreateWnd(nullptr, L"bench", WS_POPUP, 0, 0, 0, 800, 600)) return 1;
    const HWND hwnd = w.GetHWND();
    ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    Repaint(hwnd);
    auto* combo = static_cast<CComboUI*>(w.GetManager().LocateControl(L"combo"));
    if (combo == nullptr || combo->GetCount() != n) return 1;
    const double start = Now();
    if (!combo->Activate() || combo->GetDropWindow() == nullptr) return 1;
    const HWND popup = combo->GetDropWindow()->GetHWND();
    Repaint(popup);
    ::SendMessageW(popup, WM_CLOSE, 0, 0);
    const double ms = Now() - start;
    if (combo->GetDropWindow() != nullptr || ::IsWindow(popup)) return 1;
    printf("%.3f\n", ms);
    ::DestroyWindow(hwnd);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        fwprintf(stderr, L"usage: ui_list_bench build|first|select|pages|repaint|combo N\n");
        return 2;
    }
    const std::wstring kind = argv[1];
    const int n = _wtoi(argv[2]);
    CWindowManagerUI::SetInstance(GetModuleHandleW(nullptr));
    RegisterFurtherControls();
    const std::wstring layout = kind == L"combo" ? MakeComboLayout(n) : MakeLayout(n);
    Texts texts;
    BenchWindow w(layout, L"VeneerListBench");
    if (kind == L"combo") return TimeCombo(w, n);

    double start = Now();
    if (!w.CreateWnd(nullptr, L"bench", WS_POPUP, 0, 0, 0, 800, 600)) return 1;
    const double build = Now() - start;
    auto* list = static_cast<CListUI*>(w.GetManager().LocateControl(L"list"));
    if (list == nullptr || list->GetCount() != n) return 1;
    list->SetTextProvider(&texts);
    const HWND hwnd = w.GetHWND();

    start = Now();
    ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    ::InvalidateRect(hwnd, nullptr, FALSE);
    Repaint(hwnd);
    const double first = Now() - start;

    double ms = kind == L"first" ? first : build;
    if (kind == L"select") {
        ms = 0;
        for (int i = 0; i < kSelectRounds; ++i) {
            list->SelectItem(0);
            list->ScrollToTop();
            Repaint(hwnd);
            start = Now();
            list->SelectItem(n - 1);
            Repaint(hwnd);
            ms += Now() - start;
            if (list->GetScrollPos().cy != list->GetScrollRange().cy) return 1;
        }
    } else if (kind == L"pages") {
        ms = 0;
        for (int pass = 0; pass < kPagingPasses; ++pass) {
            list->ScrollToTop();
            Repaint(hwnd);
            start = Now();
            int pages = 0;
            for (; list->GetScrollPos().cy < list->GetScrollRange().cy; ++pages) {
                list->ScrollPageDown();
                Repaint(hwnd);
            }
            ms += Now() - start;
            if (pages == 0) return 1;
        }
    } else if (kind == L"repaint") {
        list->ScrollToTop();
        Repaint(hwnd);
        start = Now();
        for (int i = 0; i < kRepaints; ++i) {
            list->SelectItem(5 + i % 2);
            Repaint(hwnd);
        }
        ms = (Now() - start) / kRepaints;
    }
    printf("%.3f\n", ms);
    ::DestroyWindow(hwnd);
    return 0;
}
