// Box layout, container and scroll bar arithmetic on real control trees, laid out directly
// through SetPos without a window.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "ContainerUI.h"
#include "HorizontalLayoutUI.h"
#include "ScrollBarUI.h"
#include "VerticalLayoutUI.h"

using namespace Veneer;

namespace {

struct ChildAttrs {
    const wchar_t* attributes;  // applied with ApplyAttributeString
};

// Builds a layout with the given children and lays it out in `rc`.
template <class Layout>
Layout* MakeLayout(const wchar_t* own, const std::vector<ChildAttrs>& children, RECT rc) {
    auto* layout = new Layout;
    layout->ApplyAttributeString(own);
    for (const ChildAttrs& wanted : children) {
        auto* child = new CControlUI;
        child->ApplyAttributeString(wanted.attributes);
        layout->Add(child);
    }
    // Children learn their parent when the tree is bound; here without a window.
    layout->SetManager(nullptr, nullptr, false);
    layout->SetPos(rc, false);
    return layout;
}

std::vector<RECT> ChildRects(CContainerUI* c) {
    std::vector<RECT> out;
    for (int i = 0; i < c->GetCount(); ++i) out.push_back(c->GetItemAt(i)->GetPos());
    return out;
}

void ExpectRects(const std::vector<RECT>& got, const std::vector<RECT>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].left, want[i].left) << "child " << i;
        EXPECT_EQ(got[i].top, want[i].top) << "child " << i;
        EXPECT_EQ(got[i].right, want[i].right) << "child " << i;
        EXPECT_EQ(got[i].bottom, want[i].bottom) << "child " << i;
    }
}

struct BoxCase {
    const char* what;
    const wchar_t* layout;
    std::vector<ChildAttrs> children;
    RECT area;
    std::vector<RECT> expected;
};

TEST(BoxLayout, VerticalPlacement) {
    const BoxCase cases[] = {
        {"declared height shared with the rest", L"",
         {{L"height=\"100\""}, {L""}, {L""}}, {0, 0, 50, 300},
         {{0, 0, 50, 100}, {0, 100, 50, 200}, {0, 200, 50, 300}}},
        {"child padding held in the fixed total for the last child", L"childpadding=\"10\"",
         {{L"height=\"100\""}, {L""}, {L""}}, {0, 0, 50, 300},
         {{0, 0, 50, 100}, {0, 110, 50, 200}, {0, 210, 50, 280}}},
        {"padding: rectangle covers the bottom padding, next child advances by it",
         L"", {{L"height=\"20\" padding=\"0,5,0,5\""}, {L"height=\"10\""}}, {0, 0, 50, 300},
         {{0, 5, 50, 30}, {0, 30, 50, 40}}},
        {"min height kept when there is no room", L"",
         {{L"height=\"90\""}, {L"minheight=\"50\""}}, {0, 0, 50, 100},
         {{0, 0, 50, 90}, {0, 90, 50, 140}}},
        {"max height caps a declared height, width and max width", L"",
         {{L"height=\"200\" maxheight=\"150\" width=\"30\""}, {L"maxwidth=\"20\""}},
         {0, 0, 50, 300}, {{0, 0, 30, 150}, {0, 150, 20, 300}}},
        {"inset moves and shrinks the children", L"inset=\"5,6,7,8\"",
         {{L"height=\"10\""}, {L""}}, {10, 10, 110, 110},
         {{15, 16, 103, 26}, {15, 26, 103, 102}}},
        {"invisible child takes no room", L"",
         {{L"height=\"10\" visible=\"false\""}, {L""}}, {0, 0, 50, 100},
         {{0, 0, 0, 0}, {0, 0, 50, 100}}},
    };
    for (const BoxCase& c : cases) {
        SCOPED_TRACE(c.what);
        CVerticalLayoutUI* layout = MakeLayout<CVerticalLayoutUI>(c.layout, c.children, c.area);
        ExpectRects(ChildRects(layout), c.expected);
        delete layout;
    }
}

TEST(BoxLayout, HorizontalPlacement) {
    const BoxCase cases[] = {
        {"declared width shared with the rest", L"",
         {{L"width=\"100\""}, {L""}, {L""}}, {0, 0, 300, 40},
         {{0, 0, 100, 40}, {100, 0, 200, 40}, {200, 0, 300, 40}}},
        {"child padding", L"childpadding=\"10\"",
         {{L"width=\"100\""}, {L""}, {L""}}, {0, 0, 300, 40},
         {{0, 0, 100, 40}, {110, 0, 200, 40}, {210, 0, 280, 40}}},
        {"padding: rectangle covers the right padding; height less top and bottom", L"",
         {{L"width=\"20\" padding=\"5,3,5,4\""}, {L"width=\"10\" height=\"12\""}},
         {0, 0, 300, 40}, {{5, 3, 30, 36}, {30, 0, 40, 12}}},
        {"min width kept when there is no room", L"",
         {{L"width=\"90\""}, {L"minwidth=\"50\""}}, {0, 0, 100, 40},
         {{0, 0, 90, 40}, {90, 0, 140, 40}}},
    };
    for (const BoxCase& c : cases) {
        SCOPED_TRACE(c.what);
        CHorizontalLayoutUI* layout = MakeLayout<CHorizontalLayoutUI>(c.layout, c.children, c.area);
        ExpectRects(ChildRects(layout), c.expected);
        delete layout;
    }
}

TEST(BoxLayout, FloatChildPlacedByOriginSharesAndSize) {
    CVerticalLayoutUI* layout = MakeLayout<CVerticalLayoutUI>(
        L"", {{L"height=\"40\""}, {L"float=\"true\" pos=\"10,20,40,30\""}}, {100, 100, 300, 200});
    // A float child sits at its declared origin relative to the container, sized as declared.
    const RECT f = layout->GetItemAt(1)->GetPos();
    EXPECT_EQ(f.left, 110);
    EXPECT_EQ(f.top, 120);
    EXPECT_EQ(f.right, 140);
    EXPECT_EQ(f.bottom, 130);
    // It takes no room from the others.
    EXPECT_EQ(layout->GetItemAt(0)->GetPos().top, 100);
    delete layout;

    // A share of the container is the double product cut toward zero, alike in the 32-bit and
    // the 64-bit build: 0.009 of 1000 is 9 (80-bit x87 intermediates would make it 8).
    CHorizontalLayoutUI* wide = MakeLayout<CHorizontalLayoutUI>(
        L"", {{L"float=\"0.009,0,0.009,0\" pos=\"0,0,10,10\""}}, {0, 0, 1000, 100});
    EXPECT_EQ(wide->GetItemAt(0)->GetPos().left, 9);
    EXPECT_EQ(wide->GetItemAt(0)->GetPos().right, 19);
    delete wide;
}

TEST(BoxLayout, SizesNearTheIntLimitsDoNotWrap) {
    CVerticalLayoutUI* layout = MakeLayout<CVerticalLayoutUI>(
        L"", {{L"height=\"2147483000\" maxheight=\"2147483000\""},
              {L"height=\"2147483000\" maxheight=\"2147483000\""}, {L""}},
        {0, 0, 50, 300});
    // Every child starts at or below the one before it: no position wrapped to negative.
    int last = INT_MIN;
    for (int i = 0; i < layout->GetCount(); ++i) {
        const RECT rc = layout->GetItemAt(i)->GetPos();
        EXPECT_GE(rc.top, last) << i;
        EXPECT_GE(rc.bottom, rc.top) << i;
        last = rc.top;
    }
    delete layout;
}

struct ThumbCase {
    const char* what;
    int length;
    int range;
    int position;
    RECT button1, button2, thumb;  // along a vertical bar 16 wide at (0, 0)
};

TEST(ScrollBar, ThumbGeometry) {
    const ThumbCase cases[] = {
        {"100 px, range 100, at 0", 100, 100, 0, {0, 0, 16, 16}, {0, 84, 16, 100}, {0, 16, 16, 50}},
        {"100 px, range 100, at the end", 100, 100, 100, {0, 0, 16, 16}, {0, 84, 16, 100},
         {0, 50, 16, 84}},
        {"range 0: thumb fills the track", 100, 0, 0, {0, 0, 16, 16}, {0, 84, 16, 100},
         {0, 16, 16, 84}},
        {"20 px: two 10 px buttons, no thumb", 20, 100, 0, {0, 0, 16, 10}, {0, 10, 16, 20},
         {0, 0, 0, 0}},
        {"range near INT_MAX at the start: thumb no shorter than a button", 100, INT_MAX - 1, 0,
         {0, 0, 16, 16}, {0, 84, 16, 100}, {0, 16, 16, 32}},
        {"range near INT_MAX at the end: thumb meets button 2", 100, INT_MAX - 1, INT_MAX - 1,
         {0, 0, 16, 16}, {0, 84, 16, 100}, {0, 68, 16, 84}},
    };
    for (const ThumbCase& c : cases) {
        SCOPED_TRACE(c.what);
        CScrollBarUI bar;
        bar.SetPos(RECT{0, 0, 16, c.length}, false);
        bar.SetScrollRange(c.range);
        bar.SetScrollPos(c.position);
        ExpectRects({bar.GetButton1Rect(), bar.GetButton2Rect(), bar.GetThumbRect()},
                    {c.button1, c.button2, c.thumb});
    }
    // A horizontal bar is the same with the axes exchanged.
    CScrollBarUI hbar;
    hbar.ApplyAttribute(L"hor", L"true");
    EXPECT_EQ(hbar.GetDeclaredHeight(), 16);
    EXPECT_EQ(hbar.GetDeclaredWidth(), 0);
    hbar.SetPos(RECT{0, 0, 100, 16}, false);
    hbar.SetScrollPos(100);
    ExpectRects({hbar.GetThumbRect()}, {{50, 0, 84, 16}});
}

TEST(ScrollBar, RangeAndPositionClamp) {
    CScrollBarUI bar;
    bar.SetScrollPos(500);
    EXPECT_EQ(bar.GetScrollPos(), 100);
    bar.SetScrollRange(-5);
    EXPECT_EQ(bar.GetScrollRange(), 0);
    EXPECT_EQ(bar.GetScrollPos(), 0);
    // An unowned bar steps itself by its line size and by its length for a page.
    bar.SetScrollRange(1000);
    bar.SetPos(RECT{0, 0, 16, 100}, false);
    bar.LineDown();
    EXPECT_EQ(bar.GetScrollPos(), 8);
    bar.PageDown();
    EXPECT_EQ(bar.GetScrollPos(), 108);
    bar.SetScrollPos(INT_MAX);
    bar.LineDown();  // no wrap past the end
    EXPECT_EQ(bar.GetScrollPos(), 1000);
}

TEST(Container, ScrollBarShownWhenContentOverflowsAndHiddenAgain) {
    CVerticalLayoutUI* layout = MakeLayout<CVerticalLayoutUI>(
        L"vscrollbar=\"true\"", {{L"height=\"50\""}, {L"height=\"50\""}, {L"height=\"50\""}},
        {0, 0, 100, 100});
    CScrollBarUI* bar = layout->GetVerticalScrollBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->IsVisible());
    EXPECT_EQ(bar->GetScrollRange(), 50);
    // The bar takes its width from the children's room and sits at the right edge.
    EXPECT_EQ(layout->GetItemAt(0)->GetPos().right, 84);
    EXPECT_EQ(bar->GetPos().left, 84);
    EXPECT_EQ(bar->GetPos().bottom, 100);

    // Scrolling moves the children and stops at the range.
    layout->SetScrollPos(SIZE{0, 30});
    EXPECT_EQ(layout->GetItemAt(0)->GetPos().top, -30);
    layout->ScrollToBottom();
    EXPECT_EQ(layout->GetScrollPos().cy, 50);
    EXPECT_EQ(layout->GetItemAt(2)->GetPos().bottom, 100);
    layout->ScrollPageUp();
    EXPECT_EQ(layout->GetScrollPos().cy, 0);

    // Once the content fits the bar goes, with position and range 0.
    layout->RemoveAt(2);
    layout->SetPos(layout->GetPos(), false);
    EXPECT_FALSE(bar->IsVisible());
    EXPECT_EQ(bar->GetScrollRange(), 0);
    EXPECT_EQ(bar->GetScrollPos(), 0);
    EXPECT_EQ(layout->GetItemAt(0)->GetPos().right, 100);
    delete layout;
}

TControlEvent MakeEvent(int type, POINT pt, WPARAM wParam = 0) {
    TControlEvent e;
    e.type = type;
    e.mouse = pt;
    e.wParam = wParam;
    return e;
}

TEST(ScrollBar, HeldButtonRepeatsAfterFiveTicks) {
    CScrollBarUI bar;
    bar.SetScrollRange(1000);
    bar.SetPos(RECT{0, 0, 16, 100}, false);
    TControlEvent down = MakeEvent(kEventButtonDown, POINT{8, 95});  // in button 2
    bar.HandleEvent(down);
    EXPECT_EQ(bar.GetScrollPos(), 8);
    TControlEvent tick = MakeEvent(kEventTimer, POINT{0, 0}, CScrollBarUI::kRepeatTimerId);
    for (int i = 0; i < 5; ++i) bar.HandleEvent(tick);
    EXPECT_EQ(bar.GetScrollPos(), 8);
    bar.HandleEvent(tick);
    bar.HandleEvent(tick);
    EXPECT_EQ(bar.GetScrollPos(), 24);
    TControlEvent up = MakeEvent(kEventButtonUp, POINT{8, 95});
    bar.HandleEvent(up);
    bar.HandleEvent(tick);  // no longer held
    EXPECT_EQ(bar.GetScrollPos(), 24);
}

TEST(ScrollBar, ThumbDragAndWheelScrollTheOwnersContent) {
    CVerticalLayoutUI* layout = MakeLayout<CVerticalLayoutUI>(
        L"vscrollbar=\"true\"", {{L"height=\"100\""}, {L"height=\"100\""}}, {0, 0, 100, 100});
    CScrollBarUI* bar = layout->GetVerticalScrollBar();
    ASSERT_EQ(bar->GetScrollRange(), 100);
    // Track 68, thumb 34 at 16..50: each pixel of drag is 100 / (100 - 32 - 34) of range.
    TControlEvent down = MakeEvent(kEventButtonDown, POINT{92, 20});
    bar->HandleEvent(down);
    TControlEvent move = MakeEvent(kEventMouseMove, POINT{92, 37});
    bar->HandleEvent(move);
    EXPECT_EQ(bar->GetScrollPos(), 0);  // the drag is applied on the next tick
    TControlEvent tick = MakeEvent(kEventTimer, POINT{0, 0}, CScrollBarUI::kRepeatTimerId);
    bar->HandleEvent(tick);
    EXPECT_EQ(bar->GetScrollPos(), 50);
    EXPECT_EQ(layout->GetItemAt(0)->GetPos().top, -50);
    TControlEvent up = MakeEvent(kEventButtonUp, POINT{92, 37});
    bar->HandleEvent(up);

    // The wheel steps a line (8 without a window's font) and stops at the start.
    TControlEvent wheelUp = MakeEvent(kEventScrollWheel, POINT{50, 50}, SB_LINEUP);
    layout->HandleEvent(wheelUp);
    EXPECT_EQ(bar->GetScrollPos(), 42);
    EXPECT_EQ(layout->GetItemAt(0)->GetPos().top, -42);
    layout->ScrollToTop();
    layout->HandleEvent(wheelUp);
    EXPECT_EQ(layout->GetItemAt(0)->GetPos().top, 0);
    delete layout;
}

TEST(Container, ScrollBarStyleCreatesTheBarWithItsWidth) {
    CVerticalLayoutUI layout;
    layout.ApplyAttribute(L"vscrollbarstyle", L"width=\"8\" linesize=\"3\"");
    ASSERT_NE(layout.GetVerticalScrollBar(), nullptr);
    EXPECT_EQ(layout.GetVerticalScrollBar()->GetDeclaredWidth(), 8);
    EXPECT_EQ(layout.GetVerticalScrollBar()->GetLineSize(), 3);
    layout.ApplyAttribute(L"vscrollbar", L"false");
    EXPECT_EQ(layout.GetVerticalScrollBar(), nullptr);
}

TEST(Container, ChildListOwnershipAndVisibility) {
    CContainerUI box;
    box.SetDeferredDelete(false);
    auto* a = new CControlUI;
    auto* b = new CControlUI;
    EXPECT_FALSE(box.Add(nullptr));
    EXPECT_TRUE(box.Add(a));
    EXPECT_TRUE(box.AddAt(b, 0));
    EXPECT_EQ(box.GetItemIndex(b), 0);
    CControlUI stranger;
    EXPECT_FALSE(box.Remove(&stranger));
    EXPECT_EQ(box.GetCount(), 2);
    // A move to an index past the end keeps the child in the list.
    EXPECT_FALSE(box.SetItemIndex(b, 7));
    EXPECT_EQ(box.GetCount(), 2);
    EXPECT_EQ(box.GetItemIndex(b), 1);

    // Hiding the container hides what it holds; children added while hidden start hidden.
    box.SetVisible(false);
    EXPECT_FALSE(a->IsVisible());
    auto* c = new CControlUI;
    box.Add(c);
    EXPECT_FALSE(c->IsVisible());
    box.SetVisible(true);
    EXPECT_TRUE(c->IsVisible());
    EXPECT_TRUE(box.RemoveAt(0));
    EXPECT_EQ(box.GetCount(), 2);
    EXPECT_EQ(box.NextSelectableIndex(5, false), -1);
}

TEST(Container, HitTestSkipsChildPartsOutsideTheInnerRectangle) {
    CVerticalLayoutUI* layout = MakeLayout<CVerticalLayoutUI>(
        L"inset=\"0,0,0,20\"", {{L"height=\"90\""}}, {0, 0, 100, 100});
    auto hit = [](CControlUI* c, void*) CALLBACK -> CControlUI* { return c; };
    POINT inside = {50, 50};
    POINT inInset = {50, 85};
    const UINT flags = kLocateVisible | kLocateHitTest | kLocateTopFirst;
    EXPECT_EQ(layout->LocateControl(hit, &inside, flags), layout->GetItemAt(0));
    // The child reaches into the inset, but there the container answers for itself.
    EXPECT_EQ(layout->LocateControl(hit, &inInset, flags), layout);
    delete layout;
}

TEST(BoxLayout, SeparatorBandAndDragStopsAtTheMaximum) {
    CVerticalLayoutUI outer;
    auto* inner = new CVerticalLayoutUI;
    inner->ApplyAttributeString(L"height=\"100\" maxheight=\"150\" sepheight=\"4\" sepimm=\"true\"");
    outer.Add(inner);
    outer.SetPos(RECT{0, 0, 100, 400}, false);
    RECT band = inner->GetSeparatorRect(false);
    EXPECT_EQ(band.top, 96);
    EXPECT_EQ(band.bottom, 100);
    inner->ApplyAttribute(L"sepheight", L"-4");
    band = inner->GetSeparatorRect(false);
    EXPECT_EQ(band.top, 0);
    EXPECT_EQ(band.bottom, 4);
    inner->ApplyAttribute(L"sepheight", L"4");

    auto send = [&](int type, int y) {
        TControlEvent e;
        e.type = type;
        e.mouse = POINT{50, y};
        inner->HandleEvent(e);
    };
    send(kEventButtonDown, 98);
    EXPECT_TRUE(inner->IsDragging());
    send(kEventMouseMove, 130);
    EXPECT_EQ(inner->GetDeclaredHeight(), 132);
    send(kEventMouseMove, 230);  // beyond the maximum: stops there
    EXPECT_EQ(inner->GetDeclaredHeight(), 150);
    send(kEventMouseMove, 260);  // already at the maximum: ignored
    EXPECT_EQ(inner->GetDeclaredHeight(), 150);
    send(kEventButtonUp, 260);
    EXPECT_FALSE(inner->IsDragging());
    outer.SetPos(outer.GetPos(), false);
    EXPECT_EQ(inner->GetHeight(), 150);
}

TEST(BoxLayout, HorizontalBarWidensAndScrollsOnlyAlongItsAxis) {
    struct Case {
        const char* what;
        bool horizontal;
        const wchar_t* first;
        std::vector<RECT> children;
    };
    // Inner rectangle 200 x 84 over a 16-high bar of range 40 at position 10.
    const Case cases[] = {
        {"horizontal: room 240 along x", true, L"width=\"100\"",
         {{-10, 0, 90, 84}, {90, 0, 230, 84}}},
        {"vertical: room 240 across", false, L"height=\"30\"",
         {{-10, 0, 230, 30}, {-10, 30, 230, 84}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CBoxLayoutUI* layout = c.horizontal ? static_cast<CBoxLayoutUI*>(new CHorizontalLayoutUI)
                                            : new CVerticalLayoutUI;
        layout->ApplyAttribute(L"hscrollbarstyle", L"range=\"40\" value=\"10\"");
        auto* first = new CControlUI;
        first->ApplyAttributeString(c.first);
        layout->Add(first);
        layout->Add(new CControlUI);
        layout->SetManager(nullptr, nullptr, false);
        layout->SetPos(RECT{0, 0, 200, 100}, false);
        ExpectRects(ChildRects(layout), c.children);
        ExpectRects({layout->GetHorizontalScrollBar()->GetPos()}, {{0, 84, 200, 100}});
        delete layout;
    }
}

TEST(BoxLayout, EmptyLayoutsPlaceTheHorizontalBarDifferently) {
    // Without children the horizontal layout places its bar below the inset rectangle, the
    // vertical one inside it.
    CHorizontalLayoutUI h;
    CVerticalLayoutUI v;
    for (CBoxLayoutUI* layout : {static_cast<CBoxLayoutUI*>(&h), static_cast<CBoxLayoutUI*>(&v)}) {
        layout->ApplyAttributeString(L"inset=\"5,5,5,5\" hscrollbar=\"true\"");
        layout->SetPos(RECT{0, 0, 200, 100}, false);
    }
    ExpectRects({h.GetHorizontalScrollBar()->GetPos(), v.GetHorizontalScrollBar()->GetPos()},
                {{5, 95, 195, 111}, {5, 79, 195, 95}});
}

TEST(BoxLayout, HorizontalSeparatorDragsTheWidthFromEitherEdge) {
    CHorizontalLayoutUI outer;
    auto* inner = new CHorizontalLayoutUI;
    inner->ApplyAttributeString(L"width=\"100\" maxwidth=\"150\" sepwidth=\"4\" sepimm=\"true\"");
    inner->ApplyAttribute(L"sepheight", L"9");  // the vertical layout's name: not ours
    outer.Add(inner);
    outer.SetPos(RECT{0, 0, 400, 100}, false);
    EXPECT_EQ(inner->GetSeparatorSize(), 4);
    ExpectRects({inner->GetSeparatorRect(false)}, {{96, 0, 100, 100}});
    EXPECT_EQ(inner->GetBehaviourFlags(), UINT{kBehaviourSetCursor});

    auto send = [&](int type, int x) {
        TControlEvent e;
        e.type = type;
        e.mouse = POINT{x, 50};
        inner->HandleEvent(e);
    };
    send(kEventButtonDown, 98);
    send(kEventMouseMove, 130);
    EXPECT_EQ(inner->GetDeclaredWidth(), 132);
    send(kEventMouseMove, 230);
    EXPECT_EQ(inner->GetDeclaredWidth(), 150);
    send(kEventButtonUp, 230);
    outer.SetPos(outer.GetPos(), false);
    EXPECT_EQ(inner->GetWidth(), 150);

    // A band at the left edge moves the left edge.
    inner->ApplyAttribute(L"sepwidth", L"-4");
    ExpectRects({inner->GetSeparatorRect(false)}, {{0, 0, 4, 100}});
    send(kEventButtonDown, 2);
    send(kEventMouseMove, 30);
    EXPECT_EQ(inner->GetDeclaredWidth(), 122);
    EXPECT_EQ(inner->GetPos().left, 28);
    send(kEventButtonUp, 30);
}

}  // namespace
