#include "ScriptErrorCommand.h"

#include <docobj.h>
#include <mshtml.h>

#include "BrowserGuids.h"

namespace Veneer {

namespace {

// The script-error command of the document host's group.
constexpr DWORD kShowScriptError = 40;

// Owns one interface pointer for the length of a scope.
template <typename T>
class ComRef {
public:
    ComRef() = default;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ~ComRef() {
        if (m_p) m_p->Release();
    }
    T** Out() { return &m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    T* Get() const { return m_p; }

private:
    T* m_p = nullptr;
};

IUnknown* ObjectOf(const VARIANT* in) {
    if (!in) return nullptr;
    if (in->vt == VT_UNKNOWN) return in->punkVal;
    if (in->vt == VT_DISPATCH) return in->pdispVal;
    return nullptr;
}

HRESULT ReadProperty(IDispatch* object, const wchar_t* name) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_SYSTEM_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    VARIANT value;
    VariantInit(&value);
    hr = object->Invoke(id, IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_PROPERTYGET, &none, &value,
                        nullptr, nullptr);
    VariantClear(&value);
    return hr;
}

// Reads the error's details from the document's window event and answers the last read. The
// values are not shown. Without a document, window or event there is nothing to read: S_OK.
HRESULT ReadScriptError(IUnknown* object) {
    if (!object) return S_OK;
    ComRef<IHTMLDocument2> document;
    HRESULT hr = object->QueryInterface(IID_IHTMLDocument2,
                                        reinterpret_cast<void**>(document.Out()));
    if (FAILED(hr) || !document) return S_OK;
    ComRef<IHTMLWindow2> window;
    hr = document->get_parentWindow(window.Out());
    if (FAILED(hr) || !window) return S_OK;
    ComRef<IHTMLEventObj> event;
    hr = window->get_event(event.Out());
    if (FAILED(hr) || !event) return S_OK;
    static const wchar_t* const kNames[] = {L"errorLine", L"errorCharacter", L"errorCode",
                                            L"errorMessage", L"errorUrl"};
    for (const wchar_t* name : kNames) hr = ReadProperty(event.Get(), name);
    return hr;
}

}  // namespace

HRESULT ExecDocHostCommand(const GUID* group, DWORD command, VARIANT* in, VARIANT* out) {
    if (!group || !IsEqualGUID(*group, kCgidDocHostCommandHandler)) {
        return OLECMDERR_E_UNKNOWNGROUP;
    }
    if (command != kShowScriptError) return OLECMDERR_E_NOTSUPPORTED;
    if (!out) return E_POINTER;
    HRESULT hr = ReadScriptError(ObjectOf(in));
    // The error is swallowed even when its details cannot be read: answering a failure would
    // let the browser show its error dialog after all.
    VariantClear(out);
    out->vt = VT_BOOL;
    out->boolVal = VARIANT_TRUE;
    return hr;
}

}  // namespace Veneer
