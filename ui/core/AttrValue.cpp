#include "AttrValue.h"

#include <cwchar>

namespace Veneer {

void ReadIntList(const wchar_t* text, int* values, int count) {
    for (int i = 0; i < count; ++i) values[i] = 0;
    if (text == nullptr) return;
    const wchar_t* p = text;
    for (int i = 0; i < count && *p != L'\0'; ++i) {
        wchar_t* end = nullptr;
        values[i] = static_cast<int>(wcstol(p, &end, 10));
        // A text like "4,4" ends after its second number: stepping over the separator
        // blindly would walk past the terminator into whatever follows it.
        if (end == nullptr || *end == L'\0') break;
        p = end + 1;
    }
}

RECT ReadRect(const wchar_t* text) {
    int v[4];
    ReadIntList(text, v, 4);
    RECT rc = {v[0], v[1], v[2], v[3]};
    return rc;
}

uint32_t ReadHexColor(const wchar_t* text) {
    if (text == nullptr) return 0;
    if (*text == L'#') ++text;
    return static_cast<uint32_t>(wcstoul(text, nullptr, 16));
}

}  // namespace Veneer
