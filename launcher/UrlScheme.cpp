#include "UrlScheme.h"

#include "Handles.h"
#include "LogMessage.h"

#include <windows.h>

#include <cstdio>

void WriteRegFun() {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (n == 0) {
        std::printf("GetModuleFileName failed w/err 0x%08lx\n", GetLastError());
        return;
    }
    // Quotes, a blank and "%1" take 7 characters and the terminator one: a longer path would be
    // registered cut short, starting some other program.
    if (n >= MAX_PATH || n + 8 > MAX_PATH) {
        CPPLOG_INFO << "launcher path too long, URL scheme not registered";
        return;
    }
    lumora::UniqueRegKey key;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, L"nembrisk\\shell\\open\\command", 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, key.put(), nullptr) != ERROR_SUCCESS)
        return;
    wchar_t command[MAX_PATH] = {};
    wsprintfW(command, L"\"%s\" \"%%1\"", path);
    if (RegSetValueExW(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command), sizeof(command)) !=
        ERROR_SUCCESS) {
        CPPLOG_INFO << "set reg failure: ";
    }
}
