// Driving the updater from outside: its process, its windows and input posted to them.
#pragma once
#include <windows.h>

#include <string>

namespace updatertest {

struct Proc {
    HANDLE process = nullptr;
    DWORD pid = 0;
    Proc() = default;
    Proc(const Proc&) = delete;
    Proc& operator=(const Proc&) = delete;
    ~Proc();
    // The exit code, or STILL_ACTIVE when the process has not ended within ms.
    DWORD Wait(DWORD ms);
};

bool Start(Proc& p, const std::wstring& exe, const std::wstring& args);

// A top-level window of the class that belongs to the process, waited for up to ms.
HWND WaitWindow(const wchar_t* cls, DWORD pid, DWORD ms, bool visibleOnly = true);

void Click(HWND h, int x, int y);
void Key(HWND h, WPARAM vk);

}  // namespace updatertest
