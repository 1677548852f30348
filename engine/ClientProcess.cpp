#include "ClientProcess.h"

#include <tlhelp32.h>

#include <cstdio>
#include <cwchar>

#include "ConfigParser.h"
#include "Log.h"
#include "WinHandle.h"

namespace {

const DWORD kKillWaitMs = 3000;
const DWORD kKillPollMs = 100;
const UINT kClientExitCode = 9;
// The pipe's full name must fit this many characters (plus the terminator).
const size_t kMaxPipeName = 259;

bool SameImageName(const wchar_t* a, const std::wstring& b) {
    return CompareStringOrdinal(a, -1, b.c_str(), static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

DWORD FindProcess_ByName(const std::string& name) {
    // An empty name would otherwise compare equal to nothing useful and must never pick a process.
    const std::wstring wanted = kesh::StringToWString(name);
    if (wanted.empty()) return 0;

    kesh::UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) {
        LOG(ERROR) << "process32 first error, error[" << GetLastError() << "]";
        return 0;
    }
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    if (!Process32FirstW(snapshot.get(), &entry)) {
        LOG(ERROR) << "process32 first error, error[" << GetLastError() << "]";
        return 0;
    }
    do {
        if (SameImageName(entry.szExeFile, wanted)) return entry.th32ProcessID;
    } while (Process32NextW(snapshot.get(), &entry));
    return 0;
}

namespace kesh {

bool KillClient() {
    const std::string name = GetProgName();
    const DWORD pid = FindProcess_ByName(name);
    if (pid == 0) {
        LOG(INFO) << "air client is not running";
        return true;
    }
    {
        UniqueHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, pid));
        if (!process || !TerminateProcess(process.get(), kClientExitCode))
            return FindProcess_ByName(name) == 0;
    }
    const DWORD start = GetTickCount();
    for (;;) {
        if (GetTickCount() - start > kKillWaitMs) {
            LOG(INFO) << "kill air client failed.";
            return false;
        }
        Sleep(kKillPollMs);
        if (FindProcess_ByName(name) == 0) {
            LOG(INFO) << "kill air client success.";
            return true;
        }
    }
}

bool WritePipeBuf(const std::wstring& name, const std::wstring& text) {
    const std::wstring fullName = L"\\\\.\\Pipe\\" + name;
    LOG(INFO) << "pass message to the pipe. name[" << WStringToString(fullName) << "]";
    // A name that does not fit is refused whole rather than cut short. An empty name would open
    // the pipe folder itself, which takes a write and reaches nobody.
    if (name.empty() || fullName.size() > kMaxPipeName || fullName.find(L'\0') != std::wstring::npos) {
        LOG(INFO) << "pipe not exist.";
        return false;
    }
    UniqueFile pipe(CreateFileW(fullName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    // The name comes from the configuration: a "..\" in it could lead out of the pipe namespace to
    // a device or a file, which must not be written to.
    if (!pipe || GetFileType(pipe.get()) != FILE_TYPE_PIPE) {
        LOG(INFO) << "pipe not exist.";
        return false;
    }
    const std::string bytes = WStringToString(text);
    DWORD written = 0;
    WriteFile(pipe.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    return true;
}

std::wstring ClientPipeName() {
    std::string launchName;
    char name[260] = "";
    if (ConfigParser::Instance().GetValue("LaunchName", launchName))
        snprintf(name, sizeof(name), "LU_%s", launchName.c_str());
    return StringToWString(name);
}

}  // namespace kesh
