// Painting of the base control: background colours and gradients, background image, borders.
#include "ClipScope.h"
#include "ControlUI.h"
#include "WindowManagerUI.h"

namespace Veneer {

void CControlUI::Render(HDC dc, const RECT& paint) {
    if (!IntersectRect(&m_rcPaint, &paint, &m_rcItem)) return;
    CClipScope clip;  // an unused scope restores nothing
    if (m_borderRound.cx > 0 || m_borderRound.cy > 0)
        CClipScope::ClipToRoundRect(dc, m_rcPaint, m_rcItem, m_borderRound.cx, m_borderRound.cy,
                                    clip);
    RenderBackColor(dc);
    RenderBackImage(dc);
    RenderStateImages(dc);
    RenderText(dc);
    RenderBorder(dc);
}

void CControlUI::RenderBackColor(HDC dc) {
    if (m_bkColor1 == 0) return;
    const uint32_t c1 = GetHslAdjustedColor(m_bkColor1);
    if (m_bkColor2 == 0) {
        // An opaque fill can stop at the paint rectangle; a translucent one is blended over
        // the whole item so partial repaints do not stack the blend twice at their seams.
        if (m_bkColor1 >= 0xFF000000u)
            CRenderer::FillColor(dc, m_rcPaint, c1);
        else
            CRenderer::FillColor(dc, m_rcItem, c1);
        return;
    }
    const uint32_t c2 = GetHslAdjustedColor(m_bkColor2);
    if (m_bkColor3 != 0) {
        const uint32_t c3 = GetHslAdjustedColor(m_bkColor3);
        RECT upper = m_rcItem;
        upper.bottom = (m_rcItem.top + m_rcItem.bottom) / 2;
        CRenderer::DrawGradient(dc, upper, c1, c2, true, 8);
        RECT lower = m_rcItem;
        lower.top = upper.bottom;
        CRenderer::DrawGradient(dc, lower, c2, c3, true, 8);
        return;
    }
    CRenderer::DrawGradient(dc, m_rcItem, c1, c2, true, 16);
}

void CControlUI::RenderBackImage(HDC dc) { DrawImage(dc, m_bkImage); }
void CControlUI::RenderStateImages(HDC) {}
void CControlUI::RenderText(HDC) {}

void CControlUI::RenderBorder(HDC dc) {
    if (m_borderColor == 0 && m_focusBorderColor == 0) return;
    const uint32_t border = GetHslAdjustedColor(m_borderColor);
    const uint32_t focusBorder = GetHslAdjustedColor(m_focusBorderColor);
    const bool rounded = m_borderRound.cx > 0 || m_borderRound.cy > 0;
    if (m_borderSize > 0 && rounded) {
        const uint32_t c = (IsFocused() && m_focusBorderColor != 0) ? focusBorder : border;
        CRenderer::DrawRoundRect(dc, m_rcItem, m_borderSize, m_borderRound.cx, m_borderRound.cy,
                                 c);
        return;
    }
    if (IsFocused() && m_focusBorderColor != 0 && m_borderSize > 0) {
        CRenderer::DrawRect(dc, m_rcItem, m_borderSize, focusBorder);
        return;
    }
    const RECT& s = m_sideBorders;
    if (s.left <= 0 && s.top <= 0 && s.right <= 0 && s.bottom <= 0) {
        if (m_borderSize > 0) CRenderer::DrawRect(dc, m_rcItem, m_borderSize, border);
        return;
    }
    const RECT& r = m_rcItem;
    if (s.left > 0)
        CRenderer::DrawLine(dc, RECT{r.left, r.top, r.left, r.bottom}, s.left, border,
                            m_borderStyle);
    if (s.top > 0)
        CRenderer::DrawLine(dc, RECT{r.left, r.top, r.right, r.top}, s.top, border,
                            m_borderStyle);
    if (s.right > 0)
        CRenderer::DrawLine(dc, RECT{r.right, r.top, r.right, r.bottom}, s.right, border,
                            m_borderStyle);
    if (s.bottom > 0)
        CRenderer::DrawLine(dc, RECT{r.left, r.bottom, r.right, r.bottom}, s.bottom, border,
                            m_borderStyle);
}

void CControlUI::RenderOverlay(HDC, const RECT&) {}

}  // namespace Veneer
