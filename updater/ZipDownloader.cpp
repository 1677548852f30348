#include "ZipDownloader.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>

#include "ClientProcess.h"
#include "ConfigParser.h"
#include "LaunchWnd.h"
#include "Log.h"
#include "TipsBoxWnd.h"
#include "ZipExtractTask.h"

ZipDownloader::ZipDownloader(const ZipDwCfg& job)
    : Downloader(job.url, job.md5, job.host, job.path, job.forcedupdate != 0), job_(job) {}

void ZipDownloader::DoInstall() {
    if (installing_.exchange(true)) return;
    LOG(INFO) << "begin to install";

    const std::string progName = kesh::GetProgName();
    const DWORD killStart = GetTickCount();
    while (FindProcess_ByName(progName) != 0) {
        if (GetTickCount() - killStart > killWaitMs) {
            LOG(ERROR) << "the client is still running, installing anyway";
            break;
        }
        LOG(INFO) << "Zqv is running";
        kesh::KillClient();
        Sleep(500);
    }

    // Paths stay UTF-16 up to the system; their narrow forms are for the log only.
    LOG(INFO) << "zipname: " << kesh::WStringToString(job_.zipPath)
              << "  unzipFolder: %s " << kesh::WStringToString(job_.clientDic);
    ZipExtractTask task(job_.zipPath, job_.clientDic);

    const DWORD t0 = GetTickCount();
    while (job_.forcedupdate != 0) {
        if (task.TryExtract()) {
            kesh::WritePipeBuf(kesh::ClientPipeName(), L"msg1:1");
            LOG(INFO) << "install success";
            break;
        }
        if (GetTickCount() - t0 > extractWaitMs) {
            LOG(INFO) << "update install failed";
            const bool chinese = ConfigParser::Instance().chineseUi;
            CTipsBoxWnd box(nullptr,
                            chinese ? L"升级出问题了,请下载完整安装包~"
                                    : L"There are some problems in Updating, Please download full installer from website~",
                            2);
            if (box.confirmButton != nullptr) box.confirmButton->SetText(chinese ? L"前往下载" : L"Go Downloading Page");
            box.RunModal();
            break;
        }
        Sleep(2000);
    }

    if (job_.runLaunch) {
        LOG(INFO) << "run launch exe";
        Sleep(300);
        CLaunchWnd done;
        done.CenterOverOwner();
        done.RunModal();
        const std::string param = GetPageCallParam();
        LOG(INFO) << "clientExePath: " << kesh::WStringToString(job_.clientExePath) << " pageCallParam: " << param;
        ShellExecuteW(nullptr, L"open", job_.clientExePath.c_str(), kesh::StringToWString(param).c_str(), nullptr,
                      SW_SHOWNORMAL);
    }
    installing_ = false;
}
