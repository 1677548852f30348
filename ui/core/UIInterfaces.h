// The records and one-operation interfaces through which windows, filters and listeners meet
// the window manager: the notification record and its listener, message filters and the
// accelerator hook.
#pragma once
#include <windows.h>

#include "UIString.h"

namespace Veneer {

class CControlUI;

// One notification of a control, as delivered to the window's listeners. The message
// parameters keep their full width so pointers fit on 64-bit builds.
struct TNotification {
    CUIString type;
    CUIString virtualWindow;
    CControlUI* sender = nullptr;  // null once the sender has been deleted
    DWORD time = 0;
    POINT mouse = {0, 0};
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

class INotifyUI {
public:
    virtual void Notify(TNotification& msg) = 0;

protected:
    ~INotifyUI() = default;
};

class IMessageFilterUI {
public:
    virtual LRESULT ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                   bool& handled) = 0;

protected:
    ~IMessageFilterUI() = default;
};

class ITranslateAccelerator {
public:
    // S_OK (0) consumes the message.
    virtual LRESULT TranslateAccelerator(MSG* msg) = 0;

protected:
    ~ITranslateAccelerator() = default;
};

}  // namespace Veneer
