#include "UIRect.h"

namespace Veneer {

CUIRect::CUIRect() { Empty(); }

CUIRect::CUIRect(const RECT& src) : RECT(src) {}

CUIRect::CUIRect(LONG l, LONG t, LONG r, LONG b) {
    left = l;
    top = t;
    right = r;
    bottom = b;
}

void CUIRect::Empty() { left = top = right = bottom = 0; }

void CUIRect::Offset(int dx, int dy) { OffsetRect(this, dx, dy); }

void CUIRect::MoveToOrigin() { Offset(-left, -top); }

void CUIRect::Join(const RECT& other) {
    if (other.left < left) left = other.left;
    if (other.top < top) top = other.top;
    if (other.right > right) right = other.right;
    if (other.bottom > bottom) bottom = other.bottom;
}

CUISize::CUISize() {
    cx = 0;
    cy = 0;
}

CUISize::CUISize(LONG width, LONG height) {
    cx = width;
    cy = height;
}

}  // namespace Veneer
