#include "WebBrowserCom.h"

#include "BrowserAccelerator.h"
#include "BrowserEventSink.h"
#include "BrowserEvents.h"
#include "BrowserGuids.h"
#include "ScriptErrorCommand.h"

namespace Veneer {

HRESULT STDMETHODCALLTYPE CWebBrowserCom::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    // IUnknown is left unanswered on purpose: the browser asks for the parts by name, and
    // none of them is the object's identity.
    if (IsEqualIID(riid, IID_IDocHostUIHandler)) {
        *object = static_cast<IDocHostUIHandler*>(this);
    } else if (IsEqualIID(riid, IID_IDispatch)) {
        *object = static_cast<IDispatch*>(this);
    } else if (IsEqualIID(riid, IID_IServiceProvider)) {
        *object = static_cast<IServiceProvider*>(this);
    } else if (IsEqualIID(riid, IID_IOleCommandTarget)) {
        *object = static_cast<IOleCommandTarget*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE CWebBrowserCom::AddRef() {
    return static_cast<ULONG>(::InterlockedIncrement(&m_refs));
}

ULONG STDMETHODCALLTYPE CWebBrowserCom::Release() {
    return static_cast<ULONG>(::InterlockedDecrement(&m_refs));
}

HRESULT STDMETHODCALLTYPE CWebBrowserCom::ShowContextMenu(DWORD id, POINT* pt,
                                                          IUnknown* cmdTarget,
                                                          IDispatch* object) {
    return m_handler ? m_handler->ShowContextMenu(id, pt, cmdTarget, object) : S_FALSE;
}

HRESULT STDMETHODCALLTYPE CWebBrowserCom::GetHostInfo(DOCHOSTUIINFO* info) {
    return m_handler ? m_handler->GetHostInfo(info) : E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CWebBrowserCom::ShowUI(DWORD id, IOleInPlaceActiveObject* activeObject,
                                                 IOleCommandTarget* commandTarget,
                                                 IOleInPlaceFrame* frame,
                                                 IOleInPlaceUIWindow* doc) {
    return m_handler ? m_handler->ShowUI(id, activeObject, commandTarget, frame, doc) : S_OK;
}

HRESULT STDMETHODCALLTYPE CWebBrowserCom::HideUI() {
    return m_handler ? m_handler->HideUI() : S_OK;
}

HRESULT STDMETHODCALLTYPE CWebBrowserCom::UpdateUI() {
    return m_handler ? m_handler->UpdateUI() : S_OK;
}

HRESULT STDMETHODCALLTYPE CWebBrowserCom::EnableModeless(WINBOOL enable) {
    return m_handler ? m_handler->EnableModeless(enable) : E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CWebBrowserCom::OnDocWindowActivate(WINBOOL activate) {
    return m_handler ? m_handler->OnDocWindowActivate(activate) : E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CWebBrowserCom::OnFrameWindowActivate(WINBOOL activate) {
    return m_handler ? m_handler->OnFrameWindowActivate(activate) : E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CWebBrowserCom::ResizeBorder(LPCRECT border,
                                                       IOleInPlaceUIWindow* window,
                                                       WINBOOL frameWindow) {
    return m_handler ? m_handler->ResizeBorder(border, window, frameWindow) : E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CWebBrowserCom::TranslateAccelerator(LPMSG msg, const GUID* group,
                                                               DWORD command) {
    return m_handler ? m_handler->TranslateAccelerator(msg, group, command) : S_FALSE;
}

HRESULT STDMETHODCALLTYPE CWebBrowserCom::GetOptionKeyPath(LPOLESTR* key, DWORD reserved) {
    return m_handler ? m_handler->GetOptionKeyPath(key, reserved) : E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CWebBrowserCom::GetDropTarget(IDropTarget* dropTarget,
                                                        IDropTarget** replacement) {
    return m_handler ? m_handler->GetDropTarget(dropTarget, replacement) : S_FALSE;
}

HRESULT STDMETHODCALLTYPE CWebBrowserCom::GetExternal(IDispatch** external) {
    return m_handler ? m_handler->GetExternal(external) : S_FALSE;
}

HRESULT STDMETHODCALLTYPE CWebBrowserCom::TranslateUrl(DWORD translate, LPWSTR urlIn,
                                                       LPWSTR* urlOut) {
    if (m_handler) return m_handler->TranslateUrl(translate, urlIn, urlOut);
    if (urlOut) *urlOut = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CWebBrowserCom::FilterDataObject(IDataObject* object,
                                                           IDataObject** replacement) {
    if (m_handler) return m_handler->FilterDataObject(object, replacement);
    if (replacement) *replacement = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CWebBrowserCom::QueryService(REFGUID service, REFIID riid,
                                                       void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (IsEqualGUID(service, kIidDownloadManager) && IsEqualIID(riid, kIidDownloadManager)) {
        // Handed out uncounted: the control outlives the browser that asks.
        *object = static_cast<IDownloadManager*>(this);
        return S_OK;
    }
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE CWebBrowserCom::QueryStatus(const GUID*, ULONG, OLECMD*, OLECMDTEXT*) {
    return OLECMDERR_E_NOTSUPPORTED;
}

HRESULT STDMETHODCALLTYPE CWebBrowserCom::Exec(const GUID* group, DWORD command, DWORD,
                                               VARIANT* in, VARIANT* out) {
    return ExecDocHostCommand(group, command, in, out);
}

HRESULT STDMETHODCALLTYPE CWebBrowserCom::GetTypeInfoCount(UINT* count) {
    if (count) *count = 0;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CWebBrowserCom::GetTypeInfo(UINT, LCID, ITypeInfo**) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CWebBrowserCom::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CWebBrowserCom::Invoke(DISPID id, REFIID riid, LCID, WORD,
                                                 DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                                 UINT*) {
    if (!IsEqualIID(riid, IID_NULL)) return E_INVALIDARG;
    return DispatchBrowserEvent(id, params, m_handler, &CWebBrowserCom::OnNavigateComplete, this);
}

void CWebBrowserCom::OnNavigateComplete(void* self) {
    // The control's own browser, not the event's frame: the handler belongs to the top document.
    auto* com = static_cast<CWebBrowserCom*>(self);
    HookDocumentUIHandler(com->HostedBrowser(), static_cast<IDocHostUIHandler*>(com));
}

LRESULT CWebBrowserCom::TranslateAccelerator(MSG* msg) {
    return TranslateBrowserAccelerator(msg, BrowserHostWindow(), HostedBrowser());
}

HRESULT STDMETHODCALLTYPE CWebBrowserCom::Download(IMoniker* moniker, IBindCtx* context,
                                                   DWORD bindVerb, LONG bindFlags,
                                                   BINDINFO* bindInfo, LPCOLESTR headers,
                                                   LPCOLESTR redirect, UINT codePage) {
    if (!m_handler) return S_OK;
    return m_handler->Download(moniker, context, bindVerb, bindFlags, bindInfo, headers,
                               redirect, codePage);
}

}  // namespace Veneer
