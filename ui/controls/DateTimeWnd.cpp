#include "DateTimeWnd.h"

#include <commctrl.h>

#include "DateTimeUI.h"
#include "WindowManagerUI.h"

namespace Veneer {

const wchar_t* CDateTimeWnd::GetRegisteredClassName() const { return L"DateTimeWnd"; }
const wchar_t* CDateTimeWnd::GetSuperclassSource() const { return L"SysDateTimePick32"; }

RECT CDateTimeWnd::CalcPos() const {
    // The picker covers the whole control, its text padding included.
    return m_owner ? m_owner->GetPos() : RECT{0, 0, 0, 0};
}

bool CDateTimeWnd::Init(CDateTimeUI* owner) {
    m_owner = owner;
    owner->m_updateMode = CDateTimeUI::kUpdateNone;
    if (m_hWnd == nullptr) {
        // A control outside a live window has nothing to lay the picker on.
        CWindowManagerUI* manager = owner->GetManager();
        HWND parent = manager ? manager->GetPaintWindow() : nullptr;
        if (parent == nullptr || !::IsWindow(parent)) return false;
        // The picker's system class exists only once the common controls registered it.
        INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_DATE_CLASSES};
        ::InitCommonControlsEx(&classes);
        const HWND hwnd = CreateOverOwner(parent, WS_CHILD, CalcPos());
        if (hwnd == nullptr) return false;
        const TFontRecord* font = manager->GetFontRecord(owner->GetFont());
        SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font ? font->font : nullptr), TRUE);
    }
    // An emptied control starts again from today.
    if (owner->GetText().IsEmpty()) ::GetLocalTime(&owner->m_sysTime);
    SendMessage(DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&owner->m_sysTime));
    ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
    ::SetFocus(m_hWnd);
    m_initialised = true;
    return true;
}

void CDateTimeWnd::ForgetOwner() { m_owner = nullptr; }

void CDateTimeWnd::FinishByKey(WPARAM key) {
    if (m_owner) {
        m_owner->m_updateMode =
            key == VK_ESCAPE ? CDateTimeUI::kUpdateKeep : CDateTimeUI::kUpdateDelete;
        // The focus loss that follows finds the mode set and leaves the text alone.
        m_owner->UpdateText();
    }
    PostMessage(WM_CLOSE);
}

LRESULT CDateTimeWnd::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KILLFOCUS: {
        const LRESULT result = ::DefWindowProcW(m_hWnd, message, wParam, lParam);
        if (m_owner && m_owner->m_updateMode == CDateTimeUI::kUpdateNone) {
            // Only a date the picker really holds replaces the control's.
            SYSTEMTIME picked = m_owner->m_sysTime;
            if (SendMessage(DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&picked)) == GDT_VALID)
                m_owner->m_sysTime = picked;
            m_owner->m_updateMode = CDateTimeUI::kUpdateFormat;
            m_owner->UpdateText();
        }
        PostMessage(WM_CLOSE);
        return result;
    }
    case WM_KEYUP:
        if (wParam != VK_BACK && wParam != VK_DELETE && wParam != VK_ESCAPE) break;
        {
            const LRESULT result = ::DefWindowProcW(m_hWnd, message, wParam, lParam);
            FinishByKey(wParam);
            return result;
        }
    default:
        break;
    }
    return CWindowWnd::HandleMessage(message, wParam, lParam);
}

void CDateTimeWnd::OnWindowGone() {
    if (m_owner) m_owner->PickerGone(this);
    m_owner = nullptr;
}

}  // namespace Veneer
