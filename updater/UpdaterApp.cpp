#include "UpdaterApp.h"

#include "ConfigParser.h"
#include "Downloader.h"
#include "Log.h"
#include "TextConv.h"
#include "ZipDwCfg.h"
#include "ClientProcess.h"
#include "ControlRegistry.h"
#include "TipsBoxWnd.h"
#include "UpdaterWnd.h"
#include "WindowManagerUI.h"

namespace {

const DWORD kPipeBufferSize = 10240;

}  // namespace

std::wstring CUpdaterApp::PipeName() {
    std::string cacheName;
    ConfigParser::Instance().GetValue("CacheName", cacheName);
    wchar_t wide[512];
    if (!MbcsToWide936(cacheName.c_str(), wide, 512)) wide[0] = L'\0';
    return std::wstring(L"\\\\.\\Pipe\\CU_") + wide;
}

bool CUpdaterApp::StartPipeServer() {
    stop = false;
    readerThread.reset(CreateThread(nullptr, 0, &CUpdaterApp::ReadPipeThread, this, 0, nullptr));
    return static_cast<bool>(readerThread);
}

DWORD WINAPI CUpdaterApp::ReadPipeThread(LPVOID app) {
    static_cast<CUpdaterApp*>(app)->ReadPipeThreadImpl();
    return 0;
}

HANDLE CUpdaterApp::CreateInstance() {
    return CreateNamedPipeW(PipeName().c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1,
                            0, 0, 1000, nullptr);
}

bool CUpdaterApp::ServeInstance(HANDLE instance) {
    // A writer that connected before this wait began is as connected as one that comes during
    // it: its text is read the same way.
    if (!ConnectNamedPipe(instance, nullptr) && GetLastError() != ERROR_PIPE_CONNECTED) return true;
    if (stop) return false;

    char buffer[kPipeBufferSize] = {};
    DWORD got = 0;
    if (!ReadFile(instance, buffer, kPipeBufferSize, &got, nullptr)) return true;
    // The text ends at its first NUL or at the bytes read, whichever comes first (a full
    // buffer has no NUL of its own).
    const std::string text(buffer, strnlen(buffer, got));
    LOG(INFO) << "read pipe buffer: " << text;
    if (!text.empty()) SetPageCallParam(text);
    return true;
}

bool CUpdaterApp::ReadPipeThreadImpl() {
    // One connection delivers one text; every pass opens a fresh instance.
    while (!stop) {
        // The old instance goes first: the pipe allows one at a time.
        pipe.reset();
        pipe.reset(CreateInstance());
        if (!pipe) break;
        if (!ServeInstance(pipe.get())) break;
    }
    pipe.reset();
    return true;
}

bool CUpdaterApp::Exit() {
    instanceMutex.reset();
    stop = true;
    bool ended = true;
    DWORD code = 0;
    int tries = 0;
    // The call only wakes the server out of ConnectNamedPipe; it sees the stop flag and leaves
    // without reading, so "ExitPipe" never becomes the parameter.
    while (readerThread && GetExitCodeThread(readerThread.get(), &code) && code == STILL_ACTIVE) {
        if (tries++ >= exitWakeTries) {
            LOG(ERROR) << "pipe server did not stop";
            ended = false;
            break;
        }
        char reply[512];
        DWORD count = 0;
        CallNamedPipeW(PipeName().c_str(), const_cast<char*>("ExitPipe"), 8, reply, sizeof(reply), &count, 1);
        // Up to a second for the server to go, but no longer than it takes: the program the
        // install started is already running, and the process must not linger beside it.
        WaitForSingleObject(readerThread.get(), 1000);
    }
    if (ended) readerThread.reset();
    return ended;
}

bool CUpdaterApp::Run(const wchar_t* cmdLine) {
    // The job's parameter is in place before the pipe can deliver one, so a text the client
    // sends early is never overwritten by the command line's.
    const ZipDwCfg job = parseZipConf(cmdLine);
    SetPageCallParam(job.pagecallparam);
    StartPipeServer();

    Veneer::CWindowManagerUI::SetInstance(instance);
    Veneer::RegisterFurtherControls();
    Veneer::CWindowManagerUI::SetSkinRoot(Veneer::CWindowManagerUI::GetExeFolder().GetData());

    if (job.forcedupdate == 1) {
        const HWND client = FindWindowW(L"glimtower", nullptr);
        {
            CTipsBoxWnd notice(client,
                               ConfigParser::Instance().chineseUi
                                   ? L"您的客户端版本不可用，将更新至最新版本。"
                                   : L"Your client will be upgraded to the newest version.",
                               0);
            notice.CenterOverOwner();
            notice.RunModal();
        }
        kesh::KillClient();
    }

    CUpdaterWnd window;
    window.ShowWnd(false, true);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT rc{};
    GetWindowRect(window.GetHWND(), &rc);
    // Measured from the screen origin, as the client expects the box in the corner.
    SetWindowPos(window.GetHWND(), nullptr, (work.right - work.left) - (rc.right - rc.left),
                 (work.bottom - work.top) - (rc.bottom - rc.top), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
    window.StartDownload(job);
    window.ShowWnd(true, true);
    SetActiveWindow(window.GetHWND());
    SetForegroundWindow(window.GetHWND());
    Veneer::CWindowManagerUI::RunMessageLoop();

    // A download still running must end before the window and its downloader go; if it cannot
    // be stopped, the process ends here rather than free what that thread still uses.
    if (!window.StopDownload(downloadStopWaitMs)) {
        LOG(ERROR) << "download thread did not stop, ending the process";
        el::Loggers::flushAll();
        ExitProcess(0);
    }
    return true;
}
