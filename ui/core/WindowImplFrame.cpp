// The skinned window's frame: no system caption or border is drawn; the layout's caption band
// and size box answer the hit test, and maximising fills the monitor's work area.
#include "WindowImplBase.h"

#include <windowsx.h>

#include "ControlUI.h"
#include "GdiHandle.h"

namespace Veneer {

namespace {

bool WorkArea(HWND hwnd, MONITORINFO& info) {
    info = {};
    info.cbSize = sizeof(info);
    return ::GetMonitorInfoW(::MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &info) != FALSE;
}

// Controls that take clicks themselves; elsewhere the caption band drags the window.
bool TakesClicks(const wchar_t* typeName) {
    return _wcsicmp(typeName, L"ButtonUI") == 0 || _wcsicmp(typeName, L"OptionUI") == 0 ||
           _wcsicmp(typeName, L"TextUI") == 0;
}

}  // namespace

LRESULT WindowImplBase::OnNcActivate(UINT, WPARAM wParam, LPARAM, bool& handled) {
    if (::IsIconic(m_hWnd)) handled = false;
    return wParam == 0 ? 1 : 0;
}

LRESULT WindowImplBase::OnNcCalcSize(UINT, WPARAM wParam, LPARAM lParam, bool&) {
    if (!::IsZoomed(m_hWnd)) return 0;
    RECT* rc = wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0]
                      : reinterpret_cast<RECT*>(lParam);
    MONITORINFO info;
    if (rc == nullptr || !WorkArea(m_hWnd, info)) return 0;
    rc->right = rc->left + (info.rcWork.right - info.rcWork.left);
    rc->bottom = rc->top + (info.rcWork.bottom - info.rcWork.top);
    return WVR_REDRAW;
}

LRESULT WindowImplBase::OnNcPaint(UINT, WPARAM, LPARAM, bool&) { return 0; }

LRESULT WindowImplBase::OnNcHitTest(UINT, WPARAM, LPARAM lParam, bool&) {
    POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ::ScreenToClient(m_hWnd, &pt);
    RECT rc = {};
    ::GetClientRect(m_hWnd, &rc);

    if (!::IsZoomed(m_hWnd)) {
        const RECT box = m_manager.GetSizeBox();
        if (pt.y < rc.top + box.top) {
            if (pt.x < rc.left + box.left) return HTTOPLEFT;
            if (pt.x > rc.right - box.right) return HTTOPRIGHT;
            return HTTOP;
        }
        if (pt.y > rc.bottom - box.bottom) {
            if (pt.x < rc.left + box.left) return HTBOTTOMLEFT;
            if (pt.x > rc.right - box.right) return HTBOTTOMRIGHT;
            return HTBOTTOM;
        }
        if (pt.x < rc.left + box.left) return HTLEFT;
        if (pt.x > rc.right - box.right) return HTRIGHT;
    }

    const RECT caption = m_manager.GetCaptionRect();
    if (pt.x < rc.left + caption.left || pt.x >= rc.right - caption.right) return HTCLIENT;
    if (pt.y >= caption.top && pt.y < caption.bottom) {
        CControlUI* control = m_manager.LocateControlAt(pt);
        if (control && !TakesClicks(control->GetTypeName())) return HTCAPTION;
    }
    return HTCLIENT;
}

LRESULT WindowImplBase::OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, bool& handled) {
    auto* mmi = reinterpret_cast<MINMAXINFO*>(lParam);
    MONITORINFO info;
    if (mmi && WorkArea(m_hWnd, info)) {
        mmi->ptMaxPosition.x = info.rcWork.left - info.rcMonitor.left;
        mmi->ptMaxPosition.y = info.rcWork.top - info.rcMonitor.top;
        mmi->ptMaxTrackSize.x = info.rcWork.right - info.rcWork.left;
        mmi->ptMaxTrackSize.y = info.rcWork.bottom - info.rcWork.top;
        const SIZE min = m_manager.GetMinInfo();
        mmi->ptMinTrackSize.x = min.cx;
        mmi->ptMinTrackSize.y = min.cy;
    }
    // The manager still applies "mininfo" and "maxinfo".
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnSize(UINT, WPARAM, LPARAM, bool& handled) {
    const SIZE round = m_manager.GetRoundCorner();
    if (!::IsIconic(m_hWnd) && (round.cx != 0 || round.cy != 0)) {
        RECT rc = {};
        ::GetWindowRect(m_hWnd, &rc);
        kesh::UniqueRegion region(::CreateRoundRectRgn(0, 0, rc.right - rc.left + 1,
                                                       rc.bottom - rc.top + 1, round.cx, round.cy));
        // The window owns the region once it is set; a refused one is still ours.
        if (region && ::SetWindowRgn(m_hWnd, region.get(), TRUE)) region.release();
    }
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, bool&) {
    // The low four bits of the command belong to the system.
    if ((wParam & 0xFFF0) == SC_CLOSE) {
        SendMessage(WM_CLOSE, 0, 0);
        return 0;
    }
    const bool wasZoomed = ::IsZoomed(m_hWnd) != FALSE;
    const LRESULT result = CWindowWnd::HandleMessage(message, wParam, lParam);
    if (wasZoomed != (::IsZoomed(m_hWnd) != FALSE)) {
        CControlUI* maxButton = m_manager.LocateControl(L"maxbtn");
        CControlUI* restoreButton = m_manager.LocateControl(L"restorebtn");
        if (maxButton && restoreButton) {
            maxButton->SetVisible(wasZoomed);
            restoreButton->SetVisible(!wasZoomed);
        }
    }
    return result;
}

}  // namespace Veneer
