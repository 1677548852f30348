#include "ActiveXUI.h"

#include <cwchar>

#include "ActiveXCtrl.h"
#include "ActiveXWnd.h"
#include "AttrTable.h"
#include "GdiHandle.h"
#include "WindowManagerUI.h"

namespace Veneer {

namespace {

using GetClassObjectProc = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, LPVOID*);

RECT AtOrigin(RECT rc) {
    OffsetRect(&rc, -rc.left, -rc.top);
    return rc;
}

// The object through the module's own class factory; null when the module cannot make it.
IUnknown* CreateFromModule(const wchar_t* moduleName, const CLSID& clsid) {
    // The module stays loaded: objects it made may outlive this call and the control.
    HMODULE module = LoadLibraryW(moduleName);
    if (module == nullptr) return nullptr;
    auto proc = reinterpret_cast<GetClassObjectProc>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    if (proc == nullptr) return nullptr;
    IClassFactory* factory = nullptr;
    if (FAILED(proc(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory))) ||
        factory == nullptr)
        return nullptr;
    IUnknown* made = nullptr;
    if (FAILED(factory->CreateInstance(nullptr, IID_IOleObject, reinterpret_cast<void**>(&made))))
        made = nullptr;
    factory->Release();
    return made;
}

}  // namespace

CActiveXUI::CActiveXUI() = default;

CActiveXUI::~CActiveXUI() {
    CActiveXUI::ReleaseHostedControl();
    RemoveFilter();
}

const wchar_t* CActiveXUI::GetTypeName() const { return L"ActiveXUI"; }

void* CActiveXUI::QueryPart(const wchar_t* name) {
    if (name && wcscmp(name, L"ActiveX") == 0) return this;
    return CControlUI::QueryPart(name);
}

// ---- the window filter ----------------------------------------------------------------------

bool CActiveXUI::AddFilterOnce() {
    // Activation may run more than once per object: the filter must be listed only once.
    if (m_filterManager) return true;
    if (m_manager == nullptr || !m_manager->AddWindowFilter(this)) return false;
    m_filterManager = m_manager;
    return true;
}

void CActiveXUI::RemoveFilter() {
    // A manager whose window has gone may be gone itself when a detached control dies late.
    if (m_filterManager && CWindowManagerUI::GetAllManagers().Find(m_filterManager) >= 0)
        m_filterManager->RemoveWindowFilter(this);
    m_filterManager = nullptr;
}

// ---- class id and creation ------------------------------------------------------------------

bool CActiveXUI::SetClsid(const CLSID& clsid) {
    if (clsid == GUID_NULL) return false;
    m_created = false;
    m_clsid = clsid;
    if (!m_delayCreate) InstantiateControl();
    return true;
}

bool CActiveXUI::SetClsidText(const wchar_t* text) {
    wchar_t buffer[100] = {};
    if (text) wcsncpy(buffer, text, 99);
    CLSID clsid = GUID_NULL;
    const HRESULT hr = buffer[0] == L'{' ? CLSIDFromString(buffer, &clsid)
                                          : CLSIDFromProgID(buffer, &clsid);
    if (FAILED(hr)) clsid = GUID_NULL;
    return SetClsid(clsid);
}

void CActiveXUI::SetModuleName(const wchar_t* name) { m_moduleName = name ? name : L""; }

void CActiveXUI::SetDelayCreate(bool delay) {
    if (m_delayCreate == delay) return;
    m_delayCreate = delay;
    if (!delay && !m_created && m_clsid != GUID_NULL) InstantiateControl();
}

void CActiveXUI::SetManager(CWindowManagerUI* manager, CControlUI* parent, bool init) {
    CControlUI::SetManager(manager, parent, init);
    // Creation asked for before the control had a window happens once it has one.
    if (m_manager && !m_delayCreate && !m_created && m_clsid != GUID_NULL) InstantiateControl();
}

HRESULT CActiveXUI::QueryHostedControl(REFIID iid, void** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (m_object == nullptr) return E_PENDING;
    return m_object->QueryInterface(iid, out);
}

void CActiveXUI::ReleaseHostedControl() {
    m_hostWindow = nullptr;
    if (m_object) {
        // The site keeps answering the object while it closes; the object goes last.
        IObjectWithSite* withSite = nullptr;
        if (SUCCEEDED(m_object->QueryInterface(IID_IObjectWithSite,
                                               reinterpret_cast<void**>(&withSite)))) {
            withSite->SetSite(nullptr);
            withSite->Release();
        }
        if (m_site) m_site->UnlockRunning(m_object);
        m_object->Close(OLECLOSE_NOSAVE);
        m_object->SetClientSite(nullptr);
        IOleObject* object = m_object;
        m_object = nullptr;
        object->Release();
    }
    if (m_site) {
        CActiveXCtrl* site = m_site;
        m_site = nullptr;
        site->m_owner = nullptr;
        // A site kept alive by someone else must not keep the object alive with it.
        site->DropObject();
        site->Release();
    }
    RemoveFilter();
}

bool CActiveXUI::InstantiateControl() {
    // Without a window there is nothing to activate in: wait for a manager.
    if (m_manager == nullptr) return false;
    ReleaseHostedControl();
    m_created = true;
    IUnknown* made = nullptr;
    if (!m_moduleName.IsEmpty()) made = CreateFromModule(m_moduleName.GetData(), m_clsid);
    if (made == nullptr &&
        FAILED(CoCreateInstance(m_clsid, nullptr, CLSCTX_ALL, IID_IOleControl,
                                reinterpret_cast<void**>(&made))))
        made = nullptr;
    if (made == nullptr) return false;
    HRESULT hr = made->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&m_object));
    made->Release();
    if (FAILED(hr) || m_object == nullptr) {
        m_object = nullptr;
        return false;
    }
    m_site = new CActiveXCtrl;
    m_site->m_owner = this;

    DWORD status = 0;
    m_object->GetMiscStatus(DVASPECT_CONTENT, &status);
    IOleClientSite* clientSite = nullptr;
    m_site->QueryInterface(IID_IOleClientSite, reinterpret_cast<void**>(&clientSite));
    const bool siteFirst = (status & OLEMISC_SETCLIENTSITEFIRST) != 0;
    if (siteFirst) m_object->SetClientSite(clientSite);

    hr = S_OK;
    IPersistStreamInit* persist = nullptr;
    if (SUCCEEDED(m_object->QueryInterface(IID_IPersistStreamInit,
                                           reinterpret_cast<void**>(&persist)))) {
        hr = persist->InitNew();
        persist->Release();
    }
    if (SUCCEEDED(hr)) {
        if (!siteFirst) m_object->SetClientSite(clientSite);
        IViewObject* view = nullptr;
        if (FAILED(m_object->QueryInterface(IID_IViewObjectEx, reinterpret_cast<void**>(&view))) &&
            FAILED(m_object->QueryInterface(IID_IViewObject2, reinterpret_cast<void**>(&view))) &&
            FAILED(m_object->QueryInterface(IID_IViewObject, reinterpret_cast<void**>(&view))))
            view = nullptr;
        m_site->m_viewObject = view;
        hr = m_object->SetHostNames(L"UIActiveX", nullptr);
        m_manager->SendNotification(this, L"showactivex", 0, 0, false);
        // A notification handler may have let go of the object already.
        if (m_object && m_site && !(status & OLEMISC_INVISIBLEATRUNTIME)) {
            RECT rc = m_rcItem;
            hr = m_object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, clientSite, 0,
                                  m_manager ? m_manager->GetPaintWindow() : nullptr, &rc);
        }
        IObjectWithSite* withSite = nullptr;
        if (m_object && m_site &&
            SUCCEEDED(m_object->QueryInterface(IID_IObjectWithSite,
                                               reinterpret_cast<void**>(&withSite)))) {
            hr = withSite->SetSite(static_cast<IOleClientSite*>(m_site));
            withSite->Release();
        }
    }
    if (clientSite) clientSite->Release();
    return SUCCEEDED(hr) && m_object != nullptr;
}

// ---- layout and painting --------------------------------------------------------------------

void CActiveXUI::SendExtentAndRects() {
    if (m_object == nullptr || m_site == nullptr) return;
    const kesh::UniqueWindowDC screen(nullptr, ::GetDC(nullptr));
    const int dpiX = screen ? GetDeviceCaps(screen.get(), LOGPIXELSX) : 96;
    const int dpiY = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
    SIZEL extent = {MulDiv(2540, m_rcItem.right - m_rcItem.left, dpiX > 0 ? dpiX : 96),
                    MulDiv(2540, m_rcItem.bottom - m_rcItem.top, dpiY > 0 ? dpiY : 96)};
    m_object->SetExtent(DVASPECT_CONTENT, &extent);
    if (m_site->m_inPlaceObject) {
        RECT rc = m_site->m_windowless ? m_rcItem : AtOrigin(m_rcItem);
        m_site->m_inPlaceObject->SetObjectRects(&rc, &rc);
    }
    if (!m_site->m_windowless && m_site->GetOwnWindow())
        MoveWindow(m_site->GetOwnWindow(), m_rcItem.left, m_rcItem.top,
                   m_rcItem.right - m_rcItem.left, m_rcItem.bottom - m_rcItem.top, TRUE);
}

void CActiveXUI::SetPos(RECT rc, bool needInvalidate) {
    CControlUI::SetPos(rc, needInvalidate);
    if (!m_created) InstantiateControl();
    SendExtentAndRects();
}

void CActiveXUI::Move(SIZE offset, bool needInvalidate) {
    CControlUI::Move(offset, needInvalidate);
    if (m_site && !m_site->m_windowless && m_site->GetOwnWindow())
        MoveWindow(m_site->GetOwnWindow(), m_rcItem.left, m_rcItem.top,
                   m_rcItem.right - m_rcItem.left, m_rcItem.bottom - m_rcItem.top, TRUE);
}

void CActiveXUI::SetVisible(bool visible) {
    CControlUI::SetVisible(visible);
    if (m_hostWindow && m_site && !m_site->m_windowless && m_site->GetOwnWindow())
        ShowWindow(m_site->GetOwnWindow(), IsVisible() ? SW_SHOW : SW_HIDE);
}

void CActiveXUI::SetInheritedVisible(bool visible) {
    CControlUI::SetInheritedVisible(visible);
    if (m_hostWindow && m_site && !m_site->m_windowless && m_site->GetOwnWindow())
        ShowWindow(m_site->GetOwnWindow(), IsVisible() ? SW_SHOW : SW_HIDE);
}

void CActiveXUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (name == nullptr || value == nullptr) return;
    using C = CActiveXUI;
    static constexpr TAttrRow<C> kRows[] = {
        {L"clsid", [](C& c, const wchar_t* v) { c.SetClsidText(v); }},
        {L"modulename", [](C& c, const wchar_t* v) { c.SetModuleName(v); }},
        {L"delaycreate", [](C& c, const wchar_t* v) { c.SetDelayCreate(wcscmp(v, L"true") == 0); }},
    };
    if (!ApplyAttrRow(kRows, *this, name, value)) CControlUI::ApplyAttribute(name, value);
}

void CActiveXUI::Render(HDC dc, const RECT& paint) {
    RECT meet;
    if (!IntersectRect(&meet, &paint, &m_rcItem)) return;
    if (m_site && m_site->m_windowless && m_site->m_viewObject) {
        RECTL bounds = {m_rcItem.left, m_rcItem.top, m_rcItem.right, m_rcItem.bottom};
        m_site->m_viewObject->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds,
                                   &bounds, nullptr, 0);
    }
}

// ---- raw messages for a windowless object ---------------------------------------------------

LRESULT CActiveXUI::ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    if (m_site == nullptr || !m_site->m_inPlaceActive || m_site->m_inPlaceObject == nullptr ||
        !m_site->m_windowless)
        return 0;
    const bool isMouse = message >= WM_MOUSEFIRST && message <= 0x20D;
    if (isMouse && !IsMouseEnabled()) return 0;
    bool wasHandled = true;
    bool hitTest = false;
    if (isMouse || message == WM_SETCURSOR) {
        hitTest = true;
    } else if (message == WM_HELP || message == WM_CONTEXTMENU) {
        wasHandled = false;
    } else if (message >= WM_KEYFIRST && message <= 0x108) {
        if (!IsFocused()) return 0;
    } else {
        return 0;
    }
    if (hitTest) {
        if (!m_site->m_captured) {
            POINT pt;
            if (message == WM_SETCURSOR) {
                // Its lParam holds hit-test and mouse codes, not a point: ask where the mouse is.
                if (!GetCursorPos(&pt) || m_manager == nullptr ||
                    !ScreenToClient(m_manager->GetPaintWindow(), &pt))
                    return 0;
            } else {
                pt.x = static_cast<short>(LOWORD(lParam));
                pt.y = static_cast<short>(HIWORD(lParam));
            }
            IViewObjectEx* viewEx = nullptr;
            if (m_site->m_viewObject == nullptr ||
                FAILED(m_site->m_viewObject->QueryInterface(IID_IViewObjectEx,
                                                            reinterpret_cast<void**>(&viewEx))))
                return 0;
            DWORD hit = HITRESULT_OUTSIDE;
            const HRESULT hr = viewEx->QueryHitPoint(DVASPECT_CONTENT, &m_rcItem, pt, 0, &hit);
            viewEx->Release();
            if (FAILED(hr) || hit != HITRESULT_HIT) return 0;
        }
        if (message == WM_SETCURSOR) wasHandled = false;
    }
    LRESULT result = 0;
    auto* windowless = static_cast<IOleInPlaceObjectWindowless*>(m_site->m_inPlaceObject);
    if (windowless->OnWindowMessage(message, wParam, lParam, &result) == S_OK)
        handled = wasHandled;
    return result;
}

}  // namespace Veneer
