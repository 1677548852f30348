// Bound-callback lists of the controls.
#include "ControlEvent.h"

namespace Veneer {

CEventHub::~CEventHub() {
    for (int i = 0; i < m_delegates.GetSize(); ++i)
        delete static_cast<CDelegateBase*>(m_delegates[i]);
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
    for (int i = 0; i < m_delegates.GetSize(); ++i) {
        auto* held = static_cast<CDelegateBase*>(m_delegates[i]);
        if (held && !held->Invoke(param)) return false;
    }
    return true;
}

}  // namespace Veneer
