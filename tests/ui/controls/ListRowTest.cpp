// List rows in a live window: the order of "itemclick" and "itemselect", "itemactivate" by
// double click and Return, "selected", the eight links a text row keeps and a text provider
// supplying the cells.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

#include "ListTestWindow.h"
#include "ListTextElementUI.h"
#include "ListUI.h"

using namespace Veneer;

namespace {

std::wstring RowsXml(const wchar_t* element, const wchar_t* secondRowAttrs = L"") {
    return std::wstring(L"<Window><List name=\"list\" header=\"hidden\">") + L"<" + element +
           L" name=\"r0\" height=\"20\"/><" + element + L" name=\"r1\" height=\"20\" " +
           secondRowAttrs + L"/><" + element + L" name=\"r2\" height=\"20\"/></List></Window>";
}

const wchar_t* const kRowElements[] = {L"ListLabelElement", L"ListTextElement",
                                       L"ListContainerElement"};

}  // namespace

TEST(ListRowTest, ClickSendsItemClickBeforeItemSelect) {
    for (const wchar_t* element : kRowElements) {
        SCOPED_TRACE(std::string(element, element + wcslen(element)));
        listtest::ListWindow w;
        ASSERT_TRUE(w.Open(300, 200, RowsXml(element).c_str()));
        auto* list = w.Find<CListUI>(L"list");
        w.Click(listtest::Centre(list->GetItemAt(1)->GetPos()));
        const int click = w.IndexOf(L"itemclick:r1");
        const int select = w.IndexOf(L"itemselect:list");
        ASSERT_GE(click, 0);
        EXPECT_GT(select, click);
        EXPECT_EQ(list->GetCurSel(), 1);

        // A disabled row takes no click.
        list->GetItemAt(2)->SetEnabled(false);
        w.Click(listtest::Centre(list->GetItemAt(2)->GetPos()));
        EXPECT_EQ(w.Count(L"itemclick:r2"), 0);
        EXPECT_EQ(list->GetCurSel(), 1);
    }
}

TEST(ListRowTest, DoubleClickAndReturnActivate) {
    for (const wchar_t* element : kRowElements) {
        SCOPED_TRACE(std::string(element, element + wcslen(element)));
        listtest::ListWindow w;
        ASSERT_TRUE(w.Open(300, 200, RowsXml(element).c_str()));
        auto* list = w.Find<CListUI>(L"list");
        w.DoubleClick(listtest::Centre(list->GetItemAt(1)->GetPos()));
        EXPECT_EQ(w.Count(L"itemactivate:r1"), 1);
        ASSERT_TRUE(list->SelectItem(0, true));
        w.Key(VK_RETURN);
        EXPECT_EQ(w.Count(L"itemactivate:r0"), 1);

        list->GetItemAt(2)->SetEnabled(false);
        w.DoubleClick(listtest::Centre(list->GetItemAt(2)->GetPos()));
        EXPECT_EQ(w.Count(L"itemactivate:r2"), 0);
    }
}

TEST(ListRowTest, SelectedAttributeSelectsWhateverItsValue) {
    for (const wchar_t* value : {L"selected=\"false\"", L"selected=\"true\""}) {
        listtest::ListWindow w;
        ASSERT_TRUE(w.Open(300, 200, RowsXml(L"ListLabelElement", value).c_str()));
        EXPECT_EQ(w.Find<CListUI>(L"list")->GetCurSel(), 1);
    }
}

TEST(ListRowTest, TextRowKeepsEightLinksFirstColumnsFirst) {
    listtest::ListWindow w;
    ASSERT_TRUE(w.Open(700, 100,
                       L"<Window><List name=\"list\" itemshowhtml=\"true\">"
                       L"<ListHeaderItem width=\"220\"/><ListHeaderItem width=\"220\"/>"
                       L"<ListHeaderItem width=\"220\"/>"
                       L"<ListTextElement name=\"row\" height=\"24\"/></List></Window>"));
    auto* row = w.Find<CListTextElementUI>(L"row");
    const int links[] = {5, 4, 2};
    std::vector<std::wstring> expected;
    for (int column = 0; column < 3; ++column) {
        std::wstring text;
        for (int i = 0; i < links[column]; ++i) {
            const std::wstring target = std::to_wstring(column) + L"-" + std::to_wstring(i);
            text += L"{a " + target + L"}go{/a} ";
            if (expected.size() < 8) expected.push_back(target);
        }
        ASSERT_TRUE(row->SetText(column, text.c_str()));
    }
    w.Paint();
    ASSERT_EQ(row->GetLinkCount(), 8);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(std::wstring(row->GetLinkText(i).GetData()), expected[i]) << i;
        EXPECT_GT(row->GetLinkRect(i).right, row->GetLinkRect(i).left) << i;
    }

    // A release over a kept link reports its index.
    WPARAM reported = 99;
    w.win.onNotify = [&](TNotification& n) {
        if (wcscmp(n.type.GetData(), L"link") == 0) reported = n.wParam;
    };
    w.Click(listtest::Centre(row->GetLinkRect(6)));
    EXPECT_EQ(reported, 6u);
}

TEST(ListRowTest, TextProviderSuppliesTheCells) {
    struct Provider : IListTextProvider {
        std::vector<std::pair<int, int>> asked;  // (row, column)
        const wchar_t* GetItemText(CControlUI*, int index, int column) override {
            asked.emplace_back(index, column);
            return column == 1 ? L"WWWWWW" : nullptr;
        }
    } provider;
    listtest::ListWindow w;
    ASSERT_TRUE(w.Open(300, 100,
                       L"<Window><List name=\"list\">"
                       L"<ListHeaderItem name=\"c0\" width=\"100\"/>"
                       L"<ListHeaderItem name=\"c1\" width=\"100\"/>"
                       L"<ListHeaderItem name=\"c2\" width=\"100\"/>"
                       L"<ListTextElement name=\"r0\"/><ListTextElement name=\"r1\"/>"
                       L"</List></Window>"));
    auto* list = w.Find<CListUI>(L"list");
    auto* r1 = w.Find<CListTextElementUI>(L"r1");
    // The row's own texts give way to the provider's.
    ASSERT_TRUE(r1->SetText(0, L"WWWWWW"));
    list->SetTextProvider(&provider);
    const livetest::Pixels px = w.Paint();

    const RECT row = r1->GetPos();
    const wchar_t* const columns[] = {L"c0", L"c1", L"c2"};
    for (int i = 0; i < 3; ++i) {
        const RECT col = w.Find<CControlUI>(columns[i])->GetPos();
        const RECT cell = {col.left, row.top, col.right, row.bottom};
        const int ink = px.Count(cell, 0x000000, 96);
        if (i == 1)
            EXPECT_GT(ink, 5) << "the provider's text";
        else
            EXPECT_EQ(ink, 0) << "column " << i;
        EXPECT_NE(std::find(provider.asked.begin(), provider.asked.end(), std::make_pair(1, i)),
                  provider.asked.end())
            << "asked for row 1, column " << i;
    }
}

TEST(ListRowTest, ShortTextPaddingReadsOnlyWhatIsWritten) {
    listtest::ListWindow w;
    ASSERT_TRUE(w.Open(300, 100,
                       L"<Window><List name=\"list\" header=\"hidden\" itemtextpadding=\"4,6\">"
                       L"<ListLabelElement name=\"r0\" text=\"row\"/></List></Window>"));
    const RECT pad = w.Find<CListUI>(L"list")->GetListStyle()->textPadding;
    EXPECT_EQ(pad.left, 4);
    EXPECT_EQ(pad.top, 6);
    EXPECT_EQ(pad.right, 0);
    EXPECT_EQ(pad.bottom, 0);
    const int font = w.win.Manager().GetDefaultFontRecord()->metrics.tmHeight;
    EXPECT_EQ(w.Find<CControlUI>(L"r0")->GetHeight(), font + 6 + 8);
}
