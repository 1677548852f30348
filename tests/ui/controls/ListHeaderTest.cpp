// Column captions in a live list: separator drags that resize columns, "headerclick" with the
// pushed image, the resize cursor and the header's height.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "ListHeaderItemUI.h"
#include "ListHeaderUI.h"
#include "ListTestWindow.h"
#include "ListUI.h"
#include "RenderTestUtil.h"
#include "TestUtil.h"
#include "WindowManagerUI.h"

using namespace Veneer;

namespace {

int DefaultFontHeight(CWindowManagerUI& m) { return m.GetDefaultFontRecord()->metrics.tmHeight; }

bool ResizeCursorAt(listtest::ListWindow& w, POINT pt) {
    livetest::MouseMove(w.hwnd(), pt.x, pt.y);
    SendMessageW(w.hwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(w.hwnd()),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return GetCursor() == LoadCursorW(nullptr, IDC_SIZEWE);
}

}  // namespace

TEST(ListHeaderTest, SeparatorDragResizesTheColumn) {
    struct Case {
        const char* what;
        const wchar_t* attrs;      // of the first column, 100 wide at x 0
        int press;                 // x of the press
        std::vector<int> moves;    // x of each move while pressed
        int width;                 // declared width after the drag
        bool cursor;               // resize cursor over the press point
    } const cases[] = {
        {"right separator, 30 to the right", L"", 94, {124}, 130, true},
        {"to the minimum is refused, the drag goes on from there", L"", 94, {10, 54}, 60, true},
        {"left separator: dragging right narrows", L"sepwidth=\"-4\"", 6, {36}, 70, true},
        {"not dragable", L"dragable=\"false\"", 94, {124}, 100, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::wstring xml = std::wstring(L"<Window><List name=\"list\">"
                                              L"<ListHeaderItem name=\"c0\" width=\"100\" ") +
                                 c.attrs +
                                 L"/><ListHeaderItem name=\"c1\" width=\"100\"/>"
                                 L"<ListTextElement name=\"r0\"/></List></Window>";
        listtest::ListWindow w;
        ASSERT_TRUE(w.Open(400, 200, xml.c_str()));
        auto* list = w.Find<CListUI>(L"list");
        auto* c0 = w.Find<CListHeaderItemUI>(L"c0");
        const int y = c0->GetPos().bottom / 2;
        EXPECT_EQ(ResizeCursorAt(w, POINT{c.press, y}), c.cursor);

        livetest::MouseDown(w.hwnd(), c.press, y);
        for (int x : c.moves) livetest::MouseMove(w.hwnd(), x, y);
        livetest::MouseUp(w.hwnd(), c.moves.back(), y);
        EXPECT_EQ(c0->GetDeclaredWidth(), c.width);
        EXPECT_EQ(w.Count(L"headerclick:c0"), 0) << "a press on the separator is no click";

        // The list lays its columns out again: the rows' cells follow the header.
        w.Paint();
        const TListItemStyle& style = *list->GetListStyle();
        EXPECT_EQ(style.columnRects[0].right - style.columnRects[0].left, c.width);
        EXPECT_EQ(style.columnRects[1].left, c.width);
    }
}

TEST(ListHeaderTest, HeaderClickShowsThePushedImageUntilRelease) {
    testutil::TempDir dir(L"hdr");
    ASSERT_TRUE(testutil::WriteBytes(
        dir / L"green.png", rendertest::MakePng(4, 4, std::vector<uint32_t>(16, 0xFF00FF00u))));
    ASSERT_TRUE(testutil::WriteBytes(
        dir / L"red.png", rendertest::MakePng(4, 4, std::vector<uint32_t>(16, 0xFFFF0000u))));
    CWindowManagerUI::SetSkinRoot(dir.path().c_str());
    listtest::ListWindow w;
    ASSERT_TRUE(w.Open(400, 200,
                       L"<Window><List><ListHeaderItem name=\"c0\" width=\"120\" "
                       L"normalimage=\"green.png\" hotimage=\"green.png\" "
                       L"pushedimage=\"red.png\"/></List></Window>"));
    auto* c0 = w.Find<CListHeaderItemUI>(L"c0");
    const RECT item = c0->GetPos();
    const POINT mid = listtest::Centre(item);
    const int area = (item.right - item.left) * (item.bottom - item.top);

    livetest::MouseMove(w.hwnd(), mid.x, mid.y);
    livetest::MouseDown(w.hwnd(), mid.x, mid.y);
    EXPECT_EQ(w.Count(L"headerclick:c0"), 1);
    livetest::Pixels px = w.Paint();
    EXPECT_EQ(px.Count(item, 0xFF0000), area) << "pushed image while pressed";

    livetest::MouseUp(w.hwnd(), mid.x, mid.y);
    px = w.Paint();
    EXPECT_EQ(px.Count(item, 0xFF0000), 0);
    EXPECT_EQ(px.Count(item, 0x00FF00), area) << "back to the hot image on release";
    EXPECT_EQ(w.Count(L"headerclick:c0"), 1);
    CWindowManagerUI::SetSkinRoot(L"");
}

TEST(ListHeaderTest, HeightIsTheTallestItemButNeverBelowOneFontLine) {
    listtest::ListWindow w;
    ASSERT_TRUE(w.Open(600, 200,
                       L"<Window><HorizontalLayout>"
                       L"<List name=\"free\"><ListHeaderItem width=\"50\"/></List>"
                       L"<List name=\"low\"><ListHeaderItem width=\"50\" height=\"3\"/></List>"
                       L"<List name=\"tall\"><ListHeaderItem width=\"50\" height=\"50\"/>"
                       L"<ListHeaderItem width=\"50\" height=\"7\"/></List>"
                       L"</HorizontalLayout></Window>"));
    const int font = DefaultFontHeight(w.win.Manager());
    const struct {
        const wchar_t* list;
        int height;
    } cases[] = {{L"free", font + 14}, {L"low", font + 6}, {L"tall", 50}};
    for (const auto& c : cases) {
        CListHeaderUI* header = w.Find<CListUI>(c.list)->GetHeader();
        ASSERT_NE(header, nullptr);
        EXPECT_EQ(header->GetHeight(), c.height) << static_cast<const void*>(c.list);
    }
}
