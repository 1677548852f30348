#include "ListHeaderItemUI.h"

#include <cstdint>
#include <cwchar>

#include "AttrTable.h"
#include "AttrValue.h"
#include "LabelUI.h"
#include "LayoutMath.h"
#include "WindowManagerUI.h"

namespace Veneer {

namespace {

int DefaultFontHeight(CWindowManagerUI* manager) {
    TFontRecord* font = manager ? manager->GetDefaultFontRecord() : nullptr;
    return font ? font->metrics.tmHeight : 0;
}

}  // namespace

CListHeaderItemUI::CListHeaderItemUI() { m_minWidth = 16; }

const wchar_t* CListHeaderItemUI::GetTypeName() const { return L"ListHeaderItemUI"; }

void* CListHeaderItemUI::QueryPart(const wchar_t* name) {
    if (name && wcscmp(name, L"ListHeaderItem") == 0) return this;
    return CControlUI::QueryPart(name);
}

UINT CListHeaderItemUI::GetBehaviourFlags() const {
    return IsEnabled() && m_sepWidth != 0 ? UINT{kBehaviourSetCursor} : 0u;
}

void CListHeaderItemUI::SetEnabled(bool enabled) {
    CControlUI::SetEnabled(enabled);
    if (!IsEnabled()) m_state = 0;
}

void CListHeaderItemUI::SetDragable(bool dragable) {
    m_dragable = dragable;
    if (!m_dragable) m_state &= ~kDragging;
}

RECT CListHeaderItemUI::GetSeparatorRect() const {
    RECT rc = m_rcItem;
    if (m_sepWidth >= 0)
        rc.left = SaturateInt(int64_t{rc.right} - m_sepWidth);
    else
        rc.right = SaturateInt(int64_t{rc.left} - m_sepWidth);
    return rc;
}

RECT CListHeaderItemUI::SeparatorHitRect() const {
    RECT rc = GetSeparatorRect();
    if (m_sepWidth >= 0)
        rc.left -= 4;
    else
        rc.right += 4;
    return rc;
}

void CListHeaderItemUI::HandleEvent(TControlEvent& event) {
    if (!IsMouseEnabled() && IsMouseEvent(event.type)) {
        if (m_parent)
            m_parent->HandleEvent(event);
        else
            CControlUI::HandleEvent(event);
        return;
    }
    const RECT hit = SeparatorHitRect();
    const bool onSeparator = m_sepWidth != 0 && PtInRect(&hit, event.mouse) != FALSE;
    switch (event.type) {
    case kEventSetFocus:
    case kEventKillFocus:
        Invalidate();
        break;
    case kEventButtonDown:
    case kEventDoubleClick:
        if (!IsEnabled()) return;
        if (onSeparator) {
            if (m_dragable) {
                m_state |= kDragging;
                m_dragOrigin = event.mouse;
            }
            return;
        }
        m_state |= kPushed;
        if (m_manager) m_manager->SendNotification(this, L"headerclick");
        Invalidate();
        return;
    case kEventButtonUp:
        if (m_state & kDragging) {
            m_state &= ~kDragging;
            if (m_parent) m_parent->RequestParentLayout();
        } else if (m_state & kPushed) {
            m_state &= ~kPushed;
            Invalidate();
        }
        return;
    case kEventMouseMove: {
        if (!(m_state & kDragging)) return;
        const int64_t dx = int64_t{event.mouse.x} - m_dragOrigin.x;
        const int64_t width = m_sepWidth >= 0
                                  ? int64_t{m_rcItem.right} + dx - m_rcItem.left
                                  : int64_t{m_rcItem.right} - (int64_t{m_rcItem.left} + dx);
        // Too narrow a column is refused; the drag goes on from the last accepted point.
        if (width <= m_minWidth) return;
        m_declaredWidth = SaturateInt(width);
        m_dragOrigin = event.mouse;
        if (m_parent) m_parent->RequestParentLayout();
        return;
    }
    case kEventSetCursor:
        if (IsEnabled() && m_dragable && onSeparator) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_SIZEWE));
            return;
        }
        break;
    case kEventMouseEnter:
        if (IsEnabled()) {
            m_state |= kHot;
            Invalidate();
        }
        return;
    case kEventMouseLeave:
        if (IsEnabled()) {
            m_state &= ~kHot;
            Invalidate();
        }
        return;
    default:
        break;
    }
    CControlUI::HandleEvent(event);
}

void CListHeaderItemUI::SetImage(TImageDrawInfo& info, const wchar_t* description) {
    if (ReloadImageRecord(info, description, m_manager, m_rcItem)) Invalidate();
}

void CListHeaderItemUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (name == nullptr || value == nullptr) return;
    using C = CListHeaderItemUI;
    static constexpr TAttrRow<C> kRows[] = {
        {L"dragable", [](C& c, const wchar_t* v) { c.SetDragable(ReadBool(v)); }},
        {L"sepwidth", [](C& c, const wchar_t* v) { c.m_sepWidth = ReadInt(v); }},
        {L"align",
         [](C& c, const wchar_t* v) {
             if (wcsstr(v, L"left")) c.m_textStyle &= ~UINT{kTextCenter | kTextRight};
             if (wcsstr(v, L"center")) {
                 c.m_textStyle &= ~UINT{kTextRight};
                 c.m_textStyle |= kTextCenter;
             }
             if (wcsstr(v, L"right")) {
                 c.m_textStyle &= ~UINT{kTextCenter};
                 c.m_textStyle |= kTextRight;
             }
         }},
        {L"endellipsis",
         [](C& c, const wchar_t* v) {
             if (ReadBool(v))
                 c.m_textStyle |= kTextEndEllipsis;
             else
                 c.m_textStyle &= ~UINT{kTextEndEllipsis};
         }},
        {L"font", [](C& c, const wchar_t* v) { c.m_font = ReadInt(v); }},
        {L"textcolor", [](C& c, const wchar_t* v) { c.m_textColor = ReadHexColor(v); }},
        {L"textpadding",
         [](C& c, const wchar_t* v) {
             c.m_textPadding = ReadRect(v);
             c.Invalidate();
         }},
        {L"showhtml",
         [](C& c, const wchar_t* v) {
             const bool show = ReadBool(v);
             if (show == c.m_showHtml) return;
             c.m_showHtml = show;
             c.Invalidate();
         }},
        {L"normalimage", [](C& c, const wchar_t* v) { c.SetImage(c.m_normalImage, v); }},
        {L"hotimage", [](C& c, const wchar_t* v) { c.SetImage(c.m_hotImage, v); }},
        {L"pushedimage", [](C& c, const wchar_t* v) { c.SetImage(c.m_pushedImage, v); }},
        {L"focusedimage", [](C& c, const wchar_t* v) { c.SetImage(c.m_focusedImage, v); }},
        {L"sepimage", [](C& c, const wchar_t* v) { c.SetImage(c.m_sepImage, v); }},
    };
    if (!ApplyAttrRow(kRows, *this, name, value)) CControlUI::ApplyAttribute(name, value);
}

SIZE CListHeaderItemUI::MeasureSize(SIZE available) {
    if (m_declaredHeight != 0) return CControlUI::MeasureSize(available);
    return SIZE{m_declaredWidth, DefaultFontHeight(m_manager) + 14};
}

void CListHeaderItemUI::RenderStateImages(HDC dc) {
    if (IsFocused())
        m_state |= kFocused;
    else
        m_state &= ~kFocused;
    TImageDrawInfo* chosen = nullptr;
    if (m_state & kPushed)
        chosen = &m_pushedImage;
    else if (m_state & kHot)
        chosen = &m_hotImage;
    else if (m_state & kFocused)
        chosen = &m_focusedImage;
    if (chosen == nullptr || !DrawImage(dc, *chosen)) DrawImage(dc, m_normalImage);

    // The separator image goes where the separator is, whatever its description placed.
    if (!CRenderer::DrawImageDescriptor(nullptr, m_manager, m_rcItem, m_rcPaint, m_sepImage))
        return;
    const RECT sep = GetSeparatorRect();
    m_sepImage.dest = RECT{sep.left - m_rcItem.left, sep.top - m_rcItem.top,
                           sep.right - m_rcItem.left, sep.bottom - m_rcItem.top};
    DrawImage(dc, m_sepImage);
}

void CListHeaderItemUI::RenderText(HDC dc) {
    if (m_manager == nullptr) return;
    if (m_textColor == 0) m_textColor = m_manager->GetDefaultFontColor();
    if (m_text.IsEmpty()) return;
    RECT box = {m_rcItem.left + m_textPadding.left, m_rcItem.top + m_textPadding.top,
                m_rcItem.right - m_textPadding.right, m_rcItem.bottom - m_textPadding.bottom};
    const UINT style = m_textStyle | kTextSingleLine;
    if (m_showHtml) {
        int links = 0;
        CRenderer::DrawMarkupText(dc, m_manager, box, m_text.GetData(), m_textColor, nullptr,
                                  nullptr, links, style);
    } else {
        CRenderer::DrawText(dc, m_manager, box, m_text.GetData(), m_textColor, m_font, style);
    }
}

}  // namespace Veneer
