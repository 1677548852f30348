// The skinned window base: creation (skin and layout), the message switch, keys and the
// notification map.
#include "WindowImplBase.h"

#include <cstring>
#include <new>
#include <cwchar>

#include "ControlUI.h"

namespace Veneer {

namespace {

constexpr LONG_PTR kNoCaptionMask = 0xFF3FFFFF;

const TNotifyMapEntry kWindowEntries[] = {
    NotifyRecordEntry<WindowImplBase>(L"click", L"", &WindowImplBase::OnClick),
    NotifyMapEnd(),
};
const TNotifyMap kWindowMap = {&CNotifyPump::GetThisNotifyMap, kWindowEntries};

}  // namespace

WindowImplBase::WindowImplBase() = default;
WindowImplBase::~WindowImplBase() = default;

const TNotifyMap* WindowImplBase::GetThisNotifyMap() { return &kWindowMap; }
const TNotifyMap* WindowImplBase::GetNotifyMap() const { return GetThisNotifyMap(); }

void WindowImplBase::Notify(TNotification& msg) { RouteNotify(msg); }

void WindowImplBase::OnClick(TNotification& msg) {
    if (msg.sender == nullptr) return;
    const CUIString name = msg.sender->GetName();
    if (name == L"closebtn")
        CloseWnd(1);
    else if (name == L"minbtn")
        SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    else if (name == L"maxbtn")
        SendMessage(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    else if (name == L"restorebtn")
        SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
}

LRESULT WindowImplBase::ProcessMessage(UINT message, WPARAM wParam, LPARAM, bool&) {
    // The key is not consumed: the focused control still sees it.
    if (message == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_ESCAPE))
        return OnDefaultKey(wParam);
    return 0;
}

CControlUI* WindowImplBase::CreateControl(const wchar_t*) { return nullptr; }

const wchar_t* WindowImplBase::GetSuperclassSource() const { return nullptr; }
UINT WindowImplBase::GetRegisteredClassStyle() const { return CS_DBLCLKS; }

void WindowImplBase::OnWindowDestroyed(HWND) {
    m_manager.RemovePreFilter(this);
    m_manager.RemoveNotifyListener(this);
    m_manager.ReapObjects(m_manager.GetRoot());
}

void WindowImplBase::OnLayoutReady() {}

LRESULT WindowImplBase::OnDefaultKey(WPARAM key) {
    if (key != VK_ESCAPE) return 0;
    CloseWnd(1);
    return 1;
}

int WindowImplBase::GetSkinSourceKind() const { return kSkinFolder; }
CUIString WindowImplBase::GetSkinZipName() const { return CUIString(); }
const wchar_t* WindowImplBase::GetSkinResourceId() const { return L""; }

LONG_PTR WindowImplBase::GetStyle() const {
    return ::GetWindowLongPtrW(m_hWnd, GWL_STYLE) & kNoCaptionMask;
}

// The defaults leave the message unhandled so the manager and the system still see it.
LRESULT WindowImplBase::HandleOtherMessage(UINT, WPARAM, LPARAM, bool& handled) {
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnClose(UINT m, WPARAM w, LPARAM l, bool& handled) {
    return HandleOtherMessage(m, w, l, handled);
}
LRESULT WindowImplBase::OnDestroy(UINT m, WPARAM w, LPARAM l, bool& handled) {
    return HandleOtherMessage(m, w, l, handled);
}
LRESULT WindowImplBase::OnMouseWheel(UINT m, WPARAM w, LPARAM l, bool& handled) {
    return HandleOtherMessage(m, w, l, handled);
}
LRESULT WindowImplBase::OnMouseHover(UINT m, WPARAM w, LPARAM l, bool& handled) {
    return HandleOtherMessage(m, w, l, handled);
}
LRESULT WindowImplBase::OnChar(UINT m, WPARAM w, LPARAM l, bool& handled) {
    return HandleOtherMessage(m, w, l, handled);
}
LRESULT WindowImplBase::OnKeyDown(UINT m, WPARAM w, LPARAM l, bool& handled) {
    return HandleOtherMessage(m, w, l, handled);
}
// Focus and mouse input must reach the manager, which turns it into control events.
LRESULT WindowImplBase::OnKillFocus(UINT m, WPARAM w, LPARAM l, bool& handled) {
    return HandleOtherMessage(m, w, l, handled);
}
LRESULT WindowImplBase::OnSetFocus(UINT m, WPARAM w, LPARAM l, bool& handled) {
    return HandleOtherMessage(m, w, l, handled);
}
LRESULT WindowImplBase::OnLButtonDown(UINT m, WPARAM w, LPARAM l, bool& handled) {
    return HandleOtherMessage(m, w, l, handled);
}
LRESULT WindowImplBase::OnLButtonUp(UINT m, WPARAM w, LPARAM l, bool& handled) {
    return HandleOtherMessage(m, w, l, handled);
}
LRESULT WindowImplBase::OnMouseMove(UINT m, WPARAM w, LPARAM l, bool& handled) {
    return HandleOtherMessage(m, w, l, handled);
}

bool WindowImplBase::LoadSkinZipResource() {
    // The first window's copy stays in force for the process, opened or not (keep-open off, a
    // damaged archive): SetSkinZip would ignore another copy, which would never be freed.
    if (CWindowManagerUI::GetSkinZipName() == L"membuffer") return true;
    HMODULE module = CWindowManagerUI::GetResourceModule();
    HRSRC res = ::FindResourceW(module, GetSkinResourceId(), L"ZIPRES");
    if (res == nullptr) return false;
    HGLOBAL loaded = ::LoadResource(module, res);
    if (loaded == nullptr) return false;
    const DWORD size = ::SizeofResource(module, res);
    const void* bytes = ::LockResource(loaded);
    if (bytes == nullptr || size == 0) return false;
    // The in-memory archive keeps pointing into this copy for the rest of the process.
    auto* copy = new (std::nothrow) BYTE[size];
    if (copy == nullptr) return false;
    std::memcpy(copy, bytes, size);
    CWindowManagerUI::SetSkinZip(copy, size);
    return true;
}

LRESULT WindowImplBase::OnCreate(UINT, WPARAM, LPARAM, bool&) {
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE,
                        (::GetWindowLongPtrW(m_hWnd, GWL_STYLE) & kNoCaptionMask) |
                            WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    RECT client = {};
    ::GetClientRect(m_hWnd, &client);
    ::SetWindowPos(m_hWnd, nullptr, client.left, client.top, client.right - client.left,
                   client.bottom - client.top, SWP_FRAMECHANGED);

    m_manager.Init(m_hWnd);
    m_manager.AddPreFilter(this);

    if (CWindowManagerUI::GetSkinRoot().IsEmpty()) {
        CUIString root = CWindowManagerUI::GetExeFolder();
        root += GetLayoutFolder();
        CWindowManagerUI::SetSkinRoot(root.GetData());
    }
    CWindowManagerUI::SetSkinRoot(CUIString(CWindowManagerUI::GetSkinRoot()).GetData());

    const int kind = GetSkinSourceKind();
    if (kind == kSkinZipFile) {
        CWindowManagerUI::SetSkinZip(GetSkinZipName().GetData(), true);
    } else if (kind == kSkinZipResource) {
        // A missing skin leaves the window empty and silent.
        if (!LoadSkinZipResource()) return 0;
    }

    CLayoutBuilder builder;
    CControlUI* root = nullptr;
    const CUIString file = GetLayoutFile();
    if (kind == kSkinXmlResource) {
        const int id = static_cast<int>(wcstol(file.GetData(), nullptr, 10));
        root = builder.Create(MAKEINTRESOURCEW(id), L"xml", this, &m_manager, nullptr);
    } else {
        root = builder.Create(file.GetData(), nullptr, this, &m_manager, nullptr);
    }
    if (root == nullptr) {
        ::MessageBoxW(nullptr, L"加载资源文件失败", L"Veneer", MB_ICONERROR);
        ::ExitProcess(1);
    }

    m_manager.AttachRoot(root);
    m_manager.AddNotifyListener(this);
    m_manager.SetBkTransparent(true);
    OnLayoutReady();
    return 0;
}

LRESULT WindowImplBase::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    bool handled = true;
    LRESULT result = 0;
    switch (message) {
    case WM_CREATE: result = OnCreate(message, wParam, lParam, handled); break;
    case WM_DESTROY: result = OnDestroy(message, wParam, lParam, handled); break;
    case WM_SIZE: result = OnSize(message, wParam, lParam, handled); break;
    case WM_SETFOCUS: result = OnSetFocus(message, wParam, lParam, handled); break;
    case WM_KILLFOCUS: result = OnKillFocus(message, wParam, lParam, handled); break;
    case WM_CLOSE: result = OnClose(message, wParam, lParam, handled); break;
    case WM_GETMINMAXINFO: result = OnGetMinMaxInfo(message, wParam, lParam, handled); break;
    case WM_NCCALCSIZE: result = OnNcCalcSize(message, wParam, lParam, handled); break;
    case WM_NCHITTEST: result = OnNcHitTest(message, wParam, lParam, handled); break;
    case WM_NCPAINT: result = OnNcPaint(message, wParam, lParam, handled); break;
    case WM_NCACTIVATE: result = OnNcActivate(message, wParam, lParam, handled); break;
    case WM_KEYDOWN: result = OnKeyDown(message, wParam, lParam, handled); break;
    case WM_CHAR: result = OnChar(message, wParam, lParam, handled); break;
    case WM_SYSCOMMAND: result = OnSysCommand(message, wParam, lParam, handled); break;
    case WM_MOUSEMOVE: result = OnMouseMove(message, wParam, lParam, handled); break;
    case WM_LBUTTONDOWN: result = OnLButtonDown(message, wParam, lParam, handled); break;
    case WM_LBUTTONUP: result = OnLButtonUp(message, wParam, lParam, handled); break;
    case WM_MOUSEWHEEL: result = OnMouseWheel(message, wParam, lParam, handled); break;
    case WM_MOUSEHOVER: result = OnMouseHover(message, wParam, lParam, handled); break;
    default: handled = false; break;
    }
    if (handled) return result;
    result = HandleOtherMessage(message, wParam, lParam, handled);
    if (handled) return result;
    if (m_manager.ProcessMessage(message, wParam, lParam, result)) return result;
    return CWindowWnd::HandleMessage(message, wParam, lParam);
}

}  // namespace Veneer
