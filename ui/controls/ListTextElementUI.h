// A list row with one text per column of the list's header, each drawn in its column's
// rectangle; marked-up texts may carry links that the row reports as "link".
#pragma once
#include "ListLabelElementUI.h"
#include "UIPtrArray.h"

namespace Veneer {

class CListTextElementUI : public CListLabelElementUI {
public:
    // Links one row keeps clickable, over all its columns.
    static constexpr int kMaxLinks = 8;

    CListTextElementUI() = default;
    ~CListTextElementUI() override;

    const wchar_t* GetTypeName() const override;
    void* QueryPart(const wchar_t* name) override;
    UINT GetBehaviourFlags() const override;
    void SetOwner(CControlUI* owner) override;
    void HandleEvent(TControlEvent& event) override;
    SIZE MeasureSize(SIZE available) override;
    void DrawRowText(HDC dc, const RECT& rc) override;

    using CListLabelElementUI::GetText;
    using CListLabelElementUI::SetText;
    // The text of a column, or null past the texts stored.
    const wchar_t* GetText(int column) const;
    // Stores a column's text, adding empty texts before it as needed; false for a negative
    // column.
    bool SetText(int column, const wchar_t* text);

    int GetLinkCount() const { return m_linkCount; }
    const RECT& GetLinkRect(int i) const { return m_linkRects[i]; }
    const CUIString& GetLinkText(int i) const { return m_linkTexts[i]; }
    int GetHoveredLink() const { return m_hoveredLink; }

private:
    // The first of the row's links under the point, or -1.
    int LinkAt(POINT pt) const;

    int m_linkCount = 0;
    RECT m_linkRects[kMaxLinks] = {};
    CUIString m_linkTexts[kMaxLinks];
    int m_hoveredLink = -1;
    IListUI* m_listOwner = nullptr;
    CUIPtrArray m_columnTexts;  // owned CUIString objects
};

}  // namespace Veneer
