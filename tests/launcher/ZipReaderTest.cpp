// The launcher's zip reader over archives made by Python's zipfile and by Info-ZIP zip.
#include "ZipArchive.h"
#include "ZipFixtures.h"
#include "ZipReader.h"

#include "TestUtil.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace launchertest;

namespace {

struct ZipCloser {
    void operator()(ZipArchiveHandle* z) const { CloseZipArchive(z); }
};
using ZipPtr = std::unique_ptr<ZipArchiveHandle, ZipCloser>;

ZipPtr Open(const std::wstring& name) { return ZipPtr(OpenZipArchive(ZipPath(name).c_str())); }

// Info-ZIP stores a folder's files in the order the file system lists them: look them up by name.
int Find(HZIPARCHIVE zip, const wchar_t* name) {
    TZipEntryInfo info;
    if (GetZipEntry(zip, -1, &info) != kZipOk) return -1;
    for (int i = 0, n = info.index; i < n; ++i) {
        if (GetZipEntry(zip, i, &info) == kZipOk && wcscmp(info.name, name) == 0) return i;
    }
    return -1;
}

int Count(HZIPARCHIVE zip) {
    TZipEntryInfo info;
    return GetZipEntry(zip, -1, &info) == kZipOk ? info.index : -1;
}

TEST(ZipReader, RefusesWhatCannotBeReadWhole) {
    for (const wchar_t* name : {L"missing.zip", L"not-a-zip.zip", L"cut-archive.zip", L"broken-directory.zip"}) {
        SCOPED_TRACE(testutil::Narrow(name));
        SetZipLastError(0);
        EXPECT_EQ(OpenZipArchive(ZipPath(name).c_str()), nullptr);
        EXPECT_EQ(ZipLastError(), kZipNoFile);
    }
}

TEST(ZipReader, ChecksHandlesAndIndexes) {
    ZipPtr zip = Open(L"basic.zip");
    ASSERT_TRUE(zip);
    EXPECT_EQ(Count(zip.get()), 7);
    TZipEntryInfo info;
    EXPECT_EQ(GetZipEntry(nullptr, 0, &info), kZipArgs);
    EXPECT_EQ(GetZipEntry(zip.get(), -2, &info), kZipArgs);
    EXPECT_EQ(GetZipEntry(zip.get(), 7, &info), kZipArgs);
    EXPECT_EQ(ExtractZipEntry(zip.get(), 7, L"x"), kZipArgs);
    ZipArchiveHandle foreign{2, zip->reader};
    EXPECT_EQ(GetZipEntry(&foreign, 0, &info), kZipWrongKind);
    // Out of order reads walk back to the start and still find the right entry.
    for (int i : {6, 1, 4, 0, 6}) {
        ASSERT_EQ(GetZipEntry(zip.get(), i, &info), kZipOk);
        EXPECT_EQ(info.index, i);
    }
    EXPECT_STREQ(info.name, L"中文目录/文件.txt");
}

TEST(ZipReader, ReducesNamesThatPointAboveTheRoot) {
    ZipPtr zip = Open(L"traversal.zip");
    ASSERT_TRUE(zip);
    struct Case {
        int index;
        const wchar_t* name;
    };
    const Case cases[] = {
        {0, L"../sentinel/victim.txt"},  {1, L"..\\sentinel\\victim.txt"},
        {2, L"../sentinel/victim.txt"},  {3, L"../sentinel/victim.txt"},
        {4, L"../sentinel/victim.txt"},  {20, L""},  // longer than the record can hold
        {22, L"reduced-drive.txt"},      {23, L"reduced-slash.txt"},
        {24, L"reduced-climb.txt"},      {25, L"srv\\share\\unc.txt"},
        {26, L"b.txt"},                  {27, L"keep/ok.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        TZipEntryInfo info;
        ASSERT_EQ(GetZipEntry(zip.get(), c.index, &info), kZipOk);
        EXPECT_STREQ(info.name, c.name);
    }
}

TEST(ZipReader, AttributesFollowTheHostSystem) {
    struct Case {
        const wchar_t* zip;
        const wchar_t* name;
        DWORD attributes;
    };
    const DWORD kArchive = FILE_ATTRIBUTE_ARCHIVE;
    const Case cases[] = {
        {L"infozip.zip", L"pkg/", FILE_ATTRIBUTE_DIRECTORY | kArchive},
        {L"infozip.zip", L"pkg/readme.txt", kArchive},                            // 0644
        {L"infozip.zip", L"pkg/locked.txt", kArchive | FILE_ATTRIBUTE_READONLY},  // 0444
        {L"dos.zip", L"hidden.txt", kArchive | FILE_ATTRIBUTE_HIDDEN},
        {L"dos.zip", L"system.txt", kArchive | FILE_ATTRIBUTE_SYSTEM},
        {L"dos.zip", L"readonly-dos.txt", kArchive | FILE_ATTRIBUTE_READONLY},
        {L"dos.zip", L"plain-dos.txt", 0},
        {L"basic.zip", L"dir/", FILE_ATTRIBUTE_DIRECTORY | kArchive},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testutil::Narrow(c.zip) + " " + testutil::Narrow(c.name));
        ZipPtr zip = Open(c.zip);
        ASSERT_TRUE(zip);
        const int index = Find(zip.get(), c.name);
        ASSERT_GE(index, 0);
        TZipEntryInfo info;
        ASSERT_EQ(GetZipEntry(zip.get(), index, &info), kZipOk);
        EXPECT_EQ(info.attributes, c.attributes);
    }
}

TEST(ZipReader, UnixTimesReplaceOnlyTheTimesTheyCarry) {
    const FILETIME dos = DosTime(2021, 3, 4, 5, 6, 8);
    const FILETIME m = UnixTime(kUtMtime), a = UnixTime(kUtAtime), c = UnixTime(kUtCtime);
    struct Case {
        int index;
        FILETIME write, access, creation;
    };
    const Case cases[] = {
        {3, dos, dos, dos},  // plain-dos.txt
        {4, m, dos, dos},    // ut-mtime.txt
        {5, m, a, c},        // ut-all.txt
        {6, m, dos, dos},    // a "UT" block behind another block
        {7, dos, dos, dos},  // a "UT" block too short for the times it flags
    };
    ZipPtr zip = Open(L"dos.zip");
    ASSERT_TRUE(zip);
    testutil::TempDir dir(L"ziptimes");
    for (const Case& t : cases) {
        SCOPED_TRACE(t.index);
        TZipEntryInfo info;
        ASSERT_EQ(GetZipEntry(zip.get(), t.index, &info), kZipOk);
        EXPECT_TRUE(SameTime(info.lastWriteTime, t.write));
        EXPECT_TRUE(SameTime(info.lastAccessTime, t.access));
        EXPECT_TRUE(SameTime(info.creationTime, t.creation));
        const std::wstring target = dir / (L"f" + std::to_wstring(t.index));
        ASSERT_EQ(ExtractZipEntry(zip.get(), t.index, target.c_str()), kZipOk);
        HANDLE h = CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        FILETIME written{};
        GetFileTime(h, nullptr, nullptr, &written);
        CloseHandle(h);
        EXPECT_TRUE(SameTime(written, t.write));
    }
}

TEST(ZipReader, EncryptedEntriesNeedTheirPassword) {
    // Without a password nothing is created for the entry.
    ZipPtr zip = Open(L"encrypted.zip");
    ASSERT_TRUE(zip);
    testutil::TempDir dir(L"zipcrypt");
    const std::wstring target = dir / L"readme.txt";
    const int readme = Find(zip.get(), L"pkg/readme.txt");
    ASSERT_GE(readme, 0);
    EXPECT_EQ(ExtractZipEntry(zip.get(), readme, target.c_str()), kZipPassword);
    EXPECT_EQ(GetFileAttributesW(target.c_str()), INVALID_FILE_ATTRIBUTES);

    // The archive layer decrypts with the right password and never yields the text otherwise.
    struct Case {
        const char* password;
        bool good;
    };
    for (const Case c : {Case{"secret", true}, Case{"Secret", false}, Case{"", false}}) {
        SCOPED_TRACE(c.password);
        HANDLE file = CreateFileW(ZipPath(L"encrypted.zip").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        lumora::zip::Archive archive;
        ASSERT_EQ(archive.Open(file, true), lumora::zip::kOk);
        ASSERT_EQ(archive.GoTo(static_cast<uint32_t>(readme)), lumora::zip::kOk);
        ASSERT_EQ(archive.OpenEntryStream(c.password), lumora::zip::kOk);
        std::string text;
        char buf[7];
        int n = 0;
        while ((n = archive.ReadEntry(buf, sizeof(buf))) > 0) text.append(buf, n);
        const bool ended = archive.entryEnded();
        const int closed = archive.CloseEntryStream();
        if (c.good) {
            EXPECT_EQ(n, 0);
            EXPECT_TRUE(ended);
            EXPECT_EQ(closed, lumora::zip::kOk);
            EXPECT_EQ(text, Body("pkg/readme.txt", 3));
        } else {
            EXPECT_TRUE(n == lumora::zip::kBadPassword || n < 0 || closed == lumora::zip::kCrcError) << n;
            EXPECT_NE(text, Body("pkg/readme.txt", 3));
        }
    }
}

TEST(ZipReader, DamagedEntriesFailWithTheirCode) {
    struct Case {
        int index;
        const char* what;
        int code;
    };
    const Case cases[] = {
        {0, "good", kZipOk},
        {1, "stored data changed", kZipFlate},
        {2, "CRC fields changed", kZipFlate},
        {3, "compressed size cut", kZipFlate},
        {4, "deflate stream garbage", kZipFlate},
        {5, "64-bit size marker", kZipFlate},
        {6, "good after the damage", kZipOk},
    };
    ZipPtr zip = Open(L"damaged.zip");
    ASSERT_TRUE(zip);
    testutil::TempDir dir(L"zipdamage");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::wstring target = dir / (L"e" + std::to_wstring(c.index));
        EXPECT_EQ(ExtractZipEntry(zip.get(), c.index, target.c_str()), c.code);
    }
    // Refused before anything was created.
    EXPECT_EQ(GetFileAttributesW((dir / L"e5").c_str()), INVALID_FILE_ATTRIBUTES);
    std::string good;
    ASSERT_TRUE(testutil::ReadBytes(dir / L"e6", good));
    EXPECT_EQ(good, Body("last.txt"));
}

}  // namespace
