// The list in a live window: selection by keys, wheel and removal, expansion, the column cap,
// sideways scrolling of header and rows together, row heights and row colours by pixels.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ListBodyUI.h"
#include "ListContainerElementUI.h"
#include "ListHeaderItemUI.h"
#include "ListHeaderUI.h"
#include "ListTestWindow.h"
#include "ListTextElementUI.h"
#include "ListUI.h"
#include "ScrollBarUI.h"

using namespace Veneer;

namespace {

// "<List ...>" with `rows` rows of the given element, named r0, r1, ..., each 20 high.
std::wstring ListXml(const std::wstring& listAttrs, int rows,
                     const wchar_t* element = L"ListLabelElement") {
    std::wstring xml = L"<Window><List name=\"list\" header=\"hidden\" " + listAttrs + L">";
    for (int i = 0; i < rows; ++i)
        xml += std::wstring(L"<") + element + L" name=\"r" + std::to_wstring(i) +
               L"\" height=\"20\" text=\"row\"/>";
    return xml + L"</List></Window>";
}

// A row that can be expanded, as a tree node would be.
class ExpandingRow : public CListContainerElementUI {
public:
    bool IsExpanded() const override { return expanded; }
    bool Expand(bool expand) override {
        expanded = expand;
        return true;
    }
    bool expanded = false;
};

}  // namespace

TEST(ListTest, KeysMoveTheSelectionByTheSelectableRows) {
    struct Case {
        const char* what;
        std::vector<int> disabled;
        int start;
        WPARAM key;
        int selected;
    } const cases[] = {
        {"Home: the first selectable row", {0}, 3, VK_HOME, 1},
        {"End: the last row", {}, 2, VK_END, 5},
        {"End on an unselectable last row clears", {5}, 2, VK_END, -1},
        {"Up skips unselectable rows", {2}, 3, VK_UP, 1},
        {"Up with none above: first selectable from the top", {0}, 1, VK_UP, 1},
        {"Down on the last row stays", {}, 5, VK_DOWN, 5},
        {"Down with only unselectable rows after clears", {4, 5}, 3, VK_DOWN, -1},
        {"Down skips unselectable rows", {3}, 2, VK_DOWN, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        listtest::ListWindow w;
        ASSERT_TRUE(w.Open(300, 200, ListXml(L"", 6).c_str()));
        auto* list = w.Find<CListUI>(L"list");
        for (int i : c.disabled) list->GetItemAt(i)->SetEnabled(false);
        ASSERT_TRUE(list->SelectItem(c.start, true));
        w.Key(c.key);
        EXPECT_EQ(list->GetCurSel(), c.selected);
        for (int i = 0; i < list->GetCount(); ++i)
            EXPECT_EQ(AsListItem(list->GetItemAt(i))->IsSelected(), i == c.selected) << i;
    }
}

TEST(ListTest, KeysKeepTheSelectedRowInViewInAListTallerThanItsWindow) {
    listtest::ListWindow w;
    ASSERT_TRUE(w.Open(300, 100, ListXml(L"vscrollbar=\"true\"", 20).c_str()));
    auto* list = w.Find<CListUI>(L"list");
    ASSERT_TRUE(list->SelectItem(0, true));
    const struct {
        WPARAM key;
        int times, selected;
    } steps[] = {{VK_DOWN, 7, 7}, {VK_UP, 7, 0}, {VK_END, 1, 19}, {VK_HOME, 1, 0}};
    for (const auto& s : steps) {
        for (int i = 0; i < s.times; ++i) w.Key(s.key);
        ASSERT_EQ(list->GetCurSel(), s.selected);
        const RECT row = list->GetItemAt(s.selected)->GetPos();
        EXPECT_TRUE(row.top >= 0 && row.bottom <= 100) << "row " << s.selected << " in view";
        EXPECT_GT(w.Paint().Count(row, 0xC1E3FF), 20 * 250) << "and painted selected";
    }
}

TEST(ListTest, WheelScrollsOrMovesTheSelection) {
    struct Case {
        bool scrollSelect;
        short delta;
        int selected;
        bool scrolled;
    } const cases[] = {{false, -120, 2, true}, {true, -120, 3, false}, {true, 120, 1, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.delta);
        listtest::ListWindow w;
        ASSERT_TRUE(w.Open(300, 100, ListXml(L"vscrollbar=\"true\"", 20).c_str()));
        auto* list = w.Find<CListUI>(L"list");
        list->SetScrollSelect(c.scrollSelect);
        ASSERT_TRUE(list->SelectItem(2));
        w.Wheel(c.delta, POINT{50, 50});
        EXPECT_EQ(list->GetCurSel(), c.selected);
        EXPECT_EQ(list->GetScrollPos().cy > 0, c.scrolled);
    }
}

TEST(ListTest, SelectItemAnswersAndNotifies) {
    listtest::ListWindow w;
    ASSERT_TRUE(w.Open(300, 200, ListXml(L"", 4).c_str()));
    auto* list = w.Find<CListUI>(L"list");
    list->GetItemAt(2)->SetEnabled(false);
    list->GetItemAt(3)->SetVisible(false);

    EXPECT_TRUE(list->SelectItem(1));
    EXPECT_EQ(w.Count(L"itemselect:list"), 1);
    EXPECT_TRUE(list->SelectItem(1)) << "the selected index again";
    EXPECT_EQ(w.Count(L"itemselect:list"), 1) << "... sends nothing";
    for (int index : {2, 3}) {
        ASSERT_TRUE(list->SelectItem(0));
        EXPECT_FALSE(list->SelectItem(index)) << "disabled or hidden row " << index;
        EXPECT_EQ(list->GetCurSel(), -1);
        EXPECT_FALSE(AsListItem(list->GetItemAt(0))->IsSelected());
    }
    ASSERT_TRUE(list->SelectItem(1));
    const int notes = w.Count(L"itemselect:list");
    EXPECT_FALSE(list->SelectItem(-1));
    EXPECT_EQ(list->GetCurSel(), -1);
    EXPECT_EQ(w.Count(L"itemselect:list"), notes);
    // A selected row that is hidden gives the selection up.
    ASSERT_TRUE(list->SelectItem(0));
    list->GetItemAt(0)->SetVisible(false);
    EXPECT_EQ(list->GetCurSel(), -1);
}

TEST(ListTest, RemovingRowsKeepsSelectionAndExpansionConsistent) {
    struct Case {
        const char* what;
        int selected, expanded, removed;
        const wchar_t* nowSelected;  // null: none
        int selection, expansion;
    } const cases[] = {
        {"the selected row: the one moving into its place", 2, 3, 2, L"r3", 2, 2},
        {"the selected last row: the new last row", 4, -1, 4, L"r3", 3, -1},
        {"a row before both", 3, 4, 1, L"r3", 2, 3},
        {"the expanded row", 1, 3, 3, L"r1", 1, -1},
        {"a row after both", 1, 2, 4, L"r1", 1, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        listtest::ListWindow w;
        ASSERT_TRUE(w.Open(300, 200, ListXml(L"", 0).c_str()));
        auto* list = w.Find<CListUI>(L"list");
        for (int i = 0; i < 5; ++i) {
            auto* row = new livetest::Poisoned<ExpandingRow>;
            row->SetName((L"r" + std::to_wstring(i)).c_str());
            row->SetDeclaredHeight(20);
            ASSERT_TRUE(list->Add(row));
        }
        ASSERT_TRUE(list->SelectItem(c.selected));
        if (c.expanded >= 0) {
            ASSERT_TRUE(list->ExpandItem(c.expanded));
        }
        ASSERT_TRUE(list->RemoveAt(c.removed));
        EXPECT_EQ(list->GetCurSel(), c.selection);
        EXPECT_EQ(list->GetExpandedItem(), c.expansion);
        CControlUI* selected = list->GetItemAt(list->GetCurSel());
        EXPECT_EQ(std::wstring(selected ? selected->GetName().GetData() : L""),
                  std::wstring(c.nowSelected ? c.nowSelected : L""));
        for (int i = 0; i < list->GetCount(); ++i)
            EXPECT_EQ(AsListItem(list->GetItemAt(i))->GetIndex(), i) << "renumbered";
        w.Paint();
    }
}

TEST(ListTest, RemoveAllAndRemovalFromTheBodyLeaveNoStaleIndex) {
    listtest::ListWindow w;
    ASSERT_TRUE(w.Open(300, 200, ListXml(L"", 4).c_str()));
    auto* list = w.Find<CListUI>(L"list");
    ASSERT_TRUE(list->SelectItem(3));
    // Taken out through the body itself, not through the list.
    ASSERT_TRUE(list->GetList()->RemoveAt(3));
    EXPECT_EQ(list->GetCurSel(), 2);
    EXPECT_TRUE(AsListItem(list->GetItemAt(2))->IsSelected());
    list->RemoveAll();
    EXPECT_EQ(list->GetCurSel(), -1);
    EXPECT_EQ(list->GetExpandedItem(), -1);
    EXPECT_FALSE(list->SelectItem(0));
    w.Paint();
}

TEST(ListTest, ExpansionWithAndWithoutMultiExpanding) {
    struct Case {
        bool multi;
        bool firstStaysExpanded;
    } const cases[] = {{false, false}, {true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.multi);
        listtest::ListWindow w;
        const std::wstring xml = ListXml(c.multi ? L"multiexpanding=\"true\"" : L"", 0);
        ASSERT_TRUE(w.Open(300, 200, xml.c_str()));
        auto* list = w.Find<CListUI>(L"list");
        std::vector<ExpandingRow*> rows;
        for (int i = 0; i < 5; ++i) {
            rows.push_back(new ExpandingRow);
            rows.back()->SetDeclaredHeight(20);
            list->Add(rows.back());
        }
        ASSERT_TRUE(list->ExpandItem(1));
        ASSERT_TRUE(list->ExpandItem(3));
        EXPECT_EQ(rows[1]->expanded, c.firstStaysExpanded);
        EXPECT_TRUE(rows[3]->expanded);
        EXPECT_EQ(list->GetExpandedItem(), 3);
        rows[4]->SetVisible(false);
        EXPECT_FALSE(list->ExpandItem(4)) << "a hidden row";
        EXPECT_FALSE(list->ExpandItem(7)) << "no such row";
        // Only a single expanded row is given up by a failed expansion.
        EXPECT_EQ(list->GetExpandedItem(), c.multi ? 3 : -1);
        EXPECT_EQ(rows[3]->expanded, c.multi);
    }
}

TEST(ListTest, FortyHeaderItemsGiveThirtyTwoColumns) {
    struct Provider : IListTextProvider {
        int highest = -1;
        const wchar_t* GetItemText(CControlUI*, int, int column) override {
            highest = std::max(highest, column);
            return L"x";
        }
    } provider;
    std::wstring xml = L"<Window><List name=\"list\" hscrollbar=\"true\">";
    for (int i = 0; i < 40; ++i) xml += L"<ListHeaderItem width=\"20\"/>";
    xml += L"<ListTextElement name=\"r0\"/></List></Window>";
    listtest::ListWindow w;
    ASSERT_TRUE(w.Open(500, 100, xml.c_str()));
    auto* list = w.Find<CListUI>(L"list");
    list->SetTextProvider(&provider);
    w.Paint();
    const TListItemStyle& style = *list->GetListStyle();
    EXPECT_EQ(list->GetHeader()->GetCount(), 40);
    EXPECT_EQ(style.columns, 32);
    EXPECT_EQ(style.columnRects[31].left, 620);
    EXPECT_EQ(style.columnRects[31].right, 640);
    EXPECT_EQ(provider.highest, 31) << "no text asked for past the columns kept";
}

TEST(ListTest, WideHeaderScrollsSidewaysWithTheRows) {
    listtest::ListWindow w;
    ASSERT_TRUE(w.Open(400, 200,
                       L"<Window><List name=\"list\" hscrollbar=\"true\">"
                       L"<ListHeaderItem name=\"c0\" width=\"200\"/>"
                       L"<ListHeaderItem name=\"c1\" width=\"200\"/>"
                       L"<ListHeaderItem name=\"c2\" width=\"200\"/>"
                       L"<ListTextElement name=\"r0\"/><ListTextElement name=\"r1\"/>"
                       L"</List></Window>"));
    auto* list = w.Find<CListUI>(L"list");
    EXPECT_EQ(list->GetScrollRange().cx, 200);
    ASSERT_NE(list->GetHorizontalScrollBar(), nullptr);
    EXPECT_TRUE(list->GetHorizontalScrollBar()->IsVisible());

    const wchar_t* const items[] = {L"c0", L"c1", L"c2"};
    auto check = [&](int shift) {
        const TListItemStyle& style = *list->GetListStyle();
        for (int i = 0; i < 3; ++i) {
            const RECT item = w.Find<CControlUI>(items[i])->GetPos();
            EXPECT_EQ(item.left, i * 200 - shift) << i;
            EXPECT_EQ(style.columnRects[i].left, item.left) << i;
            EXPECT_EQ(style.columnRects[i].right, item.right) << i;
        }
        for (const wchar_t* row : {L"r0", L"r1"}) {
            const RECT rc = w.Find<CControlUI>(row)->GetPos();
            EXPECT_EQ(rc.left, -shift);
            EXPECT_EQ(rc.right - rc.left, 600) << "rows as wide as the header";
        }
    };
    check(0);
    list->SetScrollPos(SIZE{50, 0});
    check(50);
    // A later layout keeps header and rows together at the scrolled place.
    list->RequestLayout();
    w.Paint();
    check(50);
}

TEST(ListTest, RowHeightsWithAndWithoutDeclaredHeights) {
    struct Case {
        const char* what;
        const wchar_t* rows;
        std::vector<int> heights;
    } const cases[] = {
        {"every row declares its height",
         L"<ListContainerElement height=\"25\"/><ListContainerElement height=\"25\"/>"
         L"<ListContainerElement height=\"25\"/>",
         {25, 25, 25}},
        {"the rest shared among the others",
         L"<ListContainerElement height=\"30\"/><ListContainerElement/>"
         L"<ListContainerElement height=\"30\"/><ListContainerElement/>",
         {30, 70, 30, 70}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        listtest::ListWindow w;
        const std::wstring xml =
            std::wstring(L"<Window><List name=\"list\" header=\"hidden\">") + c.rows +
            L"</List></Window>";
        ASSERT_TRUE(w.Open(300, 200, xml.c_str()));
        auto* list = w.Find<CListUI>(L"list");
        ASSERT_EQ(list->GetCount(), static_cast<int>(c.heights.size()));
        int top = 0;
        for (int i = 0; i < list->GetCount(); ++i) {
            const RECT rc = list->GetItemAt(i)->GetPos();
            EXPECT_EQ(rc.top, top) << i;
            EXPECT_EQ(rc.bottom - rc.top, c.heights[i]) << i;
            top = rc.bottom;
        }
    }
}

TEST(ListTest, RowColoursByState) {
    listtest::ListWindow w;
    ASSERT_TRUE(w.Open(300, 200,
                       ListXml(L"itemaltbk=\"true\" itembkcolor=\"#FF0000FF\" "
                               L"itemhotbkcolor=\"#FF00FF00\" itemselectedbkcolor=\"#FFFF0000\" "
                               L"itemdisabledbkcolor=\"#FF808080\"",
                               6, L"ListContainerElement")
                           .c_str()));
    auto* list = w.Find<CListUI>(L"list");
    list->GetItemAt(4)->SetEnabled(false);
    ASSERT_TRUE(list->SelectItem(2));
    struct Case {
        const char* what;
        int hot;  // row under the pointer
        uint32_t colours[6];
    } const cases[] = {
        {"odd hot row", 5, {0x0000FF, 0xFFFFFF, 0xFF0000, 0xFFFFFF, 0x808080, 0x00FF00}},
        {"selected over hot", 2, {0x0000FF, 0xFFFFFF, 0xFF0000, 0xFFFFFF, 0x808080, 0xFFFFFF}},
        {"disabled over hot", 4, {0x0000FF, 0xFFFFFF, 0xFF0000, 0xFFFFFF, 0x808080, 0xFFFFFF}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const RECT hot = list->GetItemAt(c.hot)->GetPos();
        livetest::MouseMove(w.hwnd(), hot.left + 10, hot.top + 10);
        const livetest::Pixels px = w.Paint();
        for (int i = 0; i < 6; ++i) {
            const RECT rc = list->GetItemAt(i)->GetPos();
            EXPECT_EQ(px.Count(rc, c.colours[i]), (rc.right - rc.left) * (rc.bottom - rc.top))
                << "row " << i;
        }
    }
}

TEST(ListTest, RemovedOrReplacedHeaderLeavesNoDanglingPointer) {
    listtest::ListWindow w;
    ASSERT_TRUE(w.Open(300, 200, ListXml(L"header=\"true\"", 2, L"ListTextElement").c_str()));
    auto* list = w.Find<CListUI>(L"list");
    // An empty header is replaced by a new one, which is then removed and deleted.
    auto* header = new livetest::Poisoned<CListHeaderUI>;
    ASSERT_TRUE(list->Add(header));
    EXPECT_EQ(list->GetHeader(), header);
    EXPECT_FALSE(list->Add(header) || list->AddAt(header, 0)) << "already in place";
    EXPECT_EQ(list->CVerticalLayoutUI::GetCount(), 2) << "the header and the body, once each";
    auto* item = new CListHeaderItemUI;
    item->SetDeclaredWidth(80);
    ASSERT_TRUE(list->Add(item));
    w.Paint();
    EXPECT_EQ(list->GetListStyle()->columns, 1);
    EXPECT_EQ(list->GetListStyle()->columnRects[0].right, 80);

    ASSERT_TRUE(list->Remove(header));
    EXPECT_EQ(list->GetHeader(), nullptr);
    EXPECT_EQ(list->GetListStyle()->columns, 0);
    list->SetScrollPos(SIZE{10, 10});
    list->RequestLayout();
    w.Paint();
    EXPECT_EQ(list->GetItemAt(0)->GetPos().top, 0) << "the rows take the header's room";
    EXPECT_FALSE(list->Add(new CListHeaderItemUI)) << "no header to take an item";

    auto* next = new CListHeaderUI;
    ASSERT_TRUE(list->Add(next));
    EXPECT_EQ(list->GetHeader(), next);
}
