// The container: its child list, ownership, visibility and manager hand-down, free layout,
// scroll bars, hit-testing and painting of children.
#include "ContainerUI.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cwchar>

#include "AttrTable.h"
#include "AttrValue.h"
#include "LayoutMath.h"
#include "ClipScope.h"
#include "ScrollBarUI.h"
#include "WindowManagerUI.h"

namespace Veneer {

namespace {

bool Meets(const RECT& a, const RECT& b) {
    RECT tmp;
    return IntersectRect(&tmp, &a, &b) != FALSE;
}

CControlUI* CALLBACK ReapProc(CControlUI* control, void* manager) {
    static_cast<CWindowManagerUI*>(manager)->ReapObjects(control);
    return nullptr;
}

}  // namespace

CContainerUI::CContainerUI() = default;

CContainerUI::~CContainerUI() {
    // Children go now, not through the manager: the window may already be gone.
    m_deferredDelete = false;
    RemoveAll();
    delete m_verticalBar;
    m_verticalBar = nullptr;
    delete m_horizontalBar;
    m_horizontalBar = nullptr;
}

const wchar_t* CContainerUI::GetTypeName() const { return L"ContainerUI"; }

void* CContainerUI::QueryPart(const wchar_t* name) {
    if (name && wcscmp(name, L"IContainer") == 0) return static_cast<IContainerUI*>(this);
    if (name && wcscmp(name, L"Container") == 0) return static_cast<CContainerUI*>(this);
    return CControlUI::QueryPart(name);
}

// ---- child list ----------------------------------------------------------------------------

CControlUI* CContainerUI::GetItemAt(int index) const {
    if (index < 0 || index >= m_items.GetSize()) return nullptr;
    return static_cast<CControlUI*>(m_items[index]);
}

int CContainerUI::GetItemIndex(CControlUI* control) const { return m_items.Find(control); }

bool CContainerUI::SetItemIndex(CControlUI* control, int index) {
    const int old = m_items.Find(control);
    if (old < 0) return false;
    RequestLayout();
    m_items.Remove(old);
    // An index outside the list would drop the child from it and leak it: it goes to the end.
    if (!m_items.InsertAt(index, control)) {
        m_items.Add(control);
        return false;
    }
    return true;
}

int CContainerUI::GetCount() const { return m_items.GetSize(); }

bool CContainerUI::Add(CControlUI* control) { return AddAt(control, m_items.GetSize()); }

bool CContainerUI::AddAt(CControlUI* control, int index) {
    if (control == nullptr) return false;
    if (m_manager) m_manager->IndexControlNames(control, this);
    if (IsVisible())
        RequestLayout();
    else
        control->SetInheritedVisible(false);
    return m_items.InsertAt(index, control);
}

void CContainerUI::DisposeChild(CControlUI* child) {
    if (m_deferredDelete && m_manager)
        m_manager->AddDelayedCleanup(child);
    else
        delete child;
}

void CContainerUI::ReleaseChild(CControlUI* child) {
    // The child lives on outside this container, which may go first, and outside the window:
    // the window forgets the whole subtree and the child points at neither of them any more.
    if (m_manager) child->LocateControl(&ReapProc, m_manager, 0);
    child->SetManager(nullptr, nullptr, false);
}

bool CContainerUI::Remove(CControlUI* control) {
    if (control == nullptr) return false;
    const int index = m_items.Find(control);
    if (index < 0) return false;
    RequestLayout();
    m_items.Remove(index);
    if (m_deleteOnRemove)
        DisposeChild(control);
    else
        ReleaseChild(control);
    return true;
}

bool CContainerUI::RemoveAt(int index) {
    CControlUI* control = GetItemAt(index);
    return control != nullptr && Remove(control);
}

void CContainerUI::RemoveAll() {
    // Take the list first: a deleted child must not find itself still listed here.
    CUIPtrArray items = m_items;
    m_items.Empty();
    for (int i = 0; i < items.GetSize(); ++i) {
        auto* child = static_cast<CControlUI*>(items[i]);
        if (m_deleteOnRemove)
            DisposeChild(child);
        else
            ReleaseChild(child);
    }
    RequestLayout();
}

// ---- simple properties ---------------------------------------------------------------------

RECT CContainerUI::GetInset() const { return m_inset; }

void CContainerUI::SetInset(RECT inset) {
    m_inset = inset;
    RequestLayout();
}

int CContainerUI::GetChildPadding() const { return m_childPadding; }

void CContainerUI::SetChildPadding(int padding) {
    m_childPadding = padding;
    RequestLayout();
}

bool CContainerUI::IsDeleteOnRemove() const { return m_deleteOnRemove; }
void CContainerUI::SetDeleteOnRemove(bool on) { m_deleteOnRemove = on; }
bool CContainerUI::IsDeferredDelete() const { return m_deferredDelete; }
void CContainerUI::SetDeferredDelete(bool on) { m_deferredDelete = on; }
bool CContainerUI::IsMouseChild() const { return m_mouseChild; }
void CContainerUI::SetMouseChild(bool on) { m_mouseChild = on; }

int CContainerUI::NextSelectableIndex(int index, bool forward) const {
    const int count = m_items.GetSize();
    if (count == 0) return -1;
    const int start = std::clamp(index, 0, count - 1);
    auto selectable = [this](int i) {
        CControlUI* c = GetItemAt(i);
        return c->QueryPart(L"ListItem") != nullptr && c->IsVisible() && c->IsEnabled();
    };
    if (forward) {
        for (int i = start; i < count; ++i)
            if (selectable(i)) return i;
        return -1;
    }
    for (int i = start; i >= 0; --i)
        if (selectable(i)) return i;
    return NextSelectableIndex(0, true);
}

// ---- manager, visibility, movement ---------------------------------------------------------

void CContainerUI::SetManager(CWindowManagerUI* manager, CControlUI* parent, bool init) {
    for (int i = 0; i < m_items.GetSize(); ++i)
        static_cast<CControlUI*>(m_items[i])->SetManager(manager, this, init);
    if (m_verticalBar) m_verticalBar->SetManager(manager, this, init);
    if (m_horizontalBar) m_horizontalBar->SetManager(manager, this, init);
    CControlUI::SetManager(manager, parent, init);
}

void CContainerUI::SetVisible(bool visible) {
    if (m_visible == visible) return;
    CControlUI::SetVisible(visible);
    for (int i = 0; i < m_items.GetSize(); ++i)
        static_cast<CControlUI*>(m_items[i])->SetInheritedVisible(IsVisible());
}

void CContainerUI::SetInheritedVisible(bool visible) {
    CControlUI::SetInheritedVisible(visible);
    for (int i = 0; i < m_items.GetSize(); ++i)
        static_cast<CControlUI*>(m_items[i])->SetInheritedVisible(IsVisible());
}

void CContainerUI::SetMouseEnabled(bool enabled) {
    if (m_verticalBar) m_verticalBar->SetMouseEnabled(enabled);
    if (m_horizontalBar) m_horizontalBar->SetMouseEnabled(enabled);
    CControlUI::SetMouseEnabled(enabled);
}

void CContainerUI::Move(SIZE offset, bool needInvalidate) {
    CControlUI::Move(offset, needInvalidate);
    if (IsBarVisible(m_verticalBar)) m_verticalBar->Move(offset, false);
    if (IsBarVisible(m_horizontalBar)) m_horizontalBar->Move(offset, false);
    for (int i = 0; i < m_items.GetSize(); ++i) {
        auto* child = static_cast<CControlUI*>(m_items[i]);
        if (child->IsVisible()) child->Move(offset, false);
    }
}

// ---- layout --------------------------------------------------------------------------------

bool CContainerUI::IsBarVisible(const CScrollBarUI* bar) const {
    return bar != nullptr && bar->IsVisible();
}

TRect64 CContainerUI::InsetArea() const {
    return TRect64{int64_t{m_rcItem.left} + m_inset.left, int64_t{m_rcItem.top} + m_inset.top,
                   int64_t{m_rcItem.right} - m_inset.right,
                   int64_t{m_rcItem.bottom} - m_inset.bottom};
}

RECT CContainerUI::InnerRect() const {
    RECT rc = InsetArea().Saturated();
    if (IsBarVisible(m_verticalBar))
        rc.right = SaturateInt(int64_t{rc.right} - m_verticalBar->GetDeclaredWidth());
    if (IsBarVisible(m_horizontalBar))
        rc.bottom = SaturateInt(int64_t{rc.bottom} - m_horizontalBar->GetDeclaredHeight());
    return rc;
}

CControlUI* CContainerUI::FlowChild(int index) {
    auto* child = static_cast<CControlUI*>(m_items[index]);
    if (!child->IsVisible()) return nullptr;
    if (child->IsFloat()) {
        PlaceFloatingChild(index);
        return nullptr;
    }
    return child;
}

void CContainerUI::SetPos(RECT rc, bool needInvalidate) {
    CControlUI::SetPos(rc, needInvalidate);
    if (m_items.IsEmpty()) return;
    TRect64 area = InsetArea();
    if (IsBarVisible(m_verticalBar)) {
        const int pos = m_verticalBar->GetScrollPos();
        area.top -= pos;
        area.right -= m_verticalBar->GetDeclaredWidth();
        area.bottom += int64_t{m_verticalBar->GetScrollRange()} - pos;
    }
    if (IsBarVisible(m_horizontalBar)) {
        const int pos = m_horizontalBar->GetScrollPos();
        area.left -= pos;
        area.right += int64_t{m_horizontalBar->GetScrollRange()} - pos;
        area.bottom -= m_horizontalBar->GetDeclaredHeight();
    }
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* child = FlowChild(i);
        if (child == nullptr) continue;
        const int64_t w =
            ClampMinMax(area.right - area.left, child->GetMinWidth(), child->GetMaxWidth());
        const int64_t h =
            ClampMinMax(area.bottom - area.top, child->GetMinHeight(), child->GetMaxHeight());
        child->SetPos(TRect64{area.left, area.top, area.left + w, area.top + h}.Saturated(),
                      false);
    }
}

void CContainerUI::PlaceFloatingChild(int index) {
    CControlUI* child = GetItemAt(index);
    if (child == nullptr || !child->IsVisible() || !child->IsFloat()) return;
    const int w = GetWidth();
    const int h = GetHeight();
    const SIZE origin = child->GetDeclaredOrigin();
    double shares[4];
    child->GetFloatShares(shares);
    const RECT rc = {
        SaturateInt(int64_t{ShareOf(shares[0], w)} + origin.cx),
        SaturateInt(int64_t{ShareOf(shares[1], h)} + origin.cy),
        SaturateInt(int64_t{ShareOf(shares[2], w)} + origin.cx + child->GetDeclaredWidth()),
        SaturateInt(int64_t{ShareOf(shares[3], h)} + origin.cy + child->GetDeclaredHeight()),
    };
    child->SetPos(rc, false);
}

void CContainerUI::UpdateScrollBars(RECT inner, int requiredWidth, int requiredHeight) {
    (void)requiredWidth;  // the horizontal range comes from the bar's own attributes
    if (IsBarVisible(m_horizontalBar)) {
        m_horizontalBar->SetPos(RECT{inner.left, inner.bottom, inner.right,
                                     SaturateInt(int64_t{inner.bottom} +
                                              m_horizontalBar->GetDeclaredHeight())});
    }
    if (m_verticalBar == nullptr) return;
    const int64_t excess = int64_t{requiredHeight} - (int64_t{inner.bottom} - inner.top);
    if (excess > 0 && !m_verticalBar->IsVisible()) {
        m_verticalBar->SetVisible(true);
        m_verticalBar->SetScrollRange(SaturateInt(excess));
        m_verticalBar->SetScrollPos(0);
        m_inScrollUpdate = true;
        SetPos(m_rcItem, true);
        m_inScrollUpdate = false;
        return;
    }
    if (!m_verticalBar->IsVisible()) return;
    if (excess <= 0 && !m_inScrollUpdate) {
        m_verticalBar->SetVisible(false);
        m_verticalBar->SetScrollPos(0);
        m_verticalBar->SetScrollRange(0);
        SetPos(m_rcItem, true);
        return;
    }
    m_verticalBar->SetPos(RECT{inner.right, inner.top,
                               SaturateInt(int64_t{inner.right} + m_verticalBar->GetDeclaredWidth()),
                               inner.bottom});
    if (m_verticalBar->GetScrollRange() == excess) return;
    const int before = m_verticalBar->GetScrollPos();
    m_verticalBar->SetScrollRange(SaturateInt(excess < 0 ? -excess : excess));
    if (m_verticalBar->GetScrollRange() == 0) {
        m_verticalBar->SetVisible(false);
        m_verticalBar->SetScrollPos(0);
    }
    if (m_verticalBar->GetScrollPos() < before) SetPos(m_rcItem, false);
}

// ---- scrolling -----------------------------------------------------------------------------

SIZE CContainerUI::GetScrollPos() const {
    return SIZE{IsBarVisible(m_horizontalBar) ? m_horizontalBar->GetScrollPos() : 0,
                IsBarVisible(m_verticalBar) ? m_verticalBar->GetScrollPos() : 0};
}

SIZE CContainerUI::GetScrollRange() const {
    return SIZE{IsBarVisible(m_horizontalBar) ? m_horizontalBar->GetScrollRange() : 0,
                IsBarVisible(m_verticalBar) ? m_verticalBar->GetScrollRange() : 0};
}

void CContainerUI::SetScrollPos(SIZE pos) {
    int64_t dx = 0;
    int64_t dy = 0;
    if (IsBarVisible(m_verticalBar)) {
        const int old = m_verticalBar->GetScrollPos();
        m_verticalBar->SetScrollPos(pos.cy);
        dy = int64_t{m_verticalBar->GetScrollPos()} - old;
    }
    if (IsBarVisible(m_horizontalBar)) {
        const int old = m_horizontalBar->GetScrollPos();
        m_horizontalBar->SetScrollPos(pos.cx);
        dx = int64_t{m_horizontalBar->GetScrollPos()} - old;
    }
    if (dx == 0 && dy == 0) return;
    const SIZE offset = {SaturateInt(-dx), SaturateInt(-dy)};
    for (int i = 0; i < m_items.GetSize(); ++i) {
        auto* child = static_cast<CControlUI*>(m_items[i]);
        if (child->IsVisible() && !child->IsFloat()) child->Move(offset, false);
    }
    Invalidate();
}

namespace {

int LineHeight(CWindowManagerUI* manager) {
    if (manager == nullptr) return 8;
    TFontRecord* font = manager->GetDefaultFontRecord();
    return (font ? font->metrics.tmHeight : 0) + 8;
}

}  // namespace

void CContainerUI::ScrollLineUp() {
    SIZE p = GetScrollPos();
    SetScrollPos(SIZE{p.cx, SaturateInt(int64_t{p.cy} - LineHeight(m_manager))});
}

void CContainerUI::ScrollLineDown() {
    SIZE p = GetScrollPos();
    SetScrollPos(SIZE{p.cx, SaturateInt(int64_t{p.cy} + LineHeight(m_manager))});
}

void CContainerUI::ScrollPageUp() {
    SIZE p = GetScrollPos();
    int64_t page = int64_t{GetHeight()} - m_inset.top - m_inset.bottom;
    if (IsBarVisible(m_horizontalBar)) page -= m_horizontalBar->GetDeclaredHeight();
    SetScrollPos(SIZE{p.cx, SaturateInt(p.cy - page)});
}

void CContainerUI::ScrollPageDown() {
    SIZE p = GetScrollPos();
    int64_t page = int64_t{GetHeight()} - m_inset.top - m_inset.bottom;
    if (IsBarVisible(m_horizontalBar)) page -= m_horizontalBar->GetDeclaredHeight();
    SetScrollPos(SIZE{p.cx, SaturateInt(p.cy + page)});
}

void CContainerUI::ScrollToTop() { SetScrollPos(SIZE{GetScrollPos().cx, 0}); }

void CContainerUI::ScrollToBottom() {
    SetScrollPos(SIZE{GetScrollPos().cx, GetScrollRange().cy});
}

void CContainerUI::ScrollLineLeft() {
    SIZE p = GetScrollPos();
    SetScrollPos(SIZE{SaturateInt(int64_t{p.cx} - 8), p.cy});
}

void CContainerUI::ScrollLineRight() {
    SIZE p = GetScrollPos();
    SetScrollPos(SIZE{SaturateInt(int64_t{p.cx} + 8), p.cy});
}

void CContainerUI::ScrollPageLeft() {
    SIZE p = GetScrollPos();
    int64_t page = int64_t{GetWidth()} - m_inset.left - m_inset.right;
    if (IsBarVisible(m_verticalBar)) page -= m_verticalBar->GetDeclaredWidth();
    SetScrollPos(SIZE{SaturateInt(p.cx - page), p.cy});
}

void CContainerUI::ScrollPageRight() {
    SIZE p = GetScrollPos();
    int64_t page = int64_t{GetWidth()} - m_inset.left - m_inset.right;
    if (IsBarVisible(m_verticalBar)) page -= m_verticalBar->GetDeclaredWidth();
    SetScrollPos(SIZE{SaturateInt(p.cx + page), p.cy});
}

void CContainerUI::ScrollToLeftEnd() { SetScrollPos(SIZE{0, GetScrollPos().cy}); }

void CContainerUI::ScrollToRightEnd() {
    SetScrollPos(SIZE{GetScrollRange().cx, GetScrollPos().cy});
}

void CContainerUI::EnableScrollBar(bool vertical, bool horizontal) {
    auto makeBar = [this](bool isHorizontal) {
        auto* bar = new CScrollBarUI;
        if (isHorizontal) bar->SetHorizontal(true);
        bar->SetOwner(this);
        bar->SetManager(m_manager, nullptr, false);
        if (m_manager) {
            const wchar_t* defaults =
                m_manager->GetClassDefaults(isHorizontal ? L"HScrollBar" : L"VScrollBar");
            if (defaults) bar->ApplyAttributeString(defaults);
        }
        return bar;
    };
    if (vertical && m_verticalBar == nullptr) {
        m_verticalBar = makeBar(false);
    } else if (!vertical && m_verticalBar) {
        delete m_verticalBar;
        m_verticalBar = nullptr;
    }
    if (horizontal && m_horizontalBar == nullptr) {
        m_horizontalBar = makeBar(true);
    } else if (!horizontal && m_horizontalBar) {
        delete m_horizontalBar;
        m_horizontalBar = nullptr;
    }
    RequestLayout();
}

CScrollBarUI* CContainerUI::GetVerticalScrollBar() const { return m_verticalBar; }
CScrollBarUI* CContainerUI::GetHorizontalScrollBar() const { return m_horizontalBar; }

// ---- events, hit-testing, attributes, painting --------------------------------------------

void CContainerUI::HandleEvent(TControlEvent& event) {
    if (!IsMouseEnabled() && IsMouseEvent(event.type)) {
        if (m_parent)
            m_parent->HandleEvent(event);
        else
            CControlUI::HandleEvent(event);
        return;
    }
    if (event.type == kEventSetFocus) {
        m_focused = true;
        return;
    }
    if (event.type == kEventKillFocus) {
        m_focused = false;
        return;
    }
    const bool vertical = IsBarVisible(m_verticalBar) && m_verticalBar->IsEnabled();
    const bool horizontal =
        !vertical && IsBarVisible(m_horizontalBar) && m_horizontalBar->IsEnabled();
    if (vertical || horizontal) {
        if (event.type == kEventKeyDown) {
            switch (event.key) {
            case VK_PRIOR: vertical ? ScrollPageUp() : ScrollPageLeft(); return;
            case VK_NEXT: vertical ? ScrollPageDown() : ScrollPageRight(); return;
            case VK_END: vertical ? ScrollToBottom() : ScrollToRightEnd(); return;
            case VK_HOME: vertical ? ScrollToTop() : ScrollToLeftEnd(); return;
            case VK_UP: vertical ? ScrollLineUp() : ScrollLineLeft(); return;
            case VK_DOWN: vertical ? ScrollLineDown() : ScrollLineRight(); return;
            default: break;
            }
        } else if (event.type == kEventScrollWheel) {
            switch (LOWORD(event.wParam)) {
            case SB_LINEUP: vertical ? ScrollLineUp() : ScrollLineLeft(); return;
            case SB_LINEDOWN: vertical ? ScrollLineDown() : ScrollLineRight(); return;
            default: break;
            }
        }
    }
    CControlUI::HandleEvent(event);
}

CControlUI* CContainerUI::LocateControl(LocateProc proc, void* data, UINT flags) {
    if ((flags & kLocateVisible) && !IsVisible()) return nullptr;
    if ((flags & kLocateEnabled) && !IsEnabled()) return nullptr;
    const bool hitTest = (flags & kLocateHitTest) != 0;
    if (hitTest && !PtInRect(&m_rcItem, *static_cast<POINT*>(data))) return nullptr;
    if ((flags & kLocateUpdateTest) && proc(this, data) != nullptr) return nullptr;

    const bool meFirst = (flags & kLocateMeFirst) != 0;
    if (meFirst && (!hitTest || IsMouseEnabled())) {
        if (CControlUI* found = proc(this, data)) return found;
    }
    if (!hitTest || IsMouseEnabled()) {
        if (m_verticalBar) {
            if (CControlUI* found = m_verticalBar->LocateControl(proc, data, flags)) return found;
        }
        if (m_horizontalBar) {
            if (CControlUI* found = m_horizontalBar->LocateControl(proc, data, flags))
                return found;
        }
    }
    if (!hitTest || m_mouseChild) {
        const RECT inner = InnerRect();
        const int count = m_items.GetSize();
        const bool topFirst = (flags & kLocateTopFirst) != 0;
        for (int n = 0; n < count; ++n) {
            auto* child = static_cast<CControlUI*>(m_items[topFirst ? count - 1 - n : n]);
            CControlUI* found = child->LocateControl(proc, data, flags);
            if (found == nullptr) continue;
            if (!hitTest) return found;
            if (found->IsFloat() || PtInRect(&inner, *static_cast<POINT*>(data))) return found;
        }
    }
    if (meFirst || (hitTest && !IsMouseEnabled())) return nullptr;
    return proc(this, data);
}

void CContainerUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (name == nullptr || value == nullptr) return;
    using C = CContainerUI;
    // Switching one bar keeps the other as it is; a style creates its bar before applying.
    static constexpr TAttrRow<C> kRows[] = {
        {L"inset", [](C& c, const wchar_t* v) { c.SetInset(ReadRect(v)); }},
        {L"mousechild", [](C& c, const wchar_t* v) { c.SetMouseChild(ReadBool(v)); }},
        {L"vscrollbar",
         [](C& c, const wchar_t* v) {
             c.EnableScrollBar(ReadBool(v), c.m_horizontalBar != nullptr);
         }},
        {L"vscrollbarstyle",
         [](C& c, const wchar_t* v) {
             c.EnableScrollBar(true, c.m_horizontalBar != nullptr);
             if (c.m_verticalBar) c.m_verticalBar->ApplyAttributeString(v);
         }},
        {L"hscrollbar",
         [](C& c, const wchar_t* v) {
             c.EnableScrollBar(c.m_verticalBar != nullptr, ReadBool(v));
         }},
        {L"hscrollbarstyle",
         [](C& c, const wchar_t* v) {
             c.EnableScrollBar(c.m_verticalBar != nullptr, true);
             if (c.m_horizontalBar) c.m_horizontalBar->ApplyAttributeString(v);
         }},
        {L"childpadding", [](C& c, const wchar_t* v) { c.SetChildPadding(ReadInt(v)); }},
    };
    if (!ApplyAttrRow(kRows, *this, name, value)) CControlUI::ApplyAttribute(name, value);
}

void CContainerUI::Render(HDC dc, const RECT& paint) {
    RECT visible;
    if (!IntersectRect(&visible, &paint, &m_rcItem)) return;
    CClipScope clip;
    CClipScope::ClipToRect(dc, visible, clip);
    CControlUI::Render(dc, paint);

    if (!m_items.IsEmpty()) {
        const RECT inner = InnerRect();
        RECT innerPaint;
        const bool paintsInner = IntersectRect(&innerPaint, &paint, &inner) != FALSE;
        CClipScope childClip;
        if (paintsInner) CClipScope::ClipToRect(dc, innerPaint, childClip);
        for (int i = 0; i < m_items.GetSize(); ++i) {
            auto* child = static_cast<CControlUI*>(m_items[i]);
            if (!child->IsVisible() || !Meets(paint, child->GetPos())) continue;
            if (child->IsFloat()) {
                if (!Meets(m_rcItem, child->GetPos())) continue;
                // Float children may reach outside the inner rectangle, up to the item's edge.
                if (paintsInner) childClip.SelectOldRegion(dc);
                child->Render(dc, paint);
                if (paintsInner) childClip.SelectClipRegion(dc);
            } else if (paintsInner && Meets(inner, child->GetPos())) {
                child->Render(dc, paint);
            }
        }
    }
    if (IsBarVisible(m_verticalBar) && Meets(paint, m_verticalBar->GetPos()))
        m_verticalBar->Render(dc, paint);
    if (IsBarVisible(m_horizontalBar) && Meets(paint, m_horizontalBar->GetPos()))
        m_horizontalBar->Render(dc, paint);
}

}  // namespace Veneer
