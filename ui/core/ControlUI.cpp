// The base control: properties, visibility, geometry, repaint and layout requests, events.
#include "ControlUI.h"

#include <cmath>
#include <cstdint>

#include "LayoutMath.h"
#include "WindowManagerUI.h"

namespace Veneer {

CControlUI::CControlUI() = default;

CControlUI::~CControlUI() {
    if (m_destroyHub.HasHandlers()) m_destroyHub.Invoke(this);
    // The manager must not keep pointing at a control that is gone: hover, focus, capture,
    // timers, its name and queued notifications all refer to it.
    if (m_manager) m_manager->ReapObjects(this);
}

CUIString CControlUI::GetName() const { return m_name; }
void CControlUI::SetName(const wchar_t* name) {
    if (name == nullptr) name = L"";
    if (m_name == name) return;
    m_name = name;
    // The window finds its controls by name: the old name must no longer lead here.
    if (m_manager) m_manager->RenameControl(this);
}
const wchar_t* CControlUI::GetTypeName() const { return L"ControlUI"; }

void* CControlUI::QueryPart(const wchar_t* name) {
    if (name && wcscmp(name, L"Control") == 0) return this;
    return nullptr;
}

UINT CControlUI::GetBehaviourFlags() const { return 0; }
bool CControlUI::IsWantTab() const { return false; }
bool CControlUI::Activate() { return IsVisible() && IsEnabled(); }
CWindowManagerUI* CControlUI::GetManager() const { return m_manager; }

void CControlUI::SetManager(CWindowManagerUI* manager, CControlUI* parent, bool init) {
    m_manager = manager;
    m_parent = parent;
    if (init && parent) Init();
}

CControlUI* CControlUI::GetParent() const { return m_parent; }
CUIString CControlUI::GetText() const { return m_text; }

void CControlUI::SetText(const wchar_t* text) {
    if (text == nullptr) text = L"";
    if (m_text == text) return;
    m_text = text;
    Invalidate();
}

const RECT& CControlUI::GetPos() const { return m_rcItem; }

RECT CControlUI::GetPosInParent() const {
    RECT rc = {0, 0, 0, 0};
    if (m_parent == nullptr) return rc;
    const RECT& p = m_parent->GetPos();
    rc = m_rcItem;
    OffsetRect(&rc, -p.left, -p.top);
    return rc;
}

bool CControlUI::ClipByAncestors(CUIRect& rc) const {
    for (CControlUI* a = m_parent; a != nullptr; a = a->GetParent()) {
        if (!a->IsVisible()) return false;
        RECT clipped;
        if (!IntersectRect(&clipped, &rc, &a->GetPos())) return false;
        rc = clipped;
    }
    return !IsRectEmpty(&rc);
}

void CControlUI::SetPos(RECT rc, bool needInvalidate) {
    if (rc.right < rc.left) rc.right = rc.left;
    if (rc.bottom < rc.top) rc.bottom = rc.top;
    CUIRect invalid = m_rcItem;
    if (IsRectEmpty(&invalid)) invalid = rc;

    if (m_float) {
        if (m_parent) {
            const RECT& p = m_parent->GetPos();
            const int w = p.right - p.left;
            const int h = p.bottom - p.top;
            m_rcItem = rc;
            m_rcItem.Offset(p.left, p.top);
            m_declaredOrigin.cx = SaturateInt(int64_t{rc.left} - ShareOf(m_floatShares[0], w));
            m_declaredOrigin.cy = SaturateInt(int64_t{rc.top} - ShareOf(m_floatShares[1], h));
            m_declaredWidth = SaturateInt(int64_t{rc.right} - m_declaredOrigin.cx -
                                           ShareOf(m_floatShares[2], w));
            m_declaredHeight = SaturateInt(int64_t{rc.bottom} - m_declaredOrigin.cy -
                                            ShareOf(m_floatShares[3], h));
        }
    } else {
        m_rcItem = rc;
    }
    if (m_manager == nullptr) return;

    if (!m_inSizeHub) {
        m_inSizeHub = true;
        m_sizeHub.Invoke(this);
        m_inSizeHub = false;
    }
    m_updateNeeded = false;

    if (needInvalidate && IsVisible()) {
        invalid.Join(m_rcItem);
        if (ClipByAncestors(invalid)) m_manager->Invalidate(invalid);
    }
}

void CControlUI::Move(SIZE offset, bool needInvalidate) {
    CUIRect invalid = m_rcItem;
    m_rcItem.Offset(offset.cx, offset.cy);
    if (needInvalidate && m_manager && IsVisible()) {
        invalid.Join(m_rcItem);
        if (ClipByAncestors(invalid)) m_manager->Invalidate(invalid);
    }
}

int CControlUI::GetWidth() const { return m_rcItem.right - m_rcItem.left; }
int CControlUI::GetHeight() const { return m_rcItem.bottom - m_rcItem.top; }
int CControlUI::GetX() const { return m_rcItem.left; }
int CControlUI::GetY() const { return m_rcItem.top; }
RECT CControlUI::GetPadding() const { return m_padding; }

void CControlUI::SetPadding(RECT rc) {
    m_padding = rc;
    RequestParentLayout();
}

SIZE CControlUI::GetDeclaredOrigin() const { return m_declaredOrigin; }

void CControlUI::SetDeclaredOrigin(SIZE origin) {
    m_declaredOrigin = origin;
    RequestDeclaredLayout();
}

int CControlUI::GetDeclaredWidth() const { return m_declaredWidth; }
void CControlUI::SetDeclaredWidth(int cx) {
    if (cx < 0) return;
    m_declaredWidth = cx;
    RequestDeclaredLayout();
}

int CControlUI::GetDeclaredHeight() const { return m_declaredHeight; }
void CControlUI::SetDeclaredHeight(int cy) {
    if (cy < 0) return;
    m_declaredHeight = cy;
    RequestDeclaredLayout();
}

int CControlUI::GetMinWidth() const { return m_minWidth; }
void CControlUI::SetMinWidth(int cx) {
    if (m_minWidth == cx || cx < 0) return;
    m_minWidth = cx;
    RequestDeclaredLayout();
}

int CControlUI::GetMaxWidth() const { return m_maxWidth; }
void CControlUI::SetMaxWidth(int cx) {
    if (m_maxWidth == cx || cx < 0) return;
    m_maxWidth = cx;
    RequestDeclaredLayout();
}

int CControlUI::GetMinHeight() const { return m_minHeight; }
void CControlUI::SetMinHeight(int cy) {
    if (m_minHeight == cy || cy < 0) return;
    m_minHeight = cy;
    RequestDeclaredLayout();
}

int CControlUI::GetMaxHeight() const { return m_maxHeight; }
void CControlUI::SetMaxHeight(int cy) {
    if (m_maxHeight == cy || cy < 0) return;
    m_maxHeight = cy;
    RequestDeclaredLayout();
}

void CControlUI::GetFloatShares(double shares[4]) const {
    for (int i = 0; i < 4; ++i) shares[i] = m_floatShares[i];
}

void CControlUI::SetFloatShares(double left, double top, double right, double bottom) {
    // Shares multiply the parent's size during layout; "nan" or "inf" from a layout would
    // place the control nowhere, so they count as no share.
    const double in[4] = {left, top, right, bottom};
    for (int i = 0; i < 4; ++i) m_floatShares[i] = std::isfinite(in[i]) ? in[i] : 0.0;
    RequestParentLayout();
}

CUIString CControlUI::GetToolTip() const { return m_toolTip; }

void CControlUI::SetToolTip(const wchar_t* text) {
    m_toolTip = text ? text : L"";
    m_toolTip.Replace(L"<n>", L"\r\n");
}

void CControlUI::SetToolTipMaxWidth(int width) { m_toolTipWidth = width; }
int CControlUI::GetToolTipMaxWidth() const { return m_toolTipWidth; }
wchar_t CControlUI::GetShortcut() const { return m_shortcut; }
void CControlUI::SetShortcut(wchar_t ch) { m_shortcut = ch; }
bool CControlUI::IsMenuEnabled() const { return m_menuEnabled; }
void CControlUI::SetMenuEnabled(bool enabled) { m_menuEnabled = enabled; }
const CUIString& CControlUI::GetUserData() const { return m_userData; }
void CControlUI::SetUserData(const wchar_t* text) { m_userData = text ? text : L""; }
LONG_PTR CControlUI::GetTag() const { return m_tag; }
void CControlUI::SetTag(LONG_PTR tag) { m_tag = tag; }

bool CControlUI::IsVisible() const { return m_visible && m_inheritedVisible; }

void CControlUI::SetVisible(bool visible) {
    if (m_visible == visible) return;
    const bool wasVisible = IsVisible();
    m_visible = visible;
    m_focused = false;
    if (!IsVisible() && m_manager && m_manager->GetFocus() == this) m_manager->SetFocus(nullptr);
    if (IsVisible() != wasVisible) RequestParentLayout();
}

void CControlUI::SetInheritedVisible(bool visible) {
    m_inheritedVisible = visible;
    if (!IsVisible() && m_manager && m_manager->GetFocus() == this) m_manager->SetFocus(nullptr);
}

bool CControlUI::IsEnabled() const { return m_enabled; }

void CControlUI::SetEnabled(bool enabled) {
    if (m_enabled == enabled) return;
    m_enabled = enabled;
    Invalidate();
}

bool CControlUI::IsMouseEnabled() const { return m_mouseEnabled; }
void CControlUI::SetMouseEnabled(bool enabled) { m_mouseEnabled = enabled; }
bool CControlUI::IsKeyboardEnabled() const { return m_keyboardEnabled; }
void CControlUI::SetKeyboardEnabled(bool enabled) { m_keyboardEnabled = enabled; }
bool CControlUI::IsFocused() const { return m_focused; }

void CControlUI::SetFocus() {
    if (m_manager) m_manager->SetFocus(this);
}

bool CControlUI::IsFloat() const { return m_float; }

void CControlUI::SetFloat(bool isFloat) {
    if (m_float == isFloat) return;
    m_float = isFloat;
    RequestParentLayout();
}

CControlUI* CControlUI::LocateControl(LocateProc proc, void* data, UINT flags) {
    if ((flags & kLocateVisible) && !IsVisible()) return nullptr;
    if ((flags & kLocateEnabled) && !IsEnabled()) return nullptr;
    if ((flags & kLocateHitTest) &&
        (!m_mouseEnabled || !PtInRect(&m_rcItem, *static_cast<POINT*>(data))))
        return nullptr;
    if ((flags & kLocateUpdateTest) && proc(this, data) != nullptr) return nullptr;
    return proc(this, data);
}

void CControlUI::Init() {
    InitHook();
    m_initHub.Invoke(this);
}

void CControlUI::InitHook() {}

void CControlUI::DispatchEvent(TControlEvent& event) {
    if (m_eventHub.Invoke(&event)) HandleEvent(event);
}

void CControlUI::HandleEvent(TControlEvent& event) {
    switch (event.type) {
    case kEventSetCursor:
        ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
        return;
    case kEventSetFocus:
        m_focused = true;
        Invalidate();
        return;
    case kEventKillFocus:
        m_focused = false;
        Invalidate();
        return;
    case kEventTimer:
        if (m_manager) m_manager->SendNotification(this, L"timer", event.wParam, event.lParam);
        return;
    case kEventContextMenu:
        if (m_menuEnabled) {
            if (m_manager) m_manager->SendNotification(this, L"menu", event.wParam, event.lParam);
            return;
        }
        break;
    default:
        break;
    }
    if (m_parent) m_parent->HandleEvent(event);
}

void CControlUI::RequestDeclaredLayout() {
    // Float controls place themselves; the others are placed by their parent's layout.
    if (m_float)
        RequestLayout();
    else
        RequestParentLayout();
}

SIZE CControlUI::MeasureSize(SIZE) { return SIZE{m_declaredWidth, m_declaredHeight}; }

void CControlUI::Invalidate() {
    if (!IsVisible() || m_manager == nullptr) return;
    CUIRect rc = m_rcItem;
    if (ClipByAncestors(rc)) m_manager->Invalidate(rc);
}

void CControlUI::RequestLayout() {
    if (!IsVisible()) return;
    m_updateNeeded = true;
    Invalidate();
    if (m_manager) m_manager->MarkUpdateNeeded();
}

void CControlUI::RequestParentLayout() {
    if (m_parent) {
        m_parent->RequestLayout();
        m_parent->Invalidate();
    } else {
        RequestLayout();
    }
    if (m_manager) m_manager->MarkUpdateNeeded();
}

CUIString CControlUI::GetVirtualWindowName() const {
    if (!m_virtualWindow.IsEmpty()) return m_virtualWindow;
    if (m_parent) return m_parent->GetVirtualWindowName();
    return CUIString();
}

void CControlUI::SetVirtualWindowName(const wchar_t* name) {
    m_virtualWindow = name ? name : L"";
    if (m_manager) m_manager->SetVirtualWindowsInUse(true);
}

uint32_t CControlUI::GetHslAdjustedColor(uint32_t color) const {
    if (!m_colorHsl) return color;
    short h = 180, s = 100, l = 100;
    CWindowManagerUI::GetHSL(&h, &s, &l);
    return CRenderer::AdjustColorHsl(color, h, s, l);
}

}  // namespace Veneer
