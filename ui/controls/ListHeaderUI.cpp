#include "ListHeaderUI.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>

#include "LayoutMath.h"
#include "WindowManagerUI.h"

namespace Veneer {

const wchar_t* CListHeaderUI::GetTypeName() const { return L"ListHeaderUI"; }

void* CListHeaderUI::QueryPart(const wchar_t* name) {
    if (name && wcscmp(name, L"ListHeader") == 0) return this;
    return CHorizontalLayoutUI::QueryPart(name);
}

SIZE CListHeaderUI::MeasureSize(SIZE available) {
    int64_t height = m_declaredHeight;
    if (height == 0 && m_manager) {
        // Never lower than one line of the window's font, however small the items say they are.
        TFontRecord* font = m_manager->GetDefaultFontRecord();
        height = (font ? font->metrics.tmHeight : 0) + 6;
        for (int i = 0; i < m_items.GetSize(); ++i)
            height = std::max<int64_t>(
                height, static_cast<CControlUI*>(m_items[i])->MeasureSize(available).cy);
    }
    // Hidden items count too: the columns keep their room while the header is hidden.
    int64_t width = 0;
    for (int i = 0; i < m_items.GetSize(); ++i)
        width += static_cast<CControlUI*>(m_items[i])->MeasureSize(available).cx;
    return SIZE{SaturateInt(width), SaturateInt(height)};
}

}  // namespace Veneer
