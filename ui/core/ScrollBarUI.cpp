// The scroll bar's geometry, input (press, drag, repeat), attributes and painting.
#include "ScrollBarUI.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>

#include "AttrTable.h"
#include "AttrValue.h"
#include "LayoutMath.h"
#include "ContainerUI.h"
#include "WindowManagerUI.h"

namespace Veneer {

namespace {

constexpr UINT kStateDisabled = 0x04;
constexpr UINT kStateHot = 0x08;
constexpr UINT kStatePushed = 0x10;
constexpr UINT kStateCaptured = 0x40;
constexpr UINT kRepeatPeriodMs = 50;
// Ticks that pass before a held button or track starts repeating.
constexpr int kRepeatDelayTicks = 5;

bool IsZero(const RECT& rc) { return rc.left == 0 && rc.top == 0 && rc.right == 0 && rc.bottom == 0; }

}  // namespace

CScrollBarUI::CScrollBarUI() { m_declaredWidth = 16; }

CScrollBarUI::~CScrollBarUI() = default;

const wchar_t* CScrollBarUI::GetTypeName() const { return L"ScrollBarUI"; }

void* CScrollBarUI::QueryPart(const wchar_t* name) {
    if (name && wcscmp(name, L"ScrollBar") == 0) return this;
    return CControlUI::QueryPart(name);
}

void CScrollBarUI::SetHorizontal(bool horizontal) {
    if (m_horizontal == horizontal) return;
    m_horizontal = horizontal;
    if (horizontal && m_declaredHeight == 0) {
        m_declaredWidth = 0;
        m_declaredHeight = 16;
    } else if (!horizontal && m_declaredWidth == 0) {
        m_declaredHeight = 0;
        m_declaredWidth = 16;
    }
    if (m_owner)
        m_owner->RequestLayout();
    else
        RequestParentLayout();
}

void CScrollBarUI::SetScrollRange(int range) {
    if (m_range == range) return;
    m_range = std::max(range, 0);
    if (m_position > m_range) m_position = m_range;
    SetPos(m_rcItem, true);
}

void CScrollBarUI::SetScrollPos(int position) {
    if (m_position == position) return;
    m_position = std::clamp(position, 0, m_range);
    SetPos(m_rcItem, true);
}

void CScrollBarUI::SetShowButton1(bool show) {
    m_button1.shown = show;
    SetPos(m_rcItem, true);
}

void CScrollBarUI::SetShowButton2(bool show) {
    m_button2.shown = show;
    SetPos(m_rcItem, true);
}

void CScrollBarUI::SetPartColor(TPart& part, uint32_t color) {
    if (part.color == color) return;
    part.color = color;
    Invalidate();
}

void CScrollBarUI::SetButton1Color(uint32_t color) { SetPartColor(m_button1, color); }
void CScrollBarUI::SetButton2Color(uint32_t color) { SetPartColor(m_button2, color); }
void CScrollBarUI::SetThumbColor(uint32_t color) { SetPartColor(m_thumb, color); }

void CScrollBarUI::SetImage(TImageDrawInfo& info, const wchar_t* description) {
    if (ReloadImageRecord(info, description, m_manager, m_rcItem)) Invalidate();
}

void CScrollBarUI::SetPos(RECT rc, bool needInvalidate) {
    CControlUI::SetPos(rc, needInvalidate);
    const RECT& r = m_rcItem;
    const TAxis axis{m_horizontal};
    const int64_t a0 = axis.Start(r);
    const int64_t a1 = axis.End(r);
    const int64_t c0 = axis.CrossStart(r);
    const int64_t s = axis.Across(m_declaredWidth, m_declaredHeight);
    const int64_t length = a1 - a0;
    const int64_t track = length - (m_button1.shown ? s : 0) - (m_button2.shown ? s : 0);

    if (s < track) {
        const int64_t b1End = m_button1.shown ? a0 + s : a0;
        const int64_t b2Start = m_button2.shown ? a1 - s : a1;
        m_button1.rect = axis.MakeRect(a0, b1End, c0, m_button1.shown ? c0 + s : c0);
        m_button2.rect = axis.MakeRect(b2Start, a1, c0, m_button2.shown ? c0 + s : c0);
        int64_t t0 = b1End;
        int64_t t1 = b2Start;
        if (m_range > 0) {
            const int64_t grip = std::max<int64_t>(length * track / (length + m_range), s);
            t0 = (track - grip) * m_position / m_range + b1End;
            t1 = t0 + grip;
            if (t1 > b2Start) {
                t1 = b2Start;
                t0 = t1 - grip;
            }
        }
        m_thumb.rect = axis.MakeRect(t0, t1, c0, c0 + s);
    } else {
        // No room for a thumb: the buttons share the length.
        const int64_t button = std::min<int64_t>(s, length / 2);
        m_button1.rect = m_button1.shown ? axis.MakeRect(a0, a0 + button, c0, c0 + s)
                                         : axis.MakeRect(a0, a0, c0, c0);
        m_button2.rect = m_button2.shown ? axis.MakeRect(a1 - button, a1, c0, c0 + s)
                                         : axis.MakeRect(a1, a1, c0, c0);
        m_thumb.rect = RECT{0, 0, 0, 0};
    }
}

void CScrollBarUI::SetVisible(bool visible) {
    // The owner lays its bars out, so showing or hiding asks for no layout and no repaint.
    if (m_visible == visible) return;
    m_visible = visible;
    m_focused = false;
}

void CScrollBarUI::SetEnabled(bool enabled) {
    CControlUI::SetEnabled(enabled);
    if (!IsEnabled()) m_button1.state = m_button2.state = m_thumb.state = 0;
}

void CScrollBarUI::SetFocus() {
    if (m_owner)
        m_owner->SetFocus();
    else
        CControlUI::SetFocus();
}

void CScrollBarUI::ScrollTo(int position) {
    if (m_owner) {
        SIZE pos = m_owner->GetScrollPos();
        if (m_horizontal)
            pos.cx = position;
        else
            pos.cy = position;
        m_owner->SetScrollPos(pos);
    } else {
        SetScrollPos(position);
    }
}

void CScrollBarUI::LineUp() {
    if (m_owner) {
        if (m_horizontal)
            m_owner->ScrollLineLeft();
        else
            m_owner->ScrollLineUp();
        return;
    }
    SetScrollPos(SaturateInt(int64_t{m_position} - m_lineSize));
}

void CScrollBarUI::LineDown() {
    if (m_owner) {
        if (m_horizontal)
            m_owner->ScrollLineRight();
        else
            m_owner->ScrollLineDown();
        return;
    }
    SetScrollPos(SaturateInt(int64_t{m_position} + m_lineSize));
}

void CScrollBarUI::PageUp() {
    if (m_owner) {
        if (m_horizontal)
            m_owner->ScrollPageLeft();
        else
            m_owner->ScrollPageUp();
        return;
    }
    SetScrollPos(SaturateInt(int64_t{m_position} - (m_horizontal ? GetWidth() : GetHeight())));
}

void CScrollBarUI::PageDown() {
    if (m_owner) {
        if (m_horizontal)
            m_owner->ScrollPageRight();
        else
            m_owner->ScrollPageDown();
        return;
    }
    SetScrollPos(SaturateInt(int64_t{m_position} + (m_horizontal ? GetWidth() : GetHeight())));
}

void CScrollBarUI::PressAt(POINT pt) {
    // A press in the track pages toward the point; a press on the thumb does nothing here.
    const int at = m_horizontal ? pt.x : pt.y;
    const int thumbStart = m_horizontal ? m_thumb.rect.left : m_thumb.rect.top;
    const int thumbEnd = m_horizontal ? m_thumb.rect.right : m_thumb.rect.bottom;
    if (at < thumbStart)
        PageUp();
    else if (at > thumbEnd)
        PageDown();
}

void CScrollBarUI::HandleEvent(TControlEvent& event) {
    auto passOn = [&] {
        if (m_owner)
            m_owner->HandleEvent(event);
        else
            CControlUI::HandleEvent(event);
    };
    if (IsMouseEvent(event.type) && !IsMouseEnabled()) return passOn();

    bool acted = false;
    switch (event.type) {
    case kEventSetFocus:
    case kEventKillFocus:
    case kEventContextMenu:
        return;
    case kEventButtonDown:
    case kEventDoubleClick: {
        if (!IsEnabled()) return;
        m_dragDelta = 0;
        m_repeatCount = 0;
        if (m_manager) m_manager->SetTimer(this, kRepeatTimerId, kRepeatPeriodMs);
        const POINT pt = event.mouse;
        if (PtInRect(&m_button1.rect, pt)) {
            m_button1.state |= kStatePushed;
            LineUp();
        } else if (PtInRect(&m_button2.rect, pt)) {
            m_button2.state |= kStatePushed;
            LineDown();
        } else if (PtInRect(&m_thumb.rect, pt)) {
            m_thumb.state |= kStatePushed | kStateCaptured;
            m_dragStart = pt;
            m_dragStartPos = m_position;
        } else {
            PressAt(pt);
        }
        Invalidate();
        acted = true;
        break;
    }
    case kEventButtonUp:
        m_dragDelta = 0;
        m_repeatCount = 0;
        if (m_manager) m_manager->KillTimer(this, kRepeatTimerId);
        if (m_thumb.state & kStateCaptured)
            m_thumb.state &= ~(kStateCaptured | kStatePushed);
        else if (m_button1.state & kStatePushed)
            m_button1.state &= ~kStatePushed;
        else if (m_button2.state & kStatePushed)
            m_button2.state &= ~kStatePushed;
        else
            return;
        Invalidate();
        return;
    case kEventMouseMove: {
        if (m_thumb.state & kStateCaptured) {
            const int64_t moved = m_horizontal ? int64_t{event.mouse.x} - m_dragStart.x
                                               : int64_t{event.mouse.y} - m_dragStart.y;
            const int64_t length = m_horizontal ? GetWidth() : GetHeight();
            const int64_t button = m_horizontal ? m_declaredHeight : m_declaredWidth;
            const int64_t grip = m_horizontal ? m_thumb.rect.right - m_thumb.rect.left
                                              : m_thumb.rect.bottom - m_thumb.rect.top;
            const int64_t divisor = length - 2 * button - grip;
            if (divisor != 0) m_dragDelta = SaturateInt(moved * m_range / divisor);
            return;
        }
        const UINT before = m_thumb.state;
        if (!PtInRect(&m_thumb.rect, event.mouse))
            m_thumb.state &= ~kStateHot;
        else if (IsEnabled())
            m_thumb.state |= kStateHot;
        if (before != m_thumb.state) Invalidate();
        return;
    }
    case kEventTimer:
        if (event.wParam != kRepeatTimerId) return passOn();
        ++m_repeatCount;
        if (m_thumb.state & kStateCaptured) {
            ScrollTo(SaturateInt(int64_t{m_dragStartPos} + m_dragDelta));
            Invalidate();
        } else {
            if (m_repeatCount <= kRepeatDelayTicks) return;
            if (m_button1.state & kStatePushed) {
                LineUp();
            } else if (m_button2.state & kStatePushed) {
                LineDown();
            } else {
                POINT pt = {0, 0};
                ::GetCursorPos(&pt);
                if (m_manager) ::ScreenToClient(m_manager->GetPaintWindow(), &pt);
                if (!PtInRect(&m_thumb.rect, pt)) PressAt(pt);
            }
        }
        acted = true;
        break;
    case kEventMouseEnter:
        if (!IsEnabled()) return;
        m_button1.state |= kStateHot;
        m_button2.state |= kStateHot;
        if (PtInRect(&m_thumb.rect, event.mouse)) m_thumb.state |= kStateHot;
        Invalidate();
        return;
    case kEventMouseLeave:
        if (!IsEnabled()) return;
        m_button1.state &= ~kStateHot;
        m_button2.state &= ~kStateHot;
        m_thumb.state &= ~kStateHot;
        Invalidate();
        return;
    default:
        return passOn();
    }
    if (acted && m_owner == nullptr && m_manager) m_manager->SendNotification(this, L"scroll");
}

void CScrollBarUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (name == nullptr || value == nullptr) return;
    using C = CScrollBarUI;
    static constexpr TAttrRow<C> kRows[] = {
        {L"button1color",
         [](C& c, const wchar_t* v) { c.SetButton1Color(ReadHexColorAfterBlanks(v)); }},
        {L"button1normalimage", [](C& c, const wchar_t* v) { c.SetImage(c.m_button1.normal, v); }},
        {L"button1hotimage", [](C& c, const wchar_t* v) { c.SetImage(c.m_button1.hot, v); }},
        {L"button1pushedimage", [](C& c, const wchar_t* v) { c.SetImage(c.m_button1.pushed, v); }},
        {L"button1disabledimage",
         [](C& c, const wchar_t* v) { c.SetImage(c.m_button1.disabled, v); }},
        {L"button2color",
         [](C& c, const wchar_t* v) { c.SetButton2Color(ReadHexColorAfterBlanks(v)); }},
        {L"button2normalimage", [](C& c, const wchar_t* v) { c.SetImage(c.m_button2.normal, v); }},
        {L"button2hotimage", [](C& c, const wchar_t* v) { c.SetImage(c.m_button2.hot, v); }},
        {L"button2pushedimage", [](C& c, const wchar_t* v) { c.SetImage(c.m_button2.pushed, v); }},
        {L"button2disabledimage",
         [](C& c, const wchar_t* v) { c.SetImage(c.m_button2.disabled, v); }},
        {L"thumbcolor",
         [](C& c, const wchar_t* v) { c.SetThumbColor(ReadHexColorAfterBlanks(v)); }},
        {L"thumbnormalimage", [](C& c, const wchar_t* v) { c.SetImage(c.m_thumb.normal, v); }},
        {L"thumbhotimage", [](C& c, const wchar_t* v) { c.SetImage(c.m_thumb.hot, v); }},
        {L"thumbpushedimage", [](C& c, const wchar_t* v) { c.SetImage(c.m_thumb.pushed, v); }},
        {L"thumbdisabledimage", [](C& c, const wchar_t* v) { c.SetImage(c.m_thumb.disabled, v); }},
        {L"railnormalimage", [](C& c, const wchar_t* v) { c.SetImage(c.m_railNormal, v); }},
        {L"railhotimage", [](C& c, const wchar_t* v) { c.SetImage(c.m_railHot, v); }},
        {L"railpushedimage", [](C& c, const wchar_t* v) { c.SetImage(c.m_railPushed, v); }},
        {L"raildisabledimage", [](C& c, const wchar_t* v) { c.SetImage(c.m_railDisabled, v); }},
        {L"bknormalimage", [](C& c, const wchar_t* v) { c.SetImage(c.m_bkNormal, v); }},
        {L"bkhotimage", [](C& c, const wchar_t* v) { c.SetImage(c.m_bkHot, v); }},
        {L"bkpushedimage", [](C& c, const wchar_t* v) { c.SetImage(c.m_bkPushed, v); }},
        {L"bkdisabledimage", [](C& c, const wchar_t* v) { c.SetImage(c.m_bkDisabled, v); }},
        {L"hor", [](C& c, const wchar_t* v) { c.SetHorizontal(ReadBool(v)); }},
        {L"linesize", [](C& c, const wchar_t* v) { c.SetLineSize(ReadInt(v)); }},
        {L"range", [](C& c, const wchar_t* v) { c.SetScrollRange(ReadInt(v)); }},
        {L"value", [](C& c, const wchar_t* v) { c.SetScrollPos(ReadInt(v)); }},
        {L"showbutton1", [](C& c, const wchar_t* v) { c.SetShowButton1(ReadBool(v)); }},
        {L"showbutton2", [](C& c, const wchar_t* v) { c.SetShowButton2(ReadBool(v)); }},
    };
    if (!ApplyAttrRow(kRows, *this, name, value)) CControlUI::ApplyAttribute(name, value);
}

// ---- painting ------------------------------------------------------------------------------

bool CScrollBarUI::DrawAt(HDC dc, TImageDrawInfo& info, const RECT& where) {
    // Load first: parsing the description sets its own dest, which the part's place replaces.
    if (!CRenderer::DrawImageDescriptor(nullptr, m_manager, m_rcItem, m_rcPaint, info))
        return false;
    info.dest = where;
    OffsetRect(&info.dest, -m_rcItem.left, -m_rcItem.top);
    return DrawImage(dc, info);
}

bool CScrollBarUI::DrawStateImage(HDC dc, UINT state, TImageDrawInfo& normal,
                                  TImageDrawInfo& hot, TImageDrawInfo& pushed,
                                  TImageDrawInfo& disabled, const RECT& where) {
    TImageDrawInfo* chosen = nullptr;
    if (state & kStateDisabled)
        chosen = &disabled;
    else if (state & kStatePushed)
        chosen = &pushed;
    else if (state & kStateHot)
        chosen = &hot;
    if (chosen && DrawAt(dc, *chosen, where)) return true;
    return DrawAt(dc, normal, where);
}

void CScrollBarUI::RenderPart(HDC dc, TPart& part) {
    if (IsEnabled())
        part.state &= ~kStateDisabled;
    else
        part.state |= kStateDisabled;
    if (IsZero(part.rect) || IsRectEmpty(&part.rect)) return;
    if (part.color != 0) CRenderer::FillColor(dc, part.rect, GetHslAdjustedColor(part.color));
    DrawStateImage(dc, part.state, part.normal, part.hot, part.pushed, part.disabled, part.rect);
}

void CScrollBarUI::RenderRail(HDC dc) {
    if (IsZero(m_thumb.rect)) return;
    RECT rail = m_thumb.rect;
    if (m_horizontal) {
        const int mid = (m_thumb.rect.left + m_thumb.rect.right) / 2;
        rail.left = mid - m_declaredHeight / 2;
        rail.right = rail.left + m_declaredHeight;
    } else {
        const int mid = (m_thumb.rect.top + m_thumb.rect.bottom) / 2;
        rail.top = mid - m_declaredWidth / 2;
        rail.bottom = rail.top + m_declaredWidth;
    }
    DrawStateImage(dc, m_thumb.state, m_railNormal, m_railHot, m_railPushed, m_railDisabled,
                   rail);
}

void CScrollBarUI::Render(HDC dc, const RECT& paint) {
    if (!IntersectRect(&m_rcPaint, &paint, &m_rcItem)) return;
    RenderBackColor(dc);
    RenderBackImage(dc);
    DrawStateImage(dc, m_thumb.state, m_bkNormal, m_bkHot, m_bkPushed, m_bkDisabled, m_rcItem);
    if (m_button1.shown) RenderPart(dc, m_button1);
    if (m_button2.shown) RenderPart(dc, m_button2);
    RenderPart(dc, m_thumb);
    RenderRail(dc);
    RenderBorder(dc);
}

}  // namespace Veneer
