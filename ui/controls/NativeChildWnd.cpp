// The life of a self-owned native child window: creation, the depth count around its
// messages, and its deletion once nothing of it is under way.
#include "NativeChildWnd.h"

namespace Veneer {

void CNativeChildWnd::Dismiss() {
    ForgetOwner();
    if (::IsWindow(m_hWnd)) {
        ::DestroyWindow(m_hWnd);
        return;
    }
    // No window to take this object with it.
    DeleteWhenIdle();
}

HWND CNativeChildWnd::CreateOverOwner(HWND parent, DWORD style, const RECT& rc) {
    m_creating = true;
    const HWND hwnd = CreateWnd(parent, nullptr, style, 0, rc);
    m_creating = false;
    return hwnd;
}

LRESULT CNativeChildWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    ++m_depth;
    const LRESULT result = Dispatch(message, wParam, lParam);
    if (--m_depth == 0 && m_deletePending) delete this;
    return result;
}

void CNativeChildWnd::OnWindowDestroyed(HWND) {
    m_bkBrush.reset();
    // A window that failed to be made: Init reports it and its caller deletes this object.
    if (m_creating) return;
    OnWindowGone();
    DeleteWhenIdle();
}

void CNativeChildWnd::DeleteWhenIdle() {
    if (m_depth > 0)
        m_deletePending = true;
    else
        delete this;
}

}  // namespace Veneer
