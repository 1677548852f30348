// Narrows a device context's clip region while a control paints, and puts the old clip back
// when the scope ends, so a painter cannot leave its clip behind on an early return.
#pragma once
#include <windows.h>

#include "GdiHandle.h"

namespace Veneer {

class CClipScope {
public:
    CClipScope() = default;
    ~CClipScope();
    CClipScope(const CClipScope&) = delete;
    CClipScope& operator=(const CClipScope&) = delete;

    static void ClipToRect(HDC dc, const RECT& rc, CClipScope& scope);
    static void ClipToRoundRect(HDC dc, const RECT& rc, const RECT& roundRect, int ellipseWidth,
                                int ellipseHeight, CClipScope& scope);
    // Leave and re-enter the clip, e.g. to paint a border outside it.
    void SelectOldRegion(HDC dc);
    void SelectClipRegion(HDC dc);

private:
    void Begin(HDC dc, const RECT& rc);

    RECT m_rect = {0, 0, 0, 0};
    HDC m_dc = nullptr;
    kesh::UniqueRegion m_clip;
    kesh::UniqueRegion m_saved;
};

}  // namespace Veneer
