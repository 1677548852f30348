// toluUpdater: started by the client with one update job on its command line.
#include <winsock2.h>
#include <windows.h>
#include <objbase.h>

#include <cstdlib>

#include "Log.h"
#include "TextConv.h"
#include "UpdaterLog.h"
#include "WinHandle.h"
#include "ZipDwCfg.h"

namespace {

const wchar_t kRunMutex[] = L"WEMQ_AutoUpdate";
const wchar_t kInstanceMutex[] = L"{5E2D9A14-7C3B-4F61-A8D0-93B6E1C47F2A}";

std::string ToLog(const std::wstring& s) { return kesh::WideToCodePage(s, CP_ACP); }

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR cmdLine, int) {
    InitLogger();
    if (FAILED(CoInitialize(nullptr))) return -1;

    // Held until the process ends: a second updater started meanwhile waits for this one.
    HANDLE runMutex = CreateMutexW(nullptr, FALSE, kRunMutex);
    if (WaitForSingleObject(runMutex, 10000) == WAIT_TIMEOUT) return -1;

    kesh::UniqueHandle instance(OpenMutexW(MUTEX_ALL_ACCESS, FALSE, kInstanceMutex));
    if (instance) return -1;
    instance.reset(CreateMutexW(nullptr, TRUE, kInstanceMutex));

    if (__argc <= 1) return -1;

    const ZipDwCfg job = parseZipConf(cmdLine);
    LOG(INFO) << "job: host[" << job.host << "] path[" << job.path << "] md5[" << job.md5
              << "] forcedupdate[" << job.forcedupdate << "] pagecallparam[" << job.pagecallparam
              << "] clientDic[" << ToLog(job.clientDic) << "] clientExePath[" << ToLog(job.clientExePath) << "]";
    CoUninitialize();
    return 0;
}
