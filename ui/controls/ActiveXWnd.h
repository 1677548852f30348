// The child window of a windowed ActiveX object, placed over the control's rectangle.
#pragma once
#include <windows.h>

#include "WindowWnd.h"

namespace Veneer {

class CActiveXCtrl;

class CActiveXWnd final : public CWindowWnd {
public:
    // Creates the window under `parent`; null when it cannot be made.
    HWND CreateFor(CActiveXCtrl* site, HWND parent);

    const wchar_t* GetRegisteredClassName() const override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void RunVerb(LONG verb);

    CActiveXCtrl* m_site = nullptr;  // not counted: the site owns this window
};

}  // namespace Veneer
