// The download of the update zip: the size probe (following redirects), four ranged part
// transfers into part files that later runs resume, a watchdog that stops stalled transfers,
// and the join that checks length and digest before the file becomes "update.zip".
#pragma once
#include <windows.h>

#include <cstdint>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>

#include "PartsDigest.h"

class HttpTransfer;
class JoinedFile;
struct DownloadAttempt;

// Progress and result of the download. The download thread changes downloaded and total under
// g_httpMutex; readers copy the record under it (see Downloader::GetState).
struct DownloadState {
    std::string file;  // the joined file, "<updater folder>update.td" (narrow form, never opened)
    std::string md5;   // expected digest
    int64_t downloaded = 0;
    int64_t total = 0;
};

// A parsed response header.
struct HttpResponseInfo {
    std::string version;
    int32_t status = -1;
    std::string headerBlock;
    std::string contentType;
    std::string lastModified;
    std::string location;
    int32_t contentLength = 0;  // -1: present but not a usable size
    int32_t total = 0;          // -1: announced, but not a usable size
    int32_t rangeStart = 0;
};

// One of the four byte ranges of an attempt.
struct PartInfo {
    explicit PartInfo(DownloadState& s) : state(s) {}
    std::string host;
    std::string path;
    uint32_t start = 0;
    uint32_t end = 0;       // first byte after the part
    uint32_t received = 0;  // bytes of the part in its file
    std::wstring fileName;
    DownloadState& state;
    HttpTransfer* transfer = nullptr;  // owned by the attempt; the watchdog stops it
    DWORD headerDeadlineMs = 15000;
    // Called by the part when its file cannot be written: ends every part of the attempt, since
    // the attempt has failed and the rest of the transfer would be wasted.
    std::function<void()> abortAttempt;
    bool writeFailed = false;
    uint64_t joinedBytes = 0;  // bytes of the part file the join placed in the joined file
};

// Guards DownloadState::downloaded/total and g_progressTicks.
extern std::mutex g_httpMutex;
// Body pieces received by all parts of the running attempt; the watchdog's sign of life.
extern int32_t g_progressTicks;

// Results of one download attempt (CHttpDownload::Download), with their long-standing values.
namespace DownloadResult {
constexpr int32_t Verified = 1;          // verified and put in place as "update.zip"
constexpr int32_t NoSize = -1;           // the probe gave no usable size (or the owner cancelled)
constexpr int32_t OutputNotOpened = -2;  // an output file could not be opened or written
constexpr int32_t JoinFailed = -3;       // a part file could not be read into the joined file
constexpr int32_t LengthMismatch = -4;   // the joined file's length differs from the size
constexpr int32_t Md5Mismatch = -5;      // the digest differs from the expected one
constexpr int32_t Redirected = -6;       // the server redirected; host and path were rewritten
constexpr int32_t RenameFailed = -7;     // the verified file could not replace "update.zip"
}  // namespace DownloadResult

// How patient the watchdog and the connections are. Tests shorten them.
struct HttpTimings {
    DWORD silencePollMs = 1000;  // the watchdog looks for a first piece this often ...
    int silencePolls = 5;        // ... this many times before it stops a silent attempt
    DWORD stallMs = 15000;       // a running attempt without a new piece for this long is stopped
    DWORD headerDeadlineMs = 15000;  // resolve, connect, request and response header, per exchange
};

// How an attempt makes the helpers it can do without: the event that tells the watchdog every
// part has ended, and the digest's thread. Empty members make them the usual way; tests replace
// them to make each creation fail.
struct AttemptHelpers {
    std::function<HANDLE()> makeEvent;  // a manual-reset event, not signalled; null on failure
    PartsDigest::ThreadStarter startThread;  // throws std::system_error on failure
};

// Where the last attempt's time went, in seconds (for the benchmark and diagnostics).
struct AttemptTimes {
    double transfer = 0;  // probe and parts
    double join = 0;      // copying the parts, digest excluded
    double digest = 0;
    bool digestFollowed = false;  // the digest made while the parts arrived was used
};

class CHttpDownload {
public:
    CHttpDownload();
    virtual ~CHttpDownload();
    CHttpDownload(const CHttpDownload&) = delete;
    CHttpDownload& operator=(const CHttpDownload&) = delete;

    // One attempt; its result is one of DownloadResult.
    int32_t Download(std::string& host, std::string& path, DownloadState& state);

    // The size (> 0), 0 on failure, or -302 after a redirect with host and path rewritten.
    int64_t GetRemoteSize(std::string& host, std::string& path, DownloadState& state);

    // Parses the header ending at headerEnd (the position of its "\r\n\r\n"). True for 200 and
    // 206, and the header is then removed from text (the rest is body).
    static bool ParseResponseHeader(HttpResponseInfo& response, std::string& text, size_t headerEnd);

    // Size of a file, 0 when it cannot be opened.
    static uint64_t GetLocalFileSize(const std::wstring& fileName);

    // Appends a body piece to a part file, opening it on the first piece. False when the file
    // cannot be opened or written.
    static bool WriteBody(const std::wstring& fileName, const std::string& data, uint64_t existingSize,
                          uint32_t& received, std::ofstream& stream);
    static bool WriteBody(const std::wstring& fileName, const char* data, size_t size, uint64_t existingSize,
                          uint32_t& received, std::ofstream& stream);

    static DWORD WINAPI PartThread(LPVOID part);
    // Argument: the attempt it watches (private to the implementation).
    static DWORD WINAPI WatchdogThread(LPVOID attempt);

    // Copies the part's bytes into the joined file at their place and deletes the part file.
    static bool AppendPartFile(PartInfo& part, JoinedFile& out);

    // Ends the running exchange or attempt promptly and makes every later one fail at once.
    // Thread-safe; used when the owner goes away.
    void Cancel();
    bool Cancelled() const;

    void SetTimings(const HttpTimings& timings) { timings_ = timings; }
    void SetHelpers(const AttemptHelpers& helpers) { helpers_ = helpers; }
    const AttemptTimes& LastTimes() const { return times_; }
    const HttpTimings& Timings() const { return timings_; }

private:
    bool Track(HttpTransfer* transfer);
    void Untrack(HttpTransfer* transfer);

    // The phases of an attempt after the probe. Each returns 0 when the next one may run,
    // otherwise the attempt's result.
    // Starts the parts with their watchdog and digest and waits until every part has ended.
    int32_t TransferParts(DownloadAttempt& attempt, const std::string& host, const std::string& path);
    // Joins the part files and checks the joined file's length.
    int32_t JoinParts(DownloadAttempt& attempt);
    // Checks the digest and puts the file in place as "update.zip".
    int32_t VerifyAndPlace(DownloadAttempt& attempt);

    HttpTimings timings_;
    AttemptHelpers helpers_;
    AttemptTimes times_;
    mutable std::mutex activeMutex_;
    HttpTransfer* active_[5] = {};  // the probe or the parts of the running attempt
    bool cancelled_ = false;
};
