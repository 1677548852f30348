// The progress bar's range, attributes and fore image share.
#include "ProgressUI.h"

#include <cstdint>
#include <cwchar>

#include "AttrTable.h"
#include "AttrValue.h"

namespace Veneer {

CProgressUI::CProgressUI() {
    m_textStyle = kTextCenter | kTextSingleLine;
    m_declaredHeight = 12;
}

CProgressUI::~CProgressUI() = default;

const wchar_t* CProgressUI::GetTypeName() const { return L"ProgressUI"; }

void* CProgressUI::QueryPart(const wchar_t* name) {
    if (name && wcscmp(name, L"Progress") == 0) return this;
    return CLabelUI::QueryPart(name);
}

void CProgressUI::SetHorizontal(bool horizontal) {
    if (m_horizontal == horizontal) return;
    m_horizontal = horizontal;
    Invalidate();
}

void CProgressUI::SetStretchFore(bool stretch) {
    if (m_stretchFore == stretch) return;
    m_stretchFore = stretch;
    Invalidate();
}

void CProgressUI::SetMinValue(int min) {
    m_min = min;
    Invalidate();
}

void CProgressUI::SetMaxValue(int max) {
    m_max = max;
    Invalidate();
}

void CProgressUI::SetValue(int value) {
    m_value = value;
    Invalidate();
}

void CProgressUI::SetForeImage(const wchar_t* description) {
    if (description == nullptr) description = L"";
    if (m_progressFore.description == description && m_progressFore.image != nullptr) return;
    m_progressFore.Clear();
    m_progressFore.description = description;
    Invalidate();
}

void CProgressUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (name == nullptr || value == nullptr) return;
    using C = CProgressUI;
    static constexpr TAttrRow<C> kRows[] = {
        {L"foreimage", [](C& c, const wchar_t* v) { c.SetForeImage(v); }},
        {L"hor", [](C& c, const wchar_t* v) { c.SetHorizontal(ReadBool(v)); }},
        {L"min", [](C& c, const wchar_t* v) { c.SetMinValue(ReadInt(v)); }},
        {L"max", [](C& c, const wchar_t* v) { c.SetMaxValue(ReadInt(v)); }},
        {L"value", [](C& c, const wchar_t* v) { c.SetValue(ReadInt(v)); }},
        {L"isstretchfore", [](C& c, const wchar_t* v) { c.SetStretchFore(ReadBool(v)); }},
    };
    if (!ApplyAttrRow(kRows, *this, name, value)) CLabelUI::ApplyAttribute(name, value);
}

void CProgressUI::RenderStateImages(HDC dc) {
    if (m_max <= m_min) {
        // At the top of the int range there is no room above min: step min down instead.
        if (m_min == INT32_MAX) m_min = INT32_MAX - 1;
        m_max = m_min + 1;
    }
    if (m_value < m_min) m_value = m_min;
    if (m_value > m_max) m_value = m_max;

    // The products reach width × range, which overflows 32 bits for large byte counts.
    const int64_t w = GetWidth();
    const int64_t h = GetHeight();
    const int64_t range = int64_t{m_max} - m_min;
    RECT dest = {0, 0, 0, 0};
    if (m_horizontal) {
        dest.right = static_cast<LONG>(w * (int64_t{m_value} - m_min) / range);
        dest.bottom = static_cast<LONG>(h);
    } else {
        dest.top = static_cast<LONG>(h * (int64_t{m_max} - m_value) / range);
        dest.right = static_cast<LONG>(w);
        dest.bottom = static_cast<LONG>(h);
    }
    m_progressFore.dest = dest;
    DrawImage(dc, m_progressFore);
}

}  // namespace Veneer
