// A control that owns an ordered list of children, passes manager, parent and visibility down,
// paints and hit-tests them, and may carry a vertical and a horizontal scroll bar. On its own
// it stacks every child at the same origin; the box layouts derive from it.
#pragma once
#include <windows.h>

#include "ControlUI.h"
#include "LayoutMath.h"
#include "UIPtrArray.h"

namespace Veneer {

class CScrollBarUI;

// The child list as the layout builder and other outside code reach it.
class IContainerUI {
public:
    virtual CControlUI* GetItemAt(int index) const = 0;
    virtual int GetItemIndex(CControlUI* control) const = 0;
    virtual bool SetItemIndex(CControlUI* control, int index) = 0;
    virtual int GetCount() const = 0;
    virtual bool Add(CControlUI* control) = 0;
    virtual bool AddAt(CControlUI* control, int index) = 0;
    virtual bool Remove(CControlUI* control) = 0;
    virtual bool RemoveAt(int index) = 0;
    virtual void RemoveAll() = 0;

protected:
    ~IContainerUI() = default;
};

class CContainerUI : public CControlUI, public IContainerUI {
public:
    CContainerUI();
    ~CContainerUI() override;

    const wchar_t* GetTypeName() const override;
    void* QueryPart(const wchar_t* name) override;

    CControlUI* GetItemAt(int index) const override;
    int GetItemIndex(CControlUI* control) const override;
    bool SetItemIndex(CControlUI* control, int index) override;
    int GetCount() const override;
    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;
    bool RemoveAt(int index) override;
    void RemoveAll() override;

    virtual RECT GetInset() const;
    virtual void SetInset(RECT inset);
    virtual int GetChildPadding() const;
    virtual void SetChildPadding(int padding);
    virtual bool IsDeleteOnRemove() const;
    virtual void SetDeleteOnRemove(bool on);
    virtual bool IsDeferredDelete() const;
    virtual void SetDeferredDelete(bool on);
    virtual bool IsMouseChild() const;
    virtual void SetMouseChild(bool on);
    virtual int NextSelectableIndex(int index, bool forward) const;
    virtual SIZE GetScrollPos() const;
    virtual SIZE GetScrollRange() const;
    virtual void SetScrollPos(SIZE pos);
    virtual void ScrollLineUp();
    virtual void ScrollLineDown();
    virtual void ScrollPageUp();
    virtual void ScrollPageDown();
    virtual void ScrollToTop();
    virtual void ScrollToBottom();
    virtual void ScrollLineLeft();
    virtual void ScrollLineRight();
    virtual void ScrollPageLeft();
    virtual void ScrollPageRight();
    virtual void ScrollToLeftEnd();
    virtual void ScrollToRightEnd();
    virtual void EnableScrollBar(bool vertical = true, bool horizontal = false);
    virtual CScrollBarUI* GetVerticalScrollBar() const;
    virtual CScrollBarUI* GetHorizontalScrollBar() const;
    virtual void PlaceFloatingChild(int index);
    virtual void UpdateScrollBars(RECT inner, int requiredWidth, int requiredHeight);

    void SetManager(CWindowManagerUI* manager, CControlUI* parent, bool init = true) override;
    void SetPos(RECT rc, bool needInvalidate = true) override;
    void Move(SIZE offset, bool needInvalidate = true) override;
    void SetVisible(bool visible = true) override;
    void SetInheritedVisible(bool visible = true) override;
    void SetMouseEnabled(bool enabled = true) override;
    CControlUI* LocateControl(LocateProc proc, void* data, UINT flags) override;
    void HandleEvent(TControlEvent& event) override;
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
    void Render(HDC dc, const RECT& paint) override;

protected:
    // The item rectangle deflated by the inset, in 64 bits for the sums that follow.
    TRect64 InsetArea() const;
    // The item rectangle less the inset and the room visible scroll bars take.
    RECT InnerRect() const;
    // The child at `index` when the layout places it: null for an invisible child and for a
    // float one, which is placed here by its own origin and shares instead.
    CControlUI* FlowChild(int index);
    bool IsBarVisible(const CScrollBarUI* bar) const;
    // Hands a removed child to the manager's deferred list or deletes it now.
    void DisposeChild(CControlUI* child);
    // Lets a child go that the container does not delete.
    void ReleaseChild(CControlUI* child);

    CUIPtrArray m_items;
    RECT m_inset = {0, 0, 0, 0};
    int m_childPadding = 0;
    bool m_deleteOnRemove = true;
    bool m_deferredDelete = true;
    bool m_mouseChild = true;
    bool m_inScrollUpdate = false;
    CScrollBarUI* m_verticalBar = nullptr;
    CScrollBarUI* m_horizontalBar = nullptr;
};

}  // namespace Veneer
