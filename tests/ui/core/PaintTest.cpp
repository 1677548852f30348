// Painting of controls in a real window, printed through WM_PRINTCLIENT into a 32-bpp DIB:
// background colours and gradients, borders, button state images following hover and press,
// the progress bar's share and label alignment.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ButtonUI.h"
#include "LabelUI.h"
#include "LiveUiUtil.h"
#include "ProgressUI.h"
#include "RenderTestUtil.h"
#include "TestUtil.h"

using namespace Veneer;
using livetest::Pixels;
using livetest::TestWindow;

namespace {

int Red(uint32_t p) { return (p >> 16) & 0xFF; }

class PaintTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(win.Open(60, 60, 240, 160));
        root = new CContainerUI;
        root->SetName(L"root");
        root->SetBkColor(0xFFFFFFFF);
        win.Manager().AttachRoot(root);
    }
    void TearDown() override { win.Close(); }

    // Lays the tree out through a real paint, then prints the client area.
    Pixels Print() {
        InvalidateRect(win.GetHWND(), nullptr, FALSE);
        UpdateWindow(win.GetHWND());
        livetest::WaitPainted(win.GetHWND());
        return livetest::PrintClient(win.GetHWND());
    }
    // A one-colour PNG in the test's folder; its full path serves as the image name.
    std::wstring Png(const wchar_t* name, uint32_t rgb, int w = 8, int h = 8) {
        const std::wstring path = dir / name;
        std::vector<uint32_t> px(static_cast<size_t>(w) * h, 0xFF000000u | rgb);
        EXPECT_TRUE(testutil::WriteBytes(path, rendertest::MakePng(w, h, px)));
        return path;
    }

    testutil::TempDir dir{L"paint"};
    TestWindow win;
    CContainerUI* root = nullptr;
};

TEST_F(PaintTest, BackgroundColoursAndGradients) {
    struct Case {
        const wchar_t* what;
        uint32_t c1, c2, c3;
        // Expected colour near the top, the middle and the bottom of the control.
        uint32_t top, middle, bottom;
    };
    const Case cases[] = {
        {L"solid", 0xFF3366CC, 0, 0, 0x3366CC, 0x3366CC, 0x3366CC},
        {L"two-colour gradient", 0xFF0000FF, 0xFFFF0000, 0, 0x0000FF, 0x800080, 0xFF0000},
        {L"three-colour gradient", 0xFF0000FF, 0xFF00FF00, 0xFFFF0000, 0x0000FF, 0x00FF00,
         0xFF0000},
        {L"no first colour draws nothing", 0, 0xFF00FF00, 0xFFFF0000, 0xFFFFFF, 0xFFFFFF,
         0xFFFFFF},
    };
    std::vector<CControlUI*> controls;
    for (int i = 0; i < 4; ++i) {
        auto* c = new CControlUI;
        c->SetBkColor(cases[i].c1);
        c->SetBkColor2(cases[i].c2);
        c->SetBkColor3(cases[i].c3);
        livetest::Place(root, c, RECT{10 + i * 55, 10, 60 + i * 55, 138});
        controls.push_back(c);
    }
    const Pixels px = Print();
    for (int i = 0; i < 4; ++i) {
        const Case& c = cases[i];
        const int x = 35 + i * 55;
        const uint32_t got[3] = {px.At(x, 11), px.At(x, 74), px.At(x, 136)};
        const uint32_t want[3] = {c.top, c.middle, c.bottom};
        for (int k = 0; k < 3; ++k) {
            EXPECT_LE(rendertest::ColorDistance(got[k], want[k]), 40)
                << testutil::Narrow(c.what) << " point " << k << " got " << std::hex << got[k];
        }
    }
    // A gradient changes steadily from top to bottom.
    EXPECT_LT(Red(px.At(90, 20)), Red(px.At(90, 60)));
    EXPECT_LT(Red(px.At(90, 60)), Red(px.At(90, 120)));
}

TEST_F(PaintTest, BordersOutlineSidesAndFocus) {
    auto* outline = new CControlUI;
    outline->ApplyAttributeString(L"bkcolor=\"#FFFFFFFF\" bordercolor=\"#FF00FF00\" bordersize=\"3\"");
    livetest::Place(root, outline, RECT{10, 10, 70, 70});
    auto* bottomOnly = new CControlUI;
    bottomOnly->ApplyAttributeString(
        L"bkcolor=\"#FFFFFFFF\" bordercolor=\"#FF0000FF\" bordersize=\"0,0,0,4\"");
    livetest::Place(root, bottomOnly, RECT{80, 10, 140, 70});
    // A plain control: the first paint's Tab would already focus a button.
    auto* focus = new CControlUI;
    focus->ApplyAttributeString(L"bkcolor=\"#FFFFFFFF\" bordercolor=\"#FF00FF00\" "
                                L"focusbordercolor=\"#FFFF0000\" bordersize=\"2\"");
    livetest::Place(root, focus, RECT{150, 10, 210, 70});
    Pixels px = Print();
    EXPECT_EQ(px.At(10, 40), 0x00FF00u) << "outline, left edge";
    EXPECT_EQ(px.At(69, 40), 0x00FF00u) << "outline, right edge";
    EXPECT_EQ(px.At(14, 40), 0xFFFFFFu) << "outline, inside";
    EXPECT_GT(px.Count(RECT{82, 66, 138, 72}, 0x0000FF), 0) << "bottom line";
    EXPECT_EQ(px.Count(RECT{80, 10, 140, 14}, 0x0000FF), 0) << "no top line";
    EXPECT_EQ(px.At(150, 40), 0x00FF00u) << "unfocused border";
    focus->SetFocus();
    px = Print();
    EXPECT_EQ(px.At(150, 40), 0xFF0000u) << "focused border";
}

TEST_F(PaintTest, ButtonStateImagesFollowHoverAndPress) {
    auto* b = new CButtonUI;
    b->SetNormalImage(Png(L"normal.png", 0x0000FF).c_str());
    b->SetHotImage(Png(L"hot.png", 0x00FF00).c_str());
    b->SetPushedImage(Png(L"pushed.png", 0xFF0000).c_str());
    livetest::Place(root, b, RECT{20, 20, 120, 80});
    auto* hotFill = new CButtonUI;
    hotFill->SetNormalImage(Png(L"normal2.png", 0x0000FF).c_str());
    hotFill->SetForeImage(
        (L"file='" + Png(L"fore.png", 0xFFFF00) + L"' dest='0,0,10,10'").c_str());
    hotFill->SetHotBkColor(0xFF808080);
    livetest::Place(root, hotFill, RECT{130, 20, 230, 80});
    HWND w = win.GetHWND();
    struct Step {
        const char* what;
        void (*act)(HWND);
        uint32_t first, second;  // centre colour of each button
        bool foreShown;
    };
    const Step steps[] = {
        {"idle", [](HWND) {}, 0x0000FF, 0x0000FF, true},
        {"hover", [](HWND h) { livetest::MouseMove(h, 70, 50); }, 0x00FF00, 0x0000FF, true},
        {"press", [](HWND h) { livetest::MouseDown(h, 70, 50); }, 0xFF0000, 0x0000FF, true},
        // Leaving the button ends its hover even while it holds the capture.
        {"drag out", [](HWND h) { livetest::MouseMove(h, 10, 100); }, 0x0000FF, 0x0000FF, true},
        {"back in", [](HWND h) { livetest::MouseMove(h, 60, 40); }, 0xFF0000, 0x0000FF, true},
        {"release in", [](HWND h) { livetest::MouseUp(h, 60, 40); }, 0x00FF00, 0x0000FF, true},
        {"leave", [](HWND h) { livetest::MouseMove(h, 10, 120); }, 0x0000FF, 0x0000FF, true},
        {"hover fill", [](HWND h) { livetest::MouseMove(h, 180, 60); }, 0x0000FF, 0x808080,
         false},
    };
    for (const Step& s : steps) {
        s.act(w);
        const Pixels px = Print();
        EXPECT_EQ(px.At(70, 50), s.first) << s.what;
        EXPECT_EQ(px.At(180, 60), s.second) << s.what;
        EXPECT_EQ(px.At(134, 24) == 0xFFFF00u, s.foreShown) << s.what;
    }
}

TEST_F(PaintTest, ProgressFillsItsShare) {
    struct Case {
        bool horizontal;
        int min, max, value;
        int filled;  // columns (horizontal) or rows (vertical) of fore colour
        int storedMax, storedValue;
    };
    const Case cases[] = {
        {true, 0, 100, 33, 66, 100, 33},
        {true, 0, 100, 100, 200, 100, 100},
        {true, 0, 0, 5, 200, 1, 1},      // empty range: max becomes min + 1, value clamped
        {true, 10, 20, 5, 0, 20, 10},    // below min
        {false, 0, 100, 25, 10, 100, 25},
        {false, 0, 100, 0, 0, 100, 0},   // vertical fills from the bottom
        {true, 0, 2000000000, 1000000000, 100, 2000000000, 1000000000},
    };
    const std::wstring fore = Png(L"fore.png", 0x00AA00, 4, 4);
    for (const Case& c : cases) {
        auto* p = new CProgressUI;
        p->SetBkColor(0xFFFFFFFF);
        p->SetForeImage(fore.c_str());
        p->SetHorizontal(c.horizontal);
        p->SetMinValue(c.min);
        p->SetMaxValue(c.max);
        p->SetValue(c.value);
        const RECT rc = c.horizontal ? RECT{10, 10, 210, 30} : RECT{10, 10, 30, 50};
        livetest::Place(root, p, rc);
        const Pixels px = Print();
        int filled = 0;
        if (c.horizontal) {
            for (int x = rc.left; x < rc.right; ++x) filled += px.At(x, 20) == 0x00AA00u;
        } else {
            for (int y = rc.top; y < rc.bottom; ++y) filled += px.At(20, y) == 0x00AA00u;
            if (filled > 0) {
                EXPECT_EQ(px.At(20, rc.bottom - 1), 0x00AA00u) << "from the bottom";
            }
        }
        EXPECT_EQ(filled, c.filled) << c.min << ".." << c.max << " value " << c.value;
        EXPECT_EQ(p->GetMaxValue(), c.storedMax);
        EXPECT_EQ(p->GetValue(), c.storedValue);
        livetest::Detach(root, p);
        delete p;
    }
}

TEST_F(PaintTest, LabelAlignmentPlacesTheText) {
    struct Case {
        const wchar_t* align;
        int zone;  // 0 left, 1 centre, 2 right third of the box
    };
    const Case cases[] = {{L"left", 0}, {L"center", 1}, {L"right", 2}};
    for (const Case& c : cases) {
        auto* label = new CLabelUI;
        label->SetBkColor(0xFFFFFFFF);
        label->SetText(L"MMM");
        label->SetTextColor(0xFFFF0000);
        label->ApplyAttribute(L"align", c.align);
        livetest::Place(root, label, RECT{0, 40, 240, 80});
        const Pixels px = Print();
        int zones[3];
        for (int z = 0; z < 3; ++z)
            zones[z] = px.Count(RECT{z * 80, 40, z * 80 + 80, 80}, 0xFF0000, 90);
        for (int z = 0; z < 3; ++z) {
            if (z == c.zone) {
                EXPECT_GT(zones[z], 10) << testutil::Narrow(c.align) << " zone " << z;
            } else {
                EXPECT_EQ(zones[z], 0) << testutil::Narrow(c.align) << " zone " << z;
            }
        }
        livetest::Detach(root, label);
        delete label;
    }
}

TEST_F(PaintTest, TextColoursOfLabelEffectsMarkupAndButtonStates) {
    // GDI+ draws TrueType faces only; the effect label gets one, and the others the same bold
    // face so that their strokes hold solid pixels.
    ASSERT_NE(win.Manager().AddFont(1, L"Tahoma", 20, true, false, false), nullptr);
    auto* effect = new CLabelUI;
    effect->ApplyAttributeString(L"text=\"MMMM\" textcolor=\"#FFFF0000\" transtext=\"255\" "
                                 L"transtext1=\"255\" enabledeffect=\"true\" align=\"center\" "
                                 L"font=\"1\"");
    auto* noFace = new CLabelUI;
    noFace->ApplyAttributeString(L"text=\"MMMM\" enabledeffect=\"true\"");
    livetest::Place(root, noFace, RECT{0, 100, 240, 130});
    livetest::Place(root, effect, RECT{0, 0, 240, 30});
    auto* markup = new CLabelUI;
    markup->SetShowHtml(true);
    markup->SetText(L"{f 1}{c #0000FF}MMMM{/c}{/f}");
    livetest::Place(root, markup, RECT{0, 30, 240, 60});
    auto* button = new CButtonUI;
    button->SetText(L"MMMM");
    button->SetFont(1);
    button->SetTextColor(0xFF000000);
    button->SetHotTextColor(0xFF00C000);
    button->SetPushedTextColor(0xFFC000C0);
    livetest::Place(root, button, RECT{0, 60, 240, 100});
    Pixels px = Print();
    EXPECT_GT(px.Count(RECT{0, 0, 240, 30}, 0xFF0000, 60), 10) << "GDI+ effect text";
    EXPECT_GT(px.Count(RECT{0, 30, 240, 60}, 0x0000FF, 60), 10) << "markup colour";
    const RECT bt = {0, 60, 240, 100};
    EXPECT_GT(px.Count(bt, 0x000000, 60), 10);
    EXPECT_EQ(px.Count(bt, 0x00C000, 60), 0);
    livetest::MouseMove(win.GetHWND(), 120, 80);
    px = Print();
    EXPECT_GT(px.Count(bt, 0x00C000, 60), 10) << "hot text colour";
    livetest::MouseDown(win.GetHWND(), 120, 80);
    px = Print();
    EXPECT_GT(px.Count(bt, 0xC000C0, 60), 10) << "pushed text colour";
    livetest::MouseUp(win.GetHWND(), 120, 80);
}

TEST_F(PaintTest, LabelKeepsTheDefaultColourItFirstPaintedWith) {
    auto* label = new CLabelUI;
    label->SetText(L"MMM");
    livetest::Place(root, label, RECT{10, 10, 200, 50});
    Print();
    const uint32_t first = label->GetTextColor();
    EXPECT_EQ(first, win.Manager().GetDefaultFontColor());
    win.Manager().SetDefaultFontColor(0xFF123456);
    const Pixels px = Print();
    EXPECT_EQ(label->GetTextColor(), first);
    EXPECT_EQ(px.Count(RECT{10, 10, 200, 50}, 0x123456, 10), 0);
}

TEST_F(PaintTest, ImageDrawnBeforeTheControlHasAWindowLoadsOnceItHasOne) {
    auto* c = new CControlUI;
    c->SetBkImage(Png(L"blue.png", 0x0000FF).c_str());
    // Drawn while it belongs to no window: there is no image cache to load into yet.
    rendertest::Canvas canvas(40, 40);
    c->SetPos(RECT{0, 0, 40, 40}, false);
    c->Render(canvas.dc(), RECT{0, 0, 40, 40});
    livetest::Place(root, c, RECT{10, 10, 50, 50});
    const Pixels px = Print();
    EXPECT_EQ(px.Count(RECT{10, 10, 50, 50}, 0x0000FF), 40 * 40);
}

TEST(PaintBuffers, AWindowTooLargeForAnOffscreenBitmapLeaksNothingPerPaint) {
    // A 32-bit bitmap this large is refused (its byte count does not fit), so every paint
    // finds no off-screen bitmap and must draw without one.
    TestWindow win;
    ASSERT_TRUE(win.Open(10, 10, 24000, 24000));
    auto* root = new CContainerUI;
    root->SetBkColor(0xFF00FF00);
    win.Manager().AttachRoot(root);
    HWND w = win.GetHWND();
    const RECT band = {0, 0, 50, 50};
    auto paint = [&] {
        InvalidateRect(w, &band, FALSE);
        UpdateWindow(w);
    };
    paint();
    const int before = livetest::FreeGdiHandles();
    const int paintsBefore = win.paints;
    for (int i = 0; i < 30; ++i) paint();
    EXPECT_EQ(win.paints - paintsBefore, 30);
    EXPECT_LE(before - livetest::FreeGdiHandles(), 2);
    // What was painted reached the window.
    HDC dc = GetDC(w);
    EXPECT_EQ(GetPixel(dc, 20, 20), RGB(0, 255, 0));
    ReleaseDC(w, dc);
    win.Close();
}

}  // namespace
