// Lines children up from left to right inside the inset: declared widths first, the rest shared
// by the children without one, the last of them taking the remainder.
#pragma once
#include "BoxLayoutUI.h"

namespace Veneer {

class CHorizontalLayoutUI : public CBoxLayoutUI {
public:
    CHorizontalLayoutUI() : CBoxLayoutUI(true) {}
    const wchar_t* GetTypeName() const override;
    void* QueryPart(const wchar_t* name) override;
    void SetPos(RECT rc, bool needInvalidate = true) override;
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
};

}  // namespace Veneer
