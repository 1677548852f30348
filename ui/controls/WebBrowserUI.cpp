#include "WebBrowserUI.h"

#include <cwchar>

#include "AttrTable.h"
#include "BrowserEvents.h"
#include "WindowManagerUI.h"

namespace Veneer {

CWebBrowserUI::CWebBrowserUI() { PresetClsid(CLSID_WebBrowser); }

CWebBrowserUI::~CWebBrowserUI() {
    // Closing the object may still call the document's UI handler, the command target or the
    // service provider, all parts of this control: it is closed here, while every part is
    // alive, not by the host's destructor after them.
    CWebBrowserUI::ReleaseHostedControl();
}

const wchar_t* CWebBrowserUI::GetTypeName() const { return L"WebBrowserUI"; }

void* CWebBrowserUI::QueryPart(const wchar_t* name) {
    if (name && wcscmp(name, L"WebBrowser") == 0) return this;
    return CActiveXUI::QueryPart(name);
}

void CWebBrowserUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (name == nullptr || value == nullptr) return;
    using C = CWebBrowserUI;
    static constexpr TAttrRow<C> kRows[] = {
        {L"homepage", [](C& c, const wchar_t* v) { c.SetHomePage(v); }},
        {L"autonavi", [](C& c, const wchar_t* v) { c.SetAutoNavigate(wcscmp(v, L"true") == 0); }},
    };
    if (!ApplyAttrRow(kRows, *this, name, value)) CActiveXUI::ApplyAttribute(name, value);
}

bool CWebBrowserUI::InstantiateControl() {
    if (!CActiveXUI::InstantiateControl()) return false;
    CWindowManagerUI* manager = GetManager();
    if (manager && !m_acceleratorManager && manager->AddAcceleratorHandler(this)) {
        m_acceleratorManager = manager;
    }
    IWebBrowser2* browser = nullptr;
    if (SUCCEEDED(QueryHostedControl(IID_IWebBrowser2, reinterpret_cast<void**>(&browser)))) {
        m_browser = browser;
    }
    if (m_autoNavigate && !m_homePage.IsEmpty()) Navigate(m_homePage.GetData());
    // The page still shows without the events; only the handler's notifications are missed.
    ConnectBrowserEvents(true);
    return true;
}

void CWebBrowserUI::ReleaseHostedControl() {
    DetachBrowser();
    // Closing the object here too means a new class id does not leave the previous browser
    // running until the control is destroyed.
    CActiveXUI::ReleaseHostedControl();
}

void CWebBrowserUI::DetachBrowser() {
    // The document keeps the UI handler it was given until it is told otherwise.
    if (m_browser) HookDocumentUIHandler(m_browser, nullptr);
    // A manager whose window has gone may be gone itself when a detached control dies late.
    if (m_acceleratorManager &&
        CWindowManagerUI::GetAllManagers().Find(m_acceleratorManager) >= 0) {
        m_acceleratorManager->RemoveAcceleratorHandler(this);
    }
    m_acceleratorManager = nullptr;
    ConnectBrowserEvents(false);
    if (m_browser) {
        m_browser->Release();
        m_browser = nullptr;
    }
}

void CWebBrowserUI::Navigate(const wchar_t* url) {
    if (!url || !*url || !m_browser) return;
    VARIANT target;
    VariantInit(&target);
    target.vt = VT_BSTR;
    target.bstrVal = SysAllocString(url);
    if (target.bstrVal) m_browser->Navigate2(&target, nullptr, nullptr, nullptr, nullptr);
    VariantClear(&target);
}

HRESULT CWebBrowserUI::ConnectBrowserEvents(bool connect) {
    // One connection at a time; a disconnection forgets the cookie whatever the object says,
    // since an object that cannot be reached holds no connection any more.
    if (connect == (m_eventCookie != 0)) return S_OK;
    const DWORD cookie = m_eventCookie;
    if (!connect) m_eventCookie = 0;
    IWebBrowser2* browser = nullptr;
    HRESULT hr = QueryHostedControl(IID_IWebBrowser2, reinterpret_cast<void**>(&browser));
    if (FAILED(hr) || !browser) return FAILED(hr) ? hr : E_NOINTERFACE;
    IConnectionPointContainer* container = nullptr;
    hr = browser->QueryInterface(IID_IConnectionPointContainer,
                                 reinterpret_cast<void**>(&container));
    browser->Release();
    if (FAILED(hr) || !container) return FAILED(hr) ? hr : E_NOINTERFACE;
    IConnectionPoint* point = nullptr;
    hr = container->FindConnectionPoint(DIID_DWebBrowserEvents2, &point);
    container->Release();
    if (FAILED(hr) || !point) return FAILED(hr) ? hr : E_NOINTERFACE;
    if (connect) {
        DWORD made = 0;
        hr = point->Advise(static_cast<IDispatch*>(this), &made);
        if (SUCCEEDED(hr)) m_eventCookie = made;
    } else {
        hr = point->Unadvise(cookie);
    }
    point->Release();
    return hr;
}

}  // namespace Veneer
