// One row of a tree view: a list row whose content is an indentation line, a folder button, a
// check box and the item text, and which knows its parent node and its child nodes. The child
// nodes are rows of the same view (which owns them), listed right after their parent.
#pragma once
#include <cstdint>

#include "ListContainerElementUI.h"
#include "UIPtrArray.h"

namespace Veneer {

class CCheckBoxUI;
class CHorizontalLayoutUI;
class CLabelUI;
class COptionUI;
class CTreeViewUI;

class CTreeNodeUI : public CListContainerElementUI {
public:
    explicit CTreeNodeUI(CTreeNodeUI* parent = nullptr);
    ~CTreeNodeUI() override;

    const wchar_t* GetTypeName() const override;
    void* QueryPart(const wchar_t* name) override;
    void HandleEvent(TControlEvent& event) override;
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;

    // A node added here becomes a child node; any other control joins the node's own children.
    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;
    // Removes the child nodes; the row's own content stays.
    void RemoveAll() override;
    bool Select(bool select = true) override;

    int ChildCount() const { return m_children.GetSize(); }
    CTreeNodeUI* ChildAt(int index) const;
    bool HasChildren() const { return !m_children.IsEmpty(); }
    CTreeNodeUI* ParentNode() const { return m_parentNode; }
    void SetParentNode(CTreeNodeUI* node) { m_parentNode = node; }
    CTreeViewUI* GetTreeView() const { return m_treeView; }
    void SetTreeView(CTreeViewUI* view) { m_treeView = view; }
    CCheckBoxUI* GetFolderButton() const { return m_folderButton; }
    CCheckBoxUI* GetCheckBox() const { return m_checkBox; }
    COptionUI* GetItemButton() const { return m_itemButton; }
    CLabelUI* GetDotLine() const { return m_dotLine; }
    CHorizontalLayoutUI* GetRowLayout() const { return m_horizLayout; }
    CUIString GetItemText() const;

    void SetItemTextColor(uint32_t color);
    uint32_t GetItemTextColor() const { return m_itemTextColor; }
    void SetItemHotTextColor(uint32_t color);
    uint32_t GetItemHotTextColor() const { return m_itemHotTextColor; }
    void SetSelItemTextColor(uint32_t color);
    uint32_t GetSelItemTextColor() const { return m_selItemTextColor; }
    void SetSelItemHotTextColor(uint32_t color);
    uint32_t GetSelItemHotTextColor() const { return m_selItemHotTextColor; }

    // The node's row in its view, or -1.
    int RowIndexInView() const;
    // The last row of this node's subtree: the node itself when it has no children.
    CTreeNodeUI* LastDescendant();
    bool AppendChild(CTreeNodeUI* child);
    void AdoptChild(CTreeNodeUI* child);
    bool RemoveChild(CTreeNodeUI* child);
    void ShowFolderButton(bool show);
    void ShowCheckBox(bool show);

    // Shows or hides the row as SetVisible does, but leaves the layout request to the caller:
    // the view shows and hides whole subtrees and asks for one layout for all of them.
    // Answers whether the row's visibility changed.
    bool SetRowVisible(bool visible);

    // Whether the node is a row of a view now; kept by the view.
    bool IsInView() const { return m_inView; }
    void SetInView(bool in) { m_inView = in; }
    // Whether `node` is this node or one of its ancestors.
    bool IsSelfOrAncestor(const CTreeNodeUI* node) const;
    // Whether `node` may become a child of this node: not already placed anywhere, and no
    // loop in the hierarchy.
    bool CanAdopt(const CTreeNodeUI* node) const;
    // Drops the first child from the list of children without any other change; used when a
    // child cannot be removed otherwise, so removing all children always ends.
    void DropFirstChild();
    // Takes `child` out of the list of children and leaves it a free node, touching no row:
    // for a child whose row leaves the view by a path other than this node's.
    void ForgetChild(CTreeNodeUI* child);

private:
    // Undoes AdoptChild for a child the view refused.
    void Unadopt(CTreeNodeUI* child);

    uint32_t m_itemTextColor = 0;
    uint32_t m_itemHotTextColor = 0;
    uint32_t m_selItemTextColor = 0;
    uint32_t m_selItemHotTextColor = 0;
    CTreeViewUI* m_treeView = nullptr;
    CHorizontalLayoutUI* m_horizLayout = nullptr;
    CCheckBoxUI* m_folderButton = nullptr;
    CLabelUI* m_dotLine = nullptr;
    CCheckBoxUI* m_checkBox = nullptr;
    COptionUI* m_itemButton = nullptr;
    CTreeNodeUI* m_parentNode = nullptr;
    CUIPtrArray m_children;
    bool m_inView = false;
    bool m_partsUnplaced = false;
};

// The tree-node part of a control, or null.
inline CTreeNodeUI* AsTreeNode(CControlUI* control) {
    return control ? static_cast<CTreeNodeUI*>(control->QueryPart(L"TreeNode")) : nullptr;
}

}  // namespace Veneer
