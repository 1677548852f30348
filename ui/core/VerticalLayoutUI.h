// Stacks children from top to bottom inside the inset: declared heights first, the rest shared
// by the children without one, the last of them taking the remainder.
#pragma once
#include "BoxLayoutUI.h"

namespace Veneer {

class CVerticalLayoutUI : public CBoxLayoutUI {
public:
    CVerticalLayoutUI() : CBoxLayoutUI(false, L"VerticalLayoutUI", L"VerticalLayout") {}
};

}  // namespace Veneer
