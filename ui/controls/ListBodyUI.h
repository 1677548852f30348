// The scrolling part of a list that holds its rows: a vertical layout whose rows are as wide
// as the list's header, and whose horizontal scrolling moves the header's columns along.
#pragma once
#include "VerticalLayoutUI.h"

namespace Veneer {

class CListUI;

class CListBodyUI : public CVerticalLayoutUI {
public:
    explicit CListBodyUI(CListUI* owner) : m_owner(owner) {}

    CListUI* GetOwner() const { return m_owner; }

    bool SetItemIndex(CControlUI* control, int index) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;
    void RemoveAll() override;
    void SetPos(RECT rc, bool needInvalidate = true) override;
    void SetScrollPos(SIZE pos) override;
    void HandleEvent(TControlEvent& event) override;
    void Render(HDC dc, const RECT& paint) override;

private:
    // Gives the rows from `first` to `last` (both included) their indices.
    void Renumber(int first, int last);
    // The range of rows that may meet the rectangle: rows are stacked top to bottom, so a
    // search finds the band instead of testing every row.
    void RowsMeeting(const RECT& rc, int& first, int& last);

    CListUI* m_owner;
    // Set while the rows stand in layout order (none hidden, none float, stacked downwards):
    // only then can the band of rows in view be found by searching.
    bool m_ordered = false;
};

}  // namespace Veneer
