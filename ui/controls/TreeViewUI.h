// A list whose rows are tree nodes in depth-first order. Expanding and collapsing hide and show
// descendant rows; ticking a node's check box ticks its whole subtree. The view hears its nodes
// through bound callbacks on their notification hubs.
#pragma once
#include <cstdint>

#include "ControlEvent.h"
#include "ListUI.h"
#include "UIInterfaces.h"

namespace Veneer {

class CTreeNodeUI;

// A bound callback that forwards a notification to one operation of an object of class T.
template <class T>
class CDelegate : public CDelegateBase {
public:
    using Forward = bool (*)(T& object, TNotification* msg);

    CDelegate(T* object, Forward forward)
        : CDelegateBase(object, reinterpret_cast<void*>(forward)), m_forward(forward) {}

    CDelegateBase* Copy() const override {
        return new CDelegate(static_cast<T*>(GetObject()), m_forward);
    }
    bool Invoke(void* param) override {
        return m_forward(*static_cast<T*>(GetObject()), static_cast<TNotification*>(param));
    }

private:
    Forward m_forward;
};

class CTreeViewUI : public CListUI, public INotifyUI {
public:
    CTreeViewUI();
    ~CTreeViewUI() override;

    const wchar_t* GetTypeName() const override;
    void* QueryPart(const wchar_t* name) override;
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
    void Notify(TNotification& msg) override;

    // Removing a node through the container takes its subtree along and keeps its parent's
    // list of children right.
    bool Remove(CControlUI* control) override;
    bool RemoveAt(int index) override;
    void RemoveAll() override;

    using CListUI::Add;
    using CListUI::AddAt;
    virtual bool Add(CTreeNodeUI* node);
    virtual bool AddAtNode(CTreeNodeUI* node, CTreeNodeUI* before);
    // Lists the node at `index` (the row count appends it) and its subtree after it; answers
    // the row after the last one inserted, or -1.
    virtual int AddAt(CTreeNodeUI* node, int index);
    virtual bool RemoveNode(CTreeNodeUI* node);
    virtual bool OnCheckBoxNotify(TNotification* msg);
    virtual bool OnFolderNotify(TNotification* msg);
    virtual bool OnNodeNotify(TNotification* msg);
    virtual bool SetNodesChecked(bool checked, CTreeNodeUI* node);
    virtual void SetNodesExpanded(bool expand, CTreeNodeUI* node);
    virtual void SetShowFolderButtons(bool show);
    virtual bool GetShowFolderButtons() const { return m_showFolderButtons; }
    virtual void SetShowCheckBoxes(bool show);
    virtual bool GetShowCheckBoxes() const { return m_showCheckBoxes; }
    virtual void SetItemMinWidth(uint32_t width);
    virtual uint32_t GetItemMinWidth() const { return m_itemMinWidth; }
    virtual void SetItemTextColor(uint32_t color);
    virtual void SetItemHotTextColor(uint32_t color);
    virtual void SetSelItemTextColor(uint32_t color);
    virtual void SetSelItemHotTextColor(uint32_t color);

protected:
    // A node leaving the rows by any path takes its subtree's rows along and leaves its
    // parent's children.
    void RowLeaving(CControlUI* row) override;

private:
    static bool ForwardCheckBox(CTreeViewUI& view, TNotification* msg);
    static bool ForwardFolder(CTreeViewUI& view, TNotification* msg);
    static bool ForwardNode(CTreeViewUI& view, TNotification* msg);

    // Hooks a node to this view and shows its parts as the view wants them.
    void Attach(CTreeNodeUI* node);
    static bool CanList(CTreeNodeUI* node);
    // Shows or hides the rows SetNodesExpanded visits; answers whether any changed.
    bool ExpandRows(bool expand, CTreeNodeUI* node);
    // Whether `node` is a row of this view now.
    bool HoldsRow(CTreeNodeUI* node) const;
    template <class Fn>
    void ForEachRow(Fn fn);

    uint32_t m_itemMinWidth = 0;
    bool m_showFolderButtons = true;
    bool m_showCheckBoxes = false;
};

// Lets the layout builder make "TreeNode" elements into nodes of these classes.
void RegisterTreeNodeElement();

}  // namespace Veneer
