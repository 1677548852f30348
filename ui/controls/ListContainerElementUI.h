// A list row that is a container: it holds arbitrary child controls and paints its background
// from the owner's row style beneath them.
#pragma once
#include "ContainerUI.h"
#include "ListInterfaces.h"
#include "ListRow.h"

namespace Veneer {

class CListContainerElementUI : public CContainerUI, public IListItemUI {
public:
    const wchar_t* GetTypeName() const override;
    void* QueryPart(const wchar_t* name) override;
    UINT GetBehaviourFlags() const override;
    bool Activate() override;
    void SetVisible(bool visible = true) override;
    void SetEnabled(bool enabled = true) override;
    void HandleEvent(TControlEvent& event) override;
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
    void Render(HDC dc, const RECT& paint) override;

    int GetIndex() const override;
    void SetIndex(int index) override;
    IListOwnerUI* GetOwner() override;
    void SetOwner(CControlUI* owner) override;
    bool IsSelected() const override;
    bool Select(bool select = true) override;
    bool IsExpanded() const override;
    bool Expand(bool expand = true) override;
    void DrawRowText(HDC dc, const RECT& rc) override;

    bool IsHot() const { return (m_row.state & TListRowState::kHot) != 0; }
    void DrawRowBackground(HDC dc);

protected:
    TListRowState m_row;
};

}  // namespace Veneer
