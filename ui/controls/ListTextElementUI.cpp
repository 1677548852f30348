#include "ListTextElementUI.h"

#include <cwchar>

#include "LabelUI.h"
#include "WindowManagerUI.h"

namespace Veneer {

CListTextElementUI::~CListTextElementUI() {
    for (int i = 0; i < m_columnTexts.GetSize(); ++i)
        delete static_cast<CUIString*>(m_columnTexts[i]);
}

const wchar_t* CListTextElementUI::GetTypeName() const { return L"ListTextElementUI"; }

void* CListTextElementUI::QueryPart(const wchar_t* name) {
    if (name && wcscmp(name, L"ListTextElement") == 0) return this;
    return CListLabelElementUI::QueryPart(name);
}

UINT CListTextElementUI::GetBehaviourFlags() const {
    if (IsEnabled() && m_linkCount > 0) return kBehaviourWantReturn | kBehaviourSetCursor;
    return kBehaviourWantReturn;
}

void CListTextElementUI::SetOwner(CControlUI* owner) {
    CListLabelElementUI::SetOwner(owner);
    m_listOwner = owner ? static_cast<IListUI*>(owner->QueryPart(L"IList")) : nullptr;
}

const wchar_t* CListTextElementUI::GetText(int column) const {
    if (column < 0 || column >= m_columnTexts.GetSize()) return nullptr;
    return static_cast<const CUIString*>(m_columnTexts[column])->GetData();
}

bool CListTextElementUI::SetText(int column, const wchar_t* text) {
    if (column < 0) return false;
    while (m_columnTexts.GetSize() <= column) m_columnTexts.Add(new CUIString);
    *static_cast<CUIString*>(m_columnTexts[column]) = text ? text : L"";
    InvalidateRow(*this);
    return true;
}

int CListTextElementUI::LinkAt(POINT pt) const {
    for (int i = 0; i < m_linkCount && i < kMaxLinks; ++i)
        if (PtInRect(&m_linkRects[i], pt)) return i;
    return -1;
}

void CListTextElementUI::HandleEvent(TControlEvent& event) {
    if (!IsMouseEnabled() && IsMouseEvent(event.type)) {
        if (m_listOwner)
            m_listOwner->HandleEvent(event);
        else
            CListLabelElementUI::HandleEvent(event);
        return;
    }
    if (event.type == kEventSetCursor && LinkAt(event.mouse) >= 0) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
        return;
    }
    if (event.type == kEventButtonUp && IsEnabled()) {
        const int link = LinkAt(event.mouse);
        if (link >= 0) {
            if (m_manager) m_manager->SendNotification(this, L"link", static_cast<WPARAM>(link));
            return;
        }
    }
    if (event.type == kEventMouseMove && m_linkCount > 0) {
        const int hovered = LinkAt(event.mouse);
        if (hovered != m_hoveredLink) {
            InvalidateRow(*this);
            m_hoveredLink = hovered;
        }
    }
    if (event.type == kEventMouseLeave && m_linkCount > 0 && m_hoveredLink >= 0) {
        InvalidateRow(*this);
        m_hoveredLink = -1;
    }
    CListLabelElementUI::HandleEvent(event);
}

SIZE CListTextElementUI::MeasureSize(SIZE) {
    int height = m_declaredHeight;
    if (height == 0 && m_manager && m_listOwner) {
        const TListItemStyle& style = *m_listOwner->GetListStyle();
        TFontRecord* font = m_manager->GetFontRecord(style.font);
        height = (font ? font->metrics.tmHeight : 0) + style.textPadding.top +
                 style.textPadding.bottom + 8;
    }
    return SIZE{m_declaredWidth, height};
}

void CListTextElementUI::DrawRowText(HDC dc, const RECT& rc) {
    if (m_listOwner == nullptr) return;
    const TListItemStyle& style = *m_listOwner->GetListStyle();
    IListTextProvider* provider = m_listOwner->GetTextProvider();
    const uint32_t color = RowTextColor(style, m_row, IsEnabled());
    const RECT pad = style.textPadding;
    const UINT format = style.textStyle | kTextSingleLine;
    m_linkCount = 0;
    for (int i = 0; i < style.ColumnBound(); ++i) {
        const RECT& column = style.columnRects[i];
        RECT cell = {column.left + pad.left, rc.top + pad.top, column.right - pad.right,
                     rc.bottom - pad.bottom};
        const wchar_t* text = provider ? provider->GetItemText(this, m_row.index, i) : GetText(i);
        if (text == nullptr) text = L"";
        if (style.showHtml) {
            // Links beyond the row's capacity are drawn but not kept, first columns first.
            int room = kMaxLinks - m_linkCount;
            const bool keep = room > 0;
            CRenderer::DrawMarkupText(dc, m_manager, cell, text, color,
                                      keep ? &m_linkRects[m_linkCount] : nullptr,
                                      keep ? &m_linkTexts[m_linkCount] : nullptr, room, format);
            if (keep) m_linkCount += room;
        } else {
            CRenderer::DrawText(dc, m_manager, cell, text, color, style.font, format);
        }
    }
    for (int i = m_linkCount; i < kMaxLinks; ++i) {
        m_linkRects[i] = RECT{0, 0, 0, 0};
        m_linkTexts[i].Empty();
    }
}

}  // namespace Veneer
