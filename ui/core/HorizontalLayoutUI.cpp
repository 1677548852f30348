// The horizontal layout's placement of its children.
#include "HorizontalLayoutUI.h"

#include <cwchar>

#include "LayoutMath.h"
#include "ScrollBarUI.h"

namespace Veneer {

const wchar_t* CHorizontalLayoutUI::GetTypeName() const { return L"HorizontalLayoutUI"; }

void* CHorizontalLayoutUI::QueryPart(const wchar_t* name) {
    if (name && wcscmp(name, L"HorizontalLayout") == 0) return this;
    return CContainerUI::QueryPart(name);
}

void CHorizontalLayoutUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (name == nullptr || value == nullptr) return;
    if (!ApplySeparatorAttribute(name, value, L"sepwidth")) CContainerUI::ApplyAttribute(name, value);
}

void CHorizontalLayoutUI::SetPos(RECT rc, bool needInvalidate) {
    CControlUI::SetPos(rc, needInvalidate);
    if (m_items.IsEmpty()) {
        // Without children the bars are laid out over the inset rectangle only.
        RECT deflated = m_rcItem;
        deflated.left = SaturateInt(int64_t{deflated.left} + m_inset.left);
        deflated.top = SaturateInt(int64_t{deflated.top} + m_inset.top);
        deflated.right = SaturateInt(int64_t{deflated.right} - m_inset.right);
        deflated.bottom = SaturateInt(int64_t{deflated.bottom} - m_inset.bottom);
        UpdateScrollBars(deflated, 0, 0);
        return;
    }
    const RECT inner = InnerRect();
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
        int64_t width = 0;
        if (size.cx == 0)
            ++adjustables;
        else
            width = ClampMinMax(size.cx, child->GetMinWidth(), child->GetMaxWidth());
        const RECT pad = child->GetPadding();
        fixed += int64_t{pad.left} + pad.right + width;
        ++counted;
    }
    fixed += int64_t{m_childPadding} * (counted - 1);
    int64_t share = 0;
    if (adjustables > 0) share = std::max<int64_t>((availW - fixed) / adjustables, 0);

    int64_t x = inner.left;
    if (IsBarVisible(m_horizontalBar)) x -= m_horizontalBar->GetScrollPos();
    const int64_t y = inner.top;
    int64_t remaining = availW;
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
        remaining -= pad.left;
        const SIZE size = child->MeasureSize(SIZE{SaturateInt(remaining), available.cy});
        int64_t width;
        if (size.cx != 0) {
            width = ClampMinMax(size.cx, child->GetMinWidth(), child->GetMaxWidth());
            fixed -= width;
        } else {
            width = share;
            // The last child without a width takes what is left.
            if (++adjustablesSeen == adjustables)
                width = std::max<int64_t>(remaining - pad.right - fixed, 0);
            width = ClampMinMax(width, child->GetMinWidth(), child->GetMaxWidth());
        }
        int64_t height = child->GetDeclaredHeight();
        if (height == 0) height = std::max<int64_t>(availH - pad.top - pad.bottom, 0);
        height = ClampMinMax(height, child->GetMinHeight(), child->GetMaxHeight());

        const int64_t left = x + pad.left;
        const int64_t top = y + pad.top;
        child->SetPos(RECT{SaturateInt(left), SaturateInt(top),
                           SaturateInt(left + width + pad.right), SaturateInt(top + height)},
                      false);
        x += int64_t{pad.left} + width + pad.right + m_childPadding;
        needed += int64_t{pad.left} + width + pad.right;
        remaining -= width + pad.right + m_childPadding;
    }
    UpdateScrollBars(inner, SaturateInt(needed + int64_t{m_childPadding} * (counted - 1)), 0);
}

}  // namespace Veneer
