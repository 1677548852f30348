#include "ComboWnd.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>

#include "ComboUI.h"
#include "LayoutMath.h"
#include "ScrollBarUI.h"

namespace Veneer {

namespace {

// The popup's rectangle in the owner window's client area: below `anchor`, or above it when
// `above`; `width` 0 keeps the anchor's width.
RECT PopupRect(const RECT& anchor, int width, int height, bool above) {
    RECT rc = anchor;
    if (width > 0) rc.right = SaturateInt(int64_t{rc.left} + width);
    if (above) {
        rc.bottom = anchor.top;
        rc.top = SaturateInt(int64_t{anchor.top} - height);
    } else {
        rc.top = anchor.bottom;
        rc.bottom = SaturateInt(int64_t{anchor.bottom} + height);
    }
    return rc;
}

}  // namespace

const wchar_t* CComboWnd::GetRegisteredClassName() const { return L"ComboWnd"; }

bool CComboWnd::Init(CComboUI* owner) {
    m_owner = owner;
    m_layout = nullptr;
    m_oldSel = owner->GetCurSel();
    // A combo outside a live window has nothing to open against.
    CWindowManagerUI* ownerManager = owner->GetManager();
    HWND parent = ownerManager ? ownerManager->GetPaintWindow() : nullptr;
    if (parent == nullptr || !::IsWindow(parent)) return false;

    const SIZE size = owner->GetDropBoxSize();
    const RECT anchor = owner->GetPos();
    RECT rc = PopupRect(anchor, size.cx, 0, false);
    const SIZE available = {rc.right - rc.left, size.cy};
    // The inset and border take 4 pixels, so even an empty popup shows its frame.
    int64_t rows = 4;
    for (int i = 0; i < owner->GetCount(); ++i) {
        CControlUI* row = owner->GetItemAt(i);
        if (row->IsVisible()) rows += row->MeasureSize(available).cy;
    }
    const int height = static_cast<int>(std::clamp<int64_t>(rows, 0, std::max(0L, size.cy)));
    rc = PopupRect(anchor, size.cx, height, false);
    ::MapWindowPoints(parent, HWND_DESKTOP, reinterpret_cast<POINT*>(&rc), 2);

    // The window does not exist yet, so its monitor is the primary one.
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor);
    if (rc.bottom > monitor.rcWork.bottom) {
        rc = PopupRect(anchor, size.cx, height, true);
        ::MapWindowPoints(parent, HWND_DESKTOP, reinterpret_cast<POINT*>(&rc), 2);
    }

    m_creating = true;
    const HWND hwnd = CreateWnd(parent, nullptr, WS_POPUP, WS_EX_TOOLWINDOW, rc);
    m_creating = false;
    if (hwnd == nullptr) {
        HandBack(false);
        return false;
    }
    HWND top = hwnd;
    while (HWND up = ::GetParent(top)) top = up;
    ::ShowWindow(hwnd, SW_SHOW);
    // The owner window keeps an active caption while its popup has the focus.
    ::SendMessageW(top, WM_NCACTIVATE, TRUE, 0);
    return true;
}

void CComboWnd::OnCreate() {
    m_manager.Init(m_hWnd);
    m_layout = new CVerticalLayoutUI;
    m_layout->SetManager(&m_manager, nullptr, true);
    if (CWindowManagerUI* ownerManager = m_owner->GetManager()) {
        if (const wchar_t* defaults = ownerManager->GetClassDefaults(L"VerticalLayout"))
            m_layout->ApplyAttributeString(defaults);
    }
    m_layout->SetInset(RECT{1, 1, 1, 1});
    m_layout->SetBkColor(0xFFFFFFFF);
    m_layout->SetBorderColor(0xFFC6C7D2);
    m_layout->SetBorderSize(1);
    // The rows stay the combo's: the popup only shows them.
    m_layout->SetDeleteOnRemove(false);
    m_layout->EnableScrollBar(true, false);
    m_layout->ApplyAttributeString(m_owner->GetDropBoxAttributes().GetData());
    for (int i = 0; i < m_owner->GetCount(); ++i) m_layout->Add(m_owner->GetItemAt(i));
    m_manager.AttachRoot(m_layout);
}

void CComboWnd::HandBack(bool focusOwner) {
    if (m_handedBack) return;
    m_handedBack = true;
    // Emptying the layout makes the popup's manager forget every row before the rows return;
    // the layout, deleted with the manager later, then holds none of them.
    if (m_layout) m_layout->RemoveAll();
    if (m_owner == nullptr) return;
    m_owner->SetManager(m_owner->GetManager(), m_owner->GetParent(), false);
    m_owner->SetPos(m_owner->IsFloat() ? m_owner->GetPosInParent() : m_owner->GetPos(), false);
    if (focusOwner) m_owner->SetFocus();
}

void CComboWnd::AdoptRow(CControlUI* row, int index) {
    if (m_layout && !m_handedBack) m_layout->AddAt(row, index);
}

void CComboWnd::MoveRow(CControlUI* row, int index) {
    if (m_layout && !m_handedBack) m_layout->SetItemIndex(row, index);
}

void CComboWnd::DropRow(CControlUI* row) {
    if (m_layout && !m_handedBack) m_layout->Remove(row);
}

void CComboWnd::DropAllRows() {
    if (m_layout && !m_handedBack) m_layout->RemoveAll();
}

void CComboWnd::Dismiss() {
    if (::IsWindow(m_hWnd)) {
        ::DestroyWindow(m_hWnd);
        return;
    }
    // No window to take this object with it.
    HandBack(false);
    if (m_owner) m_owner->DropWindowGone(this);
    m_owner = nullptr;
    if (m_depth > 0)
        m_deletePending = true;
    else
        delete this;
}

void CComboWnd::EnsureRowVisible(int index) {
    if (m_owner == nullptr || m_layout == nullptr || m_owner->GetCurSel() < 0) return;
    CControlUI* row = m_layout->GetItemAt(index);
    if (row == nullptr) return;
    const RECT item = row->GetPos();
    const RECT box = m_layout->GetPos();
    int bottom = box.bottom;
    CScrollBarUI* hbar = m_layout->GetHorizontalScrollBar();
    if (hbar && hbar->IsVisible()) bottom -= hbar->GetDeclaredHeight();
    if (item.top >= box.top && item.bottom < bottom) return;
    int dy = 0;
    if (item.top < box.top) dy = item.top - box.top;
    if (item.bottom > bottom) dy = item.bottom - bottom;
    ScrollBy(0, dy);
}

void CComboWnd::ScrollBy(int dx, int dy) {
    if ((dx == 0 && dy == 0) || m_layout == nullptr) return;
    const SIZE pos = m_layout->GetScrollPos();
    m_layout->SetScrollPos(SIZE{pos.cx + dx, pos.cy + dy});
}

void CComboWnd::PassToOwner(TControlEvent& event) {
    event.sender = m_owner;
    event.time = ::GetTickCount();
    m_owner->HandleEvent(event);
    // A handler may have deleted the combo, which closes this popup and forgets it.
    if (m_owner) EnsureRowVisible(m_owner->GetCurSel());
}

LRESULT CComboWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    ++m_depth;
    const LRESULT result = Dispatch(message, wParam, lParam);
    if (--m_depth == 0 && m_deletePending) delete this;
    return result;
}

LRESULT CComboWnd::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        OnCreate();
        return 0;
    case WM_CLOSE:
        HandBack(true);
        break;
    case WM_DESTROY:
        // Destroyed without a close, as with its owner window: the rows go back all the same.
        HandBack(false);
        break;
    case WM_LBUTTONUP: {
        POINT pt = {};
        ::GetCursorPos(&pt);
        ::ScreenToClient(m_hWnd, &pt);
        // A click on the scroll bar scrolls; anywhere else it picks and closes.
        CControlUI* hit = m_manager.LocateControlAt(pt);
        if (hit && wcscmp(hit->GetTypeName(), L"ScrollBarUI") != 0) PostMessage(WM_KILLFOCUS);
        break;
    }
    case WM_KEYDOWN:
        if (m_owner == nullptr) break;
        if (wParam == VK_RETURN) {
            PostMessage(WM_KILLFOCUS);
            break;
        }
        if (wParam == VK_ESCAPE) {
            // Escape takes back what was picked while open.
            m_owner->SelectItem(m_oldSel, true);
            EnsureRowVisible(m_oldSel);
            PostMessage(WM_KILLFOCUS);
            break;
        }
        {
            TControlEvent event;
            event.type = kEventKeyDown;
            event.key = static_cast<WORD>(wParam);
            PassToOwner(event);
        }
        return 0;
    case WM_MOUSEWHEEL: {
        if (m_owner == nullptr) break;
        TControlEvent event;
        event.type = kEventScrollWheel;
        event.wParam = GET_WHEEL_DELTA_WPARAM(wParam) < 0 ? 1 : 0;
        event.lParam = lParam;
        PassToOwner(event);
        return 0;
    }
    case WM_KILLFOCUS:
        if (reinterpret_cast<HWND>(wParam) != m_hWnd) PostMessage(WM_CLOSE);
        break;
    default:
        break;
    }
    LRESULT result = 0;
    if (m_manager.ProcessMessage(message, wParam, lParam, result)) return result;
    return CWindowWnd::HandleMessage(message, wParam, lParam);
}

void CComboWnd::OnWindowDestroyed(HWND) {
    HandBack(false);
    // A window that failed to be made: Init reports it and its caller deletes this object.
    if (m_creating) return;
    if (m_owner) m_owner->DropWindowGone(this);
    m_owner = nullptr;
    if (m_depth > 0)
        m_deletePending = true;
    else
        delete this;
}

}  // namespace Veneer
