// What the vertical and horizontal layouts share: the children placed one after another along
// the layout's axis, and a separator band along one edge that the user drags to resize the
// layout itself, live or with a translucent preview.
#pragma once
#include <windows.h>

#include "ContainerUI.h"
#include "LayoutMath.h"

namespace Veneer {

class CBoxLayoutUI : public CContainerUI {
public:
    const wchar_t* GetTypeName() const override;
    void* QueryPart(const wchar_t* name) override;
    UINT GetBehaviourFlags() const override;
    void SetPos(RECT rc, bool needInvalidate = true) override;
    void HandleEvent(TControlEvent& event) override;
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
    void RenderOverlay(HDC dc, const RECT& paint) override;

    int GetSeparatorSize() const { return m_separator; }
    bool IsSepImm() const { return m_immediate; }
    void SetSepImm(bool immediate);
    bool IsDragging() const { return (m_dragState & kDragging) != 0; }
    // The band the user grabs, on the drag rectangle while dragging when `useDrag` is set.
    RECT GetSeparatorRect(bool useDrag) const;

protected:
    // The layout's direction, and the names it answers GetTypeName and QueryPart with.
    CBoxLayoutUI(bool horizontal, const wchar_t* typeName, const wchar_t* partName)
        : m_axis{horizontal}, m_typeName(typeName), m_partName(partName) {}

private:
    static constexpr UINT kDragging = 0x40;
    void DragTo(POINT pt);

    const TAxis m_axis;
    const wchar_t* const m_typeName;
    const wchar_t* const m_partName;
    int m_separator = 0;
    UINT m_dragState = 0;
    POINT m_lastMouse = {0, 0};
    RECT m_dragRect = {0, 0, 0, 0};
    bool m_immediate = false;
};

}  // namespace Veneer
