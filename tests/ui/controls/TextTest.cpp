// The link-aware text in a live window: clicks and the cursor over links, plain text that has
// none, and the measured size of wrapped text.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "ListTestWindow.h"
#include "TextUI.h"

using namespace Veneer;

namespace {

// The cursor the window shows at `pt` after the framework answers WM_SETCURSOR there.
HCURSOR CursorAt(listtest::ListWindow& w, POINT pt) {
    livetest::MouseMove(w.hwnd(), pt.x, pt.y);
    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
    SendMessageW(w.hwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(w.hwnd()),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return ::GetCursor();
}

}  // namespace

TEST(TextTest, LinksReportTheirNumberAndShowTheHand) {
    listtest::ListWindow w;
    ASSERT_TRUE(w.Open(360, 200,
                       L"<Window>"
                       L"<Text name=\"links\" height=\"40\" showhtml=\"true\" "
                       L"text=\"{a first}one{/a} and {a second}two{/a} and {a third}three{/a}\"/>"
                       L"<Text name=\"plain\" height=\"40\" text=\"{a first}plain words{/a}\"/>"
                       L"<Control/></Window>"));
    std::vector<WPARAM> links;
    w.win.onNotify = [&](TNotification& n) {
        if (n.type == L"link") links.push_back(n.wParam);
    };
    auto* text = w.Find<CTextUI>(L"links");
    auto* plain = w.Find<CTextUI>(L"plain");
    ASSERT_NE(text, nullptr);
    ASSERT_NE(plain, nullptr);
    ASSERT_EQ(text->GetLinkCount(), 3);
    const HCURSOR hand = ::LoadCursorW(nullptr, IDC_HAND);
    const wchar_t* targets[] = {L"first", L"second", L"third"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(text->GetLinkTarget(i), targets[i]);
        const POINT at = listtest::Centre(text->GetLinkRect(i));
        EXPECT_EQ(CursorAt(w, at), hand) << "link " << i;
        w.Click(at);
    }
    EXPECT_EQ(links, (std::vector<WPARAM>{0, 1, 2}));

    // Between two links: neither the hand nor a report.
    const RECT a = text->GetLinkRect(0);
    const RECT b = text->GetLinkRect(1);
    const POINT gap = {(a.right + b.left) / 2, (a.top + a.bottom) / 2};
    EXPECT_NE(CursorAt(w, gap), hand);
    w.Click(gap);
    EXPECT_EQ(links.size(), 3u);

    // Plain text shows its braces as they are and has nothing to click.
    const POINT middle = listtest::Centre(plain->GetPos());
    EXPECT_NE(CursorAt(w, middle), hand);
    w.Click(middle);
    EXPECT_EQ(links.size(), 3u);

    // Once the markup is switched off, where the links were is plain text too.
    const POINT oldLink = listtest::Centre(text->GetLinkRect(0));
    text->SetShowHtml(false);
    w.Paint();
    EXPECT_NE(CursorAt(w, oldLink), hand);
    w.Click(oldLink);
    EXPECT_EQ(links.size(), 3u);
}

TEST(TextTest, MeasuresWrappedTextAndKeepsADeclaredHeight) {
    listtest::ListWindow w;
    const wchar_t* words = L"several words that wrap over more than one line when narrow";
    ASSERT_TRUE(w.Open(300, 200,
                       (std::wstring(L"<Window><Text name=\"free\" text=\"") + words +
                        L"\"/><Text name=\"fixed\" height=\"77\" text=\"" + words +
                        L"\"/><Control/></Window>")
                           .c_str()));
    auto* free = w.Find<CTextUI>(L"free");
    auto* fixed = w.Find<CTextUI>(L"fixed");
    ASSERT_NE(free, nullptr);
    ASSERT_NE(fixed, nullptr);
    const SIZE wide = free->MeasureSize(SIZE{1000, 0});
    const SIZE narrow = free->MeasureSize(SIZE{80, 0});
    EXPECT_GT(wide.cy, 0);
    EXPECT_GT(narrow.cy, 2 * wide.cy);
    EXPECT_LT(narrow.cx, wide.cx);
    const SIZE declared = fixed->MeasureSize(SIZE{80, 0});
    EXPECT_EQ(declared.cy, 77);
    EXPECT_EQ(declared.cx, narrow.cx);
    // The layout gave the free text the height it measured at the window's width.
    EXPECT_EQ(free->GetHeight(), free->MeasureSize(SIZE{300, 0}).cy);
}
