// A button that stays selected: alone it toggles, in a named group of its window at most one
// member is selected.
#pragma once
#include <cstdint>

#include "ButtonUI.h"

namespace Veneer {

class COptionUI : public CButtonUI {
public:
    COptionUI();
    ~COptionUI() override;

    const wchar_t* GetTypeName() const override;
    void* QueryPart(const wchar_t* name) override;
    bool Activate() override;
    void SetManager(CWindowManagerUI* manager, CControlUI* parent, bool init = true) override;
    void SetEnabled(bool enabled = true) override;
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
    void RenderStateImages(HDC dc) override;
    void RenderText(HDC dc) override;

    virtual void SetSelected(bool select);
    bool IsSelected() const { return m_selected; }
    // A null name leaves the group; an empty one is no group.
    void SetGroup(const wchar_t* name);
    const CUIString& GetGroup() const { return m_groupName; }

    void SetSelectedImage(const wchar_t* description);
    void SetSelectedHotImage(const wchar_t* description);
    void SetForeImage(const wchar_t* description);
    void SetSelectedBkColor(uint32_t color) { m_selectedBkColor = color; }
    uint32_t GetSelectedBkColor() const { return m_selectedBkColor; }
    void SetSelectedTextColor(uint32_t color) { m_selectedTextColor = color; }
    uint32_t GetSelectedTextColor() const { return m_selectedTextColor; }

protected:
    bool m_selected = false;
    CUIString m_groupName;
    uint32_t m_selectedBkColor = 0;
    uint32_t m_selectedTextColor = 0;
    TImageDrawInfo m_selectedImage;
    TImageDrawInfo m_selectedHotImage;
    TImageDrawInfo m_optionForeImage;

private:
    void JoinGroup();
    void LeaveGroup();
    // The button's painting as if never pushed: an option shows its selection instead.
    template <class Paint>
    void WithoutPushed(Paint paint);

    // The manager whose group list holds this option. Kept apart from the current manager,
    // which the builder and the containers clear and set again, so the option always leaves
    // the list it is in and a walk of the group never meets a deleted member.
    CWindowManagerUI* m_groupManager = nullptr;
};

}  // namespace Veneer
