#include "ListLabelElementUI.h"

#include <cstdint>
#include <cwchar>

#include "LabelUI.h"
#include "LayoutMath.h"
#include "WindowManagerUI.h"

namespace Veneer {

namespace {

// Draws one line of row text by the style: marked up or plain.
void DrawStyledText(HDC dc, CWindowManagerUI* manager, const TListItemStyle& style, RECT& rc,
                    const wchar_t* text, uint32_t color, UINT format) {
    if (style.showHtml) {
        int links = 0;
        CRenderer::DrawMarkupText(dc, manager, rc, text, color, nullptr, nullptr, links, format);
    } else {
        CRenderer::DrawText(dc, manager, rc, text, color, style.font, format);
    }
}

}  // namespace

const wchar_t* CListLabelElementUI::GetTypeName() const { return L"ListLabelElementUI"; }

void* CListLabelElementUI::QueryPart(const wchar_t* name) {
    if (name && wcscmp(name, L"ListLabelElement") == 0) return this;
    return CListElementUI::QueryPart(name);
}

void CListLabelElementUI::HandleEvent(TControlEvent& event) {
    if (!IsMouseEnabled() && IsMouseEvent(event.type)) {
        if (m_row.owner)
            m_row.owner->HandleEvent(event);
        else
            CListElementUI::HandleEvent(event);
        return;
    }
    if (HandleRowMouse(*this, *this, m_row, event)) return;
    CListElementUI::HandleEvent(event);
}

SIZE CListLabelElementUI::MeasureSize(SIZE) {
    if (m_row.owner == nullptr) return SIZE{0, 0};
    const TListItemStyle& style = *m_row.owner->GetListStyle();
    const RECT pad = style.textPadding;
    int64_t height = m_declaredHeight;
    if (height == 0 && m_manager) {
        TFontRecord* font = m_manager->GetFontRecord(style.font);
        height = int64_t{font ? font->metrics.tmHeight : 0} + pad.top + pad.bottom + 8;
    }
    int64_t width = m_declaredWidth;
    if (width == 0 && m_manager) {
        RECT rc = {0, 0, 9999, SaturateInt(height)};
        const UINT format = (style.textStyle & ~UINT{kTextCenter | kTextRight}) | DT_CALCRECT |
                            kTextSingleLine;
        DrawStyledText(m_manager->GetPaintDC(), m_manager, style, rc, m_text.GetData(), 0, format);
        width = int64_t{rc.right} - rc.left + pad.left + pad.right;
    }
    return SIZE{SaturateInt(width), SaturateInt(height)};
}

void CListLabelElementUI::Render(HDC dc, const RECT& paint) {
    if (!IntersectRect(&m_rcPaint, &paint, &m_rcItem)) return;
    DrawRowBackground(dc, m_rcItem);
    DrawRowText(dc, m_rcItem);
}

void CListLabelElementUI::DrawRowText(HDC dc, const RECT& rc) {
    if (m_text.IsEmpty() || m_row.owner == nullptr) return;
    const TListItemStyle& style = *m_row.owner->GetListStyle();
    const RECT pad = style.textPadding;
    RECT box = {rc.left + pad.left, rc.top + pad.top, rc.right - pad.right, rc.bottom - pad.bottom};
    DrawStyledText(dc, m_manager, style, box, m_text.GetData(),
                   RowTextColor(style, m_row, IsEnabled()), style.textStyle | kTextSingleLine);
}

}  // namespace Veneer
