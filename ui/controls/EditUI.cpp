// The edit control: idle drawing (state images, plain or masked text), the native window's
// opening and closing with focus, visibility and position, and its attributes.
#include "EditUI.h"

#include <cwchar>

#include "AttrTable.h"
#include "AttrValue.h"
#include "EditWnd.h"
#include "WindowManagerUI.h"

namespace Veneer {

namespace {

enum : uint32_t {
    kStateFocused = 0x01,
    kStateDisabled = 0x04,
    kStateHot = 0x08,
};

}  // namespace

CEditUI::CEditUI() {
    m_textPadding = RECT{4, 3, 4, 3};
    m_bkColor1 = 0xFFFFFFFF;
}

CEditUI::~CEditUI() {
    // The native window must not outlive the control it writes into.
    CloseEditWindow();
}

const wchar_t* CEditUI::GetTypeName() const { return L"EditUI"; }

void* CEditUI::QueryPart(const wchar_t* name) {
    if (name && wcscmp(name, L"Edit") == 0) return this;
    return CLabelUI::QueryPart(name);
}

UINT CEditUI::GetBehaviourFlags() const {
    return IsEnabled() ? UINT{kBehaviourTabStop | kBehaviourSetCursor} : 0u;
}

bool CEditUI::OpenEditWindow() {
    auto* window = new CEditWnd;
    m_editWindow = window;
    if (!window->Init(this)) {
        // No window came of it: the control stays idle and usable.
        m_editWindow = nullptr;
        delete window;
        return false;
    }
    return true;
}

void CEditUI::CloseEditWindow() {
    if (m_editWindow == nullptr) return;
    CEditWnd* window = m_editWindow;
    m_editWindow = nullptr;
    window->Dismiss();
}

void CEditUI::SelectAll() {
    if (m_editWindow == nullptr) return;
    // An empty text still gets a one-character selection, which the edit clamps.
    const int length = m_text.GetLength();
    ::SendMessageW(m_editWindow->GetHWND(), EM_SETSEL, 0, length > 0 ? length : 1);
}

void CEditUI::SetText(const wchar_t* text) {
    CLabelUI::SetText(text);
    if (m_editWindow) ::SetWindowTextW(m_editWindow->GetHWND(), text ? text : L"");
    Invalidate();
}

void CEditUI::SetMaxChar(uint32_t maxChar) {
    m_maxChar = maxChar;
    if (m_editWindow) ::SendMessageW(m_editWindow->GetHWND(), EM_LIMITTEXT, m_maxChar, 0);
}

void CEditUI::SetReadOnly(bool readOnly) {
    if (m_readOnly == readOnly) return;
    m_readOnly = readOnly;
    if (m_editWindow) ::SendMessageW(m_editWindow->GetHWND(), EM_SETREADONLY, readOnly, 0);
    Invalidate();
}

void CEditUI::SetPasswordMode(bool on) {
    if (m_passwordMode == on) return;
    m_passwordMode = on;
    Invalidate();
}

void CEditUI::SetNumberOnly(bool on) {
    if (on)
        m_windowStyle |= ES_NUMBER;
    else
        m_windowStyle &= ~static_cast<DWORD>(ES_NUMBER);
}

void CEditUI::SetStateImage(TImageDrawInfo& info, const wchar_t* description) {
    if (ResetImageRecord(info, description)) Invalidate();
}

void CEditUI::SetNormalImage(const wchar_t* d) { SetStateImage(m_normalImage, d); }
void CEditUI::SetHotImage(const wchar_t* d) { SetStateImage(m_hotImage, d); }
void CEditUI::SetFocusedImage(const wchar_t* d) { SetStateImage(m_focusedImage, d); }
void CEditUI::SetDisabledImage(const wchar_t* d) { SetStateImage(m_disabledImage, d); }

void CEditUI::SetEnabled(bool enabled) {
    CLabelUI::SetEnabled(enabled);
    if (!IsEnabled()) m_buttonState = 0;
}

void CEditUI::SetVisible(bool visible) {
    CLabelUI::SetVisible(visible);
    if (IsVisible() || m_editWindow == nullptr) return;
    if (m_manager) m_manager->SetFocus(nullptr);
    // Losing the focus only asks the window to close later; a hidden control must not leave
    // a native window showing in the meantime.
    CloseEditWindow();
}

void CEditUI::SetInheritedVisible(bool visible) {
    CLabelUI::SetInheritedVisible(visible);
    if (IsVisible() || m_editWindow == nullptr) return;
    if (m_manager) m_manager->SetFocus(nullptr);
    CloseEditWindow();
}

void CEditUI::SetPos(RECT rc, bool needInvalidate) {
    CLabelUI::SetPos(rc, needInvalidate);
    if (m_editWindow == nullptr) return;
    const RECT pos = m_editWindow->CalcPos();
    ::SetWindowPos(m_editWindow->GetHWND(), nullptr, pos.left, pos.top, pos.right - pos.left,
                   pos.bottom - pos.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CEditUI::Move(SIZE offset, bool needInvalidate) {
    CLabelUI::Move(offset, needInvalidate);
    if (m_editWindow == nullptr) return;
    const RECT pos = m_editWindow->CalcPos();
    ::SetWindowPos(m_editWindow->GetHWND(), nullptr, pos.left, pos.top, 0, 0,
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
}

void CEditUI::HandleEvent(TControlEvent& event) {
    if (!IsMouseEnabled() && IsMouseEvent(event.type)) {
        if (m_parent)
            m_parent->HandleEvent(event);
        else
            CLabelUI::HandleEvent(event);
        return;
    }
    switch (event.type) {
    case kEventSetCursor:
        if (IsEnabled()) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_IBEAM));
            return;
        }
        break;
    case kEventWindowSize:
        if (m_editWindow && m_manager) m_manager->SetFocusDeferred(this);
        break;
    case kEventScrollWheel:
        if (m_editWindow) return;
        break;
    case kEventSetFocus:
        if (IsEnabled()) {
            if (m_editWindow) return;
            OpenEditWindow();
            Invalidate();
        }
        break;
    case kEventKillFocus:
        if (IsEnabled()) Invalidate();
        break;
    case kEventButtonDown:
    case kEventDoubleClick:
    case kEventRightButtonDown:
        if (!IsEnabled()) return;
        if (m_manager) m_manager->ReleaseCapture();
        if (IsFocused() && m_editWindow == nullptr) {
            if (!OpenEditWindow()) return;
            if (!::PtInRect(&m_rcItem, event.mouse)) return;
        } else if (m_editWindow) {
            // The window's click took the keyboard from the open native edit: it goes back.
            ::SetFocus(m_editWindow->GetHWND());
        }
        SelectAll();
        return;
    case kEventMouseMove:
    case kEventButtonUp:
    case kEventContextMenu:
        return;
    case kEventMouseEnter:
        if (IsEnabled()) {
            m_buttonState |= kStateHot;
            Invalidate();
            return;
        }
        break;
    case kEventMouseLeave:
        if (IsEnabled()) {
            m_buttonState &= ~static_cast<uint32_t>(kStateHot);
            Invalidate();
            return;
        }
        break;
    default:
        break;
    }
    CLabelUI::HandleEvent(event);
}

void CEditUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (name == nullptr || value == nullptr) return;
    using C = CEditUI;
    static constexpr TAttrRow<C> kRows[] = {
        {L"readonly", [](C& c, const wchar_t* v) { c.SetReadOnly(ReadBool(v)); }},
        {L"numberonly", [](C& c, const wchar_t* v) { c.SetNumberOnly(ReadBool(v)); }},
        {L"password", [](C& c, const wchar_t* v) { c.SetPasswordMode(ReadBool(v)); }},
        {L"maxchar",
         [](C& c, const wchar_t* v) { c.SetMaxChar(static_cast<uint32_t>(ReadInt(v))); }},
        {L"normalimage", [](C& c, const wchar_t* v) { c.SetNormalImage(v); }},
        {L"hotimage", [](C& c, const wchar_t* v) { c.SetHotImage(v); }},
        {L"focusedimage", [](C& c, const wchar_t* v) { c.SetFocusedImage(v); }},
        {L"disabledimage", [](C& c, const wchar_t* v) { c.SetDisabledImage(v); }},
        {L"nativebkcolor", [](C& c, const wchar_t* v) { c.SetNativeBkColor(ReadHexColor(v)); }},
    };
    if (!ApplyAttrRow(kRows, *this, name, value)) CLabelUI::ApplyAttribute(name, value);
}

SIZE CEditUI::MeasureSize(SIZE available) {
    if (m_declaredHeight != 0) return CLabelUI::MeasureSize(available);
    int fontHeight = 0;
    if (m_manager) {
        if (TFontRecord* record = m_manager->GetFontRecord(m_font))
            fontHeight = record->metrics.tmHeight;
    }
    return SIZE{m_declaredWidth, fontHeight + 6};
}

void CEditUI::RenderStateImages(HDC dc) {
    if (IsFocused())
        m_buttonState |= kStateFocused;
    else
        m_buttonState &= ~static_cast<uint32_t>(kStateFocused);
    if (!IsEnabled())
        m_buttonState |= kStateDisabled;
    else
        m_buttonState &= ~static_cast<uint32_t>(kStateDisabled);

    TImageDrawInfo* chosen = nullptr;
    if (m_buttonState & kStateDisabled)
        chosen = &m_disabledImage;
    else if (m_buttonState & kStateFocused)
        chosen = &m_focusedImage;
    else if (m_buttonState & kStateHot)
        chosen = &m_hotImage;
    if (chosen == nullptr || !DrawImage(dc, *chosen)) DrawImage(dc, m_normalImage);
}

void CEditUI::RenderText(HDC dc) {
    ResolveTextColors();
    if (m_text.IsEmpty() || m_manager == nullptr) return;
    CUIString shown;
    if (m_passwordMode) {
        // One mask per character as the user sees it, so a surrogate pair shows as one.
        for (const wchar_t* p = m_text.GetData(); *p != L'\0'; p = ::CharNextW(p))
            shown += m_passwordChar;
    } else {
        shown = m_text;
    }
    RECT box = TextBox();
    const uint32_t color = IsEnabled() ? m_textColor : m_disabledTextColor;
    CRenderer::DrawText(dc, m_manager, box, shown.GetData(), color, m_font,
                        m_textStyle | kTextSingleLine);
}

}  // namespace Veneer
