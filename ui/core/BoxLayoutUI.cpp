// The separator band of the box layouts: where it lies, dragging it and its preview.
#include "BoxLayoutUI.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>

#include "LayoutMath.h"
#include "WindowManagerUI.h"

namespace Veneer {

namespace {

constexpr uint32_t kPreviewColor = 0xAA000000;

}  // namespace

UINT CBoxLayoutUI::GetBehaviourFlags() const {
    return IsEnabled() && m_separator != 0 ? static_cast<UINT>(kBehaviourSetCursor) : 0u;
}

void CBoxLayoutUI::SetSepImm(bool immediate) {
    if (m_immediate == immediate) return;
    if (IsDragging() && !m_immediate && m_manager) m_manager->RemoveOverlayControl(this);
    m_immediate = immediate;
}

bool CBoxLayoutUI::ApplySeparatorAttribute(const wchar_t* name, const wchar_t* value,
                                           const wchar_t* sizeName) {
    if (wcscmp(name, sizeName) == 0) {
        m_separator = static_cast<int>(wcstol(value, nullptr, 10));
        return true;
    }
    if (wcscmp(name, L"sepimm") == 0) {
        SetSepImm(wcscmp(value, L"true") == 0);
        return true;
    }
    return false;
}

RECT CBoxLayoutUI::GetSeparatorRect(bool useDrag) const {
    const RECT base = IsDragging() && useDrag ? m_dragRect : static_cast<RECT>(m_rcItem);
    RECT rc = base;
    const int64_t s = m_separator;
    if (!m_horizontal) {
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
    const bool h = m_horizontal;
    const int64_t at = h ? pt.x : pt.y;
    const int64_t d = at - (h ? m_lastMouse.x : m_lastMouse.y);
    m_lastMouse = pt;
    const int64_t start = h ? m_dragRect.left : m_dragRect.top;
    const int64_t end = h ? m_dragRect.right : m_dragRect.bottom;
    const int64_t length = end - start;
    const int64_t minLen = h ? m_minWidth : m_minHeight;
    const int64_t maxLen = h ? m_maxWidth : m_maxHeight;
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
    if (h) {
        m_dragRect.left = SaturateInt(newStart);
        m_dragRect.right = SaturateInt(newEnd);
        m_declaredWidth = m_dragRect.right - m_dragRect.left;
    } else {
        m_dragRect.top = SaturateInt(newStart);
        m_dragRect.bottom = SaturateInt(newEnd);
        m_declaredHeight = m_dragRect.bottom - m_dragRect.top;
    }
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
        ::SetCursor(::LoadCursorW(nullptr, m_horizontal ? IDC_SIZEWE : IDC_SIZENS));
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
