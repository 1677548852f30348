// The native window wrapper: class registration, the object bound to its window (also above
// 4 GiB), superclassing a system class, the modal loop's result codes and centring.
#include <gtest/gtest.h>

#include <new>
#include <string>

#include "WindowManagerUI.h"
#include "WindowWnd.h"

using Veneer::CWindowManagerUI;
using Veneer::CWindowWnd;

namespace {

constexpr UINT kWhoAmI = WM_APP + 1;
constexpr UINT kDestroyMe = WM_APP + 2;
constexpr UINT kCheckOwner = WM_APP + 3;

class PlainWnd : public CWindowWnd {
public:
    bool ownerEnabledInLoop = true;
    bool destroyedCalled = false;

protected:
    const wchar_t* GetRegisteredClassName() const override { return L"VeneerPlainTestWnd"; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kWhoAmI) return reinterpret_cast<LRESULT>(this);
        if (message == kDestroyMe) {
            DestroyWindow(GetHWND());
            return 0;
        }
        if (message == kCheckOwner) {
            ownerEnabledInLoop = IsWindowEnabled(GetWindow(GetHWND(), GW_OWNER)) != FALSE;
            return 0;
        }
        return CWindowWnd::HandleMessage(message, wParam, lParam);
    }
    void OnWindowDestroyed(HWND) override { destroyedCalled = true; }
};

class EditWnd : public CWindowWnd {
public:
    WNDPROC Previous() const { return m_prevWndProc; }

protected:
    const wchar_t* GetRegisteredClassName() const override { return L"VeneerEditTestWnd"; }
    const wchar_t* GetSuperclassSource() const override { return L"Edit"; }
};

class WindowWndTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (CWindowManagerUI::GetInstance() == nullptr)
            CWindowManagerUI::SetInstance(GetModuleHandleW(nullptr));
    }
};

TEST_F(WindowWndTest, ObjectBindingSurvivesTheRoundTripAbove4GiB) {
    // Top-down allocation puts the object high in the 64-bit address space, where a pointer
    // kept in 32 bits would lose its upper half.
    void* mem = VirtualAlloc(nullptr, sizeof(PlainWnd), MEM_RESERVE | MEM_COMMIT | MEM_TOP_DOWN,
                             PAGE_READWRITE);
    ASSERT_NE(mem, nullptr);
    auto* high = new (mem) PlainWnd;
    PlainWnd low;
    ASSERT_NE(high->CreateWnd(nullptr, L"high", WS_POPUP, 0), nullptr);
    ASSERT_NE(low.CreateWnd(nullptr, L"low", WS_POPUP, 0), nullptr) << "the class is registered once";
    if (sizeof(void*) == 8) {
        EXPECT_GT(reinterpret_cast<uintptr_t>(high), 0xFFFFFFFFull);
    }
    EXPECT_EQ(SendMessageW(high->GetHWND(), kWhoAmI, 0, 0), reinterpret_cast<LRESULT>(high));
    EXPECT_EQ(SendMessageW(low.GetHWND(), kWhoAmI, 0, 0), reinterpret_cast<LRESULT>(&low));
    HWND hwnd = high->GetHWND();
    DestroyWindow(hwnd);
    EXPECT_EQ(high->GetHWND(), nullptr);
    EXPECT_TRUE(high->destroyedCalled);
    EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_USERDATA), 0);
    DestroyWindow(low.GetHWND());
    high->~PlainWnd();
    VirtualFree(mem, 0, MEM_RELEASE);
}

TEST_F(WindowWndTest, SuperclassedSystemClassKeepsTheSystemProcedure) {
    EditWnd edit;
    HWND hwnd = edit.CreateWnd(nullptr, L"", WS_POPUP, 0, 0, 0, 100, 20);
    ASSERT_NE(hwnd, nullptr);
    WNDCLASSEXW system = {};
    system.cbSize = sizeof(system);
    ASSERT_TRUE(GetClassInfoExW(nullptr, L"Edit", &system));
    EXPECT_EQ(edit.Previous(), system.lpfnWndProc);
    EXPECT_EQ(GetPropW(hwnd, L"WndX"), &edit);
    // Text handling is the system edit's own.
    SetWindowTextW(hwnd, L"typed");
    wchar_t buf[16] = {};
    GetWindowTextW(hwnd, buf, 16);
    EXPECT_STREQ(buf, L"typed");
    EXPECT_EQ(SendMessageW(hwnd, EM_GETLIMITTEXT, 0, 0) > 0, true);
    DestroyWindow(hwnd);
    EXPECT_EQ(edit.GetHWND(), nullptr);
}

TEST_F(WindowWndTest, RunModalAnswersTheCloseCode) {
    struct Case {
        const char* what;
        bool withOwner;
        void (*start)(PlainWnd&);
        UINT expected;
        bool quitReposted;
    };
    const Case cases[] = {
        {"closed with a code", false, [](PlainWnd& w) { w.CloseWnd(7); }, 7, false},
        {"closed with a code, owned", true, [](PlainWnd& w) { w.CloseWnd(9); }, 9, false},
        {"destroyed without WM_CLOSE", false,
         [](PlainWnd& w) { w.PostMessage(kDestroyMe); }, 0, false},
        {"quit during the loop", false, [](PlainWnd&) { PostQuitMessage(3); }, 0, true},
    };
    for (const Case& c : cases) {
        PlainWnd owner;
        HWND ownerHwnd = nullptr;
        if (c.withOwner) {
            ownerHwnd = owner.CreateWnd(nullptr, L"owner", WS_POPUP | WS_VISIBLE, 0, 0, 0, 50, 50);
            ASSERT_NE(ownerHwnd, nullptr);
        }
        PlainWnd modal;
        ASSERT_NE(modal.CreateWnd(ownerHwnd, L"modal", WS_POPUP, 0, 10, 10, 50, 50), nullptr);
        modal.PostMessage(kCheckOwner);
        c.start(modal);
        EXPECT_EQ(modal.RunModal(), c.expected) << c.what;
        if (c.withOwner) {
            EXPECT_FALSE(modal.ownerEnabledInLoop) << "owner disabled while modal";
            EXPECT_TRUE(IsWindowEnabled(ownerHwnd)) << "owner enabled again";
        }
        MSG msg;
        const bool quit = PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
        EXPECT_EQ(quit, c.quitReposted) << c.what;
        if (quit) {
            EXPECT_EQ(msg.wParam, 3u);
        }
        if (IsWindow(modal.GetHWND())) DestroyWindow(modal.GetHWND());
        if (ownerHwnd) DestroyWindow(ownerHwnd);
    }
}

TEST_F(WindowWndTest, IconsAreReleasedWithTheWindowOrTheirReplacement) {
    auto alive = [](HICON icon) {
        ICONINFO info = {};
        if (!GetIconInfo(icon, &info)) return false;
        if (info.hbmColor) DeleteObject(info.hbmColor);
        if (info.hbmMask) DeleteObject(info.hbmMask);
        return true;
    };
    PlainWnd w;
    HWND hwnd = w.CreateWnd(nullptr, L"icons", WS_POPUP, 0, 0, 0, 50, 50);
    ASSERT_NE(hwnd, nullptr);
    w.SetWndIcon(101);
    auto big = reinterpret_cast<HICON>(SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0));
    auto smallIcon = reinterpret_cast<HICON>(SendMessageW(hwnd, WM_GETICON, ICON_SMALL, 0));
    ASSERT_NE(big, nullptr);
    ASSERT_NE(smallIcon, nullptr);
    EXPECT_TRUE(alive(big));
    w.SetWndIcon(101);
    auto big2 = reinterpret_cast<HICON>(SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0));
    EXPECT_NE(big2, big);
    EXPECT_FALSE(alive(big)) << "the replaced icon is released";
    EXPECT_FALSE(alive(smallIcon));
    DestroyWindow(hwnd);
    EXPECT_FALSE(alive(big2)) << "the window's icon goes with it";
}

TEST_F(WindowWndTest, CentringOverOwnerStaysInTheWorkArea) {
    MONITORINFO mi = {};
    mi.cbSize = sizeof(mi);
    GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &mi);
    const RECT work = mi.rcWork;
    struct Case {
        const char* what;
        bool owned;
        RECT owner;
        SIZE size;
        int x, y;
    };
    const Case cases[] = {
        {"no owner: centred on the work area", false, {}, {200, 100},
         (work.left + work.right) / 2 - 100, (work.top + work.bottom) / 2 - 50},
        {"centred on the owner", true, {300, 300, 500, 400}, {100, 50}, 350, 325},
        {"held inside the right edge", true, {work.right - 100, 300, work.right, 400},
         {300, 50}, work.right - 300, 325},
        {"held inside the top-left corner", true, {work.left, work.top, work.left + 100,
         work.top + 100}, {300, 200}, work.left, work.top},
    };
    for (const Case& c : cases) {
        PlainWnd owner;
        HWND ownerHwnd = nullptr;
        if (c.owned) {
            ownerHwnd = owner.CreateWnd(nullptr, L"owner", WS_POPUP, 0, c.owner);
            ASSERT_NE(ownerHwnd, nullptr);
        }
        PlainWnd w;
        ASSERT_NE(w.CreateWnd(ownerHwnd, L"centre", WS_POPUP, 0, 5, 5, c.size.cx, c.size.cy),
                  nullptr);
        w.CenterOverOwner();
        RECT rc;
        GetWindowRect(w.GetHWND(), &rc);
        EXPECT_EQ(rc.left, c.x) << c.what;
        EXPECT_EQ(rc.top, c.y) << c.what;
        DestroyWindow(w.GetHWND());
        if (ownerHwnd) DestroyWindow(ownerHwnd);
    }
}

}  // namespace
