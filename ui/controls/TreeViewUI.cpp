#include "TreeViewUI.h"

#include <cwchar>

#include "AttrTable.h"
#include "AttrValue.h"
#include "CheckBoxUI.h"
#include "HorizontalLayoutUI.h"
#include "LayoutBuilder.h"
#include "ListHeaderUI.h"
#include "OptionUI.h"
#include "TreeNodeUI.h"

namespace Veneer {

namespace {

bool IsNodeType(CControlUI* control) {
    return control != nullptr && _wcsicmp(control->GetTypeName(), L"TreeNodeUI") == 0;
}

// The node whose row holds a part: part -> row layout -> node.
CTreeNodeUI* NodeOfPart(CControlUI* part) {
    CControlUI* row = part ? part->GetParent() : nullptr;
    return AsTreeNode(row ? row->GetParent() : nullptr);
}

CControlUI* NewTreeNode() { return new CTreeNodeUI; }

bool AddToNodeRow(CControlUI* node, CControlUI* control) {
    CTreeNodeUI* treeNode = AsTreeNode(node);
    return treeNode != nullptr && treeNode->GetRowLayout()->Add(control);
}

bool AddNodeToView(void* view, CControlUI* node) {
    CTreeNodeUI* treeNode = AsTreeNode(node);
    return treeNode != nullptr && static_cast<CTreeViewUI*>(view)->Add(treeNode);
}

}  // namespace

void RegisterTreeNodeElement() {
    TTreeNodeHooks hooks;
    hooks.createNode = &NewTreeNode;
    hooks.addToRow = &AddToNodeRow;
    hooks.addToView = &AddNodeToView;
    CLayoutBuilder::SetTreeNodeHooks(hooks);
}

CTreeViewUI::CTreeViewUI() {
    if (CListHeaderUI* header = GetHeader()) header->SetVisible(false);
}

CTreeViewUI::~CTreeViewUI() = default;

const wchar_t* CTreeViewUI::GetTypeName() const { return L"TreeViewUI"; }

void* CTreeViewUI::QueryPart(const wchar_t* name) {
    if (name && wcscmp(name, L"TreeView") == 0) return this;
    return CListUI::QueryPart(name);
}

void CTreeViewUI::Notify(TNotification&) {}

bool CTreeViewUI::ForwardCheckBox(CTreeViewUI& view, TNotification* msg) {
    return view.OnCheckBoxNotify(msg);
}
bool CTreeViewUI::ForwardFolder(CTreeViewUI& view, TNotification* msg) {
    return view.OnFolderNotify(msg);
}
bool CTreeViewUI::ForwardNode(CTreeViewUI& view, TNotification* msg) {
    return view.OnNodeNotify(msg);
}

template <class Fn>
void CTreeViewUI::ForEachRow(Fn fn) {
    // Counted each time: what a row's handler does may change the rows.
    for (int i = 0; i < GetCount(); ++i)
        if (CTreeNodeUI* node = AsTreeNode(GetItemAt(i))) fn(node);
}

bool CTreeViewUI::HoldsRow(CTreeNodeUI* node) const {
    if (node == nullptr || !node->IsInView()) return false;
    const int known = node->GetIndex();
    if (known >= 0 && GetItemAt(known) == node) return true;
    return GetItemIndex(node) >= 0;
}

void CTreeViewUI::Attach(CTreeNodeUI* node) {
    node->OnNotify().Add(CDelegate<CTreeViewUI>(this, &ForwardNode));
    node->GetFolderButton()->OnNotify().Add(CDelegate<CTreeViewUI>(this, &ForwardFolder));
    node->GetCheckBox()->OnNotify().Add(CDelegate<CTreeViewUI>(this, &ForwardCheckBox));
    node->ShowFolderButton(m_showFolderButtons);
    node->ShowCheckBox(m_showCheckBoxes);
    if (m_itemMinWidth != 0) node->SetMinWidth(static_cast<int>(m_itemMinWidth));
}

bool CTreeViewUI::CanList(CTreeNodeUI* node) {
    // A node is listed once: a second add would leave two rows for one object. A child comes
    // in with its parent, which must be listed first: the parent may still delete it.
    if (!IsNodeType(node) || node->IsInView()) return false;
    CTreeNodeUI* parent = node->ParentNode();
    return parent == nullptr || parent->IsInView();
}

bool CTreeViewUI::Add(CTreeNodeUI* node) {
    if (!CanList(node)) return false;
    Attach(node);
    if (!CListUI::Add(node)) return false;
    node->SetInView(true);
    for (int i = 0; i < node->ChildCount(); ++i)
        if (CTreeNodeUI* child = node->ChildAt(i)) Add(child);
    node->SetTreeView(this);
    return true;
}

int CTreeViewUI::AddAt(CTreeNodeUI* node, int index) {
    if (!CanList(node)) return -1;
    // The end of the rows is a place too: a child of the last row goes there.
    if (index < 0 || index > GetCount()) return -1;
    Attach(node);
    if (!CListUI::AddAt(node, index)) return -1;
    node->SetInView(true);
    node->SetTreeView(this);
    // The whole subtree follows in depth-first order: a descendant left out would be recorded
    // but never shown, and never deleted with the rows.
    int next = index + 1;
    for (int i = 0; i < node->ChildCount(); ++i) {
        CTreeNodeUI* child = node->ChildAt(i);
        if (child == nullptr) continue;
        const int after = AddAt(child, next);
        if (after >= 0) next = after;
    }
    return next;
}

bool CTreeViewUI::AddAtNode(CTreeNodeUI* node, CTreeNodeUI* before) {
    if (node == nullptr || before == nullptr || !HoldsRow(before)) return false;
    const int known = before->GetIndex();
    const int at = GetItemAt(known) == before ? known : GetItemIndex(before);
    return AddAt(node, at) >= 0;
}

bool CTreeViewUI::RemoveNode(CTreeNodeUI* node) {
    if (!HoldsRow(node)) return false;
    while (node->HasChildren()) {
        // A child that cannot be removed is dropped from the list of children all the same,
        // so this ends.
        if (!node->Remove(node->ChildAt(0))) node->DropFirstChild();
    }
    if (CTreeNodeUI* parent = node->ParentNode()) {
        // The parent's removal lists the node out again through here; it may be gone after.
        if (parent->Remove(node)) return true;
    }
    node->SetInView(false);
    CListUI::Remove(node);
    return true;
}

void CTreeViewUI::RowLeaving(CControlUI* row) {
    CTreeNodeUI* node = AsTreeNode(row);
    // A node this view removes itself is out of the view already, its subtree and parent done.
    if (node == nullptr || !node->IsInView()) return;
    node->SetInView(false);
    while (node->HasChildren()) {
        if (!node->Remove(node->ChildAt(0))) node->DropFirstChild();
    }
    if (CTreeNodeUI* parent = node->ParentNode()) parent->ForgetChild(node);
}

bool CTreeViewUI::Remove(CControlUI* control) {
    if (CTreeNodeUI* node = AsTreeNode(control)) return RemoveNode(node);
    return CListUI::Remove(control);
}

bool CTreeViewUI::RemoveAt(int index) {
    CControlUI* row = GetItemAt(index);
    if (row == nullptr) return false;
    if (CTreeNodeUI* node = AsTreeNode(row)) return RemoveNode(node);
    return CListUI::RemoveAt(index);
}

void CTreeViewUI::RemoveAll() {
    ForEachRow([](CTreeNodeUI* node) { node->SetInView(false); });
    CListUI::RemoveAll();
}

bool CTreeViewUI::SetNodesChecked(bool checked, CTreeNodeUI* node) {
    auto visit = [&](CTreeNodeUI* n) {
        n->GetCheckBox()->SetSelected(checked);
        if (n->HasChildren()) SetNodesChecked(checked, n);
    };
    if (node == nullptr) {
        ForEachRow(visit);
    } else {
        for (int i = 0; i < node->ChildCount(); ++i)
            if (CTreeNodeUI* child = node->ChildAt(i)) visit(child);
    }
    return true;
}

bool CTreeViewUI::ExpandRows(bool expand, CTreeNodeUI* node) {
    bool changed = false;
    auto visit = [&](CTreeNodeUI* n) {
        changed |= n->SetRowVisible(expand);
        if (n->HasChildren() && !n->GetFolderButton()->IsSelected()) changed |= ExpandRows(expand, n);
    };
    if (node == nullptr) {
        ForEachRow(visit);
    } else {
        for (int i = 0; i < node->ChildCount(); ++i)
            if (CTreeNodeUI* child = node->ChildAt(i)) visit(child);
    }
    return changed;
}

void CTreeViewUI::SetNodesExpanded(bool expand, CTreeNodeUI* node) {
    // One layout for the whole subtree: a request per row costs the window two repaint
    // requests each, which dominated collapsing a large tree.
    if (!ExpandRows(expand, node)) return;
    if (CContainerUI* rows = GetList()) {
        rows->RequestLayout();
        rows->Invalidate();
    }
}

bool CTreeViewUI::OnNodeNotify(TNotification* msg) {
    if (msg == nullptr || !(msg->type == L"itemdbclick")) return false;
    CTreeNodeUI* node = AsTreeNode(msg->sender);
    if (node == nullptr) return false;
    CCheckBoxUI* folder = node->GetFolderButton();
    folder->SetSelected(!folder->IsSelected());
    SetNodesExpanded(!folder->IsSelected(), node);
    return true;
}

bool CTreeViewUI::OnFolderNotify(TNotification* msg) {
    if (msg == nullptr || !(msg->type == L"selectchanged")) return true;
    CTreeNodeUI* node = NodeOfPart(msg->sender);
    if (node == nullptr) return true;
    SetNodesExpanded(!node->GetFolderButton()->IsSelected(), node);
    return true;
}

bool CTreeViewUI::OnCheckBoxNotify(TNotification* msg) {
    if (msg == nullptr || !(msg->type == L"selectchanged")) return true;
    CTreeNodeUI* node = NodeOfPart(msg->sender);
    if (node == nullptr) return true;
    SetNodesChecked(node->GetCheckBox()->IsSelected(), node);
    return true;
}

void CTreeViewUI::SetShowFolderButtons(bool show) {
    m_showFolderButtons = show;
    ForEachRow([show](CTreeNodeUI* n) { n->ShowFolderButton(show); });
}

void CTreeViewUI::SetShowCheckBoxes(bool show) {
    m_showCheckBoxes = show;
    ForEachRow([show](CTreeNodeUI* n) { n->ShowCheckBox(show); });
}

void CTreeViewUI::SetItemMinWidth(uint32_t width) {
    m_itemMinWidth = width;
    ForEachRow([width](CTreeNodeUI* n) { n->SetMinWidth(static_cast<int>(width)); });
    Invalidate();
}

void CTreeViewUI::SetItemTextColor(uint32_t color) {
    ForEachRow([color](CTreeNodeUI* n) { n->SetItemTextColor(color); });
}
void CTreeViewUI::SetItemHotTextColor(uint32_t color) {
    ForEachRow([color](CTreeNodeUI* n) { n->SetItemHotTextColor(color); });
}
void CTreeViewUI::SetSelItemTextColor(uint32_t color) {
    ForEachRow([color](CTreeNodeUI* n) { n->SetSelItemTextColor(color); });
}
void CTreeViewUI::SetSelItemHotTextColor(uint32_t color) {
    ForEachRow([color](CTreeNodeUI* n) { n->SetSelItemHotTextColor(color); });
}

void CTreeViewUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (name == nullptr || value == nullptr) return;
    using C = CTreeViewUI;
    static constexpr TAttrRow<C> kRows[] = {
        {L"visiblefolderbtn", [](C& c, const wchar_t* v) { c.SetShowFolderButtons(ReadBool(v)); }},
        {L"visiblecheckbtn", [](C& c, const wchar_t* v) { c.SetShowCheckBoxes(ReadBool(v)); }},
        {L"itemminwidth",
         [](C& c, const wchar_t* v) { c.SetItemMinWidth(static_cast<uint32_t>(ReadInt(v))); }},
        {L"itemtextcolor", [](C& c, const wchar_t* v) { c.SetItemTextColor(ReadHexColor(v)); }},
        {L"itemhottextcolor",
         [](C& c, const wchar_t* v) { c.SetItemHotTextColor(ReadHexColor(v)); }},
        {L"selitemtextcolor",
         [](C& c, const wchar_t* v) { c.SetSelItemTextColor(ReadHexColor(v)); }},
        {L"selitemhottextcolor",
         [](C& c, const wchar_t* v) { c.SetSelItemHotTextColor(ReadHexColor(v)); }},
    };
    if (!ApplyAttrRow(kRows, *this, name, value)) CListUI::ApplyAttribute(name, value);
}

}  // namespace Veneer
