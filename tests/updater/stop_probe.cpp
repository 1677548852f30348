// Runs the updater's application object on the job of its command line, allowing the download
// thread only a short wait at the end. Its progress window is closed half a second after it
// shows, while the download thread sleeps out the pause after a failed attempt. Prints
// "run returned" and ends with 3 only if Run comes back.
#include <windows.h>

#include <cstdio>
#include <thread>

#include "UpdaterApp.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    std::thread([] {
        for (int i = 0; i < 300; ++i, Sleep(100)) {
            HWND w = FindWindowW(L"kesh_updater_wnd_class_name", nullptr);
            if (w != nullptr && IsWindowVisible(w)) {
                Sleep(500);
                PostMessageW(w, WM_CLOSE, 0, 0);
                return;
            }
        }
    }).detach();
    CUpdaterApp app;
    app.instance = GetModuleHandleW(nullptr);
    app.downloadStopWaitMs = 200;
    app.Run(argv[1]);
    std::printf("run returned\n");
    std::fflush(stdout);
    return 3;
}
