// The tree view in a live window, built from a layout: node size and indentation, collapsing
// and expanding by double click, check propagation by clicking a check box, subtree removal
// by every path, nodes added from code and the adds the tree refuses.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "CheckBoxUI.h"
#include "HorizontalLayoutUI.h"
#include "LabelUI.h"
#include "ListTestWindow.h"
#include "TreeNodeUI.h"
#include "TreeViewUI.h"

using namespace Veneer;

namespace {

constexpr uint32_t kChecked = 0x0000C0;
constexpr uint32_t kItemFill = 0x00C000;

// A node whose ticked check box fills blue and whose text area fills green.
std::wstring Node(const wchar_t* name, const std::wstring& children = L"") {
    std::wstring xml = std::wstring(L"<TreeNode name=\"") + name + L"\" text=\"" + name +
                       L"\" checkboxattr=\"selectedbkcolor=&quot;#FF0000C0&quot;\" "
                       L"itemattr=\"bkcolor=&quot;#FF00C000&quot;\"";
    return children.empty() ? xml + L"/>" : xml + L">" + children + L"</TreeNode>";
}

// A { A1 { A1a }, A2 }, B
std::wstring TreeXml() {
    return L"<Window><TreeView name=\"tree\" visiblecheckbtn=\"true\">" +
           Node(L"A", Node(L"A1", Node(L"A1a")) + Node(L"A2")) + Node(L"B") +
           L"</TreeView></Window>";
}

struct TreeWindow : listtest::ListWindow {
    bool Open() { return ListWindow::Open(300, 200, TreeXml().c_str()); }
    CTreeViewUI* Tree() { return Find<CTreeViewUI>(L"tree"); }
    CTreeNodeUI* NodeNamed(const wchar_t* name) { return Find<CTreeNodeUI>(name); }
    std::wstring Rows() {
        std::wstring rows;
        for (int i = 0; i < Tree()->GetCount(); ++i)
            rows += std::wstring(Tree()->GetItemAt(i)->GetName().GetData()) + L" ";
        return rows;
    }
    std::wstring VisibleRows() {
        std::wstring rows;
        for (int i = 0; i < Tree()->GetCount(); ++i)
            if (Tree()->GetItemAt(i)->IsVisible())
                rows += std::wstring(Tree()->GetItemAt(i)->GetName().GetData()) + L" ";
        return rows;
    }
};

std::string Narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }

}  // namespace

TEST(TreeViewTest, BuiltNodesAreRowsInDepthFirstOrderWithIndentation) {
    TreeWindow w;
    ASSERT_TRUE(w.Open());
    EXPECT_EQ(Narrow(w.Rows()), "A A1 A1a A2 B ");
    struct {
        const wchar_t* name;
        bool dotVisible;
        int dotWidth;
        int children;
    } const cases[] = {
        {L"A", false, 2, 2}, {L"A1", true, 18, 1}, {L"A1a", true, 34, 0}, {L"B", false, 2, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.name));
        CTreeNodeUI* n = w.NodeNamed(c.name);
        ASSERT_NE(n, nullptr);
        EXPECT_EQ(n->GetDeclaredHeight(), 18);
        EXPECT_EQ(n->GetDeclaredWidth(), 250);
        EXPECT_EQ(n->GetDotLine()->IsVisible(), c.dotVisible);
        EXPECT_EQ(n->GetDotLine()->GetDeclaredWidth(), c.dotWidth);
        EXPECT_EQ(n->ChildCount(), c.children);
        EXPECT_EQ(n->GetTreeView(), w.Tree());
        EXPECT_EQ(Narrow(n->GetItemText().GetData()), Narrow(c.name));
    }
    EXPECT_EQ(w.NodeNamed(L"A1a")->ParentNode(), w.NodeNamed(L"A1"));
    // The row's item area starts after the indentation, folder button and check box.
    CTreeNodeUI* a1a = w.NodeNamed(L"A1a");
    EXPECT_EQ(a1a->GetPos().bottom - a1a->GetPos().top, 18);
    EXPECT_EQ(a1a->GetItemButton()->GetPos().left - a1a->GetPos().left, 34 + 18 + 18);
}

TEST(TreeViewTest, DoubleClickCollapsesAndExpandsKeepingCollapsedSubtrees) {
    TreeWindow w;
    ASSERT_TRUE(w.Open());
    CTreeNodeUI* a = w.NodeNamed(L"A");
    const RECT a1Row = w.NodeNamed(L"A1")->GetPos();
    EXPECT_GT(w.Paint().Count(a1Row, kItemFill), 100);

    w.DoubleClick(listtest::Centre(a->GetPos()));
    EXPECT_EQ(w.Count(L"itemdbclick:A"), 1);
    EXPECT_EQ(Narrow(w.VisibleRows()), "A B ");
    EXPECT_TRUE(a->GetFolderButton()->IsSelected());
    // B moved up into A1's place: the rows under it show only the background.
    const livetest::Pixels px = w.Paint();
    const RECT below = {0, a1Row.bottom + 18, 300, 200};
    EXPECT_EQ(px.Count(below, kItemFill), 0);

    // A1 collapsed on its own stays collapsed when A opens again.
    w.NodeNamed(L"A1")->GetFolderButton()->SetSelected(true);
    w.DoubleClick(listtest::Centre(a->GetPos()));
    EXPECT_EQ(Narrow(w.VisibleRows()), "A A1 A2 B ");
    EXPECT_GT(w.Paint().Count(w.NodeNamed(L"A2")->GetPos(), kItemFill), 100);
}

TEST(TreeViewTest, ClickingACheckBoxTicksAndUnticksTheSubtree) {
    TreeWindow w;
    ASSERT_TRUE(w.Open());
    const wchar_t* const subtree[] = {L"A", L"A1", L"A1a", L"A2"};
    for (bool ticked : {true, false}) {
        w.Click(listtest::Centre(w.NodeNamed(L"A")->GetCheckBox()->GetPos()));
        const livetest::Pixels px = w.Paint();
        for (const wchar_t* name : subtree) {
            SCOPED_TRACE(Narrow(name));
            CCheckBoxUI* box = w.NodeNamed(name)->GetCheckBox();
            EXPECT_EQ(box->IsChecked(), ticked);
            EXPECT_EQ(px.Count(box->GetPos(), kChecked) > 100, ticked);
        }
        EXPECT_FALSE(w.NodeNamed(L"B")->GetCheckBox()->IsChecked());
    }
}

TEST(TreeViewTest, RemovingANodeTakesItsSubtreeFromListAndParent) {
    TreeWindow w;
    ASSERT_TRUE(w.Open());
    CTreeViewUI* tree = w.Tree();
    CTreeNodeUI* a = w.NodeNamed(L"A");
    EXPECT_TRUE(tree->RemoveNode(w.NodeNamed(L"A1")));
    EXPECT_EQ(Narrow(w.Rows()), "A A2 B ");
    EXPECT_EQ(a->ChildCount(), 1);

    // Through the container interface the parent's list of children follows as well.
    IContainerUI* asContainer = tree;
    EXPECT_TRUE(asContainer->Remove(w.NodeNamed(L"A2")));
    EXPECT_EQ(Narrow(w.Rows()), "A B ");
    EXPECT_FALSE(a->HasChildren());

    // Emptying a node removes its child nodes and keeps its own row content.
    ASSERT_TRUE(a->Add(new CTreeNodeUI));
    ASSERT_TRUE(a->Add(new CTreeNodeUI));
    static_cast<IContainerUI*>(a)->RemoveAll();
    EXPECT_FALSE(a->HasChildren());
    EXPECT_EQ(Narrow(w.Rows()), "A B ");
    EXPECT_GT(w.Paint().Count(a->GetItemButton()->GetPos(), kItemFill), 100);

    EXPECT_FALSE(asContainer->RemoveAt(2));
    EXPECT_FALSE(asContainer->RemoveAt(-1));
    EXPECT_TRUE(asContainer->RemoveAt(0));
    EXPECT_EQ(Narrow(w.Rows()), "B ");
    w.Paint();
}

TEST(TreeViewTest, RefusesLoopsDuplicatesAndAppendsAfterTheLastRow) {
    TreeWindow w;
    ASSERT_TRUE(w.Open());
    CTreeViewUI* tree = w.Tree();
    CTreeNodeUI* a = w.NodeNamed(L"A");
    CTreeNodeUI* a1 = w.NodeNamed(L"A1");
    CTreeNodeUI* a1a = w.NodeNamed(L"A1a");
    EXPECT_FALSE(a->Add(a));
    EXPECT_FALSE(a1a->Add(a));    // its own ancestor
    EXPECT_FALSE(a->Add(a1));     // already its child
    EXPECT_FALSE(a->AddAt(a1a, 0));
    EXPECT_FALSE(tree->Add(a1));  // already a row
    EXPECT_EQ(tree->AddAt(a, 0), -1);
    EXPECT_EQ(Narrow(w.Rows()), "A A1 A1a A2 B ");
    EXPECT_EQ(a->ChildCount(), 2);

    auto* n = new CTreeNodeUI;
    n->SetName(L"N");
    EXPECT_TRUE(a1->Add(n));
    EXPECT_FALSE(a->Add(n));
    EXPECT_EQ(Narrow(w.Rows()), "A A1 A1a N A2 B ");
    EXPECT_EQ(n->GetDotLine()->GetDeclaredWidth(), 34);

    // The last row's child goes to the end of the rows; past the end nothing is taken.
    auto* m = new CTreeNodeUI;
    EXPECT_TRUE(w.NodeNamed(L"B")->Add(m));
    EXPECT_EQ(m->ParentNode(), w.NodeNamed(L"B"));
    auto* loose = new CTreeNodeUI;
    EXPECT_EQ(tree->AddAt(loose, tree->GetCount() + 1), -1);
    EXPECT_EQ(tree->AddAt(loose, 0), 1);
    EXPECT_EQ(Narrow(w.Rows()), " A A1 A1a N A2 B  ");  // the unnamed nodes first and last

    // A child recorded under a node outside any view comes in only with that node.
    auto* p = new CTreeNodeUI;
    auto* c = new CTreeNodeUI;
    EXPECT_TRUE(p->Add(c));
    EXPECT_FALSE(tree->Add(c));
    EXPECT_TRUE(tree->Add(p));
    EXPECT_EQ(tree->GetItemAt(tree->GetCount() - 1), c);
    // A node made with its parent named is still taken by that parent, once.
    auto* q = new CTreeNodeUI(a);
    EXPECT_TRUE(a->Add(q));
    EXPECT_FALSE(a->Add(q));
    EXPECT_EQ(a->ChildCount(), 3);
    w.Paint();
}

TEST(TreeViewTest, BuilderPutsControlsInTheRowAndDropsNodesOutsideATree) {
    listtest::ListWindow w;
    ASSERT_TRUE(w.Open(300, 200,
                       L"<Window><VerticalLayout><TreeView name=\"tree\" height=\"60\">"
                       L"<TreeNode name=\"n\"><Label name=\"extra\" width=\"20\"/>"
                       L"<TreeNode name=\"c\"/></TreeNode></TreeView>"
                       L"<HorizontalLayout name=\"h\"><TreeNode name=\"stray\"/>"
                       L"<Label name=\"after\"/></HorizontalLayout></VerticalLayout></Window>"));
    auto* n = w.Find<CTreeNodeUI>(L"n");
    auto* extra = w.Find<CControlUI>(L"extra");
    ASSERT_TRUE(n && extra);
    EXPECT_EQ(extra->GetParent(), static_cast<CControlUI*>(n->GetRowLayout()));
    EXPECT_EQ(n->ChildCount(), 1);
    EXPECT_EQ(w.Find<CTreeViewUI>(L"tree")->GetCount(), 2);
    // A node outside a tree has no owner: the walk of that container stops there.
    ASSERT_NE(w.Find<CControlUI>(L"h"), nullptr);
    EXPECT_EQ(w.Find<CControlUI>(L"stray"), nullptr);
    EXPECT_EQ(w.Find<CControlUI>(L"after"), nullptr);
}

TEST(TreeViewTest, NodesAddedFromCodeAreListedInTheOrderTheyAreRecorded) {
    TreeWindow w;
    ASSERT_TRUE(w.Open());
    auto named = [](const wchar_t* name) {
        auto* n = new CTreeNodeUI;
        n->SetName(name);
        return n;
    };
    CTreeNodeUI* p = named(L"P");  // P { P1 { P1a }, P2 }, made before it is listed
    CTreeNodeUI* p1 = named(L"P1");
    ASSERT_TRUE(p->Add(p1) && p1->Add(named(L"P1a")) && p->Add(named(L"P2")));
    CTreeNodeUI* b1 = named(L"B1");
    EXPECT_TRUE(w.NodeNamed(L"B")->Add(b1) && b1->Add(named(L"B1a"))) << "below the last row";
    EXPECT_TRUE(w.NodeNamed(L"A")->AddAt(named(L"A3"), 7)) << "past A's children";
    EXPECT_EQ(w.Tree()->AddAt(p, 0), 4) << "with every descendant";
    EXPECT_EQ(Narrow(w.Rows()), "P P1 P1a P2 A A1 A1a A2 A3 B B1 B1a ");
    ASSERT_TRUE(w.Tree()->RemoveNode(p));
    EXPECT_EQ(Narrow(w.Rows()), "A A1 A1a A2 A3 B B1 B1a ");
    w.Paint();
}

TEST(TreeViewTest, RemovalThroughTheListBodyTakesTheSubtreeAndLeavesTheParent) {
    for (bool byIndex : {false, true}) {
        TreeWindow w;
        ASSERT_TRUE(w.Open());
        CContainerUI* body = w.Tree()->GetList();
        CTreeNodeUI* a = w.NodeNamed(L"A");
        ASSERT_TRUE(byIndex ? body->RemoveAt(1) : body->Remove(w.NodeNamed(L"A1")));
        EXPECT_EQ(Narrow(w.Rows()), "A A2 B ");
        ASSERT_EQ(a->ChildCount(), 1);
        livetest::PumpFor(0);  // the removed rows are deleted now
        w.DoubleClick(listtest::Centre(a->GetPos()));  // collapsing walks A's children
        EXPECT_EQ(Narrow(w.VisibleRows()), "A B ");
        ASSERT_TRUE(body->Remove(a));
        EXPECT_EQ(Narrow(w.Rows()), "B ");
    }
}
