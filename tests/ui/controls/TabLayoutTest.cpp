// The tab layout in a live window: the selection through "selectedid" and SelectItem, its
// "tabselect" notification, the focus, the shown child's place and pixels, and the
// selection staying on the same child while children are added and removed.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "LayoutWindow.h"
#include "TabLayoutUI.h"
#include "TestUtil.h"

using namespace Veneer;

namespace {

const wchar_t kTabsXml[] =
    L"<Window><VerticalLayout>"
    L"<TabLayout name=\"tabs\" height=\"100\" inset=\"4,4,4,4\">"
    L"<Button name=\"b0\" height=\"92\" bkcolor=\"#FFFF0000\"/>"
    L"<Button name=\"b1\" height=\"92\" bkcolor=\"#FF00FF00\" padding=\"2,0,0,0\"/>"
    L"<Button name=\"b2\" height=\"92\" bkcolor=\"#FF0000FF\"/>"
    L"</TabLayout>"
    L"<Button name=\"next\" height=\"40\" bkcolor=\"#FF808080\"/>"
    L"</VerticalLayout></Window>";

struct TabSelect {
    WPARAM index;
    LPARAM previous;
};

class TabLayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(w.Open(kTabsXml, 200, 140));
        tabs = static_cast<CTabLayoutUI*>(w.Find(L"tabs"));
        ASSERT_NE(tabs, nullptr);
        w.window.onNotify = [this](TNotification& msg) {
            if (msg.type == L"tabselect") selects.push_back({msg.wParam, msg.lParam});
        };
    }
    // The name of the shown child; every other child must be hidden.
    std::wstring Shown() const {
        std::wstring shown;
        for (int i = 0; i < tabs->GetCount(); ++i) {
            CControlUI* child = tabs->GetItemAt(i);
            if (!child->IsVisible()) continue;
            EXPECT_TRUE(shown.empty()) << "a second child is visible";
            EXPECT_EQ(i, tabs->GetCurSel());
            shown = child->GetName().GetData();
        }
        return shown;
    }

    layouttest::LayoutWindow w;
    CTabLayoutUI* tabs = nullptr;
    std::vector<TabSelect> selects;
};

TEST_F(TabLayoutTest, SelectShowsFocusesAndTellsTheWindow) {
    // The first visible child added is the selection; the others are hidden.
    EXPECT_EQ(tabs->GetCurSel(), 0);
    EXPECT_EQ(Shown(), L"b0");
    livetest::Pixels px = w.Paint();
    const RECT inner = {4, 4, 196, 96};
    EXPECT_EQ(px.Count(inner, 0xFF0000), 192 * 92);

    ASSERT_TRUE(tabs->SelectItem(1));
    EXPECT_EQ(Shown(), L"b1");
    ASSERT_EQ(selects.size(), 1u);
    EXPECT_EQ(selects[0].index, 1u);
    EXPECT_EQ(selects[0].previous, 0);
    // The shown child takes the focus, which then moves on to the next control that takes it.
    EXPECT_NE(std::find(w.window.notes.begin(), w.window.notes.end(), L"setfocus:b1"),
              w.window.notes.end());
    px = w.Paint();
    EXPECT_EQ(w.Manager().GetFocus(), w.Find(L"next"));
    // Placed over the inset area less its own padding.
    const RECT placed = w.Find(L"b1")->GetPos();
    EXPECT_EQ(placed.left, 6);
    EXPECT_EQ(placed.right, 196);
    EXPECT_EQ(px.Count(inner, 0x00FF00), 190 * 92);
    EXPECT_EQ(px.Count(inner, 0xFF0000), 0);

    EXPECT_TRUE(tabs->SelectItem(1));
    EXPECT_FALSE(tabs->SelectItem(3));
    EXPECT_FALSE(tabs->SelectItem(-1));
    EXPECT_EQ(selects.size(), 1u) << "nothing is sent when the selection stays";
    EXPECT_EQ(tabs->GetCurSel(), 1);
}

TEST_F(TabLayoutTest, ChildListChangesKeepTheSelectedChild) {
    struct Case {
        const char* what;
        int selectFirst;
        std::function<void(CTabLayoutUI&)> change;
        int curSel;
        const wchar_t* shown;  // empty: nothing shown
    };
    auto added = [](const wchar_t* name) {
        auto* c = new CControlUI;
        c->SetName(name);
        return c;
    };
    auto at = [](CTabLayoutUI& t, int i) { return t.GetItemAt(i); };
    const Case cases[] = {
        {"removing the selected child shows child 0", 2,
         [&](CTabLayoutUI& t) { EXPECT_TRUE(t.Remove(at(t, 2))); }, 0, L"b0"},
        {"removing a child before the selection", 2,
         [&](CTabLayoutUI& t) { EXPECT_TRUE(t.Remove(at(t, 0))); }, 1, L"b2"},
        {"removing by index goes the same way", 2,
         [&](CTabLayoutUI& t) { EXPECT_TRUE(t.RemoveAt(1)); }, 1, L"b2"},
        {"removing every child leaves no selection", 1,
         [&](CTabLayoutUI& t) {
             while (t.GetCount() > 0) EXPECT_TRUE(t.Remove(at(t, t.GetCount() - 1)));
         },
         -1, L""},
        {"inserting at the selection", 1,
         [&](CTabLayoutUI& t) { EXPECT_TRUE(t.AddAt(added(L"new"), 1)); }, 2, L"b1"},
        {"inserting before the selection", 1,
         [&](CTabLayoutUI& t) { EXPECT_TRUE(t.AddAt(added(L"new"), 0)); }, 2, L"b1"},
        {"adding at the end", 1, [&](CTabLayoutUI& t) { EXPECT_TRUE(t.Add(added(L"new"))); }, 1,
         L"b1"},
        {"removing all, then adding a hidden and a visible child", 1,
         [&](CTabLayoutUI& t) {
             t.RemoveAll();
             EXPECT_EQ(t.GetCurSel(), -1);
             CControlUI* hidden = added(L"hidden");
             hidden->SetVisible(false);
             EXPECT_TRUE(t.Add(hidden));
             EXPECT_EQ(t.GetCurSel(), -1);
             EXPECT_TRUE(t.Add(added(L"new")));
         },
         1, L"new"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // The tree of the case before goes with its changes; the first child is the tab layout.
        auto* root = static_cast<CContainerUI*>(w.Reload(kTabsXml));
        ASSERT_NE(root, nullptr);
        tabs = static_cast<CTabLayoutUI*>(root->GetItemAt(0));
        ASSERT_TRUE(tabs->SelectItem(c.selectFirst));
        c.change(*tabs);
        EXPECT_EQ(tabs->GetCurSel(), c.curSel);
        EXPECT_EQ(Shown(), c.shown);
        // The layout places the shown child after the change.
        w.Paint();
        if (c.curSel >= 0) { EXPECT_EQ(tabs->GetItemAt(c.curSel)->GetPos().top, 4); }
    }
}

TEST(TabLayoutAttributes, SelectedIdTakesAnIndexBelowTheChildCount) {
    struct Case {
        const wchar_t* id;
        int curSel;
    };
    for (const Case& c : {Case{L"2", 2}, Case{L"3", 0}, Case{L"-1", 0}}) {
        SCOPED_TRACE(testutil::Narrow(c.id));
        const std::wstring xml = std::wstring(L"<Window><TabLayout selectedid=\"") + c.id +
                                 L"\"><Control/><Control/><Control/></TabLayout></Window>";
        layouttest::LayoutWindow w;
        ASSERT_TRUE(w.Open(xml.c_str(), 100, 100));
        auto* tabs = static_cast<CTabLayoutUI*>(w.Manager().GetRoot());
        EXPECT_EQ(tabs->GetCurSel(), c.curSel);
        EXPECT_TRUE(tabs->GetItemAt(c.curSel)->IsVisible());
        EXPECT_EQ(tabs->GetItemAt(c.curSel)->GetWidth(), 100);
    }
}

}  // namespace
