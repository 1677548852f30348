// A real window per test with a hand-built control tree: mouse, keyboard, Tab order,
// shortcuts, wheel, timers, "windowinit", idle repaint, delayed deletion and queued
// notifications, as the window manager turns messages into control events.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "ButtonUI.h"
#include "LabelUI.h"
#include "LiveUiUtil.h"

using namespace Veneer;
using livetest::TestWindow;

namespace {

// A control that records the events it receives.
class RecordingControl : public CControlUI {
public:
    struct Seen {
        int type;
        WPARAM wParam;
    };
    std::vector<Seen> seen;
    void HandleEvent(TControlEvent& event) override {
        seen.push_back({event.type, event.wParam});
        CControlUI::HandleEvent(event);
    }
    int Count(int type) const {
        return static_cast<int>(std::count_if(seen.begin(), seen.end(),
                                              [type](const Seen& s) { return s.type == type; }));
    }
};

CButtonUI* MakeButton(const wchar_t* name) {
    auto* b = new CButtonUI;
    b->SetName(name);
    b->SetText(name);
    b->SetBkColor(0xFFC0C0C0);
    return b;
}

class LiveWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(win.Open(40, 40, 300, 200));
        root = new CContainerUI;
        root->SetName(L"root");
        root->SetBkColor(0xFFFFFFFF);
        win.Manager().AttachRoot(root);
    }
    void TearDown() override { win.Close(); }

    // Lets the first paint lay the tree out and send "windowinit".
    void Settle() {
        InvalidateRect(win.GetHWND(), nullptr, FALSE);
        ASSERT_TRUE(livetest::PumpUntil([&] { return Count(L"windowinit:root") > 0; }, 5000));
        livetest::WaitPainted(win.GetHWND());
    }
    // Lays out and paints what changed since.
    void Repaint() {
        InvalidateRect(win.GetHWND(), nullptr, FALSE);
        UpdateWindow(win.GetHWND());
        livetest::WaitPainted(win.GetHWND());
    }
    int Count(const std::wstring& note) const {
        return static_cast<int>(std::count(win.notes.begin(), win.notes.end(), note));
    }
    void Key(UINT message, WPARAM key) {
        PostMessageW(win.GetHWND(), message, key, 0);
        livetest::WaitPainted(win.GetHWND());
    }
    void SetShift(bool down) {
        BYTE state[256];
        GetKeyboardState(state);
        state[VK_SHIFT] = down ? 0x80 : 0;
        SetKeyboardState(state);
    }

    TestWindow win;
    CContainerUI* root = nullptr;
};

TEST_F(LiveWindowTest, ClickNeedsPressAndReleaseInside) {
    struct Step {
        char action;  // d down, m move, u up
        int x, y;
    };
    struct Case {
        const char* what;
        std::vector<Step> steps;
        int clicks;
    };
    const Case cases[] = {
        {"down and up inside", {{'d', 50, 40}, {'u', 50, 40}}, 1},
        {"press, leave, release outside", {{'d', 50, 40}, {'m', 200, 150}, {'u', 200, 150}}, 0},
        {"leave and come back", {{'d', 50, 40}, {'m', 200, 150}, {'m', 60, 45}, {'u', 60, 45}}, 1},
        {"press outside, release inside", {{'d', 200, 150}, {'u', 50, 40}}, 0},
    };
    livetest::Place(root, MakeButton(L"ok"), RECT{20, 20, 120, 60});
    Settle();
    for (const Case& c : cases) {
        win.notes.clear();
        for (const Step& s : c.steps) {
            if (s.action == 'd') livetest::MouseDown(win.GetHWND(), s.x, s.y);
            if (s.action == 'm') livetest::MouseMove(win.GetHWND(), s.x, s.y);
            if (s.action == 'u') livetest::MouseUp(win.GetHWND(), s.x, s.y);
        }
        livetest::WaitPainted(win.GetHWND());
        EXPECT_EQ(Count(L"click:ok"), c.clicks) << c.what;
        EXPECT_FALSE(win.Manager().IsCaptured()) << c.what;
    }
}

TEST_F(LiveWindowTest, SpaceAndEnterClickAFocusedKeyboardButton) {
    struct Case {
        bool keyboard;
        WPARAM key;
        int clicks;
    };
    const Case cases[] = {
        {true, VK_SPACE, 1}, {true, VK_RETURN, 1}, {true, 'A', 0},
        {false, VK_SPACE, 0}, {false, VK_RETURN, 0},
    };
    auto* b = MakeButton(L"b");
    livetest::Place(root, b, RECT{10, 10, 100, 40});
    Settle();
    for (const Case& c : cases) {
        b->SetKeyboardEnabled(c.keyboard);
        b->SetFocus();
        win.notes.clear();
        Key(WM_KEYDOWN, c.key);
        Key(WM_KEYUP, c.key);
        EXPECT_EQ(Count(L"click:b"), c.clicks) << "key " << c.key << " keyboard " << c.keyboard;
    }
}

TEST_F(LiveWindowTest, TabAndShiftTabWrapOverTabStops) {
    livetest::Place(root, MakeButton(L"a"), RECT{10, 10, 60, 40});
    auto* label = new CLabelUI;
    label->SetName(L"label");
    livetest::Place(root, label, RECT{70, 10, 120, 40});
    livetest::Place(root, MakeButton(L"b"), RECT{130, 10, 180, 40});
    auto* hidden = MakeButton(L"hidden");
    hidden->SetVisible(false);
    livetest::Place(root, hidden, RECT{10, 50, 60, 80});
    livetest::Place(root, MakeButton(L"c"), RECT{190, 10, 240, 40});
    Settle();
    auto focusName = [&] {
        CControlUI* f = win.Manager().GetFocus();
        return std::wstring(f ? f->GetName().GetData() : L"(none)");
    };
    // The first paint puts the focus on the first tab stop.
    EXPECT_EQ(focusName(), L"a");
    SetShift(false);
    const wchar_t* forward[] = {L"b", L"c", L"a"};
    for (const wchar_t* expected : forward) {
        Key(WM_KEYDOWN, VK_TAB);
        EXPECT_EQ(focusName(), expected);
    }
    SetShift(true);
    const wchar_t* backward[] = {L"c", L"b", L"a", L"c"};
    for (const wchar_t* expected : backward) {
        Key(WM_KEYDOWN, VK_TAB);
        EXPECT_EQ(focusName(), expected);
    }
    SetShift(false);
}

TEST_F(LiveWindowTest, AltLetterActivatesTheShortcutControl) {
    // Shortcut search visits later children first, so the label's shortcut lands on the
    // control added before it.
    livetest::Place(root, MakeButton(L"target"), RECT{10, 10, 60, 40});
    auto* label = new CLabelUI;
    label->SetName(L"label");
    label->SetShortcut(L'n');
    livetest::Place(root, label, RECT{70, 10, 120, 40});
    auto* other = MakeButton(L"other");
    other->SetShortcut(L'X');
    livetest::Place(root, other, RECT{130, 10, 180, 40});
    Settle();
    struct Case {
        WPARAM ch;
        const wchar_t* clicked;
    };
    const Case cases[] = {{'n', L"target"}, {'N', L"target"}, {'x', L"other"}, {'q', nullptr}};
    for (const Case& c : cases) {
        win.notes.clear();
        Key(WM_SYSCHAR, c.ch);
        const int clicks = Count(L"click:target") + Count(L"click:other");
        if (c.clicked == nullptr) {
            EXPECT_EQ(clicks, 0) << static_cast<char>(c.ch);
            continue;
        }
        EXPECT_EQ(Count(std::wstring(L"click:") + c.clicked), 1) << static_cast<char>(c.ch);
        EXPECT_EQ(clicks, 1);
        EXPECT_EQ(win.Manager().GetFocus()->GetName(), CUIString(c.clicked).GetData());
    }
}

TEST_F(LiveWindowTest, WheelDirectionAndHoverFollowing) {
    auto* rec = new RecordingControl;
    livetest::Place(root, rec, RECT{10, 10, 150, 150});
    Settle();
    POINT pt = {50, 50};
    ClientToScreen(win.GetHWND(), &pt);
    SetCursorPos(pt.x, pt.y);
    const struct {
        short delta;
        WPARAM expected;
    } cases[] = {{-120, 1}, {120, 0}, {-240, 1}};
    for (const auto& c : cases) {
        rec->seen.clear();
        SendMessageW(win.GetHWND(), WM_MOUSEWHEEL, MAKEWPARAM(0, c.delta), MAKELPARAM(pt.x, pt.y));
        ASSERT_EQ(rec->Count(kEventScrollWheel), 1);
        auto wheel = std::find_if(rec->seen.begin(), rec->seen.end(),
                                  [](const RecordingControl::Seen& s) {
                                      return s.type == kEventScrollWheel;
                                  });
        EXPECT_EQ(wheel->wParam, c.expected) << c.delta;
        // The follow-up move keeps the hover on the control under the pointer.
        EXPECT_GE(rec->Count(kEventMouseMove), 1);
    }
}

TEST_F(LiveWindowTest, ControlTimersRunUntilKilledAndRearm) {
    auto* rec = new RecordingControl;
    rec->SetName(L"ticker");
    livetest::Place(root, rec, RECT{0, 0, 10, 10});
    Settle();
    CWindowManagerUI& m = win.Manager();
    ASSERT_TRUE(m.SetTimer(rec, 7, 15));
    EXPECT_FALSE(m.SetTimer(rec, 7, 15)) << "the same timer twice";
    ASSERT_TRUE(livetest::PumpUntil([&] { return Count(L"timer:ticker") >= 2; }, 3000));
    for (const auto& s : rec->seen) {
        if (s.type == kEventTimer) {
            EXPECT_EQ(s.wParam, 7u);
        }
    }
    ASSERT_TRUE(m.KillTimer(rec, 7));
    livetest::PumpFor(30);
    const int afterKill = Count(L"timer:ticker");
    livetest::PumpFor(150);
    EXPECT_EQ(Count(L"timer:ticker"), afterKill);
    // A WM_TIMER with the killed timer's id reaches nobody.
    const auto* record = static_cast<TTimerRecord*>(m.GetTimers()[0]);
    SendMessageW(win.GetHWND(), WM_TIMER, record->windowId, 0);
    EXPECT_EQ(Count(L"timer:ticker"), afterKill);
    ASSERT_TRUE(m.SetTimer(rec, 7, 15));
    EXPECT_EQ(static_cast<TTimerRecord*>(m.GetTimers()[0])->windowId, record->windowId);
    EXPECT_TRUE(livetest::PumpUntil([&] { return Count(L"timer:ticker") > afterKill; }, 3000));
}

TEST_F(LiveWindowTest, TimerIdsCycleButSkipIdsStillHeld) {
    auto* rec = new RecordingControl;
    livetest::Place(root, rec, RECT{0, 0, 10, 10});
    Settle();
    CWindowManagerUI& m = win.Manager();
    auto idOf = [&](int i) { return static_cast<TTimerRecord*>(m.GetTimers()[i])->windowId; };
    // Each window hands out 255 ids, starting at 17 and wrapping after 254.
    for (UINT local = 0; local < 255; ++local) ASSERT_TRUE(m.SetTimer(rec, local, 60000));
    EXPECT_EQ(idOf(0), 17u);
    EXPECT_EQ(idOf(237), 254u);
    EXPECT_EQ(idOf(238), 0u);
    EXPECT_FALSE(m.SetTimer(rec, 1000, 60000)) << "every id is held";
    // A killed timer keeps its id for re-arming; only a forgotten control's ids come free.
    ASSERT_TRUE(m.KillTimer(rec, 5));
    EXPECT_FALSE(m.SetTimer(rec, 1000, 60000));
    auto* other = new RecordingControl;
    livetest::Place(root, other, RECT{10, 0, 20, 10});
    m.KillTimers();
    ASSERT_TRUE(m.SetTimer(rec, 1, 60000));
    ASSERT_TRUE(m.SetTimer(other, 1, 60000));
    ASSERT_TRUE(m.SetTimer(rec, 2, 60000));
    const UINT held = idOf(0);
    const UINT heldToo = idOf(2);
    m.KillTimer(other);
    std::vector<UINT> ids;
    for (UINT local = 10; local < 10 + 253; ++local) {  // the ids not held by rec
        ASSERT_TRUE(m.SetTimer(rec, local, 60000)) << local;
        ids.push_back(idOf(m.GetTimers().GetSize() - 1));
    }
    EXPECT_EQ(std::count(ids.begin(), ids.end(), held), 0) << "a live timer's id is never reused";
    EXPECT_EQ(std::count(ids.begin(), ids.end(), heldToo), 0);
    EXPECT_EQ(std::count(ids.begin(), ids.end(), 18u), 1) << "the forgotten control's id";
    m.KillTimers();
}

TEST_F(LiveWindowTest, HoverShowsTheToolTipOnlyForControlsWithOne) {
    auto* plain = new RecordingControl;
    livetest::Place(root, plain, RECT{10, 10, 60, 40});
    auto* tipped = new RecordingControl;
    tipped->SetToolTip(L"first<n>second");
    livetest::Place(root, tipped, RECT{70, 10, 120, 40});
    Settle();
    auto toolTipOf = [](HWND owner) {
        struct Find {
            HWND owner;
            HWND found;
        } find{owner, nullptr};
        EnumThreadWindows(GetCurrentThreadId(), [](HWND h, LPARAM p) WINAPI -> BOOL {
            auto* f = reinterpret_cast<Find*>(p);
            wchar_t cls[64] = {};
            GetClassNameW(h, cls, 64);
            if (_wcsicmp(cls, TOOLTIPS_CLASSW) == 0 && GetWindow(h, GW_OWNER) == f->owner)
                f->found = h;
            return TRUE;
        }, reinterpret_cast<LPARAM>(&find));
        return find.found;
    };
    HWND w = win.GetHWND();
    livetest::MouseMove(w, 20, 20);
    EXPECT_EQ(SendMessageW(w, WM_MOUSEHOVER, 0, MAKELPARAM(20, 20)), 0);
    EXPECT_EQ(plain->Count(kEventMouseHover), 1);
    EXPECT_EQ(toolTipOf(w), nullptr) << "no text, no tool tip";
    livetest::MouseMove(w, 80, 20);
    SendMessageW(w, WM_MOUSEHOVER, 0, MAKELPARAM(80, 20));
    EXPECT_EQ(tipped->Count(kEventMouseHover), 1);
    HWND tip = toolTipOf(w);
    ASSERT_NE(tip, nullptr);
    TTTOOLINFOW info = {};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.hwnd = w;
    info.uId = reinterpret_cast<UINT_PTR>(w);
    wchar_t text[64] = {};
    info.lpszText = text;
    SendMessageW(tip, TTM_GETTEXTW, 64, reinterpret_cast<LPARAM>(&info));
    EXPECT_STREQ(text, L"first\r\nsecond");
}

TEST_F(LiveWindowTest, WindowInitOnceAndNoRepaintWhenIdle) {
    livetest::Place(root, MakeButton(L"x"), RECT{10, 10, 60, 40});
    Settle();
    for (int i = 0; i < 3; ++i) {
        SetWindowPos(win.GetHWND(), nullptr, 0, 0, 320 + i * 10, 220, SWP_NOMOVE | SWP_NOZORDER);
        InvalidateRect(win.GetHWND(), nullptr, FALSE);
        livetest::WaitPainted(win.GetHWND());
    }
    EXPECT_EQ(Count(L"windowinit:root"), 1);
    EXPECT_EQ(root->GetPos().right, 340) << "the root follows the client size";
    win.paints = 0;
    livetest::PumpFor(1000);
    EXPECT_EQ(win.paints, 0);
}

TEST_F(LiveWindowTest, ControlRemovedInItsOwnClickHandlerIsDeletedLater) {
    auto* doomed = MakeButton(L"doomed");
    bool deleted = false;
    doomed->OnDestroy().Add(livetest::FunctionDelegate([&](void*) {
        deleted = true;
        return true;
    }));
    livetest::Place(root, doomed, RECT{20, 20, 120, 60});
    Settle();
    bool deletedInHandler = true;
    win.onNotify = [&](TNotification& n) {
        if (n.type == L"click" && n.sender == doomed) {
            root->Remove(doomed);
            deletedInHandler = deleted;
        }
    };
    livetest::MouseDown(win.GetHWND(), 50, 40);
    livetest::MouseUp(win.GetHWND(), 50, 40);
    EXPECT_EQ(Count(L"click:doomed"), 1);
    EXPECT_FALSE(deletedInHandler);
    EXPECT_TRUE(livetest::PumpUntil([&] { return deleted; }, 2000));
    EXPECT_EQ(win.Manager().LocateControl(L"doomed"), nullptr);
    // The pointer left the window's records with the control: more input is harmless.
    livetest::MouseMove(win.GetHWND(), 50, 40);
    livetest::MouseDown(win.GetHWND(), 50, 40);
    livetest::MouseUp(win.GetHWND(), 50, 40);
}

TEST_F(LiveWindowTest, QueuedNotificationsArriveLaterAndSurviveTheirSender) {
    auto* keep = MakeButton(L"keep");
    auto* gone = MakeButton(L"gone");
    livetest::Place(root, keep, RECT{10, 10, 60, 40});
    livetest::Place(root, gone, RECT{70, 10, 120, 40});
    Settle();
    win.notes.clear();
    win.Manager().SendNotification(keep, L"later", 3, 4, true);
    win.Manager().SendNotification(gone, L"later", 5, 6, true);
    EXPECT_TRUE(win.notes.empty()) << "queued, not delivered at once";
    std::vector<std::pair<WPARAM, LPARAM>> params;
    win.onNotify = [&](TNotification& n) { params.emplace_back(n.wParam, n.lParam); };
    livetest::Detach(root, gone);
    delete gone;
    PostMessageW(win.GetHWND(), WM_NULL, 0, 0);
    livetest::WaitPainted(win.GetHWND());
    ASSERT_EQ(win.notes.size(), 2u);
    EXPECT_EQ(win.notes[0], L"later:keep");
    EXPECT_EQ(win.notes[1], L"later:");
    EXPECT_EQ(params[0], std::make_pair(WPARAM{3}, LPARAM{4}));
    EXPECT_EQ(params[1], std::make_pair(WPARAM{5}, LPARAM{6}));
}

// A child window that answers the messages its parent reflects back to it.
class ReflectChild : public CWindowWnd {
public:
    std::vector<UINT> received;

protected:
    const wchar_t* GetRegisteredClassName() const override { return L"VeneerReflectChild"; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message >= 0x2000 && message < 0x3000) {
            received.push_back(message);
            return 42;
        }
        return CWindowWnd::HandleMessage(message, wParam, lParam);
    }
};

TEST_F(LiveWindowTest, ChildNotificationsAreReflectedToTheChild) {
    Settle();
    ReflectChild child;
    HWND c = child.CreateWnd(win.GetHWND(), L"", WS_CHILD, 0, 0, 0, 10, 10);
    ASSERT_NE(c, nullptr);
    HWND w = win.GetHWND();
    NMHDR header = {};
    header.hwndFrom = c;
    EXPECT_EQ(SendMessageW(w, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header)), 42);
    EXPECT_EQ(SendMessageW(w, WM_COMMAND, 5, reinterpret_cast<LPARAM>(c)), 42);
    EXPECT_EQ(SendMessageW(w, WM_CTLCOLOREDIT, 0, reinterpret_cast<LPARAM>(c)), 42);
    EXPECT_EQ(SendMessageW(w, WM_CTLCOLORSTATIC, 0, reinterpret_cast<LPARAM>(c)), 42);
    EXPECT_EQ(SendMessageW(w, WM_COMMAND, 5, 0), 0) << "a menu command is no child's";
    const std::vector<UINT> expected = {0x204E, 0x2111, 0x2133, 0x2138};
    EXPECT_EQ(child.received, expected);
    DestroyWindow(c);
}

TEST_F(LiveWindowTest, ContextMenuCursorAndCloseReachThePressedAndHoveredControls) {
    auto* menu = MakeButton(L"menu");
    menu->SetMenuEnabled(true);
    livetest::Place(root, menu, RECT{10, 10, 60, 40});
    auto* quiet = MakeButton(L"quiet");
    livetest::Place(root, quiet, RECT{70, 10, 120, 40});
    auto* rec = new RecordingControl;
    livetest::Place(root, rec, RECT{130, 10, 180, 40});
    Settle();
    HWND w = win.GetHWND();
    for (const POINT at : {POINT{20, 20}, POINT{80, 20}}) {
        SendMessageW(w, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(at.x, at.y));
        POINT screen = at;
        ClientToScreen(w, &screen);
        SendMessageW(w, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(w),
                     MAKELPARAM(screen.x, screen.y));
        EXPECT_FALSE(win.Manager().IsCaptured());
    }
    EXPECT_EQ(Count(L"menu:menu"), 1);
    EXPECT_EQ(Count(L"menu:quiet"), 0) << "menu flag off";

    // Buttons ask for the hand cursor; other controls leave the cursor to the window.
    livetest::MouseMove(w, 20, 20);
    SendMessageW(w, WM_SETCURSOR, reinterpret_cast<WPARAM>(w), MAKELPARAM(HTCLIENT, 0));
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
    livetest::MouseMove(w, 150, 20);
    SendMessageW(w, WM_SETCURSOR, reinterpret_cast<WPARAM>(w), MAKELPARAM(HTCLIENT, 0));
    EXPECT_EQ(rec->Count(kEventSetCursor), 0);

    livetest::MouseDown(w, 150, 20);
    rec->seen.clear();
    SendMessageW(w, WM_CLOSE, 0, 0);
    EXPECT_EQ(rec->Count(kEventMouseLeave), 1);
    EXPECT_EQ(rec->Count(kEventButtonUp), 1);
    EXPECT_EQ(win.Manager().GetFocus(), nullptr);
}

TEST_F(LiveWindowTest, DeferredFocusLandsAfterTheNextLayout) {
    livetest::Place(root, MakeButton(L"a"), RECT{10, 10, 60, 40});
    livetest::Place(root, MakeButton(L"b"), RECT{70, 10, 120, 40});
    auto* c = MakeButton(L"c");
    livetest::Place(root, c, RECT{130, 10, 180, 40});
    Settle();
    ASSERT_EQ(win.Manager().GetFocus()->GetName(), CUIString(L"a").GetData());
    win.notes.clear();
    win.Manager().SetFocusDeferred(c);
    EXPECT_EQ(Count(L"killfocus:a"), 1);
    EXPECT_TRUE(livetest::PumpUntil([&] { return win.Manager().GetFocus() == c; }, 2000));
    EXPECT_EQ(Count(L"setfocus:c"), 1);
}

TEST_F(LiveWindowTest, ReplacedRootIsDeletedLaterAndTheNewOneLaidOut) {
    livetest::Place(root, MakeButton(L"old"), RECT{10, 10, 60, 40});
    Settle();
    bool deleted = false;
    root->OnDestroy().Add(livetest::FunctionDelegate([&](void*) {
        deleted = true;
        return true;
    }));
    auto* fresh = new CContainerUI;
    fresh->SetName(L"fresh");
    livetest::Place(fresh, MakeButton(L"new"), RECT{10, 10, 60, 40});
    win.Manager().AttachRoot(fresh);
    EXPECT_FALSE(deleted);
    EXPECT_EQ(win.Manager().LocateControl(L"new"),
              fresh->LocateControl(
                  [](CControlUI* c, void*) CALLBACK -> CControlUI* {
                      return c->GetName() == L"new" ? c : nullptr;
                  },
                  nullptr, 0));
    InvalidateRect(win.GetHWND(), nullptr, FALSE);
    EXPECT_TRUE(livetest::PumpUntil([&] { return deleted && Count(L"windowinit:fresh") == 1; },
                                    3000));
    EXPECT_EQ(win.Manager().LocateControl(L"old"), nullptr);
    root = fresh;
}

// ---- controls let go, deleted or unregistered while the window runs ------------------------

TEST_F(LiveWindowTest, ChildrenLetGoWithoutDeletionForgetTheWindowAndTheirContainer) {
    for (const bool all : {false, true}) {
        SCOPED_TRACE(all ? "RemoveAll" : "Remove");
        auto* box = new livetest::Poisoned<CContainerUI>;
        box->SetDeleteOnRemove(false);
        bool boxDeleted = false;
        box->OnDestroy().Add(livetest::FunctionDelegate([&](void*) {
            boxDeleted = true;
            return true;
        }));
        livetest::Place(root, box, RECT{10, 10, 150, 100});
        auto* group = new CContainerUI;
        group->SetName(L"group");
        auto* inner = MakeButton(L"inner");
        livetest::Place(group, inner, RECT{0, 0, 50, 30});
        livetest::Place(box, group, RECT{0, 0, 100, 60});
        Repaint();
        CWindowManagerUI& m = win.Manager();
        inner->SetFocus();
        ASSERT_EQ(m.GetFocus(), inner);
        ASSERT_TRUE(m.SetTimer(inner, 1, 60000));
        m.SendNotification(inner, L"queued", 0, 0, true);

        if (all)
            box->RemoveAll();
        else
            ASSERT_TRUE(box->Remove(group));
        EXPECT_EQ(group->GetParent(), nullptr);
        EXPECT_EQ(group->GetManager(), nullptr);
        EXPECT_EQ(inner->GetManager(), nullptr);
        EXPECT_EQ(inner->GetParent(), group) << "the subtree stays whole";
        EXPECT_EQ(m.LocateControl(L"group"), nullptr);
        EXPECT_EQ(m.LocateControl(L"inner"), nullptr);
        EXPECT_EQ(m.GetFocus(), nullptr);
        EXPECT_EQ(m.GetTimers().GetSize(), 0);

        // The container goes; what it let go leads neither into it nor into the window.
        win.notes.clear();
        root->Remove(box);
        ASSERT_TRUE(livetest::PumpUntil([&] { return boxDeleted; }, 2000));
        EXPECT_EQ(Count(L"queued:"), 1) << "the queued record lost its sender";
        group->SetVisible(false);
        group->SetVisible(true);
        inner->SetText(L"still here");
        inner->SetFocus();
        delete group;
    }
}

TEST_F(LiveWindowTest, ListenersAndFiltersChangedDuringDeliveryAreHonoured) {
    struct Listener : INotifyUI {
        int calls = 0;
        std::function<void()> then;
        void Notify(TNotification&) override {
            ++calls;
            if (then) then();
        }
    };
    struct Filter : IMessageFilterUI {
        int calls = 0;
        std::function<void()> then;
        LRESULT ProcessMessage(UINT message, WPARAM, LPARAM, bool&) override {
            if (message != WM_KEYDOWN) return 0;
            ++calls;
            if (then) then();
            return 0;
        }
    };
    Settle();
    CWindowManagerUI& m = win.Manager();
    Listener first, second, third;
    for (Listener* l : {&first, &second, &third}) m.AddNotifyListener(l);
    // The first takes itself and the third off the list while it is being walked.
    first.then = [&] {
        m.RemoveNotifyListener(&first);
        m.RemoveNotifyListener(&third);
    };
    m.SendNotification(root, L"ping");
    EXPECT_EQ(first.calls, 1);
    EXPECT_EQ(second.calls, 1) << "the listener after a removed one still hears it";
    EXPECT_EQ(third.calls, 0) << "a removed listener hears nothing more";
    m.RemoveNotifyListener(&second);

    Filter once, always;
    m.AddPreFilter(&once);
    m.AddPreFilter(&always);
    once.then = [&] { m.RemovePreFilter(&once); };
    MSG msg = {};
    msg.hwnd = win.GetHWND();
    msg.message = WM_KEYDOWN;
    msg.wParam = 'A';
    CWindowManagerUI::OfferToPreFilters(&msg);
    CWindowManagerUI::OfferToPreFilters(&msg);
    EXPECT_EQ(once.calls, 1);
    EXPECT_EQ(always.calls, 2);
    m.RemovePreFilter(&always);
}

// A button whose handlers may delete it; its memory is overwritten then, so any later use fails.
using DoomedButton = livetest::Poisoned<CButtonUI>;

TEST_F(LiveWindowTest, HandlersMayDeleteTheControlTheyAreCalledFor) {
    enum Trigger { kNotifyHub, kEventHubOnPress, kSetFocus, kKillFocus, kMouseEnter };
    struct Case {
        const char* what;
        Trigger trigger;
        int eventType;  // the event whose delegate deletes the control (0: notification)
    };
    const Case cases[] = {
        {"a delegate of its notification hub", kNotifyHub, 0},
        {"a delegate of its event hub, on the press", kEventHubOnPress, kEventButtonDown},
        {"the set-focus event of a press", kSetFocus, kEventSetFocus},
        {"the kill-focus event when another control takes the focus", kKillFocus,
         kEventKillFocus},
        {"the mouse-enter event", kMouseEnter, kEventMouseEnter},
    };
    auto* other = MakeButton(L"other");
    livetest::Place(root, other, RECT{200, 10, 260, 40});
    Settle();
    root->SetDeferredDelete(false);  // Remove deletes at once, inside the handler
    CWindowManagerUI& m = win.Manager();
    HWND w = win.GetHWND();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto* doomed = new DoomedButton;
        doomed->SetName(L"doomed");
        livetest::Place(root, doomed, RECT{20, 20, 120, 60});
        Repaint();
        livetest::MouseMove(w, 150, 150);
        m.SetFocus(c.trigger == kKillFocus ? doomed : nullptr);
        int deletions = 0;
        int afterDeletion = 0;
        doomed->OnDestroy().Add(livetest::FunctionDelegate([&](void*) {
            ++deletions;
            return true;
        }));
        const livetest::FunctionDelegate remove([&](void* param) {
            if (c.eventType == 0 || static_cast<TControlEvent*>(param)->type == c.eventType)
                root->Remove(doomed);
            return true;
        });
        const livetest::FunctionDelegate later([&](void*) {
            if (deletions > 0) ++afterDeletion;
            return true;
        });
        CEventHub& hub = c.trigger == kNotifyHub ? doomed->OnNotify() : doomed->OnEvent();
        hub.Add(remove);
        hub.Add(later);
        std::vector<CControlUI*> senders;
        win.onNotify = [&](TNotification& n) {
            if (n.type == L"ping") senders.push_back(n.sender);
        };
        win.notes.clear();
        switch (c.trigger) {
        case kNotifyHub: m.SendNotification(doomed, L"ping"); break;
        case kEventHubOnPress:
        case kSetFocus: livetest::MouseDown(w, 50, 40); break;
        case kKillFocus: m.SetFocus(other); break;
        case kMouseEnter: livetest::MouseMove(w, 50, 40); break;
        }
        EXPECT_EQ(deletions, 1);
        EXPECT_EQ(afterDeletion, 0) << "delegates of a deleted control do not run";
        EXPECT_EQ(m.LocateControl(L"doomed"), nullptr);
        EXPECT_FALSE(m.IsCaptured()) << "no capture is left for a deleted control";
        EXPECT_EQ(Count(L"killfocus:doomed"), 0);
        if (c.trigger == kSetFocus) {
            EXPECT_EQ(Count(L"setfocus:doomed"), 0);
        }
        if (c.trigger == kKillFocus) {
            EXPECT_EQ(m.GetFocus(), other);
        }
        if (c.trigger == kNotifyHub) {
            ASSERT_EQ(senders.size(), 1u);
            EXPECT_EQ(senders[0], nullptr) << "listeners see no sender once it is gone";
        }
        // The window goes on working where the control was.
        livetest::MouseUp(w, 50, 40);
        livetest::MouseDown(w, 50, 40);
        livetest::MouseUp(w, 50, 40);
        win.onNotify = nullptr;
    }
}

// ---- the manager and its window's lifetime --------------------------------------------------

TEST(ManagerLifetime, ADestroyedWindowLeavesNoWayIntoItsManager) {
    struct Filter : IMessageFilterUI {
        int calls = 0;
        LRESULT ProcessMessage(UINT, WPARAM, LPARAM, bool&) override {
            ++calls;
            return 0;
        }
    };
    auto entries = [](const CWindowManagerUI* m) {
        const CUIPtrArray& all = CWindowManagerUI::GetAllManagers();
        int n = 0;
        for (int i = 0; i < all.GetSize(); ++i) n += all[i] == m ? 1 : 0;
        return n;
    };
    Filter filter;
    const CWindowManagerUI* gone = nullptr;
    HWND oldHandle = nullptr;
    {
        TestWindow win;
        ASSERT_TRUE(win.Open(40, 40, 100, 80));
        CWindowManagerUI& m = win.Manager();
        m.Init(win.GetHWND());  // a second Init registers nothing more
        EXPECT_EQ(entries(&m), 1);
        m.AddPreFilter(&filter);
        oldHandle = win.GetHWND();
        DestroyWindow(oldHandle);
        EXPECT_EQ(m.GetPaintWindow(), nullptr);
        EXPECT_EQ(m.GetPaintDC(), nullptr);
        EXPECT_EQ(entries(&m), 0);
        // Whatever window gets the old handle next, its messages reach nobody here.
        MSG msg = {};
        msg.hwnd = oldHandle;
        msg.message = WM_KEYDOWN;
        msg.wParam = VK_TAB;
        EXPECT_FALSE(CWindowManagerUI::OfferToPreFilters(&msg));
        EXPECT_EQ(filter.calls, 0);
        gone = &m;
    }
    EXPECT_EQ(entries(gone), 0);
}

TEST(MessageLoop, EndsOnQuit) {
    PostQuitMessage(0);
    CWindowManagerUI::RunMessageLoop();
    SUCCEED();
}

}  // namespace
