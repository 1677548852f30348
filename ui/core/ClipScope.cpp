#include "ClipScope.h"

namespace Veneer {

void CClipScope::Begin(HDC dc, const RECT& rc) {
    // A scope used twice restores nothing twice: the first clip's regions are let go here.
    m_saved.reset();
    m_clip.reset();
    m_rect = rc;
    m_dc = dc;
    RECT box = {0, 0, 0, 0};
    GetClipBox(dc, &box);
    m_saved.reset(CreateRectRgnIndirect(&box));
    m_clip.reset(CreateRectRgnIndirect(&rc));
}

void CClipScope::ClipToRect(HDC dc, const RECT& rc, CClipScope& scope) {
    scope.Begin(dc, rc);
    if (scope.m_clip) ExtSelectClipRgn(dc, scope.m_clip.get(), RGN_AND);
}

void CClipScope::ClipToRoundRect(HDC dc, const RECT& rc, const RECT& roundRect, int ellipseWidth,
                                 int ellipseHeight, CClipScope& scope) {
    scope.Begin(dc, rc);
    const kesh::UniqueRegion round(CreateRoundRectRgn(roundRect.left, roundRect.top,
                                                      roundRect.right + 1, roundRect.bottom + 1,
                                                      ellipseWidth, ellipseHeight));
    if (round && scope.m_clip)
        CombineRgn(scope.m_clip.get(), scope.m_clip.get(), round.get(), RGN_AND);
    if (scope.m_clip) ExtSelectClipRgn(dc, scope.m_clip.get(), RGN_AND);
}

void CClipScope::SelectOldRegion(HDC dc) { SelectClipRgn(dc, m_saved.get()); }

void CClipScope::SelectClipRegion(HDC dc) { SelectClipRgn(dc, m_clip.get()); }

CClipScope::~CClipScope() {
    // The regions themselves go with their members, after the old clip is back.
    if (m_dc) SelectClipRgn(m_dc, m_saved.get());
}

}  // namespace Veneer
