// The text control: one line of text inside its rectangle, with font, alignment, colours,
// optional markup and an optional GDI+ path with gradient colours, stroke and shadow.
#pragma once
#include <windows.h>

#include <cstdint>

#include "ControlUI.h"

namespace Veneer {

// DrawText style bits the label and its subclasses use.
enum : UINT {
    kTextCenter = 0x0001,
    kTextRight = 0x0002,
    kTextVCenter = 0x0004,
    kTextBottom = 0x0008,
    kTextSingleLine = 0x0020,
    kTextEndEllipsis = 0x8000,
};

class CLabelUI : public CControlUI {
public:
    CLabelUI();
    ~CLabelUI() override;

    const wchar_t* GetTypeName() const override;
    void* QueryPart(const wchar_t* name) override;
    CUIString GetText() const override;
    void SetText(const wchar_t* text) override;
    void HandleEvent(TControlEvent& event) override;
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
    SIZE MeasureSize(SIZE available) override;
    void RenderText(HDC dc) override;

    void SetTextStyle(UINT style);
    UINT GetTextStyle() const { return m_textStyle; }
    void SetTextColor(uint32_t color);
    uint32_t GetTextColor() const { return m_textColor; }
    void SetDisabledTextColor(uint32_t color);
    uint32_t GetDisabledTextColor() const { return m_disabledTextColor; }
    void SetFont(int index);
    int GetFont() const { return m_font; }
    void SetTextPadding(RECT rc);
    RECT GetTextPadding() const { return m_textPadding; }
    void SetShowHtml(bool show);
    bool IsShowHtml() const { return m_showHtml; }
    void SetEnabledEffect(bool on);
    bool IsEffectEnabled() const { return m_effects; }

protected:
    // Replaces unset text colours by the window's defaults; the replacement sticks.
    void ResolveTextColors();
    // The item rectangle deflated by the text padding.
    RECT TextBox() const;

    uint32_t m_textColor = 0;
    uint32_t m_disabledTextColor = 0;
    int m_font = -1;
    UINT m_textStyle = kTextVCenter;
    RECT m_textPadding = {0, 0, 0, 0};
    bool m_showHtml = false;
    int m_shadowAlpha1 = 60;
    int m_shadowAlpha2 = 60;
    int m_textAlpha1 = 168;
    int m_textAlpha2 = 168;
    int m_strokeAlpha = 255;
    int m_gradientLength = 0;
    int m_gradientAngle = 0;
    bool m_effects = false;
    bool m_strokeEnabled = false;
    bool m_shadowEnabled = false;
    uint32_t m_textColor1 = 0xFFFFFFFF;
    uint32_t m_shadowColorA = 0xFF000000;
    uint32_t m_shadowColorB = 0xFFFFFFFF;
    uint32_t m_strokeColor = 0;
    float m_shadowOffsetX = 0.0f;
    float m_shadowOffsetY = 0.0f;
    CUIString m_effectText;
    ULONG_PTR m_gdiplusToken = 0;
    int m_renderingHint = 0;

private:
    void RenderEffectText(HDC dc, const RECT& box);
    void ApplyShadowOffset(const wchar_t* value);
};

}  // namespace Veneer
