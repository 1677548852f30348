#include "BenchWindow.h"

namespace uibench {

BenchWindow::BenchWindow(const std::wstring& layout, const wchar_t* className)
    : m_layout(layout), m_className(className) {}

const wchar_t* BenchWindow::GetRegisteredClassName() const { return m_className; }

Veneer::CUIString BenchWindow::GetLayoutFolder() const { return Veneer::CUIString(); }

// A document text is built as it stands, so no skin file is involved.
Veneer::CUIString BenchWindow::GetLayoutFile() const {
    return Veneer::CUIString(m_layout.c_str());
}

}  // namespace uibench
