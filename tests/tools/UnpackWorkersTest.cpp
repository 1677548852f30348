// The unpacking library's workers: archives of many entries, made here, give the tree and the
// result code that unpacking one entry after another gives, whichever worker fails first.
#include <gtest/gtest.h>
#include <zlib.h>

#include <map>
#include <string>
#include <vector>

#include "TestUtil.h"
#include "ZipFixtures.h"

extern "C" int __cdecl ExtractZipToDir(const wchar_t* zipPath, const wchar_t* folder, int reserved);

namespace {

struct Item {
    std::string name, data;
    bool deflate = true, badCrc = false, badHeader = false, held = false;
};

void Put(std::string& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

std::string MakeZip(const std::vector<Item>& items) {
    std::string zip, dir;
    for (const Item& it : items) {
        // A zlib stream without its 2-byte header and 4-byte check is the raw deflate data.
        uLongf n = compressBound(static_cast<uLong>(it.data.size()));
        std::string packed(n, '\0');
        compress2(reinterpret_cast<Bytef*>(&packed[0]), &n, reinterpret_cast<const Bytef*>(it.data.data()),
                  static_cast<uLong>(it.data.size()), 6);
        packed = it.deflate ? packed.substr(2, n - 6) : it.data;
        const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(it.data.data()), static_cast<uInt>(it.data.size()));
        std::string head;
        for (uint32_t v : {20u, 0x800u, it.deflate ? 8u : 0u, 0u, 0u}) Put(head, v, 2);  // UTF-8 names
        for (size_t v : {static_cast<size_t>(crc ^ (it.badCrc ? 1u : 0u)), packed.size(), it.data.size()})
            Put(head, static_cast<uint32_t>(v), 4);
        Put(head, static_cast<uint32_t>(it.name.size()), 4);  // and no extra field
        Put(dir, 0x02014b50, 4);
        Put(dir, 20, 2);
        dir += head + std::string(10, '\0');  // comment, disk, attributes
        Put(dir, static_cast<uint32_t>(zip.size()), 4);
        dir += it.name;
        Put(zip, it.badHeader ? 0x12345678 : 0x04034b50, 4);
        zip += head + it.name + packed;
    }
    const uint32_t dirAt = static_cast<uint32_t>(zip.size());
    zip += dir;
    for (uint32_t v : {0x06054b50u, 0u}) Put(zip, v, 4);
    for (int i = 0; i < 2; ++i) Put(zip, static_cast<uint32_t>(items.size()), 2);
    for (uint32_t v : {static_cast<uint32_t>(dir.size()), dirAt}) Put(zip, v, 4);
    Put(zip, 0, 2);
    return zip;
}

// 240 files in 12 folders: stored and deflated, empty, small and larger than a worker's buffer.
std::vector<Item> ManyFiles() {
    std::vector<Item> items(240);
    for (int i = 0; i < 240; ++i) {
        items[i].name = "d" + std::to_string(i % 12) + "/f" + std::to_string(i) + ".bin";
        items[i].data.resize(i % 7 == 0 ? 0 : i % 5 == 0 ? 300000 + i : 1000 + i * 37);
        for (size_t k = 0; k < items[i].data.size(); ++k)
            items[i].data[k] = static_cast<char>((k * 31 + i + (k >> 9)) & 0xFF);
        items[i].deflate = i % 3 != 0;
    }
    return items;
}

std::wstring WinName(const std::string& name) {
    std::wstring w = testutil::Widen(name);
    w[w.find(L'/')] = L'\\';
    return w;
}

TEST(UnpackWorkers, TheFirstFailureInArchiveOrderDecides) {
    const struct {
        const char* what;
        int badCrc, badHeader, held;  // entry indexes, -1 for none
        int result;
    } cases[] = {
        {"no failure", -1, -1, -1, 0},
        {"damaged data", 150, -1, -1, 5},
        {"missing header before damaged data", 200, 100, -1, 2},
        {"damaged data before a missing header", 50, 230, -1, 5},
        {"damage after a file held open", 200, -1, 10, 5},
        {"damage before a file held open", 10, -1, 200, 5},
        {"a file held open alone", -1, -1, 120, 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testutil::TempDir dir(L"fail");
        std::vector<Item> items = ManyFiles();
        const std::wstring target = dir / L"out";
        ASSERT_TRUE(testutil::MakeDirs(target + L"\\d3"));
        // Files already there are replaced, a read-only one too, unless their entry fails.
        ASSERT_TRUE(testutil::WriteBytes(target + L"\\d3\\f15.bin", "old"));
        SetFileAttributesW((target + L"\\d3\\f15.bin").c_str(), FILE_ATTRIBUTE_READONLY);
        for (int i : {c.badCrc, c.badHeader, c.held}) {
            if (i < 0) continue;
            items[i].badCrc = i == c.badCrc;
            items[i].badHeader = i == c.badHeader;
            items[i].held = i == c.held;
            ASSERT_TRUE(testutil::MakeDirs(target + L"\\d" + std::to_wstring(i % 12)));
            ASSERT_TRUE(testutil::WriteBytes(target + L"\\" + WinName(items[i].name), "old"));
        }
        ASSERT_TRUE(testutil::WriteBytes(dir / L"a.zip", MakeZip(items)));
        HANDLE held = c.held < 0 ? INVALID_HANDLE_VALUE
                                 : CreateFileW((target + L"\\" + WinName(items[c.held].name)).c_str(), GENERIC_READ,
                                               0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (c.held >= 0) {
            ASSERT_NE(held, INVALID_HANDLE_VALUE);
        }
        EXPECT_EQ(ExtractZipToDir((dir / L"a.zip").c_str(), target.c_str(), 0), c.result);
        if (held != INVALID_HANDLE_VALUE) CloseHandle(held);

        // Every entry before the first damaged one is in place; failed entries keep their old
        // file; no temporary file is left. Entries after it that were under way may be there too.
        std::map<std::wstring, std::string> got = launchertest::ListTree(target);
        bool beforeFirstBad = true;
        for (const Item& it : items) {
            SCOPED_TRACE(it.name);
            beforeFirstBad = beforeFirstBad && !it.badCrc && !it.badHeader;
            const std::wstring name = WinName(it.name);
            if (it.badCrc || it.badHeader || it.held) {
                EXPECT_EQ(got[name], "old");
            } else if (beforeFirstBad) {
                EXPECT_TRUE(got[name] == it.data);
            }
            got.erase(name);
        }
        for (const auto& g : got) EXPECT_EQ(g.second, "<dir>") << testutil::Narrow(g.first);
    }
}

TEST(UnpackWorkers, CollidingNamesKeepArchiveOrder) {
    testutil::TempDir dir(L"dup");
    std::vector<Item> items = ManyFiles();
    // One file under three spellings (the last stays), and a file where a later entry needs a
    // folder (that entry cannot be written).
    items.insert(items.begin() + 5, Item{"d1/Same.txt", "first"});
    items.insert(items.begin() + 9, Item{"d4/block", "a file"});
    items.push_back(Item{"d1/same.TXT", "second", false});
    items.push_back(Item{"D1/SAME.txt", "third"});
    items.push_back(Item{"d4/block/inner.txt", "cannot be"});
    ASSERT_TRUE(testutil::WriteBytes(dir / L"a.zip", MakeZip(items)));
    ASSERT_TRUE(testutil::MakeDirs(dir / L"out"));

    EXPECT_EQ(ExtractZipToDir((dir / L"a.zip").c_str(), (dir / L"out").c_str(), 0), 6);
    std::string text;
    ASSERT_TRUE(testutil::ReadBytes(dir / L"out\\d1\\same.txt", text));
    EXPECT_EQ(text, "third");
    ASSERT_TRUE(testutil::ReadBytes(dir / L"out\\d4\\block", text));
    EXPECT_EQ(text, "a file");
    EXPECT_EQ(launchertest::ListTree(dir / L"out")[L"d3\\f3.bin"], items[3].data);
}

// Spellings the file system takes for one name, on two entries side by side: a large file, then
// a small one under the other spelling that must replace it.
TEST(UnpackWorkers, SpellingsOfOneNameKeepArchiveOrder) {
    testutil::TempDir dir(L"spell");
    // The short name the file system gives this long one.
    ASSERT_TRUE(testutil::WriteBytes(dir / L"longfilename.txt", "x"));
    wchar_t shortPath[MAX_PATH] = {};
    ASSERT_GT(GetShortPathNameW((dir / L"longfilename.txt").c_str(), shortPath, MAX_PATH), 0u);
    const std::string shortName = testutil::Narrow(wcsrchr(shortPath, L'\\') + 1);
    ASSERT_NE(shortName, "longfilename.txt");
    for (const std::string& second : {std::string("longfilename.txt."), std::string("longfilename.txt "), shortName}) {
        SCOPED_TRACE(second);
        std::vector<Item> items = ManyFiles();
        items.insert(items.begin() + 100, {Item{"d1/longfilename.txt", std::string(4 << 20, 'a')},
                                           Item{"d1/" + second, "second"}});
        testutil::RemoveTree(dir / L"out");
        ASSERT_TRUE(testutil::MakeDirs(dir / L"out"));
        ASSERT_TRUE(testutil::WriteBytes(dir / L"a.zip", MakeZip(items)));
        EXPECT_EQ(ExtractZipToDir((dir / L"a.zip").c_str(), (dir / L"out").c_str(), 0), 0);
        std::string text;
        EXPECT_TRUE(testutil::ReadBytes(dir / L"out\\d1\\longfilename.txt", text));
        EXPECT_TRUE(text == "second") << text.substr(0, 16);
    }
}

// Each folder entry "Dnnn/" is followed by "dnnn/x.dll": two workers make the one folder at once.
TEST(UnpackWorkers, AFolderSpeltTwoWaysIsMadeOnce) {
    testutil::TempDir dir(L"fcase");
    std::vector<Item> items;
    for (int i = 0; i < 200; ++i) {
        const std::string n = std::to_string(1000 + i);
        items.push_back(Item{"D" + n + "/", ""});
        items.push_back(Item{"d" + n + "/x.dll", "x"});
    }
    ASSERT_TRUE(testutil::WriteBytes(dir / L"a.zip", MakeZip(items)));
    ASSERT_TRUE(testutil::MakeDirs(dir / L"out"));
    EXPECT_EQ(ExtractZipToDir((dir / L"a.zip").c_str(), (dir / L"out").c_str(), 0), 0);
    EXPECT_EQ(launchertest::ListTree(dir / L"out").size(), 400u);
}

}  // namespace
