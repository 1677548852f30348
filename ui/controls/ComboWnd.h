// The popup of an open combo: a borderless window with a manager of its own whose vertical
// layout shows the combo's rows for as long as the window lives. It owns itself and goes
// when its window is destroyed, whatever destroys it.
#pragma once
#include <windows.h>

#include "VerticalLayoutUI.h"
#include "WindowManagerUI.h"
#include "WindowWnd.h"

namespace Veneer {

class CComboUI;

class CComboWnd final : public CWindowWnd {
public:
    // Places, creates and shows the popup below the combo, or above it near the bottom of the
    // work area. False when the window cannot be made; the caller then deletes this object.
    bool Init(CComboUI* owner);

    // Scrolls the popup so that the row at `index` is wholly in view.
    void EnsureRowVisible(int index);
    void ScrollBy(int dx, int dy);

    CVerticalLayoutUI* GetLayout() const { return m_layout; }
    // Whether the popup's layout shows the rows right now (until they are handed back).
    bool HoldsRows() const { return m_layout != nullptr && !m_handedBack; }
    CWindowManagerUI& GetManager() { return m_manager; }

    // Row changes the combo makes while open, so the popup never shows a row it lost.
    void AdoptRow(CControlUI* row, int index);
    void MoveRow(CControlUI* row, int index);
    void DropRow(CControlUI* row);
    void DropAllRows();

    // Destroys the window at once; used by a combo that is going away.
    void Dismiss();

protected:
    const wchar_t* GetRegisteredClassName() const override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnWindowDestroyed(HWND hwnd) override;

private:
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCreate();
    // Returns the rows to the combo's manager and place. Once only, on whichever way out the
    // window takes first.
    void HandBack(bool focusOwner);
    void PassToOwner(TControlEvent& event);

    CWindowManagerUI m_manager;
    CComboUI* m_owner = nullptr;
    CVerticalLayoutUI* m_layout = nullptr;
    int m_oldSel = -1;
    bool m_handedBack = false;
    bool m_creating = false;
    // Messages of this window under way: the object must outlive the innermost of them.
    int m_depth = 0;
    bool m_deletePending = false;
};

}  // namespace Veneer
