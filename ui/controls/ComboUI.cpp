#include "ComboUI.h"

#include <cwchar>

#include "AttrTable.h"
#include "AttrValue.h"
#include "ButtonUI.h"
#include "ComboWnd.h"
#include "LabelUI.h"
#include "WindowManagerUI.h"

namespace Veneer {

CComboUI::CComboUI() {
    // The popup rows look like a list's, but keep no column layout of their own.
    m_listStyle.columns = 0;
    m_listStyle.font = -1;
    m_listStyle.textStyle = kTextVCenter;
    m_listStyle.textColor = 0xFF000000;
    m_listStyle.bkColor = 0;
    m_listStyle.alternateBk = false;
    m_listStyle.selectedTextColor = 0xFF000000;
    m_listStyle.selectedBkColor = 0xFFC1E3FF;
    m_listStyle.hotTextColor = 0xFF000000;
    m_listStyle.hotBkColor = 0xFFE9F5FF;
    m_listStyle.disabledTextColor = 0xFFCCCCCC;
    m_listStyle.disabledBkColor = 0xFFFFFFFF;
    m_listStyle.lineColor = 0;
    m_listStyle.showHtml = false;
}

CComboUI::~CComboUI() {
    // The popup shows the rows this combo is about to delete: it goes first and hands them
    // back on its way.
    if (m_dropWindow) m_dropWindow->Dismiss();
}

const wchar_t* CComboUI::GetTypeName() const { return L"ComboUI"; }

void* CComboUI::QueryPart(const wchar_t* name) {
    if (name && wcscmp(name, L"Combo") == 0) return this;
    if (name && wcscmp(name, L"IListOwner") == 0) return static_cast<IListOwnerUI*>(this);
    return CContainerUI::QueryPart(name);
}

bool CComboUI::Activate() {
    if (!CControlUI::Activate()) return false;
    if (m_dropWindow) return true;
    auto* popup = new CComboWnd;
    m_dropWindow = popup;
    if (!popup->Init(this)) {
        // No window came of it: the combo stays closed.
        m_dropWindow = nullptr;
        delete popup;
        return false;
    }
    if (m_manager) m_manager->SendNotification(this, L"dropdown");
    Invalidate();
    return true;
}

CUIString CComboUI::GetText() const {
    if (m_curSel < 0) return CUIString();
    CControlUI* row = GetItemAt(m_curSel);
    return row ? row->GetText() : CUIString();
}

void CComboUI::SetDropBoxAttributes(const wchar_t* attributes) {
    m_dropBoxAttributes = attributes ? attributes : L"";
}

void CComboUI::SetShowText(bool show) {
    m_showText = show;
    Invalidate();
}

void CComboUI::SetTextPadding(RECT padding) {
    m_textPadding = padding;
    Invalidate();
}

// ---- selection -----------------------------------------------------------------------------

TListItemStyle* CComboUI::GetListStyle() { return &m_listStyle; }
int CComboUI::GetCurSel() const { return m_curSel; }

bool CComboUI::SelectItem(int index, bool takeFocus) {
    if (m_dropWindow) m_dropWindow->CloseWnd(1);
    if (index == m_curSel) return true;
    const int old = m_curSel;
    if (m_curSel >= 0) {
        IListItemUI* previous = AsListItem(GetItemAt(m_curSel));
        m_curSel = -1;
        // A selection that names no row is dropped rather than kept for ever.
        if (GetItemAt(old) == nullptr) return false;
        if (previous) previous->Select(false);
    }
    if (index < 0 || GetCount() == 0) return false;
    if (index >= GetCount()) index = GetCount() - 1;
    CControlUI* control = GetItemAt(index);
    IListItemUI* row = AsListItem(control);
    if (control == nullptr || !control->IsVisible() || !control->IsEnabled() || row == nullptr)
        return false;
    m_curSel = index;
    if (m_dropWindow || takeFocus) control->SetFocus();
    row->Select(true);
    if (m_manager)
        m_manager->SendNotification(this, L"itemselect", static_cast<WPARAM>(m_curSel),
                                    static_cast<LPARAM>(old));
    Invalidate();
    return true;
}

// ---- rows ----------------------------------------------------------------------------------

void CComboUI::RenumberRows(int from, int to) {
    for (int i = from < 0 ? 0 : from; i <= to && i < GetCount(); ++i)
        if (IListItemUI* row = AsListItem(GetItemAt(i))) row->SetIndex(i);
}

bool CComboUI::Add(CControlUI* control) { return AddAt(control, GetCount()); }

bool CComboUI::AddAt(CControlUI* control, int index) {
    if (!CContainerUI::AddAt(control, index)) return false;
    if (m_dropWindow) m_dropWindow->AdoptRow(control, index);
    if (IListItemUI* row = AsListItem(control)) {
        row->SetOwner(this);
        row->SetIndex(index);
    }
    RenumberRows(index + 1, GetCount() - 1);
    if (m_curSel >= index) ++m_curSel;
    return true;
}

bool CComboUI::Remove(CControlUI* control) {
    const int index = GetItemIndex(control);
    return index >= 0 && RemoveAt(index);
}

bool CComboUI::RemoveAt(int index) {
    CControlUI* control = GetItemAt(index);
    if (control == nullptr) return false;
    // The popup lets go first: the row may be deleted at once.
    if (m_dropWindow) m_dropWindow->DropRow(control);
    if (!CContainerUI::Remove(control)) return false;
    RenumberRows(index, GetCount() - 1);
    if (index == m_curSel) {
        m_curSel = -1;
        SelectItem(NextSelectableIndex(index, false), false);
    } else if (index < m_curSel) {
        --m_curSel;
    }
    return true;
}

void CComboUI::RemoveAll() {
    m_curSel = -1;
    if (m_dropWindow) m_dropWindow->DropAllRows();
    CContainerUI::RemoveAll();
}

bool CComboUI::SetItemIndex(CControlUI* control, int index) {
    const int old = GetItemIndex(control);
    if (old < 0) return false;
    if (old == index) return true;
    IListItemUI* selected = m_curSel >= 0 ? AsListItem(GetItemAt(m_curSel)) : nullptr;
    // A refused index still moves the row, to the end: the bookkeeping follows where it went.
    const bool moved = CContainerUI::SetItemIndex(control, index);
    const int now = GetItemIndex(control);
    if (m_dropWindow) m_dropWindow->MoveRow(control, now);
    RenumberRows(old < now ? old : now, old < now ? now : old);
    if (m_curSel >= 0 && selected) m_curSel = selected->GetIndex();
    return moved;
}

void CComboUI::DropWindowGone(CComboWnd* window) {
    if (m_dropWindow != window) return;
    m_dropWindow = nullptr;
    m_buttonState &= ~UINT{kStatePushed};
    Invalidate();
}

// ---- events --------------------------------------------------------------------------------

void CComboUI::HandleEvent(TControlEvent& event) {
    if (!IsMouseEnabled() && IsMouseEvent(event.type)) {
        if (m_parent)
            m_parent->HandleEvent(event);
        else
            CContainerUI::HandleEvent(event);
        return;
    }
    switch (event.type) {
    case kEventSetFocus:
    case kEventKillFocus:
        Invalidate();
        break;
    case kEventButtonDown:
        if (IsEnabled()) {
            Activate();
            m_buttonState |= kStatePushed | kStateCaptured;
        }
        return;
    case kEventButtonUp:
        if (m_buttonState & kStateCaptured) {
            m_buttonState &= ~UINT{kStateCaptured};
            Invalidate();
        }
        return;
    case kEventMouseMove:
    case kEventContextMenu:
        return;
    case kEventKeyDown:
        switch (event.key) {
        case VK_F4: Activate(); return;
        case VK_UP:
        case VK_PRIOR: SelectItem(NextSelectableIndex(m_curSel - 1, false), false); return;
        case VK_DOWN:
        case VK_NEXT: SelectItem(NextSelectableIndex(m_curSel + 1, true), false); return;
        case VK_HOME: SelectItem(NextSelectableIndex(0, false), false); return;
        case VK_END: SelectItem(NextSelectableIndex(GetCount() - 1, true), false); return;
        default: break;
        }
        break;
    case kEventScrollWheel: {
        const bool forward = LOWORD(event.wParam) == 1;
        SelectItem(NextSelectableIndex(m_curSel + (forward ? 1 : -1), forward), false);
        return;
    }
    case kEventMouseEnter:
        if (PtInRect(&m_rcItem, event.mouse)) {
            m_buttonState |= kStateHot;
            Invalidate();
        }
        return;
    case kEventMouseLeave:
        if (m_buttonState & kStateHot) {
            m_buttonState &= ~UINT{kStateHot};
            Invalidate();
        }
        return;
    default:
        break;
    }
    CControlUI::HandleEvent(event);
}

void CComboUI::SetEnabled(bool enabled) {
    CContainerUI::SetEnabled(enabled);
    if (!IsEnabled()) m_buttonState = 0;
}

// ---- layout and painting -------------------------------------------------------------------

SIZE CComboUI::MeasureSize(SIZE available) {
    if (m_declaredHeight != 0) return CControlUI::MeasureSize(available);
    TFontRecord* font = m_manager ? m_manager->GetDefaultFontRecord() : nullptr;
    return SIZE{m_declaredWidth, (font ? font->metrics.tmHeight : 0) + 12};
}

void CComboUI::SetPos(RECT rc, bool needInvalidate) {
    // The rows are never shown in place. While the popup shows them its layout places them.
    if (m_dropWindow == nullptr || !m_dropWindow->HoldsRows()) {
        for (int i = 0; i < GetCount(); ++i) GetItemAt(i)->SetPos(RECT{0, 0, 0, 0}, false);
    }
    CControlUI::SetPos(rc, needInvalidate);
}

void CComboUI::Move(SIZE offset, bool needInvalidate) { CControlUI::Move(offset, needInvalidate); }

void CComboUI::Render(HDC dc, const RECT& paint) { CControlUI::Render(dc, paint); }

void CComboUI::RenderStateImages(HDC dc) {
    if (IsFocused())
        m_buttonState |= kStateFocused;
    else
        m_buttonState &= ~UINT{kStateFocused};
    if (!IsEnabled())
        m_buttonState |= kStateDisabled;
    else
        m_buttonState &= ~UINT{kStateDisabled};
    TImageDrawInfo* chosen = nullptr;
    if (m_buttonState & kStateDisabled)
        chosen = &m_disabledImage;
    else if (m_buttonState & kStatePushed)
        chosen = &m_pushedImage;
    else if (m_buttonState & kStateHot)
        chosen = &m_hotImage;
    else if (m_buttonState & kStateFocused)
        chosen = &m_focusedImage;
    if (chosen && DrawImage(dc, *chosen)) return;
    DrawImage(dc, m_normalImage);
}

void CComboUI::RenderText(HDC dc) {
    if (!m_showText || m_curSel < 0) return;
    CControlUI* control = GetItemAt(m_curSel);
    if (control == nullptr) return;
    const RECT area = {m_rcItem.left + m_textPadding.left, m_rcItem.top + m_textPadding.top,
                       m_rcItem.right - m_textPadding.right,
                       m_rcItem.bottom - m_textPadding.bottom};
    if (IListItemUI* row = AsListItem(control)) {
        row->DrawRowText(dc, area);
        return;
    }
    const RECT kept = control->GetPos();
    control->SetPos(area, false);
    control->Render(dc, area);
    control->SetPos(kept, false);
}

// ---- attributes ----------------------------------------------------------------------------

void CComboUI::SetFaceImage(TImageDrawInfo& info, const wchar_t* description, bool repaint) {
    if (ResetImageRecord(info, description) && repaint) Invalidate();
}

void CComboUI::SetNormalImage(const wchar_t* d) { SetFaceImage(m_normalImage, d, true); }
void CComboUI::SetHotImage(const wchar_t* d) { SetFaceImage(m_hotImage, d, true); }
void CComboUI::SetPushedImage(const wchar_t* d) { SetFaceImage(m_pushedImage, d, true); }
void CComboUI::SetFocusedImage(const wchar_t* d) { SetFaceImage(m_focusedImage, d, true); }
void CComboUI::SetDisabledImage(const wchar_t* d) { SetFaceImage(m_disabledImage, d, true); }
void CComboUI::SetItemBkImage(const wchar_t* d) { SetFaceImage(m_listStyle.bkImage, d, false); }
void CComboUI::SetItemSelectedImage(const wchar_t* d) {
    SetFaceImage(m_listStyle.selectedImage, d, false);
}
void CComboUI::SetItemHotImage(const wchar_t* d) { SetFaceImage(m_listStyle.hotImage, d, false); }
void CComboUI::SetItemDisabledImage(const wchar_t* d) {
    SetFaceImage(m_listStyle.disabledImage, d, false);
}

void CComboUI::SetItemTextPadding(RECT padding) {
    m_listStyle.textPadding = padding;
    Invalidate();
}

void CComboUI::SetItemTextColor(uint32_t color) {
    m_listStyle.textColor = color;
    Invalidate();
}

void CComboUI::SetItemShowHtml(bool show) {
    if (m_listStyle.showHtml == show) return;
    m_listStyle.showHtml = show;
    Invalidate();
}

void CComboUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (name == nullptr || value == nullptr) return;
    using C = CComboUI;
    static constexpr TAttrRow<C> kRows[] = {
        {L"textpadding", [](C& c, const wchar_t* v) { c.SetTextPadding(ReadRect(v)); }},
        {L"showtext", [](C& c, const wchar_t* v) { c.SetShowText(ReadBool(v)); }},
        {L"normalimage", [](C& c, const wchar_t* v) { c.SetNormalImage(v); }},
        {L"hotimage", [](C& c, const wchar_t* v) { c.SetHotImage(v); }},
        {L"pushedimage", [](C& c, const wchar_t* v) { c.SetPushedImage(v); }},
        {L"focusedimage", [](C& c, const wchar_t* v) { c.SetFocusedImage(v); }},
        {L"disabledimage", [](C& c, const wchar_t* v) { c.SetDisabledImage(v); }},
        {L"dropbox", [](C& c, const wchar_t* v) { c.SetDropBoxAttributes(v); }},
        {L"dropboxsize",
         [](C& c, const wchar_t* v) {
             int size[2] = {0, 0};
             ReadIntList(v, size, 2);
             c.SetDropBoxSize(SIZE{size[0], size[1]});
         }},
        {L"itemfont", [](C& c, const wchar_t* v) { c.SetItemFont(ReadInt(v)); }},
        {L"itemalign",
         [](C& c, const wchar_t* v) {
             UINT& s = c.m_listStyle.textStyle;
             if (wcsstr(v, L"left")) s &= ~UINT{kTextCenter | kTextRight};
             if (wcsstr(v, L"center")) s = (s & ~UINT{kTextRight}) | kTextCenter;
             if (wcsstr(v, L"right")) s = (s & ~UINT{kTextCenter}) | kTextRight;
         }},
        {L"itemtextpadding", [](C& c, const wchar_t* v) { c.SetItemTextPadding(ReadRect(v)); }},
        {L"itemtextcolor", [](C& c, const wchar_t* v) { c.SetItemTextColor(ReadHexColor(v)); }},
        {L"itembkcolor", [](C& c, const wchar_t* v) { c.SetItemBkColor(ReadHexColor(v)); }},
        {L"itembkimage", [](C& c, const wchar_t* v) { c.SetItemBkImage(v); }},
        {L"itemaltbk", [](C& c, const wchar_t* v) { c.SetItemAltBk(ReadBool(v)); }},
        {L"itemselectedtextcolor",
         [](C& c, const wchar_t* v) { c.SetSelectedItemTextColor(ReadHexColor(v)); }},
        {L"itemselectedbkcolor",
         [](C& c, const wchar_t* v) { c.SetSelectedItemBkColor(ReadHexColor(v)); }},
        {L"itemselectedimage", [](C& c, const wchar_t* v) { c.SetItemSelectedImage(v); }},
        {L"itemhottextcolor",
         [](C& c, const wchar_t* v) { c.SetHotItemTextColor(ReadHexColor(v)); }},
        {L"itemhotbkcolor", [](C& c, const wchar_t* v) { c.SetHotItemBkColor(ReadHexColor(v)); }},
        {L"itemhotimage", [](C& c, const wchar_t* v) { c.SetItemHotImage(v); }},
        {L"itemdisabledtextcolor",
         [](C& c, const wchar_t* v) { c.SetDisabledItemTextColor(ReadHexColor(v)); }},
        {L"itemdisabledbkcolor",
         [](C& c, const wchar_t* v) { c.SetDisabledItemBkColor(ReadHexColor(v)); }},
        {L"itemdisabledimage", [](C& c, const wchar_t* v) { c.SetItemDisabledImage(v); }},
        {L"itemlinecolor", [](C& c, const wchar_t* v) { c.SetItemLineColor(ReadHexColor(v)); }},
        {L"itemshowhtml", [](C& c, const wchar_t* v) { c.SetItemShowHtml(ReadBool(v)); }},
    };
    if (!ApplyAttrRow(kRows, *this, name, value)) CContainerUI::ApplyAttribute(name, value);
}

}  // namespace Veneer
