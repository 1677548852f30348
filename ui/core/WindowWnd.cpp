// The native window wrapper: registration, the two window procedures, creation and the small
// window services.
#include "WindowWnd.h"

#include "WindowManagerUI.h"

namespace Veneer {

namespace {

// Superclassed system classes may use the user-data slot themselves, so those windows find
// their object through this property instead.
constexpr wchar_t kObjectProperty[] = L"WndX";

}  // namespace

CWindowWnd::CWindowWnd() : m_prevWndProc(::DefWindowProcW) {}

const wchar_t* CWindowWnd::GetSuperclassSource() const { return nullptr; }
UINT CWindowWnd::GetRegisteredClassStyle() const { return 0; }

LRESULT CWindowWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::CallWindowProcW(m_prevWndProc, m_hWnd, message, wParam, lParam);
}

void CWindowWnd::OnWindowDestroyed(HWND) {}

bool CWindowWnd::RegisterWndClass() {
    WNDCLASSW wc = {};
    wc.style = GetRegisteredClassStyle();
    wc.lpfnWndProc = &CWindowWnd::UserDataWndProc;
    wc.hInstance = CWindowManagerUI::GetInstance();
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = GetRegisteredClassName();
    if (::RegisterClassW(&wc) != 0) return true;
    return ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool CWindowWnd::RegisterSuperclassWnd() {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    const wchar_t* source = GetSuperclassSource();
    if (!::GetClassInfoExW(nullptr, source, &wc) &&
        !::GetClassInfoExW(CWindowManagerUI::GetInstance(), source, &wc))
        return false;
    m_prevWndProc = wc.lpfnWndProc;
    wc.lpfnWndProc = &CWindowWnd::PropWndProc;
    wc.hInstance = CWindowManagerUI::GetInstance();
    wc.lpszClassName = GetRegisteredClassName();
    if (::RegisterClassExW(&wc) != 0) return true;
    return ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND CWindowWnd::CreateWnd(HWND parent, const wchar_t* windowName, DWORD style, DWORD exStyle,
                           int x, int y, int width, int height, HMENU menu) {
    const bool registered =
        GetSuperclassSource() != nullptr ? RegisterSuperclassWnd() : RegisterWndClass();
    if (!registered) return nullptr;
    m_hWnd = ::CreateWindowExW(exStyle, GetRegisteredClassName(), windowName, style, x, y, width,
                               height, parent, menu, CWindowManagerUI::GetInstance(), this);
    return m_hWnd;
}

HWND CWindowWnd::CreateWnd(HWND parent, const wchar_t* windowName, DWORD style, DWORD exStyle,
                           const RECT& rc, HMENU menu) {
    return CreateWnd(parent, windowName, style, exStyle, rc.left, rc.top, rc.right - rc.left,
                     rc.bottom - rc.top, menu);
}

LRESULT CALLBACK CWindowWnd::UserDataWndProc(HWND hwnd, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    CWindowWnd* self = nullptr;
    if (message == WM_NCCREATE) {
        auto* cs = reinterpret_cast<LPCREATESTRUCTW>(lParam);
        self = static_cast<CWindowWnd*>(cs->lpCreateParams);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        if (self) self->m_hWnd = hwnd;
    } else {
        self = reinterpret_cast<CWindowWnd*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    return Route(self, hwnd, message, wParam, lParam, false);
}

LRESULT CALLBACK CWindowWnd::PropWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWindowWnd* self = nullptr;
    if (message == WM_NCCREATE) {
        auto* cs = reinterpret_cast<LPCREATESTRUCTW>(lParam);
        self = static_cast<CWindowWnd*>(cs->lpCreateParams);
        ::SetPropW(hwnd, kObjectProperty, self);
        if (self) self->m_hWnd = hwnd;
    } else {
        self = static_cast<CWindowWnd*>(::GetPropW(hwnd, kObjectProperty));
    }
    return Route(self, hwnd, message, wParam, lParam, true);
}

LRESULT CWindowWnd::Route(CWindowWnd* self, HWND hwnd, UINT message, WPARAM wParam,
                          LPARAM lParam, bool viaProperty) {
    if (self == nullptr) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    if (message != WM_NCDESTROY) return self->HandleMessage(message, wParam, lParam);

    // The object sees its window's last message too (a manager must forget the handle); the
    // base hands it on to the previous procedure.
    const LRESULT result = self->HandleMessage(message, wParam, lParam);
    if (!viaProperty) ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    if (self->m_subclassed) self->RestoreWndProc();
    if (viaProperty) ::SetPropW(hwnd, kObjectProperty, nullptr);
    self->m_hWnd = nullptr;
    // The window no longer shows the icons, and OnWindowDestroyed may delete the object.
    self->m_bigIcon.reset();
    self->m_smallIcon.reset();
    self->OnWindowDestroyed(hwnd);
    return result;
}

void CWindowWnd::ShowWnd(bool show, bool takeFocus) {
    if (!::IsWindow(m_hWnd)) return;
    ::ShowWindow(m_hWnd, !show ? SW_HIDE : (takeFocus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE));
}

UINT CWindowWnd::RunModal() {
    HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
    if (owner) ::EnableWindow(owner, FALSE);
    UINT result = 0;
    bool quit = false;
    MSG msg = {};
    while (::IsWindow(m_hWnd)) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            quit = true;
            break;
        }
        // -1 is a failure, not a message: looping on it would spin for ever.
        if (got == -1) break;
        if (msg.message == WM_CLOSE && msg.hwnd == m_hWnd) {
            result = static_cast<UINT>(msg.wParam);
            // Activation must pass back to the owner before this window goes away.
            if (owner) {
                ::EnableWindow(owner, TRUE);
                ::SetFocus(owner);
            }
        }
        if (!CWindowManagerUI::OfferToPreFilters(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    if (owner) {
        ::EnableWindow(owner, TRUE);
        ::SetFocus(owner);
    }
    // The outer loop must end as well.
    if (quit) ::PostQuitMessage(static_cast<int>(msg.wParam));
    return result;
}

void CWindowWnd::CloseWnd(UINT code) {
    if (!::IsWindow(m_hWnd)) return;
    ::PostMessageW(m_hWnd, WM_CLOSE, code, 0);
}

void CWindowWnd::CenterOverOwner() {
    RECT rc = {};
    ::GetWindowRect(m_hWnd, &rc);
    HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    HMONITOR monitor = ::MonitorFromWindow(owner ? owner : m_hWnd, MONITOR_DEFAULTTONEAREST);
    MONITORINFO mi = {};
    mi.cbSize = sizeof(mi);
    ::GetMonitorInfoW(monitor, &mi);
    const RECT work = mi.rcWork;
    RECT centre = work;
    if (owner && !::IsIconic(owner)) ::GetWindowRect(owner, &centre);

    const int width = rc.right - rc.left;
    const int height = rc.bottom - rc.top;
    int x = (centre.left + centre.right) / 2 - width / 2;
    int y = (centre.top + centre.bottom) / 2 - height / 2;
    if (x < work.left)
        x = work.left;
    else if (x + width > work.right)
        x = work.right - width;
    if (y < work.top)
        y = work.top;
    else if (y + height > work.bottom)
        y = work.bottom - height;
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWindowWnd::SetWndIcon(UINT resourceId) {
    HINSTANCE instance = CWindowManagerUI::GetInstance();
    kesh::UniqueIcon big(static_cast<HICON>(
        ::LoadImageW(instance, MAKEINTRESOURCEW(resourceId), IMAGE_ICON,
                     ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON),
                     LR_DEFAULTCOLOR)));
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
    kesh::UniqueIcon smallIcon(static_cast<HICON>(
        ::LoadImageW(instance, MAKEINTRESOURCEW(resourceId), IMAGE_ICON,
                     ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON),
                     LR_DEFAULTCOLOR)));
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon.get()));
    // The window now shows the new icons; the ones it showed before can go.
    m_bigIcon = std::move(big);
    m_smallIcon = std::move(smallIcon);
}

LRESULT CWindowWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendMessageW(m_hWnd, message, wParam, lParam);
}

LRESULT CWindowWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::PostMessageW(m_hWnd, message, wParam, lParam);
}

void CWindowWnd::RestoreWndProc() {
    if (!::IsWindow(m_hWnd) || !m_subclassed) return;
    ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_prevWndProc));
    m_prevWndProc = ::DefWindowProcW;
    m_subclassed = false;
}

}  // namespace Veneer
