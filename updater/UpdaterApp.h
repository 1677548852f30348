// The updater's application object: runs one update job on the UI thread and serves the
// updater's own pipe ("\\.\Pipe\CU_" + "CacheName") on a second thread, where the client may
// send a new page-call parameter.
#pragma once
#include <windows.h>

#include <atomic>
#include <string>

#include "WinHandle.h"

class CUpdaterApp {
public:
    // Runs the whole job; always true.
    bool Run(const wchar_t* cmdLine);

    // Closes the single-instance mutex and stops the pipe server. False when the server could
    // not be woken (a writer holds the only pipe instance without writing); the caller must then
    // end the process without running destructors beside that thread.
    bool Exit();

    // Starts the pipe server thread (the first step of Run).
    bool StartPipeServer();

    static DWORD WINAPI ReadPipeThread(LPVOID app);
    bool ReadPipeThreadImpl();

    // One instance of the server's pipe (the only one at a time); INVALID_HANDLE_VALUE on failure.
    static HANDLE CreateInstance();
    // Waits on the instance for one writer and takes its text as the page-call parameter. False
    // when the server is to stop.
    bool ServeInstance(HANDLE instance);

    // "\\.\Pipe\CU_" + the configured "CacheName", built anew each time.
    static std::wstring PipeName();

    kesh::UniqueHandle instanceMutex;
    HINSTANCE instance = nullptr;
    // Kept open when Exit gives up on the server, so the caller can still wait for it.
    kesh::UniqueHandle readerThread;
    std::atomic<bool> stop{false};
    kesh::UniqueFile pipe;  // the server's current instance

    // How often Exit calls the pipe (at most once a second) before it gives up on a stuck server.
    int exitWakeTries = 5;
    // How long a download still running at the end may take to stop.
    DWORD downloadStopWaitMs = 10000;
};
