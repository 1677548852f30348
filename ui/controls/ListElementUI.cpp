#include "ListElementUI.h"

#include <cwchar>

#include "WindowManagerUI.h"

namespace Veneer {

const wchar_t* CListElementUI::GetTypeName() const { return L"ListElementUI"; }

void* CListElementUI::QueryPart(const wchar_t* name) {
    if (name && wcscmp(name, L"ListItem") == 0) return static_cast<IListItemUI*>(this);
    if (name && wcscmp(name, L"ListElement") == 0) return this;
    return CControlUI::QueryPart(name);
}

UINT CListElementUI::GetBehaviourFlags() const { return kBehaviourWantReturn; }

bool CListElementUI::Activate() {
    if (!CControlUI::Activate()) return false;
    if (m_manager) m_manager->SendNotification(this, L"itemactivate");
    return true;
}

void CListElementUI::SetVisible(bool visible) {
    CControlUI::SetVisible(visible);
    DeselectHiddenRow(*this, m_row);
}

void CListElementUI::SetEnabled(bool enabled) {
    CControlUI::SetEnabled(enabled);
    if (!IsEnabled()) m_row.state = 0;
}

void CListElementUI::PassOn(TControlEvent& event) {
    if (m_row.owner)
        m_row.owner->HandleEvent(event);
    else
        CControlUI::HandleEvent(event);
}

void CListElementUI::HandleEvent(TControlEvent& event) {
    if (IsMouseEnabled() || !IsMouseEvent(event.type)) {
        if (event.type == kEventDoubleClick) {
            if (IsEnabled()) {
                Activate();
                InvalidateRow(*this);
            }
            return;
        }
        if (event.type == kEventKeyDown && event.key == VK_RETURN && IsEnabled()) {
            Activate();
            InvalidateRow(*this);
            return;
        }
    }
    PassOn(event);
}

void CListElementUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (name == nullptr || value == nullptr) return;
    // Layouts written for this framework select with any value, "false" included.
    if (wcscmp(name, L"selected") == 0)
        Select(true);
    else
        CControlUI::ApplyAttribute(name, value);
}

int CListElementUI::GetIndex() const { return m_row.index; }
void CListElementUI::SetIndex(int index) { m_row.index = index; }
IListOwnerUI* CListElementUI::GetOwner() { return m_row.owner; }
void CListElementUI::SetOwner(CControlUI* owner) { m_row.owner = ListOwnerOf(owner); }
bool CListElementUI::IsSelected() const { return m_row.selected; }
bool CListElementUI::Select(bool select) { return SelectRow(*this, m_row, select); }
bool CListElementUI::IsExpanded() const { return false; }
bool CListElementUI::Expand(bool) { return false; }

void CListElementUI::DrawRowBackground(HDC dc, const RECT& rc) {
    Veneer::DrawRowBackground(*this, m_row, m_bkImage, dc, rc);
}

}  // namespace Veneer
