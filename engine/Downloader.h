// The download thread: up to ten counted attempts of the update download, reporting each failure
// and the final give-up to its owner, and telling the client over its pipe when it gives up.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "HttpDownload.h"
#include "ThreadBase.h"

class Downloader : public ThreadBase {
public:
    Downloader(const std::string& url, const std::string& md5, const std::string& host, const std::string& path,
               bool forced);
    // Stops a running download in order: its transfers end, no callback runs afterwards, and the
    // thread is gone before the members are.
    ~Downloader() override;

    void Run() override;
    virtual void DoInstall() = 0;

    // A consistent copy of the progress record (the download thread changes it meanwhile).
    DownloadState GetState() const;

    // Asks a running download to end: the current transfer is cancelled, no further attempt
    // starts and no callback runs afterwards.
    void Cancel();
    // Waits up to ms for the thread to be idle (never started, or its run has ended).
    bool WaitIdle(DWORD ms) const;

    std::function<void(int32_t)> retryCallback;  // attempt number from 0; on the download thread
    std::function<void()> finishCallback;        // after the last failed attempt
    std::string url;
    std::string md5;
    std::string host;  // rewritten by redirects
    std::string path;
    std::atomic<bool> done{false};
    bool forced = false;
    DownloadState state;
    std::shared_ptr<CHttpDownload> http;

    static constexpr int kMaxAttempts = 10;
    // Redirects are not failures, but a server that keeps redirecting must not hold the thread
    // forever: more than this many in a row count as one failed attempt.
    static constexpr int kMaxRedirectsInARow = 5;

private:
    std::atomic<bool> stopping_{false};
};

// The parameter text for the program started after the install. Set from the job, replaced by
// the pipe server's thread and read by the UI thread: always through these two.
std::string GetPageCallParam();
void SetPageCallParam(const std::string& value);
