#include "OptionUI.h"

#include <cwchar>

#include "AttrTable.h"
#include "AttrValue.h"
#include "WindowManagerUI.h"

namespace Veneer {

COptionUI::COptionUI() = default;

COptionUI::~COptionUI() { LeaveGroup(); }

const wchar_t* COptionUI::GetTypeName() const { return L"OptionUI"; }

void* COptionUI::QueryPart(const wchar_t* name) {
    if (name && wcscmp(name, L"Option") == 0) return this;
    return CButtonUI::QueryPart(name);
}

bool COptionUI::Activate() {
    if (!CButtonUI::Activate()) return false;
    if (!m_groupName.IsEmpty())
        SetSelected(true);
    else
        SetSelected(!m_selected);
    return true;
}

void COptionUI::JoinGroup() {
    if (m_groupName.IsEmpty() || m_manager == nullptr) return;
    if (m_groupManager != m_manager) LeaveGroup();
    m_manager->JoinOptionGroup(m_groupName.GetData(), this);
    m_groupManager = m_manager;
}

void COptionUI::LeaveGroup() {
    if (m_groupManager && !m_groupName.IsEmpty())
        m_groupManager->LeaveOptionGroup(m_groupName.GetData(), this);
    m_groupManager = nullptr;
}

void COptionUI::SetManager(CWindowManagerUI* manager, CControlUI* parent, bool init) {
    CButtonUI::SetManager(manager, parent, init);
    // An option built or moved before it had a window joins its group as soon as it has one,
    // and one taken out of its window stops being a member there.
    if (m_groupManager && m_groupManager != m_manager) LeaveGroup();
    JoinGroup();
}

void COptionUI::SetEnabled(bool enabled) {
    CButtonUI::SetEnabled(enabled);
    if (!IsEnabled()) m_buttonState = m_selected ? UINT{kStateSelected} : 0u;
}

void COptionUI::SetSelected(bool select) {
    if (select == m_selected) return;
    m_selected = select;
    if (m_selected)
        m_buttonState |= kStateSelected;
    else
        m_buttonState &= ~kStateSelected;
    if (m_manager) {
        if (m_groupName.IsEmpty()) {
            m_manager->SendNotification(this, L"selectchanged", 0, 0);
        } else if (m_selected) {
            // A copy: the list is only read here, but a member's deselection repaints and may
            // reach code that regroups options.
            const CUIPtrArray* members = m_manager->GetOptionGroupMembers(m_groupName.GetData());
            CUIPtrArray others;
            if (members) others = *members;
            for (int i = 0; i < others.GetSize(); ++i) {
                auto* other = static_cast<COptionUI*>(others[i]);
                if (other != this) other->SetSelected(false);
            }
            m_manager->SendNotification(this, L"selectchanged", 0, 0);
        }
    }
    Invalidate();
}

void COptionUI::SetGroup(const wchar_t* name) {
    if (name == nullptr) {
        if (m_groupName.IsEmpty()) return;
        LeaveGroup();
        m_groupName = L"";
        return;
    }
    if (m_groupName == name) return;
    LeaveGroup();
    m_groupName = name;
    JoinGroup();
}

void COptionUI::SetSelectedImage(const wchar_t* d) { SetStateImage(m_selectedImage, d); }
void COptionUI::SetSelectedHotImage(const wchar_t* d) { SetStateImage(m_selectedHotImage, d); }
void COptionUI::SetForeImage(const wchar_t* d) { SetStateImage(m_optionForeImage, d); }

void COptionUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (name == nullptr || value == nullptr) return;
    using C = COptionUI;
    static constexpr TAttrRow<C> kRows[] = {
        {L"group", [](C& c, const wchar_t* v) { c.SetGroup(v); }},
        {L"selected", [](C& c, const wchar_t* v) { c.SetSelected(ReadBool(v)); }},
        {L"selectedimage", [](C& c, const wchar_t* v) { c.SetSelectedImage(v); }},
        {L"selectedhotimage", [](C& c, const wchar_t* v) { c.SetSelectedHotImage(v); }},
        {L"foreimage", [](C& c, const wchar_t* v) { c.SetForeImage(v); }},
        {L"selectedbkcolor",
         [](C& c, const wchar_t* v) { c.SetSelectedBkColor(ReadHexColor(v)); }},
        {L"selectedtextcolor",
         [](C& c, const wchar_t* v) { c.SetSelectedTextColor(ReadHexColor(v)); }},
    };
    if (!ApplyAttrRow(kRows, *this, name, value)) CButtonUI::ApplyAttribute(name, value);
}

template <class Paint>
void COptionUI::WithoutPushed(Paint paint) {
    const bool pushed = (m_buttonState & kStatePushed) != 0;
    m_buttonState &= ~kStatePushed;
    paint();
    if (pushed) m_buttonState |= kStatePushed;
}

void COptionUI::RenderStateImages(HDC dc) {
    if (!m_selected) {
        WithoutPushed([&] { CButtonUI::RenderStateImages(dc); });
    } else {
        bool drawn = (m_buttonState & kStateHot) && DrawImage(dc, m_selectedHotImage);
        if (!drawn) drawn = DrawImage(dc, m_selectedImage);
        if (!drawn) {
            if (m_selectedBkColor != 0)
                CRenderer::FillColor(dc, m_rcPaint, GetHslAdjustedColor(m_selectedBkColor));
            else
                WithoutPushed([&] { CButtonUI::RenderStateImages(dc); });
        }
    }
    DrawImage(dc, m_optionForeImage);
}

void COptionUI::RenderText(HDC dc) {
    if (!m_selected) {
        WithoutPushed([&] { CButtonUI::RenderText(dc); });
        return;
    }
    ResolveTextColors();
    const uint32_t textColor = m_selectedTextColor != 0 ? m_selectedTextColor : m_textColor;
    if (m_text.IsEmpty() || m_manager == nullptr) return;
    RECT box = TextBox();
    const uint32_t color = IsEnabled() ? textColor : m_disabledTextColor;
    if (m_showHtml) {
        int links = 0;
        CRenderer::DrawMarkupText(dc, m_manager, box, m_text.GetData(), color, nullptr, nullptr,
                                  links, m_textStyle);
    } else {
        CRenderer::DrawText(dc, m_manager, box, m_text.GetData(), color, m_font, m_textStyle);
    }
}

}  // namespace Veneer
