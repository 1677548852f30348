// The skinnable scroll bar: two arrow buttons, a track with a draggable thumb and a rail grip.
// Owned by a container it asks the container to scroll; on its own it scrolls itself and
// reports each change as "scroll".
#pragma once
#include <windows.h>

#include <cstdint>

#include "ControlUI.h"

namespace Veneer {

class CContainerUI;

class CScrollBarUI : public CControlUI {
public:
    CScrollBarUI();
    ~CScrollBarUI() override;

    const wchar_t* GetTypeName() const override;
    void* QueryPart(const wchar_t* name) override;

    CContainerUI* GetOwner() const { return m_owner; }
    void SetOwner(CContainerUI* owner) { m_owner = owner; }
    bool IsHorizontal() const { return m_horizontal; }
    void SetHorizontal(bool horizontal = true);
    int GetScrollRange() const { return m_range; }
    void SetScrollRange(int range);
    int GetScrollPos() const { return m_position; }
    void SetScrollPos(int position);
    int GetLineSize() const { return m_lineSize; }
    void SetLineSize(int size) { m_lineSize = size; }

    bool GetShowButton1() const { return m_button1.shown; }
    void SetShowButton1(bool show);
    bool GetShowButton2() const { return m_button2.shown; }
    void SetShowButton2(bool show);
    void SetButton1Color(uint32_t color);
    void SetButton2Color(uint32_t color);
    void SetThumbColor(uint32_t color);

    const RECT& GetButton1Rect() const { return m_button1.rect; }
    const RECT& GetButton2Rect() const { return m_button2.rect; }
    const RECT& GetThumbRect() const { return m_thumb.rect; }

    void LineUp();
    void LineDown();
    void PageUp();
    void PageDown();

    void SetPos(RECT rc, bool needInvalidate = true) override;
    void SetVisible(bool visible = true) override;
    void SetEnabled(bool enabled = true) override;
    void SetFocus() override;
    void HandleEvent(TControlEvent& event) override;
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
    void Render(HDC dc, const RECT& paint) override;

    // The repeat timer's id in the manager's per-control timer table.
    static constexpr UINT kRepeatTimerId = 10;

private:
    // One arrow button or the thumb: where it is, how it looks and what state it is in.
    struct TPart {
        bool shown = true;
        RECT rect = {0, 0, 0, 0};
        UINT state = 0;
        uint32_t color = 0;
        TImageDrawInfo normal, hot, pushed, disabled;
    };

    void SetImage(TImageDrawInfo& info, const wchar_t* description);
    void SetPartColor(TPart& part, uint32_t color);
    void ScrollTo(int position);
    void PressAt(POINT pt);
    void RenderPart(HDC dc, TPart& part);
    void RenderRail(HDC dc);
    bool DrawStateImage(HDC dc, UINT state, TImageDrawInfo& normal, TImageDrawInfo& hot,
                        TImageDrawInfo& pushed, TImageDrawInfo& disabled, const RECT& where);
    bool DrawAt(HDC dc, TImageDrawInfo& info, const RECT& where);

    bool m_horizontal = false;
    int m_range = 100;
    int m_position = 0;
    int m_lineSize = 8;
    CContainerUI* m_owner = nullptr;
    POINT m_dragStart = {0, 0};
    int m_dragStartPos = 0;
    int m_dragDelta = 0;
    int m_repeatCount = 0;
    TImageDrawInfo m_bkNormal, m_bkHot, m_bkPushed, m_bkDisabled;
    TPart m_button1;
    TPart m_button2;
    TPart m_thumb;
    TImageDrawInfo m_railNormal, m_railHot, m_railPushed, m_railDisabled;
};

}  // namespace Veneer
