// The host a rich edit gives the platform's windowless text services: the owning window, its
// manager and the control's own scroll bars stand in for the window the services would
// otherwise draw into. A COM object with a plain count; it deletes itself at zero.
#pragma once
#include <windows.h>
#include <richedit.h>
#include <textserv.h>

#include <cstdint>

namespace Veneer {

class CRichEditUI;
class CWindowManagerUI;

class CTxtWinHost : public ITextHost {
public:
    CTxtWinHost();
    CTxtWinHost(const CTxtWinHost&) = delete;
    CTxtWinHost& operator=(const CTxtWinHost&) = delete;

    // Builds the default formats from the owner and `cs` (style and initial text, may be null)
    // and creates the text services; false when the services cannot be had.
    bool Init(CRichEditUI* owner, const CREATESTRUCTW* cs);
    // Deactivates and releases the text services and forgets the owner, so that whatever
    // reaches the host afterwards (the services' own last calls included) does nothing.
    void Shutdown();

    ITextServices* GetTextServices() const { return m_services; }
    void GetClientRect(RECT* rc) const;
    void SetClientRect(const RECT* rc);
    void SetFont(HFONT font);
    void SetTextColor(uint32_t argb);
    void SetRichText(bool rich);
    // Before Init this is the back style the services are made with; afterwards they are
    // told of the change.
    void SetTransparent(bool transparent);
    HRESULT ActivateInPlace(const RECT* rc);
    bool HandleSetCursor(const RECT* rc, POINT pt);
    bool IsCaptured() const;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // ITextHost, declared as the platform header declares it (its calling convention is the
    // one the text services call with).
    HDC TxGetDC() override;
    INT TxReleaseDC(HDC hdc) override;
    WINBOOL TxShowScrollBar(INT fnBar, WINBOOL fShow) override;
    WINBOOL TxEnableScrollBar(INT fuSBFlags, INT fuArrowflags) override;
    WINBOOL TxSetScrollRange(INT fnBar, LONG nMinPos, INT nMaxPos, WINBOOL fRedraw) override;
    WINBOOL TxSetScrollPos(INT fnBar, INT nPos, WINBOOL fRedraw) override;
    void TxInvalidateRect(LPCRECT prc, WINBOOL fMode) override;
    void TxViewChange(WINBOOL fUpdate) override;
    WINBOOL TxCreateCaret(HBITMAP hbmp, INT xWidth, INT yHeight) override;
    WINBOOL TxShowCaret(WINBOOL fShow) override;
    WINBOOL TxSetCaretPos(INT x, INT y) override;
    WINBOOL TxSetTimer(UINT idTimer, UINT uTimeout) override;
    void TxKillTimer(UINT idTimer) override;
    void TxScrollWindowEx(INT dx, INT dy, LPCRECT lprcScroll, LPCRECT lprcClip, HRGN hrgnUpdate,
                          LPRECT lprcUpdate, UINT fuScroll) override;
    void TxSetCapture(WINBOOL fCapture) override;
    void TxSetFocus() override;
    void TxSetCursor(HCURSOR hcur, WINBOOL fText) override;
    WINBOOL TxScreenToClient(LPPOINT lppt) override;
    WINBOOL TxClientToScreen(LPPOINT lppt) override;
    HRESULT TxActivate(LONG* plOldState) override;
    HRESULT TxDeactivate(LONG lNewState) override;
    HRESULT TxGetClientRect(LPRECT prc) override;
    HRESULT TxGetViewInset(LPRECT prc) override;
    HRESULT TxGetCharFormat(const CHARFORMATW** ppCF) override;
    HRESULT TxGetParaFormat(const PARAFORMAT** ppPF) override;
    COLORREF TxGetSysColor(int nIndex) override;
    HRESULT TxGetBackStyle(TXTBACKSTYLE* pstyle) override;
    HRESULT TxGetMaxLength(DWORD* plength) override;
    HRESULT TxGetScrollBars(DWORD* pdwScrollBar) override;
    HRESULT TxGetPasswordChar(TCHAR* pch) override;
    HRESULT TxGetAcceleratorPos(LONG* pcp) override;
    HRESULT TxGetExtent(LPSIZEL lpExtent) override;
    HRESULT OnTxCharFormatChange(const CHARFORMATW* pcf) override;
    HRESULT OnTxParaFormatChange(const PARAFORMAT* ppf) override;
    HRESULT TxGetPropertyBits(DWORD dwMask, DWORD* pdwBits) override;
    HRESULT TxNotify(DWORD iNotify, void* pv) override;
    HIMC TxImmGetContext() override;
    void TxImmReleaseContext(HIMC himc) override;
    HRESULT TxGetSelectionBarWidth(LONG* lSelBarWidth) override;

protected:
    // Only Release deletes the host.
    virtual ~CTxtWinHost();

private:
    CWindowManagerUI* Manager() const;
    HWND Window() const;
    // Logical pixels per inch of the paint DC, 96 when there is none to ask.
    int PixelsPerInch(int axis) const;
    // The character height in twips for a font height in pixels.
    LONG TwipsFromFontHeight(LONG lfHeight) const;
    void PropertyBitsChanged(DWORD mask, DWORD bits);

    CRichEditUI* m_owner = nullptr;
    ULONG m_refs = 0;
    ITextServices* m_services = nullptr;
    DWORD m_style = 0;
    DWORD m_flags = 0;
    LONG m_selBarWidth = 0;
    LONG m_maxLength = 32767;
    RECT m_client = {0, 0, 0, 0};
    SIZEL m_extent = {0, 0};
    CHARFORMAT2W m_charFormat = {};
    PARAFORMAT2 m_paraFormat = {};
    LONG m_acceleratorPos = -1;
    wchar_t m_passwordChar = 0;
};

}  // namespace Veneer
