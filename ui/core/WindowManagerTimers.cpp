// Control timers: each control's local timer ids mapped onto the window's timer ids.
#include "WindowManagerUI.h"

namespace Veneer {

bool CWindowManagerUI::SetTimer(CControlUI* control, UINT localId, UINT elapse) {
    // Without a window the system would make a thread timer under an id of its own choosing,
    // which could never be routed back to the control.
    if (m_window == nullptr) return false;
    for (int i = 0; i < m_timers.GetSize(); ++i) {
        auto* t = static_cast<TTimerRecord*>(m_timers[i]);
        if (t->control != control || t->window != m_window || t->localId != localId) continue;
        if (!t->killed) return false;
        if (::SetTimer(m_window, t->windowId, elapse, nullptr) == 0) return false;
        t->killed = false;
        return true;
    }
    // Ids cycle through 0..254; one still held by a record (live, or killed and able to be
    // re-armed) is skipped, or two controls would share one window timer.
    bool free = false;
    for (int tries = 0; tries < 255 && !free; ++tries) {
        m_timerCounter = (m_timerCounter + 1) % 255u;
        free = true;
        for (int i = 0; i < m_timers.GetSize() && free; ++i) {
            auto* t = static_cast<TTimerRecord*>(m_timers[i]);
            if (t->window == m_window && t->windowId == m_timerCounter) free = false;
        }
    }
    if (!free) return false;
    UINT windowId = m_timerCounter;
    if (::SetTimer(m_window, windowId, elapse, nullptr) == 0) return false;
    auto* t = new TTimerRecord{control, localId, m_window, windowId, false};
    if (!m_timers.Add(t)) {
        ::KillTimer(m_window, windowId);
        delete t;
        return false;
    }
    return true;
}

bool CWindowManagerUI::KillTimer(CControlUI* control, UINT localId) {
    for (int i = 0; i < m_timers.GetSize(); ++i) {
        auto* t = static_cast<TTimerRecord*>(m_timers[i]);
        if (t->control != control || t->window != m_window || t->localId != localId || t->killed)
            continue;
        if (IsWindow(m_window)) ::KillTimer(t->window, t->windowId);
        t->killed = true;
        return true;
    }
    return false;
}

void CWindowManagerUI::KillTimer(CControlUI* control) {
    for (int i = m_timers.GetSize() - 1; i >= 0; --i) {
        auto* t = static_cast<TTimerRecord*>(m_timers[i]);
        if (t->control != control || t->window != m_window) continue;
        if (!t->killed) ::KillTimer(t->window, t->windowId);
        delete t;
        m_timers.Remove(i);
    }
}

void CWindowManagerUI::KillTimers() {
    for (int i = 0; i < m_timers.GetSize(); ++i) {
        auto* t = static_cast<TTimerRecord*>(m_timers[i]);
        if (t->window == m_window && !t->killed && IsWindow(m_window))
            ::KillTimer(t->window, t->windowId);
        delete t;
    }
    m_timers.Empty();
}

}  // namespace Veneer
