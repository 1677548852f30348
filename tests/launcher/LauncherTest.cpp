// lumoraLaunch end to end under Wine with the stand-in client: the prompt driven through its
// window, the pipe hand-over, the client's restart, clean-up, update and URL registration.
#include "ClientProcess.h"
#include "Handles.h"
#include "Launcher.h"
#include "ZipFixtures.h"

#include "ChildProcess.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <memory>
#include <thread>
#include <vector>

using namespace launchertest;
using Tree = std::map<std::wstring, std::string>;

namespace {

TEST(ClientParams, IsAdminIsAddedOnlyWithCtrlAndAlt) {
    EXPECT_EQ(ComposeClientParams(L"room/1\"", true), L"room/1\" IsAdmin");
    EXPECT_EQ(ComposeClientParams(L"room/1\"", false), L"room/1\"");
    EXPECT_EQ(ComposeClientParams(L"", true), L" IsAdmin");
}

TEST(ClientParams, UrlRemaindersCannotAddArguments) {
    struct Case {
        const wchar_t* remainder;
        bool safe;
    };
    const Case cases[] = {
        {L"room/42?x=1", true},       {L"room/42?x=1\"", true},  // the shell's closing quote
        {L"", true},                  {L"\"", true},
        {L"a\" --evil \"b\"", false}, {L"a\"\"", false},
        {L"a\tb", false},             {L"a\r\nb", false},
        {L"a\x7f", false},            {L"房间/1", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsSafeUrlRemainder(c.remainder), c.safe) << testutil::Narrow(c.remainder);
    }
}

std::string Hex(const std::string& bytes) {
    static const char* const digits = "0123456789abcdef";
    std::string out;
    for (unsigned char b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::wstring WindowText(HWND hwnd) {
    wchar_t buf[512] = {};
    GetWindowTextW(hwnd, buf, 512);
    return buf;
}

struct Prompt {
    bool seen = false;
    std::wstring caption;
    std::vector<std::wstring> texts;
};

// Waits for the launcher's message box, reads it and presses one of its buttons.
void AnswerPrompt(int button, DWORD timeoutMs, Prompt& prompt, const std::atomic<bool>& stop) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while (!stop && GetTickCount64() < end) {
        HWND box = nullptr;
        for (const wchar_t* caption : {L"Prompt", L"提示"}) {
            if (!box) box = FindWindowW(L"#32770", caption);
        }
        // Read it once it is shown: the box is found while its texts are still being set.
        if (box && IsWindowVisible(box)) {
            prompt.seen = true;
            prompt.caption = WindowText(box);
            prompt.texts.clear();
            for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
                wchar_t cls[64] = {};
                GetClassNameW(child, cls, 64);
                if (_wcsicmp(cls, L"Static") == 0) prompt.texts.push_back(WindowText(child));
            }
            SendMessageW(GetDlgItem(box, button), BM_CLICK, 0, 0);
            return;
        }
        Sleep(50);
    }
}

// A folder holding the launcher and the stand-in client under their real names.
class Launcher : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(testutil::CopyTo(testutil::FromUnixPath(LAUNCHER_EXE), app_ / L"lumoraLaunch.exe"));
        ASSERT_TRUE(testutil::CopyTo(testutil::FromUnixPath(STANDIN_CLIENT_EXE), app_ / L"lumora.exe"));
    }
    void TearDown() override { KillProcessesByName(kClientImage); }

    // The client the test starts itself, as if the user had opened it earlier.
    void StartRunningClient(const std::wstring& extra = L"") {
        const std::wstring ready = app_ / L"first.ready";
        DeleteFileW(ready.c_str());
        running_.reset(new testutil::ChildProcess);
        ASSERT_TRUE(running_->Start(app_ / L"lumora.exe", L"\"--record=" + (app_ / L"record.txt") + L"\" \"--ready=" +
                                                              ready + L"\" \"--cmdline=" + (app_ / L"first.txt") +
                                                              L"\" --lifetime=60000 " + extra));
        ASSERT_TRUE(testutil::WaitForFile(ready, 20000));
    }

    // Runs the launcher; the client it starts records its command line in started.txt.
    testutil::RunResult RunLauncher(const std::wstring& args, int button = 0, Prompt* prompt = nullptr) {
        const std::wstring env = L"LUMORA_STANDIN_ARGS=\"--cmdline=" + (app_ / L"started.txt") + L"\" \"--ready=" +
                                 (app_ / L"started.ready") + L"\" --lifetime=30000 --no-pevlib";
        std::atomic<bool> stop{false};
        Prompt local;
        std::thread driver;
        if (button != 0) driver = std::thread([&] { AnswerPrompt(button, 30000, prompt ? *prompt : local, stop); });
        testutil::RunResult r = testutil::Run(launcherDir_ + L"\\lumoraLaunch.exe", args, 60000, {env});
        stop = true;
        if (driver.joinable()) driver.join();
        return r;
    }

    // The command line of the client the launcher started, or "" when none started.
    std::string Started() {
        if (!testutil::WaitForFile(app_ / L"started.ready", 15000)) return "";
        std::string text;
        testutil::ReadBytes(app_ / L"started.txt", text);
        return text;
    }

    testutil::TempDir app_{L"launch"};
    std::wstring launcherDir_ = app_.path();  // where RunLauncher starts the launcher
    std::unique_ptr<testutil::ChildProcess> running_;
};

TEST_F(Launcher, WithoutARunningClientStartsItWithTheParameters) {
    struct Case {
        const wchar_t* args;
        const char* params;
    };
    const Case cases[] = {
        {L"hello world", " hello world"},
        {L"\"nembrisk://room/42?x=1\"", " room/42?x=1\""},
        {L"forcerun:nembrisk://abc", " abc"},
        {L"Nembrisk://abc", " Nembrisk://abc"},  // the scheme is case-sensitive
        {L"xforcerun:hello", " xforcerun:hello"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testutil::Narrow(c.args));
        DeleteFileW((app_ / L"started.ready").c_str());
        testutil::RunResult r = RunLauncher(c.args);
        ASSERT_TRUE(r.started);
        // The standard error stream is in text mode: lines end in "\r\n" there.
        r.output.erase(std::remove(r.output.begin(), r.output.end(), '\r'), r.output.end());
        EXPECT_EQ(r.exitCode, 0u);
        const std::string cmdline = Started();
        EXPECT_NE(cmdline.find("lumora.exe"), std::string::npos) << cmdline;
        EXPECT_TRUE(EndsWith(cmdline, c.params)) << cmdline;
        EXPECT_NE(r.output.find("[ZQV][I]["), std::string::npos) << r.output;
        EXPECT_NE(r.output.find("] class path: lumora.exe\n"), std::string::npos) << r.output;
        EXPECT_NE(r.output.find(std::string("] par: ") + (c.params + 1) + "\n"), std::string::npos) << r.output;
        KillProcessesByName(kClientImage);
    }
}

TEST_F(Launcher, AUrlThatWouldAddArgumentsIsDropped) {
    const testutil::RunResult r = RunLauncher(L"\"nembrisk://a\" --evil \"b\"");
    EXPECT_EQ(r.exitCode, 0u);
    const std::string cmdline = Started();
    EXPECT_NE(cmdline.find("lumora.exe"), std::string::npos) << cmdline;
    EXPECT_EQ(cmdline.find("evil"), std::string::npos) << cmdline;
}

TEST_F(Launcher, ARunningClientIsRestartedOrGivenTheUrl) {
    struct Case {
        const char* what;
        const wchar_t* language;  // null: no language value
        std::wstring args;
        int button;  // 0: no prompt expected
        const wchar_t* clientExtra;
        DWORD exitCode;
        const char* restarted;  // the restarted client's parameters, or null
        std::string piped;  // bytes the running client receives on its pipe
    };
    const std::wstring longUrl(10240, L'u');  // with its NUL one byte more than the pipe buffer
    const std::wstring fitUrl(10239, L'f');
    const Case cases[] = {
        {"OK restarts", L"en-US", L"\"nembrisk://room/1\"", IDOK, L"", 0, " room/1\"", ""},
        {"forcerun asks nothing", L"en-US", L"forcerun:nembrisk://room/9", 0, L"", 0, " room/9", ""},
        {"Cancel hands the URL over", L"zh-CN", L"\"nembrisk://room/2?a=b\"", IDCANCEL, L"", 0, nullptr,
         std::string("room/2?a=b\"") + '\0'},
        {"Cancel without a URL", L"en-us", L"plain", IDCANCEL, L"", 0, nullptr, ""},
        {"Cancel, client has no pipe", nullptr, L"nembrisk://room/3", IDCANCEL, L"--no-pevlib", 1, nullptr, ""},
        // The pipe text is no command line: quotes and control characters reach the client as they are.
        {"Cancel, URL with quotes and control characters", L"en-US", L"\"nembrisk://a\" \"b\x01\tc\r\n\"", IDCANCEL,
         L"", 0, nullptr, std::string("a\" \"b\x01\tc\r\n\"") + '\0'},
        {"Cancel, URL fills the buffer", L"en-US", L"nembrisk://" + fitUrl, IDCANCEL, L"", 0, nullptr,
         std::string(10239, 'f') + '\0'},
        {"Cancel, URL too long", L"en-US", L"nembrisk://" + longUrl, IDCANCEL, L"", 1, nullptr, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteFileW((app_ / L"record.txt").c_str());
        DeleteFileW((app_ / L"started.ready").c_str());
        std::unique_ptr<testutil::ScopedUserKey> language;
        if (c.language) {
            language.reset(new testutil::ScopedUserKey(L"SOFTWARE\\lumora\\Language"));
            language->SetString(nullptr, c.language);
        }
        StartRunningClient(c.clientExtra);

        Prompt prompt;
        const testutil::RunResult r = RunLauncher(c.args, c.button == 0 ? IDCANCEL : c.button, &prompt);
        EXPECT_EQ(r.exitCode, c.exitCode);
        EXPECT_EQ(prompt.seen, c.button != 0);
        if (c.button != 0) {
            // Only the exact "en-US" gives English.
            const bool english = c.language && std::wstring(c.language) == L"en-US";
            EXPECT_EQ(prompt.caption, english ? L"Prompt" : L"提示");
            const std::wstring text = english ? L"Another program is already in progress, start new one?"
                                              : L"检测到程序正在运行，是否重新打开!";
            EXPECT_NE(std::find(prompt.texts.begin(), prompt.texts.end(), text), prompt.texts.end());
        }
        DWORD code = 99;
        EXPECT_EQ(running_->WaitExit(c.restarted ? 15000 : 200, &code), c.restarted != nullptr);
        if (c.restarted) {
            EXPECT_EQ(code, 0u);
            const std::string cmdline = Started();
            EXPECT_TRUE(EndsWith(cmdline, c.restarted)) << cmdline;
        } else {
            EXPECT_EQ(GetFileAttributesW((app_ / L"started.ready").c_str()), INVALID_FILE_ATTRIBUTES);
        }
        std::string record;
        if (!c.piped.empty()) {
            ASSERT_TRUE(testutil::WaitForFile(app_ / L"record.txt", 10000));
            testutil::ReadBytes(app_ / L"record.txt", record);
            EXPECT_EQ(record, "PEVLIB_lumora " + std::to_string(c.piped.size()) + " " + Hex(c.piped) + "\r\n");
        } else {
            Sleep(100);
            EXPECT_FALSE(testutil::ReadBytes(app_ / L"record.txt", record) && !record.empty()) << record;
        }
        KillProcessesByName(kClientImage);
    }
}

// In the test folder itself, and in one named in scripts no single ANSI code page holds.
TEST_F(Launcher, StartUpCleansTempAppliesTheUpdateAndRegistersTheScheme) {
    const wchar_t* leftovers[] = {L"Updater.exe", L"update.td0", L"update.td1", L"update.td2",
                                  L"update.td3",  L"update.td"};
    for (const wchar_t* sub : {L"", L"\\更新 업데이트 Mise à jour"}) {
        const std::wstring app = app_.path() + sub;
        SCOPED_TRACE(testutil::Narrow(app));
        launcherDir_ = app;
        ASSERT_TRUE(testutil::MakeDirs(app + L"\\temp"));
        for (const wchar_t* exe : {L"\\lumoraLaunch.exe", L"\\lumora.exe"}) {
            if (*sub) ASSERT_TRUE(testutil::CopyTo(app_.path() + exe, app + exe));
        }
        for (const wchar_t* name : leftovers) ASSERT_TRUE(testutil::WriteBytes(app + L"\\temp\\" + name, "x"));
        ASSERT_TRUE(testutil::WriteBytes(app + L"\\temp\\keep.txt", "not the updater's"));
        ASSERT_TRUE(testutil::CopyTo(ZipPath(L"basic.zip"), app + L"\\temp\\update.zip"));
        ASSERT_TRUE(testutil::WriteBytes(app + L"\\top.txt", "old top\n"));
        RegDeleteTreeW(HKEY_CLASSES_ROOT, L"nembrisk");
        DeleteFileW((app_ / L"started.ready").c_str());

        const testutil::RunResult r = RunLauncher(L"\"nembrisk://room/7\"");
        EXPECT_EQ(r.exitCode, 0u);
        const std::string started = Started();
        EXPECT_TRUE(EndsWith(started, " room/7\"")) << started;
        KillProcessesByName(kClientImage);

        Tree temp = ListTree(app + L"\\temp");
        EXPECT_EQ(temp, (Tree{{L"keep.txt", "not the updater's"}}));
        EXPECT_EQ(GetFileAttributesW((app + L"\\update.zip").c_str()), INVALID_FILE_ATTRIBUTES);
        std::string top, chinese;
        testutil::ReadBytes(app + L"\\top.txt", top);
        testutil::ReadBytes(app + L"\\中文目录\\文件.txt", chinese);
        EXPECT_EQ(top, Body("top.txt"));
        EXPECT_EQ(chinese, Body(testutil::Narrow(L"中文目录/文件.txt")));

        // The scheme's command: the launcher's path quoted, "%1" quoted, the whole 260-character buffer.
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, L"nembrisk\\shell\\open\\command", 0, KEY_QUERY_VALUE, &key),
                  ERROR_SUCCESS);
        wchar_t value[400] = {};
        DWORD type = 0, size = sizeof(value);
        EXPECT_EQ(RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size), ERROR_SUCCESS);
        DWORD values = 0;
        RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                         nullptr);
        RegCloseKey(key);
        EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(size, 520u);
        EXPECT_EQ(values, 1u);
        const std::wstring expected = L"\"" + app + L"\\lumoraLaunch.exe\" \"%1\"";
        EXPECT_EQ(_wcsicmp(value, expected.c_str()), 0) << testutil::Narrow(value);
        for (size_t i = expected.size(); i < 260; ++i) ASSERT_EQ(value[i], L'\0') << i;
    }
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"nembrisk");
}

TEST_F(Launcher, AnUpdateWithAHeldFileIsCompletedAtTheNextStart) {
    ASSERT_TRUE(testutil::MakeDirs(app_ / L"temp"));
    ASSERT_TRUE(testutil::CopyTo(ZipPath(L"basic.zip"), app_ / L"temp\\update.zip"));
    ASSERT_TRUE(testutil::WriteBytes(app_ / L"deflated.txt", "old deflated\n"));
    ASSERT_TRUE(testutil::WriteBytes(app_ / L"top.txt", "old top\n"));
    // The launcher runs as a process of its own; this one holds the file as a running program would.
    lumora::UniqueHandle held(CreateFileW((app_ / L"top.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held.valid());
    testutil::RunResult r = RunLauncher(L"");
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_NE(Started(), "");
    EXPECT_NE(r.output.find("update entry not written: top.txt"), std::string::npos) << r.output;
    held.reset();
    KillProcessesByName(kClientImage);
    Tree files = ListTree(app_.path());
    EXPECT_EQ(files[L"top.txt"], "old top\n");
    EXPECT_EQ(files[L"deflated.txt"], Body("deflated.txt", 500));
    EXPECT_EQ(files.count(L"update.zip"), 1u);

    DeleteFileW((app_ / L"started.ready").c_str());
    r = RunLauncher(L"");
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_NE(Started(), "");
    files = ListTree(app_.path());
    EXPECT_EQ(files[L"top.txt"], Body("top.txt"));
    EXPECT_EQ(files[L"中文目录\\文件.txt"], Body(testutil::Narrow(L"中文目录/文件.txt")));
    EXPECT_EQ(files.count(L"update.zip"), 0u);
    for (const auto& f : files) EXPECT_EQ(f.first.find(L".~"), std::wstring::npos) << testutil::Narrow(f.first);
}

TEST_F(Launcher, AnUpdateThatCannotBeCopiedOutOfTempIsKeptForTheNextStart) {
    ASSERT_TRUE(testutil::MakeDirs(app_ / L"temp"));
    ASSERT_TRUE(testutil::CopyTo(ZipPath(L"basic.zip"), app_ / L"temp\\update.zip"));
    ASSERT_TRUE(testutil::MakeDirs(app_ / L"update.zip"));  // the copy's place cannot take a file
    testutil::RunResult r = RunLauncher(L"");
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_NE(Started(), "");
    KillProcessesByName(kClientImage);
    EXPECT_NE(GetFileAttributesW((app_ / L"temp\\update.zip").c_str()), INVALID_FILE_ATTRIBUTES) << r.output;

    ASSERT_TRUE(RemoveDirectoryW((app_ / L"update.zip").c_str()));
    DeleteFileW((app_ / L"started.ready").c_str());
    r = RunLauncher(L"");
    EXPECT_NE(Started(), "");
    Tree files = ListTree(app_.path());
    EXPECT_EQ(files[L"top.txt"], Body("top.txt"));
    EXPECT_EQ(files.count(L"update.zip"), 0u);
    EXPECT_EQ(files.count(L"temp\\update.zip"), 0u);
}

TEST_F(Launcher, APathTooLongForTheSchemeCommandIsNotRegistered) {
    // A launcher path of 253 characters leaves no room for the quotes, the blank and "%1".
    std::wstring folder = app_.path();
    while (folder.size() + 1 + 100 + 17 < 253) folder += L"\\" + std::wstring(100, L'd');
    folder += L"\\" + std::wstring(253 - folder.size() - 1 - 17, L'e');
    const std::wstring exe = folder + L"\\lumoraLaunch.exe";
    ASSERT_EQ(exe.size(), 253u);
    ASSERT_TRUE(testutil::MakeDirs(folder));
    ASSERT_TRUE(testutil::CopyTo(app_ / L"lumoraLaunch.exe", exe));
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"nembrisk");

    const testutil::RunResult r = testutil::Run(exe, L"x", 60000);
    ASSERT_TRUE(r.started);
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_NE(r.output.find("launcher path too long, URL scheme not registered"), std::string::npos) << r.output;
    HKEY key = nullptr;
    EXPECT_NE(RegOpenKeyExW(HKEY_CLASSES_ROOT, L"nembrisk", 0, KEY_QUERY_VALUE, &key), ERROR_SUCCESS);
    if (key) RegCloseKey(key);
}

}  // namespace
