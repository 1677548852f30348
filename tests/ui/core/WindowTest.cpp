// Skinned windows built from the test program's own "ZIPRES" skin: the layout on screen, the
// frame's hit test, caption buttons and keys through the message maps, and the failure box.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LiveUiUtil.h"
#include "ScrollBarUI.h"
#include "TestUtil.h"
#include "WindowImplBase.h"

using namespace Veneer;

namespace {

constexpr wchar_t kChildEnv[] = L"VENEER_WINDOW_TEST_CHILD";

class SkinWindow : public WindowImplBase {
public:
    SkinWindow(const wchar_t* layout, UINT resourceId, int kind = kSkinZipResource)
        : m_layout(layout), m_id(resourceId), m_kind(kind) {}
    // A hidden window is destroyed at once; a shown one makes Wine wait for a window manager.
    bool Open(bool visible = true) {
        CWindowManagerUI::SetInstance(::GetModuleHandleW(nullptr));
        ::SetCursorPos(0, 0);
        const DWORD style = WS_POPUP | (visible ? WS_VISIBLE : 0);
        return CreateWnd(nullptr, L"skin test", style, 0, 0, 0, 200, 120) != nullptr;
    }
    LRESULT HitTest(int x, int y) {
        POINT pt = {x, y};
        ::ClientToScreen(m_hWnd, &pt);
        return SendMessage(WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y));
    }

protected:
    const wchar_t* GetRegisteredClassName() const override { return L"VeneerSkinTestWindow"; }
    CUIString GetLayoutFolder() const override { return CUIString(); }
    CUIString GetLayoutFile() const override { return CUIString(m_layout); }
    int GetSkinSourceKind() const override { return m_kind; }
    const wchar_t* GetSkinResourceId() const override { return MAKEINTRESOURCEW(m_id); }

private:
    const wchar_t* m_layout;
    UINT m_id;
    int m_kind;
};

bool Closed(HWND hwnd) {
    return livetest::PumpUntil([&] { return !::IsWindow(hwnd); }, 3000);
}

TEST(SkinnedWindow, LayoutFromTheResourceSkinAppearsAndHitTests) {
    SkinWindow w(L"main.xml", 102);
    ASSERT_TRUE(w.Open());
    livetest::WaitPainted(w);
    ASSERT_NE(w.GetManager().GetRoot(), nullptr);
    // The frame is the layout's own: no caption bits are left.
    EXPECT_EQ(::GetWindowLongPtrW(w, GWL_STYLE) & WS_CAPTION, 0);

    const livetest::Pixels px = livetest::PrintClient(w);
    ASSERT_EQ(px.width, 200);
    EXPECT_EQ(px.At(50, 15), 0x0000FFu);   // caption band
    EXPECT_EQ(px.At(185, 15), 0xFF0000u);  // close button
    EXPECT_EQ(px.At(100, 80), 0x00FF00u);  // body

    struct Hit {
        const char* what;
        int x, y;
        LRESULT expected;
    };
    const Hit hits[] = {
        {"label in the caption band drags", 50, 15, HTCAPTION},
        {"empty part of the caption band drags", 130, 15, HTCAPTION},
        {"a button in the caption band takes clicks", 185, 15, HTCLIENT},
        {"below the caption band", 100, 80, HTCLIENT},
        {"size box corner", 1, 1, HTTOPLEFT},
        {"size box bottom edge", 100, 118, HTBOTTOM},
        {"size box right edge", 198, 60, HTRIGHT},
    };
    for (const Hit& h : hits) EXPECT_EQ(w.HitTest(h.x, h.y), h.expected) << h.what;

    // The close button's click reaches the map's handler, which closes the window.
    livetest::MouseMove(w, 185, 15);
    livetest::MouseDown(w, 185, 15);
    livetest::MouseUp(w, 185, 15);
    EXPECT_TRUE(Closed(w.GetHWND()));
}

// Records the notifications it receives, then routes them as the base does.
class RecordingWindow : public SkinWindow {
public:
    using SkinWindow::SkinWindow;
    std::vector<std::wstring> notes;
    void Notify(TNotification& msg) override {
        notes.push_back(std::wstring(msg.type.GetData()) + L":" +
                        (msg.sender ? msg.sender->GetName().GetData() : L""));
        SkinWindow::Notify(msg);
    }
};

bool Noted(const std::vector<std::wstring>& notes, const wchar_t* note) {
    for (const std::wstring& n : notes)
        if (n == note) return true;
    return false;
}

TEST(SkinnedWindow, LayoutResourceScrollBarAndCaptionButtons) {
    RecordingWindow w(L"201", 0, WindowImplBase::kSkinXmlResource);
    ASSERT_TRUE(w.Open());
    livetest::WaitPainted(w);
    CWindowManagerUI& m = w.GetManager();
    ASSERT_NE(m.GetRoot(), nullptr);

    // A bar of its own (no container owns it) scrolls itself and says so.
    CControlUI* bar = m.LocateControl(L"bar");
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->GetHeight(), 16);
    livetest::MouseMove(w, 195, 8);
    livetest::MouseDown(w, 195, 8);
    livetest::MouseUp(w, 195, 8);
    livetest::WaitPainted(w);
    EXPECT_EQ(static_cast<CScrollBarUI*>(bar->QueryPart(L"ScrollBar"))->GetScrollPos(), 10);
    EXPECT_TRUE(Noted(w.notes, L"scroll:bar"));

    // The minimum tracking size comes from the layout's "mininfo".
    MINMAXINFO mmi = {};
    w.SendMessage(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
    EXPECT_EQ(mmi.ptMinTrackSize.x, 150);
    EXPECT_EQ(mmi.ptMinTrackSize.y, 100);
    EXPECT_GT(mmi.ptMaxTrackSize.x, 0);

    // The maximise button maximises through the map, and swaps with the restore button.
    livetest::MouseMove(w, 100, 25);
    livetest::MouseDown(w, 100, 25);
    livetest::MouseUp(w, 100, 25);
    livetest::PumpUntil([&] { return ::IsZoomed(w) != FALSE; }, 3000);
    EXPECT_TRUE(::IsZoomed(w));
    EXPECT_FALSE(m.LocateControl(L"maxbtn")->IsVisible());
    EXPECT_TRUE(m.LocateControl(L"restorebtn")->IsVisible());
    ::DestroyWindow(w.GetHWND());
}

TEST(SkinnedWindow, SeparatorDragPreviewsThenResizes) {
    SkinWindow w(L"separator.xml", 102);
    ASSERT_TRUE(w.Open());
    livetest::WaitPainted(w);
    CControlUI* top = w.GetManager().LocateControl(L"top");
    ASSERT_NE(top, nullptr);
    ASSERT_EQ(top->GetHeight(), 40);

    livetest::MouseMove(w, 100, 38);
    livetest::MouseDown(w, 100, 38);
    livetest::MouseMove(w, 100, 58);
    livetest::WaitPainted(w);
    // While dragging only a translucent band shows where the edge will go. The band is
    // painted over the finished frame, so it is read from the screen.
    ::UpdateWindow(w);
    HDC screen = ::GetDC(w);
    const COLORREF band = ::GetPixel(screen, 100, 58);
    const COLORREF below = ::GetPixel(screen, 100, 50);
    ::ReleaseDC(w, screen);
    EXPECT_EQ(below, RGB(255, 255, 255));
    EXPECT_LT(GetRValue(band), 0x80);
    EXPECT_EQ(top->GetHeight(), 40);

    livetest::MouseMove(w, 100, 150);  // past the maximum height
    livetest::MouseUp(w, 100, 150);
    livetest::WaitPainted(w);
    EXPECT_EQ(top->GetHeight(), 90);
    const livetest::Pixels px = livetest::PrintClient(w);
    EXPECT_EQ(px.At(100, 50), 0x00FF00u);
    EXPECT_EQ(px.At(100, 95), 0xFFFFFFu);  // no band left behind
    ::DestroyWindow(w.GetHWND());
}

TEST(SkinnedWindow, EscapeCloses) {
    SkinWindow w(L"main.xml", 102);
    ASSERT_TRUE(w.Open());
    livetest::WaitPainted(w);
    const HWND hwnd = w.GetHWND();
    ::PostMessageW(hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(Closed(hwnd));
}

TEST(SkinnedWindow, MissingSkinResourceLeavesAnEmptyWindow) {
    SkinWindow w(L"main.xml", 777);
    ASSERT_TRUE(w.Open());
    livetest::WaitPainted(w);
    EXPECT_TRUE(::IsWindow(w.GetHWND()));
    EXPECT_EQ(w.GetManager().GetRoot(), nullptr);
    ::DestroyWindow(w.GetHWND());
}

// Committed private memory of the process, region by region.
size_t CommittedPrivateBytes() {
    size_t total = 0;
    MEMORY_BASIC_INFORMATION mbi = {};
    for (const BYTE* p = nullptr; ::VirtualQuery(p, &mbi, sizeof(mbi)) == sizeof(mbi);
         p = static_cast<const BYTE*>(mbi.BaseAddress) + mbi.RegionSize) {
        if (mbi.State == MEM_COMMIT && mbi.Type == MEM_PRIVATE) total += mbi.RegionSize;
    }
    return total;
}

TEST(SkinnedWindow, ResourceSkinIsCopiedOnceHoweverManyWindowsOpen) {
    // With the archive not kept open, every window reads the skin from the file named
    // "membuffer" in the skin folder; resource 103 (2 MiB) is only ever copied.
    HMODULE self = ::GetModuleHandleW(nullptr);
    HRSRC res = ::FindResourceW(self, MAKEINTRESOURCEW(102), L"ZIPRES");
    ASSERT_NE(res, nullptr);
    const char* zip = static_cast<const char*>(::LockResource(::LoadResource(self, res)));
    testutil::TempDir dir(L"skin");
    ASSERT_TRUE(testutil::WriteBytes(dir / L"membuffer",
                                     std::string(zip, ::SizeofResource(self, res))));
    CWindowManagerUI::SetSkinRoot(dir.path().c_str());
    CWindowManagerUI::SetSkinZip(L"", false);
    constexpr size_t kResourceBytes = 2u << 20;
    size_t before = 0;
    for (int i = 0; i < 20; ++i) {
        SkinWindow w(L"main.xml", 103);
        ASSERT_TRUE(w.Open(false));
        ASSERT_NE(w.GetManager().GetRoot(), nullptr);
        ::DestroyWindow(w.GetHWND());
        // The first window makes the one copy the process keeps.
        if (i == 0) before = CommittedPrivateBytes();
    }
    EXPECT_EQ(CWindowManagerUI::GetSkinZipName(), L"membuffer");
    const size_t grown = CommittedPrivateBytes() - before;
    EXPECT_LT(grown, 4 * kResourceBytes) << grown << " bytes more after 19 windows";
}

// Runs only inside the child process that the next test starts.
TEST(SkinnedWindow, MissingLayoutChild) {
    if (::GetEnvironmentVariableW(kChildEnv, nullptr, 0) == 0) GTEST_SKIP();
    SkinWindow w(L"no-such-layout.xml", 102);
    w.Open();
    ADD_FAILURE() << "the process should have ended";
}

struct BoxSeen {
    bool found = false;
    bool text = false;
};

BOOL CALLBACK FindBoxText(HWND child, LPARAM param) {
    wchar_t text[64] = {};
    ::GetWindowTextW(child, text, 64);
    if (wcscmp(text, L"加载资源文件失败") == 0) reinterpret_cast<BoxSeen*>(param)->text = true;
    return TRUE;
}

TEST(SkinnedWindow, MissingLayoutShowsTheBoxAndExitsWithOne) {
    ::SetEnvironmentVariableW(kChildEnv, L"1");
    std::wstring cmd = L"\"" + testutil::SelfPath() +
                       L"\" --gtest_filter=SkinnedWindow.MissingLayoutChild";
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    const BOOL started = ::CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr,
                                          nullptr, &si, &pi);
    ::SetEnvironmentVariableW(kChildEnv, nullptr);
    ASSERT_TRUE(started);

    // The watcher: find the box, read it, and dismiss it as the user would.
    BoxSeen seen;
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < 30000 &&
           ::WaitForSingleObject(pi.hProcess, 50) == WAIT_TIMEOUT) {
        HWND box = ::FindWindowW(L"#32770", L"Veneer");
        if (box == nullptr) continue;
        seen.found = true;
        ::EnumChildWindows(box, &FindBoxText, reinterpret_cast<LPARAM>(&seen));
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
    DWORD code = 0;
    if (::WaitForSingleObject(pi.hProcess, 10000) == WAIT_TIMEOUT) ::TerminateProcess(pi.hProcess, 99);
    ::GetExitCodeProcess(pi.hProcess, &code);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    EXPECT_TRUE(seen.found);
    EXPECT_TRUE(seen.text);
    EXPECT_EQ(code, 1u);
}

// ---- message maps ----------------------------------------------------------------------------

class MapWindow : public WindowImplBase {
public:
    const TNotifyMap* GetNotifyMap() const override { return &s_map; }
    std::wstring calls;

    void OnAnyClick(TNotification&) { calls += L"any "; }
    void OnOkClick(WPARAM wParam, LPARAM) { calls += L"ok" + std::to_wstring(wParam) + L" "; }
    void OnFirst(TNotification&) { calls += L"first "; }
    void OnSecond(TNotification&) { calls += L"second "; }

protected:
    const wchar_t* GetRegisteredClassName() const override { return L"VeneerMapTestWindow"; }
    CUIString GetLayoutFolder() const override { return CUIString(); }
    CUIString GetLayoutFile() const override { return CUIString(); }

private:
    static const TNotifyMapEntry s_entries[];
    static const TNotifyMap s_map;
};

const TNotifyMapEntry MapWindow::s_entries[] = {
    NotifyRecordEntry<MapWindow>(L"click", L"", &MapWindow::OnAnyClick),
    NotifyParamsEntry<MapWindow>(L"click", L"ok", &MapWindow::OnOkClick),
    NotifyRecordEntry<MapWindow>(L"select", L"", &MapWindow::OnFirst),
    NotifyRecordEntry<MapWindow>(L"select", L"", &MapWindow::OnSecond),
    NotifyMapEnd(),
};
const TNotifyMap MapWindow::s_map = {&WindowImplBase::GetThisNotifyMap, s_entries};

TEST(NotifyMap, NamedEntryBeforeAnySenderAndTheLaterOfTwo) {
    CControlUI ok, other;
    ok.SetName(L"ok");
    other.SetName(L"other");
    struct Case {
        const wchar_t* type;
        CControlUI* sender;
        WPARAM wParam;
        const wchar_t* calls;
    };
    const Case cases[] = {
        {L"click", &ok, 7, L"ok7 "},
        {L"click", &other, 0, L"any "},
        {L"select", &other, 0, L"second "},
        {L"Click", &ok, 0, L""},  // types compare with case
        {L"timer", &ok, 0, L""},
    };
    for (const Case& c : cases) {
        MapWindow w;
        TNotification n;
        n.type = c.type;
        n.sender = c.sender;
        n.wParam = c.wParam;
        w.Notify(n);
        EXPECT_EQ(w.calls, c.calls) << testutil::Narrow(c.type);
    }
}

}  // namespace
