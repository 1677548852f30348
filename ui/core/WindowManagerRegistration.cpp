// What registers with the window manager: option groups, notification listeners, message
// filters, overlay controls and accelerator handlers.
#include "WindowManagerUI.h"

#include "WindowManagerState.h"

namespace Veneer {

using namespace manager_detail;

bool CWindowManagerUI::JoinOptionGroup(const wchar_t* group, CControlUI* control) {
    if (group == nullptr) return false;
    auto* members = static_cast<CUIPtrArray*>(m_optionGroups.Find(group, true));
    if (members == nullptr) {
        members = new CUIPtrArray(6);
        if (!m_optionGroups.Insert(group, members)) {
            delete members;
            return false;
        }
    }
    if (members->Find(control) >= 0) return false;
    return members->Add(control);
}

CUIPtrArray* CWindowManagerUI::GetOptionGroupMembers(const wchar_t* group) {
    if (group == nullptr) return nullptr;
    return static_cast<CUIPtrArray*>(m_optionGroups.Find(group, true));
}

bool CWindowManagerUI::LeaveOptionGroup(const wchar_t* group, CControlUI* control) {
    CUIPtrArray* members = GetOptionGroupMembers(group);
    if (members == nullptr) return false;
    int at = members->Find(control);
    if (at >= 0) members->Remove(at);
    if (!members->IsEmpty()) return false;
    delete members;
    m_optionGroups.Remove(group);
    return true;
}

void CWindowManagerUI::RemoveAllOptionGroups() {
    ClearMap<CUIPtrArray>(m_optionGroups, [](CUIPtrArray* members) { delete members; });
}

void CWindowManagerUI::RemoveRegistered(CUIPtrArray& list, void* entry, bool& found) {
    int at = list.Find(entry);
    found = at >= 0;
    if (found) list.Remove(at);
}

bool CWindowManagerUI::AddNotifyListener(INotifyUI* l) { return m_notifiers.Add(l); }
bool CWindowManagerUI::RemoveNotifyListener(INotifyUI* l) {
    bool found;
    RemoveRegistered(m_notifiers, l, found);
    return found;
}
bool CWindowManagerUI::AddPreFilter(IMessageFilterUI* f) { return m_preFilters.Add(f); }
bool CWindowManagerUI::RemovePreFilter(IMessageFilterUI* f) {
    bool found;
    RemoveRegistered(m_preFilters, f, found);
    return found;
}
bool CWindowManagerUI::AddWindowFilter(IMessageFilterUI* f) { return m_windowFilters.Add(f); }
bool CWindowManagerUI::RemoveWindowFilter(IMessageFilterUI* f) {
    bool found;
    RemoveRegistered(m_windowFilters, f, found);
    return found;
}
bool CWindowManagerUI::AddOverlayControl(CControlUI* c) { return m_overlays.Add(c); }
bool CWindowManagerUI::RemoveOverlayControl(CControlUI* c) {
    bool found;
    RemoveRegistered(m_overlays, c, found);
    return found;
}
bool CWindowManagerUI::AddAcceleratorHandler(ITranslateAccelerator* h) {
    return m_accelerators.Add(h);
}
bool CWindowManagerUI::RemoveAcceleratorHandler(ITranslateAccelerator* h) {
    bool found;
    RemoveRegistered(m_accelerators, h, found);
    return found;
}

}  // namespace Veneer
