// Reading the number lists and colours that layout attributes and image descriptions carry.
#pragma once
#include <windows.h>

#include <cstdint>

namespace Veneer {

// Reads up to `count` decimal integers separated by one character each ("0,0,16,16"). The
// scan stops at the end of the text: values the text does not hold are 0, and nothing past
// the terminating NUL is ever read.
void ReadIntList(const wchar_t* text, int* values, int count);

// Four integers as left, top, right, bottom.
RECT ReadRect(const wchar_t* text);

// A hexadecimal ARGB colour with one optional leading '#'; an empty or null text is 0.
uint32_t ReadHexColor(const wchar_t* text);

}  // namespace Veneer
