// The combo in a live window with real input: the popup's size and place on the screen, keys,
// clicks and the wheel in the popup, the selection as rows go, and the popup's end however it
// comes (its owner window closed, the combo deleted, its window never made).
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "ComboUI.h"
#include "ComboWnd.h"
#include "ListLabelElementUI.h"
#include "ListTestWindow.h"
#include "ScreenShot.h"
#include "ScrollBarUI.h"
#include "TestUtil.h"

using namespace Veneer;

namespace {

// A combo 24 high over the window's width with `rows` label rows r0, r1, ... 20 high each.
std::wstring ComboXml(int rows, const std::wstring& attrs = L"") {
    std::wstring xml = L"<Window><Combo name=\"combo\" height=\"24\" " + attrs + L">";
    for (int i = 0; i < rows; ++i)
        xml += L"<ListLabelElement name=\"r" + std::to_wstring(i) +
               L"\" height=\"20\" text=\"row\"/>";
    return xml + L"</Combo><Control/></Window>";
}

struct ComboWindow : listtest::ListWindow {
    CComboUI* combo() { return Find<CComboUI>(L"combo"); }
    HWND popup() {
        CComboWnd* wnd = combo()->GetDropWindow();
        return wnd ? wnd->GetHWND() : nullptr;
    }
    // Opens the popup with a click on the face, as a user would. The popup closes when it loses
    // the focus, which a window of another test program may take while this one opens: a popup
    // that never stays open still fails after the third click.
    bool Drop() {
        for (int attempt = 0; attempt < 3; ++attempt) {
            Click(listtest::Centre(combo()->GetPos()));
            // A new top-level window can take seconds to be mapped on a busy machine.
            if (popup() != nullptr && livetest::WaitPainted(popup(), 15000) && popup() != nullptr)
                return true;
        }
        return false;
    }
    bool WaitClosed() {
        return livetest::PumpUntil([this] { return combo()->GetDropWindow() == nullptr; }, 5000);
    }
    // Every row is back under the combo and this window's manager.
    bool RowsHome() {
        for (int i = 0; i < combo()->GetCount(); ++i) {
            CControlUI* row = combo()->GetItemAt(i);
            if (row->GetManager() != &win.Manager() || row->GetParent() != combo()) return false;
        }
        return true;
    }
};

RECT ScreenRect(HWND hwnd) {
    RECT rc = {};
    GetWindowRect(hwnd, &rc);
    return rc;
}

RECT ScreenRectOf(HWND owner, const RECT& client) {
    RECT rc = client;
    MapWindowPoints(owner, HWND_DESKTOP, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

BOOL CALLBACK CountOwnWindow(HWND hwnd, LPARAM param) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == GetCurrentProcessId()) ++*reinterpret_cast<int*>(param);
    return TRUE;
}

int TopLevelWindowsOfProcess() {
    int count = 0;
    EnumWindows(&CountOwnWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

// Refuses the popup's window, as the system may when it runs out of resources.
LRESULT CALLBACK RefuseComboWindows(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        wchar_t name[32] = {};
        GetClassNameW(reinterpret_cast<HWND>(wParam), name, 32);
        if (wcscmp(name, L"ComboWnd") == 0) return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

TEST(ComboTest, PopupHeightFollowsTheRowsUpToTheDropBoxHeight) {
    struct Case {
        const char* what;
        int rows;
        int height;
        bool scrollBar;
    } const cases[] = {
        {"no rows: only the inset and border", 0, 4, false},
        {"three rows and the frame", 3, 64, false},
        {"twenty rows are capped at 150 and scroll", 20, 150, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ComboWindow w;
        ASSERT_TRUE(w.Open(200, 100, ComboXml(c.rows).c_str()));
        ASSERT_TRUE(w.Drop());
        const RECT popup = ScreenRect(w.popup());
        const RECT face = ScreenRectOf(w.hwnd(), w.combo()->GetPos());
        EXPECT_EQ(popup.top, face.bottom) << "opens below the face";
        EXPECT_EQ(popup.left, face.left);
        EXPECT_EQ(popup.right, face.right) << "the face's width without a drop box width";
        EXPECT_EQ(popup.bottom - popup.top, c.height);
        CScrollBarUI* bar = w.combo()->GetDropWindow()->GetLayout()->GetVerticalScrollBar();
        EXPECT_EQ(bar->IsVisible(), c.scrollBar);
        EXPECT_EQ(w.Count(L"dropdown:combo"), 1);
    }
}

TEST(ComboTest, PopupShowsTheRowsOnTheScreenAndOpensUpwardsNearTheBottom) {
    MONITORINFO mi = {};
    mi.cbSize = sizeof(mi);
    GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &mi);
    struct Case {
        const char* what;
        POINT at;
        bool upwards;
        const wchar_t* bmp;
    } const cases[] = {
        {"room below", POINT{40, 40}, false, L"combo-below.bmp"},
        {"near the bottom of the work area", POINT{40, mi.rcWork.bottom - 60}, true,
         L"combo-above.bmp"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ComboWindow w;
        ASSERT_TRUE(w.Open(200, 50, ComboXml(3, L"dropboxsize=\"150,150\"").c_str(), c.at));
        ASSERT_TRUE(w.combo()->SelectItem(1));
        ASSERT_TRUE(w.Drop());
        const RECT popup = ScreenRect(w.popup());
        const RECT face = ScreenRectOf(w.hwnd(), w.combo()->GetPos());
        EXPECT_EQ(popup.right - popup.left, 150) << "the drop box width";
        EXPECT_EQ(popup.bottom - popup.top, 64);
        if (c.upwards)
            EXPECT_EQ(popup.bottom, face.top);
        else
            EXPECT_EQ(popup.top, face.bottom);
        // The popup's own pixels on the screen: its border and the selected row's colour.
        const testutil::Shot shot = testutil::CaptureWhen(w.popup(), 5000, [](const auto& s) {
            return s.width > 0 && s.At(0, 0) == 0xC6C7D2;
        });
        testutil::SaveBmp(shot, c.bmp);
        ASSERT_EQ(shot.height, 64);
        EXPECT_EQ(shot.At(0, 0), 0xC6C7D2u) << "border";
        EXPECT_GT(shot.Count(0xC1E3FF, RECT{1, 22, 149, 41}), 100) << "row 1 is selected";
        EXPECT_EQ(shot.Count(0xC1E3FF, RECT{1, 2, 149, 21}), 0) << "row 0 is not";
    }
}

TEST(ComboTest, PopupInputPicksRestoresOrKeepsTheSelection) {
    struct Input {
        UINT message;
        WPARAM wParam;
    };
    const Input down = {WM_KEYDOWN, VK_DOWN};
    const Input up = {WM_KEYDOWN, VK_UP};
    const Input escape = {WM_KEYDOWN, VK_ESCAPE};
    const Input enter = {WM_KEYDOWN, VK_RETURN};
    const Input wheelDown = {WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA))};
    struct Case {
        const char* what;
        std::vector<Input> input;
        int selected;
        int itemSelects;
    } const cases[] = {
        {"Escape after Down restores the old row", {down, escape}, 0, 2},
        {"Return after Down keeps the new row", {down, enter}, 1, 1},
        {"Return alone changes nothing", {enter}, 0, 0},
        {"Escape alone changes nothing", {escape}, 0, 0},
        {"Up at the first row sends nothing", {up}, 0, 0},
        {"the wheel towards the user picks the next row", {wheelDown}, 1, 1},
    };
    // One window for every case: each window destroyed costs Wine a wait on a bare display.
    ComboWindow w;
    ASSERT_TRUE(w.Open(200, 100, ComboXml(4).c_str()));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(w.combo()->SelectItem(0));
        ASSERT_TRUE(w.Drop());
        w.win.notes.clear();
        const HWND popup = w.popup();
        // All at once, as typed ahead: each key is handled before the close a pick posts.
        for (const Input& in : c.input) PostMessageW(popup, in.message, in.wParam, 0);
        ASSERT_TRUE(w.WaitClosed());
        EXPECT_FALSE(IsWindow(popup));
        EXPECT_EQ(w.combo()->GetCurSel(), c.selected);
        EXPECT_EQ(w.Count(L"itemselect:combo"), c.itemSelects);
        EXPECT_TRUE(w.RowsHome());
        EXPECT_EQ(w.combo()->GetText(), L"row");
    }
}

TEST(ComboTest, KeysOnTheClosedFaceMoveTheSelectionWithoutOpening) {
    ComboWindow w;
    ASSERT_TRUE(w.Open(200, 100, ComboXml(3).c_str()));
    const RECT face = w.combo()->GetPos();
    EXPECT_EQ(w.Paint().Count(face, 0x000000, 160), 0) << "no text without a selection";
    w.combo()->SetFocus();
    ASSERT_TRUE(w.combo()->SelectItem(0));
    EXPECT_GT(w.Paint().Count(face, 0x000000, 160), 10) << "the selected row's text on the face";
    w.win.notes.clear();
    w.Key(VK_UP);
    EXPECT_EQ(w.combo()->GetCurSel(), 0);
    EXPECT_EQ(w.Count(L"itemselect:combo"), 0) << "no row before the first";
    w.Key(VK_END);
    EXPECT_EQ(w.combo()->GetCurSel(), 2);
    EXPECT_EQ(w.Count(L"itemselect:combo"), 1);
    EXPECT_EQ(w.combo()->GetDropWindow(), nullptr);
    EXPECT_TRUE(w.combo()->SelectItem(99)) << "past the end picks the last row";
    EXPECT_EQ(w.combo()->GetCurSel(), 2);
}

TEST(ComboTest, ClickOnTheScrollBarKeepsThePopupOpenAndOnARowPicksIt) {
    ComboWindow w;
    ASSERT_TRUE(w.Open(200, 100, ComboXml(20).c_str()));
    ASSERT_TRUE(w.Drop());
    const HWND popup = w.popup();
    CScrollBarUI* bar = w.combo()->GetDropWindow()->GetLayout()->GetVerticalScrollBar();
    ASSERT_TRUE(bar->IsVisible());
    const POINT onBar = listtest::Centre(bar->GetPos());
    livetest::MouseMove(popup, onBar.x, onBar.y);
    livetest::MouseDown(popup, onBar.x, onBar.y);
    livetest::MouseUp(popup, onBar.x, onBar.y);
    livetest::WaitPainted(popup);
    EXPECT_TRUE(IsWindow(popup)) << "still open after a click on its scroll bar";
    EXPECT_EQ(w.combo()->GetDropWindow()->GetHWND(), popup);

    // The bar may have scrolled the rows: the row that now shows at the point is the one.
    const POINT onRow = {20, 30};
    CControlUI* row = w.combo()->GetDropWindow()->GetManager().LocateControlAt(onRow);
    ASSERT_NE(AsListItem(row), nullptr);
    const int index = AsListItem(row)->GetIndex();
    livetest::MouseMove(popup, onRow.x, onRow.y);
    livetest::MouseDown(popup, onRow.x, onRow.y);
    livetest::MouseUp(popup, onRow.x, onRow.y);
    ASSERT_TRUE(w.WaitClosed());
    EXPECT_EQ(w.combo()->GetCurSel(), index);
    EXPECT_TRUE(w.RowsHome());
}

TEST(ComboTest, RemovingTheSelectedRowSelectsTheNearestSelectableRow) {
    struct Case {
        const char* what;
        int selected;
        std::vector<int> disabled;
        int selectedAfter;
    } const cases[] = {
        {"the row that moved into its place", 1, {}, 1},
        {"the last row: the new last row", 3, {}, 2},
        {"the next row disabled: the row before", 1, {2}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ComboWindow w;
        ASSERT_TRUE(w.Open(200, 100, ComboXml(4).c_str()));
        for (int i : c.disabled) w.combo()->GetItemAt(i)->SetEnabled(false);
        ASSERT_TRUE(w.combo()->SelectItem(c.selected));
        w.win.notes.clear();
        ASSERT_TRUE(w.combo()->RemoveAt(c.selected));
        EXPECT_EQ(w.combo()->GetCurSel(), c.selectedAfter);
        EXPECT_EQ(w.Count(L"itemselect:combo"), 1);
        for (int i = 0; i < w.combo()->GetCount(); ++i)
            EXPECT_EQ(AsListItem(w.combo()->GetItemAt(i))->GetIndex(), i);
    }
}

TEST(ComboTest, RowMovedPastTheEndWhileOpenKeepsIndicesSelectionAndPopupInStep) {
    ComboWindow w;
    ASSERT_TRUE(w.Open(200, 100, ComboXml(4).c_str()));
    ASSERT_TRUE(w.combo()->SelectItem(2));
    CControlUI* selected = w.combo()->GetItemAt(2);
    ASSERT_TRUE(w.Drop());
    CControlUI* r0 = w.combo()->GetItemAt(0);
    EXPECT_FALSE(w.combo()->SetItemIndex(r0, 99)) << "no such place: moved to the end";
    for (int i = 0; i < w.combo()->GetCount(); ++i)
        EXPECT_EQ(AsListItem(w.combo()->GetItemAt(i))->GetIndex(), i);
    EXPECT_EQ(w.combo()->GetItemAt(w.combo()->GetCurSel()), selected);
    // The popup shows it last, and a click there picks it.
    const HWND popup = w.popup();
    livetest::WaitPainted(popup);
    ASSERT_EQ(w.combo()->GetDropWindow()->GetManager().LocateControlAt(POINT{20, 71}), r0);
    livetest::MouseMove(popup, 20, 71);
    livetest::MouseDown(popup, 20, 71);
    livetest::MouseUp(popup, 20, 71);
    ASSERT_TRUE(w.WaitClosed());
    EXPECT_EQ(w.combo()->GetItemAt(w.combo()->GetCurSel()), r0);
}

TEST(ComboTest, RowRemovedWhileOpenLeavesThePopupAtOnce) {
    ComboWindow w;
    ASSERT_TRUE(w.Open(200, 100, ComboXml(0).c_str()));
    for (int i = 0; i < 3; ++i) w.combo()->Add(new livetest::Poisoned<CListLabelElementUI>);
    ASSERT_TRUE(w.Drop());
    ASSERT_TRUE(w.combo()->RemoveAt(1));
    // The row is deleted by the owner window's clean-up; the popup then paints the rest.
    livetest::PumpFor(0);
    InvalidateRect(w.popup(), nullptr, FALSE);
    ASSERT_TRUE(livetest::WaitPainted(w.popup()));
    EXPECT_EQ(w.combo()->GetDropWindow()->GetLayout()->GetCount(), 2);
}

TEST(ComboTest, OwnerLayoutWhileOpenLeavesThePopupRowsInPlace) {
    ComboWindow w;
    ASSERT_TRUE(w.Open(200, 100, ComboXml(3).c_str()));
    ASSERT_TRUE(w.Drop());
    const RECT before = w.combo()->GetItemAt(1)->GetPos();
    ASSERT_FALSE(IsRectEmpty(&before));
    // The owner window lays itself out again, as when it is resized under the open popup.
    SetWindowPos(w.hwnd(), nullptr, 0, 0, 220, 100, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    w.Paint();
    const RECT after = w.combo()->GetItemAt(1)->GetPos();
    EXPECT_TRUE(EqualRect(&before, &after));
}

TEST(ComboTest, PopupEndsAndRowsReturnWhenItsOwnerWindowGoes) {
    struct Case {
        const char* what;
        bool post;  // WM_CLOSE to the owner rather than destroying it outright
    } const cases[] = {{"owner closed", true}, {"owner destroyed", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const int before = TopLevelWindowsOfProcess();
        ComboWindow w;
        ASSERT_TRUE(w.Open(200, 100, ComboXml(3).c_str()));
        const int withOwner = TopLevelWindowsOfProcess();
        ASSERT_TRUE(w.Drop());
        ASSERT_EQ(TopLevelWindowsOfProcess(), withOwner + 1);
        if (c.post)
            PostMessageW(w.hwnd(), WM_CLOSE, 0, 0);
        else
            DestroyWindow(w.hwnd());
        ASSERT_TRUE(livetest::PumpUntil([&] { return !IsWindow(w.hwnd()); }, 5000));
        EXPECT_EQ(w.combo()->GetDropWindow(), nullptr);
        EXPECT_TRUE(w.RowsHome());
        EXPECT_EQ(TopLevelWindowsOfProcess(), before);
    }
}

TEST(ComboTest, ComboDeletedWhileOpenTakesItsPopupWithIt) {
    struct Case {
        const char* what;
        bool viaContainer;  // removed from its container, deleted by the window's clean-up
    } const cases[] = {{"deleted outright", false}, {"removed from its container", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ComboWindow w;
        ASSERT_TRUE(w.Open(200, 100, L"<Window><Control/></Window>"));
        auto* combo = new livetest::Poisoned<CComboUI>;
        combo->SetName(L"combo");
        combo->SetDeclaredHeight(24);
        w.root->Add(combo);
        for (int i = 0; i < 3; ++i) combo->Add(new livetest::Poisoned<CListLabelElementUI>);
        w.Paint();
        const int before = TopLevelWindowsOfProcess();
        ASSERT_TRUE(w.Drop());
        const HWND popup = w.popup();
        if (c.viaContainer) {
            w.root->Remove(combo);
        } else {
            livetest::Detach(w.root, combo);
            delete combo;
        }
        ASSERT_TRUE(livetest::PumpUntil([&] { return !IsWindow(popup); }, 5000));
        EXPECT_EQ(TopLevelWindowsOfProcess(), before);
        w.Paint();
        EXPECT_EQ(w.root->GetCount(), 1);
    }
}

TEST(ComboTest, PopupThatCannotBeMadeLeavesTheComboClosed) {
    ComboWindow w;
    ASSERT_TRUE(w.Open(200, 100, ComboXml(3).c_str()));
    HHOOK hook = SetWindowsHookExW(WH_CBT, &RefuseComboWindows, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    EXPECT_FALSE(w.combo()->Activate());
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(w.combo()->GetDropWindow(), nullptr);
    EXPECT_EQ(w.Count(L"dropdown:combo"), 0);
    EXPECT_TRUE(w.RowsHome());
    ASSERT_TRUE(w.Drop()) << "opens once the system allows it";
}
