// The option under its own names, for a box that is ticked on its own.
#pragma once
#include "OptionUI.h"

namespace Veneer {

class CCheckBoxUI : public COptionUI {
public:
    const wchar_t* GetTypeName() const override;
    void* QueryPart(const wchar_t* name) override;

    bool IsChecked() const { return IsSelected(); }
};

}  // namespace Veneer
