#include "ListUI.h"

#include <algorithm>
#include <cwchar>

#include "AttrTable.h"
#include "AttrValue.h"
#include "LabelUI.h"
#include "ListBodyUI.h"
#include "ListHeaderUI.h"
#include "ScrollBarUI.h"
#include "WindowManagerUI.h"

namespace Veneer {

namespace {

bool IsHeaderItem(CControlUI* control) {
    return wcsstr(control->GetTypeName(), L"ListHeaderItemUI") != nullptr;
}

int ColumnsOf(CListHeaderUI* header) {
    return std::min(header->GetCount(), kMaxListColumns);
}

}  // namespace

CListUI::CListUI() {
    m_body = new CListBodyUI(this);
    m_header = new CListHeaderUI;
    Add(m_header);
    CContainerUI::AddAt(m_body, m_items.GetSize());
}

const wchar_t* CListUI::GetTypeName() const { return L"ListUI"; }

void* CListUI::QueryPart(const wchar_t* name) {
    if (name && wcscmp(name, L"List") == 0) return this;
    if (name && wcscmp(name, L"IList") == 0) return static_cast<IListUI*>(this);
    if (name && wcscmp(name, L"IListOwner") == 0)
        return static_cast<IListOwnerUI*>(static_cast<IListUI*>(this));
    return CVerticalLayoutUI::QueryPart(name);
}

UINT CListUI::GetBehaviourFlags() const { return kBehaviourTabStop; }

CListHeaderUI* CListUI::GetHeader() const {
    if (m_header && m_items.Find(m_header) < 0) m_header = nullptr;
    return m_header;
}

CContainerUI* CListUI::GetList() const { return m_body; }

// ---- the child list ------------------------------------------------------------------------

CControlUI* CListUI::GetItemAt(int index) const { return m_body->GetItemAt(index); }
int CListUI::GetCount() const { return m_body->GetCount(); }

int CListUI::GetItemIndex(CControlUI* control) const {
    CListHeaderUI* header = GetHeader();
    if (control == nullptr) return -1;
    if (control == header) return CContainerUI::GetItemIndex(control);
    if (IsHeaderItem(control)) return header ? header->GetItemIndex(control) : -1;
    return m_body->GetItemIndex(control);
}

bool CListUI::SetItemIndex(CControlUI* control, int index) {
    if (control == nullptr) return false;
    CListHeaderUI* header = GetHeader();
    if (control->QueryPart(L"ListHeader")) return CContainerUI::SetItemIndex(control, index);
    if (IsHeaderItem(control)) return header && header->SetItemIndex(control, index);
    return m_body->SetItemIndex(control, index);
}

bool CListUI::Add(CControlUI* control) {
    if (control == nullptr) return false;
    if (control->QueryPart(L"ListHeader")) {
        // A header already among the list's children stays one child: listed twice it would
        // be deleted twice.
        if (m_items.Find(control) >= 0) return false;
        CListHeaderUI* header = GetHeader();
        if (control != header && (header == nullptr || header->GetCount() == 0)) {
            if (header) CContainerUI::Remove(header);
            m_header = static_cast<CListHeaderUI*>(control->QueryPart(L"ListHeader"));
        }
        if (m_header) m_style.columns = ColumnsOf(m_header);
        return CContainerUI::AddAt(control, 0);
    }
    if (IsHeaderItem(control)) {
        CListHeaderUI* header = GetHeader();
        if (header == nullptr) return false;
        const bool added = header->Add(control);
        m_style.columns = ColumnsOf(header);
        return added;
    }
    return m_body->Add(control);
}

bool CListUI::AddAt(CControlUI* control, int index) {
    if (control == nullptr) return false;
    if (control->QueryPart(L"ListHeader")) return Add(control);
    if (IsHeaderItem(control)) {
        CListHeaderUI* header = GetHeader();
        if (header == nullptr) return false;
        const bool added = header->AddAt(control, index);
        m_style.columns = ColumnsOf(header);
        return added;
    }
    return m_body->AddAt(control, index);
}

bool CListUI::Remove(CControlUI* control) {
    if (control == nullptr) return false;
    if (control->QueryPart(L"ListHeader")) {
        if (control == GetHeader()) {
            // The rows lose their columns with the header; nothing keeps pointing at it.
            m_header = nullptr;
            m_style.columns = 0;
        }
        return CContainerUI::Remove(control);
    }
    if (IsHeaderItem(control)) {
        CListHeaderUI* header = GetHeader();
        if (header == nullptr || !header->Remove(control)) return false;
        m_style.columns = ColumnsOf(header);
        return true;
    }
    return m_body->Remove(control);
}

bool CListUI::RemoveAt(int index) { return m_body->RemoveAt(index); }
void CListUI::RemoveAll() { m_body->RemoveAll(); }

void CListUI::RowLeaving(CControlUI*) {}

void CListUI::RowInserted(int index) {
    if (m_curSel >= index) ++m_curSel;
    if (m_expanded >= index) ++m_expanded;
}

void CListUI::RowRemoved(int index) {
    if (m_expanded == index)
        m_expanded = -1;
    else if (m_expanded > index)
        --m_expanded;
    if (m_curSel == index) {
        m_curSel = -1;
        SelectItem(m_body->NextSelectableIndex(index, false), false);
    } else if (m_curSel > index) {
        --m_curSel;
    }
    // Rows removed behind the list's back may leave a selection past the end.
    if (m_curSel >= m_body->GetCount()) m_curSel = -1;
}

void CListUI::RowsCleared() {
    m_curSel = -1;
    m_expanded = -1;
}

void CListUI::RowsMoved(int selected, int expanded) {
    m_curSel = selected;
    m_expanded = expanded;
}

// ---- padding and scrolling: the body's -----------------------------------------------------

int CListUI::GetChildPadding() const { return m_body->GetChildPadding(); }
void CListUI::SetChildPadding(int padding) { m_body->SetChildPadding(padding); }
int CListUI::NextSelectableIndex(int index, bool forward) const {
    return m_body->NextSelectableIndex(index, forward);
}
SIZE CListUI::GetScrollPos() const { return m_body->GetScrollPos(); }
SIZE CListUI::GetScrollRange() const { return m_body->GetScrollRange(); }
void CListUI::SetScrollPos(SIZE pos) { m_body->SetScrollPos(pos); }
void CListUI::ScrollLineUp() { m_body->ScrollLineUp(); }
void CListUI::ScrollLineDown() { m_body->ScrollLineDown(); }
void CListUI::ScrollPageUp() { m_body->ScrollPageUp(); }
void CListUI::ScrollPageDown() { m_body->ScrollPageDown(); }
void CListUI::ScrollToTop() { m_body->ScrollToTop(); }
void CListUI::ScrollToBottom() { m_body->ScrollToBottom(); }
void CListUI::ScrollLineLeft() { m_body->ScrollLineLeft(); }
void CListUI::ScrollLineRight() { m_body->ScrollLineRight(); }
void CListUI::ScrollPageLeft() { m_body->ScrollPageLeft(); }
void CListUI::ScrollPageRight() { m_body->ScrollPageRight(); }
void CListUI::ScrollToLeftEnd() { m_body->ScrollToLeftEnd(); }
void CListUI::ScrollToRightEnd() { m_body->ScrollToRightEnd(); }
void CListUI::EnableScrollBar(bool vertical, bool horizontal) {
    m_body->EnableScrollBar(vertical, horizontal);
}
CScrollBarUI* CListUI::GetVerticalScrollBar() const { return m_body->GetVerticalScrollBar(); }
CScrollBarUI* CListUI::GetHorizontalScrollBar() const {
    return m_body->GetHorizontalScrollBar();
}

void CListUI::Scroll(int dx, int dy) {
    if (dx == 0 && dy == 0) return;
    const SIZE pos = m_body->GetScrollPos();
    m_body->SetScrollPos(SIZE{pos.cx + dx, pos.cy + dy});
}

void CListUI::EnsureVisible(int index) {
    if (m_curSel < 0) return;
    CControlUI* row = GetItemAt(index);
    if (row == nullptr) return;
    const RECT item = row->GetPos();
    const RECT body = m_body->GetPos();
    const RECT inset = m_body->GetInset();
    const int top = body.top + inset.top;
    int bottom = body.bottom - inset.bottom;
    CScrollBarUI* hbar = m_body->GetHorizontalScrollBar();
    if (hbar && hbar->IsVisible()) bottom -= hbar->GetDeclaredHeight();
    if (item.top >= top && item.bottom < bottom) return;
    int dy = 0;
    if (item.top < top) dy = item.top - top;
    if (item.bottom > bottom) dy = item.bottom - bottom;
    Scroll(0, dy);
}

// ---- selection and expansion ---------------------------------------------------------------

TListItemStyle* CListUI::GetListStyle() { return &m_style; }
int CListUI::GetCurSel() const { return m_curSel; }
IListTextProvider* CListUI::GetTextProvider() const { return m_provider; }
void CListUI::SetTextProvider(IListTextProvider* provider) { m_provider = provider; }
int CListUI::GetExpandedItem() const { return m_expanded; }

bool CListUI::SelectItem(int index, bool takeFocus) {
    if (index == m_curSel) return true;
    const int previous = m_curSel;
    if (m_curSel >= 0) {
        // The old row may be gone already; only a row still in the body is told.
        if (IListItemUI* old = AsListItem(GetItemAt(m_curSel))) old->Select(false);
        m_curSel = -1;
    }
    if (index < 0) return false;
    CControlUI* control = GetItemAt(index);
    if (control == nullptr || !control->IsVisible() || !control->IsEnabled()) return false;
    IListItemUI* row = AsListItem(control);
    if (row == nullptr) return false;
    m_curSel = index;
    if (!row->Select(true)) {
        m_curSel = -1;
        return false;
    }
    EnsureVisible(m_curSel);
    if (takeFocus) control->SetFocus();
    if (m_manager)
        m_manager->SendNotification(this, L"itemselect", static_cast<WPARAM>(m_curSel),
                                    static_cast<LPARAM>(previous));
    return true;
}

bool CListUI::ExpandItem(int index, bool expand) {
    if (m_expanded >= 0 && !m_style.multiExpanding) {
        if (IListItemUI* row = AsListItem(GetItemAt(m_expanded))) row->Expand(false);
        m_expanded = -1;
    }
    if (expand) {
        CControlUI* control = GetItemAt(index);
        if (control == nullptr || !control->IsVisible()) return false;
        IListItemUI* row = AsListItem(control);
        if (row == nullptr) return false;
        m_expanded = index;
        if (!row->Expand(true)) {
            m_expanded = -1;
            return false;
        }
    }
    RequestLayout();
    return true;
}

// ---- layout --------------------------------------------------------------------------------

void CListUI::CollectColumns(CListHeaderUI* header) {
    m_style.columns = ColumnsOf(header);
    const int x = m_body->GetScrollPos().cx;
    for (int i = 0; i < m_style.columns; ++i) {
        CControlUI* item = header->GetItemAt(i);
        if (!item->IsVisible() || item->IsFloat()) continue;
        if (x > 0) {
            RECT rc = item->GetPos();
            OffsetRect(&rc, -x, 0);
            item->SetPos(rc, false);
        }
        m_style.columnRects[i] = item->GetPos();
    }
}

void CListUI::LayOutHeader(CListHeaderUI* header, RECT band) {
    const bool hidden = !header->IsVisible();
    if (hidden)
        for (int i = 0; i < header->GetCount(); ++i) header->GetItemAt(i)->SetInheritedVisible(true);
    header->SetPos(band, false);
    CollectColumns(header);
    // Back to what the header's own visibility gives its items.
    if (hidden) header->SetInheritedVisible(IsVisible());
}

void CListUI::SetPos(RECT rc, bool needInvalidate) {
    CListHeaderUI* header = GetHeader();
    if (header) {
        m_style.columns = ColumnsOf(header);
        LayOutHeader(header, RECT{rc.left + m_inset.left, 0, rc.right - m_inset.right, 0});
    }
    CVerticalLayoutUI::SetPos(rc, needInvalidate);
    header = GetHeader();
    if (header == nullptr) return;
    const RECT band = {m_rcItem.left + m_inset.left, 0, m_rcItem.right - m_inset.right, 0};
    if (!header->IsVisible())
        LayOutHeader(header, band);
    else
        CollectColumns(header);
}

void CListUI::Move(SIZE offset, bool needInvalidate) {
    CVerticalLayoutUI::Move(offset, needInvalidate);
    CListHeaderUI* header = GetHeader();
    if (header && !header->IsVisible()) header->Move(offset, false);
}

// ---- keyboard and wheel --------------------------------------------------------------------

void CListUI::HandleEvent(TControlEvent& event) {
    if (!IsMouseEnabled() && IsMouseEvent(event.type)) {
        if (m_parent)
            m_parent->HandleEvent(event);
        else
            CVerticalLayoutUI::HandleEvent(event);
        return;
    }
    switch (event.type) {
    case kEventSetFocus:
        m_focused = true;
        return;
    case kEventKillFocus:
        m_focused = false;
        return;
    case kEventKeyDown:
        switch (event.key) {
        case VK_RETURN:
            if (m_curSel >= 0)
                if (CControlUI* row = GetItemAt(m_curSel)) row->Activate();
            return;
        case VK_PRIOR: ScrollPageUp(); return;
        case VK_NEXT: ScrollPageDown(); return;
        case VK_HOME: SelectItem(NextSelectableIndex(0, false), true); return;
        case VK_END: SelectItem(NextSelectableIndex(GetCount() - 1, true), true); return;
        case VK_UP: SelectItem(NextSelectableIndex(m_curSel - 1, false), true); return;
        case VK_DOWN: SelectItem(NextSelectableIndex(m_curSel + 1, true), true); return;
        default: break;
        }
        break;
    case kEventScrollWheel:
        switch (LOWORD(event.wParam)) {
        case SB_LINEUP:
            if (m_scrollSelect)
                SelectItem(NextSelectableIndex(m_curSel - 1, false), true);
            else
                ScrollLineUp();
            return;
        case SB_LINEDOWN:
            if (m_scrollSelect)
                SelectItem(NextSelectableIndex(m_curSel + 1, true), true);
            else
                ScrollLineDown();
            return;
        default: break;
        }
        break;
    default:
        break;
    }
    CVerticalLayoutUI::HandleEvent(event);
}

// ---- attributes ----------------------------------------------------------------------------

void CListUI::SetImage(TImageDrawInfo& info, const wchar_t* description) {
    if (ReloadImageRecord(info, description, m_manager, m_rcItem)) Invalidate();
}

void CListUI::SetStyleColor(uint32_t& field, const wchar_t* value) {
    field = ReadHexColor(value);
    Invalidate();
}

void CListUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (name == nullptr || value == nullptr) return;
    using C = CListUI;
    static constexpr TAttrRow<C> kRows[] = {
        {L"header",
         [](C& c, const wchar_t* v) {
             if (CListHeaderUI* h = c.GetHeader()) h->SetVisible(wcscmp(v, L"hidden") != 0);
         }},
        {L"headerbkimage",
         [](C& c, const wchar_t* v) {
             if (CListHeaderUI* h = c.GetHeader()) h->SetBkImage(v);
         }},
        {L"scrollselect", [](C& c, const wchar_t* v) { c.m_scrollSelect = ReadBool(v); }},
        {L"multiexpanding", [](C& c, const wchar_t* v) { c.m_style.multiExpanding = ReadBool(v); }},
        {L"itemfont", [](C& c, const wchar_t* v) { c.m_style.font = ReadInt(v); }},
        {L"itemalign",
         [](C& c, const wchar_t* v) {
             UINT& s = c.m_style.textStyle;
             if (wcsstr(v, L"left")) s &= ~UINT{kTextCenter | kTextRight};
             if (wcsstr(v, L"center")) s = (s & ~UINT{kTextRight}) | kTextCenter;
             if (wcsstr(v, L"right")) s = (s & ~UINT{kTextCenter}) | kTextRight;
         }},
        {L"itemendellipsis",
         [](C& c, const wchar_t* v) {
             if (ReadBool(v))
                 c.m_style.textStyle |= kTextEndEllipsis;
             else
                 c.m_style.textStyle &= ~UINT{kTextEndEllipsis};
         }},
        {L"itemtextpadding",
         [](C& c, const wchar_t* v) {
             c.m_style.textPadding = ReadRect(v);
             c.RequestLayout();
         }},
        {L"itemtextcolor", [](C& c, const wchar_t* v) { c.SetStyleColor(c.m_style.textColor, v); }},
        {L"itembkcolor", [](C& c, const wchar_t* v) { c.SetStyleColor(c.m_style.bkColor, v); }},
        {L"itemselectedtextcolor",
         [](C& c, const wchar_t* v) { c.SetStyleColor(c.m_style.selectedTextColor, v); }},
        {L"itemselectedbkcolor",
         [](C& c, const wchar_t* v) { c.SetStyleColor(c.m_style.selectedBkColor, v); }},
        {L"itemhottextcolor",
         [](C& c, const wchar_t* v) { c.SetStyleColor(c.m_style.hotTextColor, v); }},
        {L"itemhotbkcolor",
         [](C& c, const wchar_t* v) { c.SetStyleColor(c.m_style.hotBkColor, v); }},
        {L"itemdisabledtextcolor",
         [](C& c, const wchar_t* v) { c.SetStyleColor(c.m_style.disabledTextColor, v); }},
        {L"itemdisabledbkcolor",
         [](C& c, const wchar_t* v) { c.SetStyleColor(c.m_style.disabledBkColor, v); }},
        {L"itemlinecolor",
         [](C& c, const wchar_t* v) { c.SetStyleColor(c.m_style.lineColor, v); }},
        {L"itembkimage", [](C& c, const wchar_t* v) { c.SetImage(c.m_style.bkImage, v); }},
        {L"itemselectedimage",
         [](C& c, const wchar_t* v) { c.SetImage(c.m_style.selectedImage, v); }},
        {L"itemhotimage", [](C& c, const wchar_t* v) { c.SetImage(c.m_style.hotImage, v); }},
        {L"itemdisabledimage",
         [](C& c, const wchar_t* v) { c.SetImage(c.m_style.disabledImage, v); }},
        {L"itemaltbk",
         [](C& c, const wchar_t* v) {
             c.m_style.alternateBk = ReadBool(v);
             c.Invalidate();
         }},
        {L"itemshowhtml",
         [](C& c, const wchar_t* v) {
             const bool show = ReadBool(v);
             if (show == c.m_style.showHtml) return;
             c.m_style.showHtml = show;
             c.RequestLayout();
         }},
        // The scroll bars are the body's: both bars are switched there, neither undoing the
        // other.
        {L"vscrollbar", [](C& c, const wchar_t* v) { c.m_body->ApplyAttribute(L"vscrollbar", v); }},
        {L"hscrollbar", [](C& c, const wchar_t* v) { c.m_body->ApplyAttribute(L"hscrollbar", v); }},
        {L"vscrollbarstyle",
         [](C& c, const wchar_t* v) { c.m_body->ApplyAttribute(L"vscrollbarstyle", v); }},
        {L"hscrollbarstyle",
         [](C& c, const wchar_t* v) { c.m_body->ApplyAttribute(L"hscrollbarstyle", v); }},
    };
    if (!ApplyAttrRow(kRows, *this, name, value)) CVerticalLayoutUI::ApplyAttribute(name, value);
}

}  // namespace Veneer
