#include "AttrValue.h"

#include <cwchar>

namespace Veneer {

namespace {

// Reads up to `count` numbers separated by one character each with `read`, stopping at the
// end of the text.
template <class T, class Read>
void ReadList(const wchar_t* text, T* values, int count, Read read) {
    for (int i = 0; i < count; ++i) values[i] = T{};
    if (text == nullptr) return;
    const wchar_t* p = text;
    for (int i = 0; i < count && *p != L'\0'; ++i) {
        wchar_t* end = nullptr;
        values[i] = read(p, &end);
        // A text like "4,4" ends after its second number: stepping over the separator
        // blindly would walk past the terminator into whatever follows it.
        if (end == nullptr || *end == L'\0') break;
        p = end + 1;
    }
}

}  // namespace

int ReadInt(const wchar_t* text) { return static_cast<int>(wcstol(text, nullptr, 10)); }

bool ReadBool(const wchar_t* text) { return wcscmp(text, L"true") == 0; }

void ReadIntList(const wchar_t* text, int* values, int count) {
    ReadList(text, values, count, [](const wchar_t* p, wchar_t** end) {
        return static_cast<int>(wcstol(p, end, 10));
    });
}

void ReadDoubleList(const wchar_t* text, double* values, int count) {
    ReadList(text, values, count, [](const wchar_t* p, wchar_t** end) { return wcstod(p, end); });
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

uint32_t ReadHexColorAfterBlanks(const wchar_t* text) {
    if (text == nullptr) return 0;
    while (*text != L'\0' && *text <= L' ') ++text;
    return ReadHexColor(text);
}

}  // namespace Veneer
