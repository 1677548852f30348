// The window manager's hold on the control tree: attaching the root, the name index, delayed
// deletion of controls removed while they may still be on the call stack, and tear-down.
#include "ControlUI.h"
#include "UIInterfaces.h"
#include "WindowManagerUI.h"

namespace Veneer {

namespace {

// Enters every named control; a later control of the same name replaces an earlier one.
CControlUI* CALLBACK IndexProc(CControlUI* control, void* data) {
    const CUIString name = control->GetName();
    if (!name.IsEmpty()) static_cast<CUIStringMap*>(data)->Set(name.GetData(), control);
    return nullptr;
}

}  // namespace

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
    control->LocateControl(&IndexProc, &m_names, 0);
    return true;
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
