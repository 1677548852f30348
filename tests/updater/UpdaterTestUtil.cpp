#include "UpdaterTestUtil.h"

namespace updatertest {

namespace {
struct FindData {
    const wchar_t* cls;
    DWORD pid;
    HWND found;
};
}  // namespace

Proc::~Proc() {
    if (process != nullptr) {
        if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) TerminateProcess(process, 99);
        CloseHandle(process);
    }
}

DWORD Proc::Wait(DWORD ms) {
    if (WaitForSingleObject(process, ms) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    return code;
}

bool Start(Proc& p, const std::wstring& exe, const std::wstring& args) {
    std::wstring cmd = L"\"" + exe + L"\" " + args;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    CloseHandle(pi.hThread);
    p.process = pi.hProcess;
    p.pid = pi.dwProcessId;
    return true;
}

HWND WaitWindow(const wchar_t* cls, DWORD pid, DWORD ms, bool visibleOnly) {
    const DWORD t0 = GetTickCount();
    do {
        FindData d{cls, pid, nullptr};
        EnumWindows(
            [](HWND h, LPARAM l) -> BOOL {
                FindData* d = reinterpret_cast<FindData*>(l);
                wchar_t name[128] = {};
                GetClassNameW(h, name, 128);
                DWORD owner = 0;
                GetWindowThreadProcessId(h, &owner);
                if (owner == d->pid && wcscmp(name, d->cls) == 0) {
                    d->found = h;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&d));
        if (d.found != nullptr && (!visibleOnly || IsWindowVisible(d.found))) return d.found;
        Sleep(50);
    } while (GetTickCount() - t0 < ms);
    return nullptr;
}

void Click(HWND h, int x, int y) {
    const LPARAM at = MAKELPARAM(x, y);
    PostMessageW(h, WM_MOUSEMOVE, 0, at);
    PostMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(h, WM_LBUTTONUP, 0, at);
}

void Key(HWND h, WPARAM vk) { PostMessageW(h, WM_KEYDOWN, vk, 0); }

}  // namespace updatertest
