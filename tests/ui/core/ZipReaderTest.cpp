// The skin zip reader over archives made by zlib here, by Python's zipfile and by Info-ZIP,
// from a path, a file handle and a memory block that ends at an inaccessible page.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "CoreTestUtil.h"
#include "TestUtil.h"
#include "ZipReader.h"

using namespace Veneer;
using coretest::BuildZip;
using coretest::GuardedBytes;
using coretest::ZipImage;
using coretest::ZipItem;

namespace {

const std::wstring kFixtures = ZIP_FIXTURE_DIR;

struct Payloads {
    std::string xml, blob, big;
};

Payloads LoadPayloads() {
    std::string all;
    EXPECT_TRUE(testutil::ReadBytes(kFixtures + L"/payloads.bin", all));
    std::vector<std::string> parts;
    for (size_t at = 0; at + 4 <= all.size();) {
        const uint32_t n = static_cast<uint8_t>(all[at]) | static_cast<uint8_t>(all[at + 1]) << 8 |
                           static_cast<uint8_t>(all[at + 2]) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(all[at + 3])) << 24;
        parts.push_back(all.substr(at + 4, n));
        at += 4 + n;
    }
    parts.resize(3);
    return {parts[0], parts[1], parts[2]};
}

struct Closer {
    void operator()(TZipArchive* a) const { CloseZipArchive(a); }
};
using Archive = std::unique_ptr<TZipArchive, Closer>;

// What a caller does: one buffer of the entry's size, then the call that closes the entry.
struct Read {
    int find = -1, first = -1, last = -1;
    std::string data;
};

Read ReadEntry(TZipArchive* a, const wchar_t* name, bool ignoreCase = true) {
    Read r;
    int index = -1;
    TZipEntryInfo info{};
    r.find = FindZipEntry(a, name, ignoreCase, &index, &info);
    if (r.find != 0) return r;
    EXPECT_EQ(info.index, index);
    if (info.uncompressedSize > (64u << 20)) return r;
    r.data.assign(info.uncompressedSize, '\0');
    r.first = ExtractZipEntry(a, index, &r.data[0], info.uncompressedSize, kZipToMemory);
    r.last = ExtractZipEntry(a, index, &r.data[0], info.uncompressedSize, kZipToMemory);
    return r;
}

ZipImage SmallArchive(const std::string& prefix = "") {
    std::string text;
    for (int i = 0; i < 300; ++i) text += "<Item name=\"row" + std::to_string(i) + "\"/>\n";
    std::string noise;
    coretest::Rng rng(7);
    for (int i = 0; i < 3000; ++i) noise += static_cast<char>(rng.Next());
    return BuildZip({{"a.txt", "0123456789", 0}, {"skin/b.xml", text, 8}, {"c.bin", noise, 8}}, prefix);
}

enum class Source { Path, Handle, Memory };

// Opens the same archive bytes from each kind of source.
class Opened {
public:
    Opened(const std::string& bytes, Source how) : dir_(L"zip") {
        const std::wstring path = dir_ / L"a.zip";
        EXPECT_TRUE(testutil::WriteBytes(path, bytes));
        if (how == Source::Path) {
            archive_.reset(OpenZipArchive(path.c_str(), 0, kZipFromFile));
        } else if (how == Source::Handle) {
            HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
            archive_.reset(OpenZipArchive(h, 0, kZipFromHandle));
            CloseHandle(h);  // the reader keeps a duplicate of its own
        } else {
            mem_ = std::make_unique<GuardedBytes>(bytes);
            archive_.reset(OpenZipArchive(mem_->data(), mem_->size(), kZipFromMemory));
        }
    }
    TZipArchive* get() const { return archive_.get(); }

private:
    testutil::TempDir dir_;
    std::unique_ptr<GuardedBytes> mem_;
    Archive archive_;
};

TEST(ZipReader, ReadsArchivesOfEveryMakerFromEverySource) {
    const Payloads p = LoadPayloads();
    ASSERT_FALSE(p.big.empty());
    struct Expect {
        const wchar_t* name;
        const std::string* data;
    };
    const std::string longName = "long name";
    const std::vector<Expect> pyEntries = {{L"skin/main.xml", &p.xml}, {L"skin/logo.bin", &p.blob},
                                           {L"big.txt", &p.big}, {nullptr, &longName}};
    const std::vector<Expect> infoEntries = {{L"skin/main.xml", &p.xml}, {L"skin/logo.txt", &p.blob},
                                             {L"skin/big.xml", &p.big}};
    const ZipImage own = SmallArchive(std::string(777, 'P'));
    const std::string ownText = "0123456789";
    const std::vector<Expect> ownEntries = {{L"a.txt", &ownText}};

    struct Case {
        const char* what;
        std::string bytes;
        const std::vector<Expect>* entries;
    };
    std::vector<Case> cases;
    for (const wchar_t* f : {L"python.zip", L"prefixed.zip", L"infozip.zip"}) {
        std::string bytes;
        ASSERT_TRUE(testutil::ReadBytes(kFixtures + L"/" + f, bytes));
        cases.push_back({f[0] == L'i' ? "infozip" : f[0] == L'p' && f[1] == L'r' ? "prefixed" : "python", bytes,
                         f[0] == L'i' ? &infoEntries : &pyEntries});
    }
    cases.push_back({"zlib with prefix", own.bytes, &ownEntries});

    const std::wstring name255 = std::wstring(251, L'n') + L".txt";
    for (const Case& c : cases) {
        for (Source how : {Source::Path, Source::Handle, Source::Memory}) {
            Opened a(c.bytes, how);
            ASSERT_NE(a.get(), nullptr) << c.what << " " << int(how) << " " << GetZipLastResult();
            for (const Expect& e : *c.entries) {
                const Read r = ReadEntry(a.get(), e.name ? e.name : name255.c_str());
                EXPECT_EQ(r.find, 0) << c.what;
                EXPECT_EQ(r.first, e.data->empty() ? 0 : kZipMoreData) << c.what;
                EXPECT_EQ(r.last, 0) << c.what;
                EXPECT_TRUE(r.data == *e.data) << c.what << " " << testutil::Narrow(e.name ? e.name : L"255");
            }
        }
    }
}

TEST(ZipReader, FindsByNameWithEitherSlashAndCase) {
    std::string bytes;
    ASSERT_TRUE(testutil::ReadBytes(kFixtures + L"/python.zip", bytes));
    const ZipImage own = BuildZip({{std::string(256, 'x'), "too long", 0}, {"skin/main.xml", "m", 0}});
    GuardedBytes mem(own.bytes);
    Archive a(OpenZipArchive(mem.data(), mem.size(), kZipFromMemory));
    ASSERT_NE(a, nullptr);

    struct Case {
        const wchar_t* name;
        bool ignoreCase;
        int want;
    } cases[] = {
        {L"Skin\\Main.XML", true, 0},
        {L"Skin\\Main.XML", false, kZipNotFound},
        {L"skin\\main.xml", false, 0},
        {L"skin/main.xm", true, kZipNotFound},
        {L"", true, kZipNotFound},
        {nullptr, true, kZipNotFound},
    };
    for (const Case& c : cases) {
        int index = 99;
        TZipEntryInfo info{};
        info.index = 99;
        EXPECT_EQ(FindZipEntry(a.get(), c.name, c.ignoreCase, &index, &info), c.want) << testutil::Narrow(c.name ? c.name : L"(null)");
        EXPECT_EQ(GetZipLastResult(), c.want);
        EXPECT_EQ(index, c.want ? -1 : 1);
        EXPECT_EQ(info.index, c.want ? -1 : 1);
    }
    // A name of 256 characters is never found, even when the archive holds it.
    const std::wstring name256(256, L'x');
    EXPECT_EQ(FindZipEntry(a.get(), name256.c_str(), true, nullptr, nullptr), kZipNotFound);
    EXPECT_EQ(ReadEntry(a.get(), L"SKIN/MAIN.XML").data, "m");
}

TEST(ZipReader, MemoryExtractionContinuesUntilTheEntryEnds) {
    const ZipImage img = SmallArchive();
    GuardedBytes mem(img.bytes);
    Archive a(OpenZipArchive(mem.data(), mem.size(), kZipFromMemory));
    ASSERT_NE(a, nullptr);
    char ten[10];
    EXPECT_EQ(ExtractZipEntry(a.get(), 0, ten, 10, kZipToMemory), kZipMoreData);
    EXPECT_EQ(std::string(ten, 10), "0123456789");
    EXPECT_EQ(ExtractZipEntry(a.get(), 0, ten, 10, kZipToMemory), 0);

    // Small buffers: the same index keeps reading where it stopped, for both methods.
    for (int index : {0, 1, 2}) {
        std::string joined;
        char four[4];
        int rc, calls = 0;
        while ((rc = ExtractZipEntry(a.get(), index, four, 4, kZipToMemory)) == kZipMoreData && ++calls < 100000) {
            joined.append(four, 4);
        }
        EXPECT_EQ(rc, 0);
        const Read whole = ReadEntry(a.get(), index == 0 ? L"a.txt" : index == 1 ? L"skin/b.xml" : L"c.bin");
        EXPECT_EQ(joined.substr(0, whole.data.size()), whole.data) << index;
    }
    EXPECT_EQ(ExtractZipEntry(a.get(), 3, ten, 10, kZipToMemory), kZipBadArgument);
    EXPECT_EQ(ExtractZipEntry(a.get(), -1, ten, 10, kZipToMemory), kZipBadArgument);
    EXPECT_EQ(ExtractZipEntry(a.get(), 0, ten, 10, 9), kZipBadArgument);
}

FILETIME FromUnix(int64_t t) {
    const uint64_t v = static_cast<uint64_t>(t) * 10000000ULL + 116444736000000000ULL;
    return FILETIME{static_cast<DWORD>(v), static_cast<DWORD>(v >> 32)};
}

bool SameTime(const FILETIME& a, const FILETIME& b) {
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

// Restores the process's current folder at the end of a test.
struct CurrentDir {
    explicit CurrentDir(const std::wstring& to) {
        GetCurrentDirectoryW(MAX_PATH, old);
        SetCurrentDirectoryW(to.c_str());
    }
    ~CurrentDir() { SetCurrentDirectoryW(old); }
    wchar_t old[MAX_PATH];
};

TEST(ZipReader, ExtractsToFilesAndHandlesUnderTheRoot) {
    const Payloads p = LoadPayloads();
    testutil::TempDir top(L"zx");
    const std::wstring work = top / L"work";
    ASSERT_TRUE(testutil::MakeDirs(work));
    CurrentDir cd(work);
    Archive a(OpenZipArchive((kFixtures + L"/infozip.zip").c_str(), 0, kZipFromFile));
    ASSERT_NE(a, nullptr);

    int index = -1;
    TZipEntryInfo info{};
    ASSERT_EQ(FindZipEntry(a.get(), L"skin/big.xml", false, &index, &info), 0);
    // Info-ZIP's time block carries last write and last access.
    EXPECT_TRUE(SameTime(info.lastWriteTime, FromUnix(1700000000)));
    EXPECT_TRUE(SameTime(info.lastAccessTime, FromUnix(1700000000)));
    EXPECT_EQ(info.uncompressedSize, p.big.size());
    EXPECT_EQ(std::wstring(info.name), L"skin/big.xml");

    EXPECT_EQ(ExtractZipEntry(a.get(), index, const_cast<wchar_t*>(L"out/sub/big.xml"), 0, kZipToFile), 0);
    std::string got;
    ASSERT_TRUE(testutil::ReadBytes(work + L"\\out\\sub\\big.xml", got));
    EXPECT_TRUE(got == p.big);
    WIN32_FILE_ATTRIBUTE_DATA fa{};
    ASSERT_TRUE(GetFileAttributesExW((work + L"\\out\\sub\\big.xml").c_str(), GetFileExInfoStandard, &fa));
    EXPECT_TRUE(SameTime(fa.ftLastWriteTime, FromUnix(1700000000)));

    HANDLE h = CreateFileW((work + L"\\viahandle.bin").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    ASSERT_EQ(FindZipEntry(a.get(), L"skin/main.xml", false, &index, nullptr), 0);
    EXPECT_EQ(ExtractZipEntry(a.get(), index, h, 0, kZipToHandle), 0);
    CloseHandle(h);
    ASSERT_TRUE(testutil::ReadBytes(work + L"\\viahandle.bin", got));
    EXPECT_EQ(got, p.xml);

    // A directory entry becomes a folder under the root.
    ASSERT_EQ(FindZipEntry(a.get(), L"skin/", false, &index, &info), 0);
    EXPECT_TRUE(info.attributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(ExtractZipEntry(a.get(), index, const_cast<wchar_t*>(L"ignored"), 0, kZipToFile), 0);
    EXPECT_NE(GetFileAttributesW((work + L"\\skin").c_str()), INVALID_FILE_ATTRIBUTES);
    a.reset();

    // Names that climb out of the root create nothing there.
    ZipItem up{"../escape/", "", 0};
    up.externalAttributes = 0x10;
    const ZipImage img = BuildZip({up, {"f.bin", "data", 0}});
    Archive b(OpenZipArchive(img.bytes.data(), static_cast<DWORD>(img.bytes.size()), kZipFromMemory));
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(ExtractZipEntry(b.get(), 0, const_cast<wchar_t*>(L"x"), 0, kZipToFile), 0);
    EXPECT_EQ(GetFileAttributesW((top.path() + L"\\escape").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(ExtractZipEntry(b.get(), 1, const_cast<wchar_t*>(L"..\\made\\f.bin"), 0, kZipToFile), kZipOpenFailed);
    EXPECT_EQ(GetFileAttributesW((top.path() + L"\\made").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(ZipReader, TimeBlockFlagsPickTheTimes) {
    ZipItem onlyWrite{"w.txt", "w", 0};
    onlyWrite.localExtra = "UT" + coretest::Le16(5) + std::string(1, '\x01') + coretest::Le32(1600000000);
    // The block claims all three times but holds one; the bytes behind it belong to another block.
    ZipItem cut{"c.txt", "c", 0};
    cut.localExtra = "UT" + coretest::Le16(5) + std::string(1, '\x07') + coretest::Le32(1600000000) + "zz" +
                     coretest::Le16(8) + std::string(8, '\x7f');
    // A field too short for even the flags' times.
    ZipItem tiny{"t.txt", "t", 0};
    tiny.localExtra = "UT" + coretest::Le16(9) + std::string(1, '\x03');
    const ZipImage img = BuildZip({onlyWrite, cut, tiny});
    GuardedBytes mem(img.bytes);
    Archive a(OpenZipArchive(mem.data(), mem.size(), kZipFromMemory));
    ASSERT_NE(a, nullptr);

    FILETIME dos{};
    DosDateTimeToFileTime(0x5A21, 0x6000, &dos);
    for (const wchar_t* name : {L"w.txt", L"c.txt", L"t.txt"}) {
        TZipEntryInfo info{};
        ASSERT_EQ(FindZipEntry(a.get(), name, false, nullptr, &info), 0);
        const bool hasWrite = name[0] != L't';
        EXPECT_TRUE(SameTime(info.lastWriteTime, hasWrite ? FromUnix(1600000000) : dos)) << testutil::Narrow(name);
        EXPECT_TRUE(SameTime(info.lastAccessTime, dos)) << testutil::Narrow(name);
        EXPECT_TRUE(SameTime(info.creationTime, dos)) << testutil::Narrow(name);
        EXPECT_EQ(info.attributes, DWORD(FILE_ATTRIBUTE_NORMAL));
    }
}

TEST(ZipReader, RefusesWhatItCannotOpen) {
    // No entries: the end record sits at offset 0.
    const std::string emptyZip = coretest::Le32(0x06054B50) + std::string(18, '\0');
    EXPECT_EQ(OpenZipArchive(emptyZip.data(), static_cast<DWORD>(emptyZip.size()), kZipFromMemory), nullptr);
    EXPECT_EQ(OpenZipArchive(L"Z:\\no\\such\\file.zip", 0, kZipFromFile), nullptr);
    EXPECT_EQ(GetZipLastResult(), kZipOpenFailed);
    EXPECT_EQ(OpenZipArchive(emptyZip.data(), 0, 7), nullptr);
    EXPECT_EQ(GetZipLastResult(), kZipBadArgument);
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, nullptr, 0));
    EXPECT_EQ(OpenZipArchive(readEnd, 0, kZipFromHandle), nullptr);
    EXPECT_EQ(GetZipLastResult(), kZipNotDiskFile);
    CloseHandle(readEnd);
    CloseHandle(writeEnd);

    EXPECT_EQ(FindZipEntry(nullptr, L"a", true, nullptr, nullptr), kZipBadArgument);
    EXPECT_EQ(CloseZipArchive(nullptr), kZipBadArgument);
    TZipArchive foreign{2, nullptr};
    EXPECT_EQ(FindZipEntry(&foreign, L"a", true, nullptr, nullptr), kZipNotZipHandle);
    EXPECT_EQ(ExtractZipEntry(&foreign, 0, nullptr, 0, kZipToMemory), kZipNotZipHandle);
    EXPECT_EQ(CloseZipArchive(&foreign), kZipNotZipHandle);
}

// Damaged archives, each read from memory that ends at an inaccessible page and within a time
// bound: every one fails cleanly where the damage is, and nothing is reported as success.
TEST(ZipReader, DamagedArchivesFailCleanly) {
    const ZipImage base = SmallArchive();
    using coretest::Put16;
    using coretest::Put32;
    const size_t c1 = base.central[1], l1 = base.local[1], c0 = base.central[0], l0 = base.local[0];
    struct Case {
        const char* what;
        std::string bytes;
        int open;                       // expected last result of the open (0 = opens)
        const wchar_t* name = nullptr;
        int find = 0;
        bool extractFails = false;      // found, but its data must not come out as success
    };
    auto with = [&](auto edit) {
        std::string s = base.bytes;
        edit(s);
        return s;
    };
    const std::string name300(300, 'y');
    const ZipImage longName = BuildZip({{name300, "x", 0}, {"after.txt", "after", 8}});
    const std::vector<Case> cases = {
        {"truncated directory", base.bytes.substr(0, c1) + base.bytes.substr(base.end), kZipMalformed},
        {"counts differ", with([&](std::string& s) { Put16(s, base.end + 10, 7); }), kZipMalformed},
        {"counts beyond the directory", with([&](std::string& s) { Put16(s, base.end + 8, 900); Put16(s, base.end + 10, 900); }), kZipMalformed},
        {"directory offset overflows", with([&](std::string& s) { Put32(s, base.end + 16, 0xFFFFFFF0u); }), kZipMalformed},
        {"directory size overflows", with([&](std::string& s) { Put32(s, base.end + 12, 0xFFFFFFFFu); }), kZipMalformed},
        {"entry offset overflows", with([&](std::string& s) { Put32(s, c1 + 42, 0xFFFFFFF0u); }), 0, L"skin/b.xml", kZipLocalHeaderUnreadable},
        {"name length past the directory", with([&](std::string& s) { Put16(s, c1 + 28, 0xFFFF); }), 0, L"c.bin", kZipNotFound},
        {"local extra past the end", with([&](std::string& s) { Put16(s, l1 + 28, 0xFFFF); }), 0, L"skin/b.xml", kZipLocalHeaderMismatch},
        {"local method differs", with([&](std::string& s) { Put16(s, l1 + 8, 0); }), 0, L"skin/b.xml", kZipLocalHeaderMismatch},
        {"unknown method", with([&](std::string& s) { Put16(s, l1 + 8, 12); Put16(s, c1 + 10, 12); }), 0, L"skin/b.xml", kZipLocalHeaderMismatch},
        {"truncated stored entry", with([&](std::string& s) { for (size_t at : {c0 + 20, c0 + 24, l0 + 18, l0 + 22}) Put32(s, at, 100000); }), 0, L"a.txt", kZipLocalHeaderMismatch},
        {"claimed 4 GiB", with([&](std::string& s) { Put32(s, c1 + 24, 0xFFFFFFFFu); Put32(s, l1 + 22, 0xFFFFFFFFu); }), 0, L"skin/b.xml", kZipLocalHeaderMismatch},
        {"corrupt deflate", with([&](std::string& s) { for (size_t i = 0; i < 40; ++i) s[l1 + 30 + 10 + 50 + i] = '\xAA'; }), 0, L"skin/b.xml", 0, true},
        {"deflate cut short", with([&](std::string& s) { Put32(s, c1 + 20, 40); Put32(s, l1 + 18, 40); }), 0, L"skin/b.xml", 0, true},
        {"checksum differs", with([&](std::string& s) { Put32(s, c1 + 16, 1234); Put32(s, l1 + 14, 1234); }), 0, L"skin/b.xml", 0, true},
        {"300-byte name", longName.bytes, 0, std::wstring(300, L'y').c_str(), kZipNotFound},
    };
    for (const Case& c : cases) {
        coretest::FinishesWithin(10000, [&] {
            SCOPED_TRACE(c.what);
            GuardedBytes mem(c.bytes);
            Archive a(OpenZipArchive(mem.data(), mem.size(), kZipFromMemory));
            EXPECT_EQ(GetZipLastResult(), c.open);
            if (!a) return;
            if (c.name == nullptr) return;
            const Read r = ReadEntry(a.get(), c.name);
            EXPECT_EQ(r.find, c.find);
            if (c.extractFails) {
                EXPECT_EQ(r.first, kZipMemoryExtractFailed);
            }
            // The rest of the archive still reads.
            const bool own = c.bytes.size() == longName.bytes.size();
            const wchar_t* other = own ? L"after.txt" : wcscmp(c.name, L"a.txt") ? L"A.TXT" : L"C.BIN";
            EXPECT_EQ(ReadEntry(a.get(), other).find, 0);
        });
    }
    // The 300-byte name is cut, terminated, and the walk behind it still finds the next entry.
    Archive a(OpenZipArchive(longName.bytes.data(), static_cast<DWORD>(longName.bytes.size()), kZipFromMemory));
    EXPECT_EQ(ReadEntry(a.get(), L"after.txt").data, "after");
    int index = -1;
    EXPECT_EQ(FindZipEntry(a.get(), L"after.txt", true, &index, nullptr), 0);
    EXPECT_EQ(index, 1);
}

// Random damage to real archives must never crash, hang or read outside the block.
TEST(ZipReader, MutationLoopNeverCrashesOrHangs) {
    std::vector<std::string> seeds = {SmallArchive().bytes, SmallArchive("junk").bytes};
    for (const wchar_t* f : {L"python.zip", L"infozip.zip"}) {
        std::string bytes;
        ASSERT_TRUE(testutil::ReadBytes(kFixtures + L"/" + f, bytes));
        seeds.push_back(bytes);
    }
    const wchar_t* names[] = {L"a.txt", L"skin/b.xml", L"c.bin", L"skin/main.xml", L"skin/logo.bin", L"big.txt"};
    coretest::Rng rng(GetTickCount());
    int rounds = 0, opened = 0;
    coretest::FinishesWithin(30000, [&] {
        const ULONGLONG stop = GetTickCount64() + 3000;
        while (GetTickCount64() < stop) {
            const std::string bytes = coretest::Mutate(seeds[rng.Below(static_cast<uint32_t>(seeds.size()))], rng);
            GuardedBytes mem(bytes);
            Archive a(OpenZipArchive(mem.data(), mem.size(), kZipFromMemory));
            ++rounds;
            if (!a) continue;
            ++opened;
            for (const wchar_t* n : names) ReadEntry(a.get(), n);
            char small[64];
            for (int i = 0; i < 4; ++i) ExtractZipEntry(a.get(), i, small, sizeof(small), kZipToMemory);
        }
    });
    EXPECT_GT(rounds, 50);
    EXPECT_GT(opened, 0);
}

// A walk that stopped at a damaged central header must not leave the entry before it standing in
// for the damaged one: asking for it again fails again, whichever way it is extracted.
TEST(ZipReader, ADamagedEntryStaysDamagedWhenAskedForAgain) {
    const ZipImage base = SmallArchive();
    std::string bytes = base.bytes;
    coretest::Put32(bytes, base.central[1], 0x12345678);
    GuardedBytes mem(bytes);
    Archive a(OpenZipArchive(mem.data(), mem.size(), kZipFromMemory));
    ASSERT_NE(a, nullptr);
    testutil::TempDir dir(L"zd");
    const std::wstring out = dir / L"out.bin";
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        char buffer[64] = {};
        EXPECT_EQ(ExtractZipEntry(a.get(), 1, buffer, sizeof(buffer), kZipToMemory), kZipMemoryExtractFailed);
        EXPECT_EQ(std::string(buffer, 10), std::string(10, '\0'));
        EXPECT_EQ(ExtractZipEntry(a.get(), 1, const_cast<wchar_t*>(out.c_str()), 0, kZipToFile), kZipLocalHeaderMismatch);
        EXPECT_EQ(GetFileAttributesW(out.c_str()), INVALID_FILE_ATTRIBUTES);
    }
    EXPECT_EQ(ReadEntry(a.get(), L"a.txt").data, "0123456789");
}

}  // namespace
