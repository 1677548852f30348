// The button's state machine, attributes and painting.
#include "ButtonUI.h"

#include <cwchar>

#include "AttrTable.h"
#include "AttrValue.h"
#include "WindowManagerUI.h"

namespace Veneer {

CButtonUI::CButtonUI() { m_textStyle = kTextCenter | kTextVCenter | kTextSingleLine; }
CButtonUI::~CButtonUI() = default;

const wchar_t* CButtonUI::GetTypeName() const { return L"ButtonUI"; }

void* CButtonUI::QueryPart(const wchar_t* name) {
    if (name && wcscmp(name, L"Button") == 0) return this;
    return CLabelUI::QueryPart(name);
}

UINT CButtonUI::GetBehaviourFlags() const {
    if (!IsEnabled()) return 0;
    return kBehaviourSetCursor | (IsKeyboardEnabled() ? UINT{kBehaviourTabStop} : 0u);
}

bool CButtonUI::Activate() {
    if (!CLabelUI::Activate()) return false;
    if (m_manager) m_manager->SendNotification(this, L"click", 0, 0);
    return true;
}

void CButtonUI::SetEnabled(bool enabled) {
    CLabelUI::SetEnabled(enabled);
    if (!IsEnabled()) m_buttonState = 0;
}

void CButtonUI::HandleEvent(TControlEvent& event) {
    if (!IsMouseEnabled() && IsMouseEvent(event.type)) {
        if (m_parent)
            m_parent->HandleEvent(event);
        else
            CLabelUI::HandleEvent(event);
        return;
    }
    const bool inside = PtInRect(&m_rcItem, event.mouse) != FALSE;
    switch (event.type) {
    case kEventSetFocus:
    case kEventKillFocus:
        Invalidate();
        break;
    case kEventKeyDown:
        if (IsKeyboardEnabled() && (event.key == VK_SPACE || event.key == VK_RETURN)) {
            Activate();
            return;
        }
        break;
    case kEventButtonDown:
    case kEventDoubleClick:
        if (inside && IsEnabled()) {
            m_buttonState |= kStatePushed | kStateCaptured;
            Invalidate();
        }
        return;
    case kEventMouseMove:
        if (m_buttonState & kStateCaptured) {
            if (inside)
                m_buttonState |= kStatePushed;
            else
                m_buttonState &= ~kStatePushed;
            Invalidate();
        }
        return;
    case kEventButtonUp:
        if (m_buttonState & kStateCaptured) {
            m_buttonState &= ~(kStatePushed | kStateCaptured);
            Invalidate();
            if (inside) Activate();
        }
        return;
    case kEventContextMenu:
        if (IsMenuEnabled() && m_manager)
            m_manager->SendNotification(this, L"menu", event.wParam, event.lParam);
        return;
    case kEventMouseEnter:
        if (IsEnabled()) {
            m_buttonState |= kStateHot;
            Invalidate();
        }
        break;
    case kEventMouseLeave:
        if (IsEnabled()) {
            m_buttonState &= ~kStateHot;
            Invalidate();
        }
        break;
    case kEventSetCursor:
        ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
        return;
    default:
        break;
    }
    CLabelUI::HandleEvent(event);
}

void CButtonUI::SetStateImage(TImageDrawInfo& info, const wchar_t* description) {
    if (ResetImageRecord(info, description)) Invalidate();
}

void CButtonUI::SetNormalImage(const wchar_t* d) { SetStateImage(m_normalImage, d); }
void CButtonUI::SetHotImage(const wchar_t* d) { SetStateImage(m_hotImage, d); }
void CButtonUI::SetHotForeImage(const wchar_t* d) { SetStateImage(m_hotForeImage, d); }
void CButtonUI::SetPushedImage(const wchar_t* d) { SetStateImage(m_pushedImage, d); }
void CButtonUI::SetFocusedImage(const wchar_t* d) { SetStateImage(m_focusedImage, d); }
void CButtonUI::SetDisabledImage(const wchar_t* d) { SetStateImage(m_disabledImage, d); }

void CButtonUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (name == nullptr || value == nullptr) return;
    using C = CButtonUI;
    static constexpr TAttrRow<C> kRows[] = {
        {L"normalimage", [](C& c, const wchar_t* v) { c.SetNormalImage(v); }},
        {L"hotimage", [](C& c, const wchar_t* v) { c.SetHotImage(v); }},
        {L"hotforeimage", [](C& c, const wchar_t* v) { c.SetHotForeImage(v); }},
        {L"pushedimage", [](C& c, const wchar_t* v) { c.SetPushedImage(v); }},
        {L"focusedimage", [](C& c, const wchar_t* v) { c.SetFocusedImage(v); }},
        {L"disabledimage", [](C& c, const wchar_t* v) { c.SetDisabledImage(v); }},
        {L"foreimage", [](C& c, const wchar_t* v) { c.SetForeImage(v); }},
        {L"hotbkcolor", [](C& c, const wchar_t* v) { c.SetHotBkColor(ReadHexColor(v)); }},
        {L"hottextcolor", [](C& c, const wchar_t* v) { c.SetHotTextColor(ReadHexColor(v)); }},
        {L"pushedtextcolor", [](C& c, const wchar_t* v) { c.SetPushedTextColor(ReadHexColor(v)); }},
        {L"focusedtextcolor",
         [](C& c, const wchar_t* v) { c.SetFocusedTextColor(ReadHexColor(v)); }},
    };
    if (!ApplyAttrRow(kRows, *this, name, value)) CLabelUI::ApplyAttribute(name, value);
}

SIZE CButtonUI::MeasureSize(SIZE) {
    if (m_declaredHeight != 0) return SIZE{m_declaredWidth, m_declaredHeight};
    int fontHeight = 0;
    if (m_manager) {
        TFontRecord* record = m_manager->GetFontRecord(m_font);
        if (record) fontHeight = record->metrics.tmHeight;
    }
    return SIZE{m_declaredWidth, fontHeight + 8};
}

void CButtonUI::SyncFocusAndDisabledBits() {
    if (IsFocused())
        m_buttonState |= kStateFocused;
    else
        m_buttonState &= ~kStateFocused;
    if (!IsEnabled())
        m_buttonState |= kStateDisabled;
    else
        m_buttonState &= ~kStateDisabled;
}

void CButtonUI::DrawOrNormal(HDC dc, TImageDrawInfo& image) {
    if (!DrawImage(dc, image)) DrawImage(dc, m_normalImage);
}

void CButtonUI::RenderStateImages(HDC dc) {
    SyncFocusAndDisabledBits();
    if (m_buttonState & kStateDisabled) {
        DrawOrNormal(dc, m_disabledImage);
    } else if (m_buttonState & kStatePushed) {
        DrawOrNormal(dc, m_pushedImage);
    } else if (m_buttonState & kStateHot) {
        DrawOrNormal(dc, m_hotImage);
        if (DrawImage(dc, m_hotForeImage)) return;
        if (m_hotBkColor != 0) {
            CRenderer::FillColor(dc, m_rcPaint, GetHslAdjustedColor(m_hotBkColor));
            return;
        }
    } else if (m_buttonState & kStateFocused) {
        DrawOrNormal(dc, m_focusedImage);
    } else {
        DrawImage(dc, m_normalImage);
    }
    DrawImage(dc, m_foreImage);
}

void CButtonUI::RenderText(HDC dc) {
    SyncFocusAndDisabledBits();
    ResolveTextColors();
    if (m_text.IsEmpty() || m_manager == nullptr) return;
    RECT box = TextBox();
    uint32_t color = IsEnabled() ? m_textColor : m_disabledTextColor;
    if ((m_buttonState & kStatePushed) && m_pushedTextColor != 0)
        color = m_pushedTextColor;
    else if ((m_buttonState & kStateHot) && m_hotTextColor != 0)
        color = m_hotTextColor;
    else if ((m_buttonState & kStateFocused) && m_focusedTextColor != 0)
        color = m_focusedTextColor;
    if (m_showHtml) {
        int links = 0;
        CRenderer::DrawMarkupText(dc, m_manager, box, m_text.GetData(), color, nullptr, nullptr,
                                  links, m_textStyle);
    } else {
        CRenderer::DrawText(dc, m_manager, box, m_text.GetData(), color, m_font, m_textStyle);
    }
}

}  // namespace Veneer
