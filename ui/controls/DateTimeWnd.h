// The native date picker laid over a date-time control while it is being edited. It owns
// itself, goes when its window is destroyed, and hands the picked date to its control when it
// loses the focus; Backspace or Delete empty the control's text, Escape keeps it.
#pragma once
#include <windows.h>

#include "GdiHandle.h"
#include "WindowWnd.h"

namespace Veneer {

class CDateTimeUI;

class CDateTimeWnd final : public CWindowWnd {
public:
    // Creates the picker over `owner` on first use, sets it to the owner's date, shows it and
    // gives it the focus. False when the window cannot be made; the caller then deletes this
    // object.
    bool Init(CDateTimeUI* owner);
    RECT CalcPos() const;

    CDateTimeUI* GetOwner() const { return m_owner; }
    // The control is going: the window forgets it and is destroyed now.
    void Dismiss();

protected:
    const wchar_t* GetRegisteredClassName() const override;
    const wchar_t* GetSuperclassSource() const override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnWindowDestroyed(HWND hwnd) override;

private:
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    // Empties or keeps the owner's text on Backspace, Delete and Escape, then closes.
    void FinishByKey(WPARAM key);

    CDateTimeUI* m_owner = nullptr;
    kesh::UniqueBrush m_bkBrush;
    bool m_initialised = false;
    bool m_creating = false;
    // Messages of this window under way: the object must outlive the innermost of them.
    int m_depth = 0;
    bool m_deletePending = false;
};

}  // namespace Veneer
