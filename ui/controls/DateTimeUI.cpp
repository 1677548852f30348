#include "DateTimeUI.h"

#include <cwchar>
#include <iterator>

#include "DateTimeWnd.h"
#include "WindowManagerUI.h"

namespace Veneer {

CDateTimeUI::CDateTimeUI() {
    // A new control shows today's date.
    ::GetLocalTime(&m_sysTime);
    m_updateMode = kUpdateFormat;
    UpdateText();
    m_updateMode = kUpdateNone;
}

CDateTimeUI::~CDateTimeUI() { ClosePicker(); }

const wchar_t* CDateTimeUI::GetTypeName() const { return L"DateTimeUI"; }

void* CDateTimeUI::QueryPart(const wchar_t* name) {
    if (name && wcscmp(name, L"DateTime") == 0) return this;
    return CLabelUI::QueryPart(name);
}

void CDateTimeUI::UpdateText() {
    if (m_updateMode == kUpdateDelete) {
        SetText(L"");
        return;
    }
    if (m_updateMode != kUpdateFormat) return;
    // Room for every field at its widest (five digits each), so no year overflows it; a year
    // below 1000 is right-aligned in four places.
    wchar_t text[24] = {};
    swprintf(text, std::size(text), L"%4d-%02d-%02d", m_sysTime.wYear, m_sysTime.wMonth,
             m_sysTime.wDay);
    SetText(text);
}

void CDateTimeUI::SetVisible(bool visible) {
    // Losing the focus first lets the picker hand back its date before it is closed.
    CLabelUI::SetVisible(visible);
    if (!IsVisible()) ClosePicker();
}

void CDateTimeUI::SetInheritedVisible(bool visible) {
    CLabelUI::SetInheritedVisible(visible);
    if (!IsVisible()) ClosePicker();
}

void CDateTimeUI::OpenPicker() {
    auto* picker = new CDateTimeWnd;
    m_pickerWindow = picker;
    if (!picker->Init(this)) {
        // No window came of it: the control goes on showing its text.
        if (m_pickerWindow == picker) m_pickerWindow = nullptr;
        delete picker;
        return;
    }
    picker->ShowWnd(true, true);
}

void CDateTimeUI::ClosePicker() {
    CDateTimeWnd* picker = m_pickerWindow;
    if (picker == nullptr) return;
    m_pickerWindow = nullptr;
    picker->Dismiss();
}

void CDateTimeUI::PickerGone(CDateTimeWnd* window) {
    if (m_pickerWindow == window) m_pickerWindow = nullptr;
}

void CDateTimeUI::HandleEvent(TControlEvent& event) {
    if (!IsMouseEnabled() && IsMouseEvent(event.type)) {
        if (m_parent)
            m_parent->HandleEvent(event);
        else
            CLabelUI::HandleEvent(event);
        return;
    }
    switch (event.type) {
    case kEventSetCursor:
        if (!IsEnabled()) break;
        ::SetCursor(::LoadCursorW(nullptr, IDC_IBEAM));
        return;
    case kEventWindowSize:
        // The picker does not follow the control: moving the focus closes it.
        if (m_pickerWindow && m_manager) m_manager->SetFocusDeferred(this);
        break;
    case kEventScrollWheel:
        if (m_pickerWindow) return;
        break;
    case kEventSetFocus:
        if (!IsEnabled()) break;
        if (m_pickerWindow) return;
        OpenPicker();
        break;
    case kEventKillFocus:
        if (IsEnabled()) Invalidate();
        break;
    case kEventButtonDown:
    case kEventDoubleClick:
    case kEventRightButtonDown:
        if (!IsEnabled()) return;
        // The picker takes the mouse from here on.
        if (m_manager) m_manager->ReleaseCapture();
        if (m_pickerWindow) {
            if (m_pickerWindow->Init(this)) m_pickerWindow->ShowWnd(true, true);
        } else if (IsFocused()) {
            OpenPicker();
        }
        return;
    case kEventMouseMove:
    case kEventButtonUp:
    case kEventContextMenu:
    case kEventMouseEnter:
    case kEventMouseLeave:
        return;
    default:
        break;
    }
    CLabelUI::HandleEvent(event);
}

}  // namespace Veneer
