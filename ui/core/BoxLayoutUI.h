// What the vertical and horizontal layouts share: a separator band along one edge that the user
// drags to resize the layout itself, live or with a translucent preview.
#pragma once
#include <windows.h>

#include "ContainerUI.h"

namespace Veneer {

class CBoxLayoutUI : public CContainerUI {
public:
    UINT GetBehaviourFlags() const override;
    void HandleEvent(TControlEvent& event) override;
    void RenderOverlay(HDC dc, const RECT& paint) override;

    int GetSeparatorSize() const { return m_separator; }
    bool IsSepImm() const { return m_immediate; }
    void SetSepImm(bool immediate);
    bool IsDragging() const { return (m_dragState & kDragging) != 0; }
    // The band the user grabs, on the drag rectangle while dragging when `useDrag` is set.
    RECT GetSeparatorRect(bool useDrag) const;

protected:
    explicit CBoxLayoutUI(bool horizontal) : m_horizontal(horizontal) {}
    // "sepimm" and the separator size attribute of the layout's axis; false for other names.
    bool ApplySeparatorAttribute(const wchar_t* name, const wchar_t* value,
                                 const wchar_t* sizeName);

private:
    static constexpr UINT kDragging = 0x40;
    void DragTo(POINT pt);

    const bool m_horizontal;
    int m_separator = 0;
    UINT m_dragState = 0;
    POINT m_lastMouse = {0, 0};
    RECT m_dragRect = {0, 0, 0, 0};
    bool m_immediate = false;
};

}  // namespace Veneer
