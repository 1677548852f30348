#include "TreeNodeUI.h"

#include <cwchar>

#include "AttrTable.h"
#include "AttrValue.h"
#include "CheckBoxUI.h"
#include "HorizontalLayoutUI.h"
#include "LabelUI.h"
#include "OptionUI.h"
#include "TreeViewUI.h"
#include "WindowManagerUI.h"

namespace Veneer {

namespace {

constexpr int kIndentStep = 16;

bool IsNodeType(CControlUI* control) {
    return control != nullptr && _wcsicmp(control->GetTypeName(), L"TreeNodeUI") == 0;
}

}  // namespace

CTreeNodeUI::CTreeNodeUI(CTreeNodeUI* parent) {
    m_declaredHeight = 18;
    m_declaredWidth = 250;
    m_horizLayout = new CHorizontalLayoutUI;
    m_folderButton = new CCheckBoxUI;
    m_dotLine = new CLabelUI;
    m_checkBox = new CCheckBoxUI;
    m_itemButton = new COptionUI;

    m_folderButton->SetDeclaredWidth(GetDeclaredHeight());
    m_dotLine->SetDeclaredWidth(2);
    m_checkBox->SetDeclaredWidth(GetDeclaredHeight());
    m_itemButton->ApplyAttribute(L"align", L"left");
    m_dotLine->SetVisible(false);
    m_checkBox->SetVisible(false);
    m_itemButton->SetMouseEnabled(false);

    if (parent) {
        if (!IsNodeType(parent)) {
            m_partsUnplaced = true;
            return;
        }
        m_dotLine->SetVisible(parent->IsVisible());
        m_dotLine->SetDeclaredWidth(parent->m_dotLine->GetDeclaredWidth() + kIndentStep);
        m_parentNode = parent;
    }
    m_horizLayout->Add(m_dotLine);
    m_horizLayout->Add(m_folderButton);
    m_horizLayout->Add(m_checkBox);
    m_horizLayout->Add(m_itemButton);
    // Not through Add: that is virtual, and this node's AddAt takes nodes only.
    CContainerUI::AddAt(m_horizLayout, m_items.GetSize());
}

CTreeNodeUI::~CTreeNodeUI() {
    // Child nodes belong to the view's list; a node that never reached a view is the only
    // holder of the ones recorded under it, so they go with it.
    if (m_treeView == nullptr) {
        for (int i = 0; i < m_children.GetSize(); ++i)
            delete static_cast<CTreeNodeUI*>(m_children[i]);
    }
    // A row left without content still owns the parts it made.
    if (m_partsUnplaced) {
        delete m_dotLine;
        delete m_folderButton;
        delete m_checkBox;
        delete m_itemButton;
        delete m_horizLayout;
    }
}

const wchar_t* CTreeNodeUI::GetTypeName() const { return L"TreeNodeUI"; }

void* CTreeNodeUI::QueryPart(const wchar_t* name) {
    if (name && wcscmp(name, L"TreeNode") == 0) return this;
    return CListContainerElementUI::QueryPart(name);
}

CTreeNodeUI* CTreeNodeUI::ChildAt(int index) const {
    if (index < 0 || index >= m_children.GetSize()) return nullptr;
    return static_cast<CTreeNodeUI*>(m_children[index]);
}

CUIString CTreeNodeUI::GetItemText() const { return m_itemButton->GetText(); }

void CTreeNodeUI::SetItemTextColor(uint32_t color) {
    m_itemTextColor = color;
    m_itemButton->SetTextColor(color);
}

void CTreeNodeUI::SetItemHotTextColor(uint32_t color) {
    m_itemHotTextColor = color;
    InvalidateRow(*this);
}

void CTreeNodeUI::SetSelItemTextColor(uint32_t color) {
    m_selItemTextColor = color;
    InvalidateRow(*this);
}

void CTreeNodeUI::SetSelItemHotTextColor(uint32_t color) {
    m_selItemHotTextColor = color;
    InvalidateRow(*this);
}

int CTreeNodeUI::RowIndexInView() const {
    if (m_treeView == nullptr) return -1;
    // The row index the list keeps answers at once; the search is for a row it does not know.
    auto* self = const_cast<CTreeNodeUI*>(this);
    const int known = GetIndex();
    if (known >= 0 && m_treeView->GetItemAt(known) == self) return known;
    return m_treeView->GetItemIndex(self);
}

CTreeNodeUI* CTreeNodeUI::LastDescendant() {
    CTreeNodeUI* last = nullptr;
    for (int i = 0; i < m_children.GetSize(); ++i)
        if (m_children[i]) last = static_cast<CTreeNodeUI*>(m_children[i]);
    return last ? last->LastDescendant() : this;
}

bool CTreeNodeUI::IsSelfOrAncestor(const CTreeNodeUI* node) const {
    for (const CTreeNodeUI* n = this; n != nullptr; n = n->m_parentNode)
        if (n == node) return true;
    return false;
}

bool CTreeNodeUI::CanAdopt(const CTreeNodeUI* node) const {
    if (node == nullptr || node->m_inView || IsSelfOrAncestor(node)) return false;
    // A node made with this one as its parent is not recorded yet; any other parent keeps it.
    if (node->m_parentNode == nullptr) return true;
    return node->m_parentNode == this && m_children.Find(const_cast<CTreeNodeUI*>(node)) < 0;
}

void CTreeNodeUI::AdoptChild(CTreeNodeUI* child) {
    child->m_dotLine->SetVisible(true);
    child->m_dotLine->SetDeclaredWidth(m_dotLine->GetDeclaredWidth() + kIndentStep);
    child->m_parentNode = this;
    child->m_itemButton->SetGroup(m_itemButton->GetGroup().GetData());
    child->m_treeView = m_treeView;
}

void CTreeNodeUI::Unadopt(CTreeNodeUI* child) {
    child->m_parentNode = nullptr;
    child->m_treeView = nullptr;
}

bool CTreeNodeUI::AppendChild(CTreeNodeUI* child) {
    if (!IsNodeType(child) || !CanAdopt(child)) return false;
    AdoptChild(child);
    if (m_treeView) {
        // After this node's whole subtree, which may end with the last row of the view.
        const int after = LastDescendant()->RowIndexInView();
        if (after < 0 || m_treeView->AddAt(child, after + 1) < 0) {
            Unadopt(child);
            return false;
        }
    }
    if (!m_children.Add(child)) return false;
    return true;
}

bool CTreeNodeUI::Add(CControlUI* control) {
    if (IsNodeType(control)) return AppendChild(AsTreeNode(control));
    return CContainerUI::AddAt(control, m_items.GetSize());
}

bool CTreeNodeUI::AddAt(CControlUI* control, int index) {
    CTreeNodeUI* node = AsTreeNode(control);
    if (node == nullptr || !CanAdopt(node)) return false;
    // A child placed before another takes that one's row. One placed after all the others
    // is listed after this node's whole subtree, found before the child is recorded: the rows
    // follow the recorded order.
    CTreeNodeUI* existing = ChildAt(index);
    const int end = m_treeView && !existing ? LastDescendant()->RowIndexInView() + 1 : 0;
    if (existing == nullptr) {
        if (!m_children.Add(node)) return false;
    } else if (!m_children.InsertAt(index, node)) {
        return false;
    }
    AdoptChild(node);
    if (m_treeView == nullptr) return true;
    const bool added = existing ? m_treeView->AddAtNode(node, existing)
                                : end > 0 && m_treeView->AddAt(node, end) >= 0;
    if (!added) {
        // A child the view did not take is no child: it would be listed nowhere.
        const int at = m_children.Find(node);
        if (at >= 0) m_children.Remove(at);
        Unadopt(node);
    }
    return added;
}

bool CTreeNodeUI::RemoveChild(CTreeNodeUI* child) {
    const int at = m_children.Find(child);
    if (at < 0) return false;
    while (child->HasChildren()) {
        if (!child->RemoveChild(child->ChildAt(0))) child->DropFirstChild();
    }
    const int now = m_children.Find(child);
    if (now >= 0) m_children.Remove(now);
    if (m_treeView) {
        m_treeView->RemoveNode(child);
    } else {
        // Outside a view nobody else holds the child.
        child->m_parentNode = nullptr;
        delete child;
    }
    return true;
}

void CTreeNodeUI::DropFirstChild() {
    if (!m_children.IsEmpty()) m_children.Remove(0);
}

void CTreeNodeUI::ForgetChild(CTreeNodeUI* child) {
    const int at = m_children.Find(child);
    if (at < 0) return;
    m_children.Remove(at);
    child->m_parentNode = nullptr;
    child->m_treeView = nullptr;
}

bool CTreeNodeUI::Remove(CControlUI* control) {
    CTreeNodeUI* node = AsTreeNode(control);
    return node != nullptr && RemoveChild(node);
}

bool CTreeNodeUI::SetRowVisible(bool visible) {
    if (m_visible == visible) return false;
    const bool wasVisible = IsVisible();
    m_visible = visible;
    m_focused = false;
    if (!IsVisible() && m_manager && m_manager->GetFocus() == this) m_manager->SetFocus(nullptr);
    for (int i = 0; i < m_items.GetSize(); ++i)
        static_cast<CControlUI*>(m_items[i])->SetInheritedVisible(IsVisible());
    DeselectHiddenRow(*this, m_row);
    return IsVisible() != wasVisible;
}

void CTreeNodeUI::RemoveAll() {
    // The container's own RemoveAll would delete the row layout the node keeps pointers into.
    while (HasChildren()) {
        if (!RemoveChild(ChildAt(0))) DropFirstChild();
    }
}

void CTreeNodeUI::ShowFolderButton(bool show) { m_folderButton->SetVisible(show); }
void CTreeNodeUI::ShowCheckBox(bool show) { m_checkBox->SetVisible(show); }

bool CTreeNodeUI::Select(bool select) {
    const bool result = CListContainerElementUI::Select(select);
    m_itemButton->SetTextColor(IsSelected() ? m_selItemTextColor : m_itemTextColor);
    return result;
}

void CTreeNodeUI::HandleEvent(TControlEvent& event) {
    if (!IsMouseEnabled() && IsMouseEvent(event.type)) {
        if (m_row.owner)
            m_row.owner->HandleEvent(event);
        else
            CContainerUI::HandleEvent(event);
        return;
    }
    CListContainerElementUI::HandleEvent(event);
    switch (event.type) {
    case kEventDoubleClick:
        if (IsEnabled()) {
            if (m_manager) m_manager->SendNotification(this, L"itemdbclick", 0, 0);
            InvalidateRow(*this);
        }
        break;
    case kEventMouseEnter:
        if (IsEnabled())
            m_itemButton->SetTextColor(IsSelected() && m_selItemHotTextColor != 0
                                           ? m_selItemHotTextColor
                                           : m_itemHotTextColor);
        else
            m_itemButton->SetTextColor(m_itemButton->GetDisabledTextColor());
        break;
    case kEventMouseLeave:
        if (!IsEnabled())
            m_itemButton->SetTextColor(m_itemButton->GetDisabledTextColor());
        else if (!IsSelected())
            m_itemButton->SetTextColor(m_itemTextColor);
        else if (m_selItemTextColor != 0)
            m_itemButton->SetTextColor(m_selItemTextColor);
        break;
    default:
        break;
    }
}

void CTreeNodeUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (name == nullptr || value == nullptr) return;
    using C = CTreeNodeUI;
    static constexpr TAttrRow<C> kRows[] = {
        {L"text", [](C& c, const wchar_t* v) { c.m_itemButton->SetText(v); }},
        {L"horizattr", [](C& c, const wchar_t* v) { c.m_horizLayout->ApplyAttributeString(v); }},
        {L"dotlineattr", [](C& c, const wchar_t* v) { c.m_dotLine->ApplyAttributeString(v); }},
        {L"folderattr", [](C& c, const wchar_t* v) { c.m_folderButton->ApplyAttributeString(v); }},
        {L"checkboxattr", [](C& c, const wchar_t* v) { c.m_checkBox->ApplyAttributeString(v); }},
        {L"itemattr", [](C& c, const wchar_t* v) { c.m_itemButton->ApplyAttributeString(v); }},
        {L"itemtextcolor", [](C& c, const wchar_t* v) { c.SetItemTextColor(ReadHexColor(v)); }},
        {L"itemhottextcolor",
         [](C& c, const wchar_t* v) { c.SetItemHotTextColor(ReadHexColor(v)); }},
        {L"selitemtextcolor",
         [](C& c, const wchar_t* v) { c.SetSelItemTextColor(ReadHexColor(v)); }},
        {L"selitemhottextcolor",
         [](C& c, const wchar_t* v) { c.SetSelItemHotTextColor(ReadHexColor(v)); }},
    };
    if (!ApplyAttrRow(kRows, *this, name, value)) CListContainerElementUI::ApplyAttribute(name, value);
}

}  // namespace Veneer
