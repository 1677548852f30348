#include "UpdaterTestUtil.h"

#include "TestUtil.h"

namespace updatertest {

namespace {
struct FindData {
    const wchar_t* cls;
    DWORD pid;
    HWND found;
};
}  // namespace

DWORD ExitCode(Proc& p, DWORD ms) {
    DWORD code = STILL_ACTIVE;
    return p.WaitExit(ms, &code) ? code : STILL_ACTIVE;
}

HWND WaitWindow(const wchar_t* cls, DWORD pid, DWORD ms, bool visibleOnly) {
    HWND found = nullptr;
    const bool seen = testutil::WaitUntil(
        [&] {
            FindData d{cls, pid, nullptr};
            EnumWindows(
                [](HWND h, LPARAM l) WINAPI -> BOOL {
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
            found = d.found;
            return found != nullptr && (!visibleOnly || IsWindowVisible(found));
        },
        ms);
    return seen ? found : nullptr;
}

void Click(HWND h, int x, int y) {
    const LPARAM at = MAKELPARAM(x, y);
    PostMessageW(h, WM_MOUSEMOVE, 0, at);
    PostMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(h, WM_LBUTTONUP, 0, at);
}

void Key(HWND h, WPARAM vk) { PostMessageW(h, WM_KEYDOWN, vk, 0); }

void AltF4(HWND h) {
    const LPARAM altDown = static_cast<LPARAM>(KF_ALTDOWN) << 16;
    PostMessageW(h, WM_SYSKEYDOWN, VK_F4, altDown | 1);
    PostMessageW(h, WM_SYSKEYUP, VK_F4, altDown | 1 | (static_cast<LPARAM>(KF_REPEAT | KF_UP) << 16));
}

bool Drain(HWND h, DWORD ms) {
    const auto seen = [h, ms](bool iconic) {
        return testutil::WaitUntil([h, iconic] { return !IsWindow(h) || (IsIconic(h) != FALSE) == iconic; }, ms) &&
               IsWindow(h);
    };
    PostMessageW(h, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    if (!seen(true)) return false;
    PostMessageW(h, WM_SYSCOMMAND, SC_RESTORE, 0);
    return seen(false);
}

bool WaitPainted(HWND h, DWORD ms) {
    return testutil::WaitUntil([h] { return testutil::IsPainted(h); }, ms);
}

}  // namespace updatertest
