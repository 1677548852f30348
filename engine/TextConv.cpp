#include "TextConv.h"

#include <windows.h>

#include <climits>

bool MbcsToWide936(const char* text, wchar_t* out, size_t capacity) {
    if (text == nullptr || out == nullptr || capacity == 0) return false;
    out[0] = L'\0';
    const int need = MultiByteToWideChar(936, 0, text, -1, nullptr, 0);
    if (need <= 0 || static_cast<size_t>(need) > capacity) return false;
    if (MultiByteToWideChar(936, 0, text, -1, out, need) != need) {
        out[0] = L'\0';
        return false;
    }
    return out[0] != L'\0';
}

bool Utf8ToAnsi(const char* text, char out[512]) {
    if (text == nullptr) return false;
    out[0] = '\0';
    const std::wstring wide = kesh::CodePageToWide(text, CP_UTF8);
    if (wide.empty()) return false;
    const UINT codePage = kesh::NarrowCodePage();
    const int need = WideCharToMultiByte(codePage, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    // A value that does not fit is refused whole rather than cut: a cut name would silently
    // point at another process, program or pipe.
    if (need <= 0 || need > 512) return false;
    if (WideCharToMultiByte(codePage, 0, wide.c_str(), -1, out, need, nullptr, nullptr) != need) {
        out[0] = '\0';
        return false;
    }
    return out[0] != '\0';
}

namespace kesh {

std::string WideToCodePage(const std::wstring& text, unsigned codePage) {
    if (text.empty() || text.size() > INT_MAX) return std::string();
    const int len = static_cast<int>(text.size());
    const int need = WideCharToMultiByte(codePage, 0, text.data(), len, nullptr, 0, nullptr, nullptr);
    if (need <= 0) return std::string();
    std::string out(static_cast<size_t>(need), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), len, &out[0], need, nullptr, nullptr);
    return out;
}

std::wstring CodePageToWide(const std::string& text, unsigned codePage) {
    if (text.empty() || text.size() > INT_MAX) return std::wstring();
    const int len = static_cast<int>(text.size());
    const int need = MultiByteToWideChar(codePage, 0, text.data(), len, nullptr, 0);
    if (need <= 0) return std::wstring();
    std::wstring out(static_cast<size_t>(need), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), len, &out[0], need);
    return out;
}

unsigned NarrowCodePage() { return CP_ACP; }

std::wstring StringToWString(const std::string& text) { return CodePageToWide(text, NarrowCodePage()); }

std::string WStringToString(const std::wstring& text) { return WideToCodePage(text, NarrowCodePage()); }

}  // namespace kesh
