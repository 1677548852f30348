// The ActiveX host with the project's own test control (activex-testctl/), made through the
// control's module in live windows: creation by class id, program id and module, delayed
// creation, windowless drawing and hit testing, the windowed object's window, the container's
// enumerator and teardown without leaks.
#include <gtest/gtest.h>
#include <ole2.h>

#include <string>

#include "ActiveXCtrl.h"
#include "ActiveXUI.h"
#include "ListTestWindow.h"
#include "ScreenShot.h"
#include "TestUtil.h"
#include "activex-testctl/TestControl.h"

using Veneer::CActiveXCtrl;
using Veneer::CActiveXUI;

namespace {

const wchar_t kModule[] = L"veneer_axtestctl.dll";
const wchar_t kWindowlessText[] = L"{6B1C9E3A-2F4D-4C7B-9A51-3E0D7F2A1B01}";
const wchar_t kWindowedText[] = L"{6B1C9E3A-2F4D-4C7B-9A51-3E0D7F2A1B02}";
const wchar_t kProgId[] = L"VeneerTest.AxControl";
const uint32_t kColour = 0x20C040;  // kTestControlColour as 0xRRGGBB

struct TestModule {
    HMODULE module = LoadLibraryW(kModule);
    LONG Objects() const { return Proc<AxTestCountProc>("AxTestLiveObjects")(); }
    LONG Refs() const { return Proc<AxTestCountProc>("AxTestLiveRefs")(); }
    LONG RunningLocks() const { return Proc<AxTestCountProc>("AxTestRunningLocks")(); }
    std::wstring Log() const {
        wchar_t buffer[8192];
        Proc<AxTestLogProc>("AxTestLog")(buffer, 8192);
        return buffer;
    }
    void Reset() const { Proc<AxTestResetProc>("AxTestReset")(); }
    HRESULT SetCapture(BOOL on) const { return Proc<AxTestSetCaptureProc>("AxTestSetCapture")(on); }
    bool Logged(const std::wstring& line) const {
        return Log().find(line + L"\n") != std::wstring::npos;
    }
    int Count(const std::wstring& line) const {
        const std::wstring log = Log();
        int n = 0;
        for (size_t at = log.find(line + L"\n"); at != std::wstring::npos;
             at = log.find(line + L"\n", at + 1))
            if (at == 0 || log[at - 1] == L'\n') ++n;
        return n;
    }

private:
    template <class P>
    P Proc(const char* name) const {
        return reinterpret_cast<P>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    }
};

class ActiveXTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        ASSERT_NE(ctl.module, nullptr);
        ctl.Reset();
    }
    void TearDown() override {
        // Every object made in a case is gone with its window: nothing may hold on to one.
        EXPECT_EQ(ctl.Objects(), 0);
        EXPECT_EQ(ctl.Refs(), 0);
        EXPECT_EQ(ctl.RunningLocks(), 0);
        OleUninitialize();
    }

    // Removed controls are deleted after the current message: run messages until then.
    bool Gone() {
        return livetest::PumpUntil([&] { return ctl.Objects() == 0; }, 3000);
    }

    // A window with one "ActiveX" element of `attributes` at (10, 10) 120 x 60.
    bool Open(listtest::ListWindow& w, const std::wstring& attributes) {
        const std::wstring xml = L"<Window><HorizontalLayout height=\"80\"><ActiveX name=\"ax\" "
                                 L"float=\"true\" pos=\"10,10,130,70\" " +
                                 attributes + L"/></HorizontalLayout></Window>";
        return w.Open(200, 100, xml.c_str());
    }

    TestModule ctl;
};

TEST_F(ActiveXTest, ClassIdProgramIdAndUnknownText) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, L"VeneerTest.AxControl\\CLSID", 0, nullptr, 0,
                              KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(kWindowlessText),
                   sizeof(kWindowlessText));
    RegCloseKey(key);

    const struct {
        std::wstring clsid;
        bool made;
    } cases[] = {
        {kWindowlessText, true},
        {kProgId, true},
        {L"VeneerTest.NoSuchControl", false},
        {L"{6B1C9E3A-2F4D-4C7B-9A51-3E0D7F2A1BFF}", false},  // the module does not make it
        {L"{6B1C9E3A-2F4D", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.clsid.begin(), c.clsid.end()));
        listtest::ListWindow w;
        ASSERT_TRUE(Open(w, L"modulename=\"" + std::wstring(kModule) + L"\" clsid=\"" + c.clsid +
                                L"\""));
        auto* ax = w.Find<CActiveXUI>(L"ax");
        ASSERT_NE(ax, nullptr);
        IUnknown* object = nullptr;
        EXPECT_EQ(SUCCEEDED(ax->QueryHostedControl(IID_IUnknown,
                                                   reinterpret_cast<void**>(&object))),
                  c.made);
        if (object) object->Release();
        EXPECT_EQ(ctl.Objects(), c.made ? 1 : 0);
    }
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kProgId);
}

TEST_F(ActiveXTest, DelayCreateInEitherOrderAndWithoutAManager) {
    const struct {
        const wchar_t* first;
        const wchar_t* second;
    } orders[] = {{L"clsid", L"delaycreate"}, {L"delaycreate", L"clsid"}};
    listtest::ListWindow w;
    ASSERT_TRUE(w.Open(200, 100, L"<Window><HorizontalLayout/></Window>"));
    for (const auto& order : orders) {
        auto* ax = new CActiveXUI;
        ASSERT_TRUE(w.root->Add(ax));
        ax->ApplyAttribute(L"modulename", kModule);
        for (const wchar_t* name : {order.first, order.second})
            ax->ApplyAttribute(name, wcscmp(name, L"clsid") == 0 ? kWindowlessText : L"false");
        // Made at once, before any layout gave it a place.
        EXPECT_TRUE(ax->IsCreated());
        EXPECT_EQ(ctl.Objects(), 1);
        w.root->Remove(ax);
        EXPECT_TRUE(Gone());
    }

    // With delay on (the default), nothing is made until the control is placed.
    auto* delayed = new CActiveXUI;
    ASSERT_TRUE(w.root->Add(delayed));
    delayed->ApplyAttribute(L"modulename", kModule);
    delayed->ApplyAttribute(L"clsid", kWindowlessText);
    EXPECT_EQ(ctl.Objects(), 0);
    delayed->SetPos(RECT{0, 0, 50, 50});
    EXPECT_EQ(ctl.Objects(), 1);
    w.root->Remove(delayed);
    EXPECT_TRUE(Gone());

    // Without a manager there is no window to activate in: creation waits for one.
    auto* loose = new CActiveXUI;
    loose->ApplyAttribute(L"modulename", kModule);
    loose->ApplyAttribute(L"clsid", kWindowlessText);
    loose->ApplyAttribute(L"delaycreate", L"false");
    EXPECT_FALSE(loose->IsCreated());
    ASSERT_TRUE(w.root->Add(loose));
    EXPECT_TRUE(loose->IsCreated());
    EXPECT_EQ(ctl.Objects(), 1);
    loose->ApplyAttribute(nullptr, L"true");  // a nameless attribute is ignored
    w.root->Remove(loose);
}

TEST_F(ActiveXTest, WindowlessObjectDrawsAndGetsMouseOnlyWhereItHits) {
    listtest::ListWindow w;
    ASSERT_TRUE(Open(w, L"modulename=\"veneer_axtestctl.dll\" clsid=\"" +
                            std::wstring(kWindowlessText) + L"\""));
    auto* ax = w.Find<CActiveXUI>(L"ax");
    ASSERT_NE(ax->GetSite(), nullptr);
    EXPECT_TRUE(ax->GetSite()->IsWindowless());
    EXPECT_EQ(ax->GetHostWindow(), w.hwnd());
    // The frame info the object was handed is complete and carries no accelerator table.
    EXPECT_TRUE(ctl.Logged(L"FrameInfo " + std::to_wstring(sizeof(OLEINPLACEFRAMEINFO))));
    EXPECT_TRUE(ctl.Logged(L"FrameAccelerators 0"));
    EXPECT_TRUE(ctl.Logged(L"UIActiveX"));
    EXPECT_EQ(w.Count(L"showactivex:ax"), 1);

    const livetest::Pixels px = w.Paint();
    EXPECT_EQ(px.Count(RECT{10, 10, 130, 70}, kColour), 120 * 60);
    EXPECT_NE(px.At(5, 5), kColour);

    const std::wstring down = L"OnWindowMessage " + std::to_wstring(WM_LBUTTONDOWN);
    // Activating again (objects may) must not list the control's filter twice.
    BOOL noRedraw = FALSE;
    EXPECT_EQ(ax->GetSite()->OnInPlaceActivateEx(&noRedraw, ACTIVATE_WINDOWLESS), S_OK);
    EXPECT_EQ(ctl.RunningLocks(), 1);
    ctl.Reset();
    w.Click(POINT{30, 40});  // left half: a hit
    EXPECT_EQ(ctl.Count(down), 1);
    ctl.Reset();
    w.Click(POINT{110, 40});  // right half: not the object's
    EXPECT_EQ(ctl.Count(down), 0);
    // Holding the capture, the object gets the mouse wherever it is.
    ASSERT_EQ(ctl.SetCapture(TRUE), S_OK);
    w.Click(POINT{110, 40});
    EXPECT_EQ(ctl.Count(down), 1);
    ASSERT_EQ(ctl.SetCapture(FALSE), S_OK);
    ctl.Reset();
    w.Click(POINT{110, 40});
    EXPECT_EQ(ctl.Count(down), 0);

    // The cursor question is answered where the pointer is: its lParam holds codes, no point.
    const std::wstring cursor = L"OnWindowMessage " + std::to_wstring(WM_SETCURSOR);
    for (const POINT at : {POINT{30, 40}, POINT{110, 40}}) {
        livetest::MouseMove(w.hwnd(), at.x, at.y);
        livetest::PumpFor(20);
        ctl.Reset();
        SendMessageW(w.hwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(w.hwnd()),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(ctl.Count(cursor) > 0, at.x == 30) << at.x;
    }

    // Keys reach the object only while its control has the focus, which the object asks for.
    const std::wstring key = L"OnWindowMessage " + std::to_wstring(WM_KEYDOWN);
    w.win.Manager().SetFocus(nullptr);  // the clicks outside the object's hit focused it
    ASSERT_FALSE(ax->IsFocused());
    ctl.Reset();
    w.Key('A');
    EXPECT_EQ(ctl.Count(key), 0);
    EXPECT_EQ(ax->GetSite()->SetFocus(TRUE), S_OK);
    ASSERT_TRUE(ax->IsFocused());
    w.Key('A');
    EXPECT_EQ(ctl.Count(key), 1);

    // Windowless, the object draws where the host paints it: no drawing context of its own.
    HDC dc = reinterpret_cast<HDC>(1);
    EXPECT_EQ(ax->GetSite()->GetDC(nullptr, 0, &dc), S_FALSE);
    EXPECT_EQ(dc, nullptr);

    // No ambient properties are offered: the object keeps its own defaults.
    IDispatch* ambient = nullptr;
    EXPECT_EQ(ax->GetSite()->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&ambient)),
              E_NOINTERFACE);

    // The object ends only a capture its control holds: not another window's, also not one
    // taken from it; and its own capture ends when it is let go.
    HWND other = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 5, 5, w.hwnd(),
                                 nullptr, nullptr, nullptr);
    for (const bool objectHadIt : {false, true}) {
        if (objectHadIt) {
            ASSERT_EQ(ctl.SetCapture(TRUE), S_OK);
        }
        ::SetCapture(other);
        EXPECT_EQ(ctl.SetCapture(FALSE), S_OK);
        EXPECT_EQ(::GetCapture(), other) << objectHadIt;
    }
    ::ReleaseCapture();
    DestroyWindow(other);
    ASSERT_EQ(ctl.SetCapture(TRUE), S_OK);
    ASSERT_EQ(::GetCapture(), w.hwnd());
    ax->ReleaseHostedControl();
    EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(ActiveXTest, WindowedObjectWindowCoversTheControl) {
    listtest::ListWindow w;
    ASSERT_TRUE(Open(w, L"modulename=\"veneer_axtestctl.dll\" clsid=\"" +
                            std::wstring(kWindowedText) + L"\""));
    auto* ax = w.Find<CActiveXUI>(L"ax");
    ASSERT_NE(ax->GetSite(), nullptr);
    EXPECT_FALSE(ax->GetSite()->IsWindowless());
    HWND own = FindWindowExW(w.hwnd(), nullptr, L"ActiveXWnd", L"UIActiveX");
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(ax->GetHostWindow(), own);
    RECT rc;
    GetWindowRect(own, &rc);
    MapWindowPoints(nullptr, w.hwnd(), reinterpret_cast<POINT*>(&rc), 2);
    EXPECT_TRUE(EqualRect(&rc, &ax->GetPos()));
    // The object itself was placed at its window's origin.
    EXPECT_TRUE(ctl.Logged(L"SetObjectRects 0"));
    EXPECT_TRUE(ctl.Logged(L"FrameInfo " + std::to_wstring(sizeof(OLEINPLACEFRAMEINFO))));

    // A windowed object may draw through its host window (its own child covers it all).
    HDC dc = nullptr;
    ASSERT_EQ(ax->GetSite()->GetDC(nullptr, OLEDC_PAINTBKGND, &dc), S_OK);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(ax->GetSite()->ReleaseDC(dc), S_OK);
    EXPECT_EQ(ax->GetSite()->InvalidateRect(nullptr, FALSE), S_OK);

    ax->SetPos(RECT{40, 20, 100, 60});
    GetWindowRect(own, &rc);
    MapWindowPoints(nullptr, w.hwnd(), reinterpret_cast<POINT*>(&rc), 2);
    EXPECT_TRUE(EqualRect(&rc, &ax->GetPos()));
    ax->SetVisible(false);
    EXPECT_FALSE(IsWindowVisible(own));
}

TEST_F(ActiveXTest, EnumeratorHandsOutTheObjectOnce) {
    listtest::ListWindow w;
    ASSERT_TRUE(Open(w, L"modulename=\"veneer_axtestctl.dll\" clsid=\"" +
                            std::wstring(kWindowlessText) + L"\""));
    auto* ax = w.Find<CActiveXUI>(L"ax");
    IOleContainer* container = nullptr;
    ASSERT_EQ(ax->GetSite()->QueryInterface(IID_IOleContainer,
                                            reinterpret_cast<void**>(&container)),
              S_OK);
    IEnumUnknown* items = nullptr;
    ASSERT_EQ(container->EnumObjects(OLECONTF_EMBEDDINGS, &items), S_OK);
    container->Release();

    IUnknown* item = nullptr;
    ULONG fetched = 7;
    EXPECT_EQ(items->Next(0, &item, &fetched), S_OK);  // nothing asked, nothing handed
    EXPECT_EQ(fetched, 0u);
    EXPECT_EQ(items->Next(1, &item, nullptr), S_OK);  // one asked: the count may be left out
    ASSERT_NE(item, nullptr);
    item->Release();
    EXPECT_EQ(items->Next(1, &item, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
    EXPECT_EQ(item, nullptr);
    EXPECT_EQ(items->Next(2, &item, nullptr), E_POINTER);
    EXPECT_EQ(items->Reset(), S_OK);
    EXPECT_EQ(items->Next(1, &item, &fetched), S_OK);
    EXPECT_EQ(fetched, 1u);
    item->Release();
    items->Release();
}

TEST_F(ActiveXTest, SiteAndObjectOutlivingTheControl) {
    CActiveXCtrl* site = nullptr;
    IOleObject* object = nullptr;
    {
        listtest::ListWindow w;
        ASSERT_TRUE(Open(w, L"modulename=\"veneer_axtestctl.dll\" clsid=\"" +
                                std::wstring(kWindowlessText) + L"\""));
        auto* ax = w.Find<CActiveXUI>(L"ax");
        site = ax->GetSite();
        ASSERT_NE(site, nullptr);
        site->AddRef();
        ASSERT_EQ(ax->QueryHostedControl(IID_IOleObject, reinterpret_cast<void**>(&object)),
                  S_OK);
        EXPECT_EQ(ctl.Objects(), 1);
    }
    // The window and its control are gone: the object was closed once and cut off from the
    // site, and only the reference held here keeps it.
    EXPECT_EQ(ctl.Count(L"Close"), 1);
    EXPECT_TRUE(ctl.Logged(L"SetClientSite null"));
    EXPECT_TRUE(ctl.Logged(L"SetSite null"));
    EXPECT_EQ(ctl.Objects(), 1);
    EXPECT_EQ(ctl.Refs(), 1);
    EXPECT_EQ(ctl.RunningLocks(), 0);  // closed: no longer kept running
    object->Release();
    EXPECT_EQ(ctl.Objects(), 0);
    HWND hwnd = nullptr;
    IEnumUnknown* items = nullptr;
    EXPECT_EQ(site->ShowObject(), E_UNEXPECTED);
    EXPECT_EQ(site->GetWindow(&hwnd), E_UNEXPECTED);
    EXPECT_EQ(site->EnumObjects(OLECONTF_EMBEDDINGS, &items), E_UNEXPECTED);
    EXPECT_EQ(site->GetContainer(nullptr), E_POINTER);
    EXPECT_EQ(site->GetWindowContext(nullptr, nullptr, nullptr, nullptr, nullptr), E_POINTER);
    EXPECT_EQ(site->SetSite(nullptr), S_OK);
    EXPECT_EQ(site->SetCapture(TRUE), E_UNEXPECTED);
    EXPECT_EQ(site->InvalidateRect(nullptr, TRUE), E_UNEXPECTED);
    EXPECT_EQ(site->InvalidateRgn(nullptr, TRUE), E_UNEXPECTED);
    site->Release();
}

TEST_F(ActiveXTest, SkinnedWindowHostsTheControl) {
    listtest::ListWindow w;
    ASSERT_TRUE(w.Open(240, 120,
                       L"<Window><VerticalLayout bkcolor=\"#FF303060\" inset=\"20,20,20,20\">"
                       L"<ActiveX name=\"ax\" modulename=\"veneer_axtestctl.dll\" clsid=\""
                       L"{6B1C9E3A-2F4D-4C7B-9A51-3E0D7F2A1B01}\"/></VerticalLayout></Window>"));
    const testutil::Shot shot = testutil::CaptureWhen(w.hwnd(), 5000, [&](const testutil::Shot& s) {
        livetest::PumpFor(10);
        return s.width > 120 && s.height > 60 && s.At(120, 60) == kColour;
    });
    testutil::SaveBmp(shot, L"activex-window.bmp");
    ASSERT_GT(shot.width, 120);
    EXPECT_EQ(shot.At(120, 60), kColour);
    EXPECT_NE(shot.At(5, 5), kColour);
}

}  // namespace
