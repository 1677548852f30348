// Attributes as rows of {name, setter}. A control's ApplyAttribute looks the name up in its own
// rows and hands any other name to its base class, so a new attribute is one more row.
#pragma once
#include <cstddef>
#include <cwchar>

namespace Veneer {

template <class Control>
struct TAttrRow {
    const wchar_t* name;
    void (*apply)(Control& control, const wchar_t* value);
};

// Applies the row called `name` (names compare case-sensitively); false when no row has it.
template <class Control, std::size_t N>
bool ApplyAttrRow(const TAttrRow<Control> (&rows)[N], Control& control, const wchar_t* name,
                  const wchar_t* value) {
    for (const TAttrRow<Control>& row : rows) {
        if (std::wcscmp(name, row.name) == 0) {
            row.apply(control, value);
            return true;
        }
    }
    return false;
}

}  // namespace Veneer
