// The stand-ins other tests build on: the client program (window, pipe, records), the launch
// target and the unpacking library. A fault here would make the updater's and the launcher's tests
// pass or fail for nothing.
#include <gtest/gtest.h>

#include "ChildProcess.h"
#include "TestUtil.h"
#include "ZipFixtures.h"

extern "C" int __cdecl ExtractZipToDir(const wchar_t* zipPath, const wchar_t* folder, int reserved);

namespace {

using testutil::ChildProcess;
using testutil::TempDir;
using testutil::UniqueName;


struct FindByPid {
    DWORD pid;
    bool found;
};
BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM lp) {
    auto* f = reinterpret_cast<FindByPid*>(lp);
    wchar_t cls[64];
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == f->pid && GetClassNameW(hwnd, cls, 64) && wcscmp(cls, L"glimtower") == 0 && !IsWindowVisible(hwnd))
        f->found = true;
    return TRUE;
}

bool WriteRaw(const std::wstring& pipe, const std::string& bytes) {
    HANDLE h = CreateFileW((L"\\\\.\\Pipe\\" + pipe).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD put = 0;
    const BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
    CloseHandle(h);
    return ok && put == bytes.size();
}

std::string Hex(const std::string& s) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : s) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

TEST(StandinClient, ServesWindowAndPipeAndRecordsWhatArrives) {
    TempDir dir(L"standin");
    const std::wstring exe = dir / L"lumora.exe";
    ASSERT_TRUE(testutil::CopyTo(testutil::FromUnixPath(STANDIN_CLIENT_EXE), exe));
    const std::wstring launch = UniqueName(L"launch");
    const std::wstring record = dir / L"rec.txt", ready = dir / L"ready.txt";
    // Switches from the environment count as well as those on the command line.
    SetEnvironmentVariableW(L"LUMORA_STANDIN_ARGS", (L"--no-pevlib \"--record=" + record + L"\"").c_str());
    const std::wstring args = L"\"--launch-name=" + launch + L"\" \"--ready=" + ready + L"\" --lifetime=20000 x:/y z";
    ChildProcess client;
    ASSERT_TRUE(client.Start(exe, args));
    SetEnvironmentVariableW(L"LUMORA_STANDIN_ARGS", nullptr);
    ASSERT_TRUE(testutil::WaitForFile(ready, 15000));

    FindByPid f{client.pid(), false};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&f));
    EXPECT_TRUE(f.found) << "hidden top-level window of class glimtower";

    std::string cmdline;
    ASSERT_TRUE(testutil::ReadBytes(exe + L".cmdline.txt", cmdline));
    EXPECT_EQ(cmdline, testutil::Narrow(L"\"" + exe + L"\" " + args));

    // Texts arrive whole, NULs included; one larger than the pipe's buffer too.
    const std::string texts[] = {std::string("url\0", 4), std::string(200000, 'b'), "msg1:1"};
    std::string expected;
    for (const std::string& t : texts) {
        bool sent = false;
        for (int i = 0; i < 100 && !sent; ++i, sent || (Sleep(20), 0)) sent = WriteRaw(L"LU_" + launch, t);
        EXPECT_TRUE(sent);
        expected += testutil::Narrow(L"LU_" + launch) + " " + std::to_string(t.size()) + " " + Hex(t) + "\r\n";
        std::string got;
        for (int i = 0; i < 250 && got.size() < expected.size(); ++i, Sleep(20)) testutil::ReadBytes(record, got);
    }
    std::string got;
    testutil::ReadBytes(record, got);
    EXPECT_TRUE(got == expected) << got.size() << " bytes recorded";
    EXPECT_FALSE(WaitNamedPipeW(L"\\\\.\\Pipe\\PEVLIB_lumora_not_served_here", 0));
}

TEST(StandinClient, EndsByItselfAndCanKeepItsPipeBusy) {
    TempDir dir(L"standin");
    const std::wstring exe = dir / L"client.exe";
    ASSERT_TRUE(testutil::CopyTo(testutil::FromUnixPath(STANDIN_CLIENT_EXE), exe));
    const std::wstring launch = UniqueName(L"busy");
    const std::wstring ready = dir / L"ready.txt";
    ChildProcess client;
    ASSERT_TRUE(client.Start(exe, L"--busy --no-pevlib --no-window --lifetime=1500 \"--launch-name=" + launch +
                                      L"\" \"--ready=" + ready + L"\""));
    ASSERT_TRUE(testutil::WaitForFile(ready, 15000));
    HANDLE h = CreateFileW((L"\\\\.\\Pipe\\LU_" + launch).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PIPE_BUSY));
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    DWORD code = 1;
    EXPECT_TRUE(client.WaitExit(15000, &code));
    EXPECT_EQ(code, 0u);
}

TEST(StandinClient, TakesItsFolderConfigurationKeepsItsLanguageAndStartsAProgram) {
    TempDir dir(L"standin");
    const std::wstring image = UniqueName(L"client");
    const std::wstring exe = dir / (image + L".exe");
    ASSERT_TRUE(testutil::CopyTo(testutil::FromUnixPath(STANDIN_CLIENT_EXE), exe));
    const std::wstring launch = UniqueName(L"cfglaunch") + L".exe";
    ASSERT_TRUE(testutil::WriteBytes(dir / L"ProductConfig.xml",
                                     "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Product>\n  <ProgName>x.exe</ProgName>\n"
                                     "  <LaunchName>" + testutil::Narrow(launch) + "</LaunchName>\n</Product>\n"));
    const std::wstring updater = dir / L"temp\\Updater.exe";
    ASSERT_TRUE(testutil::MakeDirs(dir / L"temp"));
    ASSERT_TRUE(testutil::CopyTo(testutil::FromUnixPath(LAUNCH_TARGET_EXE), updater));
    testutil::ScopedUserKey key(L"SOFTWARE\\" + image);

    const std::wstring ready = dir / L"ready.txt";
    ChildProcess client;
    ASSERT_TRUE(client.Start(exe, L"--no-pevlib --no-window --lifetime=20000 --language=en-US \"--ready=" + ready +
                                      L"\" \"--start=" + updater + L"\" \"--start-args=url=http://127.0.0.1:1/u.zip md5=ab\""));
    ASSERT_TRUE(testutil::WaitForFile(ready, 15000));
    EXPECT_TRUE(WaitNamedPipeW((L"\\\\.\\Pipe\\LU_" + launch).c_str(), 5000));

    wchar_t value[64] = {};
    DWORD size = sizeof(value);
    EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, (L"SOFTWARE\\" + image + L"\\Language").c_str(), nullptr, RRF_RT_REG_SZ,
                           nullptr, value, &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(value, L"en-US");

    ASSERT_TRUE(testutil::WaitForFile(updater + L".cmdline.txt", 15000));
    std::string started;
    testutil::ReadBytes(updater + L".cmdline.txt", started);
    EXPECT_EQ(started, testutil::Narrow(L"\"" + updater + L"\" url=http://127.0.0.1:1/u.zip md5=ab\r\n"));
}

TEST(LaunchTarget, RecordsEachCommandLine) {
    TempDir dir(L"target");
    const std::wstring exe = dir / L"Game Client.exe";
    ASSERT_TRUE(testutil::CopyTo(testutil::FromUnixPath(LAUNCH_TARGET_EXE), exe));
    const std::wstring record = dir / L"launches.txt";
    const std::wstring params[] = {L"pagecall=a&b \"quoted\" \u65e5", L""};
    std::string expected;
    for (const std::wstring& p : params) {
        const testutil::RunResult run = testutil::Run(exe, p, 30000, {L"TOLU_LAUNCH_RECORD=" + record});
        EXPECT_TRUE(run.started);
        EXPECT_EQ(run.exitCode, 0u);
        expected += testutil::Narrow(L"\"" + exe + L"\"" + (p.empty() ? L"" : L" " + p)) + "\r\n";
    }
    std::string got;
    ASSERT_TRUE(testutil::ReadBytes(record, got));
    EXPECT_EQ(got, expected);
    // Without the variable the record lands beside the program.
    EXPECT_EQ(testutil::Run(exe, L"alone").exitCode, 0u);
    ASSERT_TRUE(testutil::ReadBytes(exe + L".cmdline.txt", got));
    EXPECT_EQ(got, testutil::Narrow(L"\"" + exe + L"\" alone\r\n"));
}

TEST(UnpackingLibrary, AFileHeldOpenIsReportedAndEveryOtherEntryWritten) {
    struct Case {
        const wchar_t* held;
        bool readOnly;
    };
    // The first entry, its protection kept; and one in a subfolder.
    const Case cases[] = {{L"top.txt", true}, {L"dir\\sub\\deep.bin", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testutil::Narrow(c.held));
        TempDir dir(L"held");
        const std::wstring held = dir / c.held;
        ASSERT_TRUE(testutil::MakeDirs(held.substr(0, held.rfind(L'\\'))));
        ASSERT_TRUE(testutil::WriteBytes(held, "old"));
        if (c.readOnly) SetFileAttributesW(held.c_str(), FILE_ATTRIBUTE_READONLY);
        // Opened without sharing, as a running program holds its DLL.
        HANDLE h = CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        EXPECT_EQ(ExtractZipToDir(launchertest::ZipPath(L"basic.zip").c_str(), dir.path().c_str(), 0), 6);
        CloseHandle(h);
        EXPECT_EQ((GetFileAttributesW(held.c_str()) & FILE_ATTRIBUTE_READONLY) != 0, c.readOnly);
        std::map<std::wstring, std::string> expected = launchertest::BasicZipTree();
        expected[c.held] = "old";
        EXPECT_TRUE(launchertest::ListTree(dir.path()) == expected);  // no temporary file either
    }
}

}  // namespace
