#include "NotifyPump.h"

#include <cwchar>

#include "ControlUI.h"

namespace Veneer {

namespace {

const TNotifyMapEntry kPumpEntries[] = {NotifyMapEnd()};
const TNotifyMap kPumpMap = {nullptr, kPumpEntries};

}  // namespace

CNotifyPump::CNotifyPump() = default;
CNotifyPump::~CNotifyPump() = default;

const TNotifyMap* CNotifyPump::GetThisNotifyMap() { return &kPumpMap; }
const TNotifyMap* CNotifyPump::GetNotifyMap() const { return GetThisNotifyMap(); }

void CNotifyPump::RouteNotify(TNotification& msg) {
    if (!msg.virtualWindow.IsEmpty()) {
        for (int i = 0; i < m_virtualWindows.GetSize(); ++i) {
            const wchar_t* key = m_virtualWindows.GetAt(i);
            if (key == nullptr || _wcsicmp(key, msg.virtualWindow.GetData()) != 0) continue;
            auto* pump = static_cast<CNotifyPump*>(m_virtualWindows.Find(key, false));
            if (pump && pump->DispatchThroughMaps(msg)) return;
        }
    }
    DispatchThroughMaps(msg);
}

const TNotifyMapEntry* CNotifyPump::FindMapEntry(const TNotifyMapEntry* entries,
                                                 TNotification& msg) {
    if (entries == nullptr) return nullptr;
    const CUIString sender = msg.sender ? msg.sender->GetName() : CUIString();
    const TNotifyMapEntry* anySender = nullptr;
    for (const TNotifyMapEntry* e = entries; e->signature != kNotifyMapEnd; ++e) {
        if (wcscmp(e->type, msg.type.GetData()) != 0) continue;
        if (e->name[0] == L'\0')
            anySender = e;
        else if (wcscmp(e->name, sender.GetData()) == 0)
            return e;
    }
    return anySender;
}

bool CNotifyPump::DispatchThroughMaps(TNotification& msg) {
    for (const TNotifyMap* map = GetNotifyMap(); map != nullptr;
         map = map->base ? map->base() : nullptr) {
        const TNotifyMapEntry* entry = FindMapEntry(map->entries, msg);
        if (entry == nullptr) continue;
        switch (entry->signature) {
        case kNotifyParams:
            (this->*entry->paramsHandler)(msg.wParam, msg.lParam);
            return true;
        case kNotifyRecord:
            (this->*entry->recordHandler)(msg);
            return true;
        default:
            return false;
        }
    }
    return false;
}

}  // namespace Veneer
