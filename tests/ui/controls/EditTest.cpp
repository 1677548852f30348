// The edit in a live window with real input: the native window opened by a click, keys typed
// into it and what reaches the control, the masked and the native background drawing, and the
// native window's end when the control is hidden or deleted.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "EditUI.h"
#include "EditWnd.h"
#include "ListTestWindow.h"
#include "ScreenShot.h"
#include "TestUtil.h"

using namespace Veneer;

namespace {

constexpr wchar_t kEdits[] =
    L"<Window>"
    L"<Edit name=\"plain\" height=\"30\" text=\"hello\"/>"
    L"<Edit name=\"limited\" height=\"30\" maxchar=\"3\"/>"
    L"<Edit name=\"digits\" height=\"30\" numberonly=\"true\"/>"
    L"<Edit name=\"pass\" height=\"30\" password=\"true\" text=\"abc\"/>"
    L"<Edit name=\"empty\" height=\"30\" password=\"true\"/>"
    L"<Label name=\"masks\" height=\"30\" bkcolor=\"#FFFFFFFF\" textpadding=\"4,3,4,3\" "
    L"text=\"***\"/>"
    L"<Edit name=\"tinted\" height=\"30\" nativebkcolor=\"#FF336699\"/>"
    L"<Control/></Window>";

struct EditWindow : listtest::ListWindow {
    CEditUI* edit(const wchar_t* name) { return Find<CEditUI>(name); }
    HWND native(CEditUI* e) { return e->GetEditWindow() ? e->GetEditWindow()->GetHWND() : nullptr; }
    // Clicks the edit and waits for its native window to have the keyboard.
    HWND StartEditing(CEditUI* e) {
        // A real click activates the window before the button message; a posted one does
        // not, and activating later would take the keyboard back from the native edit.
        ::SetForegroundWindow(hwnd());
        livetest::PumpUntil([&] { return ::GetActiveWindow() == hwnd(); }, 2000);
        Click(listtest::Centre(e->GetPos()));
        livetest::PumpUntil([&] { return native(e) != nullptr && ::GetFocus() == native(e); },
                            5000);
        return native(e);
    }
    // Types into the native window as the keyboard would, one character at a time.
    void Type(HWND hwnd, const std::wstring& text) {
        for (wchar_t ch : text) PostMessageW(hwnd, WM_CHAR, ch, 1);
        livetest::PumpUntil([&] { return ::GetQueueStatus(QS_POSTMESSAGE) == 0; }, 2000);
        livetest::WaitPainted(this->hwnd());
    }
    int Changes(const wchar_t* name) { return Count(std::wstring(L"textchanged:") + name); }
};

int TextPixels(const livetest::Pixels& px, const RECT& rc) {
    return (rc.right - rc.left) * (rc.bottom - rc.top) - px.Count(rc, 0xFFFFFF);
}

}  // namespace

TEST(EditTest, KeysTypedIntoTheNativeWindowReachTheControl) {
    EditWindow w;
    ASSERT_TRUE(w.Open(300, 300, kEdits));
    CEditUI* plain = w.edit(L"plain");
    ASSERT_NE(plain, nullptr);

    // The click that focuses opens the native window over the text and selects it all.
    HWND hwnd = w.StartEditing(plain);
    ASSERT_NE(hwnd, nullptr);
    DWORD from = 1, to = 0;
    SendMessageW(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(from, 0u);
    EXPECT_EQ(to, 5u);
    EXPECT_EQ(SendMessageW(hwnd, EM_GETLIMITTEXT, 0, 0), 255);

    // A further click on the open edit, beside its native window, selects it all again and
    // leaves the keyboard with the same native window.
    SendMessageW(hwnd, EM_SETSEL, 2, 2);
    const RECT pos = plain->GetPos();
    w.Click(POINT{pos.left + 2, pos.top + 2});
    livetest::PumpFor(100);
    EXPECT_EQ(w.native(plain), hwnd);
    EXPECT_EQ(::GetFocus(), hwnd);
    SendMessageW(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(from, 0u);
    EXPECT_EQ(to, 5u);

    SendMessageW(hwnd, EM_SETSEL, 5, 5);
    w.Type(hwnd, L"xyz");
    EXPECT_EQ(plain->GetText(), L"helloxyz");
    EXPECT_EQ(w.Changes(L"plain"), 3);

    // Return is a request, not text.
    PostMessageW(hwnd, WM_KEYDOWN, VK_RETURN, 1);
    PostMessageW(hwnd, WM_KEYUP, VK_RETURN, 0xC0000001);
    livetest::PumpUntil([&] { return w.Count(L"return:plain") > 0; }, 2000);
    EXPECT_EQ(w.Count(L"return:plain"), 1);
    EXPECT_EQ(plain->GetText(), L"helloxyz");
    EXPECT_EQ(w.Changes(L"plain"), 3);

    struct Case {
        const wchar_t* name;
        const wchar_t* typed;
        const wchar_t* kept;
        int changes;
    } const cases[] = {
        {L"limited", L"abcd", L"abc", 3},
        {L"digits", L"a1b2", L"12", 2},
    };
    for (const Case& c : cases) {
        CEditUI* e = w.edit(c.name);
        HWND h = w.StartEditing(e);
        ASSERT_NE(h, nullptr) << c.name;
        // Focus moving on closes the window the last edit had.
        EXPECT_TRUE(livetest::PumpUntil([&] { return !::IsWindow(hwnd); }, 5000)) << c.name;
        EXPECT_EQ(plain->GetEditWindow(), nullptr);
        w.Type(h, c.typed);
        EXPECT_EQ(e->GetText(), c.kept) << c.name;
        EXPECT_EQ(w.Changes(c.name), c.changes) << c.name;
        hwnd = h;
    }
}

TEST(EditTest, DrawsMasksAndTheNativeBackgroundAndClosesWithTheControl) {
    EditWindow w;
    ASSERT_TRUE(w.Open(300, 300, kEdits));
    livetest::Pixels px = w.Paint();

    // "abc" masked looks exactly like three asterisks drawn by a label; no text, no mask.
    const RECT pass = w.edit(L"pass")->GetPos();
    const RECT masks = w.Find<CControlUI>(L"masks")->GetPos();
    EXPECT_GT(TextPixels(px, pass), 0);
    int differ = 0;
    for (int y = 0; y < pass.bottom - pass.top; ++y)
        for (int x = pass.left; x < pass.right; ++x)
            differ += px.At(x, pass.top + y) != px.At(x, masks.top + y);
    EXPECT_EQ(differ, 0);
    EXPECT_EQ(TextPixels(px, w.edit(L"empty")->GetPos()), 0);

    // The native window paints its own background unless a colour is given.
    struct Case {
        const wchar_t* name;
        bool tinted;
    } const cases[] = {{L"plain", false}, {L"tinted", true}};
    for (const Case& c : cases) {
        HWND h = w.StartEditing(w.edit(c.name));
        ASSERT_NE(h, nullptr) << c.name;
        RECT client = {};
        GetClientRect(h, &client);
        const int area = client.right * client.bottom;
        testutil::Shot shot;
        livetest::PumpUntil(
            [&] {
                if (!testutil::IsPainted(h)) return false;
                shot = testutil::Capture(h);
                return shot.Count(0x336699, client) * 2 > area ||
                       shot.Count(0xFFFFFF, client) * 2 > area;
            },
            5000);
        if (c.tinted) {
            EXPECT_GT(shot.Count(0x336699, client) * 2, area) << c.name;
        } else {
            EXPECT_EQ(shot.Count(0x336699, client), 0) << c.name;
            EXPECT_GT(shot.Count(0xFFFFFF, client) * 2, area) << c.name;
        }
    }

    // Hidden while editing: the native window is gone at once, not at some later message.
    CEditUI* tinted = w.edit(L"tinted");
    HWND h = w.native(tinted);
    ASSERT_NE(h, nullptr);
    tinted->SetVisible(false);
    EXPECT_FALSE(::IsWindow(h));
    EXPECT_EQ(tinted->GetEditWindow(), nullptr);
    tinted->SetVisible(true);
    w.Paint();

    // Deleted while editing (at the window's next message): the window goes with it and
    // nothing calls back into the control.
    CEditUI* plain = w.edit(L"plain");
    h = w.StartEditing(plain);
    ASSERT_NE(h, nullptr);
    w.root->Remove(plain);
    EXPECT_TRUE(livetest::PumpUntil([&] { return !::IsWindow(h); }, 2000));
    w.Paint();
}

TEST(EditTest, StaysUsableWhenNoNativeWindowCanBeMade) {
    // Outside any window there is nothing to lay a native edit over.
    CEditUI edit;
    TControlEvent focus;
    focus.type = kEventSetFocus;
    edit.HandleEvent(focus);
    EXPECT_EQ(edit.GetEditWindow(), nullptr);
    edit.SetText(L"still here");
    EXPECT_EQ(edit.GetText(), L"still here");
}
