#include "UpdaterApp.h"

#include "ConfigParser.h"
#include "Downloader.h"
#include "Log.h"
#include "TextConv.h"
#include "ZipDwCfg.h"

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
    readerThread = CreateThread(nullptr, 0, &CUpdaterApp::ReadPipeThread, this, 0, nullptr);
    return readerThread != nullptr;
}

DWORD WINAPI CUpdaterApp::ReadPipeThread(LPVOID app) {
    static_cast<CUpdaterApp*>(app)->ReadPipeThreadImpl();
    return 0;
}

bool CUpdaterApp::ReadPipeThreadImpl() {
    // One connection delivers one text; every pass opens a fresh instance.
    while (!stop) {
        if (pipe != INVALID_HANDLE_VALUE) {
            CloseHandle(pipe);
            pipe = INVALID_HANDLE_VALUE;
        }
        pipe = CreateNamedPipeW(PipeName().c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT,
                                1, 0, 0, 1000, nullptr);
        if (pipe == INVALID_HANDLE_VALUE) break;
        if (!ConnectNamedPipe(pipe, nullptr)) continue;
        if (stop) break;

        char buffer[kPipeBufferSize] = {};
        DWORD got = 0;
        if (!ReadFile(pipe, buffer, kPipeBufferSize, &got, nullptr)) continue;
        // The text ends at its first NUL or at the bytes read, whichever comes first (a full
        // buffer has no NUL of its own).
        const std::string text(buffer, strnlen(buffer, got));
        LOG(INFO) << "read pipe buffer: " << text;
        if (!text.empty()) SetPageCallParam(text);
    }
    if (pipe != INVALID_HANDLE_VALUE) {
        CloseHandle(pipe);
        pipe = INVALID_HANDLE_VALUE;
    }
    return true;
}

bool CUpdaterApp::Exit() {
    if (instanceMutex != nullptr) {
        CloseHandle(instanceMutex);
        instanceMutex = nullptr;
    }
    stop = true;
    bool ended = true;
    DWORD code = 0;
    int tries = 0;
    // The call only wakes the server out of ConnectNamedPipe; it sees the stop flag and leaves
    // without reading, so "ExitPipe" never becomes the parameter.
    while (readerThread != nullptr && GetExitCodeThread(readerThread, &code) && code == STILL_ACTIVE) {
        if (tries++ >= exitWakeTries) {
            LOG(ERROR) << "pipe server did not stop";
            ended = false;
            break;
        }
        char reply[512];
        DWORD count = 0;
        CallNamedPipeW(PipeName().c_str(), const_cast<char*>("ExitPipe"), 8, reply, sizeof(reply), &count, 1);
        Sleep(1000);
    }
    if (readerThread != nullptr && ended) {
        CloseHandle(readerThread);
        readerThread = nullptr;
    }
    return ended;
}

bool CUpdaterApp::Run(const wchar_t* cmdLine) {
    // The job's parameter is in place before the pipe can deliver one, so a text the client
    // sends early is never overwritten by the command line's.
    const ZipDwCfg job = parseZipConf(cmdLine);
    SetPageCallParam(job.pagecallparam);
    StartPipeServer();
    LOG(INFO) << "job: host[" << job.host << "] path[" << job.path << "] md5[" << job.md5 << "] forcedupdate["
              << job.forcedupdate << "]";
    return true;
}
