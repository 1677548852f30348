#include "ClientProcess.h"

#include "Handles.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cstring>
#include <vector>

using lumora::UniqueHandle;
using lumora::UniqueRegKey;

const wchar_t kClientImage[] = L"lumora.exe";

namespace {

const size_t kMaxKilled = 1024;
// The stopped client's files are replaced right after; its handles must be gone by then, but a
// process that will not die must not keep the launcher from starting the client.
const DWORD kKillWaitMs = 10000;

}  // namespace

std::wstring ClientProductName() {
    const std::wstring image = kClientImage;
    return image.substr(0, image.size() - 4);
}

bool IsChineseUi() {
    UniqueRegKey key;
    const std::wstring path = L"SOFTWARE\\" + ClientProductName() + L"\\Language";
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) return true;
    // One byte more than is offered, so the text is always terminated.
    char value[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH;
    if (RegQueryValueExA(key.get(), nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS)
        return true;
    if (std::strcmp(value, "zh-CN") == 0) return true;
    return std::strcmp(value, "en-US") != 0;
}

void KillProcessesByName(std::wstring name) {
    std::vector<UniqueHandle> found;
    {
        UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
        if (!snapshot.valid()) return;
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof(entry);
        for (BOOL ok = Process32FirstW(snapshot.get(), &entry); ok && found.size() < kMaxKilled;
             ok = Process32NextW(snapshot.get(), &entry)) {
            if (name != entry.szExeFile) continue;
            UniqueHandle process(OpenProcess(PROCESS_ALL_ACCESS, FALSE, entry.th32ProcessID));
            if (process.valid()) found.push_back(std::move(process));
        }
    }
    for (const UniqueHandle& process : found) TerminateProcess(process.get(), 0);
    const ULONGLONG deadline = GetTickCount64() + kKillWaitMs;
    for (const UniqueHandle& process : found) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) break;
        WaitForSingleObject(process.get(), static_cast<DWORD>(deadline - now));
    }
}

bool CheckRunningClient(bool forcerun) {
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.valid()) {
        KillProcessesByName(kClientImage);
        return true;
    }
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    bool running = false;
    for (BOOL ok = Process32FirstW(snapshot.get(), &entry); ok; ok = Process32NextW(snapshot.get(), &entry)) {
        if (std::wcscmp(entry.szExeFile, kClientImage) == 0) {
            running = true;
            break;
        }
    }
    if (!running) return true;
    if (!forcerun) {
        const bool chinese = IsChineseUi();
        const wchar_t* text = chinese ? L"检测到程序正在运行，是否重新打开!"
                                      : L"Another program is already in progress, start new one?";
        const wchar_t* caption = chinese ? L"提示" : L"Prompt";
        if (MessageBoxW(nullptr, text, caption, MB_OKCANCEL) != IDOK) return false;
    }
    snapshot.reset();
    KillProcessesByName(kClientImage);
    return true;
}
