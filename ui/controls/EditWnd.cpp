// The native edit of an edit control: creation over the owner, text changes and Return passed
// on as notifications, and the owner's background brush.
#include "EditWnd.h"

#include <string>

#include "EditUI.h"
#include "WindowManagerUI.h"

namespace Veneer {

namespace {

// The manager hands WM_COMMAND and the colour requests on to the child with this offset.
constexpr UINT kReflectOffset = 0x2000;

}  // namespace

const wchar_t* CEditWnd::GetRegisteredClassName() const { return L"EditWnd"; }
const wchar_t* CEditWnd::GetSuperclassSource() const { return L"Edit"; }

RECT CEditWnd::CalcPos() const {
    if (m_owner == nullptr) return RECT{};
    const RECT item = m_owner->GetPos();
    const RECT pad = m_owner->GetTextPadding();
    RECT rc = {item.left + pad.left, item.top + pad.top, item.right - pad.right,
               item.bottom - pad.bottom};
    CWindowManagerUI* manager = m_owner->GetManager();
    if (manager == nullptr) return rc;
    const TFontRecord* font = manager->GetFontRecord(m_owner->GetFont());
    const LONG textHeight = font ? font->metrics.tmHeight : 0;
    const LONG height = rc.bottom - rc.top;
    if (textHeight > 0 && textHeight < height) {
        rc.top += (height - textHeight) / 2;
        rc.bottom = rc.top + textHeight;
    }
    return rc;
}

bool CEditWnd::Init(CEditUI* owner) {
    m_owner = owner;
    CWindowManagerUI* manager = owner ? owner->GetManager() : nullptr;
    HWND parent = manager ? manager->GetPaintWindow() : nullptr;
    if (parent == nullptr || !::IsWindow(parent)) return false;

    DWORD style = WS_CHILD | ES_AUTOHSCROLL;
    if (owner->IsPasswordMode()) style |= ES_PASSWORD;
    // The extra bits are part of the style from the start, so the edit honours them even
    // where a later style change is not looked at.
    style |= owner->GetWindowStyle();
    const HWND hwnd = CreateOverOwner(parent, style, CalcPos());
    if (hwnd == nullptr) return false;

    ::SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(manager->GetFont(owner->GetFont())),
                   TRUE);
    ::SendMessageW(hwnd, EM_LIMITTEXT, owner->GetMaxChar(), 0);
    if (owner->IsPasswordMode())
        ::SendMessageW(hwnd, EM_SETPASSWORDCHAR, owner->GetPasswordChar(), 0);
    ::SetWindowTextW(hwnd, owner->GetText().GetData());
    ::SendMessageW(hwnd, EM_SETMODIFY, FALSE, 0);
    ::SendMessageW(hwnd, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
    ::EnableWindow(hwnd, owner->IsEnabled() ? TRUE : FALSE);
    ::SendMessageW(hwnd, EM_SETREADONLY, owner->IsReadOnly() ? TRUE : FALSE, 0);
    const LONG_PTR current = ::GetWindowLongPtrW(hwnd, GWL_STYLE);
    ::SetWindowLongPtrW(hwnd, GWL_STYLE,
                        current | static_cast<LONG_PTR>(owner->GetWindowStyle()));
    ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    ::SetFocus(hwnd);
    m_initialised = true;
    return true;
}

void CEditWnd::ForgetOwner() { m_owner = nullptr; }

LRESULT CEditWnd::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KILLFOCUS: {
        // The edit's own handling still runs (caret, selection); editing ends once it is done.
        const LRESULT result = CWindowWnd::HandleMessage(message, wParam, lParam);
        PostMessage(WM_CLOSE);
        return result;
    }
    case WM_CLOSE:
        // A click on the control's own padding takes the keyboard to the parent for a moment
        // and gives it back; editing goes on then.
        if (::GetFocus() == m_hWnd) return 0;
        break;
    case kReflectOffset + WM_COMMAND:
        return OnCommand(wParam);
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) {
            // The field is one line: Return is a request to the window, never text.
            if (m_owner && m_owner->GetManager())
                m_owner->GetManager()->SendNotification(m_owner, L"return");
            return 0;
        }
        break;
    case kReflectOffset + WM_CTLCOLOREDIT:
    case kReflectOffset + WM_CTLCOLORSTATIC:
        return OnCtlColor(reinterpret_cast<HDC>(wParam));
    default:
        break;
    }
    return CWindowWnd::HandleMessage(message, wParam, lParam);
}

LRESULT CEditWnd::OnCommand(WPARAM wParam) {
    const UINT code = HIWORD(wParam);
    if (code == EN_CHANGE) {
        if (!m_initialised || m_owner == nullptr) return 0;
        // Sized from the window, so a text of any length comes back whole.
        const int length = ::GetWindowTextLengthW(m_hWnd);
        std::wstring buffer(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
        const int got = ::GetWindowTextW(m_hWnd, &buffer[0], length + 1);
        buffer.resize(static_cast<size_t>(got > 0 ? got : 0));
        // The edit also reports a change when a key was refused at the limit, and the
        // control's own SetText has stored the text already: only a real change is told.
        if (m_owner->m_text == buffer.c_str()) return 0;
        m_owner->m_text.Assign(buffer.c_str(), static_cast<int>(buffer.size()));
        if (CWindowManagerUI* manager = m_owner->GetManager())
            manager->SendNotification(m_owner, L"textchanged");
    } else if (code == EN_UPDATE) {
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
    }
    return 0;
}

LRESULT CEditWnd::OnCtlColor(HDC dc) {
    if (m_owner == nullptr || m_owner->GetNativeBkColor() == 0xFFFFFFFF) return 0;
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ToColorRef(m_owner->GetTextColor()));
    if (!m_bkBrush)
        m_bkBrush.reset(::CreateSolidBrush(ToColorRef(m_owner->GetNativeBkColor())));
    return reinterpret_cast<LRESULT>(m_bkBrush.get());
}

void CEditWnd::OnWindowGone() {
    if (m_owner) {
        m_owner->m_editWindow = nullptr;
        m_owner->Invalidate();
        m_owner = nullptr;
    }
}

}  // namespace Veneer
