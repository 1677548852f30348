#include "ActiveXFrameWnd.h"

#include "ActiveXUI.h"
#include "WindowManagerUI.h"

namespace Veneer {

CActiveXFrameWnd::CActiveXFrameWnd(CActiveXUI* owner) : m_owner(owner) {}

CActiveXFrameWnd::~CActiveXFrameWnd() {
    if (m_activeObject) m_activeObject->Release();
}

HRESULT STDMETHODCALLTYPE CActiveXFrameWnd::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (riid == IID_IUnknown || riid == IID_IOleWindow || riid == IID_IOleInPlaceFrame ||
        riid == IID_IOleInPlaceUIWindow) {
        *object = static_cast<IOleInPlaceFrame*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CActiveXFrameWnd::AddRef() { return ++m_refs; }

ULONG STDMETHODCALLTYPE CActiveXFrameWnd::Release() {
    const ULONG left = --m_refs;
    if (left == 0) delete this;
    return left;
}

HRESULT STDMETHODCALLTYPE CActiveXFrameWnd::GetWindow(HWND* window) {
    if (window == nullptr) return E_POINTER;
    *window = nullptr;
    if (m_owner == nullptr || m_owner->GetManager() == nullptr) return E_UNEXPECTED;
    *window = m_owner->GetManager()->GetPaintWindow();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CActiveXFrameWnd::ContextSensitiveHelp(BOOL) { return S_OK; }
HRESULT STDMETHODCALLTYPE CActiveXFrameWnd::GetBorder(LPRECT) { return S_OK; }

HRESULT STDMETHODCALLTYPE CActiveXFrameWnd::RequestBorderSpace(LPCBORDERWIDTHS) {
    return INPLACE_E_NOTOOLSPACE;
}

HRESULT STDMETHODCALLTYPE CActiveXFrameWnd::SetBorderSpace(LPCBORDERWIDTHS) { return S_OK; }

HRESULT STDMETHODCALLTYPE CActiveXFrameWnd::SetActiveObject(IOleInPlaceActiveObject* object,
                                                            LPCOLESTR) {
    // Objects going away hand in null: the old one is simply let go.
    if (object) object->AddRef();
    if (m_activeObject) m_activeObject->Release();
    m_activeObject = object;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CActiveXFrameWnd::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) {
    return S_OK;
}
HRESULT STDMETHODCALLTYPE CActiveXFrameWnd::SetMenu(HMENU, HOLEMENU, HWND) { return S_OK; }
HRESULT STDMETHODCALLTYPE CActiveXFrameWnd::RemoveMenus(HMENU) { return S_OK; }
HRESULT STDMETHODCALLTYPE CActiveXFrameWnd::SetStatusText(LPCOLESTR) { return S_OK; }
HRESULT STDMETHODCALLTYPE CActiveXFrameWnd::EnableModeless(BOOL) { return S_OK; }
HRESULT STDMETHODCALLTYPE CActiveXFrameWnd::TranslateAccelerator(LPMSG, WORD) { return S_FALSE; }

}  // namespace Veneer
