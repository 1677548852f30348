// The native edit window of an edit control while it is being edited: a superclass of the
// system edit laid over the control's text area. It owns itself and goes with its window.
#pragma once
#include <windows.h>

#include "NativeChildWnd.h"

namespace Veneer {

class CEditUI;

class CEditWnd final : public CNativeChildWnd {
public:
    // Creates, fills and shows the native edit over the owner and gives it the keyboard.
    // False when the window cannot be made; the caller then deletes this object.
    bool Init(CEditUI* owner);

    // The owner's text area, narrowed to one line of its font and centred in it.
    RECT CalcPos() const;

protected:
    const wchar_t* GetRegisteredClassName() const override;
    const wchar_t* GetSuperclassSource() const override;
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam) override;
    void ForgetOwner() override;
    void OnWindowGone() override;

private:
    LRESULT OnCommand(WPARAM wParam);
    LRESULT OnCtlColor(HDC dc);

    CEditUI* m_owner = nullptr;
};

}  // namespace Veneer
