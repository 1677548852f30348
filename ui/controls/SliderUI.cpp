#include "SliderUI.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>

#include "AttrTable.h"
#include "AttrValue.h"
#include "ButtonUI.h"
#include "WindowManagerUI.h"

namespace Veneer {

CSliderUI::CSliderUI() { m_textStyle = kTextSingleLine | kTextCenter; }
CSliderUI::~CSliderUI() = default;

const wchar_t* CSliderUI::GetTypeName() const { return L"SliderUI"; }

void* CSliderUI::QueryPart(const wchar_t* name) {
    if (name && wcscmp(name, L"Slider") == 0) return this;
    return CProgressUI::QueryPart(name);
}

UINT CSliderUI::GetBehaviourFlags() const { return IsEnabled() ? UINT{kBehaviourSetCursor} : 0u; }

void CSliderUI::SetEnabled(bool enabled) {
    CProgressUI::SetEnabled(enabled);
    if (!IsEnabled()) m_buttonState = 0;
}

void CSliderUI::SetThumbSize(int width, int height) {
    m_thumbSize.cx = width;
    m_thumbSize.cy = height;
}

SIZE CSliderUI::EffectiveThumb() const {
    const RECT& rc = m_rcItem;
    SIZE t = m_thumbSize;
    t.cx = std::max(0L, std::min<LONG>(t.cx, rc.right - rc.left));
    t.cy = std::max(0L, std::min<LONG>(t.cy, rc.bottom - rc.top));
    return t;
}

RECT CSliderUI::GetThumbRect() const {
    const RECT& rc = m_rcItem;
    const SIZE t = EffectiveThumb();
    // An empty range has no positions to spread: the thumb rests at the start.
    const int64_t range = int64_t{m_max} - m_min;
    const int64_t offset = range > 0 ? int64_t{m_value} - m_min : 0;
    const int64_t divisor = range > 0 ? range : 1;
    RECT thumb;
    if (m_horizontal) {
        thumb.left = static_cast<LONG>(rc.left + offset * (int64_t{rc.right} - rc.left - t.cx) /
                                                     divisor);
        thumb.top = (rc.bottom + rc.top - t.cy) / 2;
        thumb.right = thumb.left + t.cx;
        thumb.bottom = thumb.top + t.cy;
    } else {
        thumb.left = (rc.right + rc.left - t.cx) / 2;
        thumb.bottom = static_cast<LONG>(
            rc.bottom - (int64_t{rc.bottom} - rc.top - t.cy) * offset / divisor);
        thumb.top = thumb.bottom - t.cy;
        thumb.right = thumb.left + t.cx;
    }
    return thumb;
}

int CSliderUI::ValueAt(POINT pt) const {
    if (m_max <= m_min) return m_value;
    const RECT& rc = m_rcItem;
    const SIZE t = EffectiveThumb();
    const int64_t range = int64_t{m_max} - m_min;
    if (m_horizontal) {
        if (pt.x >= rc.right - t.cx / 2) return m_max;
        if (pt.x <= rc.left + t.cx / 2) return m_min;
        const int64_t track = int64_t{rc.right} - rc.left - t.cx;
        if (track <= 0) return m_min;
        return static_cast<int>(m_min + range * (int64_t{pt.x} - rc.left - t.cx / 2) / track);
    }
    if (pt.y >= rc.bottom - t.cy / 2) return m_min;
    if (pt.y <= rc.top + t.cy / 2) return m_max;
    const int64_t track = int64_t{rc.bottom} - rc.top - t.cy;
    if (track <= 0) return m_min;
    return static_cast<int>(m_min + range * (int64_t{rc.bottom} - t.cy / 2 - pt.y) / track);
}

void CSliderUI::HandleEvent(TControlEvent& event) {
    if (!IsMouseEnabled() && IsMouseEvent(event.type)) {
        if (m_parent)
            m_parent->HandleEvent(event);
        else
            CLabelUI::HandleEvent(event);
        return;
    }
    switch (event.type) {
    case kEventButtonDown:
    case kEventDoubleClick:
        if (IsEnabled()) {
            const RECT thumb = GetThumbRect();
            if (PtInRect(&thumb, event.mouse)) m_buttonState |= kStateCaptured;
        }
        return;
    case kEventButtonUp:
        if (m_buttonState & kStateCaptured) {
            m_value = ValueAt(event.mouse);
            if (m_manager) m_manager->SendNotification(this, L"valuechanged", 0, 0);
            m_buttonState &= ~kStateCaptured;
            Invalidate();
        }
        return;
    case kEventContextMenu:
        return;
    case kEventScrollWheel:
        if (LOWORD(event.wParam) == 0 || LOWORD(event.wParam) == 1) {
            SetValue(LOWORD(event.wParam) == 0 ? m_value + m_step : m_value - m_step);
            if (m_manager) m_manager->SendNotification(this, L"valuechanged", 0, 0);
            return;
        }
        break;
    case kEventMouseMove:
        if (m_buttonState & kStateCaptured) {
            m_value = ValueAt(event.mouse);
            Invalidate();
        }
        return;
    case kEventSetCursor:
        if (IsEnabled()) {
            const RECT thumb = GetThumbRect();
            if (PtInRect(&thumb, event.mouse)) {
                ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
                return;
            }
        }
        break;
    case kEventMouseEnter:
    case kEventMouseLeave:
        if (IsEnabled()) {
            if (event.type == kEventMouseEnter)
                m_buttonState |= kStateHot;
            else
                m_buttonState &= ~kStateHot;
            Invalidate();
        }
        return;
    default:
        break;
    }
    CControlUI::HandleEvent(event);
}

void CSliderUI::SetThumbImageRecord(TImageDrawInfo& info, const wchar_t* description) {
    if (ResetImageRecord(info, description)) Invalidate();
}

void CSliderUI::SetThumbImage(const wchar_t* d) { SetThumbImageRecord(m_thumbImage, d); }
void CSliderUI::SetThumbHotImage(const wchar_t* d) { SetThumbImageRecord(m_thumbHotImage, d); }
void CSliderUI::SetThumbPushedImage(const wchar_t* d) {
    SetThumbImageRecord(m_thumbPushedImage, d);
}

void CSliderUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (name == nullptr || value == nullptr) return;
    using C = CSliderUI;
    static constexpr TAttrRow<C> kRows[] = {
        {L"thumbimage", [](C& c, const wchar_t* v) { c.SetThumbImage(v); }},
        {L"thumbhotimage", [](C& c, const wchar_t* v) { c.SetThumbHotImage(v); }},
        {L"thumbpushedimage", [](C& c, const wchar_t* v) { c.SetThumbPushedImage(v); }},
        {L"thumbsize",
         [](C& c, const wchar_t* v) {
             int size[2] = {0, 0};
             ReadIntList(v, size, 2);
             c.SetThumbSize(size[0], size[1]);
         }},
        {L"step", [](C& c, const wchar_t* v) { c.SetStep(ReadInt(v)); }},
    };
    if (!ApplyAttrRow(kRows, *this, name, value)) CProgressUI::ApplyAttribute(name, value);
}

void CSliderUI::RenderStateImages(HDC dc) {
    CProgressUI::RenderStateImages(dc);
    RECT thumb = GetThumbRect();
    OffsetRect(&thumb, -m_rcItem.left, -m_rcItem.top);
    if (m_buttonState & kStateCaptured) {
        m_thumbPushedImage.dest = thumb;
        if (DrawImage(dc, m_thumbPushedImage)) return;
    } else if (m_buttonState & kStateHot) {
        m_thumbHotImage.dest = thumb;
        if (DrawImage(dc, m_thumbHotImage)) return;
    }
    m_thumbImage.dest = thumb;
    DrawImage(dc, m_thumbImage);
}

}  // namespace Veneer
