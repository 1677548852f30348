// The base control's layout attributes, colour and border setters and image records.
#include <cstdint>
#include <cwchar>

#include "AttrTable.h"
#include "AttrValue.h"
#include "ControlUI.h"
#include "LayoutMath.h"
#include "WindowManagerUI.h"

namespace Veneer {

void CControlUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (name == nullptr || value == nullptr) return;
    using C = CControlUI;
    static constexpr TAttrRow<C> kRows[] = {
        {L"pos",
         [](C& c, const wchar_t* v) {
             const RECT rc = ReadRect(v);
             c.SetDeclaredOrigin(SIZE{rc.left, rc.top});
             c.SetDeclaredWidth(SaturateInt(int64_t{rc.right} - rc.left));
             c.SetDeclaredHeight(SaturateInt(int64_t{rc.bottom} - rc.top));
         }},
        {L"padding", [](C& c, const wchar_t* v) { c.SetPadding(ReadRect(v)); }},
        {L"bkcolor", [](C& c, const wchar_t* v) { c.SetBkColor(ReadHexColorAfterBlanks(v)); }},
        {L"bkcolor1", [](C& c, const wchar_t* v) { c.SetBkColor(ReadHexColorAfterBlanks(v)); }},
        {L"bkcolor2", [](C& c, const wchar_t* v) { c.SetBkColor2(ReadHexColorAfterBlanks(v)); }},
        {L"bkcolor3", [](C& c, const wchar_t* v) { c.SetBkColor3(ReadHexColorAfterBlanks(v)); }},
        {L"bordercolor", [](C& c, const wchar_t* v) { c.SetBorderColor(ReadHexColor(v)); }},
        {L"focusbordercolor",
         [](C& c, const wchar_t* v) { c.SetFocusBorderColor(ReadHexColor(v)); }},
        {L"colorhsl", [](C& c, const wchar_t* v) { c.SetColorHsl(ReadBool(v)); }},
        {L"bordersize",
         [](C& c, const wchar_t* v) {
             // A list sets the side widths; one number the uniform size, dropping the sides.
             if (wcschr(v, L',') != nullptr) {
                 c.SetBorderSizeRect(ReadRect(v));
             } else {
                 c.SetBorderSize(ReadInt(v));
                 c.m_sideBorders = RECT{0, 0, 0, 0};
             }
         }},
        {L"leftbordersize", [](C& c, const wchar_t* v) { c.SetLeftBorderSize(ReadInt(v)); }},
        {L"topbordersize", [](C& c, const wchar_t* v) { c.SetTopBorderSize(ReadInt(v)); }},
        {L"rightbordersize", [](C& c, const wchar_t* v) { c.SetRightBorderSize(ReadInt(v)); }},
        {L"bottombordersize", [](C& c, const wchar_t* v) { c.SetBottomBorderSize(ReadInt(v)); }},
        {L"borderstyle", [](C& c, const wchar_t* v) { c.SetBorderStyle(ReadInt(v)); }},
        {L"borderround",
         [](C& c, const wchar_t* v) {
             int round[2];
             ReadIntList(v, round, 2);
             c.SetBorderRound(SIZE{round[0], round[1]});
         }},
        {L"bkimage", [](C& c, const wchar_t* v) { c.SetBkImage(v); }},
        {L"width", [](C& c, const wchar_t* v) { c.SetDeclaredWidth(ReadInt(v)); }},
        {L"height", [](C& c, const wchar_t* v) { c.SetDeclaredHeight(ReadInt(v)); }},
        {L"minwidth", [](C& c, const wchar_t* v) { c.SetMinWidth(ReadInt(v)); }},
        {L"minheight", [](C& c, const wchar_t* v) { c.SetMinHeight(ReadInt(v)); }},
        {L"maxwidth", [](C& c, const wchar_t* v) { c.SetMaxWidth(ReadInt(v)); }},
        {L"maxheight", [](C& c, const wchar_t* v) { c.SetMaxHeight(ReadInt(v)); }},
        {L"name", [](C& c, const wchar_t* v) { c.SetName(v); }},
        {L"text", [](C& c, const wchar_t* v) { c.SetText(v); }},
        {L"tooltip", [](C& c, const wchar_t* v) { c.SetToolTip(v); }},
        {L"userdata", [](C& c, const wchar_t* v) { c.SetUserData(v); }},
        {L"enabled", [](C& c, const wchar_t* v) { c.SetEnabled(ReadBool(v)); }},
        {L"mouse", [](C& c, const wchar_t* v) { c.SetMouseEnabled(ReadBool(v)); }},
        {L"keyboard", [](C& c, const wchar_t* v) { c.SetKeyboardEnabled(ReadBool(v)); }},
        {L"visible", [](C& c, const wchar_t* v) { c.SetVisible(ReadBool(v)); }},
        {L"float",
         [](C& c, const wchar_t* v) {
             // A list gives the shares of the parent's size and makes the control float.
             if (wcschr(v, L',') != nullptr) {
                 double s[4];
                 ReadDoubleList(v, s, 4);
                 c.SetFloatShares(s[0], s[1], s[2], s[3]);
                 c.SetFloat(true);
             } else {
                 c.SetFloat(ReadBool(v));
             }
         }},
        {L"shortcut", [](C& c, const wchar_t* v) { c.SetShortcut(v[0]); }},
        {L"menu", [](C& c, const wchar_t* v) { c.SetMenuEnabled(ReadBool(v)); }},
        {L"virtualwnd", [](C& c, const wchar_t* v) { c.SetVirtualWindowName(v); }},
    };
    // Names no control knows are ignored: layouts carry attributes for controls not built.
    ApplyAttrRow(kRows, *this, name, value);
}

void CControlUI::ApplyAttributeString(const wchar_t* text) {
    if (text == nullptr) return;
    const wchar_t* p = text;
    while (*p != L'\0') {
        const wchar_t* nameStart = p;
        while (*p != L'\0' && *p != L'=') ++p;
        if (*p != L'=') return;
        CUIString name(nameStart, static_cast<int>(p - nameStart));
        ++p;
        if (*p != L'"') return;
        ++p;
        const wchar_t* valueStart = p;
        while (*p != L'\0' && *p != L'"') ++p;
        if (*p != L'"') return;
        CUIString value(valueStart, static_cast<int>(p - valueStart));
        ApplyAttribute(name.GetData(), value.GetData());
        ++p;
        if (*p != L' ' || p[1] == L'\0') return;
        ++p;
    }
}

void CControlUI::SetBkColor(uint32_t color) {
    if (m_bkColor1 == color) return;
    m_bkColor1 = color;
    Invalidate();
}

void CControlUI::SetBkColor2(uint32_t color) {
    if (m_bkColor2 == color) return;
    m_bkColor2 = color;
    Invalidate();
}

void CControlUI::SetBkColor3(uint32_t color) {
    if (m_bkColor3 == color) return;
    m_bkColor3 = color;
    Invalidate();
}

void CControlUI::SetBorderColor(uint32_t color) {
    if (m_borderColor == color) return;
    m_borderColor = color;
    Invalidate();
}

void CControlUI::SetFocusBorderColor(uint32_t color) {
    if (m_focusBorderColor == color) return;
    m_focusBorderColor = color;
    Invalidate();
}

void CControlUI::SetColorHsl(bool on) {
    if (m_colorHsl == on) return;
    m_colorHsl = on;
    Invalidate();
}

void CControlUI::SetBorderSize(int size) {
    if (m_borderSize == size) return;
    m_borderSize = size;
    Invalidate();
}

void CControlUI::SetBorderSizeRect(RECT sides) {
    m_sideBorders = sides;
    Invalidate();
}

void CControlUI::SetLeftBorderSize(int size) {
    m_sideBorders.left = size;
    Invalidate();
}

void CControlUI::SetTopBorderSize(int size) {
    m_sideBorders.top = size;
    Invalidate();
}

void CControlUI::SetRightBorderSize(int size) {
    m_sideBorders.right = size;
    Invalidate();
}

void CControlUI::SetBottomBorderSize(int size) {
    m_sideBorders.bottom = size;
    Invalidate();
}

void CControlUI::SetBorderStyle(int style) {
    m_borderStyle = style;
    Invalidate();
}

void CControlUI::SetBorderRound(SIZE round) {
    m_borderRound = round;
    Invalidate();
}

bool CControlUI::ResetImageRecord(TImageDrawInfo& info, const wchar_t* description) {
    if (description == nullptr) description = L"";
    if (info.description == description && info.image != nullptr) return false;
    info.Clear();
    info.description = description;
    return true;
}

bool CControlUI::ReloadImageRecord(TImageDrawInfo& info, const wchar_t* description,
                                   CWindowManagerUI* manager, const RECT& item) {
    if (!ResetImageRecord(info, description)) return false;
    // Without a manager there is no image cache yet; the first paint loads the image instead
    // of this early load marking the record as a failed attempt.
    if (manager) CRenderer::DrawImageDescriptor(nullptr, manager, item, item, info);
    return true;
}

void CControlUI::SetBkImage(const wchar_t* description) {
    if (!ReloadImageRecord(m_bkImage, description, m_manager, m_rcItem)) return;
    if (m_float && m_declaredWidth == 0 && m_declaredHeight == 0 && m_bkImage.image) {
        m_declaredWidth = m_bkImage.image->width;
        m_declaredHeight = m_bkImage.image->height;
    }
    Invalidate();
}

void CControlUI::SetForeImage(const wchar_t* description) {
    if (!ReloadImageRecord(m_foreImage, description, m_manager, m_rcItem)) return;
    Invalidate();
}

bool CControlUI::DrawImage(HDC dc, TImageDrawInfo& info) {
    return CRenderer::DrawImageDescriptor(dc, m_manager, m_rcItem, m_rcPaint, info);
}

}  // namespace Veneer
