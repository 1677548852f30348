// The progress bar: a fore image drawn over the share of the rectangle its value covers.
#pragma once
#include "LabelUI.h"

namespace Veneer {

class CProgressUI : public CLabelUI {
public:
    CProgressUI();
    ~CProgressUI() override;

    const wchar_t* GetTypeName() const override;
    void* QueryPart(const wchar_t* name) override;
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
    void RenderStateImages(HDC dc) override;

    bool IsHorizontal() const { return m_horizontal; }
    void SetHorizontal(bool horizontal = true);
    bool IsStretchFore() const { return m_stretchFore; }
    void SetStretchFore(bool stretch = true);
    int GetMinValue() const { return m_min; }
    void SetMinValue(int min);
    int GetMaxValue() const { return m_max; }
    void SetMaxValue(int max);
    int GetValue() const { return m_value; }
    void SetValue(int value);
    void SetForeImage(const wchar_t* description);
    const CUIString& GetForeImage() const { return m_progressFore.description; }

protected:
    bool m_horizontal = true;
    bool m_stretchFore = true;
    int m_max = 100;
    int m_min = 0;
    int m_value = 0;
    TImageDrawInfo m_progressFore;
};

}  // namespace Veneer
