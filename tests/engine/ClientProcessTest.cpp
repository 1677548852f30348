// Finding and stopping the client and writing to its pipe, against real processes of the stand-in
// client. Every case runs its copies under an image name of its own, since tests run in parallel
// in one Wine prefix and see each other's processes.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "ChildProcess.h"
#include "ClientProcess.h"
#include "TestUtil.h"

namespace {

using testutil::ChildProcess;
using testutil::TempDir;
using testutil::UniqueName;


// Copies the stand-in client into dir as image and starts it with args; waits until it serves.
std::unique_ptr<ChildProcess> StartStandin(const TempDir& dir, const std::wstring& image, const std::wstring& args) {
    const std::wstring exe = dir / image;
    if (GetFileAttributesW(exe.c_str()) == INVALID_FILE_ATTRIBUTES) {
        EXPECT_TRUE(testutil::CopyTo(testutil::FromUnixPath(STANDIN_CLIENT_EXE), exe));
    }
    const std::wstring ready = dir / UniqueName(L"ready");
    auto child = std::make_unique<ChildProcess>();
    EXPECT_TRUE(child->Start(exe, L"--no-pevlib --no-window --lifetime=60000 \"--ready=" + ready + L"\" " + args))
        << "error " << GetLastError();
    EXPECT_TRUE(testutil::WaitForFile(ready, 15000));
    return child;
}

// The lines the stand-in recorded, once at least count of them are there (or after 5 s).
std::vector<std::string> RecordedLines(const std::wstring& file, size_t count) {
    std::vector<std::string> lines;
    const DWORD start = GetTickCount();
    do {
        std::string text;
        testutil::ReadBytes(file, text);
        lines.clear();
        size_t pos = 0, end;
        while ((end = text.find("\r\n", pos)) != std::string::npos) {
            lines.push_back(text.substr(pos, end - pos));
            pos = end + 2;
        }
        if (lines.size() >= count) break;
        Sleep(20);
    } while (GetTickCount() - start < 5000);
    return lines;
}

TEST(FindProcessByName, WholeImageNameIgnoringCase) {
    TempDir dir(L"find");
    const std::wstring image = UniqueName(L"Client") + L".exe";
    auto client = StartStandin(dir, image, L"--no-lu");
    const std::string name = testutil::Narrow(image);
    std::string upper = name, lower = name;
    for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    for (char& c : lower) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));

    const struct {
        std::string query;
        bool found;
    } cases[] = {
        {name, true},
        {upper, true},
        {lower, true},
        {name.substr(0, name.size() - 4), false},  // without ".exe"
        {name.substr(1), false},                   // a tail of the name
        {name + "x", false},
        {"", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.query);
        EXPECT_EQ(FindProcess_ByName(c.query), c.found ? client->pid() : 0u);
    }
    // Gone once it has ended.
    ASSERT_TRUE(TerminateProcess(OpenProcess(PROCESS_TERMINATE, FALSE, client->pid()), 0));
    ASSERT_TRUE(client->WaitExit(5000));
    EXPECT_EQ(FindProcess_ByName(name), 0u);
}

struct KillCase {
    const char* title;
    int instances;
    bool capitals;      // the configuration names the program in capitals
    bool otherName;     // the configuration names a program that is not running
    int result;
    const char* log;
    DWORD minMs, maxMs;
};

TEST(KillClient, StopsTheConfiguredClient) {
    const KillCase cases[] = {
        {"one instance", 1, false, false, 1, "LOG INFO kill air client success.", 0, 2500},
        {"name in capitals", 1, true, false, 1, "LOG INFO kill air client success.", 0, 2500},
        {"not running", 0, false, false, 1, "LOG INFO air client is not running", 0, 2500},
        {"only a longer name runs", 1, false, true, 1, "LOG INFO air client is not running", 0, 2500},
        {"two instances", 2, false, false, 0, "LOG INFO kill air client failed.", 2900, 6000},
    };
    for (const KillCase& c : cases) {
        SCOPED_TRACE(c.title);
        TempDir dir(L"kill");
        const std::wstring image = UniqueName(L"kclient") + L".exe";
        std::vector<std::unique_ptr<ChildProcess>> clients;
        for (int i = 0; i < c.instances; ++i) clients.push_back(StartStandin(dir, image, L"--no-lu"));

        std::string progName = testutil::Narrow(image);
        if (c.capitals)
            for (char& ch : progName) ch = static_cast<char>(toupper(static_cast<unsigned char>(ch)));
        if (c.otherName) progName = progName.substr(1);
        ASSERT_TRUE(testutil::WriteBytes(dir / L"ProductConfig.xml",
                                         "<Product><ProgName>" + progName + "</ProgName></Product>"));
        const std::wstring probe = dir / L"Updater.exe";
        ASSERT_TRUE(testutil::CopyTo(testutil::SelfDir() + L"\\" + KILL_PROBE_NAME, probe));

        const DWORD start = GetTickCount();
        const testutil::RunResult run = testutil::Run(probe, L"");
        const DWORD elapsed = GetTickCount() - start;
        ASSERT_TRUE(run.started) << "error " << run.startError;
        EXPECT_NE(run.output.find("result=" + std::to_string(c.result)), std::string::npos) << run.output;
        EXPECT_NE(run.output.find(c.log), std::string::npos) << run.output;
        EXPECT_GE(elapsed, c.minMs);
        EXPECT_LE(elapsed, c.maxMs);

        // The updater stops the client with exit code 9; with two, only the first found goes.
        int killed = 0;
        for (auto& client : clients) {
            DWORD code = 0;
            if (client->WaitExit(c.otherName ? 200 : 2000, &code)) {
                EXPECT_EQ(code, 9u);
                ++killed;
            }
        }
        EXPECT_EQ(killed, c.otherName ? 0 : std::min(c.instances, 1));
    }
}

TEST(WritePipeBuf, WritesOneTextPerCallIntoTheClientPipe) {
    TempDir dir(L"pipe");
    const std::wstring launchName = UniqueName(L"launch") + L".exe";
    const std::wstring record = dir / L"record.txt";
    auto client = StartStandin(dir, UniqueName(L"pclient") + L".exe",
                               L"\"--launch-name=" + launchName + L"\" \"--record=" + record + L"\"");
    const std::string pipe = "LU_" + testutil::Narrow(launchName);

    EXPECT_TRUE(kesh::WritePipeBuf(L"LU_" + launchName, L"msg1:0"));
    ASSERT_EQ(RecordedLines(record, 1).size(), 1u);
    // The client serves one instance: it takes the next writer once it listens again.
    bool written = false;
    for (int i = 0; i < 50 && !written; ++i, Sleep(20)) written = kesh::WritePipeBuf(L"LU_" + launchName, L"msg1:1");
    EXPECT_TRUE(written);
    const std::vector<std::string> lines = RecordedLines(record, 2);
    ASSERT_EQ(lines.size(), 2u);
    // Exactly the six bytes, no terminator.
    EXPECT_EQ(lines[0], pipe + " 6 6d7367313a30");
    EXPECT_EQ(lines[1], pipe + " 6 6d7367313a31");
}

TEST(WritePipeBuf, FalseWhenThePipeCannotBeOpened) {
    TempDir dir(L"nopipe");
    const std::wstring busyName = UniqueName(L"busy");
    ASSERT_TRUE(testutil::WriteBytes(dir / L"victim.txt", "keep"));
    const std::wstring record = dir / L"record.txt";
    auto busy = StartStandin(dir, UniqueName(L"bclient") + L".exe",
                             L"--busy \"--launch-name=" + busyName + L"\" \"--record=" + record + L"\"");
    const struct {
        const char* title;
        std::wstring name;
    } cases[] = {
        {"only instance busy", L"LU_" + busyName},
        {"missing", L"LU_" + UniqueName(L"absent")},
        {"empty name", L""},
        {"far too long", std::wstring(5000, L'x')},
        {"leads out of the pipe folder", L"..\\" + testutil::FromUnixPath(L"/dev/null")},
        {"leads to a file", L"..\\..\\" + (dir / L"victim.txt")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        EXPECT_FALSE(kesh::WritePipeBuf(c.name, L"msg1:0"));
    }
    std::string victim;
    ASSERT_TRUE(testutil::ReadBytes(dir / L"victim.txt", victim));
    EXPECT_EQ(victim, "keep");
    std::string busyText;
    testutil::ReadBytes(record, busyText);
    EXPECT_EQ(busyText, "");
}

TEST(AnsiConversion, RoundTripsThroughTheNarrowCodePage) {
    EXPECT_EQ(kesh::StringToWString(""), L"");
    EXPECT_EQ(kesh::WStringToString(L""), "");
    EXPECT_EQ(kesh::StringToWString("LU_lumoraLaunch.exe"), L"LU_lumoraLaunch.exe");
    EXPECT_EQ(kesh::WStringToString(L"msg1:0"), "msg1:0");
    // Text the code page can hold survives the round trip, including embedded NULs.
    const std::string bytes("a\0b", 3);
    EXPECT_EQ(kesh::WStringToString(kesh::StringToWString(bytes)), bytes);
}

}  // namespace
