#include "BrowserAccelerator.h"

namespace Veneer {

LRESULT TranslateBrowserAccelerator(MSG* msg, HWND host, IUnknown* browser) {
    if (!msg || msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST) return S_FALSE;
    if (!browser) return E_NOTIMPL;
    if (!host) return S_FALSE;
    for (HWND window = ::GetFocus(); window; window = ::GetParent(window)) {
        if (window != host) continue;
        IOleInPlaceActiveObject* active = nullptr;
        HRESULT hr = browser->QueryInterface(IID_IOleInPlaceActiveObject,
                                             reinterpret_cast<void**>(&active));
        if (FAILED(hr) || !active) return S_FALSE;
        hr = active->TranslateAccelerator(msg);
        active->Release();
        return hr;
    }
    return S_FALSE;
}

}  // namespace Veneer
