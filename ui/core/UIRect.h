// Thin wrappers over RECT and SIZE, usable wherever the Windows structures are expected.
#pragma once
#include <windows.h>

namespace Veneer {

class CUIRect : public RECT {
public:
    CUIRect();
    CUIRect(const RECT& src);
    CUIRect(LONG l, LONG t, LONG r, LONG b);

    void Empty();
    int GetWidth() const { return right - left; }
    int GetHeight() const { return bottom - top; }
    void Offset(int dx, int dy);
    void MoveToOrigin();
    void Join(const RECT& other);
};

class CUISize : public SIZE {
public:
    CUISize();
    CUISize(LONG width, LONG height);
};

}  // namespace Veneer
