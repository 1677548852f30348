// Options and check boxes in a live window: groups through the window's group lists, the
// toggle of an option on its own, re-clicking a selected member, regrouping, members that are
// deleted or join before they have a window, and the selected fill on screen.
#include <gtest/gtest.h>

#include <windows.h>

#include "CheckBoxUI.h"
#include "ListTestWindow.h"
#include "OptionUI.h"

using namespace Veneer;

namespace {

// Three grouped options side by side, "a" selected, then one on its own.
const wchar_t kOptionsXml[] =
    L"<Window><HorizontalLayout height=\"30\">"
    L"<Option name=\"a\" width=\"60\" group=\"g\" selected=\"true\" "
    L"selectedbkcolor=\"#FF00C000\"/>"
    L"<Option name=\"b\" width=\"60\" group=\"g\" selectedbkcolor=\"#FF00C000\"/>"
    L"<Option name=\"c\" width=\"60\" group=\"g\" selectedbkcolor=\"#FF00C000\"/>"
    L"<CheckBox name=\"solo\" width=\"60\" selectedbkcolor=\"#FF0000C0\"/>"
    L"</HorizontalLayout></Window>";

constexpr uint32_t kGreen = 0x00C000;

bool InGroup(CWindowManagerUI& manager, const wchar_t* group, CControlUI* option) {
    CUIPtrArray* members = manager.GetOptionGroupMembers(group);
    return members != nullptr && members->Find(option) >= 0;
}

}  // namespace

TEST(OptionTest, GroupKeepsOneSelectedAndOnlyTheNewOneNotifies) {
    listtest::ListWindow w;
    ASSERT_TRUE(w.Open(300, 60, kOptionsXml));
    auto* a = w.Find<COptionUI>(L"a");
    auto* b = w.Find<COptionUI>(L"b");
    auto* c = w.Find<COptionUI>(L"c");
    ASSERT_TRUE(a && b && c);
    livetest::Pixels px = w.Paint();
    EXPECT_GT(px.Count(a->GetPos(), kGreen), 1000);
    EXPECT_EQ(px.Count(b->GetPos(), kGreen), 0);

    // Building the selected "a" already reported once.
    const int before = w.Count(L"selectchanged:a");
    w.Click(listtest::Centre(b->GetPos()));
    EXPECT_FALSE(a->IsSelected());
    EXPECT_TRUE(b->IsSelected());
    EXPECT_FALSE(c->IsSelected());
    EXPECT_EQ(w.Count(L"selectchanged:b"), 1);
    EXPECT_EQ(w.Count(L"selectchanged:a") + w.Count(L"selectchanged:c"), before);
    EXPECT_LT(w.IndexOf(L"click:b"), w.IndexOf(L"selectchanged:b"));
    px = w.Paint();
    EXPECT_EQ(px.Count(a->GetPos(), kGreen), 0);
    EXPECT_GT(px.Count(b->GetPos(), kGreen), 1000);

    // Clicking the selected member again keeps it and says only "click".
    w.Click(listtest::Centre(b->GetPos()));
    EXPECT_TRUE(b->IsSelected());
    EXPECT_EQ(w.Count(L"click:b"), 2);
    EXPECT_EQ(w.Count(L"selectchanged:b"), 1);
}

TEST(OptionTest, UngroupedOptionTogglesAndNotifiesEachClick) {
    listtest::ListWindow w;
    ASSERT_TRUE(w.Open(300, 60, kOptionsXml));
    auto* solo = w.Find<CCheckBoxUI>(L"solo");
    ASSERT_NE(solo, nullptr);
    const bool expected[] = {true, false, true};
    for (int i = 0; i < 3; ++i) {
        w.Click(listtest::Centre(solo->GetPos()));
        EXPECT_EQ(solo->IsChecked(), expected[i]);
        EXPECT_EQ(w.Count(L"click:solo"), i + 1);
        EXPECT_EQ(w.Count(L"selectchanged:solo"), i + 1);
    }
    EXPECT_LT(w.IndexOf(L"click:solo"), w.IndexOf(L"selectchanged:solo"));
    EXPECT_GT(w.Paint().Count(solo->GetPos(), 0x0000C0), 1000);
}

TEST(OptionTest, RegroupingMovesTheMemberBetweenLists) {
    listtest::ListWindow w;
    ASSERT_TRUE(w.Open(300, 60, kOptionsXml));
    CWindowManagerUI& m = w.win.Manager();
    auto* a = w.Find<COptionUI>(L"a");
    auto* c = w.Find<COptionUI>(L"c");
    c->SetGroup(L"h");
    EXPECT_FALSE(InGroup(m, L"g", c));
    EXPECT_TRUE(InGroup(m, L"h", c));
    w.Click(listtest::Centre(c->GetPos()));
    EXPECT_TRUE(a->IsSelected());  // another group now
    c->SetGroup(nullptr);
    EXPECT_EQ(m.GetOptionGroupMembers(L"h"), nullptr);
}

TEST(OptionTest, DeletedMemberLeavesItsGroupAndLateMemberJoins) {
    listtest::ListWindow w;
    ASSERT_TRUE(w.Open(300, 60, kOptionsXml));
    CWindowManagerUI& m = w.win.Manager();
    auto* a = w.Find<COptionUI>(L"a");
    auto* b = w.Find<COptionUI>(L"b");

    // A member whose window pointer was cleared before it went must not stay listed: the next
    // selection would walk into freed memory.
    auto* gone = new livetest::Poisoned<COptionUI>;
    livetest::Place(w.root, gone, RECT{0, 35, 60, 55});
    gone->SetGroup(L"g");
    ASSERT_TRUE(InGroup(m, L"g", gone));
    livetest::Detach(w.root, gone);
    gone->SetManager(&m, nullptr, false);
    gone->SetManager(nullptr, nullptr, false);
    delete gone;
    EXPECT_FALSE(InGroup(m, L"g", gone));
    w.Click(listtest::Centre(b->GetPos()));
    EXPECT_TRUE(b->IsSelected());

    // Grouped before it had a window: it joins when placed in one.
    auto* late = new COptionUI;
    late->SetGroup(L"g");
    late->SetName(L"late");
    livetest::Place(w.root, late, RECT{0, 35, 60, 55});
    EXPECT_TRUE(InGroup(m, L"g", late));
    w.Paint();
    w.Click(POINT{30, 45});
    EXPECT_TRUE(late->IsSelected());
    EXPECT_FALSE(b->IsSelected());
    EXPECT_FALSE(a->IsSelected());
}

TEST(OptionTest, SelectedTextColourLeavesTheOwnColour) {
    listtest::ListWindow w;
    ASSERT_TRUE(w.Open(300, 60,
                       L"<Window><HorizontalLayout><Option name=\"o\" selected=\"true\" "
                       L"textcolor=\"#FF102030\" selectedtextcolor=\"#FFFF0000\"/>"
                       L"</HorizontalLayout></Window>"));
    auto* o = w.Find<COptionUI>(L"o");
    w.Paint();
    EXPECT_EQ(o->GetTextColor(), 0xFF102030u);
}
