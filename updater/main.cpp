// toluUpdater: started by the client with one update job on its command line.
#include <winsock2.h>
#include <windows.h>
#include <objbase.h>

#include <cstdlib>

#include "Log.h"
#include "UpdaterApp.h"
#include "UpdaterLog.h"

namespace {

const wchar_t kRunMutex[] = L"WEMQ_AutoUpdate";
const wchar_t kInstanceMutex[] = L"{5E2D9A14-7C3B-4F61-A8D0-93B6E1C47F2A}";

// Ends the process after the application object has stopped its threads. A pipe server that
// could not be woken still runs: the process then ends at once, without destructors running
// beside it.
int Finish(CUpdaterApp& app, int code) {
    if (!app.Exit()) {
        el::Loggers::flushAll();
        ExitProcess(static_cast<UINT>(code));
    }
    return code;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR cmdLine, int) {
    InitLogger();
    if (FAILED(CoInitialize(nullptr))) return -1;

    CUpdaterApp app;
    app.instance = instance;

    // Held until the process ends: a second updater started meanwhile waits for this one.
    HANDLE runMutex = CreateMutexW(nullptr, FALSE, kRunMutex);
    if (WaitForSingleObject(runMutex, 10000) == WAIT_TIMEOUT) return Finish(app, -1);

    app.instanceMutex.reset(OpenMutexW(MUTEX_ALL_ACCESS, FALSE, kInstanceMutex));
    if (app.instanceMutex) return Finish(app, -1);
    app.instanceMutex.reset(CreateMutexW(nullptr, TRUE, kInstanceMutex));

    if (__argc <= 1) return Finish(app, -1);

    app.Run(cmdLine);
    CoUninitialize();
    return Finish(app, 0);
}
