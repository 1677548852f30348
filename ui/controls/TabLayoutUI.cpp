// The tab layout: selecting the shown child, keeping the selection through changes of the
// child list, and placing the shown child.
#include "TabLayoutUI.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>

#include "AttrTable.h"
#include "AttrValue.h"
#include "LayoutMath.h"
#include "WindowManagerUI.h"

namespace Veneer {

const wchar_t* CTabLayoutUI::GetTypeName() const { return L"TabLayoutUI"; }

void* CTabLayoutUI::QueryPart(const wchar_t* name) {
    if (name && wcscmp(name, L"TabLayout") == 0) return this;
    return CContainerUI::QueryPart(name);
}

void CTabLayoutUI::TrackAdded(CControlUI* control, int index) {
    if (m_curSel == -1 && control->IsVisible()) {
        m_curSel = index;
        return;
    }
    if (index <= m_curSel) ++m_curSel;
    control->SetVisible(false);
}

bool CTabLayoutUI::Add(CControlUI* control) {
    // The container's Add would come back through AddAt and count the child twice.
    if (!CContainerUI::AddAt(control, GetCount())) return false;
    TrackAdded(control, GetCount() - 1);
    return true;
}

bool CTabLayoutUI::AddAt(CControlUI* control, int index) {
    if (!CContainerUI::AddAt(control, index)) return false;
    TrackAdded(control, index);
    return true;
}

bool CTabLayoutUI::Remove(CControlUI* control) {
    if (control == nullptr) return false;
    const int index = GetItemIndex(control);
    if (!CContainerUI::Remove(control)) return false;
    if (index == m_curSel) {
        if (GetCount() == 0) {
            m_curSel = -1;
        } else {
            m_curSel = 0;
            GetItemAt(0)->SetVisible(true);
        }
        RequestParentLayout();
    } else if (index < m_curSel) {
        --m_curSel;
    }
    return true;
}

void CTabLayoutUI::RemoveAll() {
    m_curSel = -1;
    CContainerUI::RemoveAll();
    RequestParentLayout();
}

bool CTabLayoutUI::SelectItem(int index) {
    if (index < 0 || index >= GetCount()) return false;
    if (index == m_curSel) return true;
    const int previous = m_curSel;
    m_curSel = index;
    // Focus handlers run while this walks the list and may change it, so each step asks again.
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* child = GetItemAt(i);
        if (i == index) {
            child->SetVisible(true);
            child->SetFocus();
            SetPos(m_rcItem, true);
        } else {
            child->SetVisible(false);
        }
    }
    RequestParentLayout();
    if (m_manager) {
        // The focus moves on from the shown child to the next control that takes it.
        m_manager->TabToNextControl(true);
        m_manager->SendNotification(this, L"tabselect", static_cast<WPARAM>(index),
                                    static_cast<LPARAM>(previous));
    }
    return true;
}

void CTabLayoutUI::SetPos(RECT rc, bool needInvalidate) {
    CControlUI::SetPos(rc, needInvalidate);
    const TRect64 area = InsetArea();
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* child = FlowChild(i);
        if (child == nullptr || i != m_curSel) continue;
        const RECT pad = child->GetPadding();
        const TRect64 room = {area.left + pad.left, area.top + pad.top, area.right - pad.right,
                              area.bottom - pad.bottom};
        const int64_t availW = room.right - room.left;
        const int64_t availH = room.bottom - room.top;
        const SIZE measured = child->MeasureSize(SIZE{SaturateInt(availW), SaturateInt(availH)});
        const int64_t w =
            ClampMinMax(measured.cx == 0 ? std::max<int64_t>(availW, 0) : measured.cx,
                        child->GetMinWidth(), child->GetMaxWidth());
        const int64_t h =
            ClampMinMax(measured.cy == 0 ? std::max<int64_t>(availH, 0) : measured.cy,
                        child->GetMinHeight(), child->GetMaxHeight());
        child->SetPos(TRect64{room.left, room.top, room.left + w, room.top + h}.Saturated(),
                      false);
    }
}

void CTabLayoutUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (name == nullptr || value == nullptr) return;
    using C = CTabLayoutUI;
    static constexpr TAttrRow<C> kRows[] = {
        {L"selectedid", [](C& c, const wchar_t* v) { c.SelectItem(ReadInt(v)); }},
    };
    if (!ApplyAttrRow(kRows, *this, name, value)) CContainerUI::ApplyAttribute(name, value);
}

}  // namespace Veneer
