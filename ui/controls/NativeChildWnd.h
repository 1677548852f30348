// A native child window laid over a control while the control is being edited. It owns
// itself: it goes with its window, or at once when its control dismisses it with no window
// left, and never while one of its own messages is still under way.
#pragma once
#include <windows.h>

#include "GdiHandle.h"
#include "WindowWnd.h"

namespace Veneer {

class CNativeChildWnd : public CWindowWnd {
public:
    // The object deletes itself through this base.
    virtual ~CNativeChildWnd() = default;

    // The owner is going away: the window forgets it, never calls back, and goes at once.
    void Dismiss();

protected:
    // Creates the child over the owner. A window that fails to be made is destroyed before
    // this returns; the caller then deletes this object itself.
    HWND CreateOverOwner(HWND parent, DWORD style, const RECT& rc);

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) final;
    void OnWindowDestroyed(HWND hwnd) final;

    // The window's own message handling, run inside the depth count.
    virtual LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // Drops the owner without a word to it.
    virtual void ForgetOwner() = 0;
    // The window is gone for good: tells the owner, which must no longer reach this object,
    // and forgets it.
    virtual void OnWindowGone() = 0;

    // The background brush, made on first use; it goes with the window.
    kesh::UniqueBrush m_bkBrush;
    // Set once Init has finished with the window.
    bool m_initialised = false;

private:
    // Deletes this object now, or once the innermost message under way has returned.
    void DeleteWhenIdle();

    bool m_creating = false;
    // Messages of this window under way: the object must outlive the innermost of them.
    int m_depth = 0;
    bool m_deletePending = false;
};

}  // namespace Veneer
