#include "HttpDownload.h"

#include <windows.h>

#include <algorithm>
#include <boost/asio/error.hpp>
#include <climits>
#include <cstring>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

#include "HttpTransfer.h"
#include "JoinedFile.h"
#include "Md5.h"
#include "PartsDigest.h"
#include "ModuleDir.h"
#include "TextConv.h"
#include "WinHandle.h"

std::mutex g_httpMutex;
int32_t g_progressTicks = 0;

namespace {

using Clock = HttpTransfer::Clock;

constexpr size_t kMaxHeader = 64 * 1024;   // a response header beyond this is not an answer
constexpr size_t kReadBlock = 256 * 1024;  // one socket read of a part
constexpr DWORD kCopyBlock = 1u << 20;     // one step of the join
constexpr int kParts = 4;
// What a phase of an attempt returns when the next one may run; any other value is the
// attempt's result.
constexpr int32_t kGoOn = 0;

// Diagnostics of the exchanges go to standard output, which the windowed updater does not show
// but a console or a test can.
void Say(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

bool StartsWithNoCase(const std::string& line, const char* name) {
    const size_t n = std::strlen(name);
    if (line.size() < n) return false;
    for (size_t i = 0; i < n; ++i) {
        unsigned char a = static_cast<unsigned char>(line[i]), b = static_cast<unsigned char>(name[i]);
        if (a >= 'A' && a <= 'Z') a = static_cast<unsigned char>(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z') b = static_cast<unsigned char>(b - 'A' + 'a');
        if (a != b) return false;
    }
    return true;
}

std::string TrimLeft(const std::string& s) {
    const size_t at = s.find_first_not_of(" \t");
    return at == std::string::npos ? std::string() : s.substr(at);
}

// A decimal number after optional blanks, read up to the first non-digit: 0 without digits, -1
// when it does not fit a signed 32-bit size. Header numbers come from the network: they are
// never allowed to wrap.
int32_t ParseHeaderNumber(const std::string& text, size_t from) {
    size_t i = from;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    uint64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const unsigned digit = static_cast<unsigned>(text[i] - '0');
        if (value > (UINT64_MAX - digit) / 10) return -1;
        value = value * 10 + digit;
    }
    return value > static_cast<uint64_t>(INT32_MAX) ? -1 : static_cast<int32_t>(value);
}

std::string BuildRequest(const std::string& host, const std::string& path, uint64_t from) {
    return "GET " + path + " HTTP/1.1\r\n" + "Host: " + host + "\r\n" + "Accept: */*\r\n" +
           "Pragma: no-cache\r\n" + "Cache-Control: no-cache\r\n" + "Connection: close\r\n" +
           "Range: bytes=" + std::to_string(from) + "- \r\n" + "\r\n";
}

// Reads until the header's "\r\n\r\n" has arrived (its position in text), or npos when the
// exchange failed first or the header grew past its cap.
size_t ReadHeader(HttpTransfer& t, std::string& text, Clock::time_point deadline, boost::system::error_code& ec) {
    std::vector<char> buf(16 * 1024);
    for (;;) {
        size_t got = 0;
        ec = t.ReadSome(buf.data(), buf.size(), got, deadline);
        if (ec) return std::string::npos;
        const size_t from = text.size() < 3 ? 0 : text.size() - 3;
        text.append(buf.data(), got);
        const size_t end = text.find("\r\n\r\n", from);
        if (end != std::string::npos) return end;
        if (text.size() > kMaxHeader) {
            ec = boost::asio::error::message_size;
            return std::string::npos;
        }
    }
}

// Where a redirect leads: "http://name[:port]/path" or "/path" on the same host. Anything else
// (another scheme, no path, no host) cannot be followed.
bool ResolveLocation(const std::string& location, std::string& host, std::string& path) {
    std::string target = location;
    const size_t last = target.find_last_not_of(" \t\r");
    target.erase(last == std::string::npos ? 0 : last + 1);
    if (!target.empty() && target[0] == '/' && (target.size() < 2 || target[1] != '/')) {
        path = target;
        return true;
    }
    if (!StartsWithNoCase(target, "http://")) return false;
    target.erase(0, 7);
    const size_t slash = target.find('/');
    if (slash == std::string::npos || slash == 0) return false;
    host = target.substr(0, slash);
    path = target.substr(slash);
    return true;
}

// Both must be full 32-digit digests: an empty or cut expected value never passes.
bool DigestMatches(const char* actual, const std::string& expected) {
    if (std::strlen(actual) != 32 || expected.size() != 32) return false;
    for (size_t i = 0; i < 32; ++i) {
        char a = actual[i], b = expected[i];
        if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
        if (a != b) return false;
    }
    return true;
}

void AddDownloaded(DownloadState& state, int64_t bytes, bool tick) {
    std::lock_guard<std::mutex> lock(g_httpMutex);
    state.downloaded += bytes;
    if (tick) ++g_progressTicks;
}

int32_t ReadTicks() {
    std::lock_guard<std::mutex> lock(g_httpMutex);
    return g_progressTicks;
}

double SecondsSince(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

}  // namespace

// One attempt from the probe's answer on: its four parts with their transfers and threads, the
// watchdog and the digest that follows the part files, handed from phase to phase. The watchdog
// acts on this record alone, so it can never touch a later attempt.
struct DownloadAttempt {
    DownloadAttempt(DownloadState& s, const std::wstring& folder, const std::wstring& joinedFile, int64_t bytes,
                    const HttpTimings& t, Clock::time_point t0, HANDLE endedEvent)
        : state(s), dir(folder), joined(joinedFile), size(bytes), timings(t), started(t0), partsEnded(endedEvent) {}

    // Waits up to ms for every part to end. Without the event the part threads tell it themselves.
    bool PartsEnded(DWORD ms) const {
        if (partsEnded) return WaitForSingleObject(partsEnded.get(), ms) == WAIT_OBJECT_0;
        return runningCount == 0 || WaitForMultipleObjects(runningCount, running, TRUE, ms) < runningCount;
    }

    void StopParts() {
        for (HttpTransfer& t : transfers) t.Stop();
    }

    // A joined file that failed its check is deleted and the count starts again, since the next
    // attempt fetches everything anew.
    int32_t Reject(int32_t code) {
        DeleteFileW(joined.c_str());
        std::lock_guard<std::mutex> lock(g_httpMutex);
        state.downloaded = 0;
        return code;
    }

    DownloadState& state;
    const std::wstring dir;     // the updater's folder
    const std::wstring joined;  // "<dir>update.td"
    const int64_t size;         // as the probe announced it
    const HttpTimings timings;
    const Clock::time_point started;  // before the probe

    std::vector<PartInfo> parts;
    HttpTransfer transfers[kParts];
    // Set once every part has ended: the watchdog then ends without acting. May be null.
    kesh::UniqueHandle partsEnded;
    kesh::UniqueHandle threads[kParts];
    HANDLE running[kParts] = {};  // the part threads that were made, owned by threads
    DWORD runningCount = 0;
    kesh::UniqueHandle watchdog;
    // Declared after the thread handles it waits on, so it is stopped before they are closed.
    PartsDigest digest;
};

CHttpDownload::CHttpDownload() = default;

CHttpDownload::~CHttpDownload() { Cancel(); }

bool CHttpDownload::Track(HttpTransfer* transfer) {
    std::lock_guard<std::mutex> lock(activeMutex_);
    if (cancelled_) return false;
    for (HttpTransfer*& slot : active_) {
        if (slot == nullptr) {
            slot = transfer;
            return true;
        }
    }
    return false;
}

void CHttpDownload::Untrack(HttpTransfer* transfer) {
    std::lock_guard<std::mutex> lock(activeMutex_);
    for (HttpTransfer*& slot : active_)
        if (slot == transfer) slot = nullptr;
}

void CHttpDownload::Cancel() {
    std::lock_guard<std::mutex> lock(activeMutex_);
    cancelled_ = true;
    for (HttpTransfer* t : active_)
        if (t != nullptr) t->Stop();
}

bool CHttpDownload::Cancelled() const {
    std::lock_guard<std::mutex> lock(activeMutex_);
    return cancelled_;
}

bool CHttpDownload::ParseResponseHeader(HttpResponseInfo& r, std::string& text, size_t headerEnd) {
    r.headerBlock = text.substr(0, headerEnd);
    const std::string& block = r.headerBlock;

    size_t p = block.find_first_not_of(" \t\r\n");
    if (p == std::string::npos) p = block.size();
    const size_t versionEnd = std::min(block.find_first_of(" \t\r\n", p), block.size());
    r.version = block.substr(p, versionEnd - p);
    p = block.find_first_not_of(" \t\r\n", versionEnd);
    if (p == std::string::npos) p = block.size();
    if (p < block.size() && (block[p] >= '0' && block[p] <= '9')) {
        int64_t status = 0;
        while (p < block.size() && block[p] >= '0' && block[p] <= '9' && status <= INT32_MAX)
            status = status * 10 + (block[p++] - '0');
        r.status = status > INT32_MAX ? -1 : static_cast<int32_t>(status);
    }

    // The rest of the status line is the first line; header lines follow up to an empty line.
    for (;;) {
        const size_t nl = block.find('\n', p);
        std::string line = block.substr(p, nl == std::string::npos ? std::string::npos : nl - p);
        if (nl != std::string::npos && line.empty()) break;
        if (!line.empty() && line.back() == '\r') line.pop_back();

        if (StartsWithNoCase(line, "Content-Type:")) r.contentType = TrimLeft(line.substr(13));
        if (StartsWithNoCase(line, "Location:")) r.location = TrimLeft(line.substr(9));
        if (StartsWithNoCase(line, "Content-Length:")) {
            r.contentLength = ParseHeaderNumber(line, 15);
            r.total = r.contentLength;
        }
        if (StartsWithNoCase(line, "Last-Modified:")) r.lastModified = TrimLeft(line.substr(14));
        if (StartsWithNoCase(line, "Content-Range: bytes")) {
            const std::string range = line.substr(20);
            r.rangeStart = ParseHeaderNumber(range.substr(0, range.find('-')), 0);
            const size_t slash = range.find('/');
            if (slash != std::string::npos) {
                const int32_t whole = ParseHeaderNumber(range, slash + 1);
                if (whole != 0) r.total = whole;
            }
        }
        if (nl == std::string::npos) break;
        p = nl + 1;
    }

    if (r.version.compare(0, 5, "HTTP/") != 0) {
        Say("Invalid response\n");
        return false;
    }
    if (r.status == 200 || r.status == 206) {
        text.erase(0, headerEnd + 4);
        return true;
    }
    Say("Response returned with status code " + std::to_string(r.status) + "\n");
    if (r.status == 416) DeleteFileW((GetModuleDir() + L"update.td").c_str());
    return false;
}

int64_t CHttpDownload::GetRemoteSize(std::string& host, std::string& path, DownloadState& state) {
    HttpTransfer t;
    if (!Track(&t)) return 0;
    struct Untracker {
        CHttpDownload* self;
        HttpTransfer* t;
        ~Untracker() { self->Untrack(t); }
    } untrack{this, &t};

    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timings_.headerDeadlineMs);
    boost::system::error_code ec = t.Connect(host, deadline);
    if (!ec) ec = t.WriteAll(BuildRequest(host, path, 0), deadline);
    if (ec) {
        Say(" exception = " + ec.message() + "\n");
        return 0;
    }
    std::string text;
    const size_t end = ReadHeader(t, text, deadline, ec);
    HttpResponseInfo r;
    if (end == std::string::npos) {
        if (ec != boost::asio::error::eof) Say(" exception = " + ec.message() + "\n");
        std::lock_guard<std::mutex> lock(g_httpMutex);
        state.total = 0;
        return 0;
    }
    if (ParseResponseHeader(r, text, end)) {
        // A size that is missing, unreadable or beyond what the 32-bit parts can address is no
        // size at all.
        const int64_t size = r.total < 1 ? 0 : r.total;
        std::lock_guard<std::mutex> lock(g_httpMutex);
        state.total = size;
        return size;
    }
    if (r.status >= 300 && r.status <= 399) {
        if (!ResolveLocation(r.location, host, path)) {
            Say(" exception = unusable redirect target \"" + r.location + "\"\n");
            return 0;
        }
        return -302;
    }
    return 0;
}

uint64_t CHttpDownload::GetLocalFileSize(const std::wstring& fileName) {
    kesh::UniqueFile f(CreateFileW(fileName.c_str(), GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size;
    if (!f || !GetFileSizeEx(f.get(), &size)) return 0;
    return static_cast<uint64_t>(size.QuadPart);
}

bool CHttpDownload::WriteBody(const std::wstring& fileName, const std::string& data, uint64_t existingSize,
                              uint32_t& received, std::ofstream& stream) {
    return WriteBody(fileName, data.data(), data.size(), existingSize, received, stream);
}

bool CHttpDownload::WriteBody(const std::wstring& fileName, const char* data, size_t size, uint64_t existingSize,
                              uint32_t& received, std::ofstream& stream) {
    if (!stream.is_open()) {
        stream.open(std::filesystem::path(fileName), std::ios::binary | std::ios::app);
        if (stream.is_open()) {
            stream.seekp(static_cast<std::streamoff>(existingSize));
            received += static_cast<uint32_t>(existingSize);
        }
        if (!stream.is_open()) {
            Say(" exception = cannot open " + kesh::WStringToString(fileName) + "\n");
            return false;
        }
    }
    stream.write(data, static_cast<std::streamsize>(size));
    stream.flush();
    if (!stream) {
        Say(" exception = writing " + kesh::WStringToString(fileName) + " failed\n");
        return false;
    }
    received += static_cast<uint32_t>(size);
    return true;
}

DWORD WINAPI CHttpDownload::PartThread(LPVOID arg) {
    PartInfo& part = *static_cast<PartInfo*>(arg);
    HttpTransfer& t = *part.transfer;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(part.headerDeadlineMs);

    boost::system::error_code ec = t.Connect(part.host, deadline);
    if (ec) {
        Say("Exception: " + ec.message() + "\n");
        return 0;
    }
    const uint64_t existing = GetLocalFileSize(part.fileName);
    AddDownloaded(part.state, static_cast<int64_t>(existing), false);
    ec = t.WriteAll(BuildRequest(part.host, part.path, part.start + existing), deadline);
    if (ec) {
        Say("Exception: " + ec.message() + "\n");
        return 0;
    }

    const uint32_t length = part.end - part.start;
    std::vector<char> buf(kReadBlock);
    std::string header;
    bool headerDone = false;
    std::ofstream out;
    for (;;) {
        size_t got = 0;
        ec = t.ReadSome(buf.data(), buf.size(), got, headerDone ? HttpTransfer::NoDeadline() : deadline);
        if (ec) break;
        if (part.received >= length) break;
        // The piece: after the header, the bytes just read, written from where they were read.
        const char* piece = buf.data();
        size_t pieceSize = got;
        if (!headerDone) {
            header.append(buf.data(), got);
            const size_t end = header.find("\r\n\r\n");
            if (end == std::string::npos) {
                if (header.size() <= kMaxHeader) continue;
                ec = boost::asio::error::message_size;
                break;
            }
            HttpResponseInfo r;
            if (!ParseResponseHeader(r, header, end)) return 0;
            headerDone = true;
            piece = header.data();
            pieceSize = header.size();
        }
        if (!WriteBody(part.fileName, piece, pieceSize, existing, part.received, out)) {
            part.writeFailed = true;
            if (part.abortAttempt) part.abortAttempt();
            break;
        }
        AddDownloaded(part.state, static_cast<int64_t>(pieceSize), true);
    }
    out.close();
    // A part that ended without an error (its connection closed after the body) says nothing.
    if (ec && ec != boost::asio::error::eof) Say("Exception: " + ec.message() + "\n");
    return 0;
}

DWORD WINAPI CHttpDownload::WatchdogThread(LPVOID arg) {
    DownloadAttempt& a = *static_cast<DownloadAttempt*>(arg);
    // Waiting on the parts' end rather than sleeping lets the watchdog end the moment the parts
    // have, without holding up the join.
    int32_t c = ReadTicks();
    for (int i = 0; c == 0 && i < a.timings.silencePolls; ++i) {
        if (a.PartsEnded(a.timings.silencePollMs)) return 0;
        c = ReadTicks();
    }
    if (c == 0) {
        a.StopParts();
        return 0;
    }
    for (;;) {
        const int32_t remembered = c;
        if (a.PartsEnded(a.timings.stallMs)) return 0;
        c = ReadTicks();
        if (c == remembered) {
            a.StopParts();
            return 0;
        }
    }
}

int32_t CHttpDownload::Download(std::string& host, std::string& path, DownloadState& state) {
    // Every file of the download is named in UTF-16 from the updater's folder on: a folder name
    // the narrow code page cannot hold must not turn into another name.
    const std::wstring dir = GetModuleDir();
    const std::wstring joined = dir + L"update.td";
    {
        std::lock_guard<std::mutex> lock(g_httpMutex);
        state.file = kesh::WStringToString(joined);
        // Every attempt counts from its own start, so a failed one never pushes progress past
        // the whole.
        state.downloaded = 0;
    }
    times_ = AttemptTimes();
    const Clock::time_point t0 = Clock::now();
    const int64_t size = GetRemoteSize(host, path, state);
    if (size <= 0) return size == -302 ? DownloadResult::Redirected : DownloadResult::NoSize;

    const auto attempt = std::make_unique<DownloadAttempt>(
        state, dir, joined, size, timings_, t0,
        helpers_.makeEvent ? helpers_.makeEvent() : CreateEventW(nullptr, TRUE, FALSE, nullptr));
    int32_t result = TransferParts(*attempt, host, path);
    if (result == kGoOn) result = JoinParts(*attempt);
    if (result == kGoOn) result = VerifyAndPlace(*attempt);
    return result;
}

int32_t CHttpDownload::TransferParts(DownloadAttempt& a, const std::string& host, const std::string& path) {
    a.parts.reserve(kParts);
    const uint32_t part = static_cast<uint32_t>(a.size / 4);
    for (int i = 0; i < kParts; ++i) {
        a.parts.emplace_back(a.state);
        PartInfo& p = a.parts.back();
        p.host = host;
        p.path = path;
        p.fileName = a.joined + static_cast<wchar_t>(L'0' + i);
        p.start = static_cast<uint32_t>(i) * part;
        p.end = i < kParts - 1 ? p.start + part : static_cast<uint32_t>(a.size);
        p.transfer = &a.transfers[i];
        p.headerDeadlineMs = a.timings.headerDeadlineMs;
        p.abortAttempt = [&a] { a.StopParts(); };
        if (!Track(p.transfer)) p.transfer->Stop();
        DWORD id = 0;
        a.threads[i].reset(CreateThread(nullptr, 0, PartThread, &p, 0, &id));
        if (a.threads[i]) a.running[a.runningCount++] = a.threads[i].get();
    }
    a.watchdog.reset(CreateThread(nullptr, 0, WatchdogThread, &a, 0, nullptr));
    {
        std::vector<PartsDigest::Part> follow;
        for (int i = 0; i < kParts; ++i)
            follow.push_back({a.parts[i].fileName, a.parts[i].start, a.parts[i].end, a.threads[i].get()});
        // Without its thread the attempt goes on: the joined file is then read back for its digest.
        a.digest.Start(follow, helpers_.startThread);
    }
    if (a.runningCount > 0) WaitForMultipleObjects(a.runningCount, a.running, TRUE, INFINITE);
    {
        std::lock_guard<std::mutex> lock(g_httpMutex);
        g_progressTicks = 0;
    }
    SetEvent(a.partsEnded.get());
    if (a.watchdog) WaitForSingleObject(a.watchdog.get(), INFINITE);
    for (HttpTransfer& t : a.transfers) Untrack(&t);
    times_.transfer = SecondsSince(a.started);
    // The owner is going away: the part files stay for the next run to resume.
    if (Cancelled()) return DownloadResult::NoSize;
    // What the parts wrote before a write failed is sound, so their files stay for the next
    // attempt to resume; joining them now could only fail.
    for (const PartInfo& p : a.parts) {
        if (p.writeFailed) {
            a.digest.Stop();
            return DownloadResult::OutputNotOpened;
        }
    }
    a.digest.Hold();
    return kGoOn;
}

int32_t CHttpDownload::JoinParts(DownloadAttempt& a) {
    const Clock::time_point joinStart = Clock::now();
    const auto deleteParts = [&] {
        for (const PartInfo& p : a.parts) DeleteFileW(p.fileName.c_str());
    };
    JoinedFile out;
    if (!out.Create(a.joined)) {
        deleteParts();
        return DownloadResult::OutputNotOpened;
    }
    for (PartInfo& p : a.parts) {
        if (!AppendPartFile(p, out)) {
            out.Close();
            DeleteFileW(a.joined.c_str());
            deleteParts();
            return DownloadResult::JoinFailed;
        }
    }
    const int64_t length = out.CloseAndGetLength();
    times_.join = SecondsSince(joinStart);
    if (length != a.size) {
        a.digest.Stop();
        return a.Reject(DownloadResult::LengthMismatch);
    }
    return kGoOn;
}

bool CHttpDownload::AppendPartFile(PartInfo& part, JoinedFile& out) {
    const std::wstring& name = part.fileName;
    // The first part already lies where it belongs: it becomes the joined file's beginning
    // without being copied.
    if (part.start == 0 && out.TakeOver(name, part.end, part.joinedBytes)) return true;
    kesh::UniqueFile in(CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!in) return false;
    // Each request asked for everything from its start, so a part file may run past its end:
    // it is cut there.
    std::vector<char> buf(kCopyBlock);
    uint64_t pos = part.start;
    while (pos < part.end) {
        const DWORD want = static_cast<DWORD>(std::min<uint64_t>(kCopyBlock, part.end - pos));
        DWORD got = 0;
        if (!ReadFile(in.get(), buf.data(), want, &got, nullptr)) return false;
        if (got == 0) break;
        if (!out.WriteAt(pos, buf.data(), got)) return false;
        pos += got;
        part.joinedBytes = pos - part.start;
    }
    in.reset();
    DeleteFileW(name.c_str());
    return true;
}

int32_t CHttpDownload::VerifyAndPlace(DownloadAttempt& a) {
    // Cleared first: a digest that could not be made must never compare equal. One that does
    // not cover exactly the joined file's bytes, part by part, is not trusted (a part file that
    // changed length between its digest and the join); the file is read back instead.
    char digest[33] = {};
    const Clock::time_point digestStart = Clock::now();
    uint64_t covered = 0;
    bool followed = a.digest.Finish(digest, covered) && covered == static_cast<uint64_t>(a.size);
    for (size_t i = 0; followed && i < a.parts.size(); ++i)
        followed = a.digest.HashedFrom(i) == a.parts[i].joinedBytes;
    times_.digestFollowed = followed;
    if (!followed) {
        digest[0] = '\0';
        if (!MD5_CTX().MD5File(digest, a.joined.c_str())) digest[0] = '\0';
    }
    times_.digest = SecondsSince(digestStart);
    if (!DigestMatches(digest, a.state.md5)) return a.Reject(DownloadResult::Md5Mismatch);

    // Success only with the verified file in place: a rename that fails (an old zip locked by a
    // reader) is a failed attempt.
    const std::wstring zip = a.dir + L"update.zip";
    if (!MoveFileExW(a.joined.c_str(), zip.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        Say(" exception = cannot replace update.zip\n");
        DeleteFileW(a.joined.c_str());
        return DownloadResult::RenameFailed;
    }
    return DownloadResult::Verified;
}
