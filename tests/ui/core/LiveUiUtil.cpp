#include "LiveUiUtil.h"

#include <cstdlib>

#include "TestUtil.h"

namespace livetest {

using Veneer::CControlUI;
using Veneer::CWindowManagerUI;

// ---- placing controls ----------------------------------------------------------------------

void Place(Veneer::CContainerUI* box, CControlUI* child, RECT rc) {
    child->SetFloat(true);
    child->SetDeclaredOrigin(SIZE{rc.left, rc.top});
    child->SetDeclaredWidth(rc.right - rc.left);
    child->SetDeclaredHeight(rc.bottom - rc.top);
    box->Add(child);
}

void Detach(Veneer::CContainerUI* box, CControlUI* child) {
    const bool owns = box->IsDeleteOnRemove();
    box->SetDeleteOnRemove(false);
    box->Remove(child);
    box->SetDeleteOnRemove(owns);
}

// ---- TestWindow ----------------------------------------------------------------------------

TestWindow::~TestWindow() { Close(); }

bool TestWindow::Open(int x, int y, int w, int h) {
    if (CWindowManagerUI::GetInstance() == nullptr)
        CWindowManagerUI::SetInstance(GetModuleHandleW(nullptr));
    // The pointer may still rest where an earlier test left it; a window opening under it
    // would start with a hover the test did not ask for.
    SetCursorPos(0, 0);
    if (!CreateWnd(nullptr, L"live test", WS_POPUP | WS_VISIBLE, 0, x, y, w, h)) return false;
    UpdateWindow(GetHWND());
    return true;
}

void TestWindow::Close() {
    if (IsWindow(GetHWND())) DestroyWindow(GetHWND());
}

void TestWindow::Notify(Veneer::TNotification& msg) {
    std::wstring name = msg.sender ? msg.sender->GetName().GetData() : L"";
    notes.push_back(std::wstring(msg.type.GetData()) + L":" + name);
    if (onNotify) onNotify(msg);
}

LRESULT TestWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        m_manager.Init(GetHWND());
        m_manager.AddNotifyListener(this);
    }
    if (message == WM_PAINT) ++paints;
    LRESULT result = 0;
    if (m_manager.ProcessMessage(message, wParam, lParam, result)) return result;
    return CWindowWnd::HandleMessage(message, wParam, lParam);
}

// ---- pumping and input ---------------------------------------------------------------------

bool PumpUntil(const std::function<bool()>& done, DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (CWindowManagerUI::OfferToPreFilters(&msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done && done()) return true;
        if (GetTickCount() - start >= ms) return done ? done() : true;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void PumpFor(DWORD ms) { PumpUntil(nullptr, ms); }

bool WaitPainted(HWND hwnd, DWORD ms) {
    return PumpUntil([hwnd] { return testutil::IsPainted(hwnd); }, ms);
}

namespace {

void MoveCursorTo(HWND hwnd, int x, int y) {
    POINT pt = {x, y};
    ClientToScreen(hwnd, &pt);
    SetCursorPos(pt.x, pt.y);
}

}  // namespace

void MouseMove(HWND hwnd, int x, int y) {
    MoveCursorTo(hwnd, x, y);
    SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
}

void MouseDown(HWND hwnd, int x, int y) {
    MoveCursorTo(hwnd, x, y);
    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
}

void MouseUp(HWND hwnd, int x, int y) {
    MoveCursorTo(hwnd, x, y);
    SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

// ---- printing ------------------------------------------------------------------------------

int Pixels::Count(const RECT& rc, uint32_t rgb, int tolerance) const {
    int n = 0;
    for (int y = rc.top; y < rc.bottom; ++y) {
        for (int x = rc.left; x < rc.right; ++x) {
            const uint32_t p = At(x, y);
            bool close = true;
            for (int shift = 0; shift < 24; shift += 8) {
                const int a = static_cast<int>((p >> shift) & 0xFF);
                const int b = static_cast<int>((rgb >> shift) & 0xFF);
                if (std::abs(a - b) > tolerance) close = false;
            }
            if (close) ++n;
        }
    }
    return n;
}

Pixels PrintClient(HWND hwnd) {
    Pixels out;
    RECT rc;
    GetClientRect(hwnd, &rc);
    out.width = rc.right;
    out.height = rc.bottom;
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = out.width;
    bi.bmiHeader.biHeight = -out.height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bmp);
    RECT all = {0, 0, out.width, out.height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    GdiFlush();
    const auto* p = static_cast<const uint32_t*>(bits);
    out.data.assign(p, p + static_cast<size_t>(out.width) * out.height);
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
    return out;
}

int FreeGdiHandles() {
    std::vector<HRGN> made;
    // Bounded above the system's own limit, so a system without one cannot loop for ever.
    while (made.size() < 200000) {
        HRGN region = CreateRectRgn(0, 0, 1, 1);
        if (region == nullptr) break;
        made.push_back(region);
    }
    for (HRGN region : made) DeleteObject(region);
    return static_cast<int>(made.size());
}

// ---- delegates -----------------------------------------------------------------------------

FunctionDelegate::FunctionDelegate(std::function<bool(void*)> fn)
    : FunctionDelegate(std::make_shared<std::function<bool(void*)>>(std::move(fn))) {}

FunctionDelegate::FunctionDelegate(std::shared_ptr<std::function<bool(void*)>> fn)
    : CDelegateBase(fn.get(), nullptr), m_fn(std::move(fn)) {}

Veneer::CDelegateBase* FunctionDelegate::Copy() const { return new FunctionDelegate(m_fn); }

bool FunctionDelegate::Invoke(void* param) { return (*m_fn)(param); }

}  // namespace livetest
