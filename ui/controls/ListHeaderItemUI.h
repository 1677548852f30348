// One column caption of a list header: clickable ("headerclick"), with state images, and
// resizable by dragging its separator, which re-lays the list's columns.
#pragma once
#include <windows.h>

#include <cstdint>

#include "ControlUI.h"

namespace Veneer {

class CListHeaderItemUI : public CControlUI {
public:
    CListHeaderItemUI();

    const wchar_t* GetTypeName() const override;
    void* QueryPart(const wchar_t* name) override;
    UINT GetBehaviourFlags() const override;
    void SetEnabled(bool enabled = true) override;
    void HandleEvent(TControlEvent& event) override;
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
    SIZE MeasureSize(SIZE available) override;
    void RenderStateImages(HDC dc) override;
    void RenderText(HDC dc) override;

    bool IsDragable() const { return m_dragable; }
    void SetDragable(bool dragable);
    int GetSepWidth() const { return m_sepWidth; }
    void SetSepWidth(int width) { m_sepWidth = width; }
    UINT GetTextStyle() const { return m_textStyle; }
    uint32_t GetTextColor() const { return m_textColor; }
    int GetFont() const { return m_font; }
    RECT GetTextPadding() const { return m_textPadding; }
    bool IsShowHtml() const { return m_showHtml; }
    UINT GetItemState() const { return m_state; }
    // Where the separator lies: at the right edge for a positive width, at the left for a
    // negative one.
    RECT GetSeparatorRect() const;

private:
    static constexpr UINT kFocused = 0x01;
    static constexpr UINT kHot = 0x08;
    static constexpr UINT kPushed = 0x10;
    static constexpr UINT kDragging = 0x40;

    // The separator widened toward the inside, so that a thin one is easy to grab.
    RECT SeparatorHitRect() const;
    void SetImage(TImageDrawInfo& info, const wchar_t* description);

    POINT m_dragOrigin = {0, 0};
    bool m_dragable = true;
    UINT m_state = 0;
    int m_sepWidth = 4;
    uint32_t m_textColor = 0;
    int m_font = -1;
    UINT m_textStyle = 0x25;  // centred both ways, one line
    bool m_showHtml = false;
    RECT m_textPadding = {2, 0, 2, 0};
    TImageDrawInfo m_normalImage;
    TImageDrawInfo m_hotImage;
    TImageDrawInfo m_pushedImage;
    TImageDrawInfo m_focusedImage;
    TImageDrawInfo m_sepImage;
};

}  // namespace Veneer
