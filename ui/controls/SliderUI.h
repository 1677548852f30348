// A progress bar with a thumb the user drags along it; the new value is reported as
// "valuechanged" when the drag ends or the wheel turns.
#pragma once
#include "ProgressUI.h"

namespace Veneer {

class CSliderUI : public CProgressUI {
public:
    CSliderUI();
    ~CSliderUI() override;

    const wchar_t* GetTypeName() const override;
    void* QueryPart(const wchar_t* name) override;
    UINT GetBehaviourFlags() const override;
    void SetEnabled(bool enabled = true) override;
    void HandleEvent(TControlEvent& event) override;
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
    void RenderStateImages(HDC dc) override;

    void SetStep(int step) { m_step = step; }
    int GetStep() const { return m_step; }
    void SetThumbSize(int width, int height);
    SIZE GetThumbSize() const { return m_thumbSize; }
    void SetThumbImage(const wchar_t* description);
    void SetThumbHotImage(const wchar_t* description);
    void SetThumbPushedImage(const wchar_t* description);
    UINT GetButtonState() const { return m_buttonState; }
    // The thumb in window coordinates.
    RECT GetThumbRect() const;

protected:
    SIZE m_thumbSize = {10, 10};
    UINT m_buttonState = 0;
    int m_step = 1;
    TImageDrawInfo m_thumbImage;
    TImageDrawInfo m_thumbHotImage;
    TImageDrawInfo m_thumbPushedImage;

private:
    // The thumb as wide (or high) as it can be on the track: never more than the track.
    SIZE EffectiveThumb() const;
    // The value a point on the track stands for; the current value when the range is empty.
    int ValueAt(POINT pt) const;
    void SetThumbImageRecord(TImageDrawInfo& info, const wchar_t* description);
};

}  // namespace Veneer
