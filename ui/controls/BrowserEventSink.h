// What an owner of a web browser control may answer for it: the browser's notifications and the
// document host's UI questions. The control forwards each call here when a handler is set and
// otherwise answers with fixed defaults.
#pragma once
#include <windows.h>
#include <ole2.h>
#include <mshtmhst.h>
#include <urlmon.h>

namespace Veneer {

class CBrowserEventSink {
public:
    virtual void BeforeNavigate2(IDispatch* disp, VARIANT*& url, VARIANT*& flags,
                                 VARIANT*& targetFrameName, VARIANT*& postData,
                                 VARIANT*& headers, VARIANT_BOOL*& cancel) = 0;
    virtual void NavigateError(IDispatch* disp, VARIANT*& url, VARIANT*& frame,
                               VARIANT*& statusCode, VARIANT_BOOL*& cancel) = 0;
    virtual void NavigateComplete2(IDispatch* disp, VARIANT*& url) = 0;
    // Kept for the slot order handlers are written against; the control never calls it.
    virtual void ProgressChange(LONG progress, LONG progressMax) = 0;
    virtual void NewWindow3(IDispatch** disp, VARIANT_BOOL*& cancel, DWORD flags,
                            BSTR urlContext, BSTR url) = 0;
    virtual void CommandStateChange(long command, VARIANT_BOOL enable) = 0;

    // The document host's questions, called as the host is asked them (COM calling convention).
    virtual HRESULT STDMETHODCALLTYPE ShowContextMenu(DWORD id,
                                                      POINT* pt, IUnknown* cmdTarget,
                                                      IDispatch* object) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetHostInfo(DOCHOSTUIINFO* info) = 0;
    virtual HRESULT STDMETHODCALLTYPE ShowUI(DWORD id,
                                             IOleInPlaceActiveObject* activeObject,
                                             IOleCommandTarget* commandTarget,
                                             IOleInPlaceFrame* frame,
                                             IOleInPlaceUIWindow* doc) = 0;
    virtual HRESULT STDMETHODCALLTYPE HideUI() = 0;
    virtual HRESULT STDMETHODCALLTYPE UpdateUI() = 0;
    virtual HRESULT STDMETHODCALLTYPE EnableModeless(BOOL enable) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL activate) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL activate) = 0;
    virtual HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT border,
                                                   IOleInPlaceUIWindow* window,
                                                   BOOL frameWindow) = 0;
    virtual HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG msg,
                                                           const GUID* group,
                                                           DWORD command) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetOptionKeyPath(LPOLESTR* key,
                                                       DWORD reserved) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDropTarget(IDropTarget* dropTarget,
                                                    IDropTarget** replacement) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetExternal(IDispatch** external) = 0;
    virtual HRESULT STDMETHODCALLTYPE TranslateUrl(DWORD translate,
                                                   LPWSTR urlIn, LPWSTR* urlOut) = 0;
    virtual HRESULT STDMETHODCALLTYPE FilterDataObject(IDataObject* object,
                                                       IDataObject** replacement) = 0;

    virtual HRESULT Download(IMoniker* moniker, IBindCtx* context, DWORD bindVerb, LONG bindFlags,
                             BINDINFO* bindInfo, LPCOLESTR headers, LPCOLESTR redirect,
                             UINT codePage) = 0;

protected:
    ~CBrowserEventSink() = default;
};

}  // namespace Veneer
