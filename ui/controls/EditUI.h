// A single-line text field: drawn by the framework while idle, edited in a native edit window
// laid over its text area for as long as it has the focus.
#pragma once
#include <windows.h>

#include <cstdint>

#include "LabelUI.h"

namespace Veneer {

class CEditWnd;

class CEditUI : public CLabelUI {
public:
    CEditUI();
    ~CEditUI() override;

    const wchar_t* GetTypeName() const override;
    void* QueryPart(const wchar_t* name) override;
    UINT GetBehaviourFlags() const override;
    void SetText(const wchar_t* text) override;
    void SetPos(RECT rc, bool needInvalidate = true) override;
    void Move(SIZE offset, bool needInvalidate = true) override;
    void SetVisible(bool visible = true) override;
    void SetInheritedVisible(bool visible = true) override;
    void SetEnabled(bool enabled = true) override;
    void HandleEvent(TControlEvent& event) override;
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
    SIZE MeasureSize(SIZE available) override;
    void RenderStateImages(HDC dc) override;
    void RenderText(HDC dc) override;

    void SetMaxChar(uint32_t maxChar);
    uint32_t GetMaxChar() const { return m_maxChar; }
    void SetReadOnly(bool readOnly);
    bool IsReadOnly() const { return m_readOnly; }
    void SetPasswordMode(bool on);
    bool IsPasswordMode() const { return m_passwordMode; }
    wchar_t GetPasswordChar() const { return m_passwordChar; }
    void SetNumberOnly(bool on);
    DWORD GetWindowStyle() const { return m_windowStyle; }
    void SetNativeBkColor(uint32_t color) { m_nativeBkColor = color; }
    uint32_t GetNativeBkColor() const { return m_nativeBkColor; }
    void SetNormalImage(const wchar_t* description);
    void SetHotImage(const wchar_t* description);
    void SetFocusedImage(const wchar_t* description);
    void SetDisabledImage(const wchar_t* description);

    // The open native window, null while idle.
    CEditWnd* GetEditWindow() const { return m_editWindow; }

private:
    friend class CEditWnd;

    // Opens the native window; false (and still idle) when it cannot be made.
    bool OpenEditWindow();
    // Closes the native window at once, when one is open.
    void CloseEditWindow();
    void SetStateImage(TImageDrawInfo& info, const wchar_t* description);
    // Selects the whole text of the open native window.
    void SelectAll();

    CEditWnd* m_editWindow = nullptr;
    uint32_t m_maxChar = 255;
    bool m_readOnly = false;
    bool m_passwordMode = false;
    wchar_t m_passwordChar = L'*';
    uint32_t m_buttonState = 0;
    // 0xFFFFFFFF lets the native edit paint its own background.
    uint32_t m_nativeBkColor = 0xFFFFFFFF;
    DWORD m_windowStyle = 0;
    TImageDrawInfo m_normalImage;
    TImageDrawInfo m_hotImage;
    TImageDrawInfo m_focusedImage;
    TImageDrawInfo m_disabledImage;
};

}  // namespace Veneer
