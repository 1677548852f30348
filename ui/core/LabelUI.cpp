// The label: text, alignment, colours, attributes and plain or markup drawing.
#include "LabelUI.h"

#include <cwchar>
#include <stdexcept>

#include "AttrTable.h"
#include "AttrValue.h"
#include "WindowManagerUI.h"

namespace Veneer {

namespace {

// "align": the words are looked for in this order, so the last one found wins.
UINT WithAlign(UINT style, const wchar_t* value) {
    if (wcsstr(value, L"left")) style &= ~(kTextCenter | kTextRight | kTextSingleLine);
    if (wcsstr(value, L"center")) style = (style & ~kTextRight) | kTextCenter;
    if (wcsstr(value, L"right")) style = (style & ~(kTextCenter | kTextSingleLine)) | kTextRight;
    return style;
}

// "valign", read the same way.
UINT WithVAlign(UINT style, const wchar_t* value) {
    if (wcsstr(value, L"top")) style = (style & ~(kTextVCenter | kTextBottom)) | kTextSingleLine;
    if (wcsstr(value, L"vcenter"))
        style = (style & ~kTextBottom) | kTextVCenter | kTextSingleLine;
    if (wcsstr(value, L"bottom"))
        style = (style & ~kTextVCenter) | kTextBottom | kTextSingleLine;
    return style;
}

}  // namespace

const wchar_t* CLabelUI::GetTypeName() const { return L"LabelUI"; }

void* CLabelUI::QueryPart(const wchar_t* name) {
    if (name && wcscmp(name, L"Label") == 0) return this;
    return CControlUI::QueryPart(name);
}

CUIString CLabelUI::GetText() const {
    try {
        return m_effects ? m_effectText : m_text;
    } catch (...) {
        throw std::runtime_error("CLabelUI::GetText");
    }
}

void CLabelUI::SetText(const wchar_t* text) {
    try {
        if (m_effects)
            m_effectText = text ? text : L"";
        else
            CControlUI::SetText(text);
    } catch (...) {
        throw std::runtime_error("CLabelUI::SetText");
    }
}

void CLabelUI::SetEnabledEffect(bool on) {
    try {
        m_effects = on;
        m_effectText = m_text;
    } catch (...) {
        throw std::runtime_error("CLabelUI::SetEnabledEffect");
    }
}

void CLabelUI::HandleEvent(TControlEvent& event) {
    if (event.type == kEventSetFocus) {
        m_focused = true;
        return;
    }
    if (event.type == kEventKillFocus) {
        m_focused = false;
        return;
    }
    CControlUI::HandleEvent(event);
}

void CLabelUI::SetTextStyle(UINT style) {
    m_textStyle = style;
    Invalidate();
}

void CLabelUI::SetTextColor(uint32_t color) {
    m_textColor = color;
    Invalidate();
}

void CLabelUI::SetDisabledTextColor(uint32_t color) {
    m_disabledTextColor = color;
    Invalidate();
}

void CLabelUI::SetFont(int index) {
    m_font = index;
    Invalidate();
}

void CLabelUI::SetTextPadding(RECT rc) {
    m_textPadding = rc;
    Invalidate();
}

void CLabelUI::SetShowHtml(bool show) {
    if (m_showHtml == show) return;
    m_showHtml = show;
    Invalidate();
}

void CLabelUI::ApplyShadowOffset(const wchar_t* value) {
    int v[2];
    ReadIntList(value, v, 2);
    const int d = v[0];
    const int a = v[1];
    if (a < -180 || a > 180) return;
    const float left = static_cast<float>(m_rcItem.left);
    const float top = static_cast<float>(m_rcItem.top);
    if (a >= 0)
        m_shadowOffsetY = top - static_cast<float>(d);
    else if (a > -180)
        m_shadowOffsetY = top + static_cast<float>(d);
    else
        m_shadowOffsetY = top;
    if (a > -90 && a <= 90)
        m_shadowOffsetX = left - static_cast<float>(d);
    else if (a == -90)
        m_shadowOffsetX = left;
    else
        m_shadowOffsetX = left + static_cast<float>(d);
}

void CLabelUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (name == nullptr || value == nullptr) return;
    using C = CLabelUI;
    static constexpr TAttrRow<C> kRows[] = {
        {L"align", [](C& c, const wchar_t* v) { c.SetTextStyle(WithAlign(c.m_textStyle, v)); }},
        {L"valign", [](C& c, const wchar_t* v) { c.SetTextStyle(WithVAlign(c.m_textStyle, v)); }},
        {L"endellipsis",
         [](C& c, const wchar_t* v) {
             c.SetTextStyle(ReadBool(v) ? (c.m_textStyle | kTextEndEllipsis)
                                        : (c.m_textStyle & ~kTextEndEllipsis));
         }},
        {L"font", [](C& c, const wchar_t* v) { c.SetFont(ReadInt(v)); }},
        {L"textcolor", [](C& c, const wchar_t* v) { c.SetTextColor(ReadHexColor(v)); }},
        {L"disabledtextcolor",
         [](C& c, const wchar_t* v) { c.SetDisabledTextColor(ReadHexColor(v)); }},
        {L"textpadding", [](C& c, const wchar_t* v) { c.SetTextPadding(ReadRect(v)); }},
        {L"showhtml", [](C& c, const wchar_t* v) { c.SetShowHtml(ReadBool(v)); }},
        {L"enabledeffect", [](C& c, const wchar_t* v) { c.SetEnabledEffect(ReadBool(v)); }},
        {L"rhaa",
         [](C& c, const wchar_t* v) {
             // GDI+ knows hints 0 to 5; anything else falls back to the system default.
             const int hint = ReadInt(v);
             c.m_renderingHint = (hint >= 0 && hint <= 5) ? hint : 0;
         }},
        {L"transshadow", [](C& c, const wchar_t* v) { c.m_shadowAlpha1 = ReadInt(v); }},
        {L"transshadow1", [](C& c, const wchar_t* v) { c.m_shadowAlpha2 = ReadInt(v); }},
        {L"transtext", [](C& c, const wchar_t* v) { c.m_textAlpha1 = ReadInt(v); }},
        {L"transtext1", [](C& c, const wchar_t* v) { c.m_textAlpha2 = ReadInt(v); }},
        {L"transstroke", [](C& c, const wchar_t* v) { c.m_strokeAlpha = ReadInt(v); }},
        {L"gradientangle", [](C& c, const wchar_t* v) { c.m_gradientAngle = ReadInt(v); }},
        {L"gradientlength", [](C& c, const wchar_t* v) { c.m_gradientLength = ReadInt(v); }},
        {L"enabledstroke", [](C& c, const wchar_t* v) { c.m_strokeEnabled = ReadBool(v); }},
        {L"enabledshadow", [](C& c, const wchar_t* v) { c.m_shadowEnabled = ReadBool(v); }},
        {L"shadowoffset", [](C& c, const wchar_t* v) { c.ApplyShadowOffset(v); }},
        {L"textcolor1", [](C& c, const wchar_t* v) { c.m_textColor1 = ReadHexColor(v); }},
        {L"textshadowcolora", [](C& c, const wchar_t* v) { c.m_shadowColorA = ReadHexColor(v); }},
        {L"textshadowcolorb", [](C& c, const wchar_t* v) { c.m_shadowColorB = ReadHexColor(v); }},
        {L"strokecolor", [](C& c, const wchar_t* v) { c.m_strokeColor = ReadHexColor(v); }},
    };
    if (!ApplyAttrRow(kRows, *this, name, value)) CControlUI::ApplyAttribute(name, value);
}

SIZE CLabelUI::MeasureSize(SIZE) {
    if (m_declaredHeight != 0) return SIZE{m_declaredWidth, m_declaredHeight};
    int fontHeight = 0;
    if (m_manager) {
        TFontRecord* record = m_manager->GetFontRecord(m_font);
        if (record) fontHeight = record->metrics.tmHeight;
    }
    return SIZE{m_declaredWidth, fontHeight + 4};
}

void CLabelUI::ResolveTextColors() {
    if (m_manager == nullptr) return;
    if (m_textColor == 0) m_textColor = m_manager->GetDefaultFontColor();
    if (m_disabledTextColor == 0) m_disabledTextColor = m_manager->GetDisabledFontColor();
}

RECT CLabelUI::TextBox() const {
    return RECT{m_rcItem.left + m_textPadding.left, m_rcItem.top + m_textPadding.top,
                m_rcItem.right - m_textPadding.right, m_rcItem.bottom - m_textPadding.bottom};
}

void CLabelUI::RenderText(HDC dc) {
    ResolveTextColors();
    RECT box = TextBox();
    if (m_effects) {
        RenderEffectText(dc, box);
        return;
    }
    if (m_text.IsEmpty() || m_manager == nullptr) return;
    const uint32_t color = IsEnabled() ? m_textColor : m_disabledTextColor;
    const UINT style = m_textStyle | kTextSingleLine;
    if (m_showHtml) {
        int links = 0;
        CRenderer::DrawMarkupText(dc, m_manager, box, m_text.GetData(), color, nullptr, nullptr,
                                  links, style);
    } else {
        CRenderer::DrawText(dc, m_manager, box, m_text.GetData(), color, m_font, style);
    }
}

}  // namespace Veneer
