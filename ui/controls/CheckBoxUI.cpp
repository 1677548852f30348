#include "CheckBoxUI.h"

#include <cwchar>

namespace Veneer {

const wchar_t* CCheckBoxUI::GetTypeName() const { return L"CheckBoxUI"; }

void* CCheckBoxUI::QueryPart(const wchar_t* name) {
    if (name && wcscmp(name, L"CheckBox") == 0) return this;
    return COptionUI::QueryPart(name);
}

}  // namespace Veneer
