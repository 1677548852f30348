// The window of a UI benchmark program: a skinned window whose layout is a document text
// held by the caller, built as it stands with no skin file involved.
#pragma once
#include <string>

#include "WindowImplBase.h"

namespace uibench {

class BenchWindow : public Veneer::WindowImplBase {
public:
    // `layout` must outlive the window; `className` names the window class each program
    // registers for itself.
    BenchWindow(const std::wstring& layout, const wchar_t* className);

protected:
    const wchar_t* GetRegisteredClassName() const override;
    Veneer::CUIString GetLayoutFolder() const override;
    Veneer::CUIString GetLayoutFile() const override;

private:
    const std::wstring& m_layout;
    const wchar_t* m_className;
};

}  // namespace uibench
