#include "ListContainerElementUI.h"

#include <cwchar>

#include "WindowManagerUI.h"

namespace Veneer {

const wchar_t* CListContainerElementUI::GetTypeName() const { return L"ListContainerElementUI"; }

void* CListContainerElementUI::QueryPart(const wchar_t* name) {
    if (name && wcscmp(name, L"ListItem") == 0) return static_cast<IListItemUI*>(this);
    if (name && wcscmp(name, L"ListContainerElement") == 0) return this;
    return CContainerUI::QueryPart(name);
}

UINT CListContainerElementUI::GetBehaviourFlags() const { return kBehaviourWantReturn; }

bool CListContainerElementUI::Activate() {
    if (!CContainerUI::Activate()) return false;
    if (m_manager) m_manager->SendNotification(this, L"itemactivate");
    return true;
}

void CListContainerElementUI::SetVisible(bool visible) {
    CContainerUI::SetVisible(visible);
    DeselectHiddenRow(*this, m_row);
}

void CListContainerElementUI::SetEnabled(bool enabled) {
    CContainerUI::SetEnabled(enabled);
    if (!IsEnabled()) m_row.state = 0;
}

void CListContainerElementUI::HandleEvent(TControlEvent& event) {
    auto passOn = [&] {
        if (m_row.owner)
            m_row.owner->HandleEvent(event);
        else
            CContainerUI::HandleEvent(event);
    };
    if (!IsMouseEnabled() && IsMouseEvent(event.type)) return passOn();
    if (HandleRowMouse(*this, *this, m_row, event)) return;
    switch (event.type) {
    case kEventDoubleClick:
        if (IsEnabled()) {
            Activate();
            InvalidateRow(*this);
        }
        return;
    case kEventKeyDown:
        if (event.key == VK_RETURN && IsEnabled()) {
            Activate();
            InvalidateRow(*this);
            return;
        }
        break;
    default:
        break;
    }
    if (m_row.owner)
        m_row.owner->HandleEvent(event);
    else
        CControlUI::HandleEvent(event);
}

void CListContainerElementUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (name == nullptr || value == nullptr) return;
    // Layouts written for this framework select with any value, "false" included.
    if (wcscmp(name, L"selected") == 0)
        Select(true);
    else
        CContainerUI::ApplyAttribute(name, value);
}

void CListContainerElementUI::Render(HDC dc, const RECT& paint) {
    if (!IntersectRect(&m_rcPaint, &paint, &m_rcItem)) return;
    DrawRowBackground(dc);
    CContainerUI::Render(dc, paint);
}

int CListContainerElementUI::GetIndex() const { return m_row.index; }
void CListContainerElementUI::SetIndex(int index) { m_row.index = index; }
IListOwnerUI* CListContainerElementUI::GetOwner() { return m_row.owner; }
void CListContainerElementUI::SetOwner(CControlUI* owner) { m_row.owner = ListOwnerOf(owner); }
bool CListContainerElementUI::IsSelected() const { return m_row.selected; }
bool CListContainerElementUI::Select(bool select) { return SelectRow(*this, m_row, select); }
bool CListContainerElementUI::IsExpanded() const { return false; }
bool CListContainerElementUI::Expand(bool) { return false; }
void CListContainerElementUI::DrawRowText(HDC, const RECT&) {}

void CListContainerElementUI::DrawRowBackground(HDC dc) {
    Veneer::DrawRowBackground(*this, m_row, m_bkImage, dc, m_rcItem);
}

}  // namespace Veneer
