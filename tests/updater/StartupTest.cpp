// The updater's start: log folder and clean-up, the two named mutexes and the argument check,
// each seen from outside by running the real program.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <chrono>
#include <thread>

#include "TestUtil.h"
#include "UpdaterLog.h"
#include "UpdaterTestUtil.h"
#include "WinHandle.h"

namespace {

const wchar_t kRunMutex[] = L"WEMQ_AutoUpdate";
const wchar_t kInstanceMutex[] = L"{5E2D9A14-7C3B-4F61-A8D0-93B6E1C47F2A}";
const DWORD kExitFailed = static_cast<DWORD>(-1);

std::wstring Updater() { return testutil::FromUnixPath(UPDATER_EXE); }

std::wstring LogFolder() {
    wchar_t base[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, base, CSIDL_LOCAL_APPDATA, TRUE);
    return std::wstring(base) + L"\\toluUpdater\\";
}

bool Exists(const std::wstring& p) { return GetFileAttributesW(p.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Sets a file's last-write time to now + offset seconds.
void Age(const std::wstring& path, int64_t offsetSeconds) {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t;
    t.LowPart = now.dwLowDateTime;
    t.HighPart = now.dwHighDateTime;
    t.QuadPart += offsetSeconds * 10000000LL;
    FILETIME ft{t.LowPart, t.HighPart};
    HANDLE h = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    SetFileTime(h, nullptr, nullptr, &ft);
    CloseHandle(h);
}

TEST(UpdaterLog, SevenDaysEitherWay) {
    const int64_t now = 1700000000;
    EXPECT_FALSE(IsStaleLog(now - 604800, now));
    EXPECT_TRUE(IsStaleLog(now - 604801, now));
    EXPECT_FALSE(IsStaleLog(now + 604800, now));
    EXPECT_TRUE(IsStaleLog(now + 604801, now));
    EXPECT_FALSE(IsStaleLog(now, now));
}

TEST(UpdaterStartup, NoArgumentExitsAfterPreparingTheLog) {
    const std::wstring dir = LogFolder();
    testutil::MakeDirs(dir);
    struct Item {
        const wchar_t* name;
        int64_t offset;
        bool folder;
        bool kept;
    } items[] = {
        {L"t-old.log", -8 * 86400, false, false},
        {L"t-recent.log", -6 * 86400, false, true},
        {L"t-future.log", 8 * 86400, false, false},
        {L"t-near-future.log", 6 * 86400, false, true},
        {L".t-hidden.log", -30 * 86400, false, true},
        {L"t-folder.log", -30 * 86400, true, true},
        {L"t-other.txt", -30 * 86400, false, true},
    };
    for (const Item& it : items) {
        const std::wstring p = dir + it.name;
        if (it.folder) {
            ASSERT_TRUE(testutil::MakeDirs(p));
        } else {
            ASSERT_TRUE(testutil::WriteBytes(p, "x"));
        }
        Age(p, it.offset);
    }

    const testutil::RunResult run = testutil::Run(Updater(), L"", 30000);
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.exitCode, kExitFailed);
    for (const Item& it : items) {
        EXPECT_EQ(Exists(dir + it.name), it.kept) << testutil::Narrow(it.name);
        if (it.folder) {
            RemoveDirectoryW((dir + it.name).c_str());
        } else {
            DeleteFileW((dir + it.name).c_str());
        }
    }
}

// Starts the updater with a job whose download cannot succeed, waits for its progress window
// and closes it; the exit code, or STILL_ACTIVE when no window came.
DWORD RunUntilTheWindowShows(const std::wstring& args) {
    updatertest::Proc p;
    if (!p.Start(Updater(), args)) return 0xDEAD;
    HWND progress = updatertest::WaitWindow(L"kesh_updater_wnd_class_name", p.pid(), 20000);
    if (progress == nullptr) return STILL_ACTIVE;
    PostMessageW(progress, WM_CLOSE, 0, 0);
    return updatertest::ExitCode(p, 20000);
}

// The name of the newest "*.log" file in folder, empty when there is none.
std::wstring NewestLog(const std::wstring& folder) {
    WIN32_FIND_DATAW fd;
    kesh::UniqueFind h(FindFirstFileW((folder + L"*.log").c_str(), &fd));
    std::wstring newest;
    FILETIME newestTime{};
    while (h) {
        if (CompareFileTime(&fd.ftLastWriteTime, &newestTime) >= 0) {
            newestTime = fd.ftLastWriteTime;
            newest = fd.cFileName;
        }
        if (!FindNextFileW(h.get(), &fd)) break;
    }
    return newest;
}

TEST(UpdaterStartup, RunsWithAJobAndLogsIt) {
    EXPECT_EQ(RunUntilTheWindowShows(L"-url=http://127.0.0.1:1/x.zip -md5=ABC"), 0u);

    // This run's file holds the records, named after the local start time.
    const std::wstring newest = NewestLog(LogFolder());
    ASSERT_EQ(newest.size(), wcslen(L"2026-12-08_20-14-13.log"));
    std::string text;
    ASSERT_TRUE(testutil::ReadBytes(LogFolder() + newest, text));
    EXPECT_NE(text.find(" INFO [default] cmdline: -url=http://127.0.0.1:1/x.zip -md5=ABC"), std::string::npos) << text;
    EXPECT_NE(text.find(" INFO [default] zipMd5: ABC"), std::string::npos);
    // "%Y-%M-%d %H:%m:%s,%g": 2026-12-08 20:14:13,262
    ASSERT_GE(text.size(), 24u);
    EXPECT_EQ(text[4], '-');
    EXPECT_EQ(text[10], ' ');
    EXPECT_EQ(text[19], ',');
    EXPECT_EQ(text.substr(23, 6), " INFO ");
}

// Points the user's local application-data folder elsewhere while it lives.
class LocalAppDataAt {
public:
    explicit LocalAppDataAt(const std::wstring& folder) {
        DWORD size = sizeof old_;
        had_ = RegGetValueW(HKEY_CURRENT_USER, kKey, kValue, RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, old_,
                            &size) == ERROR_SUCCESS;
        Set(folder.c_str());
    }
    ~LocalAppDataAt() { had_ ? Set(old_) : void(RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, kValue)); }

private:
    void Set(const wchar_t* v) {
        RegSetKeyValueW(HKEY_CURRENT_USER, kKey, kValue, REG_EXPAND_SZ, v, DWORD((wcslen(v) + 1) * sizeof *v));
    }
    const wchar_t* kKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    const wchar_t* kValue = L"Local AppData";
    bool had_ = false;
    wchar_t old_[MAX_PATH * 2] = {};
};

// A user whose profile folder is named in scripts no single ANSI code page holds: the log file
// is still written there.
TEST(UpdaterStartup, LogsInAProfileFolderTheAnsiCodePageCannotName) {
    testutil::TempDir root(L"profile");
    const std::wstring local = root / L"用户 사용자 Zoë\\AppData\\Local";
    ASSERT_TRUE(testutil::MakeDirs(local));
    {
        LocalAppDataAt redirect(local);
        ASSERT_EQ(LogFolder(), local + L"\\toluUpdater\\");
        EXPECT_EQ(RunUntilTheWindowShows(L"-url=http://127.0.0.1:1/x.zip -md5=ABC"), 0u);
    }
    const std::wstring folder = local + L"\\toluUpdater\\";
    const std::wstring newest = NewestLog(folder);
    ASSERT_FALSE(newest.empty()) << "no log file in " << testutil::Narrow(folder);
    std::string text;
    ASSERT_TRUE(testutil::ReadBytes(folder + newest, text));
    EXPECT_NE(text.find(" INFO [default] cmdline: -url=http://127.0.0.1:1/x.zip -md5=ABC\r\n"), std::string::npos)
        << text;
}

// A download thread that has not stopped when the window is gone: the process ends there rather
// than free what that thread still uses.
TEST(UpdaterStartup, EndsTheProcessWhenTheDownloadThreadDoesNotStop) {
    const testutil::RunResult run =
        testutil::Run(testutil::FromUnixPath(STOP_PROBE_EXE), L"-url=http://127.0.0.1:1/x.zip", 15000);
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_NE(run.output.find("download thread did not stop, ending the process"), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("run returned"), std::string::npos) << run.output;
}

TEST(UpdaterStartup, SingleInstanceMutexPresent) {
    HANDLE other = CreateMutexW(nullptr, TRUE, kInstanceMutex);
    ASSERT_NE(other, nullptr);
    const auto start = std::chrono::steady_clock::now();
    const testutil::RunResult run = testutil::Run(Updater(), L"-url=h/x.zip", 30000);
    const auto took = std::chrono::steady_clock::now() - start;
    CloseHandle(other);
    EXPECT_EQ(run.exitCode, kExitFailed);
    EXPECT_LT(took, std::chrono::seconds(8));
}

TEST(UpdaterStartup, WaitsForARunningUpdater) {
    // Held for longer than the updater waits: it gives up after about 10 s.
    {
        HANDLE held = CreateMutexW(nullptr, TRUE, kRunMutex);
        ASSERT_NE(held, nullptr);
        const auto start = std::chrono::steady_clock::now();
        const testutil::RunResult run = testutil::Run(Updater(), L"-url=h/x.zip", 30000);
        const auto took = std::chrono::steady_clock::now() - start;
        ReleaseMutex(held);
        CloseHandle(held);
        EXPECT_EQ(run.exitCode, kExitFailed);
        EXPECT_GE(took, std::chrono::milliseconds(9500));
        EXPECT_LT(took, std::chrono::seconds(20));
    }
    // Released after two seconds: the waiting updater goes on and runs. (A mutex is released
    // by the thread that owns it, so one thread holds it and lets go.)
    {
        HANDLE taken = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        std::thread holder([&] {
            HANDLE held = CreateMutexW(nullptr, TRUE, kRunMutex);
            SetEvent(taken);
            std::this_thread::sleep_for(std::chrono::seconds(2));
            ReleaseMutex(held);
            CloseHandle(held);
        });
        WaitForSingleObject(taken, 5000);
        CloseHandle(taken);
        EXPECT_EQ(RunUntilTheWindowShows(L"-url=http://127.0.0.1:1/x.zip"), 0u);
        holder.join();
    }
}

}  // namespace
