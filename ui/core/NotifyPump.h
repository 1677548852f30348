// Table-driven routing of control notifications to member functions of a window: each class
// that handles notifications has a static message map whose entries name a notification type,
// optionally a sender, and the handler; maps chain to their base class's map.
#pragma once
#include <windows.h>

#include "UIInterfaces.h"
#include "UIStringMap.h"

namespace Veneer {

class CNotifyPump;

// Handlers are member functions of the window; the pointer is converted to the pump's type so
// one table can hold them, and is called on the window object it was taken from.
using NotifyRecordHandler = void (CNotifyPump::*)(TNotification& msg);
using NotifyParamsHandler = void (CNotifyPump::*)(WPARAM wParam, LPARAM lParam);

enum : UINT {
    kNotifyMapEnd = 0,
    kNotifyParams = 1,  // handler takes the notification's wParam and lParam
    kNotifyRecord = 2,  // handler takes the whole notification
};

struct TNotifyMapEntry {
    const wchar_t* type;  // for example "click"
    const wchar_t* name;  // sender control name; empty = any sender
    UINT signature;
    NotifyRecordHandler recordHandler;
    NotifyParamsHandler paramsHandler;
};

struct TNotifyMap {
    const TNotifyMap* (*base)();  // null for the last map of the chain
    const TNotifyMapEntry* entries;
};

// Entry makers for map tables.
template <class T>
constexpr TNotifyMapEntry NotifyRecordEntry(const wchar_t* type, const wchar_t* name,
                                            void (T::*handler)(TNotification&)) {
    return TNotifyMapEntry{type, name, kNotifyRecord,
                           static_cast<NotifyRecordHandler>(handler), nullptr};
}
template <class T>
constexpr TNotifyMapEntry NotifyParamsEntry(const wchar_t* type, const wchar_t* name,
                                            void (T::*handler)(WPARAM, LPARAM)) {
    return TNotifyMapEntry{type, name, kNotifyParams, nullptr,
                           static_cast<NotifyParamsHandler>(handler)};
}
constexpr TNotifyMapEntry NotifyMapEnd() {
    return TNotifyMapEntry{L"", L"", kNotifyMapEnd, nullptr, nullptr};
}

class CNotifyPump {
public:
    CNotifyPump();
    virtual ~CNotifyPump();
    CNotifyPump(const CNotifyPump&) = delete;
    CNotifyPump& operator=(const CNotifyPump&) = delete;

    virtual const TNotifyMap* GetNotifyMap() const;
    static const TNotifyMap* GetThisNotifyMap();

    // Through the pump registered for the notification's virtual window, else this one.
    void RouteNotify(TNotification& msg);
    bool DispatchThroughMaps(TNotification& msg);
    // The entry for the sender by name, else the last entry for any sender, else null.
    static const TNotifyMapEntry* FindMapEntry(const TNotifyMapEntry* entries,
                                               TNotification& msg);

protected:
    CUIStringMap m_virtualWindows{83};  // name -> CNotifyPump*, not owned
};

}  // namespace Veneer
