// What every kind of list row shares, whatever control it is built on: its place in the
// owner, its selected and hot state, the repaint of one row and the row background drawn from
// the owner's shared style.
#pragma once
#include <windows.h>

#include <cstdint>

#include "ListInterfaces.h"

namespace Veneer {

struct TListRowState {
    static constexpr UINT kHot = 0x08;

    int index = -1;
    bool selected = false;
    UINT state = 0;
    IListOwnerUI* owner = nullptr;
};

// Repaints one row: only the part of it that its parent's visible area and every further
// ancestor leave on screen, so a row scrolled out of sight costs no paint.
void InvalidateRow(CControlUI& row);

// Stores the selection flag of a row and tells its owner of a new selection.
bool SelectRow(CControlUI& row, TListRowState& rs, bool select);

// A row that has just been hidden gives up the owner's selection.
void DeselectHiddenRow(CControlUI& row, TListRowState& rs);

// The owner's "IListOwner" part of a control, or null.
IListOwnerUI* ListOwnerOf(CControlUI* owner);

// The row's text colour from the owner's style: disabled before selected before hot.
uint32_t RowTextColor(const TListItemStyle& style, const TListRowState& rs, bool enabled);

// The mouse rules every row kind shares: a press on an enabled row sends "itemclick" and selects
// it, button up and moves are swallowed, the pointer sets and clears the hot state. Answers
// whether the event was one of these.
bool HandleRowMouse(CControlUI& row, IListItemUI& item, TListRowState& rs, const TControlEvent& event);

// Fills and images of a row's background from the owner's style; `ownBkImage` is the row's
// own "bkimage", drawn over the style's.
void DrawRowBackground(CControlUI& row, const TListRowState& rs, TImageDrawInfo& ownBkImage,
                       HDC dc, const RECT& rc);

}  // namespace Veneer
