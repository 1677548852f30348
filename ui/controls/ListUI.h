// A scrolling list of rows under an optional column header. The rows live in the body; the
// list keeps the selection, the expanded row, the rows' shared style and an optional text
// provider, and it is what rows, the header and the keyboard talk to.
#pragma once
#include <cstdint>

#include "ListInterfaces.h"
#include "VerticalLayoutUI.h"

namespace Veneer {

class CListBodyUI;
class CListHeaderUI;

class CListUI : public CVerticalLayoutUI, public IListUI {
public:
    CListUI();

    const wchar_t* GetTypeName() const override;
    void* QueryPart(const wchar_t* name) override;
    UINT GetBehaviourFlags() const override;

    // The child list of the rows; the header and its items are routed to the header.
    CControlUI* GetItemAt(int index) const override;
    int GetItemIndex(CControlUI* control) const override;
    bool SetItemIndex(CControlUI* control, int index) override;
    int GetCount() const override;
    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;
    bool RemoveAt(int index) override;
    void RemoveAll() override;

    // Padding and scrolling are the body's.
    int GetChildPadding() const override;
    void SetChildPadding(int padding) override;
    int NextSelectableIndex(int index, bool forward) const override;
    SIZE GetScrollPos() const override;
    SIZE GetScrollRange() const override;
    void SetScrollPos(SIZE pos) override;
    void ScrollLineUp() override;
    void ScrollLineDown() override;
    void ScrollPageUp() override;
    void ScrollPageDown() override;
    void ScrollToTop() override;
    void ScrollToBottom() override;
    void ScrollLineLeft() override;
    void ScrollLineRight() override;
    void ScrollPageLeft() override;
    void ScrollPageRight() override;
    void ScrollToLeftEnd() override;
    void ScrollToRightEnd() override;
    void EnableScrollBar(bool vertical = true, bool horizontal = false) override;
    CScrollBarUI* GetVerticalScrollBar() const override;
    CScrollBarUI* GetHorizontalScrollBar() const override;

    void SetPos(RECT rc, bool needInvalidate = true) override;
    void Move(SIZE offset, bool needInvalidate = true) override;
    void HandleEvent(TControlEvent& event) override;
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;

    TListItemStyle* GetListStyle() override;
    int GetCurSel() const override;
    bool SelectItem(int index, bool takeFocus = false) override;
    CListHeaderUI* GetHeader() const override;
    CContainerUI* GetList() const override;
    IListTextProvider* GetTextProvider() const override;
    void SetTextProvider(IListTextProvider* provider) override;
    bool ExpandItem(int index, bool expand = true) override;
    int GetExpandedItem() const override;

    bool IsScrollSelect() const { return m_scrollSelect; }
    void SetScrollSelect(bool on) { m_scrollSelect = on; }
    // Scrolls the body so that the row at `index` is wholly in view.
    void EnsureVisible(int index);
    void Scroll(int dx, int dy);

protected:
    // Called by the body before a row leaves it, whichever call removes it: a list whose rows
    // hold other rows lets go of them here. It must not remove `row` itself.
    virtual void RowLeaving(CControlUI* row);

private:
    friend class CListBodyUI;

    // Bookkeeping the body asks for when its rows change.
    void RowInserted(int index);
    void RowRemoved(int index);
    void RowsCleared();
    void RowsMoved(int selected, int expanded);

    // Lays the header out in the list's width and takes the column rectangles from its items;
    // a hidden header's items are laid out all the same, so the rows keep their columns.
    void LayOutHeader(CListHeaderUI* header, RECT band);
    void CollectColumns(CListHeaderUI* header);
    void SetImage(TImageDrawInfo& info, const wchar_t* description);
    void SetStyleColor(uint32_t& field, const wchar_t* value);

    bool m_scrollSelect = false;
    int m_curSel = -1;
    int m_expanded = -1;
    IListTextProvider* m_provider = nullptr;
    CListBodyUI* m_body = nullptr;
    // Checked against the list's own children before use: a header taken out of the list by
    // any means stops being the header.
    mutable CListHeaderUI* m_header = nullptr;
    TListItemStyle m_style;
};

}  // namespace Veneer
