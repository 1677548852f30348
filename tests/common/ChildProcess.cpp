#include "ChildProcess.h"

#include <atomic>

#include "TestUtil.h"

namespace testutil {

ChildProcess::~ChildProcess() {
    if (process_ == nullptr) return;
    if (Running()) {
        TerminateProcess(process_, 99);
        WaitForSingleObject(process_, 5000);
    }
    CloseHandle(process_);
}

bool ChildProcess::Start(const std::wstring& exe, const std::wstring& args) {
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    std::wstring cmd = L"\"" + exe + L"\"";
    if (!args.empty()) cmd += L" " + args;
    if (!CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    pid_ = pi.dwProcessId;
    return true;
}

bool ChildProcess::Running() const { return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

bool ChildProcess::WaitExit(DWORD ms, DWORD* exitCode) {
    if (process_ == nullptr || WaitForSingleObject(process_, ms) != WAIT_OBJECT_0) return false;
    if (exitCode != nullptr) GetExitCodeProcess(process_, exitCode);
    return true;
}

bool WaitForFile(const std::wstring& path, DWORD ms) {
    return WaitUntil(
        [&path] {
            WIN32_FILE_ATTRIBUTE_DATA data;
            return GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) &&
                   (data.nFileSizeLow != 0 || data.nFileSizeHigh != 0);
        },
        ms);
}

std::wstring UniqueName(const wchar_t* stem) {
    static std::atomic<unsigned> counter{0};
    return std::wstring(stem) + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++counter);
}

std::wstring FromUnixPath(const std::wstring& unixPath) {
    std::wstring out = L"Z:" + unixPath;
    for (wchar_t& c : out)
        if (c == L'/') c = L'\\';
    return out;
}

}  // namespace testutil
