// The window manager's hold on the control tree: attaching the root, the name index, delayed
// deletion of controls removed while they may still be on the call stack, and tear-down.
#include <initializer_list>

#include "ControlUI.h"
#include "UIInterfaces.h"
#include "WindowManagerUI.h"

namespace Veneer {

bool CWindowManagerUI::AttachRoot(CControlUI* control) {
    SetFocus(nullptr);
    m_keyDown = nullptr;
    m_hover = nullptr;
    m_pressed = nullptr;
    if (m_root) {
        m_overlays.Empty();
        AddDelayedCleanup(m_root);
    }
    m_root = control;
    m_updateNeeded = true;
    m_firstLayout = true;
    m_focusNeeded = true;
    return IndexControlNames(m_root, nullptr);
}

bool CWindowManagerUI::IndexControlNames(CControlUI* control, CControlUI* parent) {
    if (control == nullptr) return false;
    control->SetManager(this, parent ? parent : control->GetParent(), true);
    control->LocateControl(&IndexNameProc, this, 0);
    return true;
}

CControlUI* CWindowManagerUI::LocateControl(const wchar_t* name) {
    if (name == nullptr) return nullptr;
    return static_cast<CControlUI*>(m_names.Find(name, true));
}

// Enters every named control; a later control of the same name replaces an earlier one.
CControlUI* CALLBACK CWindowManagerUI::IndexNameProc(CControlUI* control, void* data) {
    static_cast<CWindowManagerUI*>(data)->EnterName(control);
    return nullptr;
}

void CWindowManagerUI::EnterName(CControlUI* control) {
    DropNames(control);
    const CUIString name = control->GetName();
    if (name.IsEmpty()) return;
    m_names.Set(name.GetData(), control);
    control->m_indexedName = name;
}

void CWindowManagerUI::DropNames(CControlUI* control) {
    // Only this manager enters names, always under m_indexedName; the current name is checked
    // too in case a control class changed its name without telling the window.
    for (const CUIString* name : {&control->m_indexedName, &control->m_name}) {
        if (!name->IsEmpty() && m_names.Find(name->GetData(), false) == control)
            m_names.Remove(name->GetData());
    }
    control->m_indexedName.Empty();
}

bool CWindowManagerUI::IsInTree(const CControlUI* control) const {
    if (m_root == nullptr) return false;
    while (control->GetParent() != nullptr) control = control->GetParent();
    return control == m_root;
}

void CWindowManagerUI::RenameControl(CControlUI* control) {
    if (control == nullptr) return;
    DropNames(control);
    // A control still being built, or taken out of the tree, is entered when it is attached.
    if (IsInTree(control)) EnterName(control);
}

void CWindowManagerUI::AddDelayedCleanup(CControlUI* control) {
    if (control == nullptr) return;
    control->SetManager(this, nullptr, false);
    m_delayedCleanup.Add(control);
    ::PostMessageW(m_window, kDelayedCleanupMessage, 0, 0);
}

void CWindowManagerUI::DeleteDelayedCleanup() {
    // Take the list first: a deleted control may hand further controls to delayed clean-up.
    CUIPtrArray pending = m_delayedCleanup;
    m_delayedCleanup.Empty();
    for (int i = 0; i < pending.GetSize(); ++i) delete static_cast<CControlUI*>(pending[i]);
}

void CWindowManagerUI::DeleteControls() {
    DeleteDelayedCleanup();
    for (int i = 0; i < m_queuedNotifications.GetSize(); ++i)
        delete static_cast<TNotification*>(m_queuedNotifications[i]);
    m_queuedNotifications.Empty();
    m_names.Resize(0);
    CControlUI* root = m_root;
    m_root = nullptr;
    delete root;
}

}  // namespace Veneer
