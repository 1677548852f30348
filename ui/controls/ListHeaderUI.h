// The column header of a list: a horizontal layout of header items, one per column.
#pragma once
#include "HorizontalLayoutUI.h"

namespace Veneer {

class CListHeaderUI : public CHorizontalLayoutUI {
public:
    const wchar_t* GetTypeName() const override;
    void* QueryPart(const wchar_t* name) override;
    SIZE MeasureSize(SIZE available) override;
};

}  // namespace Veneer
