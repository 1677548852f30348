// The progress bar's range, attributes and fore image share.
#include "ProgressUI.h"

#include <cstdint>
#include <cwchar>

namespace Veneer {

namespace {

bool IsTrue(const wchar_t* value) { return wcscmp(value, L"true") == 0; }
int ReadInt(const wchar_t* value) { return static_cast<int>(wcstol(value, nullptr, 10)); }

}  // namespace

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
    if (wcscmp(name, L"foreimage") == 0)
        SetForeImage(value);
    else if (wcscmp(name, L"hor") == 0)
        SetHorizontal(IsTrue(value));
    else if (wcscmp(name, L"min") == 0)
        SetMinValue(ReadInt(value));
    else if (wcscmp(name, L"max") == 0)
        SetMaxValue(ReadInt(value));
    else if (wcscmp(name, L"value") == 0)
        SetValue(ReadInt(value));
    else if (wcscmp(name, L"isstretchfore") == 0)
        SetStretchFore(IsTrue(value));
    else
        CLabelUI::ApplyAttribute(name, value);
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
