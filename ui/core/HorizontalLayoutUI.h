// Lines children up from left to right inside the inset: declared widths first, the rest shared
// by the children without one, the last of them taking the remainder.
#pragma once
#include "BoxLayoutUI.h"

namespace Veneer {

class CHorizontalLayoutUI : public CBoxLayoutUI {
public:
    CHorizontalLayoutUI() : CBoxLayoutUI(true, L"HorizontalLayoutUI", L"HorizontalLayout") {}
};

}  // namespace Veneer
