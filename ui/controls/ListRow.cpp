#include "ListRow.h"

#include "ContainerUI.h"
#include "ScrollBarUI.h"
#include "WindowManagerUI.h"

namespace Veneer {

void InvalidateRow(CControlUI& row) {
    if (!row.IsVisible()) return;
    CControlUI* parent = row.GetParent();
    auto* box = parent ? static_cast<CContainerUI*>(parent->QueryPart(L"Container")) : nullptr;
    if (box == nullptr) {
        row.Invalidate();
        return;
    }
    CWindowManagerUI* manager = row.GetManager();
    if (manager == nullptr) return;
    const RECT& pos = box->GetPos();
    const RECT inset = box->GetInset();
    RECT area = {pos.left + inset.left, pos.top + inset.top, pos.right - inset.right,
                 pos.bottom - inset.bottom};
    CScrollBarUI* vbar = box->GetVerticalScrollBar();
    if (vbar && vbar->IsVisible()) area.right -= vbar->GetDeclaredWidth();
    CScrollBarUI* hbar = box->GetHorizontalScrollBar();
    if (hbar && hbar->IsVisible()) area.bottom -= hbar->GetDeclaredHeight();
    RECT rc;
    if (!IntersectRect(&rc, &row.GetPos(), &area)) return;
    for (CControlUI* a = parent->GetParent(); a != nullptr; a = a->GetParent()) {
        RECT clipped;
        if (!IntersectRect(&clipped, &rc, &a->GetPos())) return;
        rc = clipped;
    }
    manager->Invalidate(rc);
}

bool SelectRow(CControlUI& row, TListRowState& rs, bool select) {
    if (!row.IsEnabled()) return false;
    if (rs.selected == select) return true;
    rs.selected = select;
    if (select && rs.owner) rs.owner->SelectItem(rs.index, false);
    InvalidateRow(row);
    return true;
}

void DeselectHiddenRow(CControlUI& row, TListRowState& rs) {
    if (row.IsVisible() || !rs.selected) return;
    rs.selected = false;
    if (rs.owner) rs.owner->SelectItem(-1, false);
}

IListOwnerUI* ListOwnerOf(CControlUI* owner) {
    return owner ? static_cast<IListOwnerUI*>(owner->QueryPart(L"IListOwner")) : nullptr;
}

uint32_t RowTextColor(const TListItemStyle& style, const TListRowState& rs, bool enabled) {
    uint32_t color = style.textColor;
    if (rs.state & TListRowState::kHot) color = style.hotTextColor;
    if (rs.selected) color = style.selectedTextColor;
    if (!enabled) color = style.disabledTextColor;
    return color;
}

void DrawRowBackground(CControlUI& row, const TListRowState& rs, TImageDrawInfo& ownBkImage,
                       HDC dc, const RECT& rc) {
    if (rs.owner == nullptr) return;
    TListItemStyle* style = rs.owner->GetListStyle();
    if (style == nullptr) return;
    const bool oddRow = (rs.index % 2) != 0;
    uint32_t color = style->alternateBk && oddRow ? 0 : style->bkColor;
    if (rs.state & TListRowState::kHot) color = style->hotBkColor;
    if (rs.selected) color = style->selectedBkColor;
    if (!row.IsEnabled()) color = style->disabledBkColor;
    if (color != 0) CRenderer::FillColor(dc, rc, row.GetHslAdjustedColor(color));

    if (!row.IsEnabled() && row.DrawImage(dc, style->disabledImage)) return;
    if (rs.selected && row.DrawImage(dc, style->selectedImage)) return;
    if ((rs.state & TListRowState::kHot) && row.DrawImage(dc, style->hotImage)) return;

    if (!row.DrawImage(dc, ownBkImage) && (!style->alternateBk || !oddRow)) {
        if (row.DrawImage(dc, style->bkImage)) return;
    }
    if (style->lineColor != 0) {
        const RECT line = {rc.left, rc.bottom - 1, rc.right, rc.bottom - 1};
        CRenderer::DrawLine(dc, line, 1, row.GetHslAdjustedColor(style->lineColor));
    }
}

bool HandleRowMouse(CControlUI& row, IListItemUI& item, TListRowState& rs, const TControlEvent& event) {
    switch (event.type) {
    case kEventButtonDown:
    case kEventRightButtonDown:
        if (!row.IsEnabled()) return true;
        if (CWindowManagerUI* manager = row.GetManager()) manager->SendNotification(&row, L"itemclick");
        item.Select(true);
        InvalidateRow(row);
        return true;
    case kEventButtonUp:
    case kEventMouseMove:
        return true;
    case kEventMouseEnter:
        if (row.IsEnabled()) {
            rs.state |= TListRowState::kHot;
            InvalidateRow(row);
        }
        return true;
    case kEventMouseLeave:
        if (rs.state & TListRowState::kHot) {
            rs.state &= ~TListRowState::kHot;
            InvalidateRow(row);
        }
        return true;
    default:
        return false;
    }
}

}  // namespace Veneer
