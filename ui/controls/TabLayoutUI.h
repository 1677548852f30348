// A container that shows one child at a time, the selected one, over its whole inner area, and
// tells the window when the shown child changes ("tabselect").
#pragma once
#include <windows.h>

#include "ContainerUI.h"

namespace Veneer {

class CTabLayoutUI : public CContainerUI {
public:
    const wchar_t* GetTypeName() const override;
    void* QueryPart(const wchar_t* name) override;
    void SetPos(RECT rc, bool needInvalidate = true) override;
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;

    // The child list keeps the selection on the same child, and every other child hidden.
    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;
    void RemoveAll() override;

    // The index of the shown child, -1 when there is none.
    int GetCurSel() const { return m_curSel; }
    // Shows and focuses child `index` and hides the others; false for an index outside the
    // children.
    bool SelectItem(int index);

private:
    // After a child came in: the first visible child becomes the selection, any other is hidden.
    void TrackAdded(CControlUI* control, int index);

    int m_curSel = -1;
};

}  // namespace Veneer
