// The COM side of the web browser control: the browser's event sink, the document host's UI
// handler, command target and service provider, the download manager and the window manager's
// accelerator hook. The control mixes this in beside its ActiveX host and names the browser and
// the window it lives in. The parts share one count and never delete the object: the control
// tree owns it.
#pragma once
#include <windows.h>
#include <ole2.h>
#include <docobj.h>
#include <downloadmgr.h>
#include <exdisp.h>
#include <mshtmhst.h>
#include <servprov.h>

#include "UIInterfaces.h"

namespace Veneer {

class CBrowserEventSink;

class CWebBrowserCom : public IDocHostUIHandler,
                       public IServiceProvider,
                       public IOleCommandTarget,
                       public IDispatch,
                       public ITranslateAccelerator,
                       public IDownloadManager {
public:
    CWebBrowserCom() = default;
    CWebBrowserCom(const CWebBrowserCom&) = delete;
    CWebBrowserCom& operator=(const CWebBrowserCom&) = delete;
    virtual ~CWebBrowserCom() = default;

    // Not owned; null restores the defaults.
    void SetEventHandler(CBrowserEventSink* handler) { m_handler = handler; }
    CBrowserEventSink* GetEventHandler() const { return m_handler; }
    LONG ComRefCount() const { return m_refs; }

    // IUnknown, shared by every part
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDocHostUIHandler
    HRESULT STDMETHODCALLTYPE ShowContextMenu(DWORD id, POINT* pt, IUnknown* cmdTarget,
                                              IDispatch* object) override;
    HRESULT STDMETHODCALLTYPE GetHostInfo(DOCHOSTUIINFO* info) override;
    HRESULT STDMETHODCALLTYPE ShowUI(DWORD id, IOleInPlaceActiveObject* activeObject,
                                     IOleCommandTarget* commandTarget, IOleInPlaceFrame* frame,
                                     IOleInPlaceUIWindow* doc) override;
    HRESULT STDMETHODCALLTYPE HideUI() override;
    HRESULT STDMETHODCALLTYPE UpdateUI() override;
    HRESULT STDMETHODCALLTYPE EnableModeless(WINBOOL enable) override;
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(WINBOOL activate) override;
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(WINBOOL activate) override;
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window,
                                           WINBOOL frameWindow) override;
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG msg, const GUID* group,
                                                   DWORD command) override;
    HRESULT STDMETHODCALLTYPE GetOptionKeyPath(LPOLESTR* key, DWORD reserved) override;
    HRESULT STDMETHODCALLTYPE GetDropTarget(IDropTarget* dropTarget,
                                            IDropTarget** replacement) override;
    HRESULT STDMETHODCALLTYPE GetExternal(IDispatch** external) override;
    HRESULT STDMETHODCALLTYPE TranslateUrl(DWORD translate, LPWSTR urlIn,
                                           LPWSTR* urlOut) override;
    HRESULT STDMETHODCALLTYPE FilterDataObject(IDataObject* object,
                                               IDataObject** replacement) override;

    // IServiceProvider
    HRESULT STDMETHODCALLTYPE QueryService(REFGUID service, REFIID riid, void** object) override;

    // IOleCommandTarget
    HRESULT STDMETHODCALLTYPE QueryStatus(const GUID* group, ULONG count, OLECMD* commands,
                                          OLECMDTEXT* text) override;
    HRESULT STDMETHODCALLTYPE Exec(const GUID* group, DWORD command, DWORD options, VARIANT* in,
                                   VARIANT* out) override;

    // IDispatch: the browser's event sink
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count,
                                            LCID locale, DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID locale, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argError) override;

    // ITranslateAccelerator: the window manager's hook
    LRESULT TranslateAccelerator(MSG* msg) override;

    // IDownloadManager: the handler's answer, S_OK (accepted, nothing fetched) without one.
    HRESULT STDMETHODCALLTYPE Download(IMoniker* moniker, IBindCtx* context, DWORD bindVerb,
                                       LONG bindFlags, BINDINFO* bindInfo, LPCOLESTR headers,
                                       LPCOLESTR redirect, UINT codePage) override;

protected:
    // The hosted browser (null while there is none) and the window it was activated in.
    virtual IWebBrowser2* HostedBrowser() const = 0;
    virtual HWND BrowserHostWindow() const = 0;

private:
    static void OnNavigateComplete(void* self);

    LONG m_refs = 0;
    CBrowserEventSink* m_handler = nullptr;
};

}  // namespace Veneer
