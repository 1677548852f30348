// The box layouts' placement of their children along one axis, and their separator band:
// where it lies, dragging it and its preview.
#include "BoxLayoutUI.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>

#include "AttrTable.h"
#include "AttrValue.h"
#include "ScrollBarUI.h"
#include "WindowManagerUI.h"

namespace Veneer {

namespace {

constexpr uint32_t kPreviewColor = 0xAA000000;

// A child's length along the axis, held to its minimum and maximum there.
int64_t ClampAlong(const TAxis& axis, const CControlUI& child, int64_t length) {
    return ClampMinMax(length, axis.Along(child.GetMinWidth(), child.GetMinHeight()),
                       axis.Along(child.GetMaxWidth(), child.GetMaxHeight()));
}

// The same across the axis.
int64_t ClampAcross(const TAxis& axis, const CControlUI& child, int64_t length) {
    return ClampMinMax(length, axis.Across(child.GetMinWidth(), child.GetMinHeight()),
                       axis.Across(child.GetMaxWidth(), child.GetMaxHeight()));
}

}  // namespace

const wchar_t* CBoxLayoutUI::GetTypeName() const { return m_typeName; }

void* CBoxLayoutUI::QueryPart(const wchar_t* name) {
    if (name && wcscmp(name, m_partName) == 0) return this;
    return CContainerUI::QueryPart(name);
}

UINT CBoxLayoutUI::GetBehaviourFlags() const {
    return IsEnabled() && m_separator != 0 ? static_cast<UINT>(kBehaviourSetCursor) : 0u;
}

void CBoxLayoutUI::SetPos(RECT rc, bool needInvalidate) {
    CControlUI::SetPos(rc, needInvalidate);
    const TAxis& axis = m_axis;
    const RECT inner = InnerRect();
    if (m_items.IsEmpty()) {
        // Without children a horizontal layout lays its bars out over the inset rectangle,
        // before their own room is taken off.
        UpdateScrollBars(axis.horizontal ? InsetArea().Saturated() : inner, 0, 0);
        return;
    }
    // The horizontal bar's range widens the room in both directions of layout.
    int64_t availW = int64_t{inner.right} - inner.left;
    const int64_t availH = int64_t{inner.bottom} - inner.top;
    if (IsBarVisible(m_horizontalBar)) availW += m_horizontalBar->GetScrollRange();
    const SIZE available = {SaturateInt(availW), SaturateInt(availH)};
    const int64_t availAlong = axis.Along(availW, availH);
    const int64_t availAcross = axis.Across(availW, availH);

    // What the children with a length of their own take, and how many share the rest.
    int64_t fixed = 0;
    int adjustables = 0;
    int counted = 0;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        auto* child = static_cast<CControlUI*>(m_items[i]);
        if (!child->IsVisible() || child->IsFloat()) continue;
        const int64_t measured = axis.Along(child->MeasureSize(available));
        int64_t length = 0;
        if (measured == 0)
            ++adjustables;
        else
            length = ClampAlong(axis, *child, measured);
        const RECT pad = child->GetPadding();
        fixed += axis.Start(pad) + axis.End(pad) + length;
        ++counted;
    }
    fixed += int64_t{m_childPadding} * (counted - 1);
    int64_t share = 0;
    if (adjustables > 0) share = std::max<int64_t>((availAlong - fixed) / adjustables, 0);

    int64_t x = inner.left;
    int64_t y = inner.top;
    if (IsBarVisible(m_horizontalBar)) x -= m_horizontalBar->GetScrollPos();
    // A horizontal layout keeps its children at the top whatever the vertical bar shows.
    if (!axis.horizontal && IsBarVisible(m_verticalBar)) y -= m_verticalBar->GetScrollPos();
    int64_t at = axis.Along(x, y);
    const int64_t side = axis.Across(x, y);
    int64_t remaining = availAlong;
    int64_t needed = 0;
    int adjustablesSeen = 0;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* child = FlowChild(i);
        if (child == nullptr) continue;
        const RECT pad = child->GetPadding();
        const int64_t lead = axis.Start(pad);
        const int64_t trail = axis.End(pad);
        remaining -= lead;
        const int64_t measured =
            axis.Along(child->MeasureSize(axis.MakeSize(remaining, axis.Across(available))));
        int64_t length;
        if (measured != 0) {
            length = ClampAlong(axis, *child, measured);
            fixed -= length;
        } else {
            length = share;
            // The last child without a length of its own takes what is left.
            if (++adjustablesSeen == adjustables)
                length = std::max<int64_t>(remaining - trail - fixed, 0);
            length = ClampAlong(axis, *child, length);
        }
        int64_t thickness = axis.Across(child->GetDeclaredWidth(), child->GetDeclaredHeight());
        if (thickness == 0) {
            thickness =
                std::max<int64_t>(availAcross - axis.CrossStart(pad) - axis.CrossEnd(pad), 0);
        }
        thickness = ClampAcross(axis, *child, thickness);

        // The child's rectangle reaches over its trailing padding along the axis.
        const int64_t start = at + lead;
        const int64_t cross = side + axis.CrossStart(pad);
        child->SetPos(axis.MakeRect(start, start + length + trail, cross, cross + thickness),
                      false);
        at += lead + length + trail + m_childPadding;
        needed += lead + length + trail;
        remaining -= length + trail + m_childPadding;
    }
    const SIZE required = axis.MakeSize(needed + int64_t{m_childPadding} * (counted - 1), 0);
    UpdateScrollBars(inner, required.cx, required.cy);
}

void CBoxLayoutUI::SetSepImm(bool immediate) {
    if (m_immediate == immediate) return;
    if (IsDragging() && !m_immediate && m_manager) m_manager->RemoveOverlayControl(this);
    m_immediate = immediate;
}

void CBoxLayoutUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (name == nullptr || value == nullptr) return;
    // The separator's size is a width across a horizontal layout's edge, a height otherwise.
    static constexpr TAttrRow<CBoxLayoutUI> kHorizontalRows[] = {
        {L"sepwidth", [](CBoxLayoutUI& c, const wchar_t* v) { c.m_separator = ReadInt(v); }},
        {L"sepimm", [](CBoxLayoutUI& c, const wchar_t* v) { c.SetSepImm(ReadBool(v)); }},
    };
    static constexpr TAttrRow<CBoxLayoutUI> kVerticalRows[] = {
        {L"sepheight", [](CBoxLayoutUI& c, const wchar_t* v) { c.m_separator = ReadInt(v); }},
        {L"sepimm", [](CBoxLayoutUI& c, const wchar_t* v) { c.SetSepImm(ReadBool(v)); }},
    };
    const auto& rows = m_axis.horizontal ? kHorizontalRows : kVerticalRows;
    if (!ApplyAttrRow(rows, *this, name, value)) CContainerUI::ApplyAttribute(name, value);
}

RECT CBoxLayoutUI::GetSeparatorRect(bool useDrag) const {
    const RECT base = IsDragging() && useDrag ? m_dragRect : static_cast<RECT>(m_rcItem);
    RECT rc = base;
    const int64_t s = m_separator;
    if (!m_axis.horizontal) {
        if (s < 0)
            rc.bottom = SaturateInt(std::min<int64_t>(base.top - s, base.bottom));
        else
            rc.top = SaturateInt(std::max<int64_t>(base.bottom - s, base.top));
    } else {
        if (s < 0)
            rc.right = SaturateInt(base.left - s);
        else
            rc.left = SaturateInt(base.right - s);
    }
    return rc;
}

void CBoxLayoutUI::DragTo(POINT pt) {
    const TAxis& axis = m_axis;
    const int64_t at = axis.Along(pt.x, pt.y);
    const int64_t d = at - axis.Along(m_lastMouse.x, m_lastMouse.y);
    m_lastMouse = pt;
    const int64_t start = axis.Start(m_dragRect);
    const int64_t end = axis.End(m_dragRect);
    const int64_t length = end - start;
    const int64_t minLen = axis.Along(m_minWidth, m_minHeight);
    const int64_t maxLen = axis.Along(m_maxWidth, m_maxHeight);
    const int64_t s = m_separator;

    int64_t newStart = start;
    int64_t newEnd = end;
    if (s > 0) {
        if ((d > 0 && at < end - s) || (d < 0 && at > end)) return;
        newEnd = end + d;
        if (newEnd - start <= minLen) {
            if (length <= minLen) return;
            newEnd = start + minLen;
        } else if (newEnd - start >= maxLen) {
            if (length >= maxLen) return;
            newEnd = start + maxLen;
        }
    } else {
        if ((d > 0 && at < start) || (d < 0 && at > start - s)) return;
        newStart = start + d;
        if (end - newStart <= minLen) {
            if (length <= minLen) return;
            newStart = end - minLen;
        } else if (end - newStart >= maxLen) {
            if (length >= maxLen) return;
            newStart = end - maxLen;
        }
    }

    const RECT oldBand = GetSeparatorRect(true);
    m_dragRect = axis.MakeRect(newStart, newEnd, axis.CrossStart(m_dragRect),
                               axis.CrossEnd(m_dragRect));
    // The dragged length becomes the declared one without a layout request of its own.
    const int dragged = static_cast<int>(axis.End(m_dragRect) - axis.Start(m_dragRect));
    (axis.horizontal ? m_declaredWidth : m_declaredHeight) = dragged;
    if (m_immediate) {
        m_rcItem = m_dragRect;
        RequestParentLayout();
    } else if (m_manager) {
        RECT dirty;
        const RECT newBand = GetSeparatorRect(true);
        const RECT itemBand = GetSeparatorRect(false);
        UnionRect(&dirty, &oldBand, &newBand);
        UnionRect(&dirty, &dirty, &itemBand);
        m_manager->Invalidate(dirty);
    }
}

void CBoxLayoutUI::HandleEvent(TControlEvent& event) {
    if (m_separator == 0) return CContainerUI::HandleEvent(event);
    switch (event.type) {
    case kEventButtonDown: {
        const RECT band = GetSeparatorRect(false);
        if (!IsEnabled() || !PtInRect(&band, event.mouse)) break;
        m_dragState |= kDragging;
        m_lastMouse = event.mouse;
        m_dragRect = m_rcItem;
        if (!m_immediate && m_manager) m_manager->AddOverlayControl(this);
        return;
    }
    case kEventButtonUp:
        if (!IsDragging()) break;
        m_rcItem = m_dragRect;
        m_dragState &= ~kDragging;
        if (!m_immediate && m_manager) m_manager->RemoveOverlayControl(this);
        RequestParentLayout();
        return;
    case kEventMouseMove:
        if (!IsDragging()) break;
        DragTo(event.mouse);
        return;
    case kEventSetCursor: {
        const RECT band = GetSeparatorRect(false);
        if (!IsEnabled() || !PtInRect(&band, event.mouse)) break;
        ::SetCursor(::LoadCursorW(nullptr, m_axis.horizontal ? IDC_SIZEWE : IDC_SIZENS));
        return;
    }
    default:
        break;
    }
    CContainerUI::HandleEvent(event);
}

void CBoxLayoutUI::RenderOverlay(HDC dc, const RECT&) {
    if (!IsDragging() || m_immediate) return;
    CRenderer::FillColor(dc, GetSeparatorRect(true), kPreviewColor);
}

}  // namespace Veneer
