// The native edit window of an edit control while it is being edited: a superclass of the
// system edit laid over the control's text area. It owns itself and goes with its window.
#pragma once
#include <windows.h>

#include "GdiHandle.h"
#include "WindowWnd.h"

namespace Veneer {

class CEditUI;

class CEditWnd final : public CWindowWnd {
public:
    // Creates, fills and shows the native edit over the owner and gives it the keyboard.
    // False when the window cannot be made; the caller then deletes this object.
    bool Init(CEditUI* owner);

    // The owner's text area, narrowed to one line of its font and centred in it.
    RECT CalcPos() const;

    // The owner is going away: the window goes at once and never calls back.
    void Dismiss();

protected:
    const wchar_t* GetRegisteredClassName() const override;
    const wchar_t* GetSuperclassSource() const override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnWindowDestroyed(HWND hwnd) override;

private:
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnCommand(WPARAM wParam);
    LRESULT OnCtlColor(HDC dc);

    CEditUI* m_owner = nullptr;
    kesh::UniqueBrush m_bkBrush;
    bool m_initialised = false;
    bool m_creating = false;
    // Messages of this window under way: the object must outlive the innermost of them.
    int m_depth = 0;
    bool m_deletePending = false;
};

}  // namespace Veneer
