// The updater's modal message box: a text, a confirm button, an optional cancel button and a
// close button. Callers run it with RunModal and read nothing back.
#pragma once
#include <string>

#include "ButtonUI.h"
#include "KeshWndBase.h"
#include "LabelUI.h"

class CTipsBoxWnd : public CKeshWndBase {
public:
    // type: bit 0 shows the cancel button; 2 means the caller sets the confirm text itself.
    CTipsBoxWnd(HWND parent, const std::wstring& text, int type);
    ~CTipsBoxWnd() override;

    void Notify(Veneer::TNotification& msg) override;

    Veneer::CLabelUI* tipsLabel = nullptr;
    Veneer::CButtonUI* cancelButton = nullptr;
    Veneer::CButtonUI* confirmButton = nullptr;

protected:
    const wchar_t* GetRegisteredClassName() const override;
    Veneer::CUIString GetLayoutFile() const override;
    void OnLayoutReady() override;
    LRESULT OnCreate(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    int type_;
    std::wstring text_;
};
