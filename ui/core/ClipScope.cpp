#include "ClipScope.h"

namespace Veneer {

void CClipScope::Begin(HDC dc, const RECT& rc) {
    // A scope used twice restores nothing twice: the first clip's regions are let go here.
    if (m_saved) DeleteObject(m_saved);
    if (m_clip) DeleteObject(m_clip);
    m_rect = rc;
    m_dc = dc;
    RECT box = {0, 0, 0, 0};
    GetClipBox(dc, &box);
    m_saved = CreateRectRgnIndirect(&box);
    m_clip = CreateRectRgnIndirect(&rc);
}

void CClipScope::ClipToRect(HDC dc, const RECT& rc, CClipScope& scope) {
    scope.Begin(dc, rc);
    if (scope.m_clip) ExtSelectClipRgn(dc, scope.m_clip, RGN_AND);
}

void CClipScope::ClipToRoundRect(HDC dc, const RECT& rc, const RECT& roundRect, int ellipseWidth,
                                 int ellipseHeight, CClipScope& scope) {
    scope.Begin(dc, rc);
    HRGN round = CreateRoundRectRgn(roundRect.left, roundRect.top, roundRect.right + 1,
                                    roundRect.bottom + 1, ellipseWidth, ellipseHeight);
    if (round && scope.m_clip) CombineRgn(scope.m_clip, scope.m_clip, round, RGN_AND);
    if (round) DeleteObject(round);
    if (scope.m_clip) ExtSelectClipRgn(dc, scope.m_clip, RGN_AND);
}

void CClipScope::SelectOldRegion(HDC dc) { SelectClipRgn(dc, m_saved); }

void CClipScope::SelectClipRegion(HDC dc) { SelectClipRgn(dc, m_clip); }

CClipScope::~CClipScope() {
    if (m_dc) SelectClipRgn(m_dc, m_saved);
    if (m_saved) DeleteObject(m_saved);
    if (m_clip) DeleteObject(m_clip);
}

}  // namespace Veneer
