// A container that fills itself from a second layout document when it is initialised, so one
// layout can be reused inside others.
#pragma once
#include <windows.h>

#include "ContainerUI.h"
#include "UIString.h"

namespace Veneer {

class CChildLayoutUI : public CContainerUI {
public:
    ~CChildLayoutUI() override;

    const wchar_t* GetTypeName() const override;
    void* QueryPart(const wchar_t* name) override;
    // Builds the layout document and adds its top control as a child. Replaces the base
    // control's initialisation: no init hook or init handlers run for a child layout.
    void Init() override;
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;

    // A skin file name or a document text; it is loaded by the next Init.
    void SetChildLayoutXML(const wchar_t* name);
    const CUIString& GetChildLayoutXML() const { return m_xmlFile; }

private:
    CUIString m_xmlFile;
};

}  // namespace Veneer
