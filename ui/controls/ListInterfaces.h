// What a list, its rows, its header and a combo box say to one another: the owner interfaces
// rows call back into, the row interface owners number and select rows through, the text
// provider an application may plug in, and the shared appearance record of the rows.
#pragma once
#include <windows.h>

#include <cstdint>

#include "ControlUI.h"

namespace Veneer {

class CListHeaderUI;
class CContainerUI;

// Behaviour flag of rows: they take the Return key for themselves.
enum : UINT { kBehaviourWantReturn = 0x00000004 };

// Column rectangles a list keeps: one per header item, the first ones only.
constexpr int kMaxListColumns = 32;

// The appearance every row of one owner shares, so a list's rows look alike without
// attributes of their own.
struct TListItemStyle {
    int columns = 0;
    RECT columnRects[kMaxListColumns] = {};
    int font = -1;
    UINT textStyle = 4;  // vertically centred
    RECT textPadding = {0, 0, 0, 0};
    uint32_t textColor = 0xFF000000;
    uint32_t bkColor = 0;
    TImageDrawInfo bkImage;
    bool alternateBk = false;
    uint32_t selectedTextColor = 0xFF000000;
    uint32_t selectedBkColor = 0xFFC1E3FF;
    TImageDrawInfo selectedImage;
    uint32_t hotTextColor = 0xFF000000;
    uint32_t hotBkColor = 0xFFE9F5FF;
    TImageDrawInfo hotImage;
    uint32_t disabledTextColor = 0xFFCCCCCC;
    uint32_t disabledBkColor = 0xFFFFFFFF;
    TImageDrawInfo disabledImage;
    uint32_t lineColor = 0;
    bool showHtml = false;
    bool multiExpanding = false;

    // The column count as an index bound: never past the rectangles kept.
    int ColumnBound() const {
        return columns < 0 ? 0 : (columns > kMaxListColumns ? kMaxListColumns : columns);
    }
};

class IListOwnerUI {
public:
    virtual TListItemStyle* GetListStyle() = 0;
    virtual int GetCurSel() const = 0;
    virtual bool SelectItem(int index, bool takeFocus = false) = 0;
    virtual void HandleEvent(TControlEvent& event) = 0;

protected:
    ~IListOwnerUI() = default;
};

class IListTextProvider {
public:
    // The text of one cell; it stays valid until the caller has copied it. Null draws nothing.
    virtual const wchar_t* GetItemText(CControlUI* row, int index, int column) = 0;

protected:
    ~IListTextProvider() = default;
};

class IListUI : public IListOwnerUI {
public:
    virtual CListHeaderUI* GetHeader() const = 0;
    virtual CContainerUI* GetList() const = 0;
    virtual IListTextProvider* GetTextProvider() const = 0;
    virtual void SetTextProvider(IListTextProvider* provider) = 0;
    virtual bool ExpandItem(int index, bool expand = true) = 0;
    virtual int GetExpandedItem() const = 0;

protected:
    ~IListUI() = default;
};

class IListItemUI {
public:
    virtual int GetIndex() const = 0;
    virtual void SetIndex(int index) = 0;
    virtual IListOwnerUI* GetOwner() = 0;
    virtual void SetOwner(CControlUI* owner) = 0;
    virtual bool IsSelected() const = 0;
    virtual bool Select(bool select = true) = 0;
    virtual bool IsExpanded() const = 0;
    virtual bool Expand(bool expand = true) = 0;
    virtual void DrawRowText(HDC dc, const RECT& rc) = 0;

protected:
    ~IListItemUI() = default;
};

// The row interface of a control, or null when it is no row.
inline IListItemUI* AsListItem(CControlUI* control) {
    return control ? static_cast<IListItemUI*>(control->QueryPart(L"ListItem")) : nullptr;
}

}  // namespace Veneer
