// The vertical layout's placement of its children.
#include "VerticalLayoutUI.h"

#include <cwchar>

#include "LayoutMath.h"
#include "ScrollBarUI.h"

namespace Veneer {

const wchar_t* CVerticalLayoutUI::GetTypeName() const { return L"VerticalLayoutUI"; }

void* CVerticalLayoutUI::QueryPart(const wchar_t* name) {
    if (name && wcscmp(name, L"VerticalLayout") == 0) return this;
    return CContainerUI::QueryPart(name);
}

void CVerticalLayoutUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (name == nullptr || value == nullptr) return;
    if (!ApplySeparatorAttribute(name, value, L"sepheight")) CContainerUI::ApplyAttribute(name, value);
}

void CVerticalLayoutUI::SetPos(RECT rc, bool needInvalidate) {
    CControlUI::SetPos(rc, needInvalidate);
    const RECT inner = InnerRect();
    if (m_items.IsEmpty()) {
        UpdateScrollBars(inner, 0, 0);
        return;
    }
    int64_t availW = int64_t{inner.right} - inner.left;
    const int64_t availH = int64_t{inner.bottom} - inner.top;
    if (IsBarVisible(m_horizontalBar)) availW += m_horizontalBar->GetScrollRange();
    const SIZE available = {SaturateInt(availW), SaturateInt(availH)};

    int64_t fixed = 0;
    int adjustables = 0;
    int counted = 0;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        auto* child = static_cast<CControlUI*>(m_items[i]);
        if (!child->IsVisible() || child->IsFloat()) continue;
        const SIZE size = child->MeasureSize(available);
        int64_t height = 0;
        if (size.cy == 0)
            ++adjustables;
        else
            height = ClampMinMax(size.cy, child->GetMinHeight(), child->GetMaxHeight());
        const RECT pad = child->GetPadding();
        fixed += int64_t{pad.top} + pad.bottom + height;
        ++counted;
    }
    fixed += int64_t{m_childPadding} * (counted - 1);
    int64_t share = 0;
    if (adjustables > 0) share = std::max<int64_t>((availH - fixed) / adjustables, 0);

    int64_t x = inner.left;
    int64_t y = inner.top;
    if (IsBarVisible(m_verticalBar)) y -= m_verticalBar->GetScrollPos();
    if (IsBarVisible(m_horizontalBar)) x -= m_horizontalBar->GetScrollPos();
    int64_t remaining = availH;
    int64_t needed = 0;
    int adjustablesSeen = 0;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        auto* child = static_cast<CControlUI*>(m_items[i]);
        if (!child->IsVisible()) continue;
        if (child->IsFloat()) {
            PlaceFloatingChild(i);
            continue;
        }
        const RECT pad = child->GetPadding();
        remaining -= pad.top;
        const SIZE size = child->MeasureSize(SIZE{available.cx, SaturateInt(remaining)});
        int64_t height;
        if (size.cy != 0) {
            height = ClampMinMax(size.cy, child->GetMinHeight(), child->GetMaxHeight());
            fixed -= height;
        } else {
            height = share;
            // The last child without a height takes what is left.
            if (++adjustablesSeen == adjustables)
                height = std::max<int64_t>(remaining - pad.bottom - fixed, 0);
            height = ClampMinMax(height, child->GetMinHeight(), child->GetMaxHeight());
        }
        int64_t width = child->GetDeclaredWidth();
        if (width == 0) width = std::max<int64_t>(availW - pad.left - pad.right, 0);
        width = ClampMinMax(width, child->GetMinWidth(), child->GetMaxWidth());

        const int64_t left = x + pad.left;
        const int64_t top = y + pad.top;
        child->SetPos(RECT{SaturateInt(left), SaturateInt(top), SaturateInt(left + width),
                           SaturateInt(top + height + pad.bottom)},
                      false);
        y += int64_t{pad.top} + height + pad.bottom + m_childPadding;
        needed += int64_t{pad.top} + height + pad.bottom;
        remaining -= height + pad.bottom + m_childPadding;
    }
    UpdateScrollBars(inner, 0, SaturateInt(needed + int64_t{m_childPadding} * (counted - 1)));
}

}  // namespace Veneer
