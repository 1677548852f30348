// Applying "update.zip" over the client's folder: every entry lands whole or the old file stays,
// and nothing is written outside the folder.
#include "EntryPath.h"
#include "Handles.h"
#include "UpdateFiles.h"
#include "ZipFixtures.h"
#include "ZipReader.h"

#include "ChildProcess.h"
#include "TestUtil.h"

#include <gtest/gtest.h>
#include <psapi.h>

#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

using namespace launchertest;
using Tree = std::map<std::wstring, std::string>;

namespace {

std::string U8(const wchar_t* s) { return testutil::Narrow(s); }

// A client folder with a sentinel folder beside it, the client folder current while applying.
class ApplyUpdate : public ::testing::Test {
protected:
    void SetUp() override {
        client_ = top_ / L"client";
        ASSERT_TRUE(testutil::MakeDirs(client_));
        ASSERT_TRUE(testutil::MakeDirs(top_ / L"sentinel"));
        ASSERT_TRUE(testutil::WriteBytes(top_ / L"sentinel\\victim.txt", "precious\n"));
        wchar_t cwd[MAX_PATH];
        GetCurrentDirectoryW(MAX_PATH, cwd);
        oldCwd_ = cwd;
        ASSERT_TRUE(SetCurrentDirectoryW(client_.c_str()));
    }
    void TearDown() override { SetCurrentDirectoryW(oldCwd_.c_str()); }

    void Apply(const wchar_t* zip) {
        ASSERT_TRUE(testutil::CopyTo(ZipPath(zip), client_ + L"\\update.zip"));
        ApplyUpdateZip();
        EXPECT_EQ(GetFileAttributesW((client_ + L"\\update.zip").c_str()), INVALID_FILE_ATTRIBUTES);
    }
    void Put(const std::wstring& rel, const std::string& bytes) {
        const std::wstring path = client_ + L"\\" + rel;
        testutil::MakeDirs(path.substr(0, path.rfind(L'\\')));
        ASSERT_TRUE(testutil::WriteBytes(path, bytes));
    }
    DWORD Attributes(const std::wstring& rel) { return GetFileAttributesW((client_ + L"\\" + rel).c_str()); }
    Tree Client() { return ListTree(client_); }
    void ExpectSentinelUntouched() {
        Tree top = ListTree(top_.path());
        EXPECT_EQ(top.erase(L"sentinel\\victim.txt"), 1u);
        for (auto it = top.begin(); it != top.end();) {
            it = it->first.compare(0, 6, L"client") == 0 ? top.erase(it) : std::next(it);
        }
        EXPECT_EQ(top, (Tree{{L"sentinel", "<dir>"}}));
        std::string victim;
        testutil::ReadBytes(top_ / L"sentinel\\victim.txt", victim);
        EXPECT_EQ(victim, "precious\n");
    }

    testutil::TempDir top_{L"apply"};
    std::wstring client_;
    std::wstring oldCwd_;
};

const Tree kBasic = BasicZipTree();

std::string ToolDat() {
    std::string s;
    for (int r = 0; r < 64; ++r)
        for (int i = 0; i < 256; ++i) s += static_cast<char>(i);
    return s;
}

const Tree kPkg = {
    {L"pkg", "<dir>"},
    {L"pkg\\bin", "<dir>"},
    {L"pkg\\bin\\tool.dat", ToolDat()},
    {L"pkg\\readme.txt", Body("pkg/readme.txt", 3)},
    {L"pkg\\locked.txt", Body("pkg/locked.txt")},
    {L"pkg\\empty.txt", ""},
};

TEST_F(ApplyUpdate, UnpacksEveryKindOfArchive) {
    struct Case {
        const wchar_t* zip;
        const Tree* tree;
    };
    for (const Case c : {Case{L"basic.zip", &kBasic}, Case{L"prefixed.zip", &kBasic}, Case{L"infozip.zip", &kPkg},
                         Case{L"descriptors.zip", &kPkg}}) {
        SCOPED_TRACE(U8(c.zip));
        Apply(c.zip);
        EXPECT_EQ(Client(), *c.tree);
        testutil::RemoveTree(client_);
        testutil::MakeDirs(client_);
    }
    ExpectSentinelUntouched();
}

TEST_F(ApplyUpdate, LaterReleasesReplaceProtectedFiles) {
    struct Step {
        const wchar_t* zip;
        const wchar_t* file;
        std::string content;
        DWORD attribute;  // expected to be set
    };
    const Step steps[] = {
        {L"infozip.zip", L"pkg\\locked.txt", Body("pkg/locked.txt"), FILE_ATTRIBUTE_READONLY},
        {L"infozip-v2.zip", L"pkg\\locked.txt", "locked v2\n", FILE_ATTRIBUTE_READONLY},
        {L"dos.zip", L"hidden.txt", Body("hidden.txt"), FILE_ATTRIBUTE_HIDDEN},
        {L"dos.zip", L"system.txt", Body("system.txt"), FILE_ATTRIBUTE_SYSTEM},
        {L"dos-v2.zip", L"hidden.txt", "hidden v2\n", FILE_ATTRIBUTE_HIDDEN},
        {L"dos-v2.zip", L"system.txt", "system v2\n", FILE_ATTRIBUTE_SYSTEM},
        {L"basic.zip", L"top.txt", Body("top.txt"), FILE_ATTRIBUTE_ARCHIVE},
        {L"basic-v2.zip", L"top.txt", "second release\n", FILE_ATTRIBUTE_ARCHIVE},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(U8(s.zip) + " " + U8(s.file));
        Apply(s.zip);
        std::string content;
        ASSERT_TRUE(testutil::ReadBytes(client_ + L"\\" + s.file, content));
        EXPECT_EQ(content, s.content);
        const DWORD attributes = Attributes(s.file);
        EXPECT_NE(attributes & s.attribute, 0u) << std::hex << attributes;
    }
    EXPECT_EQ(Attributes(L"readonly-dos.txt") & FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_READONLY);
}

TEST_F(ApplyUpdate, DamagedEntriesKeepTheOldFile) {
    const wchar_t* damaged[] = {L"crc-stored.txt", L"crc-field.txt", L"cut.txt", L"inflate-garbage.txt",
                                L"zip64.txt"};
    struct Case {
        const char* what;
        bool oldFiles;
    };
    for (const Case c : {Case{"over old files", true}, Case{"into an empty folder", false}}) {
        SCOPED_TRACE(c.what);
        testutil::RemoveTree(client_);
        testutil::MakeDirs(client_);
        Tree expected = {{L"good.txt", Body("good.txt")}, {L"last.txt", Body("last.txt")}};
        if (c.oldFiles) {
            for (const wchar_t* name : damaged) {
                Put(name, "old release\n");
                expected[name] = "old release\n";
            }
            Put(L"good.txt", "old good\n");
        }
        Apply(L"damaged.zip");
        EXPECT_EQ(Client(), expected);
    }
}

TEST_F(ApplyUpdate, EncryptedEntriesKeepTheOldFile) {
    Put(L"pkg\\readme.txt", "old readme\n");
    Apply(L"encrypted.zip");
    EXPECT_EQ(Client(), (Tree{{L"pkg", "<dir>"}, {L"pkg\\bin", "<dir>"}, {L"pkg\\readme.txt", "old readme\n"}}));
}

TEST_F(ApplyUpdate, UnreadableArchivesTouchNothing) {
    for (const wchar_t* zip : {L"broken-directory.zip", L"cut-archive.zip", L"not-a-zip.zip"}) {
        SCOPED_TRACE(U8(zip));
        Put(L"good.txt", "old good\n");
        Put(L"crc-field.txt", "old crc\n");
        const Tree before = Client();
        Apply(zip);
        EXPECT_EQ(Client(), before);
    }
}

// Reads that start in [g_dropFrom, g_dropTo) of the archive fail as on a network share that
// dropped; a read running into that range ends short before it.
uint64_t g_dropFrom = 0, g_dropTo = 0;
BOOL WINAPI DroppingRead(HANDLE file, LPVOID out, DWORD size, LPDWORD got, LPOVERLAPPED at) {
    const uint64_t pos = at->Offset | (static_cast<uint64_t>(at->OffsetHigh) << 32);
    if (pos >= g_dropFrom && pos < g_dropTo) {
        *got = 0;
        SetLastError(ERROR_NETNAME_DELETED);
        return FALSE;
    }
    if (pos < g_dropFrom && pos + size > g_dropFrom) size = static_cast<DWORD>(g_dropFrom - pos);
    return ReadFile(file, out, size, got, at);
}

TEST_F(ApplyUpdate, AnArchiveThatCannotBeReadIsKeptForTheNextStart) {
    std::string zip;
    ASSERT_TRUE(testutil::ReadBytes(ZipPath(L"basic.zip"), zip));
    const uint64_t name = zip.find("deflated.txt"), header = name - 30, data = name + 12;
    const uint64_t next = zip.find("PK\x03\x04", data);
    struct Case {
        const char* what;
        uint64_t from, to;
    };
    for (const Case c :
         {Case{"at the entry's header", header, data}, Case{"part-way through its data", data + 30, next}}) {
        SCOPED_TRACE(c.what);
        g_dropFrom = c.from;
        g_dropTo = c.to;
        Put(L"deflated.txt", "old\n");
        ASSERT_TRUE(testutil::CopyTo(ZipPath(L"basic.zip"), client_ + L"\\update.zip"));
        ApplyUpdateZip(&DroppingRead);
        Tree expected = kBasic;
        expected[L"deflated.txt"] = "old\n";
        expected[L"update.zip"] = zip;
        EXPECT_EQ(Client(), expected);
        ApplyUpdateZip();
        EXPECT_EQ(Client(), kBasic);
    }
}

TEST_F(ApplyUpdate, AFileReleasedWhileWaitedForIsReplacedInTheSameRun) {
    Put(L"top.txt", "old top\n");
    ASSERT_TRUE(testutil::CopyTo(ZipPath(L"basic.zip"), client_ + L"\\update.zip"));
    // Held the way a running program holds its DLL: opened without sharing.
    lumora::UniqueHandle held(CreateFileW((client_ + L"\\top.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held.valid());
    std::thread apply([] { ApplyUpdateZip(); });
    // The archive's last entry is written once the held first one has been tried.
    const bool passed = testutil::WaitForFile(client_ + L"\\中文目录\\文件.txt", 15000);
    held.reset();
    apply.join();
    ASSERT_TRUE(passed);
    EXPECT_EQ(Client(), kBasic);  // no copy left beside its file, no archive left to apply
}

TEST_F(ApplyUpdate, NothingIsWrittenOutsideTheClientFolder) {
    Apply(L"traversal.zip");
    ExpectSentinelUntouched();
    // Only the names the reader reduces to harmless ones, and the full-width look-alike, which
    // is an ordinary name here.
    const Tree expected = {
        {L"reduced-drive.txt", Body("C:\\reduced-drive.txt")},
        {L"reduced-slash.txt", Body("/reduced-slash.txt")},
        {L"reduced-climb.txt", Body("sub\\..\\reduced-climb.txt")},
        {L"srv", "<dir>"},
        {L"srv\\share", "<dir>"},
        {L"srv\\share\\unc.txt", Body("\\\\srv\\share\\unc.txt")},
        {L"b.txt", Body("a:b.txt")},
        {L"keep", "<dir>"},
        {L"keep\\ok.txt", Body("keep/ok.txt")},
        {L"．．／sentinel／victim.txt", Body(U8(L"．．／sentinel／victim.txt"))},
    };
    EXPECT_EQ(Client(), expected);
}

// Entries are written on several threads at once; what they report must still come in entry order.
TEST_F(ApplyUpdate, ManyEntriesSideBySideReportInEntryOrder) {
    auto unsafe = [](int i) { return i % 37 == 5; };
    auto blocked = [](int i) { return i % 41 == 3; };  // a folder with a file stands where the file goes
    auto emptied = [](int i) { return i % 43 == 7; };  // an empty folder stands there
    auto name = [](const wchar_t* pattern, int i) {
        wchar_t buf[32];
        swprintf(buf, 32, pattern, i);
        return std::wstring(buf);
    };
    for (const bool oldFiles : {false, true}) {
        SCOPED_TRACE(oldFiles ? "over old files and folders" : "into an empty folder");
        testutil::RemoveTree(client_);
        testutil::MakeDirs(client_);
        std::vector<std::string> expectedLog;
        Tree expected = {{L"many", "<dir>"}};
        for (int i = 0; i < 300; ++i) {
            if (unsafe(i)) {
                expectedLog.push_back("unsafe zip entry skipped: " + U8(name(L"../unsafe/u%03d.txt", i).c_str()));
                continue;
            }
            const std::wstring file = name(L"many\\f%03d.txt", i);
            const std::string content = Body(U8(name(L"many/f%03d.txt", i).c_str()), 1 + i % 50);
            if (oldFiles && blocked(i)) {
                Put(file + L"\\keep", "kept\n");
                expected[file] = "<dir>";
                expected[file + L"\\keep"] = "kept\n";
                expectedLog.push_back("update entry skipped, a folder with files stands in its place: " +
                                      U8(file.c_str()));
            } else if (oldFiles) {
                if (emptied(i))
                    ASSERT_TRUE(testutil::MakeDirs(client_ + L"\\" + file));
                else
                    Put(file, "old\n");
                expected[file] = i == 280 ? "old\n" : content;  // 280 fails its CRC-32
            } else if (i != 280) {
                expected[file] = content;
            }
        }

        ASSERT_TRUE(testutil::CopyTo(ZipPath(L"many.zip"), client_ + L"\\update.zip"));
        std::ostringstream err;
        std::streambuf* const oldErr = std::cerr.rdbuf(err.rdbuf());
        ApplyUpdateZip();
        std::cerr.rdbuf(oldErr);

        std::vector<std::string> log;
        std::istringstream lines(err.str());
        for (std::string line; std::getline(lines, line);) log.push_back(line.substr(line.find("] ") + 2));
        EXPECT_EQ(log, expectedLog);
        EXPECT_EQ(ZipLastError(), oldFiles ? kZipWrite : kZipFlate);
        EXPECT_EQ(Client(), expected);  // "update.zip" gone: nothing a later start could mend
    }
    ExpectSentinelUntouched();
}

TEST_F(ApplyUpdate, EntriesNamingTheSameFileLandInTheirOrder) {
    Apply(L"duplicates.zip");
    std::string x;
    ASSERT_TRUE(testutil::ReadBytes(client_ + L"\\dup\\x.txt", x));
    EXPECT_EQ(x, Body("dup 15", 16));

    struct Case {
        std::vector<lumora::EntryTarget> targets;
        bool overlap;
    };
    const Case cases[] = {
        {{{L"a\\x.txt", false}, {L"a\\y.txt", false}, {L"a", true}, {L"a\\b", true}}, false},
        {{{L"a\\x.txt", false}, {L"A\\X.TXT", false}}, true},
        {{{L"a\\x.txt", false}, {L"a.\\x.txt ", false}}, true},
        {{{L"a", false}, {L"a\\x.txt", false}}, true},  // a file where another needs a folder
        {{{L"a\\x.txt", false}, {L"a\\x.txt", true}}, true},
        {{{L"prog~1.txt", false}, {L"program.txt", false}}, true},  // a short name may be either
    };
    for (const Case& c : cases) EXPECT_EQ(lumora::ArchiveNames(c.targets).overlap(), c.overlap) << &c - cases;
}

// Each folder entry "Dnnn/" is followed by "dnnn/x.dll": two writers make the one folder at once.
TEST_F(ApplyUpdate, AFolderSpeltTwoWaysIsMadeOnce) {
    Apply(L"folder-case.zip");
    size_t folders = 0, files = 0;
    for (const auto& f : Client()) {
        if (f.second == "<dir>") ++folders;
        if (f.second == Body("x.dll")) ++files;
    }
    EXPECT_EQ(folders, 200u);
    EXPECT_EQ(files, 200u);
}

TEST_F(ApplyUpdate, LargeEntriesGoThroughBoundedBuffers) {
    auto peak = [] {
        PROCESS_MEMORY_COUNTERS pmc{};
        GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
        return pmc.PeakWorkingSetSize;
    };
    const SIZE_T before = peak();
    Apply(L"large.zip");
    // Four 32 MiB entries at once: held whole, any one of them would pass this bound.
    EXPECT_LT(peak() - before, SIZE_T(24) << 20);
    for (int i = 0; i < 4; ++i) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        const std::wstring file = client_ + L"\\big\\" + std::to_wstring(i) + L".bin";
        ASSERT_TRUE(GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data));
        EXPECT_EQ(data.nFileSizeLow, 32u << 20);
    }
}

}  // namespace
