// Whole download attempts against the test server and nginx: the four ranges, resuming from part
// files, the join, the length and digest checks and the file put in place. The files live in
// this program's folder, which is the updater folder of the code under test.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <system_error>

#include "HttpDownload.h"
#include "Md5.h"
#include "NetTestUtil.h"
#include "TestUtil.h"
#include "WinHandle.h"

namespace {

const char* const kServer = TOLU_HTTPSERVER_DIR;
const char* const kNginx = TOLU_NGINX_DIR;

class Download : public ::testing::Test {
protected:
    void SetUp() override {
        nettest::RemoveDownloadFiles();
        host = nettest::ServerHost(kServer);
        ASSERT_FALSE(host.empty()) << "test server not running";
        id = nettest::TestId();
    }
    void TearDown() override { nettest::RemoveDownloadFiles(); }

    // One attempt at the test server's resource of this size with the given faults.
    int32_t Attempt(size_t size, const std::string& faults = "", std::string md5 = "") {
        std::string h = host;
        std::string path = "/u.zip?id=" + id + "&size=" + std::to_string(size) + faults;
        state.md5 = md5.empty() ? nettest::Md5Hex(nettest::Pattern(size, 7)) : md5;
        return http.Download(h, path, state);
    }
    std::string Zip() {
        std::string bytes;
        return testutil::ReadBytes(nettest::UpdaterFile(L"update.zip"), bytes) ? bytes : "(none)";
    }
    bool Exists(const wchar_t* name) {
        return GetFileAttributesW(nettest::UpdaterFile(name).c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    void WritePart(int i, const std::string& bytes) {
        ASSERT_TRUE(testutil::WriteBytes(nettest::UpdaterFile((L"update.td" + std::to_wstring(i)).c_str()), bytes));
    }
    std::vector<std::string> Ranges() {
        std::vector<std::string> r;
        for (const auto& l : nettest::WaitServerLog(kServer, id, 5)) r.push_back(l.range);
        return r;
    }

    std::string host, id;
    DownloadState state;
    CHttpDownload http;
};

TEST_F(Download, SizesAndTheirParts) {
    const std::pair<size_t, int32_t> cases[] = {
        {1000, DownloadResult::Verified},
        {1003, DownloadResult::Verified},
        {4, DownloadResult::Verified},
        {3 * 1024 * 1024 + 5, DownloadResult::Verified},
        // Below 4 bytes the first parts are empty and never written: the join misses them.
        {3, DownloadResult::JoinFailed}, {1, DownloadResult::JoinFailed},
    };
    for (const auto& c : cases) {
        id = nettest::TestId() + "-" + std::to_string(c.first);
        EXPECT_EQ(Attempt(c.first), c.second) << c.first;
        if (c.second == 1) {
            EXPECT_EQ(Zip(), nettest::Pattern(c.first, 7)) << c.first;
            EXPECT_TRUE(http.LastTimes().digestFollowed) << c.first;  // no second pass over the file
            EXPECT_EQ(state.total, static_cast<int64_t>(c.first));
            EXPECT_GE(state.downloaded, static_cast<int64_t>(c.first));
        }
        for (const wchar_t* f : {L"update.td", L"update.td0", L"update.td1", L"update.td2", L"update.td3"})
            EXPECT_FALSE(Exists(f)) << c.first;
        nettest::RemoveDownloadFiles();
    }
    id = nettest::TestId();
    Attempt(1003);
    auto ranges = Ranges();
    std::sort(ranges.begin(), ranges.end());
    EXPECT_EQ(ranges, (std::vector<std::string>{"bytes=0- ", "bytes=0- ", "bytes=250- ", "bytes=500- ", "bytes=750- "}));
}

TEST_F(Download, ResumesFromPartFiles) {
    const std::string whole = nettest::Pattern(1000, 7);
    WritePart(1, whole.substr(250, 100));
    EXPECT_EQ(Attempt(1000), DownloadResult::Verified);
    EXPECT_EQ(Zip(), whole);
    EXPECT_TRUE(http.LastTimes().digestFollowed);  // the resumed bytes were hashed from the part file
    const auto ranges = Ranges();
    EXPECT_NE(std::find(ranges.begin(), ranges.end(), "bytes=350- "), ranges.end());
}

TEST_F(Download, CompletePartsAndTheRangePastTheEnd) {
    const std::string whole = nettest::Pattern(1000, 7);
    for (int i = 0; i < 4; ++i) WritePart(i, whole.substr(i * 250, 250));
    EXPECT_EQ(Attempt(1000), DownloadResult::Verified);
    EXPECT_EQ(Zip(), whole);
    bool saw416 = false;
    for (const auto& l : nettest::WaitServerLog(kServer, id, 5)) saw416 |= l.status == 416;
    EXPECT_TRUE(saw416);
}

TEST_F(Download, StalePartFilesFailOnceThenTheNextAttemptStartsClean) {
    const std::string stale = nettest::Pattern(1000, 99);
    for (int i = 0; i < 4; ++i) WritePart(i, stale.substr(i * 250, 250));
    EXPECT_EQ(Attempt(1000), DownloadResult::Md5Mismatch);
    EXPECT_FALSE(Exists(L"update.td0"));
    EXPECT_FALSE(Exists(L"update.td"));
    EXPECT_EQ(state.downloaded, 0);
    EXPECT_EQ(Attempt(1000), DownloadResult::Verified);
    EXPECT_EQ(Zip(), nettest::Pattern(1000, 7));
}

struct FaultCase {
    const char* faults;
    int32_t result;
};

TEST_F(Download, ServerFaults) {
    const FaultCase cases[] = {
        {"&norange=1", DownloadResult::Md5Mismatch},               // every part gets the file from its start
        {"&closeafter=100&at=250", DownloadResult::Md5Mismatch},   // a middle part ends early: a gap of zeros
        {"&closeafter=100&at=750", DownloadResult::LengthMismatch},  // the last part ends early: short file
        {"&status=404&skip=1", DownloadResult::JoinFailed},        // the parts are refused: nothing to join
        {"&changeafter=3", DownloadResult::Md5Mismatch},           // the resource changed between the requests
        {"&lower=1&v10=1&trickle=1", DownloadResult::Verified},
        {"&onewrite=1", DownloadResult::Verified},
        {"&redir=rel", DownloadResult::Redirected},
    };
    for (const FaultCase& c : cases) {
        id = nettest::TestId();
        EXPECT_EQ(Attempt(1000, c.faults), c.result) << c.faults;
        EXPECT_EQ(Exists(L"update.zip"), c.result == 1) << c.faults;
        EXPECT_FALSE(Exists(L"update.td")) << c.faults;
        nettest::RemoveDownloadFiles();
    }
}

TEST_F(Download, DigestComparison) {
    const std::string md5 = nettest::Md5Hex(nettest::Pattern(1000, 7));
    std::string upper = md5;
    for (char& ch : upper) ch = static_cast<char>(toupper(static_cast<unsigned char>(ch)));
    const std::pair<std::string, int32_t> cases[] = {
        {upper, DownloadResult::Verified},
        {md5.substr(0, 31), DownloadResult::Md5Mismatch},  // a cut value never matches
        {md5 + "0", DownloadResult::Md5Mismatch},
        {"-", DownloadResult::Md5Mismatch},
        {std::string(32, '0'), DownloadResult::Md5Mismatch},
    };
    for (const auto& c : cases) {
        id = nettest::TestId();
        EXPECT_EQ(Attempt(1000, "", c.first), c.second) << c.first;
        nettest::RemoveDownloadFiles();
    }
}

TEST_F(Download, LockedZipIsAFailureNotASuccess) {
    ASSERT_TRUE(testutil::WriteBytes(nettest::UpdaterFile(L"update.zip"), "old"));
    {
        kesh::UniqueFile lock(CreateFileW(nettest::UpdaterFile(L"update.zip").c_str(), GENERIC_READ, 0, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(lock);
        EXPECT_EQ(Attempt(1000), DownloadResult::RenameFailed);
        EXPECT_FALSE(Exists(L"update.td"));
    }
    EXPECT_EQ(Zip(), "old");
    EXPECT_EQ(Attempt(1000), DownloadResult::Verified);  // an old zip that is not locked is replaced
    EXPECT_EQ(Zip(), nettest::Pattern(1000, 7));
}

TEST_F(Download, APartThatCannotWriteEndsTheAttemptAtOnce) {
    // The third part's file is held open without sharing, so its first write fails. The server
    // sends 100 kB/s per connection: finishing the transfer would take the parts 2.5 s to 7.5 s.
    const size_t size = 1000000;
    kesh::UniqueFile lock(CreateFileW(nettest::UpdaterFile(L"update.td2").c_str(), GENERIC_WRITE, 0, nullptr,
                                      CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(lock);
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(Attempt(size, "&rate=100000&skip=1"), DownloadResult::OutputNotOpened);
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count(), 1.5);
    // Every part's connection was dropped early, not only the failing one's (a part stopped
    // before it connected has no entry).
    long long sent = 0;
    const auto log = nettest::WaitServerLog(kServer, id, 5, 1500);
    ASSERT_GE(log.size(), 2u);
    for (const nettest::LoggedRequest& l : log)
        if (l.conn != 1) sent += l.sent;  // the first connection is the size probe
    EXPECT_LT(sent, static_cast<long long>(size / 4));
    EXPECT_FALSE(Exists(L"update.td"));
    EXPECT_FALSE(Exists(L"update.zip"));
}

TEST_F(Download, FromNginx) {
    std::string h = nettest::ServerHost(kNginx);
    ASSERT_FALSE(h.empty()) << "nginx not running";
    std::string path = "/u.zip";
    state.md5 = nettest::FixtureText(kNginx, "md5");
    EXPECT_EQ(http.Download(h, path, state), DownloadResult::Verified);
    EXPECT_EQ(state.total, 1048579);
    EXPECT_TRUE(http.LastTimes().digestFollowed);
    char digest[33] = {};
    ASSERT_TRUE(MD5_CTX().MD5File(digest, testutil::Narrow(nettest::UpdaterFile(L"update.zip")).c_str()));
    EXPECT_EQ(digest, state.md5);
}

// The watchdog with short intervals: it must stop what is stuck and leave alone what is slow.
class Watchdog : public Download {
protected:
    void SetUp() override {
        Download::SetUp();
        HttpTimings t;
        t.silencePollMs = 200;
        t.stallMs = 1000;
        t.headerDeadlineMs = 60000;  // only the watchdog may end these transfers
        http.SetTimings(t);
    }
    double Seconds(std::chrono::steady_clock::time_point t0) {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    }
};

TEST_F(Watchdog, SilentPartsAreStopped) {
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(Attempt(1000, "&silence=40&skip=1"), DownloadResult::JoinFailed);
    EXPECT_GT(Seconds(t0), 0.9);
    EXPECT_LT(Seconds(t0), 4.0);
}

TEST_F(Watchdog, StalledPartsAreStopped) {
    const auto t0 = std::chrono::steady_clock::now();
    const int32_t r = Attempt(100000, "&stallafter=1000&stall=40&skip=1");
    EXPECT_TRUE(r == DownloadResult::JoinFailed || r == DownloadResult::LengthMismatch) << r;
    EXPECT_GT(Seconds(t0), 0.9);
    EXPECT_LT(Seconds(t0), 4.0);
}

TEST_F(Watchdog, SlowSteadyTransfersAreLeftAlone) {
    // 4 KiB/s per connection in pieces every 50 ms: about 2 s, twice the stall interval.
    EXPECT_EQ(Attempt(32000, "&rate=4000&skip=1"), DownloadResult::Verified);
}

TEST_F(Watchdog, AnOldWatchdogNeverStopsTheNextAttempt) {
    // The first attempt's parts are refused after 0.7 s, so its watchdog (silence window 1 s) is
    // near its end when the second attempt starts; that one's parts stay silent past that moment
    // but well within their own window, then deliver.
    EXPECT_EQ(Attempt(1000, "&status=404&silence=0.7&skip=1&until=5"), DownloadResult::JoinFailed);
    EXPECT_EQ(Attempt(8000, "&silence=0.6&rate=4000&skip=6"), DownloadResult::Verified);
}

// The event that tells the watchdog every part has ended, and the digest's thread, may fail to be
// made: the attempt goes on without them, the watchdog keeping its intervals and the digest read
// from the joined file.
TEST_F(Watchdog, AttemptsWithoutTheirHelpers) {
    AttemptHelpers noEvent;
    noEvent.makeEvent = [] { return HANDLE(nullptr); };
    AttemptHelpers noThread;
    noThread.startThread = [](std::function<void()>) -> std::thread {
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    };
    const struct {
        const char* title;
        const AttemptHelpers& helpers;
        size_t size;
        const char* faults;
        int32_t result;
        double minSeconds;
    } cases[] = {
        {"no event, slow steady parts", noEvent, 8000, "&rate=4000&skip=1", DownloadResult::Verified, 0.4},
        {"no event, silent parts", noEvent, 1000, "&silence=40&skip=1", DownloadResult::JoinFailed, 0.9},
        {"no digest thread", noThread, 1000, "", DownloadResult::Verified, 0},
    };
    for (const auto& c : cases) {
        id = nettest::TestId();
        http.SetHelpers(c.helpers);
        const auto t0 = std::chrono::steady_clock::now();
        EXPECT_EQ(Attempt(c.size, c.faults), c.result) << c.title;
        EXPECT_GT(Seconds(t0), c.minSeconds) << c.title;
        EXPECT_LT(Seconds(t0), 4.0) << c.title;
        if (c.result == DownloadResult::Verified) {
            EXPECT_TRUE(Zip() == nettest::Pattern(c.size, 7)) << c.title;
            EXPECT_EQ(http.LastTimes().digestFollowed, &c.helpers != &noThread) << c.title;
        }
        nettest::RemoveDownloadFiles();
    }
}

TEST(WatchdogRealIntervals, SilentPartsAreStoppedAfterFiveSeconds) {
    nettest::RemoveDownloadFiles();
    std::string host = nettest::ServerHost(kServer);
    std::string path = "/u.zip?id=" + nettest::TestId() + "&size=1000&silence=40&skip=1";
    DownloadState state;
    CHttpDownload http;
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(http.Download(host, path, state), DownloadResult::JoinFailed);
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_GT(s, 4.5);
    EXPECT_LT(s, 8.0);
    nettest::RemoveDownloadFiles();
}

}  // namespace
