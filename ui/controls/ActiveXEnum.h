// Enumerates the one object an ActiveX container holds.
#pragma once
#include <windows.h>
#include <ole2.h>

namespace Veneer {

class CActiveXEnum final : public IEnumUnknown {
public:
    // `object` may be null: the enumeration is then empty.
    explicit CActiveXEnum(IUnknown* object);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE Next(ULONG count, IUnknown** items, ULONG* fetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumUnknown** copy) override;

private:
    ~CActiveXEnum();

    ULONG m_position = 0;
    ULONG m_refs = 1;
    IUnknown* m_object = nullptr;
};

}  // namespace Veneer
