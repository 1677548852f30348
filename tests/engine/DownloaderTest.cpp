// The download thread in a fresh process of its own (its own folder, configuration and update
// files) against the test server: retries, the give-up message on the client's pipe (received by
// the stand-in client), redirects, and destruction while it runs.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "NetTestUtil.h"
#include "TestUtil.h"

namespace {

const char* const kServer = TOLU_HTTPSERVER_DIR;

std::vector<std::string> Lines(const std::string& output) {
    std::vector<std::string> lines;
    size_t at = 0;
    while ((at = output.find('@', at)) != std::string::npos) {
        const size_t end = output.find_first_of("\r\n", at);
        lines.push_back(output.substr(at + 1, end == std::string::npos ? std::string::npos : end - at - 1));
        at = end == std::string::npos ? output.size() : end;
    }
    return lines;
}

class DownloadThread : public ::testing::Test {
protected:
    void SetUp() override {
        host = nettest::ServerHost(kServer);
        ASSERT_FALSE(host.empty()) << "test server not running";
        id = nettest::TestId();
        launchName = "probe" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(GetTickCount());
        ASSERT_TRUE(testutil::WriteBytes(dir / L"ProductConfig.xml",
                                         "<Product><LaunchName>" + launchName + "</LaunchName></Product>"));
        probe = dir / L"Updater.exe";
        ASSERT_TRUE(testutil::CopyTo(testutil::SelfDir() + L"\\" DOWNLOAD_PROBE_NAME, probe));
    }

    // The stand-in client serving "LU_" + launchName, recording what it receives.
    void StartClient() {
        record = dir / L"record.txt";
        const std::wstring exe = dir / L"client.exe";
        ASSERT_TRUE(testutil::CopyTo(testutil::FromUnixPath(STANDIN_CLIENT_EXE), exe));
        const std::wstring ready = dir / L"ready";
        client = std::make_unique<testutil::ChildProcess>();
        ASSERT_TRUE(client->Start(exe, L"--no-pevlib --no-window --lifetime=60000 \"--ready=" + ready +
                                           L"\" \"--record=" + record + L"\" --launch-name=" +
                                           testutil::Widen(launchName)));
        ASSERT_TRUE(testutil::WaitForFile(ready, 15000));
    }

    std::vector<std::string> RunProbe(const std::string& query, const std::string& md5, int destroyAfter = -1,
                                      int retrySleep = 0) {
        const std::string path = "/u.zip?id=" + id + "&" + query;
        std::wstring args = testutil::Widen(host) + L" \"" + testutil::Widen(path) + L"\" " + testutil::Widen(md5);
        if (destroyAfter >= 0 || retrySleep > 0)
            args += L" " + std::to_wstring(destroyAfter) + L" " + std::to_wstring(retrySleep);
        const testutil::RunResult run = testutil::Run(probe, args, 60000);
        EXPECT_TRUE(run.started);
        EXPECT_FALSE(run.timedOut);
        output = run.output;
        return Lines(run.output);
    }

    std::string Md5(size_t size) { return nettest::Md5Hex(nettest::Pattern(size, 7)); }
    bool ZipThere() { return GetFileAttributesW((dir / L"update.zip").c_str()) != INVALID_FILE_ATTRIBUTES; }

    testutil::TempDir dir{L"dl"};
    std::string host, id, launchName, output;
    std::wstring probe, record;
    std::unique_ptr<testutil::ChildProcess> client;
};

std::vector<std::string> Retries(int count) {
    std::vector<std::string> r;
    for (int i = 0; i < count; ++i) r.push_back("retry " + std::to_string(i));
    return r;
}

TEST_F(DownloadThread, GivesUpAfterTenFailuresAndTellsTheClient) {
    StartClient();
    ASSERT_TRUE(testutil::WriteBytes(dir / L"update.zip", "stale"));
    auto lines = RunProbe("status=503", Md5(1000));
    std::vector<std::string> expected = Retries(10);
    expected.push_back("finish");
    expected.push_back("done 0");
    lines.pop_back();  // the progress line
    EXPECT_EQ(lines, expected) << output;
    EXPECT_FALSE(ZipThere());  // an old zip is never left for the launcher
    std::string recorded;
    testutil::ReadBytes(record, recorded);
    // Exactly the six bytes of "msg1:0", no terminator.
    EXPECT_EQ(recorded, "LU_" + launchName + " 6 6d7367313a30\r\n");
}

struct RunCase {
    const char* title;
    const char* query;
    size_t size;
    int retries;
};

TEST_F(DownloadThread, RetriesAndRedirects) {
    const RunCase cases[] = {
        {"success on the third attempt", "failfirst=2", 1000, 2},
        {"a redirect is not an attempt", "redir=abs&until=1", 1000, 0},
        {"a chain of redirects", "redir=chain3", 1000, 0},
        {"endless redirects: six in a row are one failed attempt", "redir=loop&until=13", 1000, 2},
    };
    for (const RunCase& c : cases) {
        id = nettest::TestId();
        DeleteFileW((dir / L"update.zip").c_str());
        auto lines = RunProbe(std::string(c.query) + "&size=" + std::to_string(c.size), Md5(c.size));
        std::vector<std::string> expected = Retries(c.retries);
        expected.push_back("done 1");
        ASSERT_FALSE(lines.empty()) << output;
        EXPECT_EQ(lines.back().rfind("total " + std::to_string(c.size) + " ", 0), 0u) << lines.back();
        lines.pop_back();
        EXPECT_EQ(lines, expected) << c.title << "\n" << output;
        EXPECT_TRUE(ZipThere()) << c.title;
    }
}

TEST_F(DownloadThread, ProgressRestartsWithEachAttempt) {
    // The first attempt fails at the join after three parts delivered: their bytes must not be
    // counted on top of the second attempt's.
    auto lines = RunProbe("size=1000&status=404&at=750&until=5", Md5(1000));
    ASSERT_EQ(lines.size(), 3u) << output;
    EXPECT_EQ(lines[0], "retry 0");
    // Each part asks for everything from its start, so one attempt may count up to
    // 1000 + 750 + 500 + 250 bytes; the first attempt's 2250 on top would exceed that.
    long long downloaded = 0;
    ASSERT_EQ(std::sscanf(lines.back().c_str(), "total 1000 downloaded %lld", &downloaded), 1) << lines.back();
    EXPECT_GE(downloaded, 1000);
    EXPECT_LE(downloaded, 2500);
}

TEST_F(DownloadThread, InAFolderNoAnsiCodePageCanHold) {
    // Chinese, Korean and accented Latin letters: whatever the code page, some of them are lost
    // in it, so every file of the download must be named in UTF-16 all the way.
    const std::wstring folder = dir / L"更新 업데이트 Mise à jour";
    ASSERT_TRUE(testutil::MakeDirs(folder));
    ASSERT_TRUE(testutil::CopyTo(dir / L"ProductConfig.xml", folder + L"\\ProductConfig.xml"));
    probe = folder + L"\\Updater.exe";
    ASSERT_TRUE(testutil::CopyTo(dir / L"Updater.exe", probe));
    auto lines = RunProbe("size=3000", Md5(3000));
    ASSERT_EQ(lines.size(), 2u) << output;
    EXPECT_EQ(lines[0], "done 1") << output;
    std::string zip;
    ASSERT_TRUE(testutil::ReadBytes(folder + L"\\update.zip", zip));
    EXPECT_EQ(zip, nettest::Pattern(3000, 7));
    for (const wchar_t* part : {L"update.td", L"update.td0", L"update.td3"})
        EXPECT_EQ(GetFileAttributesW((folder + L"\\" + part).c_str()), INVALID_FILE_ATTRIBUTES) << testutil::Narrow(part);
}

struct DestroyCase {
    const char* title;
    const char* query;
    int destroyAfter, retrySleep;
    DWORD maxMs;
};

TEST_F(DownloadThread, DestroyedWhileRunning) {
    const DestroyCase cases[] = {
        {"during the probe", "size=1000&silence=30", 300, 0, 3000},
        {"during the transfer", "size=100000&stallafter=2000&stall=30&skip=1", 500, 0, 3000},
        // The owner's retry callback sleeps on the thread; it is waited for, never called again.
        {"during the retry wait", "status=503", 400, 1500, 4000},
    };
    for (const DestroyCase& c : cases) {
        id = nettest::TestId();
        const auto lines = RunProbe(c.query, Md5(1000), c.destroyAfter, c.retrySleep);
        ASSERT_GE(lines.size(), 2u) << c.title << "\n" << output;
        EXPECT_EQ(lines.back(), "after") << c.title;
        const std::string& destroyed = lines[lines.size() - 2];
        ASSERT_EQ(destroyed.rfind("destroyed ", 0), 0u) << c.title << "\n" << output;
        EXPECT_LT(std::stoul(destroyed.substr(10)), c.maxMs) << c.title;
        for (size_t i = 0; i + 2 < lines.size(); ++i) EXPECT_EQ(lines[i].rfind("retry", 0), 0u) << c.title;
    }
}

}  // namespace
