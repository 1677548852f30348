// Plain and marked-up text measured with DT_CALCRECT and drawn into a 32-bpp DIB section.
#include <gtest/gtest.h>

#include <string>

#include "RenderTestUtil.h"
#include "Renderer.h"
#include "TestUtil.h"
#include "WindowManagerUI.h"

using rendertest::Canvas;
using Veneer::CRenderer;
using Veneer::CUIString;
using Veneer::CWindowManagerUI;

namespace {

class MarkupTest : public ::testing::Test {
protected:
    void SetUp() override {
        mgr_.Init(wnd_.hwnd());
        mgr_.SetDefaultFont(L"Tahoma", 13, false, false, false);
    }
    // Width of plain text in the manager's default font (or another).
    int Extent(const std::wstring& text, HFONT font = nullptr) {
        HGDIOBJ old = SelectObject(canvas_.dc(), font ? font : mgr_.GetDefaultFontRecord()->font);
        SIZE size = {};
        GetTextExtentPoint32W(canvas_.dc(), text.c_str(), static_cast<int>(text.size()), &size);
        SelectObject(canvas_.dc(), old);
        return size.cx;
    }
    int LineHeight() {
        const TEXTMETRICW& tm = mgr_.GetDefaultFontRecord()->metrics;
        return tm.tmHeight + tm.tmExternalLeading;
    }
    RECT Measure(const wchar_t* text, RECT rc = {0, 0, 9999, 100}, UINT extra = 0) {
        int none = 0;
        CRenderer::DrawMarkupText(canvas_.dc(), &mgr_, rc, text, 0xFF000000, nullptr, nullptr, none,
                                  DT_CALCRECT | extra);
        return rc;
    }

    rendertest::HiddenWindow wnd_;
    CWindowManagerUI mgr_;
    Canvas canvas_{400, 200, 0xFFFFFFFF};
};

TEST_F(MarkupTest, TagsMeasureLikeTheTextTheyStandFor) {
    struct Case {
        const wchar_t* markup;
        const wchar_t* plain;
        int extra;
    };
    const Case cases[] = {
        {L"hello", L"hello", 0},
        {L"a<{>b", L"a{b", 0},
        {L"a{<}b{>}c<}>", L"a<b>c}", 0},
        {L"<r><b>x</b></r>", L"<b>x</b>", 0},
        {L"{c #FF0000}red{/c} plain", L"red plain", 0},
        {L"x<x 10>y", L"xy", 10},
        {L"<s>sel</s>ected", L"selected", 0},
        {L"a < b", L"a < b", 0},
    };
    for (const Case& k : cases) {
        const RECT rc = Measure(k.markup);
        EXPECT_EQ(rc.left, 0);
        EXPECT_EQ(rc.right, Extent(k.plain) + k.extra) << testutil::Narrow(k.markup);
        EXPECT_EQ(rc.bottom, LineHeight()) << testutil::Narrow(k.markup);
    }
    // A rectangle away from the origin keeps its own left and top.
    const RECT off = Measure(L"hi", {50, 10, 9999, 100});
    EXPECT_EQ(off.right, 50 + Extent(L"hi"));
    EXPECT_EQ(off.bottom, 10 + LineHeight());
    EXPECT_EQ(Measure(L"", {50, 10, 300, 100}).right, 50);
    // Styles widen or keep the text; a bold tag inside bold text pushes nothing, so its closing
    // tag already ends the outer bold.
    EXPECT_GT(Measure(L"<b>bold</b>").right, Extent(L"bold"));
    EXPECT_EQ(Measure(L"<b><b>ab</b>cd</b>").right, Measure(L"<b>ab</b>cd").right);
    HFONT big = mgr_.AddFont(1, L"Tahoma", 30, false, false, false);
    const RECT withFont = Measure(L"a<f 1>b</f>");
    EXPECT_EQ(withFont.right, Extent(L"a") + Extent(L"b", big));
    EXPECT_GE(withFont.bottom, mgr_.GetFontRecord(1)->metrics.tmHeight);
    const RECT byFace = Measure(L"<f Tahoma 30 bold>b</f>");
    EXPECT_GT(byFace.bottom, LineHeight());
    EXPECT_NE(mgr_.FindFont(L"Tahoma", 30, true, false, false), nullptr);
}

TEST_F(MarkupTest, LinesBreakAtWordsEndInEllipsisAndAlwaysProgress) {
    const int lh = LineHeight();
    const int w = Extent(L"aaaa bbbb ") + 2;
    RECT wrapped = Measure(L"aaaa bbbb cccc", {0, 0, w, 1000}, DT_WORDBREAK);
    EXPECT_EQ(wrapped.bottom, 2 * lh);
    EXPECT_LE(wrapped.right, w);
    RECT lines = Measure(L"one\ntwo<n>three", {0, 0, 300, 1000});
    EXPECT_EQ(lines.bottom, 3 * lh);
    EXPECT_EQ(lines.right, Extent(L"three"));
    EXPECT_EQ(Measure(L"one\ntwo", {0, 0, 300, 1000}, DT_SINGLELINE).bottom, lh);
    // A paragraph tag starts a new line with its spacing on top.
    EXPECT_EQ(Measure(L"a<p 7>b", {0, 0, 300, 1000}).bottom, lh + (7 + lh));

    // The ellipsis leaves x at the right edge.
    RECT ell = Measure(L"a rather long line of text that does not fit", {0, 0, 80, 100},
                       DT_SINGLELINE | DT_END_ELLIPSIS);
    EXPECT_EQ(ell.right, 80);
    Canvas c(100, 30, 0xFFFFFFFF);
    RECT drawRc = {0, 0, 80, 30};
    int none = 0;
    CRenderer::DrawMarkupText(c.dc(), &mgr_, drawRc, L"a rather long line of text", 0xFF000000,
                              nullptr, nullptr, none, DT_SINGLELINE | DT_END_ELLIPSIS);
    EXPECT_GT(c.Count({60, 0, 80, 30}, 0xFF000000, 100), 0);  // the dots near the edge
    EXPECT_EQ(c.Count({80, 0, 100, 30}, 0xFFFFFFFF, 0), 600);  // nothing past the rectangle

    // Narrow rectangles, zero line heights and tags that end lines: every line takes at least
    // one character and one pixel, so each layout ends.
    struct Case {
        const wchar_t* text;
        int width;
        UINT format;
    };
    const Case hard[] = {
        {L"abcdef", 1, 0},
        {L"abcdef", 1, DT_WORDBREAK},
        {L"abcdef", 1, DT_END_ELLIPSIS},
        {L"<y 0>a\n<y 0>b\n<y 0>c", 300, 0},
        {L"<p 3><p 3><p 3>x</p></p></p>", 1, 0},
        {L"<x 500>abc<x 500>def", 20, DT_WORDBREAK},
        {L"<r>unterminated raw", 5, 0},
        {L"{a x}{a y}{a z}", 1, 0},
        {L"<", 1, 0},
        {L"{c", 1, 0},
        {L"</", 1, 0},
    };
    for (const Case& k : hard) {
        RECT rc = Measure(k.text, {0, 0, k.width, 100000}, k.format);
        EXPECT_GE(rc.bottom, 1) << testutil::Narrow(k.text);
    }
    EXPECT_GE(Measure(L"<y 0>a\n<y 0>b\n<y 0>c", {0, 0, 300, 1000}).bottom, 3);
}

TEST_F(MarkupTest, LinksAreRecordedWithinTheirRoom) {
    RECT rects[4];
    CUIString texts[4];
    for (RECT& r : rects) r = {-7, -7, -7, -7};
    int count = 4;
    RECT rc = {0, 0, 400, 100};
    CRenderer::DrawMarkupText(canvas_.dc(), &mgr_, rc, L"go {a page1}here{/a} or {a page2}there{/a}",
                              0xFF000000, rects, texts, count, 0);
    ASSERT_EQ(count, 2);
    EXPECT_STREQ(texts[0].GetData(), L"page1");
    EXPECT_STREQ(texts[1].GetData(), L"page2");
    HFONT underlined = mgr_.FindFont(L"Tahoma", 13, false, true, false);
    ASSERT_NE(underlined, nullptr);
    EXPECT_EQ(rects[0].left, Extent(L"go "));
    EXPECT_EQ(rects[0].right - rects[0].left, Extent(L"here", underlined));
    EXPECT_EQ(rects[0].top, 0);
    EXPECT_EQ(rects[0].bottom, LineHeight());
    EXPECT_EQ(rects[2].left, -7);

    // A link that wraps gives one rectangle per line, both with its text.
    const int w = Extent(L"aaa bbb") + 1;
    for (RECT& r : rects) r = {-7, -7, -7, -7};
    count = 4;
    rc = {0, 0, w, 100};
    CRenderer::DrawMarkupText(canvas_.dc(), &mgr_, rc, L"aaa {a wide}bbb ccc{/a}", 0xFF000000, rects,
                              texts, count, DT_WORDBREAK);
    ASSERT_EQ(count, 2);
    EXPECT_STREQ(texts[0].GetData(), L"wide");
    EXPECT_STREQ(texts[1].GetData(), L"wide");
    EXPECT_EQ(rects[1].left, 0);
    EXPECT_EQ(rects[1].top, LineHeight());

    // No room beyond what the caller gave: the rest are not recorded.
    for (RECT& r : rects) r = {-7, -7, -7, -7};
    texts[1] = L"untouched";
    count = 1;
    rc = {0, 0, 30, 200};
    CRenderer::DrawMarkupText(canvas_.dc(), &mgr_, rc, L"{a 1}one two three{/a} {a 2}x{/a} {a 3}y{/a}",
                              0xFF000000, rects, texts, count, DT_WORDBREAK);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(rects[1].left, -7);
    EXPECT_STREQ(texts[1].GetData(), L"untouched");
}

TEST_F(MarkupTest, ColoursAlignmentAndPlainText) {
    RECT rc = {0, 0, 400, 40};
    int none = 0;
    CRenderer::DrawMarkupText(canvas_.dc(), &mgr_, rc, L"{c #FF0000}red{/c} plain", 0xFF000000,
                              nullptr, nullptr, none, 0);
    const int redEnd = Extent(L"red");
    EXPECT_GT(canvas_.Count({0, 0, redEnd, 40}, 0xFFFF0000, 60), 0);
    EXPECT_EQ(canvas_.Count({redEnd + 1, 0, 400, 40}, 0xFFFF0000, 60), 0);
    EXPECT_GT(canvas_.Count({redEnd + 1, 0, 400, 40}, 0xFF000000, 60), 0);

    Canvas c(200, 30, 0xFFFFFFFF);
    rc = {0, 0, 200, 30};
    CRenderer::DrawMarkupText(c.dc(), &mgr_, rc, L"hi", 0xFF000000, nullptr, nullptr, none,
                              DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    const int w = Extent(L"hi");
    EXPECT_EQ(rc.left, (200 - w) / 2);
    EXPECT_EQ(c.Count({0, 0, (200 - w) / 2, 30}, 0xFFFFFFFF, 0), (200 - w) / 2 * 30);
    EXPECT_GT(c.Count({(200 - w) / 2, 0, (200 + w) / 2 + 1, 30}, 0xFF000000, 100), 0);

    // Plain text expands language tokens before drawing.
    CWindowManagerUI::AddLanguageText(5, L"expanded");
    RECT plain = {0, 0, 400, 40};
    CRenderer::DrawText(canvas_.dc(), &mgr_, plain, L"%{5}", 0xFF000000, -1, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(plain.right, Extent(L"expanded"));
}

TEST_F(MarkupTest, InlineImagesDrawOneFrameAndRaiseTheLine) {
    testutil::TempDir dir(L"markimg");
    CWindowManagerUI::SetSkinRoot(dir.path().c_str());
    // Four frames side by side, each 5 x 40: red, green, blue, white.
    std::vector<uint32_t> px;
    for (int y = 0; y < 40; ++y)
        for (uint32_t c : {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu})
            for (int x = 0; x < 5; ++x) px.push_back(c);
    ASSERT_TRUE(testutil::WriteBytes(dir / L"strip.png", rendertest::MakePng(20, 40, px)));

    const RECT calc = Measure(L"a<i strip.png 4 2>b");
    EXPECT_EQ(calc.right, Extent(L"ab") + 5);
    EXPECT_EQ(calc.bottom, 40);
    EXPECT_EQ(Measure(L"a<i missing.png>b").right, Extent(L"ab"));  // skipped
    EXPECT_EQ(Measure(L"<i file='strip.png' 9 9>").right, 20 / 9);  // index out of range: frame 0

    Canvas c(100, 50, 0xFF000000);
    RECT rc = {0, 0, 100, 50};
    int none = 0;
    CRenderer::DrawMarkupText(c.dc(), &mgr_, rc, L"<i strip.png 4 2>", 0xFFFFFFFF, nullptr, nullptr,
                              none, 0);
    EXPECT_EQ(c.Count({0, 0, 5, 40}, 0xFF0000FF, 0), 200);  // the third frame only
    EXPECT_EQ(c.Count({5, 0, 100, 50}, 0xFF000000, 0), 95 * 50);
    // An image that does not fit after other text goes to the next line.
    const RECT wrapped = Measure(L"abc<i strip.png>", {0, 0, Extent(L"abc") + 10, 1000});
    EXPECT_EQ(wrapped.bottom, LineHeight() + 40);
}

TEST_F(MarkupTest, ChineseTextMeasuresWithRealGlyphs) {
    const std::wstring text = L"\u4E2D\u6587\u6D4B\u8BD5";  // four CJK characters
    for (const wchar_t* face : {L"\u5FAE\u8F6F\u96C5\u9ED1", L"Microsoft YaHei", L"SimSun"}) {
        SCOPED_TRACE(testutil::Narrow(face));
        HFONT font = mgr_.AddFont(9, face, 16, false, false, false);
        ASSERT_NE(font, nullptr);
        HGDIOBJ old = SelectObject(canvas_.dc(), font);
        WORD glyphs[4] = {};
        ASSERT_EQ(GetGlyphIndicesW(canvas_.dc(), text.c_str(), 4, glyphs, GGI_MARK_NONEXISTING_GLYPHS), 4u);
        SelectObject(canvas_.dc(), old);
        for (WORD g : glyphs) EXPECT_NE(g, 0xFFFF);
        // Each ideograph is about as wide as the font is high.
        const RECT rc = Measure((L"<f 9>" + text + L"</f>").c_str());
        EXPECT_GE(rc.right, 4 * 12);
        EXPECT_LE(rc.right, 4 * 20);
    }
    // Ideographs break anywhere: a narrow rectangle holds two per line.
    mgr_.SetDefaultFont(L"\u5FAE\u8F6F\u96C5\u9ED1", 16, false, false, false);
    const int two = Extent(text.substr(0, 2));
    const RECT wrapped = Measure(text.c_str(), {0, 0, two + 1, 1000}, DT_WORDBREAK);
    EXPECT_EQ(wrapped.bottom, 2 * LineHeight());
}

}  // namespace
