// The update-complete window shown before the job's program is started.
#pragma once
#include "KeshWndBase.h"

class CLaunchWnd : public CKeshWndBase {
public:
    CLaunchWnd();
    ~CLaunchWnd() override;

    void Notify(Veneer::TNotification& msg) override;

protected:
    const wchar_t* GetRegisteredClassName() const override;
    Veneer::CUIString GetLayoutFile() const override;
};
