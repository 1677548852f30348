// Reading the numbers, lists, colours and switches that layout attributes and image
// descriptions carry. The controls read their values through these; the layout builder reads
// the window element's own attributes (sizes, numbers, switches) with small readers of its own.
#pragma once
#include <windows.h>

#include <cstdint>

namespace Veneer {

// A decimal integer after optional blanks and sign, as far as the digits go; 0 without any.
int ReadInt(const wchar_t* text);

// True exactly for "true": layouts spell it so, and anything else must not switch a thing on.
bool ReadBool(const wchar_t* text);

// Reads up to `count` decimal integers separated by one character each ("0,0,16,16"). The
// scan stops at the end of the text: values the text does not hold are 0, and nothing past
// the terminating NUL is ever read.
void ReadIntList(const wchar_t* text, int* values, int count);

// The same for decimal fractions ("0.5,0,0.5,0").
void ReadDoubleList(const wchar_t* text, double* values, int count);

// Four integers as left, top, right, bottom.
RECT ReadRect(const wchar_t* text);

// A hexadecimal ARGB colour with one optional leading '#'; an empty or null text is 0.
uint32_t ReadHexColor(const wchar_t* text);

// The same after any leading characters up to the blank (codes 1 to 32), which hand-written
// background and scroll-bar colours carry before their '#'.
uint32_t ReadHexColorAfterBlanks(const wchar_t* text);

}  // namespace Veneer
