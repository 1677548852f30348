// The event record the window manager hands to controls, and the bound callbacks that let
// code outside a control watch or filter what happens to it.
#pragma once
#include <windows.h>

#include "UIPtrArray.h"

namespace Veneer {

class CControlUI;

// Event type numbers; 9 to 18 form the mouse range.
enum : int {
    kEventKeyDown = 3,
    kEventKeyUp = 4,
    kEventChar = 5,
    kEventSysKey = 6,
    kEventMouseMove = 9,
    kEventMouseLeave = 10,
    kEventMouseEnter = 11,
    kEventMouseHover = 12,
    kEventButtonDown = 13,
    kEventButtonUp = 14,
    kEventRightButtonDown = 15,
    kEventDoubleClick = 16,
    kEventContextMenu = 17,
    kEventScrollWheel = 18,
    kEventKillFocus = 20,
    kEventSetFocus = 21,
    kEventWindowSize = 22,
    kEventSetCursor = 23,
    kEventTimer = 24,
};

inline bool IsMouseEvent(int type) { return type >= kEventMouseMove && type <= kEventScrollWheel; }

struct TControlEvent {
    int type = 0;
    CControlUI* sender = nullptr;
    DWORD time = 0;
    POINT mouse = {0, 0};
    WORD key = 0;
    WORD keyState = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

// A bound callback: an object and a function, both opaque here; subclasses know their types.
class CDelegateBase {
public:
    CDelegateBase(void* object, void* function) : m_object(object), m_function(function) {}
    virtual ~CDelegateBase() = default;
    virtual CDelegateBase* Copy() const = 0;
    virtual bool Invoke(void* param) = 0;

    bool Equals(const CDelegateBase& other) const {
        return m_object == other.m_object && m_function == other.m_function;
    }
    void* GetObject() const { return m_object; }
    void* GetFunction() const { return m_function; }

private:
    void* m_object;
    void* m_function;
};

// An ordered list of owned delegate copies.
class CEventHub {
public:
    CEventHub() = default;
    ~CEventHub();
    CEventHub(const CEventHub&) = delete;
    CEventHub& operator=(const CEventHub&) = delete;

    void Add(const CDelegateBase& delegate);
    // False at the first delegate that answers false; true otherwise, also when empty. False
    // as well when a delegate deleted the hub (with the control that holds it): the caller
    // must then not touch that control again.
    bool Invoke(void* param);
    bool HasHandlers() const { return !m_delegates.IsEmpty(); }

private:
    struct TInvokeFrame;

    CUIPtrArray m_delegates;
    TInvokeFrame* m_frames = nullptr;  // the Invoke calls under way, innermost first
};

}  // namespace Veneer
