// The browser's events as the control's event sink receives them through IDispatch::Invoke, and
// the document hook-up each completed navigation needs.
#pragma once
#include <windows.h>
#include <ole2.h>
#include <exdisp.h>
#include <mshtmhst.h>

namespace Veneer {

class CBrowserEventSink;

// Hands one DWebBrowserEvents2 event to `handler` (may be null). `onNavigateComplete` runs
// before the handler hears of a completed navigation. Events the control does not handle answer
// DISP_E_MEMBERNOTFOUND; a known event with too few or mistyped arguments answers
// DISP_E_BADPARAMCOUNT or DISP_E_TYPEMISMATCH and nothing is called.
HRESULT DispatchBrowserEvent(DISPID id, const DISPPARAMS* params, CBrowserEventSink* handler,
                             void (*onNavigateComplete)(void* context), void* context);

// Makes `uiHandler` the UI handler of the browser's current document, when it has one that
// takes a handler. Every interface taken is released.
HRESULT HookDocumentUIHandler(IWebBrowser2* browser, IDocHostUIHandler* uiHandler);
// The same for a document already in hand.
HRESULT SetDocumentUIHandler(IUnknown* document, IDocHostUIHandler* uiHandler);

}  // namespace Veneer
