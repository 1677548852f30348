#include "RichEditUI.h"

#include <richedit.h>
#include <textserv.h>
#include <windowsx.h>

#include <cwchar>
#include <vector>

#include "AttrTable.h"
#include "AttrValue.h"
#include "LayoutMath.h"
#include "ScrollBarUI.h"
#include "TxtWinHost.h"
#include "WindowManagerUI.h"

namespace Veneer {

namespace {

constexpr UINT kMouseFirst = 0x200;  // WM_MOUSEMOVE
constexpr UINT kMouseLast = 0x20D;   // WM_MOUSEHWHEEL
constexpr UINT kKeyFirst = 0x100;    // WM_KEYDOWN
constexpr UINT kKeyLast = 0x108;

bool IsMouseMessage(UINT msg) { return msg >= kMouseFirst && msg <= kMouseLast; }
bool IsKeyMessage(UINT msg) { return msg >= kKeyFirst && msg <= kKeyLast; }

// Text-services notifications the window hears about as WM_NOTIFY; the others (resize
// requests, selection and protection checks among them) stay with the control.
bool IsForwardedNotification(DWORD code) {
    return code == 0x700 || (code >= 0x702 && code <= 0x704) || code == 0x706 ||
           (code >= 0x708 && code <= 0x70C);
}

}  // namespace

CRichEditUI::CRichEditUI() = default;

CRichEditUI::~CRichEditUI() {
    if (m_host) {
        CTxtWinHost* host = m_host;
        m_host = nullptr;
        host->Shutdown();
        host->Release();
    }
    // A manager whose window has gone may be gone itself when a detached editor dies late.
    if (m_filterManager && CWindowManagerUI::GetAllManagers().Find(m_filterManager) >= 0)
        m_filterManager->RemoveWindowFilter(this);
    m_filterManager = nullptr;
    // Timers the services started and never stopped must not fire at a deleted control.
    if (m_manager) m_manager->KillTimer(this);
}

const wchar_t* CRichEditUI::GetTypeName() const { return L"RichEditUI"; }

void* CRichEditUI::QueryPart(const wchar_t* name) {
    if (name && wcscmp(name, L"RichEdit") == 0) return this;
    return CContainerUI::QueryPart(name);
}

bool CRichEditUI::IsWantTab() const { return m_wantTab; }

// ---- host creation --------------------------------------------------------------------------

void CRichEditUI::InitHook() {
    if (m_hostCreated) return;
    m_hostCreated = true;
    CREATESTRUCTW cs = {};
    cs.style = static_cast<LONG>(m_style);
    cs.lpszName = m_text.GetData();
    auto* host = new CTxtWinHost;
    // The control paints its own background under the text. The services read the back style
    // once, when they are made, and some never look again on a later change.
    host->SetTransparent(true);
    if (!host->Init(this, &cs)) {
        // Without text services the control still paints its background and children.
        host->Release();
        return;
    }
    m_host = host;
    LRESULT ignored = 0;
    host->GetTextServices()->TxSendMessage(EM_SETEVENTMASK, 0, 0, &ignored);
    host->ActivateInPlace(nullptr);
    if (m_manager && m_filterManager == nullptr && m_manager->AddWindowFilter(this))
        m_filterManager = m_manager;
}

// ---- text -----------------------------------------------------------------------------------

long CRichEditUI::GetTextLength() const {
    ITextServices* services = m_host ? m_host->GetTextServices() : nullptr;
    if (services == nullptr) return 0;
    GETTEXTLENGTHEX query = {};
    query.flags = GTL_DEFAULT;
    query.codepage = 1200;
    LRESULT length = 0;
    if (FAILED(services->TxSendMessage(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&query), 0,
                                       &length)))
        return 0;
    return length > 0 ? static_cast<long>(length) : 0;
}

CUIString CRichEditUI::GetText() const {
    ITextServices* services = m_host ? m_host->GetTextServices() : nullptr;
    const long length = GetTextLength();
    if (services == nullptr || length <= 0) return CUIString();
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    GETTEXTEX request = {};
    request.cb = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    request.flags = GT_DEFAULT;
    request.codepage = 1200;
    LRESULT copied = 0;
    services->TxSendMessage(EM_GETTEXTEX, reinterpret_cast<WPARAM>(&request),
                            reinterpret_cast<LPARAM>(buffer.data()), &copied);
    buffer.back() = L'\0';
    return CUIString(buffer.data());
}

void CRichEditUI::SetText(const wchar_t* text) {
    if (text == nullptr) text = L"";
    // Kept also with a host: it is the initial text should the host be made again later.
    m_text = text;
    if (m_host == nullptr) {
        Invalidate();
        return;
    }
    SetSel(0, -1);
    ReplaceSel(text, false);
}

LRESULT CRichEditUI::SetSel(long first, long last) {
    CHARRANGE range = {first, last};
    LRESULT result = 0;
    SendToTextServices(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range), &result);
    return result;
}

void CRichEditUI::ReplaceSel(const wchar_t* text, bool canUndo) {
    LRESULT result = 0;
    SendToTextServices(EM_REPLACESEL, canUndo ? 1 : 0,
                       reinterpret_cast<LPARAM>(text ? text : L""), &result);
}

// ---- settings -------------------------------------------------------------------------------

void CRichEditUI::SetFont(int fontId) {
    m_fontId = fontId;
    if (m_host && m_manager) m_host->SetFont(m_manager->GetFont(fontId));
}

void CRichEditUI::SetTextColor(uint32_t argb) {
    m_textColor = argb;
    if (m_host) m_host->SetTextColor(argb);
}

void CRichEditUI::SetRich(bool rich) {
    m_rich = rich;
    if (m_host) m_host->SetRichText(rich);
}

void CRichEditUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (name == nullptr || value == nullptr) return;
    using C = CRichEditUI;
    // Style bits reach the services only through the host made at initialisation.
    static constexpr TAttrRow<C> kRows[] = {
        {L"autohscroll",
         [](C& c, const wchar_t* v) {
             if (ReadBool(v)) c.m_style |= ES_AUTOHSCROLL;
         }},
        {L"wanttab", [](C& c, const wchar_t* v) { c.SetWantTab(ReadBool(v)); }},
        {L"wantreturn", [](C& c, const wchar_t* v) { c.SetWantReturn(ReadBool(v)); }},
        {L"wantctrlreturn", [](C& c, const wchar_t* v) { c.SetWantCtrlReturn(ReadBool(v)); }},
        {L"rich", [](C& c, const wchar_t* v) { c.SetRich(ReadBool(v)); }},
        {L"multiline",
         [](C& c, const wchar_t* v) {
             if (wcscmp(v, L"false") == 0) c.m_style &= ~static_cast<DWORD>(ES_MULTILINE);
         }},
        {L"readonly",
         [](C& c, const wchar_t* v) {
             if (ReadBool(v)) c.m_style |= ES_READONLY;
         }},
        {L"password",
         [](C& c, const wchar_t* v) {
             if (ReadBool(v)) c.m_style |= ES_PASSWORD;
         }},
        {L"align",
         [](C& c, const wchar_t* v) {
             // Tested in this order, so the last word that matches wins.
             if (wcsstr(v, L"left")) c.m_style &= ~static_cast<DWORD>(ES_CENTER | ES_RIGHT);
             if (wcsstr(v, L"center")) {
                 c.m_style &= ~static_cast<DWORD>(ES_RIGHT);
                 c.m_style |= ES_CENTER;
             }
             if (wcsstr(v, L"right")) {
                 c.m_style &= ~static_cast<DWORD>(ES_CENTER);
                 c.m_style |= ES_RIGHT;
             }
         }},
        {L"font", [](C& c, const wchar_t* v) { c.SetFont(ReadInt(v)); }},
        {L"textcolor",
         [](C& c, const wchar_t* v) { c.SetTextColor(ReadHexColorAfterBlanks(v)); }},
    };
    if (ApplyAttrRow(kRows, *this, name, value)) return;
    // These set style bits and then go on to the container, which makes or keeps the bar.
    if (wcscmp(name, L"vscrollbar") == 0 && ReadBool(value))
        m_style |= WS_VSCROLL | ES_DISABLENOSCROLL;
    else if (wcscmp(name, L"hscrollbar") == 0 && ReadBool(value))
        m_style |= WS_HSCROLL | ES_DISABLENOSCROLL;
    else if (wcscmp(name, L"autovscroll") == 0 && ReadBool(value))
        m_style |= ES_AUTOVSCROLL;
    CContainerUI::ApplyAttribute(name, value);
}

// ---- text services --------------------------------------------------------------------------

HRESULT CRichEditUI::SendToTextServices(UINT msg, WPARAM wParam, LPARAM lParam,
                                        LRESULT* result) {
    ITextServices* services = m_host ? m_host->GetTextServices() : nullptr;
    if (services == nullptr) return S_FALSE;
    if (msg == WM_KEYDOWN && wParam == VK_RETURN) {
        const bool ctrl = ::GetKeyState(VK_CONTROL) < 0;
        if (!m_wantReturn || (ctrl && !m_wantCtrlReturn)) {
            if (m_manager) m_manager->SendNotification(this, L"return");
            return S_OK;
        }
    }
    LRESULT local = 0;
    return services->TxSendMessage(msg, wParam, lParam, result ? result : &local);
}

bool CRichEditUI::OnTextViewChanged() { return true; }

void CRichEditUI::OnTextNotify(DWORD code, void* data) {
    if (data == nullptr || !IsForwardedNotification(code) || m_manager == nullptr) return;
    HWND window = m_manager->GetPaintWindow();
    if (window == nullptr) return;
    auto* header = static_cast<NMHDR*>(data);
    const LONG_PTR id = ::GetWindowLongPtrW(window, GWLP_ID);
    header->hwndFrom = window;
    header->idFrom = static_cast<UINT_PTR>(id);
    header->code = code;
    ::SendMessageW(window, WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(data));
}

// ---- window messages and events -------------------------------------------------------------

LRESULT CRichEditUI::ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    if (!IsVisible() || !IsEnabled()) return 0;
    if (!IsMouseEnabled() && IsMouseMessage(message)) return 0;
    if (message == WM_MOUSEWHEEL && (GET_KEYSTATE_WPARAM(wParam) & MK_CONTROL) == 0) return 0;
    if (m_host == nullptr || m_manager == nullptr) return 0;

    bool value = false;
    const bool mouse = IsMouseMessage(message) || message == WM_SETCURSOR;
    const bool keyboard = IsKeyMessage(message);
    if (mouse) {
        POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        HWND window = m_manager->GetPaintWindow();
        if (message == WM_MOUSEWHEEL) {
            ::ScreenToClient(window, &pt);
        } else if (message == WM_SETCURSOR) {
            // Its lParam holds a hit-test code and a message number, not a point.
            ::GetCursorPos(&pt);
            ::ScreenToClient(window, &pt);
        }
        if (!m_host->IsCaptured()) {
            // Every press and release, of either button, belongs to the control under the
            // point, which may be one laid over the editor.
            if (message >= WM_LBUTTONDOWN && message <= WM_RBUTTONUP &&
                m_manager->LocateControlAt(pt) != this)
                return 0;
            RECT client;
            m_host->GetClientRect(&client);
            if (!::PtInRect(&client, pt) || m_manager->IsCaptured()) return 0;
        }
        if (message == WM_SETCURSOR) {
            value = false;
        } else {
            if (message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK ||
                message == WM_RBUTTONDOWN)
                SetFocus();
            value = true;
        }
    } else if (keyboard) {
        if (!IsFocused()) return 0;
        value = true;
    } else if (message == WM_CONTEXTMENU) {
        POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ::ScreenToClient(m_manager->GetPaintWindow(), &pt);
        if (m_manager->LocateControlAt(pt) != this) return 0;
        value = true;
    } else if (message == WM_HELP) {
        value = false;
    } else {
        return 0;
    }
    // The services may end the host (a handler of "return" can delete the control): ask the
    // capture state before the call.
    const bool captured = m_host->IsCaptured();
    LRESULT result = 0;
    const HRESULT hr = SendToTextServices(message, wParam, lParam, &result);
    if (hr == S_OK || keyboard || (mouse && captured)) handled = value;
    return result;
}

void CRichEditUI::HandleEvent(TControlEvent& event) {
    if (!IsMouseEnabled() && IsMouseEvent(event.type)) {
        if (m_parent)
            m_parent->HandleEvent(event);
        else
            CControlUI::HandleEvent(event);
        return;
    }
    switch (event.type) {
    case kEventSetCursor:
        if (IsEnabled() && m_host && m_host->HandleSetCursor(nullptr, event.mouse)) return;
        break;
    case kEventSetFocus:
    case kEventKillFocus: {
        if (m_host && m_host->GetTextServices()) {
            m_host->ActivateInPlace(nullptr);
            LRESULT ignored = 0;
            m_host->GetTextServices()->TxSendMessage(
                event.type == kEventSetFocus ? WM_SETFOCUS : WM_KILLFOCUS, 0, 0, &ignored);
        }
        m_focused = event.type == kEventSetFocus;
        Invalidate();
        return;
    }
    case kEventTimer:
        if (m_host && m_host->GetTextServices()) {
            LRESULT ignored = 0;
            m_host->GetTextServices()->TxSendMessage(WM_TIMER, event.wParam, event.lParam,
                                                     &ignored);
        }
        break;
    case kEventScrollWheel:
        // With Ctrl the window filter has fed the wheel to the editor already.
        if (event.keyState & MK_CONTROL) return;
        break;
    case kEventButtonDown:
    case kEventDoubleClick:
    case kEventMouseMove:
    case kEventButtonUp:
    case kEventMouseEnter:
    case kEventMouseLeave:
    case kEventKeyDown:
    case kEventKeyUp:
    case kEventChar:
    case kEventSysKey:
        return;
    default:
        break;
    }
    CContainerUI::HandleEvent(event);
}

// ---- layout and painting --------------------------------------------------------------------

RECT CRichEditUI::TextArea() { return InnerRect(); }

bool CRichEditUI::NaturalHeight(int width, LONG& height) const {
    ITextServices* services = m_host ? m_host->GetTextServices() : nullptr;
    if (services == nullptr || m_manager == nullptr) return false;
    const SIZEL extent = {-1, -1};
    LONG w = width;
    LONG h = 0;
    // Some text services answer E_NOTIMPL here: nothing is read unless they succeed.
    if (services->TxGetNaturalSize(DVASPECT_CONTENT, m_manager->GetPaintDC(), nullptr, nullptr,
                                   TXTNS_FITTOCONTENT, &extent, &w, &h) != S_OK)
        return false;
    height = h;
    return true;
}

void CRichEditUI::SetPos(RECT rc, bool needInvalidate) {
    CControlUI::SetPos(rc, needInvalidate);
    const bool barPresent = IsBarVisible(m_verticalBar);
    RECT inner = TextArea();
    if (m_host) {
        m_host->SetClientRect(&inner);
        if (m_verticalBar && ((barPresent && !m_verticalBar->IsVisible()) || m_vBarAutoShown)) {
            const int barWidth = m_verticalBar->GetDeclaredWidth();
            LONG height = 0;
            if (NaturalHeight(SaturateInt(int64_t{inner.right} - inner.left + barWidth),
                              height)) {
                if (height > inner.bottom - inner.top) {
                    m_verticalBar->SetVisible(true);
                    m_verticalBar->SetScrollPos(0);
                    m_vBarAutoShown = true;
                } else if (m_vBarAutoShown) {
                    m_verticalBar->SetVisible(false);
                    m_vBarAutoShown = false;
                }
            }
        }
        // A bar shown or hidden on the way changes the room left for the text.
        const RECT now = TextArea();
        if (!EqualRect(&now, &inner)) {
            inner = now;
            m_host->SetClientRect(&inner);
        }
    }
    if (IsBarVisible(m_verticalBar)) {
        m_verticalBar->SetPos(RECT{inner.right, inner.top,
                                   SaturateInt(int64_t{inner.right} +
                                               m_verticalBar->GetDeclaredWidth()),
                                   inner.bottom});
    }
    if (IsBarVisible(m_horizontalBar)) {
        m_horizontalBar->SetPos(RECT{inner.left, inner.bottom, inner.right,
                                     SaturateInt(int64_t{inner.bottom} +
                                                 m_horizontalBar->GetDeclaredHeight())});
    }
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* child = FlowChild(i);
        if (child == nullptr) continue;
        const int64_t w = ClampMinMax(int64_t{inner.right} - inner.left, child->GetMinWidth(),
                                      child->GetMaxWidth());
        const int64_t h = ClampMinMax(int64_t{inner.bottom} - inner.top, child->GetMinHeight(),
                                      child->GetMaxHeight());
        child->SetPos(TRect64{inner.left, inner.top, inner.left + w, inner.top + h}.Saturated(),
                      false);
    }
}

void CRichEditUI::Move(SIZE offset, bool needInvalidate) {
    CContainerUI::Move(offset, needInvalidate);
    if (m_host) {
        const RECT inner = TextArea();
        m_host->SetClientRect(&inner);
    }
}

void CRichEditUI::Render(HDC dc, const RECT& paint) {
    RECT visible;
    if (!IntersectRect(&visible, &paint, &m_rcItem)) return;
    // The base paints background, state images, then the text (RenderText below), border,
    // children and bars, each clipped as a container clips them.
    CContainerUI::Render(dc, paint);
    if (m_vBarAutoShown && m_host) {
        RECT client;
        m_host->GetClientRect(&client);
        const int barWidth = m_verticalBar ? m_verticalBar->GetDeclaredWidth() : 0;
        LONG height = 0;
        if (NaturalHeight(SaturateInt(int64_t{client.right} - client.left + barWidth), height) &&
            height <= client.bottom - client.top)
            RequestLayout();
    }
}

void CRichEditUI::RenderText(HDC dc) {
    ITextServices* services = m_host ? m_host->GetTextServices() : nullptr;
    if (services == nullptr) return;
    RECT client;
    m_host->GetClientRect(&client);
    RECTL bounds = {client.left, client.top, client.right, client.bottom};
    RECT update = m_rcPaint;
    services->TxDraw(DVASPECT_CONTENT, 0, nullptr, nullptr, dc, nullptr, &bounds, nullptr,
                     &update, nullptr, 0, TXTVIEW_ACTIVE);
}

// ---- scrolling ------------------------------------------------------------------------------

void CRichEditUI::ScrollStep(UINT msg, WPARAM code) {
    SendToTextServices(msg, code, 0, nullptr);
}

void CRichEditUI::ScrollLineUp() { ScrollStep(WM_VSCROLL, SB_LINEUP); }

void CRichEditUI::ScrollLineDown() {
    const bool watch = !m_rich && m_host && IsBarVisible(m_verticalBar);
    const int before = watch ? m_verticalBar->GetScrollPos() : 0;
    ScrollStep(WM_VSCROLL, SB_LINEDOWN);
    // Plain text may stop short of the last line: the bar then goes to its end.
    if (watch && IsBarVisible(m_verticalBar) && m_verticalBar->GetScrollPos() <= before)
        m_verticalBar->SetScrollPos(m_verticalBar->GetScrollRange());
}

void CRichEditUI::ScrollPageUp() { ScrollStep(WM_VSCROLL, SB_PAGEUP); }
void CRichEditUI::ScrollPageDown() { ScrollStep(WM_VSCROLL, SB_PAGEDOWN); }
void CRichEditUI::ScrollToTop() { ScrollStep(WM_VSCROLL, SB_TOP); }
void CRichEditUI::ScrollToBottom() { ScrollStep(WM_VSCROLL, SB_BOTTOM); }
void CRichEditUI::ScrollLineLeft() { ScrollStep(WM_HSCROLL, SB_LINELEFT); }
void CRichEditUI::ScrollLineRight() { ScrollStep(WM_HSCROLL, SB_LINERIGHT); }
void CRichEditUI::ScrollPageLeft() { ScrollStep(WM_HSCROLL, SB_PAGELEFT); }
void CRichEditUI::ScrollPageRight() { ScrollStep(WM_HSCROLL, SB_PAGERIGHT); }
void CRichEditUI::ScrollToLeftEnd() { ScrollStep(WM_HSCROLL, SB_LEFT); }
void CRichEditUI::ScrollToRightEnd() { ScrollStep(WM_HSCROLL, SB_RIGHT); }

void CRichEditUI::SetScrollPos(SIZE pos) {
    int oldY = 0;
    int newY = 0;
    int oldX = 0;
    int newX = 0;
    if (IsBarVisible(m_verticalBar)) {
        oldY = m_verticalBar->GetScrollPos();
        m_verticalBar->SetScrollPos(pos.cy);
        newY = m_verticalBar->GetScrollPos();
    }
    if (IsBarVisible(m_horizontalBar)) {
        oldX = m_horizontalBar->GetScrollPos();
        m_horizontalBar->SetScrollPos(pos.cx);
        newX = m_horizontalBar->GetScrollPos();
    }
    if (newY != oldY) {
        SendToTextServices(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, newY), 0, nullptr);
        // Plain text that would not move down takes the bar back to where it was.
        if (!m_rich && m_host && IsBarVisible(m_verticalBar) && newY > oldY &&
            m_verticalBar->GetScrollPos() <= oldY)
            m_verticalBar->SetScrollPos(oldY);
    }
    if (newX != oldX) SendToTextServices(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, newX), 0, nullptr);
}

}  // namespace Veneer
