// The unpacking library's workers: archives of many entries, made here, unpack to the same tree
// and the same result code as one entry after another would give them, whichever worker meets a
// failure first.
#include <gtest/gtest.h>
#include <zlib.h>

#include <map>
#include <string>
#include <vector>

#include "TestUtil.h"
#include "ZipFixtures.h"

extern "C" int __cdecl ExtractZipToDir(const wchar_t* zipPath, const wchar_t* folder, int reserved);

namespace {

using testutil::TempDir;

struct Item {
    std::string name;  // UTF-8, '/' separated
    std::string data;
    bool deflate = true;
    bool badCrc = false;     // damaged data: result 5
    bool badHeader = false;  // local header missing: result 2
    bool held = false;       // its old file is held open: result 6
};

void Put16(std::string& out, unsigned v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

std::string Deflate(const std::string& data) {
    z_stream z{};
    deflateInit2(&z, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, static_cast<uLong>(data.size())), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(&out[0]);
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

std::string MakeZip(const std::vector<Item>& items) {
    std::string zip, dir;
    for (const Item& it : items) {
        uint32_t crc = crc32(0, reinterpret_cast<const Bytef*>(it.data.data()), static_cast<uInt>(it.data.size()));
        if (it.badCrc) crc ^= 1;
        const std::string packed = it.deflate ? Deflate(it.data) : it.data;
        const uint32_t at = static_cast<uint32_t>(zip.size());
        std::string head;
        Put16(head, 20);
        Put16(head, 0x800);  // UTF-8 names
        Put16(head, it.deflate ? 8 : 0);
        Put32(head, 0);  // time and date
        Put32(head, crc);
        Put32(head, static_cast<uint32_t>(packed.size()));
        Put32(head, static_cast<uint32_t>(it.data.size()));
        Put16(head, static_cast<unsigned>(it.name.size()));
        Put16(head, 0);
        Put32(zip, it.badHeader ? 0x12345678 : 0x04034b50);
        zip += head + it.name + packed;
        Put32(dir, 0x02014b50);
        Put16(dir, 20);
        dir += head;
        Put16(dir, 0);  // comment
        Put16(dir, 0);  // disk
        Put16(dir, 0);  // internal attributes
        Put32(dir, 0);  // external attributes
        Put32(dir, at);
        dir += it.name;
    }
    const uint32_t dirAt = static_cast<uint32_t>(zip.size());
    zip += dir;
    Put32(zip, 0x06054b50);
    Put32(zip, 0);
    Put16(zip, static_cast<unsigned>(items.size()));
    Put16(zip, static_cast<unsigned>(items.size()));
    Put32(zip, static_cast<uint32_t>(dir.size()));
    Put32(zip, dirAt);
    Put16(zip, 0);
    return zip;
}

// 240 files in 12 folders: stored and deflated, empty, small and larger than one buffer.
std::vector<Item> ManyFiles() {
    std::vector<Item> items;
    for (int i = 0; i < 240; ++i) {
        Item it;
        it.name = "d" + std::to_string(i % 12) + "/f" + std::to_string(i) + ".bin";
        const size_t size = i % 7 == 0 ? 0 : i % 5 == 0 ? 300000 + i : 1000 + i * 37;
        it.data.resize(size);
        for (size_t k = 0; k < size; ++k) it.data[k] = static_cast<char>((k * 31 + i * 7 + (k >> 9)) & 0xFF);
        it.deflate = i % 3 != 0;
        items.push_back(it);
    }
    return items;
}

std::wstring WinName(const std::string& name) {
    std::wstring w = testutil::Widen(name);
    for (wchar_t& c : w)
        if (c == L'/') c = L'\\';
    return w;
}

// What unpacking the items gives, entry after entry, up to the first damaged one; old files
// stay where their entry fails.
std::map<std::wstring, std::string> Expected(const std::vector<Item>& items, size_t stop,
                                             const std::map<std::wstring, std::string>& old) {
    std::map<std::wstring, std::string> tree = old;
    for (const auto& o : old) tree[o.first.substr(0, o.first.find(L'\\'))] = "<dir>";
    for (size_t i = 0; i < items.size() && i < stop; ++i) {
        const std::wstring name = WinName(items[i].name);
        tree[name.substr(0, name.find(L'\\'))] = "<dir>";
        if (!items[i].held) tree[name] = items[i].data;
    }
    return tree;
}

TEST(UnpackWorkers, ManyEntriesGiveTheTreeOfOneByOne) {
    TempDir dir(L"many");
    std::vector<Item> items = ManyFiles();
    const std::wstring zip = dir / L"many.zip";
    ASSERT_TRUE(testutil::WriteBytes(zip, MakeZip(items)));
    const std::wstring target = dir / L"out";
    // Some files are there already, one of them read-only: they are replaced.
    ASSERT_TRUE(testutil::MakeDirs(target + L"\\d3"));
    ASSERT_TRUE(testutil::WriteBytes(target + L"\\d3\\f3.bin", std::string(500000, 'o')));
    ASSERT_TRUE(testutil::WriteBytes(target + L"\\d3\\f15.bin", "old"));
    SetFileAttributesW((target + L"\\d3\\f15.bin").c_str(), FILE_ATTRIBUTE_READONLY);

    EXPECT_EQ(ExtractZipToDir(zip.c_str(), target.c_str(), 0), 0);
    EXPECT_TRUE(launchertest::ListTree(target) == Expected(items, items.size(), {}));
    // Again over the full tree: every file now takes the replacing path.
    EXPECT_EQ(ExtractZipToDir(zip.c_str(), target.c_str(), 0), 0);
    EXPECT_TRUE(launchertest::ListTree(target) == Expected(items, items.size(), {}));
}

TEST(UnpackWorkers, TheFirstFailureInArchiveOrderDecides) {
    struct Case {
        const char* what;
        int badCrc, badHeader, held;  // entry indexes, -1 for none
        int result;
    };
    const Case cases[] = {
        {"damaged data", 150, -1, -1, 5},
        {"missing header before damaged data", 200, 100, -1, 2},
        {"damaged data before a missing header", 50, 230, -1, 5},
        {"damage after a file held open", 200, -1, 10, 5},
        {"damage before a file held open", 10, -1, 200, 5},
        {"a file held open alone", -1, -1, 120, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir(L"fail");
        std::vector<Item> items = ManyFiles();
        if (c.badCrc >= 0) items[c.badCrc].badCrc = true;
        if (c.badHeader >= 0) items[c.badHeader].badHeader = true;
        std::map<std::wstring, std::string> old;
        for (int i : {c.badCrc, c.badHeader, c.held}) {
            if (i < 0) continue;
            if (i == c.held) items[i].held = true;
            old[WinName(items[i].name)] = "old";
        }
        const std::wstring zip = dir / L"fail.zip";
        ASSERT_TRUE(testutil::WriteBytes(zip, MakeZip(items)));
        const std::wstring target = dir / L"out";
        for (const auto& o : old) {
            ASSERT_TRUE(testutil::MakeDirs(target + L"\\" + o.first.substr(0, o.first.find(L'\\'))));
            ASSERT_TRUE(testutil::WriteBytes(target + L"\\" + o.first, o.second));
        }
        HANDLE held = INVALID_HANDLE_VALUE;
        if (c.held >= 0) {
            held = CreateFileW((target + L"\\" + WinName(items[c.held].name)).c_str(), GENERIC_READ, 0, nullptr,
                               OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(held, INVALID_HANDLE_VALUE);
        }
        EXPECT_EQ(ExtractZipToDir(zip.c_str(), target.c_str(), 0), c.result);
        if (held != INVALID_HANDLE_VALUE) CloseHandle(held);

        // Everything before the first damaged entry is in place, the damaged ones keep their old
        // file, and no temporary file is left. Entries after it that workers had already begun
        // may be there too, whole.
        const int firstBad = c.badCrc >= 0 && (c.badHeader < 0 || c.badCrc < c.badHeader) ? c.badCrc : c.badHeader;
        const size_t stop = firstBad < 0 ? items.size() : static_cast<size_t>(firstBad);
        const std::map<std::wstring, std::string> want = Expected(items, stop, old);
        std::map<std::wstring, std::string> got = launchertest::ListTree(target);
        for (const auto& w : want) {
            SCOPED_TRACE(testutil::Narrow(w.first));
            ASSERT_EQ(got.count(w.first), 1u);
            EXPECT_TRUE(got[w.first] == w.second);
        }
        for (const auto& g : got) {
            SCOPED_TRACE(testutil::Narrow(g.first));
            EXPECT_EQ(g.first.find(L"unzip~"), std::wstring::npos);
            if (want.count(g.first) == 0 && g.second != "<dir>") {
                bool inArchive = false;
                for (const Item& it : items)
                    if (WinName(it.name) == g.first) inArchive = it.data == g.second && !it.badCrc && !it.badHeader;
                EXPECT_TRUE(inArchive);
            }
        }
    }
}

TEST(UnpackWorkers, CollidingNamesKeepArchiveOrder) {
    TempDir dir(L"dup");
    std::vector<Item> items = ManyFiles();
    // The same file twice under two spellings (the later one stays), and a file where a later
    // entry needs a folder (that entry cannot be written).
    items.insert(items.begin() + 5, Item{"d1/Same.txt", "first", true});
    items.push_back(Item{"d1/same.TXT", "second", false});
    items.push_back(Item{"D1/SAME.txt", "third", true});
    items.insert(items.begin() + 9, Item{"d4/block", "a file", true});
    items.push_back(Item{"d4/block/inner.txt", "cannot be", true});
    const std::wstring zip = dir / L"dup.zip";
    ASSERT_TRUE(testutil::WriteBytes(zip, MakeZip(items)));
    const std::wstring target = dir / L"out";
    ASSERT_TRUE(testutil::MakeDirs(target));

    EXPECT_EQ(ExtractZipToDir(zip.c_str(), target.c_str(), 0), 6);
    std::map<std::wstring, std::string> got = launchertest::ListTree(target);
    std::string same;
    ASSERT_TRUE(testutil::ReadBytes(target + L"\\d1\\same.txt", same));
    EXPECT_EQ(same, "third");
    EXPECT_EQ(got[L"d4\\block"], "a file");
    EXPECT_EQ(got[L"d3\\f3.bin"], items[3].data);
}

}  // namespace
