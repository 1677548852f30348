// Runs the updater's application object with the job on its command line, in a process of its
// own, allowing the download thread only a short wait at the end. Half a second after its
// progress window shows, the window is closed, while the download thread sleeps out the pause
// after a failed attempt. Ends with 3 after printing "run returned" only if Run comes back.
#include <windows.h>

#include <cstdio>
#include <thread>

#include "UpdaterApp.h"

namespace {

// This process's shown progress window, or null.
HWND OwnProgressWindow() {
    HWND w = nullptr;
    while ((w = FindWindowExW(nullptr, w, L"kesh_updater_wnd_class_name", nullptr)) != nullptr) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == GetCurrentProcessId() && IsWindowVisible(w)) return w;
    }
    return nullptr;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    std::thread closer([] {
        for (int i = 0; i < 300; ++i, Sleep(100)) {
            if (HWND w = OwnProgressWindow()) {
                Sleep(500);
                PostMessageW(w, WM_CLOSE, 0, 0);
                return;
            }
        }
    });
    closer.detach();

    CUpdaterApp app;
    app.instance = GetModuleHandleW(nullptr);
    app.downloadStopWaitMs = 200;
    app.Run(argv[1]);
    std::printf("run returned\n");
    std::fflush(stdout);
    app.Exit();
    return 3;
}
