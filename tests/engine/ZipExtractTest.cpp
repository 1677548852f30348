// Unpacking real archives made by Python's zipfile and by Info-ZIP, through the project's
// "zlib.dll" and the extraction task, including archives that are hostile or damaged.
#include <gtest/gtest.h>

#include <map>

#include "ChildProcess.h"
#include "TestUtil.h"
#include "ZipExtractTask.h"

extern "C" int __cdecl ExtractZipToDir(const wchar_t* zipPath, const wchar_t* folder, int reserved);

namespace {

using testutil::TempDir;

std::wstring ZipDir() { return testutil::FromUnixPath(TEST_ZIP_DIR); }
std::wstring Zip(const wchar_t* name) { return ZipDir() + L"\\" + name; }

// Every file below dir (relative name -> bytes), folders as name + "\" -> "".
void Collect(const std::wstring& dir, const std::wstring& rel, std::map<std::wstring, std::string>& out) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring path = dir + L"\\" + name;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out[rel + name + L"\\"] = "";
            Collect(path, rel + name + L"\\", out);
        } else {
            testutil::ReadBytes(path, out[rel + name]);
        }
    } while (FindNextFileW(h, &fd));
    FindClose(h);
}

std::map<std::wstring, std::string> Tree(const std::wstring& dir) {
    std::map<std::wstring, std::string> out;
    Collect(dir, L"", out);
    return out;
}

TEST(ExtractZipToDir, UnpacksArchivesOfBothMakers) {
    const std::map<std::wstring, std::string> expected = Tree(ZipDir() + L"\\tree");
    ASSERT_EQ(expected.size(), 10u);  // the maker's files and folders
    for (const wchar_t* zip : {L"py_stored.zip", L"py_deflated.zip", L"info_stored.zip", L"info_deflated.zip",
                            L"prefixed.zip", L"trailing.zip"}) {
        SCOPED_TRACE(testutil::Narrow(zip));
        TempDir target(L"unzip");
        // Files already there are replaced, whatever their size; others are left alone.
        ASSERT_TRUE(testutil::WriteBytes(target / L"readme.txt", std::string(100000, 'x')));
        ASSERT_TRUE(testutil::WriteBytes(target / L"big.bin", "old"));
        ASSERT_TRUE(testutil::WriteBytes(target / L"mine.txt", "keep"));
        SetFileAttributesW((target / L"big.bin").c_str(), FILE_ATTRIBUTE_READONLY);

        EXPECT_EQ(ExtractZipToDir(Zip(zip).c_str(), target.path().c_str(), 0), 0);
        std::map<std::wstring, std::string> got = Tree(target.path());
        EXPECT_EQ(got[L"mine.txt"], "keep");
        got.erase(L"mine.txt");
        EXPECT_TRUE(got == expected) << got.size() << " entries";
        // Unpacking the same archive again replaces everything with the same result.
        EXPECT_EQ(ExtractZipToDir(Zip(zip).c_str(), (target.path() + L"\\").c_str(), 0), 0);
        got = Tree(target.path());
        got.erase(L"mine.txt");
        EXPECT_TRUE(got == expected);
    }
}

TEST(ExtractZipToDir, RefusesNamesLeadingOutOfTheFolder) {
    for (int i = 0; i < 9; ++i) {
        SCOPED_TRACE(i);
        TempDir outer(L"slip");
        const std::wstring target = outer / L"in\\side";
        ASSERT_TRUE(testutil::MakeDirs(target));
        const std::wstring zip = Zip((L"slip_" + std::to_wstring(i) + L".zip").c_str());
        EXPECT_EQ(ExtractZipToDir(zip.c_str(), target.c_str(), 0), 3);
        // Nothing at all is written, not even the harmless entry before the bad one.
        const std::map<std::wstring, std::string> written = Tree(outer.path());
        EXPECT_EQ(written.size(), 2u) << testutil::Narrow(written.rbegin()->first);
    }
    EXPECT_EQ(GetFileAttributesW(L"C:\\drive.txt"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesW(L"C:\\abs.txt"), INVALID_FILE_ATTRIBUTES);
}

TEST(ExtractZipToDir, ReportsDamagedArchivesAndKeepsTheOldFile) {
    const struct {
        const wchar_t* zip;
        int result;
    } cases[] = {
        {L"crc_stored.zip", 5},   {L"crc_deflated.zip", 5}, {L"crc_header.zip", 5},
        {L"cut_half.zip", 2},     {L"cut_last.zip", 2},     {L"missing.zip", 1},
        {L"tree\\readme.txt", 2},  // not an archive at all
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testutil::Narrow(c.zip));
        TempDir target(L"bad");
        ASSERT_TRUE(testutil::WriteBytes(target / L"data.bin", "old"));
        EXPECT_EQ(ExtractZipToDir(Zip(c.zip).c_str(), target.path().c_str(), 0), c.result);
        const std::map<std::wstring, std::string> left = Tree(target.path());
        ASSERT_EQ(left.size(), 1u);  // no half-written or temporary file stays behind
        EXPECT_EQ(left.begin()->second, "old");
    }
}

TEST(ZipExtractTask, MakesTheFolderAndReportsTheUnpackResult) {
    TempDir root(L"task");
    // A missing folder chain is made, under a name no ANSI code page holds; an existing one is fine.
    const std::wstring deep = root / L"new\\更新 업데이트 à";
    EXPECT_TRUE(ZipExtractTask(Zip(L"py_deflated.zip"), deep).TryExtract());
    EXPECT_EQ(Tree(deep).size(), 10u);
    EXPECT_TRUE(ZipExtractTask(Zip(L"info_deflated.zip"), deep).TryExtract());

    // A failed unpack is a failed try, so the install flow retries instead of announcing success.
    EXPECT_FALSE(ZipExtractTask(Zip(L"crc_deflated.zip"), root / L"crc").TryExtract());
    EXPECT_FALSE(ZipExtractTask(Zip(L"slip_0.zip"), root.path()).Extract());

    // A folder on a drive that does not exist cannot be made.
    const DWORD drives = GetLogicalDrives();
    wchar_t letter = L'Q';
    while (letter > L'D' && (drives & (1u << (letter - L'A')))) --letter;
    const std::wstring noDrive = std::wstring(1, letter) + L":\\tolu\\x";
    EXPECT_FALSE(ZipExtractTask(Zip(L"py_deflated.zip"), noDrive).TryExtract());
}

}  // namespace
