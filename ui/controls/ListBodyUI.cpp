#include "ListBodyUI.h"

#include <algorithm>
#include <cstdint>

#include "ClipScope.h"
#include "LayoutMath.h"
#include "ListHeaderUI.h"
#include "ListInterfaces.h"
#include "ListUI.h"
#include "ScrollBarUI.h"

namespace Veneer {

namespace {

bool Meets(const RECT& a, const RECT& b) {
    RECT tmp;
    return IntersectRect(&tmp, &a, &b) != FALSE;
}

}  // namespace

// ---- rows and the owner's bookkeeping ------------------------------------------------------

void CListBodyUI::Renumber(int first, int last) {
    first = std::max(first, 0);
    last = std::min(last, m_items.GetSize() - 1);
    for (int i = first; i <= last; ++i)
        if (IListItemUI* row = AsListItem(static_cast<CControlUI*>(m_items[i]))) row->SetIndex(i);
}

bool CListBodyUI::AddAt(CControlUI* control, int index) {
    if (!CVerticalLayoutUI::AddAt(control, index)) return false;
    m_ordered = false;
    if (m_owner == nullptr) return true;
    if (IListItemUI* row = AsListItem(control)) row->SetOwner(m_owner);
    Renumber(index, m_items.GetSize() - 1);
    m_owner->RowInserted(index);
    return true;
}

bool CListBodyUI::Remove(CControlUI* control) {
    // What the row takes with it goes first, while the row is still here to be found.
    if (m_owner && GetItemIndex(control) >= 0) m_owner->RowLeaving(control);
    const int index = GetItemIndex(control);
    if (index < 0) return false;
    // A row that lives on elsewhere must not call back into this list.
    IListItemUI* row = AsListItem(control);
    if (m_owner && row && !m_deleteOnRemove) row->SetOwner(nullptr);
    if (!CVerticalLayoutUI::Remove(control)) return false;
    m_ordered = false;
    if (m_owner == nullptr) return true;
    Renumber(index, m_items.GetSize() - 1);
    m_owner->RowRemoved(index);
    return true;
}

void CListBodyUI::RemoveAll() {
    if (m_owner && !m_deleteOnRemove) {
        for (int i = 0; i < m_items.GetSize(); ++i)
            if (IListItemUI* row = AsListItem(static_cast<CControlUI*>(m_items[i])))
                row->SetOwner(nullptr);
    }
    CVerticalLayoutUI::RemoveAll();
    m_ordered = false;
    if (m_owner) m_owner->RowsCleared();
}

bool CListBodyUI::SetItemIndex(CControlUI* control, int index) {
    const int old = GetItemIndex(control);
    if (old < 0) return false;
    if (old == index) return true;
    CControlUI* selected = m_owner ? GetItemAt(m_owner->GetCurSel()) : nullptr;
    CControlUI* expanded = m_owner ? GetItemAt(m_owner->GetExpandedItem()) : nullptr;
    const bool moved = CVerticalLayoutUI::SetItemIndex(control, index);
    m_ordered = false;
    if (m_owner == nullptr) return moved;
    // A refused index leaves the control at the end: everything after its old place moved.
    if (moved)
        Renumber(std::min(old, index), std::max(old, index));
    else
        Renumber(old, m_items.GetSize() - 1);
    m_owner->RowsMoved(selected ? GetItemIndex(selected) : -1,
                       expanded ? GetItemIndex(expanded) : -1);
    return moved;
}

// ---- layout --------------------------------------------------------------------------------

void CListBodyUI::SetPos(RECT rc, bool needInvalidate) {
    CControlUI::SetPos(rc, needInvalidate);
    const bool vbar = IsBarVisible(m_verticalBar);
    RECT work = InsetArea().Saturated();
    if (vbar) work.right = SaturateInt(int64_t{work.right} - m_verticalBar->GetDeclaredWidth());
    if (IsBarVisible(m_horizontalBar))
        work.bottom = SaturateInt(int64_t{work.bottom} - m_horizontalBar->GetDeclaredHeight());
    const int64_t workW = int64_t{work.right} - work.left;
    int64_t availW = workW;
    const int64_t availH = int64_t{work.bottom} - work.top;
    if (IsBarVisible(m_horizontalBar)) availW += m_horizontalBar->GetScrollRange();
    const SIZE available = {SaturateInt(availW), SaturateInt(availH)};

    // What the rows with a height of their own take, and how many share the rest.
    int64_t fixed = 0;
    int adjustables = 0;
    int counted = 0;
    int64_t requiredW = 0;
    bool ordered = true;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        auto* row = static_cast<CControlUI*>(m_items[i]);
        if (!row->IsVisible() || row->IsFloat()) {
            ordered = false;
            continue;
        }
        const SIZE sz = row->MeasureSize(available);
        int64_t h = 0;
        if (sz.cy == 0)
            ++adjustables;
        else
            h = ClampMinMax(sz.cy, row->GetMinHeight(), row->GetMaxHeight());
        const RECT pad = row->GetPadding();
        if (pad.top < 0 || pad.bottom < 0) ordered = false;
        fixed += int64_t{pad.top} + pad.bottom + h;
        requiredW = std::max(requiredW, ClampMinMax(sz.cx, row->GetMinWidth(), row->GetMaxWidth()));
        ++counted;
    }
    fixed += int64_t{m_childPadding} * std::max(counted - 1, 0);

    // Rows are as wide as the header's columns together.
    CListHeaderUI* header = m_owner ? m_owner->GetHeader() : nullptr;
    if (header && header->GetCount() > 0)
        requiredW = std::max<int64_t>(
            header->MeasureSize(SIZE{SaturateInt(workW), SaturateInt(availH)}).cx, 0);

    // Every row may have a height of its own: then there is no share to divide.
    const int64_t share =
        adjustables > 0 ? std::max<int64_t>((availH - fixed) / adjustables, 0) : 0;

    int64_t y = work.top;
    int64_t x = work.left;
    if (vbar) y -= m_verticalBar->GetScrollPos();
    if (IsBarVisible(m_horizontalBar)) x -= m_horizontalBar->GetScrollPos();
    int64_t remaining = availH;
    int64_t requiredH = 0;
    int adjustablesSeen = 0;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* row = FlowChild(i);
        if (row == nullptr) continue;
        const RECT pad = row->GetPadding();
        remaining -= pad.top;
        const SIZE sz = row->MeasureSize(SIZE{SaturateInt(availW), SaturateInt(remaining)});
        int64_t h;
        if (sz.cy != 0) {
            h = ClampMinMax(sz.cy, row->GetMinHeight(), row->GetMaxHeight());
            fixed -= h;
        } else {
            h = share;
            // The last row without a height of its own takes what is left.
            if (++adjustablesSeen == adjustables)
                h = std::max<int64_t>(remaining - pad.bottom - fixed, 0);
            h = ClampMinMax(h, row->GetMinHeight(), row->GetMaxHeight());
        }
        const int64_t w =
            ClampMinMax(std::max<int64_t>(availW - pad.left - pad.right, requiredW),
                        row->GetMinWidth(), row->GetMaxWidth());
        const int64_t left = x + pad.left;
        const int64_t top = y + pad.top;
        row->SetPos(TRect64{left, top, left + w, top + h + pad.bottom}.Saturated(), false);
        y += int64_t{pad.top} + h + pad.bottom + m_childPadding;
        remaining -= h + pad.bottom + m_childPadding;
        requiredH += int64_t{pad.top} + h + pad.bottom;
    }
    requiredH += int64_t{m_childPadding} * std::max(counted - 1, 0);
    m_ordered = ordered && m_childPadding >= 0;

    if (m_horizontalBar) {
        const int barH = m_horizontalBar->GetDeclaredHeight();
        if (requiredW > workW) {
            if (m_horizontalBar->IsVisible()) {
                m_horizontalBar->SetScrollRange(SaturateInt(requiredW - workW));
            } else {
                m_horizontalBar->SetVisible(true);
                m_horizontalBar->SetScrollRange(SaturateInt(requiredW - workW));
                m_horizontalBar->SetScrollPos(0);
                work.bottom = SaturateInt(int64_t{work.bottom} - barH);
            }
        } else if (m_horizontalBar->IsVisible()) {
            m_horizontalBar->SetVisible(false);
            m_horizontalBar->SetScrollRange(0);
            m_horizontalBar->SetScrollPos(0);
            work.bottom = SaturateInt(int64_t{work.bottom} + barH);
        }
    }
    UpdateScrollBars(work, SaturateInt(requiredW), SaturateInt(requiredH));
}

void CListBodyUI::SetScrollPos(SIZE pos) {
    // The rows scroll as any container's children do; only the sideways step matters here.
    const int oldX = GetScrollPos().cx;
    CVerticalLayoutUI::SetScrollPos(pos);
    const int64_t dx = int64_t{GetScrollPos().cx} - oldX;

    // The header scrolls sideways with the rows (never up or down), and the columns follow it.
    CListHeaderUI* header = m_owner ? m_owner->GetHeader() : nullptr;
    if (dx == 0 || header == nullptr) return;
    const SIZE offset = {SaturateInt(-dx), 0};
    TListItemStyle* style = m_owner->GetListStyle();
    style->columns = std::min(header->GetCount(), kMaxListColumns);
    for (int i = 0; i < style->columns; ++i) {
        CControlUI* item = header->GetItemAt(i);
        if (!item->IsVisible() || item->IsFloat()) continue;
        item->Move(offset, false);
        style->columnRects[i] = item->GetPos();
    }
    header->Invalidate();
}

// ---- events and painting -------------------------------------------------------------------

void CListBodyUI::HandleEvent(TControlEvent& event) {
    if (m_owner)
        m_owner->HandleEvent(event);
    else
        CControlUI::HandleEvent(event);
}

void CListBodyUI::RowsMeeting(const RECT& rc, int& first, int& last) {
    auto rowAt = [this](int i) -> const RECT& {
        return static_cast<CControlUI*>(m_items[i])->GetPos();
    };
    const int count = m_items.GetSize();
    // The first row whose bottom lies below the rectangle's top ...
    int lo = 0, hi = count;
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (rowAt(mid).bottom <= rc.top)
            lo = mid + 1;
        else
            hi = mid;
    }
    first = lo;
    // ... and the last whose top lies above its bottom.
    hi = count;
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (rowAt(mid).top < rc.bottom)
            lo = mid + 1;
        else
            hi = mid;
    }
    last = lo - 1;
}

void CListBodyUI::Render(HDC dc, const RECT& paint) {
    // Until the next layout rows may stand anywhere; then every row is tested.
    if (!m_ordered || IsUpdateNeeded()) return CVerticalLayoutUI::Render(dc, paint);
    RECT visible;
    if (!IntersectRect(&visible, &paint, &m_rcItem)) return;
    CClipScope clip;
    CClipScope::ClipToRect(dc, visible, clip);
    CControlUI::Render(dc, paint);

    const RECT inner = InnerRect();
    RECT innerPaint;
    if (!m_items.IsEmpty() && IntersectRect(&innerPaint, &paint, &inner)) {
        CClipScope childClip;
        CClipScope::ClipToRect(dc, innerPaint, childClip);
        int first = 0;
        int last = -1;
        RowsMeeting(innerPaint, first, last);
        for (int i = first; i <= last; ++i) {
            auto* row = static_cast<CControlUI*>(m_items[i]);
            if (Meets(paint, row->GetPos())) row->Render(dc, paint);
        }
    }
    if (IsBarVisible(m_verticalBar) && Meets(paint, m_verticalBar->GetPos()))
        m_verticalBar->Render(dc, paint);
    if (IsBarVisible(m_horizontalBar) && Meets(paint, m_horizontalBar->GetPos()))
        m_horizontalBar->Render(dc, paint);
}

}  // namespace Veneer
