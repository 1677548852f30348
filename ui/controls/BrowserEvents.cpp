#include "BrowserEvents.h"

#include <exdispid.h>
#include <mshtml.h>

#include "BrowserEventSink.h"
#include "BrowserGuids.h"

namespace Veneer {

namespace {

// The argument types each handled event carries, last argument first as they are stored.
struct EventShape {
    DISPID id;
    UINT count;
    VARTYPE types[7];
};

constexpr VARTYPE kRefVariant = VT_BYREF | VT_VARIANT;
constexpr VARTYPE kRefBool = VT_BYREF | VT_BOOL;

const EventShape kShapes[] = {
    {DISPID_STATUSTEXTCHANGE, 0, {}},
    {DISPID_COMMANDSTATECHANGE, 2, {VT_BOOL, VT_I4}},
    {DISPID_BEFORENAVIGATE2, 7,
     {kRefBool, kRefVariant, kRefVariant, kRefVariant, kRefVariant, kRefVariant, VT_DISPATCH}},
    {DISPID_NAVIGATECOMPLETE2, 2, {kRefVariant, VT_DISPATCH}},
    {DISPID_NAVIGATEERROR, 5, {kRefBool, kRefVariant, kRefVariant, kRefVariant, VT_DISPATCH}},
    {DISPID_NEWWINDOW3, 5, {VT_BSTR, VT_BSTR, VT_I4, kRefBool, VT_BYREF | VT_DISPATCH}},
};

const EventShape* FindShape(DISPID id) {
    for (const EventShape& shape : kShapes) {
        if (shape.id == id) return &shape;
    }
    return nullptr;
}

// Reading a union member of another type would hand the handler a wild pointer, so every
// argument must carry the type the event is published with (a 32-bit number may come unsigned).
HRESULT CheckArguments(const EventShape& shape, const DISPPARAMS* params) {
    if (shape.count == 0) return S_OK;
    if (!params || !params->rgvarg || params->cArgs < shape.count) return DISP_E_BADPARAMCOUNT;
    for (UINT i = 0; i < shape.count; ++i) {
        VARTYPE vt = params->rgvarg[i].vt;
        if (shape.types[i] == VT_I4 && vt == VT_UI4) continue;
        if (vt != shape.types[i]) return DISP_E_TYPEMISMATCH;
    }
    return S_OK;
}

}  // namespace

HRESULT DispatchBrowserEvent(DISPID id, const DISPPARAMS* params, CBrowserEventSink* handler,
                             void (*onNavigateComplete)(void* context), void* context) {
    const EventShape* shape = FindShape(id);
    if (!shape) return DISP_E_MEMBERNOTFOUND;
    HRESULT hr = CheckArguments(*shape, params);
    if (FAILED(hr)) return hr;
    VARIANTARG* a = shape->count ? params->rgvarg : nullptr;
    switch (id) {
    case DISPID_COMMANDSTATECHANGE:
        if (handler) handler->CommandStateChange(a[1].lVal, a[0].boolVal);
        break;
    case DISPID_BEFORENAVIGATE2:
        if (handler) {
            handler->BeforeNavigate2(a[6].pdispVal, a[5].pvarVal, a[4].pvarVal, a[3].pvarVal,
                                     a[2].pvarVal, a[1].pvarVal, a[0].pboolVal);
        }
        break;
    case DISPID_NAVIGATECOMPLETE2:
        if (onNavigateComplete) onNavigateComplete(context);
        if (handler) handler->NavigateComplete2(a[1].pdispVal, a[0].pvarVal);
        break;
    case DISPID_NAVIGATEERROR:
        if (handler) {
            handler->NavigateError(a[4].pdispVal, a[3].pvarVal, a[2].pvarVal, a[1].pvarVal,
                                   a[0].pboolVal);
        }
        break;
    case DISPID_NEWWINDOW3:
        if (handler) {
            handler->NewWindow3(a[4].ppdispVal, a[3].pboolVal, static_cast<DWORD>(a[2].lVal),
                                a[1].bstrVal, a[0].bstrVal);
        }
        break;
    default:
        break;
    }
    return S_OK;
}

HRESULT SetDocumentUIHandler(IUnknown* document, IDocHostUIHandler* uiHandler) {
    if (!document) return E_POINTER;
    ICustomDoc* custom = nullptr;
    HRESULT hr = document->QueryInterface(kIidCustomDoc, reinterpret_cast<void**>(&custom));
    if (FAILED(hr) || !custom) return FAILED(hr) ? hr : E_NOINTERFACE;
    hr = custom->SetUIHandler(uiHandler);
    custom->Release();
    return hr;
}

HRESULT HookDocumentUIHandler(IWebBrowser2* browser, IDocHostUIHandler* uiHandler) {
    if (!browser) return E_POINTER;
    IDispatch* document = nullptr;
    HRESULT hr = browser->get_Document(&document);
    if (FAILED(hr) || !document) return FAILED(hr) ? hr : S_FALSE;
    hr = SetDocumentUIHandler(document, uiHandler);
    document->Release();
    return hr;
}

}  // namespace Veneer
