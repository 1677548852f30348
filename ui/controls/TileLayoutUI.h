// A container that places its children in a grid of equal cells, row by row. The cell width
// comes from the column count, or from an item width that decides how many columns fit; each
// row is as high as its highest child asks for.
#pragma once
#include <windows.h>

#include <cstdint>

#include "ContainerUI.h"

namespace Veneer {

class CTileLayoutUI : public CContainerUI {
public:
    const wchar_t* GetTypeName() const override;
    void* QueryPart(const wchar_t* name) override;
    void SetPos(RECT rc, bool needInvalidate = true) override;
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;

    SIZE GetItemSize() const { return m_itemSize; }
    // Only the width takes part in layout: it sets how many columns fit.
    void SetItemSize(SIZE size);
    int GetColumns() const { return m_columns; }
    // A count below 1 is ignored.
    void SetColumns(int count);

private:
    // The height of the row that starts with child `first`: the tallest of its cells.
    int64_t RowHeight(int first, int64_t cellWidth);

    SIZE m_itemSize = {0, 0};
    int m_columns = 1;
};

}  // namespace Veneer
