#include "TestControl.h"

#include "BrowserGuids.h"

#include <docobj.h>
#include <downloadmgr.h>
#include <mshtmhst.h>
#include <ocidl.h>
#include <ole2.h>
#include <servprov.h>

#include <cwchar>
#include <string>

namespace {

LONG g_objects = 0;
LONG g_refs = 0;
LONG g_runningLocks = 0;
std::wstring g_log;
class CTestControl* g_newest = nullptr;

// The document host's identifiers, from the control library that uses them.
using Veneer::kIidCustomDoc;
using Veneer::kIidDownloadManager;
using Veneer::kCgidDocHostCommandHandler;

void Record(const wchar_t* text, long value = 0, bool withValue = false) {
    g_log += text;
    if (withValue) g_log += L" " + std::to_wstring(value);
    g_log += L"\n";
}

LRESULT CALLBACK OwnWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        HBRUSH brush = CreateSolidBrush(kTestControlColour);
        RECT rc;
        GetClientRect(hwnd, &rc);
        FillRect(dc, &rc, brush);
        DeleteObject(brush);
        EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

class CTestControl final : public IOleObject,
                           public IOleInPlaceObjectWindowless,
                           public IViewObjectEx,
                           public IPersistStreamInit,
                           public IObjectWithSite,
                           public IRunnableObject,
                           public ICustomDoc {
public:
    explicit CTestControl(bool windowed) : m_windowed(windowed) {
        ++g_objects;
        ++g_refs;
        g_newest = this;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (out == nullptr) return E_POINTER;
        *out = nullptr;
        if (riid == IID_IUnknown || riid == IID_IOleObject)
            *out = static_cast<IOleObject*>(this);
        else if (riid == IID_IOleInPlaceObject || riid == IID_IOleWindow)
            *out = static_cast<IOleInPlaceObjectWindowless*>(this);
        else if (riid == IID_IOleInPlaceObjectWindowless && !m_windowed)
            *out = static_cast<IOleInPlaceObjectWindowless*>(this);
        else if (riid == IID_IViewObject || riid == IID_IViewObject2 || riid == IID_IViewObjectEx)
            *out = static_cast<IViewObjectEx*>(this);
        else if (riid == IID_IPersistStreamInit)
            *out = static_cast<IPersistStreamInit*>(this);
        else if (riid == IID_IObjectWithSite)
            *out = static_cast<IObjectWithSite*>(this);
        else if (riid == IID_IRunnableObject)
            *out = static_cast<IRunnableObject*>(this);
        else if (riid == kIidCustomDoc)
            *out = static_cast<ICustomDoc*>(this);
        if (*out == nullptr) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        ++g_refs;
        return ++m_refs;
    }
    ULONG STDMETHODCALLTYPE Release() override {
        --g_refs;
        const ULONG left = --m_refs;
        if (left == 0) delete this;
        return left;
    }

    // IOleObject
    HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override {
        Record(site ? L"SetClientSite" : L"SetClientSite null");
        if (site) site->AddRef();
        if (m_clientSite) m_clientSite->Release();
        m_clientSite = site;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) override {
        if (site == nullptr) return E_POINTER;
        *site = m_clientSite;
        if (m_clientSite) m_clientSite->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR app, LPCOLESTR) override {
        Record(L"SetHostNames");
        if (app) {
            g_log += app;
            g_log += L"\n";
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Close(DWORD) override {
        Record(L"Close");
        CallUIHandler();
        Deactivate();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InitFromData(IDataObject*, BOOL, DWORD) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent,
                                     LPCRECT) override {
        Record(L"DoVerb", verb, true);
        if (verb != OLEIVERB_INPLACEACTIVATE || site == nullptr || m_active) return S_OK;
        IOleInPlaceSiteWindowless* windowless = nullptr;
        if (!m_windowed &&
            SUCCEEDED(site->QueryInterface(IID_IOleInPlaceSiteWindowless,
                                           reinterpret_cast<void**>(&windowless)))) {
            HRESULT hr = windowless->CanWindowlessActivate() == S_OK
                             ? windowless->OnInPlaceActivateEx(nullptr, ACTIVATE_WINDOWLESS)
                             : E_FAIL;
            if (SUCCEEDED(hr)) {
                m_windowlessSite = windowless;
                m_active = true;
                return CheckWindowContext(windowless);
            }
            windowless->Release();
        }
        IOleInPlaceSite* inPlace = nullptr;
        if (FAILED(site->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&inPlace))))
            return E_NOINTERFACE;
        HRESULT hr = inPlace->OnInPlaceActivate();
        HWND host = nullptr;
        if (SUCCEEDED(hr)) hr = inPlace->GetWindow(&host);
        if (SUCCEEDED(hr) && host) {
            WNDCLASSW wc = {};
            wc.lpfnWndProc = &OwnWndProc;
            wc.hInstance = GetModuleHandleW(L"veneer_axtestctl.dll");
            wc.lpszClassName = L"VeneerAxTestOwn";
            RegisterClassW(&wc);
            m_own = CreateWindowExW(0, L"VeneerAxTestOwn", L"", WS_CHILD | WS_VISIBLE, 0, 0,
                                    m_rect.right - m_rect.left, m_rect.bottom - m_rect.top, host,
                                    nullptr, wc.hInstance, nullptr);
            m_active = true;
            if (SUCCEEDED(hr)) hr = CheckWindowContext(inPlace);
        }
        (void)parent;
        m_inPlaceSite = inPlace;
        return hr;
    }
    HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Update() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE IsUpToDate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* id) override {
        if (id) *id = m_windowed ? kClsidWindowed : kClsidWindowless;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetExtent(DWORD, SIZEL* size) override {
        if (size) Record(L"SetExtent", size->cx, true);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD, DWORD* status) override {
        if (status == nullptr) return E_POINTER;
        // The windowed variant wants its site before it is initialised.
        *status = m_windowed ? OLEMISC_SETCLIENTSITEFIRST : 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // IOleWindow / IOleInPlaceObject(Windowless)
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        if (window == nullptr) return E_POINTER;
        *window = m_own;
        return m_own ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override {
        Deactivate();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE UIDeactivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT position, LPCRECT) override {
        if (position == nullptr) return E_POINTER;
        m_rect = *position;
        Record(L"SetObjectRects", position->left, true);
        if (m_own)
            MoveWindow(m_own, 0, 0, m_rect.right - m_rect.left, m_rect.bottom - m_rect.top, TRUE);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnWindowMessage(UINT msg, WPARAM, LPARAM, LRESULT* result) override {
        if (msg != WM_MOUSEMOVE) Record(L"OnWindowMessage", msg, true);
        if (result) *result = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDropTarget(IDropTarget**) override { return E_NOTIMPL; }

    // IViewObjectEx
    HRESULT STDMETHODCALLTYPE Draw(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc,
                                   LPCRECTL bounds, LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR),
                                   ULONG_PTR) override {
        if (dc == nullptr || bounds == nullptr) return E_INVALIDARG;
        RECT rc = {bounds->left, bounds->top, bounds->right, bounds->bottom};
        HBRUSH brush = CreateSolidBrush(kTestControlColour);
        FillRect(dc, &rc, brush);
        DeleteObject(brush);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC,
                                          LOGPALETTE**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unfreeze(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetAdvise(DWORD, DWORD, IAdviseSink*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAdvise(DWORD*, DWORD*, IAdviseSink**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD, LONG, DVTARGETDEVICE*, LPSIZEL) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetRect(DWORD, LPRECTL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetViewStatus(DWORD* status) override {
        if (status) *status = VIEWSTATUS_OPAQUE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryHitPoint(DWORD, LPCRECT bounds, POINT pt, LONG,
                                            DWORD* hit) override {
        if (bounds == nullptr || hit == nullptr) return E_POINTER;
        // Only the left half is solid, so a test can tell gated messages from passed ones.
        const LONG middle = bounds->left + (bounds->right - bounds->left) / 2;
        *hit = PtInRect(bounds, pt) && pt.x < middle ? HITRESULT_HIT : HITRESULT_OUTSIDE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryHitRect(DWORD, LPCRECT, LPCRECT, LONG, DWORD*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetNaturalExtent(DWORD, LONG, DVTARGETDEVICE*, HDC,
                                               DVEXTENTINFO*, LPSIZEL) override {
        return E_NOTIMPL;
    }

    // IPersistStreamInit
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* id) override { return GetUserClassID(id); }
    HRESULT STDMETHODCALLTYPE IsDirty() override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE Load(LPSTREAM) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Save(LPSTREAM, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InitNew() override {
        Record(L"InitNew");
        return S_OK;
    }

    // IObjectWithSite
    HRESULT STDMETHODCALLTYPE SetSite(IUnknown* site) override {
        Record(site ? L"SetSite" : L"SetSite null");
        if (site) site->AddRef();
        if (m_site) m_site->Release();
        m_site = site;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSite(REFIID riid, void** out) override {
        if (out == nullptr) return E_POINTER;
        *out = nullptr;
        return m_site ? m_site->QueryInterface(riid, out) : E_FAIL;
    }

    // IRunnableObject: only the running locks are counted.
    HRESULT STDMETHODCALLTYPE GetRunningClass(LPCLSID id) override { return GetUserClassID(id); }
    HRESULT STDMETHODCALLTYPE Run(LPBINDCTX) override { return S_OK; }
    BOOL STDMETHODCALLTYPE IsRunning() override { return TRUE; }
    HRESULT STDMETHODCALLTYPE LockRunning(BOOL lock, BOOL) override {
        g_runningLocks += lock ? 1 : -1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetContainedObject(BOOL) override { return S_OK; }

    // ICustomDoc: the object stands in for a document that takes its host's UI handler.
    HRESULT STDMETHODCALLTYPE SetUIHandler(IDocHostUIHandler* handler) override {
        if (handler) handler->AddRef();
        if (m_uiHandler) m_uiHandler->Release();
        m_uiHandler = handler;
        return S_OK;
    }

    HRESULT SetCaptureThroughSite(BOOL capture) {
        return m_windowlessSite ? m_windowlessSite->SetCapture(capture) : E_UNEXPECTED;
    }

private:
    ~CTestControl() {
        Deactivate();
        SetUIHandler(nullptr);
        if (m_clientSite) m_clientSite->Release();
        if (m_site) m_site->Release();
        --g_objects;
        if (g_newest == this) g_newest = nullptr;
    }

    // Asks the site for its frame and checks what the host filled in: a wrong size or a missing
    // rectangle fails the activation, which a test sees.
    HRESULT CheckWindowContext(IOleInPlaceSite* site) {
        IOleInPlaceFrame* frame = nullptr;
        IOleInPlaceUIWindow* document = reinterpret_cast<IOleInPlaceUIWindow*>(1);
        RECT position = {-1, -1, -1, -1};
        RECT clip = {-1, -1, -1, -1};
        OLEINPLACEFRAMEINFO info = {};
        info.cb = sizeof(info);
        HRESULT hr = site->GetWindowContext(&frame, &document, &position, &clip, &info);
        if (FAILED(hr)) return hr;
        Record(L"FrameInfo", static_cast<long>(info.cb), true);
        Record(L"FrameAccelerators", static_cast<long>(info.cAccelEntries), true);
        if (frame == nullptr || document != nullptr || position.left == -1 || clip.left == -1 ||
            info.hwndFrame == nullptr)
            hr = E_FAIL;
        if (frame) {
            frame->SetActiveObject(nullptr, nullptr);
            frame->Release();
        }
        return hr;
    }

    // As a closing document may: the UI handler, then its command target and service provider.
    void CallUIHandler() {
        if (m_uiHandler == nullptr) return;
        m_uiHandler->HideUI();
        IOleCommandTarget* target = nullptr;
        if (SUCCEEDED(m_uiHandler->QueryInterface(IID_IOleCommandTarget,
                                                  reinterpret_cast<void**>(&target)))) {
            VARIANT out;
            VariantInit(&out);
            target->Exec(&kCgidDocHostCommandHandler, OLECMDID_SHOWSCRIPTERROR, 0, nullptr, &out);
            target->Release();
        }
        IServiceProvider* services = nullptr;
        if (SUCCEEDED(m_uiHandler->QueryInterface(IID_IServiceProvider,
                                                  reinterpret_cast<void**>(&services)))) {
            IDownloadManager* downloads = nullptr;  // handed out uncounted
            if (SUCCEEDED(services->QueryService(kIidDownloadManager, kIidDownloadManager,
                                                 reinterpret_cast<void**>(&downloads))))
                downloads->Download(nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr, 0);
            services->Release();
        }
    }

    void Deactivate() {
        if (m_own) {
            DestroyWindow(m_own);
            m_own = nullptr;
        }
        if (m_windowlessSite) {
            m_windowlessSite->OnInPlaceDeactivateEx(TRUE);
            m_windowlessSite->Release();
            m_windowlessSite = nullptr;
        }
        if (m_inPlaceSite) {
            m_inPlaceSite->OnInPlaceDeactivate();
            m_inPlaceSite->Release();
            m_inPlaceSite = nullptr;
        }
        m_active = false;
    }

    const bool m_windowed;
    ULONG m_refs = 1;
    bool m_active = false;
    RECT m_rect = {};
    HWND m_own = nullptr;
    IOleClientSite* m_clientSite = nullptr;
    IUnknown* m_site = nullptr;
    IOleInPlaceSiteWindowless* m_windowlessSite = nullptr;
    IOleInPlaceSite* m_inPlaceSite = nullptr;
    IDocHostUIHandler* m_uiHandler = nullptr;
};

class CFactory final : public IClassFactory {
public:
    explicit CFactory(bool windowed) : m_windowed(windowed) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (out == nullptr) return E_POINTER;
        *out = nullptr;
        if (riid != IID_IUnknown && riid != IID_IClassFactory) return E_NOINTERFACE;
        *out = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --m_refs;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
        if (out == nullptr) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        auto* control = new CTestControl(m_windowed);
        const HRESULT hr = control->QueryInterface(riid, out);
        control->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    const bool m_windowed;
    ULONG m_refs = 1;
};

}  // namespace

extern "C" {

HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (clsid != kClsidWindowless && clsid != kClsidWindowed) return CLASS_E_CLASSNOTAVAILABLE;
    auto* factory = new CFactory(clsid == kClsidWindowed);
    const HRESULT hr = factory->QueryInterface(riid, out);
    factory->Release();
    return hr;
}

LONG WINAPI AxTestLiveObjects() { return g_objects; }
LONG WINAPI AxTestLiveRefs() { return g_refs; }
LONG WINAPI AxTestRunningLocks() { return g_runningLocks; }

int WINAPI AxTestLog(wchar_t* buffer, int capacity) {
    if (buffer == nullptr || capacity <= 0) return static_cast<int>(g_log.size());
    const size_t count = g_log.size() < static_cast<size_t>(capacity - 1)
                             ? g_log.size()
                             : static_cast<size_t>(capacity - 1);
    wmemcpy(buffer, g_log.data(), count);
    buffer[count] = L'\0';
    return static_cast<int>(count);
}

void WINAPI AxTestReset() { g_log.clear(); }

HRESULT WINAPI AxTestSetCapture(BOOL capture) {
    return g_newest ? g_newest->SetCaptureThroughSite(capture) : E_UNEXPECTED;
}

}  // extern "C"
