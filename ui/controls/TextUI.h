// A multi-line label whose markup may hold links: it remembers where each link was drawn,
// shows the hand over them and reports a click on one as "link" with the link's number.
#pragma once
#include <windows.h>

#include <cstdint>

#include "LabelUI.h"
#include "UIString.h"

namespace Veneer {

class CTextUI : public CLabelUI {
public:
    // Links past this many are drawn but cannot be clicked.
    static constexpr int kMaxLinks = 8;

    CTextUI();
    ~CTextUI() override;

    const wchar_t* GetTypeName() const override;
    void* QueryPart(const wchar_t* name) override;
    UINT GetBehaviourFlags() const override;
    void HandleEvent(TControlEvent& event) override;
    SIZE MeasureSize(SIZE available) override;
    void RenderText(HDC dc) override;

    int GetLinkCount() const { return m_linkCount; }
    // Where link `index` was last drawn; empty for an index out of range.
    RECT GetLinkRect(int index) const;
    CUIString GetLinkTarget(int index) const;

private:
    // Index of the first recorded link holding `pt`, or -1.
    int HitLink(POINT pt) const;

    int m_linkCount = 0;
    RECT m_linkRects[kMaxLinks] = {};
    CUIString m_linkTargets[kMaxLinks];
    int m_hoverLink = -1;
};

}  // namespace Veneer
