#include "Launcher.h"

#include "ClientProcess.h"
#include "Handles.h"
#include "LogMessage.h"
#include "UpdateFiles.h"
#include "UrlScheme.h"

#include <shellapi.h>

#include <boost/filesystem/path.hpp>

#include <cwchar>
#include <vector>

namespace {

const wchar_t kForceRun[] = L"forcerun:";
const wchar_t kScheme[] = L"nembrisk://";
const wchar_t kClientPipe[] = L"\\\\.\\Pipe\\PEVLIB_lumora";
const int kPipeMessageSize = 10240;

bool CtrlAndAltDown() { return (GetAsyncKeyState(VK_CONTROL) & 0x8000) && (GetAsyncKeyState(VK_MENU) & 0x8000); }

// Makes the launcher's folder the current directory, where the update is applied; empty when the
// folder is unknown, so nothing is applied to whichever folder happens to be current.
std::wstring EnterLauncherFolder(HINSTANCE instance) {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(instance, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return std::wstring();
    const std::wstring folder = boost::filesystem::path(std::wstring(path, n)).parent_path().wstring();
    if (folder.empty() || !SetCurrentDirectoryW(folder.c_str())) return std::wstring();
    return folder;
}

}  // namespace

std::wstring ComposeClientParams(const std::wstring& params, bool ctrlAndAltDown) {
    return ctrlAndAltDown ? params + L" IsAdmin" : params;
}

bool IsSafeUrlRemainder(const std::wstring& remainder) {
    for (size_t i = 0; i < remainder.size(); ++i) {
        const wchar_t c = remainder[i];
        if (c < 0x20 || c == 0x7F) return false;
        if (c == L'"' && i + 1 != remainder.size()) return false;
    }
    return true;
}

bool HandUrlToClient(const std::wstring& remainder) {
    lumora::UniqueHandle pipe(CreateFileW(kClientPipe, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!pipe.valid()) return false;
    std::vector<char> message(kPipeMessageSize, '\0');
    const int bytes =
        WideCharToMultiByte(CP_ACP, 0, remainder.c_str(), -1, message.data(), kPipeMessageSize, nullptr, nullptr);
    if (bytes <= 0) {
        CPPLOG_INFO << "URL too long for the client's pipe";
        return false;
    }
    DWORD written = 0;
    if (!WriteFile(pipe.get(), message.data(), static_cast<DWORD>(bytes), &written, nullptr) ||
        written != static_cast<DWORD>(bytes)) {
        CPPLOG_INFO << "URL not written whole to the client's pipe";
        return false;
    }
    return true;
}

int RunLauncher(HINSTANCE instance, const wchar_t* commandLine) {
    std::wstring cmd = commandLine ? commandLine : L"";
    const size_t forceRunLength = wcslen(kForceRun);
    bool forcerun = false;
    if (cmd.compare(0, forceRunLength, kForceRun) == 0) {
        cmd.erase(0, forceRunLength);
        forcerun = true;
    }
    const bool proceed = CheckRunningClient(forcerun);
    const size_t pos = cmd.find(kScheme);
    const size_t schemeLength = wcslen(kScheme);

    if (proceed) {
        WriteRegFun();
        const std::wstring folder = EnterLauncherFolder(instance);
        std::wstring params = pos == std::wstring::npos ? cmd : cmd.substr(pos + schemeLength);
        if (pos != std::wstring::npos && !IsSafeUrlRemainder(params)) {
            cpplog::WriteWideToLog(CPPLOG_INFO << "URL parameters refused: ", params.c_str());
            params.clear();
        }
        cpplog::WriteWideToLog(CPPLOG_INFO << "class path: ", kClientImage);
        cpplog::WriteWideToLog(CPPLOG_INFO << "par: ", params.c_str());
        if (!folder.empty()) {
            CleanTempFiles();
            ApplyUpdateZip();
        } else {
            CPPLOG_INFO << "launcher folder unknown, update not applied";
        }
        params = ComposeClientParams(params, CtrlAndAltDown());
        // By its full path: a "lumora.exe" found elsewhere on the search path must not run elevated.
        const std::wstring client = folder.empty() ? std::wstring(kClientImage) : folder + L"\\" + kClientImage;
        ShellExecuteW(nullptr, L"open", client.c_str(), params.c_str(), nullptr, SW_SHOW);
        return 0;
    }
    if (pos == std::wstring::npos) return 0;
    // The pipe carries the remainder as one text, never parsed as arguments: quotes and control
    // characters pass unchanged, unlike on the command line above.
    return HandUrlToClient(cmd.substr(pos + schemeLength)) ? 0 : 1;
}
