// The root of every windowless control: a rectangle in the client area of one window, size
// constraints, colours, border, background image, texts, flags, event hubs and the attributes
// every control understands.
#pragma once
#include <windows.h>

#include <cstdint>

#include "ControlEvent.h"
#include "Renderer.h"
#include "UIRect.h"
#include "UIString.h"

namespace Veneer {

class CWindowManagerUI;
class CControlUI;

// Search callback of LocateControl: answers the control it accepts, or null.
using LocateProc = CControlUI*(CALLBACK*)(CControlUI* control, void* data);

// LocateControl flags.
enum : UINT {
    kLocateVisible = 0x00000001,
    kLocateEnabled = 0x00000002,
    kLocateHitTest = 0x00000004,
    kLocateUpdateTest = 0x00000008,
    kLocateTopFirst = 0x00000010,
    kLocateMeFirst = 0x80000000,
};

// Behaviour flags.
enum : UINT {
    kBehaviourTabStop = 0x00000001,
    kBehaviourSetCursor = 0x00000002,
};

class CControlUI {
public:
    CControlUI();
    virtual ~CControlUI();
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;

    virtual CUIString GetName() const;
    virtual void SetName(const wchar_t* name);
    virtual const wchar_t* GetTypeName() const;
    virtual void* QueryPart(const wchar_t* name);
    virtual UINT GetBehaviourFlags() const;
    virtual bool Activate();
    // Whether the control takes Tab into its own text while focused; the manager then leaves
    // the key to it instead of moving the focus.
    virtual bool IsWantTab() const;
    virtual CWindowManagerUI* GetManager() const;
    virtual void SetManager(CWindowManagerUI* manager, CControlUI* parent, bool init = true);
    virtual CControlUI* GetParent() const;
    virtual CUIString GetText() const;
    virtual void SetText(const wchar_t* text);

    virtual const RECT& GetPos() const;
    virtual RECT GetPosInParent() const;
    virtual void SetPos(RECT rc, bool needInvalidate = true);
    virtual void Move(SIZE offset, bool needInvalidate = true);
    virtual int GetWidth() const;
    virtual int GetHeight() const;
    virtual int GetX() const;
    virtual int GetY() const;
    virtual RECT GetPadding() const;
    virtual void SetPadding(RECT rc);
    virtual SIZE GetDeclaredOrigin() const;
    virtual void SetDeclaredOrigin(SIZE origin);
    virtual int GetDeclaredWidth() const;
    virtual void SetDeclaredWidth(int cx);
    virtual int GetDeclaredHeight() const;
    virtual void SetDeclaredHeight(int cy);
    virtual int GetMinWidth() const;
    virtual void SetMinWidth(int cx);
    virtual int GetMaxWidth() const;
    virtual void SetMaxWidth(int cx);
    virtual int GetMinHeight() const;
    virtual void SetMinHeight(int cy);
    virtual int GetMaxHeight() const;
    virtual void SetMaxHeight(int cy);
    virtual void GetFloatShares(double shares[4]) const;
    virtual void SetFloatShares(double left, double top, double right, double bottom);

    virtual CUIString GetToolTip() const;
    virtual void SetToolTip(const wchar_t* text);
    virtual void SetToolTipMaxWidth(int width);
    virtual int GetToolTipMaxWidth() const;
    virtual wchar_t GetShortcut() const;
    virtual void SetShortcut(wchar_t ch);
    virtual bool IsMenuEnabled() const;
    virtual void SetMenuEnabled(bool enabled);
    virtual const CUIString& GetUserData() const;
    virtual void SetUserData(const wchar_t* text);
    virtual LONG_PTR GetTag() const;
    virtual void SetTag(LONG_PTR tag);

    virtual bool IsVisible() const;
    virtual void SetVisible(bool visible = true);
    virtual void SetInheritedVisible(bool visible = true);
    virtual bool IsEnabled() const;
    virtual void SetEnabled(bool enabled = true);
    virtual bool IsMouseEnabled() const;
    virtual void SetMouseEnabled(bool enabled = true);
    virtual bool IsKeyboardEnabled() const;
    virtual void SetKeyboardEnabled(bool enabled = true);
    virtual bool IsFocused() const;
    virtual void SetFocus();
    virtual bool IsFloat() const;
    virtual void SetFloat(bool isFloat = true);

    virtual CControlUI* LocateControl(LocateProc proc, void* data, UINT flags);

    virtual void Init();
    virtual void InitHook();

    virtual void DispatchEvent(TControlEvent& event);
    virtual void HandleEvent(TControlEvent& event);
    virtual void ApplyAttribute(const wchar_t* name, const wchar_t* value);
    virtual SIZE MeasureSize(SIZE available);

    virtual void Render(HDC dc, const RECT& paint);
    virtual void RenderBackColor(HDC dc);
    virtual void RenderBackImage(HDC dc);
    virtual void RenderStateImages(HDC dc);
    virtual void RenderText(HDC dc);
    virtual void RenderBorder(HDC dc);
    virtual void RenderOverlay(HDC dc, const RECT& paint);

    // Non-virtual services.
    void Invalidate();
    void RequestLayout();
    void RequestParentLayout();
    bool IsUpdateNeeded() const { return m_updateNeeded; }
    CUIString GetVirtualWindowName() const;
    void SetVirtualWindowName(const wchar_t* name);
    void ApplyAttributeString(const wchar_t* text);
    bool DrawImage(HDC dc, TImageDrawInfo& info);
    uint32_t GetHslAdjustedColor(uint32_t color) const;

    uint32_t GetBkColor() const { return m_bkColor1; }
    void SetBkColor(uint32_t color);
    uint32_t GetBkColor2() const { return m_bkColor2; }
    void SetBkColor2(uint32_t color);
    uint32_t GetBkColor3() const { return m_bkColor3; }
    void SetBkColor3(uint32_t color);
    uint32_t GetBorderColor() const { return m_borderColor; }
    void SetBorderColor(uint32_t color);
    uint32_t GetFocusBorderColor() const { return m_focusBorderColor; }
    void SetFocusBorderColor(uint32_t color);
    bool IsColorHsl() const { return m_colorHsl; }
    void SetColorHsl(bool on);
    int GetBorderSize() const { return m_borderSize; }
    void SetBorderSize(int size);
    void SetBorderSizeRect(RECT sides);
    RECT GetBorderSizeRect() const { return m_sideBorders; }
    void SetLeftBorderSize(int size);
    void SetTopBorderSize(int size);
    void SetRightBorderSize(int size);
    void SetBottomBorderSize(int size);
    int GetBorderStyle() const { return m_borderStyle; }
    void SetBorderStyle(int style);
    SIZE GetBorderRound() const { return m_borderRound; }
    void SetBorderRound(SIZE round);
    const CUIString& GetBkImage() const { return m_bkImage.description; }
    void SetBkImage(const wchar_t* description);
    const CUIString& GetForeImage() const { return m_foreImage.description; }
    void SetForeImage(const wchar_t* description);

    CEventHub& OnInit() { return m_initHub; }
    CEventHub& OnDestroy() { return m_destroyHub; }
    CEventHub& OnSize() { return m_sizeHub; }
    CEventHub& OnEvent() { return m_eventHub; }
    CEventHub& OnNotify() { return m_notifyHub; }

protected:
    // Stores a new image description in a record, its image loaded at the next paint; false
    // when the description is unchanged and already loaded.
    static bool ResetImageRecord(TImageDrawInfo& info, const wchar_t* description);
    // Loads an image description into a record the way every image attribute does: nothing
    // when unchanged and loaded, else clear, store, load once without drawing.
    static bool ReloadImageRecord(TImageDrawInfo& info, const wchar_t* description,
                                  CWindowManagerUI* manager, const RECT& item);

    CEventHub m_initHub;
    CEventHub m_destroyHub;
    CEventHub m_sizeHub;
    CEventHub m_eventHub;
    CEventHub m_notifyHub;
    CWindowManagerUI* m_manager = nullptr;
    CControlUI* m_parent = nullptr;
    CUIString m_virtualWindow;
    CUIString m_name;
    bool m_updateNeeded = true;
    bool m_menuEnabled = false;
    CUIRect m_rcItem;
    CUIRect m_padding;
    SIZE m_declaredOrigin = {0, 0};
    int m_declaredWidth = 0;
    int m_declaredHeight = 0;
    int m_minWidth = 0;
    int m_minHeight = 0;
    int m_maxWidth = 9999;
    int m_maxHeight = 9999;
    bool m_visible = true;
    bool m_inheritedVisible = true;
    bool m_enabled = true;
    bool m_mouseEnabled = true;
    bool m_keyboardEnabled = true;
    bool m_focused = false;
    bool m_float = false;
    double m_floatShares[4] = {0.0, 0.0, 0.0, 0.0};
    bool m_inSizeHub = false;
    CUIString m_text;
    CUIString m_toolTip;
    wchar_t m_shortcut = 0;
    CUIString m_userData;
    LONG_PTR m_tag = 0;
    uint32_t m_bkColor1 = 0;
    uint32_t m_bkColor2 = 0;
    uint32_t m_bkColor3 = 0;
    TImageDrawInfo m_bkImage;
    TImageDrawInfo m_foreImage;
    uint32_t m_borderColor = 0;
    uint32_t m_focusBorderColor = 0;
    bool m_colorHsl = false;
    int m_borderSize = 0;
    int m_borderStyle = 0;
    int m_toolTipWidth = 300;
    SIZE m_borderRound = {0, 0};
    CUIRect m_rcPaint;
    RECT m_sideBorders = {0, 0, 0, 0};

private:
    friend class CWindowManagerUI;

    // The item rectangle clipped by every ancestor; false when an ancestor is hidden or the
    // clip leaves nothing.
    bool ClipByAncestors(CUIRect& rc) const;
    void RequestDeclaredLayout();

    // The name the manager's name map holds this control under (kept by the manager), so the
    // entry goes with the control even when its name changed in between.
    CUIString m_indexedName;
};

}  // namespace Veneer
