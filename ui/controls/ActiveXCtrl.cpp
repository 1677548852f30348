#include "ActiveXCtrl.h"

#include <new>

#include "ActiveXEnum.h"
#include "ActiveXFrameWnd.h"
#include "ActiveXUI.h"
#include "ActiveXWnd.h"
#include "GdiHandle.h"
#include "WindowManagerUI.h"

namespace Veneer {

namespace {

RECT AtOrigin(RECT rc) {
    OffsetRect(&rc, -rc.left, -rc.top);
    return rc;
}

}  // namespace

CActiveXCtrl::CActiveXCtrl() = default;

CActiveXCtrl::~CActiveXCtrl() {
    DestroyOwnWindow();
    if (m_unkSite) m_unkSite->Release();
    if (m_viewObject) m_viewObject->Release();
    if (m_inPlaceObject) m_inPlaceObject->Release();
}

void CActiveXCtrl::DropObject() {
    m_inPlaceActive = false;
    LetGoOfCapture();
    if (m_viewObject) {
        m_viewObject->Release();
        m_viewObject = nullptr;
    }
    if (m_inPlaceObject) {
        m_inPlaceObject->Release();
        m_inPlaceObject = nullptr;
    }
    DestroyOwnWindow();
}

void CActiveXCtrl::LetGoOfCapture() {
    // Another window may have taken the capture since: that one is not this object's to end.
    if (m_captured && m_captureWindow && ::GetCapture() == m_captureWindow) ::ReleaseCapture();
    m_captured = false;
    m_captureWindow = nullptr;
}

void CActiveXCtrl::UnlockRunning(IOleObject* object) {
    if (!m_runningLocked || object == nullptr) return;
    m_runningLocked = false;
    OleLockRunning(object, FALSE, FALSE);
}

HWND CActiveXCtrl::GetOwnWindow() const { return m_window ? m_window->GetHWND() : nullptr; }

void CActiveXCtrl::DestroyOwnWindow() {
    if (m_window == nullptr) return;
    CActiveXWnd* window = m_window;
    m_window = nullptr;
    if (window->GetHWND() && IsWindow(window->GetHWND())) DestroyWindow(window->GetHWND());
    delete window;
}

HRESULT CActiveXCtrl::CreateOwnWindow() {
    if (m_window) return S_OK;
    auto* window = new (std::nothrow) CActiveXWnd;
    if (window == nullptr) return E_OUTOFMEMORY;
    HWND parent = m_owner && m_owner->GetManager() ? m_owner->GetManager()->GetPaintWindow()
                                                   : nullptr;
    HWND hwnd = window->CreateFor(this, parent);
    if (hwnd == nullptr) {
        delete window;
        return E_FAIL;
    }
    m_window = window;
    if (m_owner) m_owner->m_hostWindow = hwnd;
    return S_OK;
}

// ---- IUnknown -------------------------------------------------------------------------------

HRESULT STDMETHODCALLTYPE CActiveXCtrl::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (riid == IID_IUnknown || riid == IID_IOleInPlaceSiteWindowless ||
        riid == IID_IOleInPlaceSiteEx || riid == IID_IOleInPlaceSite || riid == IID_IOleWindow)
        *object = static_cast<IOleInPlaceSiteWindowless*>(this);
    else if (riid == IID_IOleClientSite)
        *object = static_cast<IOleClientSite*>(this);
    else if (riid == IID_IOleControlSite)
        *object = static_cast<IOleControlSite*>(this);
    else if (riid == IID_IObjectWithSite)
        *object = static_cast<IObjectWithSite*>(this);
    else if (riid == IID_IOleContainer)
        *object = static_cast<IOleContainer*>(this);
    if (*object == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE CActiveXCtrl::AddRef() { return ++m_refs; }

ULONG STDMETHODCALLTYPE CActiveXCtrl::Release() {
    const ULONG left = --m_refs;
    if (left == 0) delete this;
    return left;
}

// ---- IObjectWithSite ------------------------------------------------------------------------

HRESULT STDMETHODCALLTYPE CActiveXCtrl::SetSite(IUnknown* site) {
    if (site) site->AddRef();
    if (m_unkSite) m_unkSite->Release();
    m_unkSite = site;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CActiveXCtrl::GetSite(REFIID riid, void** site) {
    if (site == nullptr) return E_POINTER;
    *site = nullptr;
    if (m_unkSite == nullptr) return E_FAIL;
    return m_unkSite->QueryInterface(riid, site);
}

// ---- IOleClientSite -------------------------------------------------------------------------

HRESULT STDMETHODCALLTYPE CActiveXCtrl::SaveObject() { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE CActiveXCtrl::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CActiveXCtrl::GetContainer(IOleContainer** container) {
    if (container == nullptr) return E_POINTER;
    *container = nullptr;
    HRESULT hr = E_NOTIMPL;
    if (m_unkSite)
        hr = m_unkSite->QueryInterface(IID_IOleContainer, reinterpret_cast<void**>(container));
    if (FAILED(hr)) hr = QueryInterface(IID_IOleContainer, reinterpret_cast<void**>(container));
    return hr;
}

HRESULT STDMETHODCALLTYPE CActiveXCtrl::ShowObject() {
    if (m_owner == nullptr) return E_UNEXPECTED;
    // An object that has no view (yet, or any more) has nothing to show.
    if (m_viewObject == nullptr) return E_UNEXPECTED;
    HWND hwnd = m_owner->GetHostWindow();
    const kesh::UniqueWindowDC dc(hwnd, hwnd ? ::GetDC(hwnd) : nullptr);
    if (!dc) return E_FAIL;
    const RECT rc = m_owner->GetPos();
    RECTL bounds = {rc.left, rc.top, rc.right, rc.bottom};
    m_viewObject->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc.get(), &bounds,
                       &bounds, nullptr, 0);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CActiveXCtrl::OnShowWindow(BOOL) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE CActiveXCtrl::RequestNewObjectLayout() { return E_NOTIMPL; }

// ---- IOleWindow -----------------------------------------------------------------------------

HRESULT STDMETHODCALLTYPE CActiveXCtrl::GetWindow(HWND* window) {
    if (window == nullptr) return E_POINTER;
    *window = nullptr;
    if (m_owner == nullptr) return E_UNEXPECTED;
    if (m_owner->GetHostWindow() == nullptr) CreateOwnWindow();
    if (m_owner->GetHostWindow() == nullptr) return E_FAIL;
    *window = m_owner->GetHostWindow();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CActiveXCtrl::ContextSensitiveHelp(BOOL) { return S_OK; }

// ---- IOleInPlaceSite ------------------------------------------------------------------------

HRESULT STDMETHODCALLTYPE CActiveXCtrl::CanInPlaceActivate() { return S_OK; }

HRESULT STDMETHODCALLTYPE CActiveXCtrl::OnInPlaceActivate() {
    BOOL noRedraw = FALSE;
    return OnInPlaceActivateEx(&noRedraw, 0);
}

HRESULT STDMETHODCALLTYPE CActiveXCtrl::OnUIActivate() {
    m_uiActive = true;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CActiveXCtrl::GetWindowContext(IOleInPlaceFrame** frame,
                                                         IOleInPlaceUIWindow** document,
                                                         LPRECT position, LPRECT clip,
                                                         LPOLEINPLACEFRAMEINFO info) {
    if (frame) *frame = nullptr;
    if (document) *document = nullptr;
    if (frame == nullptr || document == nullptr || position == nullptr || clip == nullptr ||
        info == nullptr)
        return E_POINTER;
    if (m_owner == nullptr) return E_UNEXPECTED;
    // A windowed object sits at its window's origin; a windowless one at the control's place.
    RECT rc = m_owner->GetPos();
    if (GetOwnWindow()) GetClientRect(GetOwnWindow(), &rc);
    *position = rc;
    *clip = rc;
    auto* frameWnd = new (std::nothrow) CActiveXFrameWnd(m_owner);
    if (frameWnd == nullptr) return E_OUTOFMEMORY;
    *frame = frameWnd;
    // The frame has no accelerators: a table made per call would never be freed by anyone.
    info->cb = sizeof(OLEINPLACEFRAMEINFO);
    info->fMDIApp = FALSE;
    info->hwndFrame = m_owner->GetManager() ? m_owner->GetManager()->GetPaintWindow() : nullptr;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CActiveXCtrl::Scroll(SIZE) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE CActiveXCtrl::OnUIDeactivate(BOOL) {
    m_uiActive = false;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CActiveXCtrl::OnInPlaceDeactivate() { return OnInPlaceDeactivateEx(TRUE); }
HRESULT STDMETHODCALLTYPE CActiveXCtrl::DiscardUndoState() { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE CActiveXCtrl::DeactivateAndUndo() { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE CActiveXCtrl::OnPosRectChange(LPCRECT) { return E_NOTIMPL; }

// ---- IOleInPlaceSiteEx ----------------------------------------------------------------------

HRESULT STDMETHODCALLTYPE CActiveXCtrl::OnInPlaceActivateEx(BOOL*, DWORD flags) {
    if (m_owner == nullptr || m_owner->m_object == nullptr) return E_UNEXPECTED;
    IOleObject* object = m_owner->m_object;
    // Objects may activate again and again: one lock per object, undone when it is closed.
    if (!m_runningLocked) m_runningLocked = SUCCEEDED(OleLockRunning(object, TRUE, FALSE));
    HRESULT hr = E_FAIL;
    if (m_inPlaceObject) {
        m_inPlaceObject->Release();
        m_inPlaceObject = nullptr;
    }
    if (flags & ACTIVATE_WINDOWLESS) {
        m_windowless = true;
        hr = object->QueryInterface(IID_IOleInPlaceObjectWindowless,
                                    reinterpret_cast<void**>(&m_inPlaceObject));
        if (SUCCEEDED(hr)) {
            m_owner->m_hostWindow =
                m_owner->GetManager() ? m_owner->GetManager()->GetPaintWindow() : nullptr;
            m_owner->AddFilterOnce();
        }
    }
    if (!(flags & ACTIVATE_WINDOWLESS) || FAILED(hr)) {
        m_windowless = false;
        hr = CreateOwnWindow();
        if (hr == E_OUTOFMEMORY) return hr;
        hr = object->QueryInterface(IID_IOleInPlaceObject,
                                    reinterpret_cast<void**>(&m_inPlaceObject));
    }
    if (m_inPlaceObject) {
        RECT rc = m_owner->GetPos();
        if (!m_windowless) rc = AtOrigin(rc);
        hr = m_inPlaceObject->SetObjectRects(&rc, &rc);
    }
    m_inPlaceActive = SUCCEEDED(hr);
    return hr;
}

HRESULT STDMETHODCALLTYPE CActiveXCtrl::OnInPlaceDeactivateEx(BOOL) {
    m_inPlaceActive = false;
    // An inactive object gets no more mouse messages, so a capture it held would only starve
    // the window.
    LetGoOfCapture();
    if (m_inPlaceObject) {
        m_inPlaceObject->Release();
        m_inPlaceObject = nullptr;
    }
    DestroyOwnWindow();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CActiveXCtrl::RequestUIActivate() { return S_OK; }

// ---- IOleInPlaceSiteWindowless --------------------------------------------------------------

HRESULT STDMETHODCALLTYPE CActiveXCtrl::CanWindowlessActivate() { return S_OK; }

HRESULT STDMETHODCALLTYPE CActiveXCtrl::GetCapture() {
    if (m_owner == nullptr) return E_UNEXPECTED;
    return m_captured ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE CActiveXCtrl::SetCapture(BOOL capture) {
    if (m_owner == nullptr) return E_UNEXPECTED;
    if (capture == TRUE) {
        m_captureWindow = m_owner->GetHostWindow();
        ::SetCapture(m_captureWindow);
        m_captured = true;
    } else {
        LetGoOfCapture();
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CActiveXCtrl::GetFocus() {
    if (m_owner == nullptr) return E_UNEXPECTED;
    return m_focused ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE CActiveXCtrl::SetFocus(BOOL focus) {
    if (m_owner == nullptr) return E_UNEXPECTED;
    if (focus == TRUE) m_owner->SetFocus();
    m_focused = focus == TRUE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CActiveXCtrl::GetDC(LPCRECT, DWORD flags, HDC* dc) {
    if (dc == nullptr) return E_POINTER;
    *dc = nullptr;
    if (m_owner == nullptr) return E_UNEXPECTED;
    if (m_windowless) return S_FALSE;
    HWND hwnd = m_owner->GetHostWindow();
    *dc = hwnd ? ::GetDC(hwnd) : nullptr;
    if (*dc == nullptr) return E_FAIL;
    if (flags & OLEDC_PAINTBKGND) {
        RECT rc = AtOrigin(m_owner->GetPos());
        ::FillRect(*dc, &rc, reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1)));
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CActiveXCtrl::ReleaseDC(HDC dc) {
    if (m_owner == nullptr) return E_UNEXPECTED;
    ::ReleaseDC(m_owner->GetHostWindow(), dc);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CActiveXCtrl::InvalidateRect(LPCRECT rect, BOOL erase) {
    if (m_owner == nullptr) return E_UNEXPECTED;
    HWND hwnd = m_owner->GetHostWindow();
    if (hwnd == nullptr) return E_FAIL;
    return ::InvalidateRect(hwnd, rect, erase) ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE CActiveXCtrl::InvalidateRgn(HRGN region, BOOL erase) {
    if (m_owner == nullptr) return E_UNEXPECTED;
    HWND hwnd = m_owner->GetHostWindow();
    if (hwnd == nullptr) return E_FAIL;
    return ::InvalidateRgn(hwnd, region, erase) ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE CActiveXCtrl::ScrollRect(INT, INT, LPCRECT, LPCRECT) { return S_OK; }
HRESULT STDMETHODCALLTYPE CActiveXCtrl::AdjustRect(LPRECT) { return S_OK; }

HRESULT STDMETHODCALLTYPE CActiveXCtrl::OnDefWindowMessage(UINT msg, WPARAM wParam,
                                                           LPARAM lParam, LRESULT* result) {
    if (m_owner == nullptr) return E_UNEXPECTED;
    const LRESULT answer = ::DefWindowProcW(m_owner->GetHostWindow(), msg, wParam, lParam);
    if (result) *result = answer;
    return S_OK;
}

// ---- IOleControlSite ------------------------------------------------------------------------

HRESULT STDMETHODCALLTYPE CActiveXCtrl::OnControlInfoChanged() { return S_OK; }
HRESULT STDMETHODCALLTYPE CActiveXCtrl::LockInPlaceActive(BOOL) { return S_OK; }

HRESULT STDMETHODCALLTYPE CActiveXCtrl::GetExtendedControl(IDispatch** dispatch) {
    if (dispatch == nullptr) return E_POINTER;
    *dispatch = nullptr;
    if (m_owner == nullptr || m_owner->m_object == nullptr) return E_UNEXPECTED;
    return m_owner->m_object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch));
}

HRESULT STDMETHODCALLTYPE CActiveXCtrl::TransformCoords(POINTL*, POINTF*, DWORD) { return S_OK; }
HRESULT STDMETHODCALLTYPE CActiveXCtrl::TranslateAccelerator(MSG*, DWORD) { return S_FALSE; }

HRESULT STDMETHODCALLTYPE CActiveXCtrl::OnFocus(BOOL focus) {
    m_focused = focus == TRUE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CActiveXCtrl::ShowPropertyFrame() { return E_NOTIMPL; }

// ---- IOleContainer --------------------------------------------------------------------------

HRESULT STDMETHODCALLTYPE CActiveXCtrl::ParseDisplayName(IBindCtx*, LPOLESTR, ULONG*,
                                                         IMoniker** moniker) {
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CActiveXCtrl::EnumObjects(DWORD, IEnumUnknown** items) {
    if (items == nullptr) return E_POINTER;
    *items = nullptr;
    if (m_owner == nullptr || m_owner->m_object == nullptr) return E_UNEXPECTED;
    auto* enumerator = new (std::nothrow) CActiveXEnum(m_owner->m_object);
    if (enumerator == nullptr) return E_OUTOFMEMORY;
    *items = enumerator;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CActiveXCtrl::LockContainer(BOOL lock) {
    m_locked = lock != FALSE;
    return S_OK;
}

}  // namespace Veneer
