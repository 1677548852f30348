// The drop-down list: a face drawn like a button that shows the selected row, and rows that
// live in the combo but are shown, while it is open, in a popup window of their own.
#pragma once
#include <windows.h>

#include <cstdint>

#include "ContainerUI.h"
#include "ListInterfaces.h"

namespace Veneer {

class CComboWnd;

class CComboUI : public CContainerUI, public IListOwnerUI {
public:
    CComboUI();
    ~CComboUI() override;

    const wchar_t* GetTypeName() const override;
    void* QueryPart(const wchar_t* name) override;
    bool Activate() override;
    CUIString GetText() const override;
    void SetPos(RECT rc, bool needInvalidate = true) override;
    void Move(SIZE offset, bool needInvalidate = true) override;
    void SetEnabled(bool enabled = true) override;
    void HandleEvent(TControlEvent& event) override;
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
    SIZE MeasureSize(SIZE available) override;
    void Render(HDC dc, const RECT& paint) override;
    void RenderStateImages(HDC dc) override;
    void RenderText(HDC dc) override;

    // The rows; each carries its index, and the selection follows insertions and removals.
    bool SetItemIndex(CControlUI* control, int index) override;
    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;
    bool RemoveAt(int index) override;
    void RemoveAll() override;

    TListItemStyle* GetListStyle() override;
    int GetCurSel() const override;
    bool SelectItem(int index, bool takeFocus = false) override;

    // The open popup, or null while closed.
    CComboWnd* GetDropWindow() const { return m_dropWindow; }
    UINT GetButtonState() const { return m_buttonState; }
    const CUIString& GetDropBoxAttributes() const { return m_dropBoxAttributes; }
    void SetDropBoxAttributes(const wchar_t* attributes);
    SIZE GetDropBoxSize() const { return m_dropBoxSize; }
    void SetDropBoxSize(SIZE size) { m_dropBoxSize = size; }
    bool IsShowText() const { return m_showText; }
    void SetShowText(bool show);
    RECT GetTextPadding() const { return m_textPadding; }
    void SetTextPadding(RECT padding);

    void SetNormalImage(const wchar_t* description);
    void SetHotImage(const wchar_t* description);
    void SetPushedImage(const wchar_t* description);
    void SetFocusedImage(const wchar_t* description);
    void SetDisabledImage(const wchar_t* description);

    void SetItemFont(int index) { m_listStyle.font = index; }
    void SetItemTextStyle(UINT style) { m_listStyle.textStyle = style; }
    void SetItemTextPadding(RECT padding);
    void SetItemTextColor(uint32_t color);
    void SetItemBkColor(uint32_t color) { m_listStyle.bkColor = color; }
    void SetItemBkImage(const wchar_t* description);
    void SetItemAltBk(bool on) { m_listStyle.alternateBk = on; }
    void SetSelectedItemTextColor(uint32_t color) { m_listStyle.selectedTextColor = color; }
    void SetSelectedItemBkColor(uint32_t color) { m_listStyle.selectedBkColor = color; }
    void SetItemSelectedImage(const wchar_t* description);
    void SetHotItemTextColor(uint32_t color) { m_listStyle.hotTextColor = color; }
    void SetHotItemBkColor(uint32_t color) { m_listStyle.hotBkColor = color; }
    void SetItemHotImage(const wchar_t* description);
    void SetDisabledItemTextColor(uint32_t color) { m_listStyle.disabledTextColor = color; }
    void SetDisabledItemBkColor(uint32_t color) { m_listStyle.disabledBkColor = color; }
    void SetItemDisabledImage(const wchar_t* description);
    void SetItemLineColor(uint32_t color) { m_listStyle.lineColor = color; }
    void SetItemShowHtml(bool show);

private:
    friend class CComboWnd;

    // The popup's window is gone: the combo is closed again.
    void DropWindowGone(CComboWnd* window);
    // Gives the rows from `from` on the index they stand at.
    void RenumberRows(int from, int to);
    void SetFaceImage(TImageDrawInfo& info, const wchar_t* description, bool repaint);

    CComboWnd* m_dropWindow = nullptr;
    int m_curSel = -1;
    bool m_showText = true;
    RECT m_textPadding = {0, 0, 0, 0};
    CUIString m_dropBoxAttributes;
    SIZE m_dropBoxSize = {0, 150};
    UINT m_buttonState = 0;
    TImageDrawInfo m_normalImage;
    TImageDrawInfo m_hotImage;
    TImageDrawInfo m_pushedImage;
    TImageDrawInfo m_focusedImage;
    TImageDrawInfo m_disabledImage;
    TListItemStyle m_listStyle;
};

}  // namespace Veneer
