#include "TxtWinHost.h"

#include <climits>
#include <cstring>

#include "RichEditUI.h"
#include "ScrollBarUI.h"
#include "WindowManagerUI.h"

namespace Veneer {

namespace {

// The import libraries name these GUIDs but hold code there, not the GUIDs: they live here.
const IID kIidTextServices = {
    0x8D33F740, 0xCF58, 0x11CE, {0xA8, 0x9D, 0x00, 0xAA, 0x00, 0x6C, 0xAD, 0xC5}};
const IID kIidTextHost = {
    0xC5BDD8D0, 0xD26E, 0x11CE, {0xA8, 0x9E, 0x00, 0xAA, 0x00, 0x6C, 0xAD, 0xC5}};

constexpr DWORD kFlagWordWrap = 0x2;
constexpr DWORD kFlagAllowBeep = 0x4;
constexpr DWORD kFlagRichText = 0x8;
constexpr DWORD kFlagSaveSelection = 0x10;
constexpr DWORD kFlagAutoWordSel = 0x1;
constexpr DWORD kFlagInPlaceActive = 0x20;
constexpr DWORD kFlagTransparent = 0x40;
constexpr DWORD kFlagTimer = 0x80;
constexpr DWORD kFlagCaptured = 0x100;

constexpr DWORD kCharFormatMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_CHARSET |
                                  CFM_OFFSET | CFM_FACE | CFM_COLOR | CFM_SIZE;
constexpr DWORD kParaFormatMask = 0x8001003F;
constexpr DWORD kScrollBarStyles =
    WS_VSCROLL | WS_HSCROLL | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_DISABLENOSCROLL;

static_assert(sizeof(CHARFORMAT2W) == 116, "character format record size");
static_assert(sizeof(PARAFORMAT2) == 188, "paragraph format record size");

COLORREF ColorRefFromArgb(uint32_t argb) {
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

// Only one caret exists per thread: the host that made it last is the one that may destroy it.
CTxtWinHost* g_caretHost = nullptr;

}  // namespace

CTxtWinHost::CTxtWinHost() = default;

CTxtWinHost::~CTxtWinHost() { Shutdown(); }

CWindowManagerUI* CTxtWinHost::Manager() const {
    return m_owner ? m_owner->GetManager() : nullptr;
}

HWND CTxtWinHost::Window() const {
    CWindowManagerUI* manager = Manager();
    return manager ? manager->GetPaintWindow() : nullptr;
}

int CTxtWinHost::PixelsPerInch(int axis) const {
    CWindowManagerUI* manager = Manager();
    HDC dc = manager ? manager->GetPaintDC() : nullptr;
    const int dpi = dc ? ::GetDeviceCaps(dc, axis) : 0;
    return dpi > 0 ? dpi : 96;
}

LONG CTxtWinHost::TwipsFromFontHeight(LONG lfHeight) const {
    return static_cast<LONG>(int64_t{lfHeight} * -1440 / PixelsPerInch(LOGPIXELSY));
}

bool CTxtWinHost::Init(CRichEditUI* owner, const CREATESTRUCTW* cs) {
    m_owner = owner;
    m_refs = 1;

    m_charFormat = CHARFORMAT2W{};
    m_charFormat.cbSize = sizeof(CHARFORMAT2W);
    LOGFONTW font = {};
    CWindowManagerUI* manager = Manager();
    HFONT handle = manager ? manager->GetFont(owner->GetFont()) : nullptr;
    if (handle == nullptr || ::GetObjectW(handle, sizeof(font), &font) != sizeof(font))
        ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
    m_charFormat.dwMask = kCharFormatMask;
    m_charFormat.yHeight = TwipsFromFontHeight(font.lfHeight);
    m_charFormat.yOffset = 0;
    m_charFormat.crTextColor = ColorRefFromArgb(owner->GetTextColor());
    if (font.lfWeight > 699) m_charFormat.dwEffects |= CFE_BOLD;
    if (font.lfItalic) m_charFormat.dwEffects |= CFE_ITALIC;
    if (font.lfUnderline) m_charFormat.dwEffects |= CFE_UNDERLINE;
    m_charFormat.bCharSet = font.lfCharSet;
    m_charFormat.bPitchAndFamily = font.lfPitchAndFamily;
    static_assert(sizeof(m_charFormat.szFaceName) == sizeof(font.lfFaceName), "face size");
    std::memcpy(m_charFormat.szFaceName, font.lfFaceName, sizeof(font.lfFaceName));
    m_charFormat.szFaceName[LF_FACESIZE - 1] = L'\0';

    m_paraFormat = PARAFORMAT2{};
    m_paraFormat.cbSize = sizeof(PARAFORMAT2);
    m_paraFormat.dwMask = kParaFormatMask;
    m_paraFormat.wAlignment = PFA_LEFT;
    m_paraFormat.cTabCount = 1;
    m_paraFormat.rgxTabs[0] = 720;

    m_style = ES_MULTILINE;
    if (owner->IsRich()) m_flags |= kFlagRichText;
    m_maxLength = owner->GetLimit();

    if (cs) {
        m_style = static_cast<DWORD>(cs->style);
        if ((m_style & (ES_AUTOHSCROLL | WS_HSCROLL)) == 0) m_flags |= kFlagWordWrap;
        if (m_style & ES_CENTER)
            m_paraFormat.wAlignment = PFA_CENTER;
        else if (m_style & ES_RIGHT)
            m_paraFormat.wAlignment = PFA_RIGHT;
    }
    m_flags |= kFlagInPlaceActive;

    // The library stays loaded for the process: text services made from it may outlive any
    // one control's view of it.
    HMODULE module = ::LoadLibraryW(L"msftedit.dll");
    if (module == nullptr) return false;
    auto create = reinterpret_cast<PCreateTextServices>(
        reinterpret_cast<void*>(::GetProcAddress(module, "CreateTextServices")));
    if (create == nullptr) return false;
    IUnknown* unknown = nullptr;
    if (FAILED(create(nullptr, this, &unknown)) || unknown == nullptr) return false;
    void* services = nullptr;
    const HRESULT hr = unknown->QueryInterface(kIidTextServices, &services);
    unknown->Release();
    if (FAILED(hr) || services == nullptr) return false;
    m_services = static_cast<ITextServices*>(services);

    if (cs && cs->lpszName) {
        if (FAILED(m_services->TxSetText(cs->lpszName))) return false;
    }
    return true;
}

void CTxtWinHost::Shutdown() {
    ITextServices* services = m_services;
    m_services = nullptr;
    if (services) {
        services->OnTxInPlaceDeactivate();
        services->Release();
    }
    if (CWindowManagerUI* manager = Manager()) {
        if (m_flags & kFlagTimer) manager->KillTimer(m_owner);
        if ((m_flags & kFlagCaptured) && manager->IsCaptured()) manager->ReleaseCapture();
    }
    if (g_caretHost == this) {
        ::DestroyCaret();
        g_caretHost = nullptr;
    }
    m_flags &= ~(kFlagTimer | kFlagCaptured);
    m_owner = nullptr;
}

// ---- own operations -----------------------------------------------------------------------

void CTxtWinHost::GetClientRect(RECT* rc) const {
    if (rc) *rc = m_client;
}

void CTxtWinHost::SetClientRect(const RECT* rc) {
    if (rc == nullptr) return;
    m_client = *rc;
    m_extent.cx = ::MulDiv(rc->right - rc->left, 2540, PixelsPerInch(LOGPIXELSX));
    m_extent.cy = ::MulDiv(rc->bottom - rc->top, 2540, PixelsPerInch(LOGPIXELSY));
    PropertyBitsChanged(TXTBIT_CLIENTRECTCHANGE, TXTBIT_CLIENTRECTCHANGE);
}

void CTxtWinHost::SetFont(HFONT font) {
    if (font == nullptr) return;
    LOGFONTW lf = {};
    if (::GetObjectW(font, sizeof(lf), &lf) != sizeof(lf)) return;
    m_charFormat.yHeight = TwipsFromFontHeight(lf.lfHeight);
    // Effects are only ever added: a later plain font keeps what an earlier one turned on.
    if (lf.lfWeight > 699) m_charFormat.dwEffects |= CFE_BOLD;
    if (lf.lfItalic) m_charFormat.dwEffects |= CFE_ITALIC;
    if (lf.lfUnderline) m_charFormat.dwEffects |= CFE_UNDERLINE;
    m_charFormat.bCharSet = lf.lfCharSet;
    m_charFormat.bPitchAndFamily = lf.lfPitchAndFamily;
    std::memcpy(m_charFormat.szFaceName, lf.lfFaceName, sizeof(lf.lfFaceName));
    m_charFormat.szFaceName[LF_FACESIZE - 1] = L'\0';
    PropertyBitsChanged(TXTBIT_CHARFORMATCHANGE, TXTBIT_CHARFORMATCHANGE);
}

void CTxtWinHost::SetTextColor(uint32_t argb) {
    m_charFormat.crTextColor = ColorRefFromArgb(argb);
    PropertyBitsChanged(TXTBIT_CHARFORMATCHANGE, TXTBIT_CHARFORMATCHANGE);
}

void CTxtWinHost::SetRichText(bool rich) {
    if (rich)
        m_flags |= kFlagRichText;
    else
        m_flags &= ~kFlagRichText;
    PropertyBitsChanged(TXTBIT_RICHTEXT, rich ? TXTBIT_RICHTEXT : 0);
}

void CTxtWinHost::SetTransparent(bool transparent) {
    if (transparent)
        m_flags |= kFlagTransparent;
    else
        m_flags &= ~kFlagTransparent;
    PropertyBitsChanged(TXTBIT_BACKSTYLECHANGE, 0);
}

void CTxtWinHost::PropertyBitsChanged(DWORD mask, DWORD bits) {
    if (m_services) m_services->OnTxPropertyBitsChange(mask, bits);
}

HRESULT CTxtWinHost::ActivateInPlace(const RECT* rc) {
    if (m_services == nullptr) return E_FAIL;
    m_flags |= kFlagInPlaceActive;
    const HRESULT hr = m_services->OnTxInPlaceActivate(rc);
    if (FAILED(hr)) m_flags &= ~kFlagInPlaceActive;
    return hr;
}

bool CTxtWinHost::HandleSetCursor(const RECT* rc, POINT pt) {
    const RECT area = rc ? *rc : m_client;
    if (!::PtInRect(&area, pt)) return false;
    if (m_services == nullptr) return false;
    CWindowManagerUI* manager = Manager();
    const RECT* passed = (rc == nullptr && (m_flags & kFlagInPlaceActive)) ? nullptr : &area;
    m_services->OnTxSetCursor(DVASPECT_CONTENT, -1, nullptr, nullptr,
                              manager ? manager->GetPaintDC() : nullptr, nullptr, passed, pt.x,
                              pt.y);
    return true;
}

bool CTxtWinHost::IsCaptured() const { return (m_flags & kFlagCaptured) != 0; }

// ---- IUnknown -----------------------------------------------------------------------------

HRESULT STDMETHODCALLTYPE CTxtWinHost::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, kIidTextHost)) {
        *object = static_cast<ITextHost*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CTxtWinHost::AddRef() { return ++m_refs; }

ULONG STDMETHODCALLTYPE CTxtWinHost::Release() {
    const ULONG left = --m_refs;
    if (left == 0) delete this;
    return left;
}

// ---- ITextHost ----------------------------------------------------------------------------

HDC CTxtWinHost::TxGetDC() {
    CWindowManagerUI* manager = Manager();
    return manager ? manager->GetPaintDC() : nullptr;
}

INT CTxtWinHost::TxReleaseDC(HDC) { return 1; }

WINBOOL CTxtWinHost::TxShowScrollBar(INT fnBar, WINBOOL fShow) {
    if (m_owner == nullptr) return TRUE;
    CScrollBarUI* vertical = m_owner->GetVerticalScrollBar();
    CScrollBarUI* horizontal = m_owner->GetHorizontalScrollBar();
    if ((fnBar == SB_VERT || fnBar == SB_BOTH) && vertical) vertical->SetVisible(fShow == TRUE);
    if ((fnBar == SB_HORZ || fnBar == SB_BOTH) && horizontal)
        horizontal->SetVisible(fShow == TRUE);
    return TRUE;
}

WINBOOL CTxtWinHost::TxEnableScrollBar(INT fuSBFlags, INT fuArrowflags) {
    if (m_owner == nullptr) return TRUE;
    const bool shown = fuArrowflags != ESB_DISABLE_BOTH;
    if (fuSBFlags == SB_VERT) {
        m_owner->EnableScrollBar(true, m_owner->GetHorizontalScrollBar() != nullptr);
        if (CScrollBarUI* bar = m_owner->GetVerticalScrollBar()) bar->SetVisible(shown);
    } else if (fuSBFlags == SB_HORZ) {
        m_owner->EnableScrollBar(m_owner->GetVerticalScrollBar() != nullptr, true);
        if (CScrollBarUI* bar = m_owner->GetHorizontalScrollBar()) bar->SetVisible(shown);
    } else if (fuSBFlags == SB_BOTH) {
        m_owner->EnableScrollBar(true, true);
        if (CScrollBarUI* bar = m_owner->GetVerticalScrollBar()) bar->SetVisible(shown);
        if (CScrollBarUI* bar = m_owner->GetHorizontalScrollBar()) bar->SetVisible(shown);
    }
    return TRUE;
}

WINBOOL CTxtWinHost::TxSetScrollRange(INT fnBar, LONG nMinPos, INT nMaxPos, WINBOOL) {
    if (m_owner == nullptr) return TRUE;
    const bool vertical = fnBar == SB_VERT;
    CScrollBarUI* bar =
        vertical ? m_owner->GetVerticalScrollBar() : m_owner->GetHorizontalScrollBar();
    if (bar == nullptr) return TRUE;
    const int64_t client = vertical ? int64_t{m_client.bottom} - m_client.top
                                    : int64_t{m_client.right} - m_client.left;
    const int64_t range = (int64_t{nMaxPos} - nMinPos) - client;
    if (range <= 0) {
        bar->SetVisible(false);
    } else {
        bar->SetVisible(true);
        bar->SetScrollRange(range > INT_MAX ? INT_MAX : static_cast<int>(range));
    }
    return TRUE;
}

WINBOOL CTxtWinHost::TxSetScrollPos(INT fnBar, INT nPos, WINBOOL) {
    if (m_owner == nullptr) return TRUE;
    CScrollBarUI* bar = fnBar == SB_VERT ? m_owner->GetVerticalScrollBar()
                                         : m_owner->GetHorizontalScrollBar();
    if (bar) bar->SetScrollPos(nPos);
    return TRUE;
}

void CTxtWinHost::TxInvalidateRect(LPCRECT prc, WINBOOL) {
    CWindowManagerUI* manager = Manager();
    if (manager) manager->Invalidate(prc ? *prc : m_client);
}

void CTxtWinHost::TxViewChange(WINBOOL) {
    if (m_owner && m_owner->OnTextViewChanged()) m_owner->Invalidate();
}

WINBOOL CTxtWinHost::TxCreateCaret(HBITMAP hbmp, INT xWidth, INT yHeight) {
    HWND window = Window();
    if (window == nullptr) return FALSE;
    if (!::CreateCaret(window, hbmp, xWidth, yHeight)) return FALSE;
    g_caretHost = this;
    return TRUE;
}

WINBOOL CTxtWinHost::TxShowCaret(WINBOOL fShow) {
    HWND window = Window();
    if (window == nullptr) return FALSE;
    return fShow ? ::ShowCaret(window) : ::HideCaret(window);
}

WINBOOL CTxtWinHost::TxSetCaretPos(INT x, INT y) {
    if (Window() == nullptr) return FALSE;
    return ::SetCaretPos(x, y);
}

WINBOOL CTxtWinHost::TxSetTimer(UINT idTimer, UINT uTimeout) {
    CWindowManagerUI* manager = Manager();
    if (manager == nullptr) return FALSE;
    m_flags |= kFlagTimer;
    return manager->SetTimer(m_owner, idTimer, uTimeout) ? TRUE : FALSE;
}

void CTxtWinHost::TxKillTimer(UINT idTimer) {
    if (CWindowManagerUI* manager = Manager()) manager->KillTimer(m_owner, idTimer);
    m_flags &= ~kFlagTimer;
}

void CTxtWinHost::TxScrollWindowEx(INT, INT, LPCRECT, LPCRECT, HRGN, LPRECT, UINT) {}

void CTxtWinHost::TxSetCapture(WINBOOL fCapture) {
    CWindowManagerUI* manager = Manager();
    if (manager == nullptr) return;
    if (fCapture)
        manager->SetCapture();
    else
        manager->ReleaseCapture();
    if (fCapture)
        m_flags |= kFlagCaptured;
    else
        m_flags &= ~kFlagCaptured;
}

void CTxtWinHost::TxSetFocus() {
    if (m_owner) m_owner->SetFocus();
}

void CTxtWinHost::TxSetCursor(HCURSOR hcur, WINBOOL) { ::SetCursor(hcur); }

WINBOOL CTxtWinHost::TxScreenToClient(LPPOINT lppt) {
    HWND window = Window();
    return window && lppt ? ::ScreenToClient(window, lppt) : FALSE;
}

WINBOOL CTxtWinHost::TxClientToScreen(LPPOINT lppt) {
    HWND window = Window();
    return window && lppt ? ::ClientToScreen(window, lppt) : FALSE;
}

HRESULT CTxtWinHost::TxActivate(LONG*) { return S_OK; }
HRESULT CTxtWinHost::TxDeactivate(LONG) { return S_OK; }

HRESULT CTxtWinHost::TxGetClientRect(LPRECT prc) {
    if (prc == nullptr) return E_INVALIDARG;
    *prc = m_client;
    return S_OK;
}

HRESULT CTxtWinHost::TxGetViewInset(LPRECT prc) {
    if (prc == nullptr) return E_INVALIDARG;
    *prc = RECT{0, 0, 0, 0};
    return S_OK;
}

HRESULT CTxtWinHost::TxGetCharFormat(const CHARFORMATW** ppCF) {
    if (ppCF == nullptr) return E_INVALIDARG;
    *ppCF = reinterpret_cast<const CHARFORMATW*>(&m_charFormat);
    return S_OK;
}

HRESULT CTxtWinHost::TxGetParaFormat(const PARAFORMAT** ppPF) {
    if (ppPF == nullptr) return E_INVALIDARG;
    *ppPF = reinterpret_cast<const PARAFORMAT*>(&m_paraFormat);
    return S_OK;
}

COLORREF CTxtWinHost::TxGetSysColor(int nIndex) { return ::GetSysColor(nIndex); }

HRESULT CTxtWinHost::TxGetBackStyle(TXTBACKSTYLE* pstyle) {
    if (pstyle == nullptr) return E_INVALIDARG;
    *pstyle = (m_flags & kFlagTransparent) ? TXTBACK_TRANSPARENT : TXTBACK_OPAQUE;
    return S_OK;
}

HRESULT CTxtWinHost::TxGetMaxLength(DWORD* plength) {
    if (plength == nullptr) return E_INVALIDARG;
    *plength = static_cast<DWORD>(m_maxLength);
    return S_OK;
}

HRESULT CTxtWinHost::TxGetScrollBars(DWORD* pdwScrollBar) {
    if (pdwScrollBar == nullptr) return E_INVALIDARG;
    *pdwScrollBar = m_style & kScrollBarStyles;
    return S_OK;
}

HRESULT CTxtWinHost::TxGetPasswordChar(TCHAR* pch) {
    if (pch == nullptr) return E_INVALIDARG;
    *pch = m_passwordChar;
    return S_OK;
}

HRESULT CTxtWinHost::TxGetAcceleratorPos(LONG* pcp) {
    if (pcp == nullptr) return E_INVALIDARG;
    *pcp = m_acceleratorPos;
    return S_OK;
}

HRESULT CTxtWinHost::TxGetExtent(LPSIZEL lpExtent) {
    if (lpExtent == nullptr) return E_INVALIDARG;
    *lpExtent = m_extent;
    return S_OK;
}

HRESULT CTxtWinHost::OnTxCharFormatChange(const CHARFORMATW*) { return S_OK; }
HRESULT CTxtWinHost::OnTxParaFormatChange(const PARAFORMAT*) { return S_OK; }

HRESULT CTxtWinHost::TxGetPropertyBits(DWORD dwMask, DWORD* pdwBits) {
    if (pdwBits == nullptr) return E_INVALIDARG;
    DWORD bits = 0;
    if (m_flags & kFlagRichText) bits |= TXTBIT_RICHTEXT;
    if (m_style & ES_MULTILINE) bits |= TXTBIT_MULTILINE;
    if (m_style & ES_READONLY) bits |= TXTBIT_READONLY;
    if (m_style & ES_PASSWORD) bits |= TXTBIT_USEPASSWORD;
    if ((m_style & ES_NOHIDESEL) == 0) bits |= TXTBIT_HIDESELECTION;
    if (m_flags & kFlagSaveSelection) bits |= TXTBIT_SAVESELECTION;
    if (m_flags & kFlagAutoWordSel) bits |= TXTBIT_AUTOWORDSEL;
    if (m_flags & kFlagWordWrap) bits |= TXTBIT_WORDWRAP;
    if (m_flags & kFlagAllowBeep) bits |= TXTBIT_ALLOWBEEP;
    *pdwBits = dwMask & bits;
    return S_OK;
}

HRESULT CTxtWinHost::TxNotify(DWORD iNotify, void* pv) {
    if (iNotify == EN_REQUESTRESIZE && pv) {
        const auto* request = static_cast<const REQRESIZE*>(pv);
        RECT rc = m_client;
        rc.right = rc.left + request->rc.right;
        rc.bottom = rc.top + request->rc.bottom;
        SetClientRect(&rc);
    }
    if (m_owner) m_owner->OnTextNotify(iNotify, pv);
    return S_OK;
}

HIMC CTxtWinHost::TxImmGetContext() { return nullptr; }
void CTxtWinHost::TxImmReleaseContext(HIMC) {}

HRESULT CTxtWinHost::TxGetSelectionBarWidth(LONG* lSelBarWidth) {
    if (lSelBarWidth == nullptr) return E_INVALIDARG;
    *lSelBarWidth = m_selBarWidth;
    return S_OK;
}

}  // namespace Veneer
