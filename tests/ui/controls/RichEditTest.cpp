// The rich edit on the platform's text services in live windows: typing, Return and Tab rules,
// character and paragraph formats, its scroll bar, the wheel, and what a deleted rich edit
// leaves behind.
#include <gtest/gtest.h>

#include <windows.h>
#include <richedit.h>
#include <textserv.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "ButtonUI.h"
#include "ListTestWindow.h"
#include "RichEditUI.h"
#include "ScrollBarUI.h"
#include "TxtWinHost.h"

using namespace Veneer;

namespace {

const wchar_t kEditorsXml[] =
    L"<Window><Font id=\"1\" name=\"Tahoma\" size=\"20\" bold=\"true\"/><VerticalLayout>"
    L"<RichEdit name=\"typed\" height=\"60\" bkcolor=\"#FFFFFFFF\"/>"
    L"<Button name=\"after\" height=\"20\" text=\"after\"/>"
    L"<RichEdit name=\"red\" height=\"40\" textcolor=\"#FFFF0000\" font=\"1\"/>"
    L"<RichEdit name=\"right\" height=\"40\" align=\"left right\" textcolor=\"#FF102030\" "
    L"font=\"1\"/>"
    L"<RichEdit name=\"centre\" height=\"30\" align=\"center\" rich=\"false\"/>"
    L"<RichEdit name=\"bar\" height=\"40\" vscrollbar=\"true\"/>"
    L"</VerticalLayout></Window>";

void SetCtrl(bool down) {
    BYTE state[256];
    GetKeyboardState(state);
    state[VK_CONTROL] = down ? 0x80 : 0;
    SetKeyboardState(state);
}

void Type(listtest::ListWindow& w, const char* keys) {
    for (const char* k = keys; *k; ++k) w.Key(static_cast<WPARAM>(*k));
}

// Clicks into the editor, which takes the focus.
void FocusByClick(listtest::ListWindow& w, CRichEditUI* edit) {
    const RECT& rc = edit->GetPos();
    w.Click(POINT{rc.left + 5, rc.top + 5});
}

std::wstring Text(const CRichEditUI* edit) { return edit->GetText().GetData(); }

CHARFORMAT2W DefaultCharFormat(CRichEditUI* edit) {
    CHARFORMAT2W cf = {};
    cf.cbSize = sizeof(cf);
    LRESULT r = 0;
    edit->SendToTextServices(EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf), &r);
    return cf;
}

WORD Alignment(CRichEditUI* edit) {
    PARAFORMAT2 pf = {};
    pf.cbSize = sizeof(pf);
    LRESULT r = 0;
    edit->SendToTextServices(EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf), &r);
    return pf.wAlignment;
}

struct Ink {
    int first, last;
};

// Leftmost and rightmost columns of `rc` holding a pixel close to `rgb`; -1 when none.
Ink InkColumns(const livetest::Pixels& px, const RECT& rc, uint32_t rgb) {
    int first = -1;
    int last = -1;
    for (int x = rc.left; x < rc.right; ++x) {
        for (int y = rc.top; y < rc.bottom; ++y) {
            if (px.Count(RECT{x, y, x + 1, y + 1}, rgb, 60) == 0) continue;
            if (first < 0) first = x;
            last = x;
            break;
        }
    }
    return {first, last};
}

class RichEditWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(w.Open(300, 260, kEditorsXml));
        typed = w.Find<CRichEditUI>(L"typed");
        ASSERT_NE(typed, nullptr);
        ASSERT_TRUE(typed->HasTextHost()) << "no text services from msftedit.dll";
        w.Paint();
    }
    void TearDown() override { SetCtrl(false); }

    listtest::ListWindow w;
    CRichEditUI* typed = nullptr;
};

}  // namespace

TEST(RichEditTest, WithoutTextServicesEveryCallDoesNothing) {
    CRichEditUI edit;
    edit.SetText(L"kept");
    EXPECT_EQ(edit.SendToTextServices(WM_CHAR, L'x', 0, nullptr), S_FALSE);
    EXPECT_EQ(edit.GetTextLength(), 0);
    EXPECT_EQ(Text(&edit), L"");
    edit.SetSel(0, -1);
    edit.ReplaceSel(L"x", true);
    edit.ScrollLineDown();
    edit.SetScrollPos(SIZE{0, 10});
    bool handled = false;
    EXPECT_EQ(edit.ProcessMessage(WM_KEYDOWN, 'A', 0, handled), 0);
    EXPECT_FALSE(handled);
}

TEST_F(RichEditWindow, TypedKeysReachTheTextAndReturnFollowsItsRules) {
    FocusByClick(w, typed);
    ASSERT_TRUE(typed->IsFocused());
    Type(w, "HI");
    EXPECT_EQ(Text(typed), L"hi");

    struct {
        bool wantReturn, wantCtrlReturn, ctrl;
        bool inserted;
    } const cases[] = {
        {true, true, false, true},   {true, true, true, true},    {false, true, false, false},
        {false, true, true, false},  {true, false, true, false},  {true, false, false, true},
    };
    int notes = 0;
    for (const auto& c : cases) {
        const std::string label = std::to_string(c.wantReturn) + std::to_string(c.wantCtrlReturn) +
                                  std::to_string(c.ctrl);
        typed->SetText(L"ab");
        typed->SetSel(2, 2);
        typed->SetWantReturn(c.wantReturn);
        typed->SetWantCtrlReturn(c.wantCtrlReturn);
        SetCtrl(c.ctrl);
        w.Key(VK_RETURN);
        SetCtrl(false);
        const std::wstring text = Text(typed);
        if (c.inserted) {
            EXPECT_GT(text.size(), 2u) << label;
        } else {
            EXPECT_EQ(text, L"ab") << label;
            ++notes;
        }
        EXPECT_EQ(w.Count(L"return:typed"), notes) << label;
    }
}

TEST_F(RichEditWindow, TabStaysInAnEditorThatWantsItAndMovesOnOtherwise) {
    FocusByClick(w, typed);
    typed->SetText(L"");
    w.Key(VK_TAB);
    EXPECT_EQ(w.win.Manager().GetFocus(), typed);
    EXPECT_EQ(Text(typed), L"\t");

    typed->SetWantTab(false);
    w.Key(VK_TAB);
    EXPECT_EQ(w.win.Manager().GetFocus(), w.Find<CControlUI>(L"after"));
    EXPECT_EQ(Text(typed), L"\t");
    EXPECT_FALSE(typed->IsFocused());
}

TEST_F(RichEditWindow, ColourAndAlignmentReachTheFormatsAndThePixels) {
    auto* red = w.Find<CRichEditUI>(L"red");
    auto* right = w.Find<CRichEditUI>(L"right");
    auto* centre = w.Find<CRichEditUI>(L"centre");
    ASSERT_TRUE(red && right && centre);
    EXPECT_EQ(DefaultCharFormat(right).crTextColor, COLORREF{0x00302010});
    EXPECT_EQ(DefaultCharFormat(red).crTextColor, COLORREF{0x000000FF});
    EXPECT_TRUE(DefaultCharFormat(right).dwEffects & CFE_BOLD) << "font 1 is bold";
    EXPECT_EQ(Alignment(right), PFA_RIGHT) << "the last word of the alignment wins";
    EXPECT_EQ(Alignment(centre), PFA_CENTER);
    EXPECT_EQ(Alignment(typed), PFA_LEFT);

    // A plain font given later keeps the bold face.
    w.win.Manager().AddFont(2, L"Tahoma", 12, false, false, false);
    right->SetFont(2);
    EXPECT_TRUE(DefaultCharFormat(right).dwEffects & CFE_BOLD);

    red->SetText(L"MM");
    right->SetText(L"MM");
    const livetest::Pixels px = w.Paint();
    const auto leftInk = InkColumns(px, red->GetPos(), 0xFF0000);
    const auto rightInk = InkColumns(px, right->GetPos(), 0x302010);
    ASSERT_GE(leftInk.first, 0) << "the red text is drawn";
    ASSERT_GE(rightInk.first, 0) << "the right-aligned text is drawn";
    EXPECT_LT(leftInk.last, 150);
    EXPECT_GT(rightInk.first, 150);
    EXPECT_EQ(InkColumns(px, typed->GetPos(), 0xFF0000).first, -1);
}

TEST_F(RichEditWindow, VerticalBarShowsOnlyWhileTheTextOverflows) {
    auto* bar = w.Find<CRichEditUI>(L"bar");
    ASSERT_NE(bar, nullptr);
    ASSERT_NE(bar->GetVerticalScrollBar(), nullptr);
    bar->SetText(L"one line");
    w.Paint();
    EXPECT_FALSE(bar->GetVerticalScrollBar()->IsVisible());

    bar->SetText(L"1\r2\r3\r4\r5\r6\r7\r8\r9\r10");
    w.Paint();
    CScrollBarUI* vbar = bar->GetVerticalScrollBar();
    EXPECT_TRUE(vbar->IsVisible());
    // The shown bar is placed at the editor's right edge and painted there.
    EXPECT_EQ(vbar->GetPos().right, bar->GetPos().right);
    EXPECT_GT(vbar->GetPos().right - vbar->GetPos().left, 0);
    EXPECT_GT(vbar->GetScrollRange(), 0);
    RECT text;
    bar->GetTextHost()->GetClientRect(&text);
    EXPECT_EQ(text.right, vbar->GetPos().left) << "the text leaves the bar its room";

    bar->SetText(L"short again");
    w.Paint();
    EXPECT_FALSE(bar->GetVerticalScrollBar()->IsVisible());
}

TEST(RichEditTest, PlainWheelScrollsTheContainerAndCtrlWheelZoomsTheEditor) {
    listtest::ListWindow w;
    ASSERT_TRUE(w.Open(200, 100,
                       L"<Window><VerticalLayout name=\"page\" vscrollbar=\"true\">"
                       L"<RichEdit name=\"e\" height=\"80\" bkcolor=\"#FFFFFFFF\"/>"
                       L"<Control height=\"400\"/></VerticalLayout></Window>"));
    auto* page = w.Find<CContainerUI>(L"page");
    auto* edit = w.Find<CRichEditUI>(L"e");
    ASSERT_TRUE(page && edit && edit->HasTextHost());
    edit->SetText(L"text");
    w.Paint();
    const POINT inside = listtest::Centre(edit->GetPos());

    SetCtrl(true);
    const int before = page->GetScrollPos().cy;
    POINT screen = inside;
    ClientToScreen(w.hwnd(), &screen);
    livetest::MouseMove(w.hwnd(), inside.x, inside.y);
    SendMessageW(w.hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, -WHEEL_DELTA),
                 MAKELPARAM(screen.x, screen.y));
    livetest::WaitPainted(w.hwnd());
    SetCtrl(false);
    EXPECT_EQ(page->GetScrollPos().cy, before) << "Ctrl+wheel stays with the editor";
    LRESULT zoomed = 0;
    WPARAM num = 0;
    LPARAM den = 0;
    edit->SendToTextServices(EM_GETZOOM, reinterpret_cast<WPARAM>(&num),
                             reinterpret_cast<LPARAM>(&den), &zoomed);
    EXPECT_NE(num, den) << "the editor zoomed";

    w.Wheel(-WHEEL_DELTA, inside);
    EXPECT_GT(page->GetScrollPos().cy, before) << "the plain wheel scrolls the page";
}

TEST(RichEditTest, MouseButtonsOverAControlLaidOnTheEditorNeverReachItsText) {
    struct Recording : CRichEditUI {
        std::vector<UINT> seen;
        HRESULT SendToTextServices(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override {
            seen.push_back(msg);
            return CRichEditUI::SendToTextServices(msg, wp, lp, result);
        }
    };
    listtest::ListWindow w;
    ASSERT_TRUE(w.Open(200, 100, L"<Window><VerticalLayout/></Window>"));
    auto* edit = new Recording;
    livetest::Place(w.root, edit, RECT{0, 0, 200, 80});
    livetest::Place(edit, new CControlUI, RECT{100, 0, 200, 80});
    w.Paint();
    ASSERT_TRUE(edit->HasTextHost());
    auto saw = [&](UINT msg) { return std::count(edit->seen.begin(), edit->seen.end(), msg); };
    // Each case on its own, the mouse free (a press on the cover captures it for the cover).
    for (UINT msg : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN,
                     WM_RBUTTONUP}) {
        SendMessageW(w.hwnd(), msg, 0, MAKELPARAM(150, 40));
        w.win.Manager().ReleaseCapture();
        EXPECT_EQ(saw(msg), 0) << "message 0x" << std::hex << msg;
    }
    SendMessageW(w.hwnd(), WM_RBUTTONUP, 0, MAKELPARAM(50, 40));
    EXPECT_EQ(saw(WM_RBUTTONUP), 1) << "a release on the editor's own text";
}

TEST(RichEditTest, DeletedEditorLeavesNoFilterTimerCaretOrCaptureBehind) {
    static bool deleted = false;
    struct Tracked : livetest::Poisoned<CRichEditUI> {
        ~Tracked() override { deleted = true; }
    };
    listtest::ListWindow w;
    ASSERT_TRUE(w.Open(200, 100, L"<Window><VerticalLayout/></Window>"));
    auto* edit = new Tracked;
    livetest::Place(w.root, edit, RECT{0, 0, 200, 60});
    w.Paint();
    ASSERT_TRUE(edit->HasTextHost());
    w.Click(POINT{20, 20});
    ASSERT_TRUE(edit->IsFocused());
    w.Key('A');
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof(gui);
    ASSERT_TRUE(GetGUIThreadInfo(GetCurrentThreadId(), &gui));
    EXPECT_EQ(gui.hwndCaret, w.hwnd()) << "the focused editor shows its caret";
    // Pressing and dragging makes the services capture the mouse and start their timer.
    livetest::MouseDown(w.hwnd(), 20, 20);
    livetest::MouseMove(w.hwnd(), 190, 55);
    const void* gone = static_cast<CControlUI*>(edit);
    deleted = false;
    w.root->Remove(edit);
    ASSERT_TRUE(livetest::PumpUntil([] { return deleted; }, 3000));
    EXPECT_FALSE(w.win.Manager().IsCaptured());
    ASSERT_TRUE(GetGUIThreadInfo(GetCurrentThreadId(), &gui));
    EXPECT_EQ(gui.hwndCaret, nullptr) << "the caret went with the editor";
    const CUIPtrArray& timers = w.win.Manager().GetTimers();
    for (int i = 0; i < timers.GetSize(); ++i)
        EXPECT_NE(static_cast<TTimerRecord*>(timers[i])->control, gone);
    // A filter left registered would now run on poisoned memory.
    w.Click(POINT{20, 20});
    w.Key('B');
    w.Wheel(-WHEEL_DELTA, POINT{20, 20});
    livetest::MouseUp(w.hwnd(), 20, 20);
    livetest::PumpFor(100);
    EXPECT_TRUE(IsWindow(w.hwnd()));
}
