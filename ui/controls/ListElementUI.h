// The plain list row: a control that its owner numbers, selects and paints from the owner's
// shared style. The label and text rows build on it.
#pragma once
#include "ControlUI.h"
#include "ListInterfaces.h"
#include "ListRow.h"

namespace Veneer {

class CListElementUI : public CControlUI, public IListItemUI {
public:
    const wchar_t* GetTypeName() const override;
    void* QueryPart(const wchar_t* name) override;
    UINT GetBehaviourFlags() const override;
    bool Activate() override;
    void SetVisible(bool visible = true) override;
    void SetEnabled(bool enabled = true) override;
    void HandleEvent(TControlEvent& event) override;
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;

    int GetIndex() const override;
    void SetIndex(int index) override;
    IListOwnerUI* GetOwner() override;
    void SetOwner(CControlUI* owner) override;
    bool IsSelected() const override;
    bool Select(bool select = true) override;
    bool IsExpanded() const override;
    bool Expand(bool expand = true) override;

    bool IsHot() const { return (m_row.state & TListRowState::kHot) != 0; }
    void DrawRowBackground(HDC dc, const RECT& rc);

protected:
    // Hands an event the row does not keep to its owner, or to the base control without one.
    void PassOn(TControlEvent& event);

    TListRowState m_row;
};

}  // namespace Veneer
