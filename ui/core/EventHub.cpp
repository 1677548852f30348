// Bound-callback lists of the controls.
#include "ControlEvent.h"

namespace Veneer {

// One Invoke under way. A delegate may delete the control that holds the hub: the calls
// still on the stack then stop, and the delegates (one of them still running) are deleted by
// the outermost call when it ends.
struct CEventHub::TInvokeFrame {
    TInvokeFrame* outer = nullptr;
    bool alive = true;
    CUIPtrArray orphans;
};

CEventHub::~CEventHub() {
    if (m_frames == nullptr) {
        for (int i = 0; i < m_delegates.GetSize(); ++i)
            delete static_cast<CDelegateBase*>(m_delegates[i]);
        return;
    }
    TInvokeFrame* outermost = m_frames;
    for (TInvokeFrame* f = m_frames; f != nullptr; f = f->outer) {
        f->alive = false;
        outermost = f;
    }
    outermost->orphans = m_delegates;
}

void CEventHub::Add(const CDelegateBase& delegate) {
    for (int i = 0; i < m_delegates.GetSize(); ++i) {
        auto* held = static_cast<CDelegateBase*>(m_delegates[i]);
        if (held && held->Equals(delegate)) return;
    }
    CDelegateBase* copy = delegate.Copy();
    if (copy && !m_delegates.Add(copy)) delete copy;
}

bool CEventHub::Invoke(void* param) {
    if (m_delegates.IsEmpty()) return true;
    TInvokeFrame frame;
    frame.outer = m_frames;
    m_frames = &frame;
    // Delegates added meanwhile run from the next call on.
    const CUIPtrArray delegates = m_delegates;
    bool result = true;
    for (int i = 0; i < delegates.GetSize() && result; ++i) {
        auto* held = static_cast<CDelegateBase*>(delegates[i]);
        if (held == nullptr) continue;
        result = held->Invoke(param);
        if (!frame.alive) break;
    }
    if (!frame.alive) {
        for (int i = 0; i < frame.orphans.GetSize(); ++i)
            delete static_cast<CDelegateBase*>(frame.orphans[i]);
        return false;
    }
    m_frames = frame.outer;
    return result;
}

}  // namespace Veneer
