// The base control's layout attributes, colour and border setters and image records.
#include <cstdint>
#include <cwchar>

#include "AttrValue.h"
#include "ControlUI.h"
#include "LayoutMath.h"
#include "WindowManagerUI.h"

namespace Veneer {

namespace {

bool IsTrue(const wchar_t* value) { return wcscmp(value, L"true") == 0; }

int ReadInt(const wchar_t* value) { return static_cast<int>(wcstol(value, nullptr, 10)); }

// Background colours may carry blanks before them in hand-written layouts.
uint32_t ReadBkColor(const wchar_t* value) {
    while (*value != L'\0' && *value <= L' ') ++value;
    return ReadHexColor(value);
}

// Four decimal fractions separated by one character each; the scan stops at the end of the
// text so a short list never reads past it.
void ReadShares(const wchar_t* text, double shares[4]) {
    for (int i = 0; i < 4; ++i) shares[i] = 0.0;
    const wchar_t* p = text;
    for (int i = 0; i < 4 && *p != L'\0'; ++i) {
        wchar_t* end = nullptr;
        shares[i] = wcstod(p, &end);
        if (end == nullptr || *end == L'\0') break;
        p = end + 1;
    }
}

}  // namespace

void CControlUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (name == nullptr || value == nullptr) return;
    if (wcscmp(name, L"pos") == 0) {
        RECT rc = ReadRect(value);
        SetDeclaredOrigin(SIZE{rc.left, rc.top});
        SetDeclaredWidth(SaturateInt(int64_t{rc.right} - rc.left));
        SetDeclaredHeight(SaturateInt(int64_t{rc.bottom} - rc.top));
    } else if (wcscmp(name, L"padding") == 0) {
        SetPadding(ReadRect(value));
    } else if (wcscmp(name, L"bkcolor") == 0 || wcscmp(name, L"bkcolor1") == 0) {
        SetBkColor(ReadBkColor(value));
    } else if (wcscmp(name, L"bkcolor2") == 0) {
        SetBkColor2(ReadBkColor(value));
    } else if (wcscmp(name, L"bkcolor3") == 0) {
        SetBkColor3(ReadBkColor(value));
    } else if (wcscmp(name, L"bordercolor") == 0) {
        SetBorderColor(ReadHexColor(value));
    } else if (wcscmp(name, L"focusbordercolor") == 0) {
        SetFocusBorderColor(ReadHexColor(value));
    } else if (wcscmp(name, L"colorhsl") == 0) {
        SetColorHsl(IsTrue(value));
    } else if (wcscmp(name, L"bordersize") == 0) {
        if (wcschr(value, L',') != nullptr) {
            SetBorderSizeRect(ReadRect(value));
        } else {
            SetBorderSize(ReadInt(value));
            m_sideBorders = RECT{0, 0, 0, 0};
        }
    } else if (wcscmp(name, L"leftbordersize") == 0) {
        SetLeftBorderSize(ReadInt(value));
    } else if (wcscmp(name, L"topbordersize") == 0) {
        SetTopBorderSize(ReadInt(value));
    } else if (wcscmp(name, L"rightbordersize") == 0) {
        SetRightBorderSize(ReadInt(value));
    } else if (wcscmp(name, L"bottombordersize") == 0) {
        SetBottomBorderSize(ReadInt(value));
    } else if (wcscmp(name, L"borderstyle") == 0) {
        SetBorderStyle(ReadInt(value));
    } else if (wcscmp(name, L"borderround") == 0) {
        int v[2];
        ReadIntList(value, v, 2);
        SetBorderRound(SIZE{v[0], v[1]});
    } else if (wcscmp(name, L"bkimage") == 0) {
        SetBkImage(value);
    } else if (wcscmp(name, L"width") == 0) {
        SetDeclaredWidth(ReadInt(value));
    } else if (wcscmp(name, L"height") == 0) {
        SetDeclaredHeight(ReadInt(value));
    } else if (wcscmp(name, L"minwidth") == 0) {
        SetMinWidth(ReadInt(value));
    } else if (wcscmp(name, L"minheight") == 0) {
        SetMinHeight(ReadInt(value));
    } else if (wcscmp(name, L"maxwidth") == 0) {
        SetMaxWidth(ReadInt(value));
    } else if (wcscmp(name, L"maxheight") == 0) {
        SetMaxHeight(ReadInt(value));
    } else if (wcscmp(name, L"name") == 0) {
        SetName(value);
    } else if (wcscmp(name, L"text") == 0) {
        SetText(value);
    } else if (wcscmp(name, L"tooltip") == 0) {
        SetToolTip(value);
    } else if (wcscmp(name, L"userdata") == 0) {
        SetUserData(value);
    } else if (wcscmp(name, L"enabled") == 0) {
        SetEnabled(IsTrue(value));
    } else if (wcscmp(name, L"mouse") == 0) {
        SetMouseEnabled(IsTrue(value));
    } else if (wcscmp(name, L"keyboard") == 0) {
        SetKeyboardEnabled(IsTrue(value));
    } else if (wcscmp(name, L"visible") == 0) {
        SetVisible(IsTrue(value));
    } else if (wcscmp(name, L"float") == 0) {
        if (wcschr(value, L',') != nullptr) {
            double s[4];
            ReadShares(value, s);
            SetFloatShares(s[0], s[1], s[2], s[3]);
            SetFloat(true);
        } else {
            SetFloat(IsTrue(value));
        }
    } else if (wcscmp(name, L"shortcut") == 0) {
        SetShortcut(value[0]);
    } else if (wcscmp(name, L"menu") == 0) {
        SetMenuEnabled(IsTrue(value));
    } else if (wcscmp(name, L"virtualwnd") == 0) {
        SetVirtualWindowName(value);
    }
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

bool CControlUI::ReloadImageRecord(TImageDrawInfo& info, const wchar_t* description,
                                   CWindowManagerUI* manager, const RECT& item) {
    if (description == nullptr) description = L"";
    if (info.description == description && info.image != nullptr) return false;
    info.Clear();
    info.description = description;
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
