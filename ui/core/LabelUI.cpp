// The label: text, alignment, colours, attributes and plain or markup drawing.
#include "LabelUI.h"

#include <cwchar>
#include <stdexcept>

#include "AttrValue.h"
#include "WindowManagerUI.h"

namespace Veneer {

namespace {

bool IsTrue(const wchar_t* value) { return wcscmp(value, L"true") == 0; }
int ReadInt(const wchar_t* value) { return static_cast<int>(wcstol(value, nullptr, 10)); }

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
    if (wcscmp(name, L"align") == 0) {
        UINT s = m_textStyle;
        if (wcsstr(value, L"left")) s &= ~(kTextCenter | kTextRight | kTextSingleLine);
        if (wcsstr(value, L"center")) s = (s & ~kTextRight) | kTextCenter;
        if (wcsstr(value, L"right")) s = (s & ~(kTextCenter | kTextSingleLine)) | kTextRight;
        SetTextStyle(s);
    } else if (wcscmp(name, L"valign") == 0) {
        UINT s = m_textStyle;
        if (wcsstr(value, L"top")) s = (s & ~(kTextVCenter | kTextBottom)) | kTextSingleLine;
        if (wcsstr(value, L"vcenter"))
            s = (s & ~kTextBottom) | kTextVCenter | kTextSingleLine;
        if (wcsstr(value, L"bottom"))
            s = (s & ~kTextVCenter) | kTextBottom | kTextSingleLine;
        SetTextStyle(s);
    } else if (wcscmp(name, L"endellipsis") == 0) {
        SetTextStyle(IsTrue(value) ? (m_textStyle | kTextEndEllipsis)
                                   : (m_textStyle & ~kTextEndEllipsis));
    } else if (wcscmp(name, L"font") == 0) {
        SetFont(ReadInt(value));
    } else if (wcscmp(name, L"textcolor") == 0) {
        SetTextColor(ReadHexColor(value));
    } else if (wcscmp(name, L"disabledtextcolor") == 0) {
        SetDisabledTextColor(ReadHexColor(value));
    } else if (wcscmp(name, L"textpadding") == 0) {
        SetTextPadding(ReadRect(value));
    } else if (wcscmp(name, L"showhtml") == 0) {
        SetShowHtml(IsTrue(value));
    } else if (wcscmp(name, L"enabledeffect") == 0) {
        SetEnabledEffect(IsTrue(value));
    } else if (wcscmp(name, L"rhaa") == 0) {
        const int hint = ReadInt(value);
        m_renderingHint = (hint >= 0 && hint <= 5) ? hint : 0;
    } else if (wcscmp(name, L"transshadow") == 0) {
        m_shadowAlpha1 = ReadInt(value);
    } else if (wcscmp(name, L"transshadow1") == 0) {
        m_shadowAlpha2 = ReadInt(value);
    } else if (wcscmp(name, L"transtext") == 0) {
        m_textAlpha1 = ReadInt(value);
    } else if (wcscmp(name, L"transtext1") == 0) {
        m_textAlpha2 = ReadInt(value);
    } else if (wcscmp(name, L"transstroke") == 0) {
        m_strokeAlpha = ReadInt(value);
    } else if (wcscmp(name, L"gradientangle") == 0) {
        m_gradientAngle = ReadInt(value);
    } else if (wcscmp(name, L"gradientlength") == 0) {
        m_gradientLength = ReadInt(value);
    } else if (wcscmp(name, L"enabledstroke") == 0) {
        m_strokeEnabled = IsTrue(value);
    } else if (wcscmp(name, L"enabledshadow") == 0) {
        m_shadowEnabled = IsTrue(value);
    } else if (wcscmp(name, L"shadowoffset") == 0) {
        ApplyShadowOffset(value);
    } else if (wcscmp(name, L"textcolor1") == 0) {
        m_textColor1 = ReadHexColor(value);
    } else if (wcscmp(name, L"textshadowcolora") == 0) {
        m_shadowColorA = ReadHexColor(value);
    } else if (wcscmp(name, L"textshadowcolorb") == 0) {
        m_shadowColorB = ReadHexColor(value);
    } else if (wcscmp(name, L"strokecolor") == 0) {
        m_strokeColor = ReadHexColor(value);
    } else {
        CControlUI::ApplyAttribute(name, value);
    }
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
