// The window manager's message half: window messages become control events; hover, press,
// key-down and focus tracking; tool tips; control timers; notifications and their queue;
// pre-translation (Tab, shortcuts, accelerators) and the message loop.
#include <windowsx.h>

#include <cwchar>
#include <cwctype>
#include <initializer_list>
#include <memory>

#include "ControlUI.h"
#include "UIInterfaces.h"
#include "WindowManagerUI.h"

namespace Veneer {

namespace {

constexpr UINT kReflectOffset = 0x2000;
constexpr UINT kHoverTimeWithoutTip = 400;

struct TabSearch {
    CControlUI* focus = nullptr;
    CControlUI* last = nullptr;
    CControlUI* prev = nullptr;
    bool forward = true;
    bool nextIsIt = false;
};

// Visits tab stops in tree order: forward answers the first stop after the focus, backward the
// stop just before it; `last` ends as the last stop seen.
CControlUI* CALLBACK TabStopProc(CControlUI* control, void* data) {
    auto* s = static_cast<TabSearch*>(data);
    if (control == s->focus) {
        if (s->forward) s->nextIsIt = true;
        return s->forward ? nullptr : s->prev;
    }
    if ((control->GetBehaviourFlags() & kBehaviourTabStop) == 0) return nullptr;
    s->last = control;
    if (s->nextIsIt) return control;
    if (s->focus == nullptr) return control;
    s->prev = control;
    return nullptr;
}

struct ShortcutSearch {
    wchar_t ch = 0;
    bool pickNext = false;
};

// A label's shortcut names the control that follows it, since labels never take the focus.
CControlUI* CALLBACK ShortcutProc(CControlUI* control, void* data) {
    if (!control->IsVisible()) return nullptr;
    auto* s = static_cast<ShortcutSearch*>(data);
    if (static_cast<wchar_t>(towupper(control->GetShortcut())) == s->ch) s->pickNext = true;
    if (wcsstr(control->GetTypeName(), L"LabelUI") != nullptr) return nullptr;
    return s->pickNext ? control : nullptr;
}

CControlUI* CALLBACK HitProc(CControlUI* control, void* data) {
    return PtInRect(&control->GetPos(), *static_cast<POINT*>(data)) ? control : nullptr;
}

POINT PointFromLParam(LPARAM lParam) { return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

// Calls `call` for each entry that is still registered when its turn comes, until one answers
// true: handlers may register or remove entries, their own included, during the walk.
template <typename Call>
bool ForEachRegistered(const CUIPtrArray& list, Call call) {
    const CUIPtrArray snapshot = list;
    for (int i = 0; i < snapshot.GetSize(); ++i)
        if (list.Find(snapshot[i]) >= 0 && call(snapshot[i])) return true;
    return false;
}

}  // namespace

CWindowManagerUI::CControlGuard::CControlGuard(CWindowManagerUI& manager, CControlUI* control)
    : m_manager(manager), m_control(control) {
    m_manager.m_guards.Add(&m_control);
}

CWindowManagerUI::CControlGuard::~CControlGuard() {
    const int at = m_manager.m_guards.Find(&m_control);
    if (at >= 0) m_manager.m_guards.Remove(at);
}

WORD CWindowManagerUI::MapKeyState() {
    WORD state = 0;
    if (::GetKeyState(VK_LBUTTON) < 0) state |= 0x01;
    if (::GetKeyState(VK_RBUTTON) < 0) state |= 0x02;
    if (::GetKeyState(VK_SHIFT) < 0) state |= 0x04;
    if (::GetKeyState(VK_CONTROL) < 0) state |= 0x08;
    if (::GetKeyState(VK_MENU) < 0) state |= 0x20;
    return state;
}

void CWindowManagerUI::SendEvent(CControlUI* to, int type, WPARAM wParam, LPARAM lParam,
                                 WORD key, WORD keyState, CControlUI* sender) {
    if (to == nullptr) return;
    TControlEvent event;
    event.type = type;
    event.sender = sender ? sender : to;
    event.time = ::GetTickCount();
    event.mouse = m_lastMouse;
    event.key = key;
    event.keyState = keyState;
    event.wParam = wParam;
    event.lParam = lParam;
    to->DispatchEvent(event);
}

CControlUI* CWindowManagerUI::LocateControlAt(POINT pt) const {
    if (m_root == nullptr) return nullptr;
    return m_root->LocateControl(&HitProc, &pt, kLocateVisible | kLocateHitTest | kLocateTopFirst);
}

void CWindowManagerUI::SetCapture() {
    ::SetCapture(m_window);
    m_mouseCaptured = true;
}

void CWindowManagerUI::ReleaseCapture() {
    ::ReleaseCapture();
    m_mouseCaptured = false;
}

// ---- notifications -------------------------------------------------------------------------

void CWindowManagerUI::SendNotification(CControlUI* sender, const wchar_t* type, WPARAM wParam,
                                        LPARAM lParam, bool async) {
    TNotification msg;
    msg.sender = sender;
    msg.type = type ? type : L"";
    msg.wParam = wParam;
    msg.lParam = lParam;
    SendNotification(msg, async);
}

void CWindowManagerUI::SendNotification(TNotification& msg, bool async) {
    msg.mouse = m_lastMouse;
    msg.time = ::GetTickCount();
    if (m_virtualWindows && msg.sender) msg.virtualWindow = msg.sender->GetVirtualWindowName();
    if (async) {
        auto* copy = new TNotification(msg);
        if (!m_queuedNotifications.Add(copy)) delete copy;
        return;
    }
    Deliver(msg);
}

void CWindowManagerUI::Deliver(TNotification& msg) {
    // A handler may delete the sender: ReapObjects clears the sender of the records on their
    // way, so later handlers see none.
    m_delivering.Add(&msg);
    if (msg.sender && msg.sender->OnNotify().HasHandlers()) msg.sender->OnNotify().Invoke(&msg);
    ForEachRegistered(m_notifiers, [&msg](void* listener) {
        static_cast<INotifyUI*>(listener)->Notify(msg);
        return false;
    });
    const int at = m_delivering.Find(&msg);
    if (at >= 0) m_delivering.Remove(at);
}

void CWindowManagerUI::DrainQueuedNotifications() {
    while (!m_queuedNotifications.IsEmpty()) {
        std::unique_ptr<TNotification> msg(static_cast<TNotification*>(m_queuedNotifications[0]));
        m_queuedNotifications.Remove(0);
        // A sender deleted since queuing was set to null by ReapObjects; listeners get the
        // record without one.
        Deliver(*msg);
    }
}

void CWindowManagerUI::ReapObjects(CControlUI* control) {
    if (control == nullptr) return;
    if (m_keyDown == control) m_keyDown = nullptr;
    if (m_hover == control) m_hover = nullptr;
    if (m_pressed == control) {
        m_pressed = nullptr;
        // The capture was taken for it, and no button-up would release it now.
        if (m_mouseCaptured) ReleaseCapture();
    }
    if (m_focus == control) m_focus = nullptr;
    KillTimer(control);
    DropNames(control);
    for (const CUIPtrArray* records : {&m_queuedNotifications, &m_delivering}) {
        for (int i = 0; i < records->GetSize(); ++i) {
            auto* msg = static_cast<TNotification*>((*records)[i]);
            if (msg->sender == control) msg->sender = nullptr;
        }
    }
    for (int i = 0; i < m_guards.GetSize(); ++i) {
        auto* held = static_cast<CControlUI**>(m_guards[i]);
        if (*held == control) *held = nullptr;
    }
    // An overlay painted after the tree would otherwise be painted after its deletion.
    const int overlay = m_overlays.Find(control);
    if (overlay >= 0) m_overlays.Remove(overlay);
}

// ---- focus ---------------------------------------------------------------------------------

void CWindowManagerUI::KillFocusOf(CControlUI* next) {
    if (m_focus == nullptr) return;
    CControlGuard old(*this, m_focus);
    SendEvent(old.Get(), kEventKillFocus, 0, 0, 0, 0, next);
    // Its handlers may have deleted it; then it has nothing more to say.
    if (old.Get()) SendNotification(old.Get(), L"killfocus");
    m_focus = nullptr;
}

void CWindowManagerUI::SetFocus(CControlUI* control) {
    if (::GetFocus() != m_window && control != m_focus) ::SetFocus(m_window);
    if (control == m_focus) return;
    CControlGuard next(*this, control);
    KillFocusOf(control);
    control = next.Get();
    if (control == nullptr || control->GetManager() != this || !control->IsVisible() ||
        !control->IsEnabled())
        return;
    m_focus = control;
    SendEvent(control, kEventSetFocus);
    if (next.Get()) SendNotification(control, L"setfocus");
}

void CWindowManagerUI::SetFocusDeferred(CControlUI* control) {
    ::SetFocus(m_window);
    if (control == nullptr) return;
    CControlGuard next(*this, control);
    KillFocusOf(control);
    control = next.Get();
    if (control == nullptr) return;
    if (m_root) {
        TabSearch search;
        search.focus = control;
        search.forward = false;
        m_focus = m_root->LocateControl(&TabStopProc, &search,
                                        kLocateVisible | kLocateEnabled | kLocateMeFirst);
    }
    m_focusNeeded = true;
    if (m_root) m_root->RequestLayout();
}

bool CWindowManagerUI::TabToNextControl(bool forward) {
    if (m_updateNeeded && forward) {
        m_focusNeeded = true;
        ::InvalidateRect(m_window, nullptr, FALSE);
        return true;
    }
    if (m_root) {
        const UINT flags = kLocateVisible | kLocateEnabled | kLocateMeFirst;
        TabSearch first;
        first.focus = m_focus;
        first.forward = forward;
        CControlUI* next = m_root->LocateControl(&TabStopProc, &first, flags);
        if (next == nullptr) {
            if (forward) {
                TabSearch wrap;
                wrap.forward = true;
                next = m_root->LocateControl(&TabStopProc, &wrap, flags);
            } else {
                next = first.last;
            }
        }
        if (next) SetFocus(next);
    }
    m_focusNeeded = false;
    return true;
}

// ---- pre-translation -----------------------------------------------------------------------

bool CWindowManagerUI::OfferToAccelerators(MSG* msg) {
    return ForEachRegistered(m_accelerators, [msg](void* handler) {
        return static_cast<ITranslateAccelerator*>(handler)->TranslateAccelerator(msg) == S_OK;
    });
}

bool CWindowManagerUI::PreProcessMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                         LRESULT& result) {
    const bool consumed = ForEachRegistered(m_preFilters, [&](void* filter) {
        bool handled = false;
        const LRESULT r = static_cast<IMessageFilterUI*>(filter)->ProcessMessage(
            message, wParam, lParam, handled);
        if (handled) result = r;
        return handled;
    });
    if (consumed) return true;
    switch (message) {
    case WM_KEYDOWN:
        if (wParam != VK_TAB) break;
        // A focused rich edit that takes Tab into its text keeps the key.
        if (m_focus && m_focus->IsVisible() && m_focus->IsEnabled() &&
            wcsstr(m_focus->GetTypeName(), L"RichEditUI") != nullptr && m_focus->IsWantTab())
            break;
        TabToNextControl(::GetKeyState(VK_SHIFT) >= 0);
        return true;
    case WM_SYSCHAR: {
        if (m_root == nullptr) break;
        ShortcutSearch search;
        search.ch = static_cast<wchar_t>(towupper(static_cast<wint_t>(wParam)));
        CControlUI* found = m_root->LocateControl(
            &ShortcutProc, &search, kLocateEnabled | kLocateTopFirst | kLocateMeFirst);
        if (found == nullptr) break;
        CControlGuard target(*this, found);
        found->SetFocus();
        if (target.Get()) found->Activate();
        return true;
    }
    case WM_SYSKEYDOWN:
        if (m_focus)
            SendEvent(m_focus, kEventSysKey, 0, 0, static_cast<WORD>(wParam), MapKeyState());
        break;
    default:
        break;
    }
    return false;
}

bool CWindowManagerUI::OfferToPreFilters(MSG* msg) {
    const CUIPtrArray& all = GetAllManagers();
    LRESULT ignored = 0;
    if (msg->hwnd && (::GetWindowLongPtrW(msg->hwnd, GWL_STYLE) & WS_CHILD)) {
        HWND parent = ::GetParent(msg->hwnd);
        for (int i = all.GetSize() - 1; i >= 0; --i) {
            auto* manager = static_cast<CWindowManagerUI*>(all[i]);
            for (HWND up = parent; up != nullptr; up = ::GetParent(up)) {
                if (manager->m_window != msg->hwnd && manager->m_window != up) continue;
                if (manager->OfferToAccelerators(msg)) return true;
                manager->PreProcessMessage(msg->message, msg->wParam, msg->lParam, ignored);
            }
        }
        return false;
    }
    for (int i = 0; i < all.GetSize(); ++i) {
        auto* manager = static_cast<CWindowManagerUI*>(all[i]);
        if (manager->m_window != msg->hwnd) continue;
        if (manager->OfferToAccelerators(msg)) return true;
        return manager->PreProcessMessage(msg->message, msg->wParam, msg->lParam, ignored);
    }
    return false;
}

void CWindowManagerUI::RunMessageLoop() {
    MSG msg = {};
    for (;;) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        // 0 is WM_QUIT; -1 is a failure that would repeat for ever if looped on.
        if (got == 0 || got == -1) break;
        if (OfferToPreFilters(&msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// ---- window messages -----------------------------------------------------------------------

bool CWindowManagerUI::ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                      LRESULT& result) {
    if (m_window == nullptr) return false;
    if (message == WM_NCDESTROY) {
        ForgetWindow();
        return false;
    }
    DrainQueuedNotifications();

    const bool filtered = ForEachRegistered(m_windowFilters, [&](void* filter) {
        bool handled = false;
        const LRESULT r = static_cast<IMessageFilterUI*>(filter)->ProcessMessage(
            message, wParam, lParam, handled);
        if (handled) result = r;
        return handled;
    });
    if (filtered) return true;

    switch (message) {
    case WM_SIZE:
        if (m_focus) SendEvent(m_focus, kEventWindowSize);
        if (m_root) m_root->RequestLayout();
        return true;
    case WM_PAINT:
        OnPaint();
        return true;
    case WM_PRINTCLIENT:
        OnPrintClient(reinterpret_cast<HDC>(wParam), lParam);
        break;
    case WM_CLOSE: {
        if (m_hover) SendEvent(m_hover, kEventMouseLeave);
        if (m_pressed) SendEvent(m_pressed, kEventButtonUp);
        SetFocus(nullptr);
        HWND owner = ::GetWindow(m_window, GW_OWNER);
        if (owner) ::SetFocus(owner);
        break;
    }
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_SETCURSOR: {
        if (LOWORD(lParam) != HTCLIENT) break;
        if (m_mouseCaptured) return true;
        POINT pt = {};
        ::GetCursorPos(&pt);
        ::ScreenToClient(m_window, &pt);
        CControlUI* control = LocateControlAt(pt);
        if (control == nullptr || (control->GetBehaviourFlags() & kBehaviourSetCursor) == 0)
            break;
        SendEvent(control, kEventSetCursor, wParam, lParam, 0, MapKeyState());
        return true;
    }
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        if (info == nullptr) break;
        if (m_minInfo.cx > 0) info->ptMinTrackSize.x = m_minInfo.cx;
        if (m_minInfo.cy > 0) info->ptMinTrackSize.y = m_minInfo.cy;
        if (m_maxInfo.cx > 0) info->ptMaxTrackSize.x = m_maxInfo.cx;
        if (m_maxInfo.cy > 0) info->ptMaxTrackSize.y = m_maxInfo.cy;
        break;
    }
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header == nullptr) return true;
        result = ::SendMessageW(header->hwndFrom, kReflectOffset + message, wParam, lParam);
        return true;
    }
    case WM_COMMAND:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        if (lParam == 0) break;
        result = ::SendMessageW(reinterpret_cast<HWND>(lParam), kReflectOffset + message, wParam,
                                lParam);
        return true;
    case WM_CONTEXTMENU: {
        POINT pt = PointFromLParam(lParam);
        ::ScreenToClient(m_window, &pt);
        m_lastMouse = pt;
        if (m_pressed == nullptr) break;
        ReleaseCapture();
        CControlUI* pressed = m_pressed;
        SendEvent(pressed, kEventContextMenu, 0, reinterpret_cast<LPARAM>(pressed), 0,
                  static_cast<WORD>(wParam));
        m_pressed = nullptr;
        break;
    }
    case WM_KEYDOWN:
        if (m_focus == nullptr) break;
        SendEvent(m_focus, kEventKeyDown, 0, 0, static_cast<WORD>(wParam), MapKeyState());
        m_keyDown = m_focus;
        break;
    case WM_KEYUP:
        if (m_keyDown == nullptr) break;
        SendEvent(m_keyDown, kEventKeyUp, 0, 0, static_cast<WORD>(wParam), MapKeyState());
        m_keyDown = nullptr;
        break;
    case WM_CHAR:
        if (m_focus == nullptr) break;
        SendEvent(m_focus, kEventChar, 0, 0, static_cast<WORD>(wParam), MapKeyState());
        break;
    case WM_TIMER:
        for (int i = 0; i < m_timers.GetSize(); ++i) {
            auto* timer = static_cast<TTimerRecord*>(m_timers[i]);
            if (timer->window != m_window || timer->windowId != LOWORD(wParam) || timer->killed)
                continue;
            SendEvent(timer->control, kEventTimer, timer->localId, lParam);
            break;
        }
        break;
    case WM_MOUSEMOVE:
        OnMouseMove(lParam);
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN: {
        ::SetFocus(m_window);
        const POINT pt = PointFromLParam(lParam);
        m_lastMouse = pt;
        CControlUI* control = LocateControlAt(pt);
        if (control == nullptr || control->GetManager() != this) break;
        CControlGuard target(*this, control);
        m_pressed = control;
        if (message != WM_LBUTTONDBLCLK) control->SetFocus();
        // Focus handlers may have deleted it (which also cleared the pressed control).
        if (target.Get() == nullptr) break;
        SetCapture();
        const int type = message == WM_LBUTTONDOWN     ? kEventButtonDown
                         : message == WM_LBUTTONDBLCLK ? kEventDoubleClick
                                                       : kEventRightButtonDown;
        SendEvent(control, type, wParam, lParam, 0, static_cast<WORD>(wParam));
        break;
    }
    case WM_LBUTTONUP: {
        m_lastMouse = PointFromLParam(lParam);
        if (m_pressed == nullptr) break;
        ReleaseCapture();
        CControlUI* pressed = m_pressed;
        m_pressed = nullptr;
        SendEvent(pressed, kEventButtonUp, wParam, lParam, 0, static_cast<WORD>(wParam));
        break;
    }
    case WM_MOUSEWHEEL: {
        POINT pt = PointFromLParam(lParam);
        ::ScreenToClient(m_window, &pt);
        m_lastMouse = pt;
        CControlUI* control = LocateControlAt(pt);
        if (control == nullptr || control->GetManager() != this) break;
        const int delta = GET_WHEEL_DELTA_WPARAM(wParam);
        SendEvent(control, kEventScrollWheel, delta < 0 ? 1 : 0, lParam, 0, MapKeyState());
        // Hover follows the content that scrolled under the pointer.
        ::SendMessageW(m_window, WM_MOUSEMOVE, 0, MAKELPARAM(m_lastMouse.x, m_lastMouse.y));
        break;
    }
    case WM_MOUSEHOVER:
        if (OnMouseHover(lParam)) return true;
        break;
    case WM_MOUSELEAVE:
        if (m_toolTip)
            ::SendMessageW(m_toolTip, TTM_TRACKACTIVATE, FALSE,
                           reinterpret_cast<LPARAM>(&m_toolInfo));
        if (m_mouseTracking) ::SendMessageW(m_window, WM_MOUSEMOVE, 0, static_cast<LPARAM>(-1));
        m_mouseTracking = false;
        break;
    case kDelayedCleanupMessage:
        DeleteDelayedCleanup();
        break;
    default:
        break;
    }

    DrainQueuedNotifications();
    return false;
}

void CWindowManagerUI::OnMouseMove(LPARAM lParam) {
    if (!m_mouseTracking) {
        TRACKMOUSEEVENT tme = {};
        tme.cbSize = sizeof(tme);
        tme.dwFlags = TME_HOVER | TME_LEAVE;
        tme.hwndTrack = m_window;
        tme.dwHoverTime =
            m_toolTip ? static_cast<DWORD>(::SendMessageW(m_toolTip, TTM_GETDELAYTIME,
                                                          TTDT_INITIAL, 0))
                      : kHoverTimeWithoutTip;
        ::TrackMouseEvent(&tme);
        m_mouseTracking = true;
    }
    const POINT pt = PointFromLParam(lParam);
    m_lastMouse = pt;
    CControlUI* control = LocateControlAt(pt);
    if (control && control->GetManager() != this) return;
    // Handlers of the events below may delete the control under the pointer.
    CControlGuard target(*this, control);
    if (control != m_hover) {
        if (m_hover) {
            CControlUI* old = m_hover;
            m_hover = nullptr;
            SendEvent(old, kEventMouseLeave);
        }
        m_hover = nullptr;
        if (m_toolTip)
            ::SendMessageW(m_toolTip, TTM_TRACKACTIVATE, FALSE,
                           reinterpret_cast<LPARAM>(&m_toolInfo));
        if (target.Get()) {
            SendEvent(target.Get(), kEventMouseEnter);
            m_hover = target.Get();
        }
    }
    if (m_pressed)
        SendEvent(m_pressed, kEventMouseMove);
    else if (target.Get())
        SendEvent(target.Get(), kEventMouseMove);
}

bool CWindowManagerUI::OnMouseHover(LPARAM lParam) {
    m_mouseTracking = false;
    const POINT pt = PointFromLParam(lParam);
    CControlUI* control = LocateControlAt(pt);
    if (control == nullptr) return false;
    CControlGuard target(*this, control);
    if (m_hover) SendEvent(m_hover, kEventMouseHover);
    if (target.Get() == nullptr) return true;
    CUIString tip = control->GetToolTip();
    ExpandLanguageTokens(tip);
    if (tip.IsEmpty()) return true;

    m_toolInfo = {};
    // The size of the record this framework fills, so older common-controls versions accept it.
    m_toolInfo.cbSize = TTTOOLINFOW_V2_SIZE;
    m_toolInfo.uFlags = TTF_IDISHWND;
    m_toolInfo.hwnd = m_window;
    m_toolInfo.uId = reinterpret_cast<UINT_PTR>(m_window);
    m_toolInfo.hinst = GetInstance();
    m_toolInfo.lpszText = const_cast<wchar_t*>(tip.GetData());
    m_toolInfo.rect = control->GetPos();
    if (m_toolTip == nullptr) {
        m_toolTip = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr,
                                      WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_window,
                                      nullptr, GetInstance(), nullptr);
        ::SendMessageW(m_toolTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&m_toolInfo));
    }
    ::SendMessageW(m_toolTip, TTM_SETMAXTIPWIDTH, 0, control->GetToolTipMaxWidth());
    ::SendMessageW(m_toolTip, TTM_SETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&m_toolInfo));
    ::SendMessageW(m_toolTip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&m_toolInfo));
    // The tool tip keeps its own copy of the text; the local one goes out of scope.
    m_toolInfo.lpszText = nullptr;
    return true;
}

}  // namespace Veneer
