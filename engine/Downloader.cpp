#include "Downloader.h"

#include <windows.h>

#include <cstdio>

#include "ClientProcess.h"
#include "ConfigParser.h"
#include "Log.h"
#include "ModuleDir.h"

namespace {

std::mutex g_pageCallParamMutex;

// How long a stopping download thread normally takes at most: its exchanges end at once when
// cancelled, but a callback of the owner may be sleeping on it.
constexpr DWORD kStopWaitMs = 30000;

}  // namespace

std::string g_pageCallParam;

std::string GetPageCallParam() {
    std::lock_guard<std::mutex> lock(g_pageCallParamMutex);
    return g_pageCallParam;
}

void SetPageCallParam(const std::string& value) {
    std::lock_guard<std::mutex> lock(g_pageCallParamMutex);
    g_pageCallParam = value;
}

Downloader::Downloader(const std::string& url_, const std::string& md5_, const std::string& host_,
                       const std::string& path_, bool forced_)
    : url(url_), md5(md5_), host(host_), path(path_), forced(forced_), http(std::make_shared<CHttpDownload>()) {
    state.md5 = md5_;
}

Downloader::~Downloader() {
    Cancel();
    // The run uses this object's members, so they stay until it has ended, however long that
    // takes. An owner that cannot wait asks Join with its own bound first and ends the process.
    if (GetCurrentThreadId() != ThreadId() && !Join(kStopWaitMs)) {
        LOG(ERROR) << "download thread " << ThreadId() << " has not stopped after " << kStopWaitMs
                   << " ms; waiting for it";
        Join(INFINITE);
    }
}

void Downloader::Cancel() {
    stopping_ = true;
    if (http) http->Cancel();
}

bool Downloader::WaitIdle(DWORD ms) const {
    return IdleEvent() == nullptr || WaitForSingleObject(IdleEvent(), ms) == WAIT_OBJECT_0;
}

DownloadState Downloader::GetState() const {
    std::lock_guard<std::mutex> lock(g_httpMutex);
    return state;
}

void Downloader::Run() {
    DeleteFileW((GetModuleDir() + L"update.zip").c_str());
    // Held here too, so the transfer object outlives an attempt even if the owner lets go of it.
    const std::shared_ptr<CHttpDownload> transfer = http;
    int n = 0;
    int redirects = 0;
    while (n < kMaxAttempts) {
        if (stopping_) return;
        const int32_t r = transfer->Download(host, path, state);
        if (stopping_) return;
        if (r == DownloadResult::Verified) {
            done = true;
            return;
        }
        if (r == DownloadResult::Redirected && ++redirects <= kMaxRedirectsInARow) continue;
        redirects = 0;
        if (retryCallback) retryCallback(n);
        ++n;
    }
    if (stopping_) return;

    kesh::WritePipeBuf(kesh::ClientPipeName(), L"msg1:0");
    if (finishCallback && !stopping_) finishCallback();
}
