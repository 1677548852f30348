// A list row that shows one text in the owner's row style; clicking it selects it.
#pragma once
#include "ListElementUI.h"

namespace Veneer {

class CListLabelElementUI : public CListElementUI {
public:
    const wchar_t* GetTypeName() const override;
    void* QueryPart(const wchar_t* name) override;
    void HandleEvent(TControlEvent& event) override;
    SIZE MeasureSize(SIZE available) override;
    void Render(HDC dc, const RECT& paint) override;
    void DrawRowText(HDC dc, const RECT& rc) override;
};

}  // namespace Veneer
