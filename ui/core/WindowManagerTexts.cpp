// The window manager's texts: default attribute lists per control element, and the
// process-wide multi-language texts with the expansion of their tokens.
#include "WindowManagerUI.h"

#include <cstdlib>
#include <cwchar>

#include "WindowManagerState.h"

namespace Veneer {

using namespace manager_detail;

void CWindowManagerUI::AddClassDefaults(const wchar_t* elementName, const wchar_t* attributes,
                                        bool shared) {
    if (elementName == nullptr) return;
    CUIStringMap& map = shared ? State().shared.classDefaults : m_resources.classDefaults;
    auto* text = new CUIString(attributes);
    delete static_cast<CUIString*>(map.Set(elementName, text));
}

const wchar_t* CWindowManagerUI::GetClassDefaults(const wchar_t* elementName) {
    if (elementName == nullptr) return nullptr;
    auto* text = static_cast<CUIString*>(m_resources.classDefaults.Find(elementName, true));
    if (text == nullptr)
        text = static_cast<CUIString*>(State().shared.classDefaults.Find(elementName, true));
    return text ? text->GetData() : nullptr;
}

void CWindowManagerUI::RemoveAllClassDefaults(bool shared) {
    ClearMap<CUIString>(shared ? State().shared.classDefaults : m_resources.classDefaults,
                        [](CUIString* text) { delete text; });
}

void CWindowManagerUI::AddLanguageText(int id, const wchar_t* text) {
    CUIString key = DecimalKey(id);
    delete static_cast<CUIString*>(State().shared.languageTexts.Set(key.GetData(), new CUIString(text)));
}

const wchar_t* CWindowManagerUI::GetLanguageText(int id) {
    CUIString key = DecimalKey(id);
    auto* text = static_cast<CUIString*>(State().shared.languageTexts.Find(key.GetData(), true));
    return text ? text->GetData() : nullptr;
}

void CWindowManagerUI::ExpandLanguageTokens(CUIString& text) {
    const wchar_t* src = text.GetData();
    if (wcschr(src, L'%') == nullptr) return;
    // One pass over the original text: a language text that itself holds a token is inserted
    // as it stands and never scanned again, so no text can make the string grow without end.
    CUIString out;
    const wchar_t* p = src;
    const wchar_t* copied = src;
    while ((p = wcschr(p, L'%')) != nullptr) {
        const wchar_t* q = p + 1;
        if (*q != L'{') {
            p = q;
            continue;
        }
        ++q;
        const wchar_t* digits = q;
        while (*q >= L'0' && *q <= L'9') ++q;
        if (*q != L'}') {
            p = p + 1;
            continue;
        }
        int id = static_cast<int>(wcstol(digits, nullptr, 10));
        const wchar_t* value = GetLanguageText(id);
        if (value == nullptr) {
            p = p + 1;
            continue;
        }
        out.Append(CUIString(copied, static_cast<int>(p - copied)).GetData());
        out.Append(value);
        p = q + 1;
        copied = p;
    }
    if (copied == src) return;
    out.Append(copied);
    text = out;
}

}  // namespace Veneer
