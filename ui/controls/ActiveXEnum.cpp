#include "ActiveXEnum.h"

namespace Veneer {

CActiveXEnum::CActiveXEnum(IUnknown* object) : m_object(object) {
    if (m_object) m_object->AddRef();
}

CActiveXEnum::~CActiveXEnum() {
    if (m_object) m_object->Release();
}

HRESULT STDMETHODCALLTYPE CActiveXEnum::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (riid == IID_IUnknown || riid == IID_IEnumUnknown) {
        *object = static_cast<IEnumUnknown*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CActiveXEnum::AddRef() { return ++m_refs; }

ULONG STDMETHODCALLTYPE CActiveXEnum::Release() {
    const ULONG left = --m_refs;
    if (left == 0) delete this;
    return left;
}

HRESULT STDMETHODCALLTYPE CActiveXEnum::Next(ULONG count, IUnknown** items, ULONG* fetched) {
    // The fetched count may be left out only when one element is asked for.
    if (fetched == nullptr && count != 1) return E_POINTER;
    if (fetched) *fetched = 0;
    if (count == 0) return S_OK;
    if (items == nullptr) return E_POINTER;
    items[0] = nullptr;
    ++m_position;
    if (m_position > 1 || m_object == nullptr) return S_FALSE;
    items[0] = m_object;
    m_object->AddRef();
    if (fetched) *fetched = 1;
    // One object per call: asking for more than one still answers only what there is.
    return count == 1 ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE CActiveXEnum::Skip(ULONG count) {
    m_position += count;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CActiveXEnum::Reset() {
    m_position = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CActiveXEnum::Clone(IEnumUnknown** copy) {
    if (copy) *copy = nullptr;
    return E_NOTIMPL;
}

}  // namespace Veneer
