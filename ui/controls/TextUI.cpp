// The link-aware multi-line label: drawing that records link rectangles, hit testing and the
// wrapped-text measure.
#include "TextUI.h"

#include <cwchar>

#include "WindowManagerUI.h"

namespace Veneer {

namespace {

constexpr UINT kTextWordBreak = DT_WORDBREAK;
constexpr UINT kTextCalcRect = DT_CALCRECT;

}  // namespace

CTextUI::CTextUI() {
    m_textStyle = kTextWordBreak;
    m_textPadding = RECT{2, 0, 2, 0};
}

CTextUI::~CTextUI() = default;

const wchar_t* CTextUI::GetTypeName() const { return L"TextUI"; }

void* CTextUI::QueryPart(const wchar_t* name) {
    if (name && wcscmp(name, L"Text") == 0) return this;
    return CLabelUI::QueryPart(name);
}

UINT CTextUI::GetBehaviourFlags() const {
    return (IsEnabled() && m_linkCount > 0) ? UINT{kBehaviourSetCursor} : 0u;
}

RECT CTextUI::GetLinkRect(int index) const {
    if (index < 0 || index >= m_linkCount || index >= kMaxLinks) return RECT{};
    return m_linkRects[index];
}

CUIString CTextUI::GetLinkTarget(int index) const {
    if (index < 0 || index >= m_linkCount || index >= kMaxLinks) return CUIString();
    return m_linkTargets[index];
}

int CTextUI::HitLink(POINT pt) const {
    for (int i = 0; i < m_linkCount && i < kMaxLinks; ++i)
        if (::PtInRect(&m_linkRects[i], pt)) return i;
    return -1;
}

void CTextUI::HandleEvent(TControlEvent& event) {
    if (!IsMouseEnabled() && IsMouseEvent(event.type)) {
        if (m_parent)
            m_parent->HandleEvent(event);
        else
            CLabelUI::HandleEvent(event);
        return;
    }
    switch (event.type) {
    case kEventSetCursor:
        if (HitLink(event.mouse) >= 0) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
            return;
        }
        break;
    case kEventButtonDown:
    case kEventDoubleClick:
        if (IsEnabled() && HitLink(event.mouse) >= 0) {
            Invalidate();
            return;
        }
        break;
    case kEventButtonUp:
        if (IsEnabled()) {
            const int link = HitLink(event.mouse);
            if (link >= 0) {
                if (m_manager)
                    m_manager->SendNotification(this, L"link", static_cast<WPARAM>(link), 0);
                return;
            }
        }
        break;
    case kEventContextMenu:
        return;
    case kEventMouseMove:
        if (IsEnabled() && m_linkCount > 0) {
            const int link = HitLink(event.mouse);
            if (link != m_hoverLink) {
                m_hoverLink = link;
                Invalidate();
                return;
            }
        }
        break;
    case kEventMouseLeave:
        if (IsEnabled() && m_linkCount > 0 && m_hoverLink != -1) {
            m_hoverLink = -1;
            Invalidate();
            return;
        }
        break;
    default:
        break;
    }
    CLabelUI::HandleEvent(event);
}

SIZE CTextUI::MeasureSize(SIZE available) {
    const int right = (m_declaredWidth > available.cx - m_textPadding.right)
                          ? m_declaredWidth
                          : available.cx - m_textPadding.right;
    RECT rc = {m_textPadding.left, 0, right, 9999};
    if (m_manager && !m_text.IsEmpty()) {
        const UINT style = m_textStyle | kTextCalcRect;
        if (m_showHtml) {
            int links = 0;
            CRenderer::DrawMarkupText(m_manager->GetPaintDC(), m_manager, rc, m_text.GetData(),
                                      0, nullptr, nullptr, links, style);
        } else {
            CRenderer::DrawText(m_manager->GetPaintDC(), m_manager, rc, m_text.GetData(), 0,
                                m_font, style);
        }
    } else {
        rc.right = rc.left;
        rc.bottom = rc.top;
    }
    SIZE size = {rc.right - rc.left + m_textPadding.left + m_textPadding.right,
                 rc.bottom - rc.top + m_textPadding.top + m_textPadding.bottom};
    if (m_declaredHeight != 0) size.cy = m_declaredHeight;
    return size;
}

void CTextUI::RenderText(HDC dc) {
    if (m_text.IsEmpty()) {
        m_linkCount = 0;
        return;
    }
    ResolveTextColors();
    if (m_manager == nullptr) return;
    m_linkCount = kMaxLinks;
    RECT box = TextBox();
    const uint32_t color = IsEnabled() ? m_textColor : m_disabledTextColor;
    if (m_showHtml) {
        CRenderer::DrawMarkupText(dc, m_manager, box, m_text.GetData(), color, m_linkRects,
                                  m_linkTargets, m_linkCount, m_textStyle);
    } else {
        // Plain text has no links: rectangles left from an earlier markup text must not stay
        // clickable.
        for (RECT& rc : m_linkRects) rc = RECT{};
        CRenderer::DrawText(dc, m_manager, box, m_text.GetData(), color, m_font, m_textStyle);
    }
}

}  // namespace Veneer
