// The window manager's painting: layout of what asked for it, then the control tree drawn
// into an off-screen bitmap and copied to the window; printing into a given device context.
#include "ControlUI.h"
#include "GdiHandle.h"
#include "WindowManagerUI.h"

namespace Veneer {

namespace {

// Collects the controls that asked for a layout; their subtrees are laid out with them.
CControlUI* CALLBACK NeedsUpdateProc(CControlUI* control, void* data) {
    if (!control->IsUpdateNeeded()) return nullptr;
    static_cast<CUIPtrArray*>(data)->Add(control);
    return control;
}

}  // namespace

void CWindowManagerUI::DeleteOffscreen() {
    // Each DC before its bitmap: the background bitmap stays selected into its DC.
    m_offscreenDc.reset();
    m_offscreenBitmap.reset();
    m_backgroundDc.reset();
    m_backgroundBitmap.reset();
}

void CWindowManagerUI::Invalidate(const RECT& rc) {
    // A null window would invalidate every window on the desktop.
    if (m_window == nullptr) return;
    InvalidateRect(m_window, &rc, FALSE);
}

void CWindowManagerUI::LayOut() {
    m_updateNeeded = false;
    RECT client = {};
    ::GetClientRect(m_window, &client);
    if (IsRectEmpty(&client)) return;
    if (m_root->IsUpdateNeeded()) {
        // The whole tree moves: the off-screen buffers are rebuilt at the new size.
        DeleteOffscreen();
        m_root->SetPos(client, true);
    } else {
        // A fresh list each pass: controls laid out last time may be gone since.
        m_needUpdate.Empty();
        m_root->LocateControl(&NeedsUpdateProc, &m_needUpdate,
                              kLocateVisible | kLocateUpdateTest | kLocateMeFirst);
        for (int i = 0; i < m_needUpdate.GetSize(); ++i) {
            auto* control = static_cast<CControlUI*>(m_needUpdate[i]);
            const RECT rc = control->IsFloat() && control->GetParent() ? control->GetPosInParent()
                                                                       : control->GetPos();
            control->SetPos(rc, true);
        }
        m_needUpdate.Empty();
    }
    if (m_firstLayout) {
        m_firstLayout = false;
        SendNotification(m_root, L"windowinit");
    }
}

void CWindowManagerUI::OnPaint() {
    RECT paint = {};
    if (!::GetUpdateRect(m_window, &paint, FALSE)) return;
    if (m_root == nullptr) {
        PAINTSTRUCT ps;
        ::BeginPaint(m_window, &ps);
        ::EndPaint(m_window, &ps);
        return;
    }
    if (m_updateNeeded) LayOut();
    if (m_focusNeeded) TabToNextControl(true);

    RECT client = {};
    ::GetClientRect(m_window, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    // A DC made once is kept even when its bitmap cannot be made (a window too large, no GDI
    // room): the bitmap is tried again next time instead of leaking a DC per paint.
    const HDC paintDc = m_paintDc.get();
    if (m_offscreenPaint && !m_offscreenBitmap) {
        if (!m_offscreenDc) m_offscreenDc.reset(::CreateCompatibleDC(paintDc));
        if (m_offscreenDc) m_offscreenBitmap.reset(::CreateCompatibleBitmap(paintDc, width, height));
    }

    PAINTSTRUCT ps;
    ::BeginPaint(m_window, &ps);
    paint = ps.rcPaint;
    // Without a buffer the tree is drawn straight onto the window.
    if (m_offscreenPaint && m_offscreenBitmap) {
        const HDC offscreen = m_offscreenDc.get();
        {
            kesh::SelectScope bitmap(offscreen, m_offscreenBitmap.get());
            const int saved = ::SaveDC(offscreen);
            if (m_bkTransparent) {
                if (!m_backgroundBitmap) {
                    if (!m_backgroundDc) m_backgroundDc.reset(::CreateCompatibleDC(paintDc));
                    if (m_backgroundDc)
                        m_backgroundBitmap.reset(::CreateCompatibleBitmap(paintDc, width, height));
                    if (m_backgroundBitmap) {
                        // Stays selected for later paints; DeleteOffscreen frees the DC first.
                        ::SelectObject(m_backgroundDc.get(), m_backgroundBitmap.get());
                        ::BitBlt(m_backgroundDc.get(), paint.left, paint.top,
                                 paint.right - paint.left, paint.bottom - paint.top, ps.hdc,
                                 paint.left, paint.top, SRCCOPY);
                    }
                }
                if (m_backgroundBitmap)
                    ::BitBlt(offscreen, paint.left, paint.top, paint.right - paint.left,
                             paint.bottom - paint.top, m_backgroundDc.get(), paint.left,
                             paint.top, SRCCOPY);
            }
            m_root->Render(offscreen, paint);
            for (int i = 0; i < m_overlays.GetSize(); ++i)
                static_cast<CControlUI*>(m_overlays[i])->RenderOverlay(offscreen, paint);
            ::RestoreDC(offscreen, saved);
            ::BitBlt(ps.hdc, paint.left, paint.top, paint.right - paint.left,
                     paint.bottom - paint.top, offscreen, paint.left, paint.top, SRCCOPY);
        }
        if (m_showDirty) {
            kesh::SelectScope pen(ps.hdc, UpdatePen());
            kesh::SelectScope brush(ps.hdc, ::GetStockObject(HOLLOW_BRUSH));
            ::Rectangle(ps.hdc, paint.left, paint.top, paint.right, paint.bottom);
        }
    } else {
        const int saved = ::SaveDC(ps.hdc);
        m_root->Render(ps.hdc, paint);
        ::RestoreDC(ps.hdc, saved);
    }
    ::EndPaint(m_window, &ps);
    if (m_updateNeeded) ::InvalidateRect(m_window, nullptr, FALSE);
}

void CWindowManagerUI::OnPrintClient(HDC dc, LPARAM flags) {
    if (m_root == nullptr || dc == nullptr) return;
    RECT client = {};
    ::GetClientRect(m_window, &client);
    const int saved = ::SaveDC(dc);
    m_root->Render(dc, client);
    ::RestoreDC(dc, saved);
    if ((flags & PRF_CHILDREN) == 0) return;
    for (HWND child = ::GetWindow(m_window, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        RECT rc = {};
        ::GetWindowRect(child, &rc);
        ::MapWindowPoints(HWND_DESKTOP, m_window, reinterpret_cast<POINT*>(&rc), 2);
        POINT oldOrigin = {};
        ::SetWindowOrgEx(dc, -rc.left, -rc.top, &oldOrigin);
        ::SendMessageW(child, WM_PRINT, reinterpret_cast<WPARAM>(dc), flags | PRF_NONCLIENT);
        ::SetWindowOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
    }
}

}  // namespace Veneer
