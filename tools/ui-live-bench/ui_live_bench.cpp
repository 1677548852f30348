// ui_live_bench first N | one N | full N: prints milliseconds. "first": building a window of N
// alternating labels and buttons, its first layout and paint. "one": the average repaint of one
// invalidated control in that window; "full": the average repaint of the whole window.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <vector>

#include "ButtonUI.h"
#include "LabelUI.h"
#include "WindowManagerUI.h"
#include "WindowWnd.h"

using namespace Veneer;

namespace {

constexpr int kClientW = 1000, kClientH = 800, kCellW = 40, kCellH = 16;

// Places its children in rows of fixed cells; cells past the client area are laid out too.
class Grid : public CControlUI {
public:
    ~Grid() override {
        for (CControlUI* c : m_children) delete c;
    }
    void Add(CControlUI* c) { m_children.push_back(c); }
    CControlUI* At(size_t i) const { return m_children[i]; }
    void SetManager(CWindowManagerUI* m, CControlUI* parent, bool init) override {
        for (CControlUI* c : m_children) c->SetManager(m, this, init);
        CControlUI::SetManager(m, parent, init);
    }
    void SetPos(RECT rc, bool invalidate) override {
        CControlUI::SetPos(rc, invalidate);
        const int columns = (rc.right - rc.left) / kCellW;
        for (size_t i = 0; i < m_children.size(); ++i) {
            const int col = static_cast<int>(i) % columns;
            const int row = static_cast<int>(i) / columns;
            RECT cell = {rc.left + col * kCellW, rc.top + row * kCellH,
                         rc.left + (col + 1) * kCellW, rc.top + (row + 1) * kCellH};
            m_children[i]->SetPos(cell, false);
        }
    }
    CControlUI* LocateControl(LocateProc proc, void* data, UINT flags) override {
        if ((flags & kLocateMeFirst) != 0)
            if (CControlUI* me = CControlUI::LocateControl(proc, data, flags)) return me;
        for (CControlUI* c : m_children)
            if (CControlUI* found = c->LocateControl(proc, data, flags)) return found;
        return nullptr;
    }
    void Render(HDC dc, const RECT& paint) override {
        CControlUI::Render(dc, paint);
        RECT part;
        for (CControlUI* c : m_children)
            if (IntersectRect(&part, &paint, &c->GetPos())) c->Render(dc, paint);
    }

private:
    std::vector<CControlUI*> m_children;
};

class BenchWindow : public CWindowWnd {
public:
    CWindowManagerUI manager;

protected:
    const wchar_t* GetRegisteredClassName() const override { return L"VeneerLiveBench"; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_CREATE) manager.Init(GetHWND());
        LRESULT result = 0;
        if (manager.ProcessMessage(message, wParam, lParam, result)) return result;
        return CWindowWnd::HandleMessage(message, wParam, lParam);
    }
};

double Now() {
    static LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(freq.QuadPart);
}

Grid* Build(BenchWindow& w, int n) {
    auto* grid = new Grid;
    grid->SetBkColor(0xFFF0F0F0);
    for (int i = 0; i < n; ++i) {
        CLabelUI* c = (i % 2) ? new CButtonUI : new CLabelUI;
        c->SetText(i % 2 ? L"OK" : L"Label");
        c->SetBkColor(i % 2 ? 0xFFD0D0F0 : 0);
        c->SetBorderColor(0xFF808080);
        c->SetBorderSize(i % 2);
        grid->Add(c);
    }
    w.manager.AttachRoot(grid);
    return grid;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        fwprintf(stderr, L"usage: ui_live_bench first|one|full N\n");
        return 2;
    }
    const int n = _wtoi(argv[2]);
    CWindowManagerUI::SetInstance(GetModuleHandleW(nullptr));
    BenchWindow w;
    RECT rc = {0, 0, kClientW, kClientH};
    if (!w.CreateWnd(nullptr, L"bench", WS_POPUP | WS_VISIBLE, 0, rc)) return 1;
    double ms = 0;
    const double start = Now();
    Grid* grid = Build(w, n);
    InvalidateRect(w.GetHWND(), nullptr, FALSE);
    UpdateWindow(w.GetHWND());
    ms = Now() - start;
    const int rounds = 50;
    if (wcscmp(argv[1], L"one") == 0 || wcscmp(argv[1], L"full") == 0) {
        const bool one = wcscmp(argv[1], L"one") == 0;
        CControlUI* target = grid->At(static_cast<size_t>(n / 3));
        const double t0 = Now();
        for (int i = 0; i < rounds; ++i) {
            if (one)
                target->Invalidate();
            else
                InvalidateRect(w.GetHWND(), nullptr, FALSE);
            UpdateWindow(w.GetHWND());
        }
        ms = (Now() - t0) / rounds;
    }
    printf("%.3f\n", ms);
    DestroyWindow(w.GetHWND());
    return 0;
}
