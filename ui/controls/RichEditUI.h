// A windowless multi-line editor: the platform's text services do the editing and drawing, a
// CTxtWinHost gives them this control's place in the window. Raw mouse and key messages reach
// the services through a window filter; focus, cursor and timers come as control events.
#pragma once
#include <windows.h>

#include <cstdint>

#include "ContainerUI.h"
#include "UIInterfaces.h"

namespace Veneer {

class CTxtWinHost;

class CRichEditUI : public CContainerUI, public IMessageFilterUI {
public:
    CRichEditUI();
    ~CRichEditUI() override;

    const wchar_t* GetTypeName() const override;
    void* QueryPart(const wchar_t* name) override;
    bool IsWantTab() const override;
    CUIString GetText() const override;
    void SetText(const wchar_t* text) override;
    void SetPos(RECT rc, bool needInvalidate = true) override;
    void Move(SIZE offset, bool needInvalidate = true) override;
    void InitHook() override;
    void HandleEvent(TControlEvent& event) override;
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
    void Render(HDC dc, const RECT& paint) override;
    void RenderText(HDC dc) override;
    void SetScrollPos(SIZE pos) override;
    void ScrollLineUp() override;
    void ScrollLineDown() override;
    void ScrollPageUp() override;
    void ScrollPageDown() override;
    void ScrollToTop() override;
    void ScrollToBottom() override;
    void ScrollLineLeft() override;
    void ScrollLineRight() override;
    void ScrollPageLeft() override;
    void ScrollPageRight() override;
    void ScrollToLeftEnd() override;
    void ScrollToRightEnd() override;

    // S_FALSE without text services; Return is kept out of the text unless it is wanted.
    virtual HRESULT SendToTextServices(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual bool OnTextViewChanged();
    virtual void OnTextNotify(DWORD code, void* data);

    LRESULT ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

    void SetFont(int fontId);
    int GetFont() const { return m_fontId; }
    void SetTextColor(uint32_t argb);
    uint32_t GetTextColor() const { return m_textColor; }
    void SetRich(bool rich);
    bool IsRich() const { return m_rich; }
    void SetWantTab(bool want) { m_wantTab = want; }
    void SetWantReturn(bool want) { m_wantReturn = want; }
    bool IsWantReturn() const { return m_wantReturn; }
    void SetWantCtrlReturn(bool want) { m_wantCtrlReturn = want; }
    bool IsWantCtrlReturn() const { return m_wantCtrlReturn; }
    int GetLimit() const { return m_limit; }
    DWORD GetStyle() const { return m_style; }
    long GetTextLength() const;
    LRESULT SetSel(long first, long last);
    void ReplaceSel(const wchar_t* text, bool canUndo);
    // Whether text services were made for this control.
    bool HasTextHost() const { return m_host != nullptr; }
    CTxtWinHost* GetTextHost() const { return m_host; }

private:
    RECT TextArea();
    // The content's height when laid out `width` pixels wide; false when the services do not
    // say.
    bool NaturalHeight(int width, LONG& height) const;
    // One scroll step through the services.
    void ScrollStep(UINT msg, WPARAM code);

    CTxtWinHost* m_host = nullptr;
    bool m_vBarAutoShown = false;
    bool m_wantTab = true;
    bool m_wantReturn = true;
    bool m_wantCtrlReturn = true;
    bool m_rich = true;
    uint32_t m_textColor = 0;
    int m_fontId = -1;
    int m_limit = 32767;
    DWORD m_style = ES_MULTILINE;
    bool m_hostCreated = false;
    // The manager the window filter went to, so it is taken out of that same list.
    CWindowManagerUI* m_filterManager = nullptr;
};

}  // namespace Veneer
