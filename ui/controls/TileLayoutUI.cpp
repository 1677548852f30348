// The tile layout: columns, cell width, row heights and each child centred in its cell.
#include "TileLayoutUI.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>

#include "AttrTable.h"
#include "AttrValue.h"
#include "LayoutMath.h"
#include "ScrollBarUI.h"

namespace Veneer {

namespace {

// Children are asked for their height with this much room below them.
constexpr int kOpenHeight = 9999;

}  // namespace

const wchar_t* CTileLayoutUI::GetTypeName() const { return L"TileLayoutUI"; }

void* CTileLayoutUI::QueryPart(const wchar_t* name) {
    if (name && wcscmp(name, L"TileLayout") == 0) return this;
    return CContainerUI::QueryPart(name);
}

void CTileLayoutUI::SetItemSize(SIZE size) {
    if (size.cx == m_itemSize.cx && size.cy == m_itemSize.cy) return;
    m_itemSize = size;
    RequestLayout();
}

void CTileLayoutUI::SetColumns(int count) {
    if (count <= 0) return;
    m_columns = count;
    RequestLayout();
}

void CTileLayoutUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (name == nullptr || value == nullptr) return;
    using C = CTileLayoutUI;
    static constexpr TAttrRow<C> kRows[] = {
        {L"itemsize",
         [](C& c, const wchar_t* v) {
             int size[2];
             ReadIntList(v, size, 2);
             c.SetItemSize(SIZE{size[0], size[1]});
         }},
        {L"columns", [](C& c, const wchar_t* v) { c.SetColumns(ReadInt(v)); }},
    };
    if (!ApplyAttrRow(kRows, *this, name, value)) CContainerUI::ApplyAttribute(name, value);
}

int64_t CTileLayoutUI::RowHeight(int first, int64_t cellWidth) {
    const int64_t halfPadding = m_childPadding / 2;
    int64_t height = 0;
    int seen = 0;
    for (int i = first; i < m_items.GetSize() && seen < m_columns; ++i) {
        auto* child = static_cast<CControlUI*>(m_items[i]);
        if (!child->IsVisible() || child->IsFloat()) continue;
        const RECT pad = child->GetPadding();
        // Cells at the ends of a row give up half the padding, those between give up all of it.
        const bool atEnd = seen == 0 || seen == m_columns - 1;
        int64_t width = cellWidth - pad.left - pad.right - (atEnd ? halfPadding : m_childPadding);
        width = ClampMinMax(width, child->GetMinWidth(), child->GetMaxWidth());
        const SIZE measured = child->MeasureSize(SIZE{SaturateInt(width), kOpenHeight});
        const int64_t cell =
            ClampMinMax(measured.cy, child->GetMinHeight(), child->GetMaxHeight()) +
            int64_t{pad.top} + pad.bottom;
        height = std::max(height, cell);
        ++seen;
    }
    return height;
}

void CTileLayoutUI::SetPos(RECT rc, bool needInvalidate) {
    CControlUI::SetPos(rc, needInvalidate);
    TRect64 area = InsetArea();
    if (m_items.IsEmpty()) {
        UpdateScrollBars(area.Saturated(), 0, 0);
        return;
    }
    const bool vertical = IsBarVisible(m_verticalBar);
    const bool horizontal = IsBarVisible(m_horizontalBar);
    if (vertical) area.right -= m_verticalBar->GetDeclaredWidth();
    if (horizontal) area.bottom -= m_horizontalBar->GetDeclaredHeight();
    const int64_t width = area.right - area.left;

    if (m_itemSize.cx > 0) m_columns = SaturateInt(width / m_itemSize.cx);
    // An item wider than the room, or no room at all, still leaves one column: the count
    // divides the width and the child index below.
    if (m_columns < 1) m_columns = 1;
    const int64_t columns = m_columns;
    const int64_t cellWidth =
        (horizontal ? width + m_horizontalBar->GetScrollRange() : width) / columns;
    const int64_t halfPadding = m_childPadding / 2;

    const int64_t rowStart = area.left - (horizontal ? m_horizontalBar->GetScrollPos() : 0);
    const int64_t scrolledTop = vertical ? m_verticalBar->GetScrollPos() : 0;
    int64_t x = rowStart;
    int64_t y = area.top - scrolledTop;
    int64_t rowHeight = 0;
    int64_t placed = 0;
    int64_t required = 0;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* child = FlowChild(i);
        if (child == nullptr) continue;
        const int64_t cellRight = x + cellWidth;
        const bool rowFirst = placed % columns == 0;
        const bool rowLast = (placed + 1) % columns == 0;
        if (rowFirst) rowHeight = RowHeight(i, cellWidth);

        const RECT pad = child->GetPadding();
        const TRect64 cell = {x + pad.left + (rowFirst ? 0 : halfPadding), y + pad.top,
                              cellRight - pad.right - (rowLast ? 0 : halfPadding), y + rowHeight};
        const int64_t cellW = cell.right - cell.left;
        const int64_t cellH = rowHeight - pad.top;
        const SIZE measured = child->MeasureSize(SIZE{SaturateInt(cellW), SaturateInt(cellH)});
        const int64_t w = ClampMinMax(measured.cx == 0 ? cellW : measured.cx,
                                      child->GetMinWidth(), child->GetMaxWidth());
        const int64_t h = ClampMinMax(measured.cy == 0 ? cellH : measured.cy,
                                      child->GetMinHeight(), child->GetMaxHeight());
        const int64_t left = (cell.left + cell.right - w) / 2;
        const int64_t top = (cell.top + cell.bottom - h) / 2;
        child->SetPos(TRect64{left, top, left + w, top + h}.Saturated(), false);

        if (++placed % columns == 0) {
            y += rowHeight + m_childPadding;
            rowHeight = 0;
            x = rowStart;
        } else {
            x = cellRight;
        }
        required = cell.bottom - (int64_t{m_rcItem.top} + m_inset.top) + scrolledTop;
    }
    UpdateScrollBars(area.Saturated(), 0, SaturateInt(required));
}

}  // namespace Veneer
