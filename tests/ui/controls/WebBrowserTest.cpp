// The web browser control's COM side, driven directly with fake handlers, documents and
// windows (the test prefixes have no HTML engine): the event table, the document hook-up, script
// errors, the UI handler's defaults, the download service, the interface rules and the
// accelerator walk over real windows.
#include <gtest/gtest.h>

#include <windows.h>
#include <exdispid.h>
#include <mshtmhst.h>

#include <string>
#include <vector>

#include "BrowserAccelerator.h"
#include "BrowserEventSink.h"
#include "BrowserEvents.h"
#include "BrowserGuids.h"
#include "ListTestWindow.h"
#include "TestUtil.h"
#include "WebBrowserCom.h"
#include "WebBrowserUI.h"

using namespace Veneer;

namespace {

// Records each call with its plain arguments; the UI-handler questions answer 0x100 + slot.
class RecordingSink : public CBrowserEventSink {
public:
    std::vector<std::wstring> calls;
    IDispatch* lastDisp = nullptr;
    VARIANT* lastUrl = nullptr;
    VARIANT_BOOL* lastCancel = nullptr;

    void BeforeNavigate2(IDispatch* d, VARIANT*& url, VARIANT*&, VARIANT*&, VARIANT*&, VARIANT*&,
                         VARIANT_BOOL*& cancel) override {
        Note(L"before", d, url, cancel);
    }
    void NavigateError(IDispatch* d, VARIANT*& url, VARIANT*&, VARIANT*&,
                       VARIANT_BOOL*& cancel) override {
        Note(L"error", d, url, cancel);
    }
    void NavigateComplete2(IDispatch* d, VARIANT*& url) override {
        Note(L"complete", d, url, nullptr);
    }
    void ProgressChange(LONG, LONG) override { calls.push_back(L"progress"); }
    void NewWindow3(IDispatch** d, VARIANT_BOOL*& cancel, DWORD flags, BSTR, BSTR url) override {
        calls.push_back(L"newwindow:" + std::to_wstring(flags) + L":" + url);
        lastDisp = d ? *d : nullptr;
        lastCancel = cancel;
    }
    void CommandStateChange(long command, VARIANT_BOOL enable) override {
        calls.push_back(L"command:" + std::to_wstring(command) + L":" + std::to_wstring(enable));
    }
    STDMETHODIMP ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override { return 0x100; }
    STDMETHODIMP GetHostInfo(DOCHOSTUIINFO*) override { return 0x101; }
    STDMETHODIMP ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                        IOleInPlaceUIWindow*) override {
        return 0x102;
    }
    STDMETHODIMP HideUI() override { return 0x103; }
    STDMETHODIMP UpdateUI() override { return 0x104; }
    STDMETHODIMP EnableModeless(BOOL) override { return 0x105; }
    STDMETHODIMP OnDocWindowActivate(BOOL) override { return 0x106; }
    STDMETHODIMP OnFrameWindowActivate(BOOL) override { return 0x107; }
    STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return 0x108; }
    STDMETHODIMP TranslateAccelerator(LPMSG, const GUID*, DWORD) override { return 0x109; }
    STDMETHODIMP GetOptionKeyPath(LPOLESTR*, DWORD) override { return 0x10A; }
    STDMETHODIMP GetDropTarget(IDropTarget*, IDropTarget**) override { return 0x10B; }
    STDMETHODIMP GetExternal(IDispatch**) override { return 0x10C; }
    STDMETHODIMP TranslateUrl(DWORD, LPWSTR, LPWSTR*) override { return 0x10D; }
    STDMETHODIMP FilterDataObject(IDataObject*, IDataObject**) override { return 0x10E; }
    HRESULT Download(IMoniker*, IBindCtx*, DWORD, LONG, BINDINFO*, LPCOLESTR, LPCOLESTR,
                     UINT codePage) override {
        calls.push_back(L"download:" + std::to_wstring(codePage));
        return E_ABORT;
    }

private:
    void Note(const wchar_t* what, IDispatch* d, VARIANT* url, VARIANT_BOOL* cancel) {
        calls.push_back(what);
        lastDisp = d;
        lastUrl = url;
        lastCancel = cancel;
    }
};

// The COM side alone, with no browser and a host window a test may name.
class BareBrowser : public CWebBrowserCom {
public:
    HWND host = nullptr;

protected:
    IWebBrowser2* HostedBrowser() const override { return nullptr; }
    HWND BrowserHostWindow() const override { return host; }
};

// A COM object with a live count, answering only the interfaces a test gives it.
template <class Iface>
class CountedFake : public Iface {
public:
    LONG refs = 1;
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        *out = nullptr;
        if (!Answers(riid)) return E_NOINTERFACE;
        *out = this;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }

protected:
    virtual bool Answers(REFIID riid) const = 0;
};

// A document that takes a UI handler.
class FakeDocument : public CountedFake<ICustomDoc> {
public:
    IDocHostUIHandler* handler = nullptr;
    bool custom = true;
    STDMETHODIMP SetUIHandler(IDocHostUIHandler* h) override {
        handler = h;
        return S_OK;
    }

protected:
    bool Answers(REFIID riid) const override {
        return IsEqualIID(riid, IID_IUnknown) || (custom && IsEqualIID(riid, kIidCustomDoc));
    }
};

// A browser's in-place object that consumes every key it is offered.
class FakeActive : public CountedFake<IOleInPlaceActiveObject> {
public:
    bool active = true;
    std::vector<UINT> translated;
    STDMETHODIMP GetWindow(HWND*) override { return E_NOTIMPL; }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(LPMSG msg) override {
        translated.push_back(msg->message);
        return S_OK;
    }
    STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }

protected:
    bool Answers(REFIID riid) const override {
        return IsEqualIID(riid, IID_IUnknown) ||
               (active && IsEqualIID(riid, IID_IOleInPlaceActiveObject));
    }
};

VARIANT Ref(VARIANT* v) { VARIANT r; r.vt = VT_BYREF | VT_VARIANT; r.pvarVal = v; return r; }
VARIANT RefBool(VARIANT_BOOL* b) { VARIANT r; r.vt = VT_BYREF | VT_BOOL; r.pboolVal = b; return r; }
VARIANT Disp(IDispatch* d) { VARIANT r; r.vt = VT_DISPATCH; r.pdispVal = d; return r; }

}  // namespace

// Each handled event reaches the handler with its arguments taken from the right end of the
// stored list; any other event, a foreign iid or a short or mistyped list reaches nobody.
TEST(WebBrowserEvents, TableRoutesArgumentsAndRefusesTheRest) {
    BareBrowser browser;
    RecordingSink sink;
    browser.SetEventHandler(&sink);
    IDispatch* frame = &browser;  // any dispatch pointer will do as the event's frame
    VARIANT url, other;
    VariantInit(&url);
    VariantInit(&other);
    VARIANT_BOOL cancel = VARIANT_FALSE;
    auto invoke = [&](DISPID id, DISPPARAMS* params, REFIID iid = IID_NULL) {
        return browser.Invoke(id, iid, 0, DISPATCH_METHOD, params, nullptr, nullptr, nullptr);
    };

    VARIANT before[7] = {RefBool(&cancel), Ref(&other), Ref(&other), Ref(&other), Ref(&other),
                         Ref(&url), Disp(frame)};
    DISPPARAMS p = {before, nullptr, 7, 0};
    EXPECT_EQ(S_OK, invoke(DISPID_BEFORENAVIGATE2, &p));
    EXPECT_EQ(frame, sink.lastDisp);
    EXPECT_EQ(&url, sink.lastUrl);
    EXPECT_EQ(&cancel, sink.lastCancel);

    VARIANT error[5] = {RefBool(&cancel), Ref(&other), Ref(&other), Ref(&url), Disp(frame)};
    p = {error, nullptr, 5, 0};
    EXPECT_EQ(S_OK, invoke(DISPID_NAVIGATEERROR, &p));
    EXPECT_EQ(&url, sink.lastUrl);

    VARIANT complete[2] = {Ref(&other), Disp(frame)};
    p = {complete, nullptr, 2, 0};
    EXPECT_EQ(S_OK, invoke(DISPID_NAVIGATECOMPLETE2, &p));
    EXPECT_EQ(&other, sink.lastUrl);

    VARIANT command[2];
    command[1].vt = VT_I4;
    command[1].lVal = 2;
    command[0].vt = VT_BOOL;
    command[0].boolVal = VARIANT_TRUE;
    p = {command, nullptr, 2, 0};
    EXPECT_EQ(S_OK, invoke(DISPID_COMMANDSTATECHANGE, &p));

    IDispatch* opened = frame;
    VARIANT window[5];
    window[4].vt = VT_BYREF | VT_DISPATCH;
    window[4].ppdispVal = &opened;
    window[3] = RefBool(&cancel);
    window[2].vt = VT_I4;
    window[2].lVal = 6;
    window[1].vt = VT_BSTR;
    window[1].bstrVal = SysAllocString(L"ctx");
    window[0].vt = VT_BSTR;
    window[0].bstrVal = SysAllocString(L"http://x/");
    p = {window, nullptr, 5, 0};
    EXPECT_EQ(S_OK, invoke(DISPID_NEWWINDOW3, &p));
    SysFreeString(window[1].bstrVal);
    SysFreeString(window[0].bstrVal);

    p = {nullptr, nullptr, 0, 0};
    EXPECT_EQ(S_OK, invoke(DISPID_STATUSTEXTCHANGE, &p));
    EXPECT_EQ((std::vector<std::wstring>{L"before", L"error", L"complete", L"command:2:-1",
                                         L"newwindow:6:http://x/"}),
              sink.calls);

    // Refused: nothing more reaches the handler.
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, invoke(DISPID_DOCUMENTCOMPLETE, &p));
    EXPECT_EQ(E_INVALIDARG, invoke(DISPID_STATUSTEXTCHANGE, &p, IID_IDispatch));
    p = {before + 1, nullptr, 6, 0};  // one argument short
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, invoke(DISPID_BEFORENAVIGATE2, &p));
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, invoke(DISPID_NAVIGATECOMPLETE2, nullptr));
    VARIANT swapped[2] = {Disp(frame), Ref(&url)};  // frame and url in each other's places
    p = {swapped, nullptr, 2, 0};
    EXPECT_EQ(DISP_E_TYPEMISMATCH, invoke(DISPID_NAVIGATECOMPLETE2, &p));
    EXPECT_EQ(5u, sink.calls.size());

    // Without a handler the events are still answered, and a completed navigation without a
    // browser hooks nothing up.
    browser.SetEventHandler(nullptr);
    p = {complete, nullptr, 2, 0};
    EXPECT_EQ(S_OK, invoke(DISPID_NAVIGATECOMPLETE2, &p));
    EXPECT_EQ(0, browser.ComRefCount());
}

// The document takes the control's UI handler; every reference taken is given back, also when
// the document takes no handler.
TEST(WebBrowserEvents, DocumentHookUpBalancesReferences) {
    BareBrowser browser;
    FakeDocument document;
    EXPECT_EQ(S_OK, SetDocumentUIHandler(&document, &browser));
    EXPECT_EQ(static_cast<IDocHostUIHandler*>(&browser), document.handler);
    EXPECT_EQ(1, document.refs);

    FakeDocument plain;
    plain.custom = false;
    EXPECT_EQ(E_NOINTERFACE, SetDocumentUIHandler(&plain, &browser));
    EXPECT_EQ(nullptr, plain.handler);
    EXPECT_EQ(1, plain.refs);
    EXPECT_EQ(E_POINTER, SetDocumentUIHandler(nullptr, &browser));
    EXPECT_EQ(E_POINTER, HookDocumentUIHandler(static_cast<IWebBrowser2*>(nullptr), &browser));
}

// Script errors are swallowed (VARIANT_TRUE) whatever the input carries; other groups and
// commands are refused and leave the output alone; a missing output is refused.
TEST(WebBrowserCommands, ScriptErrorsAreSwallowedAndInputsChecked) {
    BareBrowser browser;
    FakeDocument notADocument;
    struct Case {
        const GUID* group;
        DWORD command;
        VARTYPE inType;  // VT_EMPTY: no input at all
        HRESULT expected;
        bool swallowed;
    } cases[] = {
        {nullptr, 40, VT_EMPTY, OLECMDERR_E_UNKNOWNGROUP, false},
        {&IID_IDispatch, 40, VT_EMPTY, OLECMDERR_E_UNKNOWNGROUP, false},
        {&kCgidDocHostCommandHandler, 41, VT_EMPTY, OLECMDERR_E_NOTSUPPORTED, false},
        {&kCgidDocHostCommandHandler, 40, VT_EMPTY, S_OK, true},
        {&kCgidDocHostCommandHandler, 40, VT_I4, S_OK, true},
        {&kCgidDocHostCommandHandler, 40, VT_UNKNOWN, S_OK, true},
    };
    for (const Case& c : cases) {
        VARIANT in;
        VariantInit(&in);
        in.vt = c.inType;
        in.punkVal = c.inType == VT_UNKNOWN ? static_cast<IUnknown*>(&notADocument) : nullptr;
        VARIANT out;
        VariantInit(&out);
        EXPECT_EQ(c.expected, browser.Exec(c.group, c.command, 0,
                                           c.inType == VT_EMPTY ? nullptr : &in, &out))
            << c.command << " " << c.inType;
        EXPECT_EQ(c.swallowed ? VT_BOOL : VT_EMPTY, out.vt);
        if (c.swallowed) {
            EXPECT_EQ(VARIANT_TRUE, out.boolVal);
        }
    }
    EXPECT_EQ(1, notADocument.refs);
    EXPECT_EQ(E_POINTER, browser.Exec(&kCgidDocHostCommandHandler, 40, 0, nullptr, nullptr));
}

// Without a handler the document host gets the fixed answers, with one it gets the handler's.
TEST(WebBrowserHostHandler, DefaultsAndForwarding) {
    BareBrowser browser;
    IDocHostUIHandler* ui = &browser;
    LPWSTR url = reinterpret_cast<LPWSTR>(1);
    IDataObject* data = reinterpret_cast<IDataObject*>(1);
    auto results = [&] {
        return std::vector<HRESULT>{
            ui->ShowContextMenu(0, nullptr, nullptr, nullptr), ui->GetHostInfo(nullptr),
            ui->ShowUI(0, nullptr, nullptr, nullptr, nullptr), ui->HideUI(), ui->UpdateUI(),
            ui->EnableModeless(TRUE), ui->OnDocWindowActivate(TRUE),
            ui->OnFrameWindowActivate(TRUE), ui->ResizeBorder(nullptr, nullptr, TRUE),
            ui->TranslateAccelerator(nullptr, nullptr, 0), ui->GetOptionKeyPath(nullptr, 0),
            ui->GetDropTarget(nullptr, nullptr), ui->GetExternal(nullptr),
            ui->TranslateUrl(0, nullptr, &url), ui->FilterDataObject(nullptr, &data)};
    };
    EXPECT_EQ((std::vector<HRESULT>{S_FALSE, E_NOTIMPL, S_OK, S_OK, S_OK, E_NOTIMPL, E_NOTIMPL,
                                    E_NOTIMPL, E_NOTIMPL, S_FALSE, E_NOTIMPL, S_FALSE, S_FALSE,
                                    E_NOTIMPL, E_NOTIMPL}),
              results());
    EXPECT_EQ(nullptr, url);
    EXPECT_EQ(nullptr, data);

    RecordingSink sink;
    browser.SetEventHandler(&sink);
    std::vector<HRESULT> forwarded;
    for (HRESULT hr = 0x100; hr <= 0x10E; ++hr) forwarded.push_back(hr);
    EXPECT_EQ(forwarded, results());
}

// Every part answers the same four interfaces and nothing else (not even IUnknown); the
// download manager is had only as a service, and downloads are accepted unfetched without a
// handler.
TEST(WebBrowserHostHandler, InterfaceRulesAndDownloadService) {
    BareBrowser browser;
    IUnknown* parts[] = {static_cast<IDocHostUIHandler*>(&browser),
                         static_cast<IServiceProvider*>(&browser),
                         static_cast<IOleCommandTarget*>(&browser),
                         static_cast<IDispatch*>(&browser),
                         static_cast<IDownloadManager*>(&browser)};
    struct Answer {
        const IID* iid;
        void* part;
    } answers[] = {
        {&IID_IDocHostUIHandler, static_cast<IDocHostUIHandler*>(&browser)},
        {&IID_IDispatch, static_cast<IDispatch*>(&browser)},
        {&IID_IServiceProvider, static_cast<IServiceProvider*>(&browser)},
        {&IID_IOleCommandTarget, static_cast<IOleCommandTarget*>(&browser)},
        {&IID_IUnknown, nullptr},
        {&kIidDownloadManager, nullptr},
        {&IID_IOleInPlaceActiveObject, nullptr},
    };
    for (IUnknown* part : parts) {
        for (const Answer& a : answers) {
            void* out = reinterpret_cast<void*>(1);
            HRESULT hr = part->QueryInterface(*a.iid, &out);
            EXPECT_EQ(a.part ? S_OK : E_NOINTERFACE, hr);
            EXPECT_EQ(a.part, out);
            if (out) static_cast<IUnknown*>(out)->Release();
        }
    }
    EXPECT_EQ(0, browser.ComRefCount());

    void* manager = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, browser.QueryService(kIidDownloadManager, IID_IDispatch, &manager));
    EXPECT_EQ(nullptr, manager);
    EXPECT_EQ(E_NOINTERFACE, browser.QueryService(IID_IDispatch, kIidDownloadManager, &manager));
    ASSERT_EQ(S_OK, browser.QueryService(kIidDownloadManager, kIidDownloadManager, &manager));
    EXPECT_EQ(static_cast<IDownloadManager*>(&browser), manager);
    EXPECT_EQ(0, browser.ComRefCount());

    auto* downloads = static_cast<IDownloadManager*>(manager);
    EXPECT_EQ(S_OK, downloads->Download(nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr, 0));
    RecordingSink sink;
    browser.SetEventHandler(&sink);
    EXPECT_EQ(E_ABORT, downloads->Download(nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr, 936));
    EXPECT_EQ(std::vector<std::wstring>{L"download:936"}, sink.calls);
}

// Keys reach the browser only while the focus is inside its host window; other messages, a
// focus elsewhere or a browser without an in-place object get S_FALSE; no browser, E_NOTIMPL.
TEST(WebBrowserAccelerators, FocusWalkDecidesWhoSeesTheKey) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    HWND top = CreateWindowExW(0, L"STATIC", L"frame", WS_POPUP | WS_VISIBLE, 20, 20, 200, 200,
                               nullptr, nullptr, instance, nullptr);
    ASSERT_NE(nullptr, top);
    HWND host = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, top,
                                nullptr, instance, nullptr);
    HWND inner = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, host,
                                 nullptr, instance, nullptr);
    HWND beside = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 100, 0, 100, 100,
                                  top, nullptr, instance, nullptr);
    SetForegroundWindow(top);
    FakeActive browser;
    MSG key = {top, WM_KEYDOWN, VK_F5, 0, 0, {0, 0}};
    MSG click = {top, WM_LBUTTONDOWN, 0, 0, 0, {0, 0}};

    SetFocus(inner);
    ASSERT_TRUE(testutil::WaitUntil([&] { return GetFocus() == inner; }, 2000));
    EXPECT_EQ(S_OK, TranslateBrowserAccelerator(&key, host, &browser));
    EXPECT_EQ(S_FALSE, TranslateBrowserAccelerator(&click, host, &browser));
    EXPECT_EQ(E_NOTIMPL, TranslateBrowserAccelerator(&key, host, nullptr));
    browser.active = false;
    EXPECT_EQ(S_FALSE, TranslateBrowserAccelerator(&key, host, &browser));
    browser.active = true;

    SetFocus(beside);
    ASSERT_TRUE(testutil::WaitUntil([&] { return GetFocus() == beside; }, 2000));
    EXPECT_EQ(S_FALSE, TranslateBrowserAccelerator(&key, host, &browser));
    EXPECT_EQ(std::vector<UINT>{WM_KEYDOWN}, browser.translated);
    EXPECT_EQ(1, browser.refs);

    // The control without a browser answers the window manager E_NOTIMPL for keys.
    BareBrowser bare;
    bare.host = host;
    EXPECT_EQ(E_NOTIMPL, static_cast<ITranslateAccelerator&>(bare).TranslateAccelerator(&key));
    DestroyWindow(top);
}

namespace {

// The second browser names a class nobody registered, so its creation fails on any system.
const wchar_t kBrowsersXml[] =
    L"<Window><VerticalLayout>"
    L"<WebBrowser name=\"web\" homepage=\"about:blank\" autonavi=\"true\" height=\"100\"/>"
    L"<WebBrowser name=\"none\" clsid=\"{6A0B3C1E-2D4F-4E51-9A77-0B1C2D3E4F50}\" "
    L"homepage=\"about:blank\" autonavi=\"true\" height=\"60\"/>"
    L"<WebBrowser name=\"quiet\" homepage=\"about:blank\" delaycreate=\"true\" "
    L"height=\"40\"/>"
    L"</VerticalLayout></Window>";

// Without a browser the control navigates nowhere and leaves keys alone, and nothing of it is
// left with the window manager.
void ExpectBrowserless(listtest::ListWindow& w, CWebBrowserUI* web) {
    EXPECT_EQ(nullptr, web->GetWebBrowser2());
    web->Navigate(L"about:blank");
    MSG key = {w.hwnd(), WM_KEYDOWN, VK_F5, 0, 0, {0, 0}};
    MSG move = {w.hwnd(), WM_MOUSEMOVE, 0, 0, 0, {0, 0}};
    EXPECT_EQ(E_NOTIMPL, static_cast<ITranslateAccelerator*>(web)->TranslateAccelerator(&key));
    EXPECT_EQ(S_FALSE, static_cast<ITranslateAccelerator*>(web)->TranslateAccelerator(&move));
    EXPECT_EQ(0, web->ComRefCount());
}

}  // namespace

// Built from a layout: the element makes the browser control with its attributes. The browser
// that cannot be made follows the failure rules; the platform's own browser (which the test
// prefixes may not be able to make) either does the same or, once made and released, hands
// back every reference it took of the control and its accelerator hook.
TEST(WebBrowserControl, LayoutElementsAndFailureRules) {
    listtest::ListWindow w;
    ASSERT_TRUE(w.Open(300, 220, kBrowsersXml));
    auto* web = w.Find<CWebBrowserUI>(L"web");
    auto* none = w.Find<CWebBrowserUI>(L"none");
    auto* quiet = w.Find<CWebBrowserUI>(L"quiet");
    ASSERT_NE(nullptr, web);
    ASSERT_NE(nullptr, none);
    ASSERT_NE(nullptr, quiet);
    EXPECT_STREQ(L"WebBrowserUI", web->GetTypeName());
    EXPECT_EQ(static_cast<void*>(web), web->QueryPart(L"WebBrowser"));
    EXPECT_NE(nullptr, web->QueryPart(L"ActiveX"));
    EXPECT_TRUE(IsEqualGUID(CLSID_WebBrowser, web->GetClsid()));
    EXPECT_STREQ(L"about:blank", quiet->GetHomePage().GetData());
    EXPECT_TRUE(web->IsAutoNavigate());
    EXPECT_FALSE(quiet->IsAutoNavigate());

    EXPECT_TRUE(none->IsCreated());
    ExpectBrowserless(w, none);
    EXPECT_FALSE(w.win.Manager().RemoveAcceleratorHandler(none));

    ASSERT_TRUE(web->IsCreated());
    RecordProperty("platform_browser_made", web->GetWebBrowser2() != nullptr ? "yes" : "no");
    if (web->GetWebBrowser2() == nullptr) {
        ExpectBrowserless(w, web);
    } else {
        web->Navigate(L"about:blank");
        EXPECT_TRUE(w.win.Manager().RemoveAcceleratorHandler(web));
        EXPECT_TRUE(w.win.Manager().AddAcceleratorHandler(web));
        web->ReleaseHostedControl();
        EXPECT_EQ(nullptr, web->GetWebBrowser2());
        EXPECT_EQ(0, web->ComRefCount());
        EXPECT_FALSE(w.win.Manager().RemoveAcceleratorHandler(web));
    }
}

// Closing the hosted object may still call the document's UI handler, command target and
// service provider: the test control, standing in for the document, calls all three while it is
// closed, and the handler must find the control whole (not a bare ActiveX host any more).
TEST(WebBrowserControl, HostedObjectClosesWhileTheControlIsWhole) {
    struct WholeSink : RecordingSink {
        CControlUI* control = nullptr;
        STDMETHODIMP HideUI() override {
            calls.push_back(control->GetTypeName());
            return S_OK;
        }
    } sink;
    ASSERT_NE(nullptr, LoadLibraryW(L"veneer_axtestctl.dll"));
    {
        listtest::ListWindow w;
        ASSERT_TRUE(w.Open(200, 100,
                           L"<Window><VerticalLayout><WebBrowser name=\"web\" "
                           L"modulename=\"veneer_axtestctl.dll\" "
                           L"clsid=\"{6B1C9E3A-2F4D-4C7B-9A51-3E0D7F2A1B01}\"/>"
                           L"</VerticalLayout></Window>"));
        auto* web = w.Find<CWebBrowserUI>(L"web");
        ASSERT_NE(nullptr, web);
        sink.control = web;
        web->SetEventHandler(&sink);
        IUnknown* document = nullptr;
        ASSERT_EQ(S_OK, web->QueryHostedControl(IID_IUnknown, reinterpret_cast<void**>(&document)));
        EXPECT_EQ(S_OK, SetDocumentUIHandler(document, web));
        document->Release();
    }
    EXPECT_EQ((std::vector<std::wstring>{L"WebBrowserUI", L"download:0"}), sink.calls);
}
