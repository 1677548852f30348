#include "ModuleDir.h"

#include <windows.h>

std::wstring GetModulePath() {
    // Grow the buffer until the whole path fits: a cut path would name another folder.
    std::wstring buf(1024, L'\0');
    while (buf.size() <= 32768) {
        const DWORD n = GetModuleFileNameW(nullptr, &buf[0], static_cast<DWORD>(buf.size()));
        if (n == 0) return std::wstring();
        if (n < buf.size()) {
            buf.resize(n);
            return buf;
        }
        buf.resize(buf.size() * 2);
    }
    return std::wstring();
}

std::wstring GetModuleDir() {
    const std::wstring path = GetModulePath();
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}
