// The native date picker laid over a date-time control while it is being edited. It owns
// itself, goes when its window is destroyed, and hands the picked date to its control when it
// loses the focus; Backspace or Delete empty the control's text, Escape keeps it.
#pragma once
#include <windows.h>

#include "NativeChildWnd.h"

namespace Veneer {

class CDateTimeUI;

class CDateTimeWnd final : public CNativeChildWnd {
public:
    // Creates the picker over `owner` on first use, sets it to the owner's date, shows it and
    // gives it the focus. False when the window cannot be made; the caller then deletes this
    // object.
    bool Init(CDateTimeUI* owner);
    RECT CalcPos() const;

    CDateTimeUI* GetOwner() const { return m_owner; }

protected:
    const wchar_t* GetRegisteredClassName() const override;
    const wchar_t* GetSuperclassSource() const override;
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam) override;
    void ForgetOwner() override;
    void OnWindowGone() override;

private:
    // Empties or keeps the owner's text on Backspace, Delete and Escape, then closes.
    void FinishByKey(WPARAM key);

    CDateTimeUI* m_owner = nullptr;
};

}  // namespace Veneer
