// The tile layout in a live window: columns from the item width or the column count, cells
// with the child padding between them, children centred in their cells, the vertical bar.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CoreTestUtil.h"
#include "LayoutWindow.h"
#include "ScrollBarUI.h"
#include "TestUtil.h"
#include "TileLayoutUI.h"

using namespace Veneer;

namespace {

std::wstring Cells(int count, const wchar_t* attributes) {
    std::wstring xml;
    for (int i = 0; i < count; ++i)
        xml += L"<Control name=\"c" + std::to_wstring(i) + L"\" " + attributes + L"/>";
    return xml;
}

TEST(TileLayoutTest, CellsRowsAndCentring) {
    struct Placed {
        const wchar_t* name;
        RECT rc;
    };
    struct Case {
        const char* what;
        std::wstring xml;
        int width;
        int columns;
        std::vector<Placed> placed;
    };
    const Case cases[] = {
        {"an item width of 100 in 250 gives 2 columns of 125",
         L"<Window><TileLayout itemsize=\"100,50\">" + Cells(3, L"height=\"40\"") +
             L"</TileLayout></Window>",
         250,
         2,
         {{L"c0", {0, 0, 125, 40}}, {L"c1", {125, 0, 250, 40}}, {L"c2", {0, 40, 125, 80}}}},
        {"the fifth of five in 2 columns opens row 3: no padding left, half of it right",
         L"<Window><TileLayout columns=\"2\" childpadding=\"10\">" + Cells(5, L"height=\"30\"") +
             L"</TileLayout></Window>",
         200,
         2,
         {{L"c0", {0, 0, 95, 30}},
          {L"c1", {105, 0, 200, 30}},
          {L"c3", {105, 40, 200, 70}},
          {L"c4", {0, 80, 95, 110}}}},
        {"a child smaller than its cell is centred both ways",
         L"<Window><TileLayout columns=\"2\"><Control name=\"tall\" height=\"60\"/>"
         L"<Control name=\"small\" width=\"40\" height=\"20\" "
         L"bkcolor=\"#FFFF0000\"/></TileLayout></Window>",
         200,
         2,
         {{L"tall", {0, 0, 100, 60}}, {L"small", {130, 20, 170, 40}}}},
        {"padding and an inset narrow the cell before it is split",
         L"<Window><TileLayout columns=\"2\" inset=\"10,5,10,0\"><Control name=\"a\" height=\"20\""
         L" padding=\"4,6,0,0\"/><Control name=\"b\" height=\"10\"/></TileLayout></Window>",
         220,
         2,
         {{L"a", {14, 11, 110, 31}}, {L"b", {110, 13, 210, 23}}}},
        {"an item wider than the room gives one column",
         L"<Window><TileLayout itemsize=\"300,10\">" + Cells(2, L"height=\"40\"") +
             L"</TileLayout></Window>",
         250,
         1,
         {{L"c0", {0, 0, 250, 40}}, {L"c1", {0, 40, 250, 80}}}},
        {"an inset wider than the layout still leaves one column",
         L"<Window><TileLayout itemsize=\"100\" inset=\"200,0,200,0\">" +
             Cells(2, L"height=\"40\"") + L"</TileLayout></Window>",
         250,
         1,
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        layouttest::LayoutWindow w;
        ASSERT_TRUE(w.Open(c.xml.c_str(), c.width, 150));
        auto* tile = static_cast<CTileLayoutUI*>(w.Manager().GetRoot()->QueryPart(L"TileLayout"));
        ASSERT_NE(tile, nullptr);
        EXPECT_EQ(tile->GetColumns(), c.columns);
        for (const Placed& p : c.placed) {
            SCOPED_TRACE(testutil::Narrow(p.name));
            const RECT rc = w.Find(p.name)->GetPos();
            EXPECT_EQ(rc.left, p.rc.left);
            EXPECT_EQ(rc.top, p.rc.top);
            EXPECT_EQ(rc.right, p.rc.right);
            EXPECT_EQ(rc.bottom, p.rc.bottom);
        }
        if (CControlUI* small = w.Find(L"small")) {
            // Painted where it was placed, and nowhere else.
            const livetest::Pixels px = w.Paint();
            EXPECT_EQ(px.Count(RECT{0, 0, px.width, px.height}, 0xFF0000), 40 * 20);
            EXPECT_EQ(px.Count(small->GetPos(), 0xFF0000), 40 * 20);
        }
    }
}

TEST(TileLayoutTest, RowsBeyondTheHeightBringUpTheVerticalBar) {
    layouttest::LayoutWindow w;
    const std::wstring xml =
        L"<Window><TileLayout columns=\"2\" childpadding=\"10\" inset=\"0,5,0,0\""
        L" vscrollbar=\"true\">" +
        Cells(5, L"height=\"30\"") + L"</TileLayout></Window>";
    ASSERT_TRUE(w.Open(xml.c_str(), 200, 100));
    auto* tile = static_cast<CTileLayoutUI*>(w.Manager().GetRoot()->QueryPart(L"TileLayout"));
    ASSERT_NE(tile, nullptr);
    CScrollBarUI* bar = tile->GetVerticalScrollBar();
    ASSERT_NE(bar, nullptr);
    ASSERT_TRUE(bar->IsVisible());
    // Three rows of 30 with two gaps of 10 below the inset need 110 of the 95 there are.
    EXPECT_EQ(tile->GetScrollRange().cy, 15);
    EXPECT_EQ(w.Find(L"c1")->GetPos().right, 200 - bar->GetDeclaredWidth());
    tile->SetScrollPos(SIZE{0, 15});
    w.Paint();
    EXPECT_EQ(w.Find(L"c4")->GetPos().top, 85 - 15);
    // A later layout keeps the scrolled position.
    tile->SetPos(tile->GetPos(), false);
    EXPECT_EQ(w.Find(L"c4")->GetPos().top, 85 - 15);
}

TEST(TileLayoutTest, AttributesReadNoFurtherThanTheirText) {
    CTileLayoutUI tile;
    // "100" ends where the page ends: a reader looking for a second number past its end faults.
    const std::wstring text = L"100";
    coretest::GuardedBytes guarded(std::string(reinterpret_cast<const char*>(text.c_str()),
                                               (text.size() + 1) * sizeof(wchar_t)));
    tile.ApplyAttribute(L"itemsize", static_cast<const wchar_t*>(guarded.data()));
    EXPECT_EQ(tile.GetItemSize().cx, 100);
    EXPECT_EQ(tile.GetItemSize().cy, 0);
    tile.ApplyAttribute(L"columns", L"3");
    tile.ApplyAttribute(L"columns", L"0");
    tile.ApplyAttribute(L"columns", L"-2");
    EXPECT_EQ(tile.GetColumns(), 3);
}

}  // namespace
