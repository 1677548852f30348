// The push button: hover, press and focus states, one image per state, state text colours,
// and "click" when released inside itself or activated from the keyboard.
#pragma once
#include "LabelUI.h"

namespace Veneer {

// State bits shared by the button and the controls built on it.
enum : UINT {
    kStateFocused = 0x01,
    kStateSelected = 0x02,
    kStateDisabled = 0x04,
    kStateHot = 0x08,
    kStatePushed = 0x10,
    kStateCaptured = 0x40,
};

class CButtonUI : public CLabelUI {
public:
    CButtonUI();
    ~CButtonUI() override;

    const wchar_t* GetTypeName() const override;
    void* QueryPart(const wchar_t* name) override;
    UINT GetBehaviourFlags() const override;
    bool Activate() override;
    void SetEnabled(bool enabled = true) override;
    void HandleEvent(TControlEvent& event) override;
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
    SIZE MeasureSize(SIZE available) override;
    void RenderStateImages(HDC dc) override;
    void RenderText(HDC dc) override;

    UINT GetButtonState() const { return m_buttonState; }
    void SetNormalImage(const wchar_t* description);
    void SetHotImage(const wchar_t* description);
    void SetHotForeImage(const wchar_t* description);
    void SetPushedImage(const wchar_t* description);
    void SetFocusedImage(const wchar_t* description);
    void SetDisabledImage(const wchar_t* description);
    void SetHotBkColor(uint32_t color) { m_hotBkColor = color; }
    uint32_t GetHotBkColor() const { return m_hotBkColor; }
    void SetHotTextColor(uint32_t color) { m_hotTextColor = color; }
    uint32_t GetHotTextColor() const { return m_hotTextColor; }
    void SetPushedTextColor(uint32_t color) { m_pushedTextColor = color; }
    uint32_t GetPushedTextColor() const { return m_pushedTextColor; }
    void SetFocusedTextColor(uint32_t color) { m_focusedTextColor = color; }
    uint32_t GetFocusedTextColor() const { return m_focusedTextColor; }

protected:
    void SetStateImage(TImageDrawInfo& info, const wchar_t* description);
    // Draws `image`, or the normal image when `image` draws nothing.
    void DrawOrNormal(HDC dc, TImageDrawInfo& image);
    void SyncFocusAndDisabledBits();

    UINT m_buttonState = 0;
    uint32_t m_hotBkColor = 0;
    uint32_t m_hotTextColor = 0;
    uint32_t m_pushedTextColor = 0;
    uint32_t m_focusedTextColor = 0;
    TImageDrawInfo m_normalImage;
    TImageDrawInfo m_hotImage;
    TImageDrawInfo m_hotForeImage;
    TImageDrawInfo m_pushedImage;
    TImageDrawInfo m_focusedImage;
    TImageDrawInfo m_disabledImage;
};

}  // namespace Veneer
