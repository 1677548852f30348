// Archives made byte by byte to meet the apply where it could be fooled: entries that reuse each
// other's bytes, names like the apply's own copies, paths that are a file on one side and a folder
// on the other, and folder records known only by their names or carrying content. Every file stays
// old or becomes whole new, and every such update ends.
#include "UpdateFiles.h"
#include "ZipFixtures.h"

#include "ChildProcess.h"
#include "TestUtil.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using namespace launchertest;
using Tree = std::map<std::wstring, std::string>;

namespace {

void Put16(std::string& s, uint32_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& s, uint32_t v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}
void Patch32(std::string& s, size_t at, uint32_t v) {
    std::string le;
    Put32(le, v);
    s.replace(at, 4, le);
}
uint32_t Crc(const std::string& s) {
    return static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(s.data()), static_cast<uInt>(s.size())));
}

const uint16_t kMadeOnDos = 20, kMadeOnUnix = 0x0314;

// One entry as it lies in the archive; made on DOS, and a folder when its name ends in '/'.
struct Record {
    std::string name;
    std::string data;  // as stored: deflated when method is 8
    uint16_t method = 0;
    uint32_t crc = 0;
    uint32_t size = 0;
    std::string localExtra;
    uint16_t madeBy = kMadeOnDos;
    uint32_t external = 0;  // attributes, by the system madeBy names

    Record& As(uint16_t host, uint32_t attributes) {
        madeBy = host;
        external = attributes;
        return *this;
    }
};

uint32_t DosBits(const std::string& name) { return name.back() == '/' ? 0x10 : 0x20; }

Record Stored(const std::string& name, const std::string& content) {
    return Record{name, content, 0, Crc(content), static_cast<uint32_t>(content.size()), "", kMadeOnDos, DosBits(name)};
}

Record Deflated(const std::string& name, const std::string& content) {
    z_stream zs{};
    deflateInit2(&zs, 9, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&zs, static_cast<uLong>(content.size())), '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(content.data()));
    zs.avail_in = static_cast<uInt>(content.size());
    zs.next_out = reinterpret_cast<Bytef*>(&out[0]);
    zs.avail_out = static_cast<uInt>(out.size());
    deflate(&zs, Z_FINISH);
    out.resize(zs.total_out);
    deflateEnd(&zs);
    return Record{name, out, 8, Crc(content), static_cast<uint32_t>(content.size()), "", kMadeOnDos, DosBits(name)};
}

// Local records first, then the directory with whatever offsets the test gives.
class ZipWriter {
public:
    uint32_t Local(const Record& r) {
        const uint32_t at = static_cast<uint32_t>(bytes.size());
        Put32(bytes, 0x04034B50);
        Put16(bytes, 20);
        PutCommon(bytes, r);
        Put16(bytes, static_cast<uint32_t>(r.localExtra.size()));
        bytes += r.name + r.localExtra + r.data;
        return at;
    }
    void Central(const Record& r, uint32_t localAt) {
        Put32(dir_, 0x02014B50);
        Put16(dir_, r.madeBy);
        Put16(dir_, 20);
        PutCommon(dir_, r);
        for (int i = 0; i < 4; ++i) Put16(dir_, 0);  // extra, comment, disk, internal attributes
        Put32(dir_, r.external);
        Put32(dir_, localAt);
        dir_ += r.name;
        ++count_;
    }
    ZipWriter& Add(const Record& r) {
        Central(r, Local(r));
        return *this;
    }
    std::string Finish() const {
        std::string out = bytes + dir_;
        Put32(out, 0x06054B50);
        Put32(out, 0);
        Put16(out, count_);
        Put16(out, count_);
        Put32(out, static_cast<uint32_t>(dir_.size()));
        Put32(out, static_cast<uint32_t>(bytes.size()));
        Put16(out, 0);
        return out;
    }

    std::string bytes;  // the local records so far

private:
    // Flags, method, time, CRC-32, sizes and name length: the same in both headers.
    static void PutCommon(std::string& s, const Record& r) {
        Put16(s, 0);
        Put16(s, r.method);
        Put32(s, kDosTime);
        Put32(s, r.crc);
        Put32(s, static_cast<uint32_t>(r.data.size()));
        Put32(s, r.size);
        Put16(s, static_cast<uint32_t>(r.name.size()));
    }
    static const uint32_t kDosTime = (41u << 25) | (3u << 21) | (4u << 16) | (5u << 11) | (6u << 5) | 4u;
    std::string dir_;
    uint32_t count_ = 0;
};

std::string Name(const char* pattern, int i) {
    char buf[64];
    snprintf(buf, sizeof buf, pattern, i);
    return buf;
}

// The client folder, current while applying; what the apply logs is kept without the line prefix.
class HostileArchive : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t cwd[MAX_PATH];
        GetCurrentDirectoryW(MAX_PATH, cwd);
        oldCwd_ = cwd;
        ASSERT_TRUE(SetCurrentDirectoryW(client_.path().c_str()));
    }
    void TearDown() override { SetCurrentDirectoryW(oldCwd_.c_str()); }

    void Reset(const Tree& installed) {
        testutil::RemoveTree(client_.path());
        testutil::MakeDirs(client_.path());
        for (const auto& f : installed) {
            const std::wstring path = client_ / f.first;
            if (f.second == "<dir>") {
                ASSERT_TRUE(testutil::MakeDirs(path));
            } else {
                testutil::MakeDirs(path.substr(0, path.rfind(L'\\')));
                ASSERT_TRUE(testutil::WriteBytes(path, f.second));
            }
        }
    }
    // Applies the archive over what is installed; the tree afterwards, "update.zip" included.
    Tree Apply(const std::string& zip) {
        EXPECT_TRUE(testutil::WriteBytes(client_ / L"update.zip", zip));
        std::ostringstream err;
        std::streambuf* const oldErr = std::cerr.rdbuf(err.rdbuf());
        ApplyUpdateZip();
        std::cerr.rdbuf(oldErr);
        log_.clear();
        std::istringstream lines(err.str());
        for (std::string line; std::getline(lines, line);) log_.push_back(line.substr(line.find("] ") + 2));
        return ListTree(client_.path());
    }

    testutil::TempDir client_{L"hostile"};
    std::wstring oldCwd_;
    std::vector<std::string> log_;
};

TEST_F(HostileArchive, EntriesThatShareBytesAreRefusedWhole) {
    struct Case {
        const char* what;
        std::string zip;
        Tree written;
    };
    std::vector<Case> cases;
    {
        // 8 KiB that inflate to 8 MiB, named 24 times: 201 MB from a 10 KB archive.
        const Record bomb = Deflated("f00.bin", std::string(8 << 20, '\0'));
        ZipWriter w;
        const uint32_t at = w.Local(bomb);
        for (int i = 0; i < 24; ++i) {
            Record named = bomb;
            named.name = Name("f%02d.bin", i);
            w.Central(named, at);
        }
        cases.push_back({"24 entries at one local header", w.Finish(), {}});
    }
    {
        ZipWriter w;
        const Record a = Stored("a", "the one stored text");
        const uint32_t at = w.Local(a);
        w.Central(a, at);
        w.Central(Stored("b", "the one stored text"), at);
        cases.push_back({"two entries at one local header", w.Finish(), {}});
    }
    {
        // The first entry's data is the whole second entry, header and all.
        const Record inner = Stored("b.txt", "inner text");
        ZipWriter innerOnly;
        innerOnly.Local(inner);
        const Record outer = Stored("a.txt", innerOnly.bytes);
        ZipWriter w;
        const uint32_t at = w.Local(outer);
        w.Central(outer, at);
        w.Central(inner, at + 30 + 5);
        cases.push_back({"an entry whose data holds the next one", w.Finish(), {}});
    }
    {
        // The directory's sizes fit; the local extra field pushes a's data 50 bytes into b's.
        Record a = Stored("a.txt", std::string(40, 'a'));
        a.localExtra = std::string("\xFE\xCA\x60\x00", 4) + std::string(96, '\0');
        const Record b = Stored("b.txt", std::string(100, 'b'));
        ZipWriter w;
        w.Central(a, w.Local(a));
        w.Central(b, w.Local(b));
        std::string zip = w.Finish();
        const size_t data = 30 + 5 + 100, central = w.bytes.size();
        const uint32_t crc = Crc(zip.substr(data, 90));
        for (size_t at : {size_t(18), size_t(22), central + 20, central + 24}) Patch32(zip, at, 90);
        for (size_t at : {size_t(14), central + 16}) Patch32(zip, at, crc);
        cases.push_back({"a local extra field that pushes data into the next entry", zip,
                         {{L"b.txt", std::string(100, 'b')}}});
    }
    {
        ZipWriter w;
        Tree written = {{L"sound", "<dir>"}};
        for (int i = 0; i < 500; ++i) {
            w.Add(Deflated(Name("sound/f%03d.txt", i), Body(Name("f%03d", i), 1 + i % 7)));
            written[testutil::Widen(Name("sound\\f%03d.txt", i))] = Body(Name("f%03d", i), 1 + i % 7);
        }
        cases.push_back({"a sound archive of 500 entries", w.Finish(), written});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Reset({});
        EXPECT_EQ(Apply(c.zip), c.written);  // "update.zip" is gone too
    }
}

TEST_F(HostileArchive, FilesNamedLikeReplacementCopiesAreWrittenAsTheyAre) {
    const std::string copy = ".~lumora-new";
    struct Case {
        const char* what;
        std::vector<std::string> names;  // each entry's content is its name
        std::vector<std::string> installed;
    };
    std::vector<Case> cases = {
        {"look-alike first", {"v.txt" + copy, "v.txt"}, {"v.txt"}},
        {"look-alike last", {"v.txt", "v.txt" + copy}, {"v.txt"}},
        {"both installed, and a look-alike of the look-alike", {"v.txt" + copy, "v.txt", "v.txt" + copy + "2"},
         {"v.txt", "v.txt" + copy, "v.txt" + copy + "2"}},
        {"ten pairs", {}, {}},
    };
    for (int i = 0; i < 10; ++i) {
        const std::string file = Name("p%d.txt", i);
        for (const std::string& n : i % 2 ? std::vector<std::string>{file, file + copy}
                                          : std::vector<std::string>{file + copy, file})
            cases.back().names.push_back(n);
        cases.back().installed.push_back(file);
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Tree installed, expected;
        for (const std::string& n : c.installed) installed[testutil::Widen(n)] = "old " + n;
        Reset(installed);
        ZipWriter w;
        for (const std::string& n : c.names) {
            w.Add(Stored(n, "new " + n));
            expected[testutil::Widen(n)] = "new " + n;
        }
        EXPECT_EQ(Apply(w.Finish()), expected);
        EXPECT_EQ(log_, std::vector<std::string>{});
    }
}

// The launcher may be ended at any moment of an apply (a power cut, the task manager): the next
// start still lands every file exactly, and leaves no copy behind.
TEST_F(HostileArchive, AnApplyEndedAtAnyReadIsCompletedByTheNextStart) {
    const std::string copy = ".~lumora-new";
    // Large enough to take several reads each, so some ends fall in the middle of a file.
    const std::vector<std::string> names = {"v.txt" + copy, "v.txt", "dir/w.txt", "w.txt" + copy};
    ZipWriter w;
    Tree expected = {{L"dir", "<dir>"}};
    for (const std::string& n : names) {
        const std::string content = Body(n, 30000);
        w.Add(Stored(n, content));
        std::wstring rel = testutil::Widen(n);
        for (wchar_t& ch : rel) ch = ch == L'/' ? L'\\' : ch;
        expected[rel] = content;
    }
    const std::string zip = w.Finish();
    const Tree installed = {{L"v.txt", "old v"}, {L"dir\\w.txt", "old w"}};
    DWORD code = 9;
    int ends = 0;
    for (int read = 1; code == 9 && read < 100; ++read) {
        SCOPED_TRACE(read);
        Reset(installed);
        ASSERT_TRUE(testutil::WriteBytes(client_ / L"update.zip", zip));
        const testutil::RunResult r = testutil::Run(testutil::FromUnixPath(APPLY_PROBE_EXE),
                                                    L"\"" + client_.path() + L"\" " + std::to_wstring(read));
        ASSERT_TRUE(r.started);
        code = r.exitCode;
        if (code == 9) ++ends;
        ApplyUpdateZip();
        EXPECT_EQ(ListTree(client_.path()), expected);
    }
    EXPECT_EQ(code, 0u);  // the last run read the archive to its end
    EXPECT_GT(ends, 8);
}

TEST_F(HostileArchive, AFileOnOneSideAndAFolderOnTheOtherEndTheUpdate) {
    struct Case {
        const char* what;
        Tree installed;
        std::vector<std::string> entries;  // a file's content is its name
        Tree after;
        std::vector<std::string> log;
    };
    const Case cases[] = {
        {"an empty folder where the release has a file", {{L"a", "<dir>"}}, {"a"}, {{L"a", "a"}}, {}},
        // An apply ended after the empty folder went and before the file's copy took its name.
        {"the copy an ended apply left where no file is",
         {{L"cache\\tmp2.~lumora-new", "cache/tmp2"}},
         {"cache/tmp2"},
         {{L"cache", "<dir>"}, {L"cache\\tmp2", "cache/tmp2"}},
         {}},
        {"the numbered copy an ended apply left, where the archive writes the plain copy name",
         {{L"v.txt.~lumora-new2", "v.txt"}},
         {"v.txt", "v.txt.~lumora-new"},
         {{L"v.txt", "v.txt"}, {L"v.txt.~lumora-new", "v.txt.~lumora-new"}},
         {}},
        {"a folder with files where the release has a file",
         {{L"a", "<dir>"}, {L"a\\keep.txt", "kept"}},
         {"a", "other.txt"},
         {{L"a", "<dir>"}, {L"a\\keep.txt", "kept"}, {L"other.txt", "other.txt"}},
         {"update entry skipped, a folder with files stands in its place: a"}},
        {"files where the release has folders",
         {{L"a", "old a"}, {L"c", "old c"}},
         {"a/b.txt", "c/"},
         {{L"a", "<dir>"}, {L"a\\b.txt", "a/b.txt"}, {L"c", "<dir>"}},
         {}},
        {"the archive names a path as a file and as a folder",
         {{L"a", "old a"}},
         {"a/b.txt", "a", "d/", "d"},
         {{L"a", "<dir>"}, {L"a\\b.txt", "a/b.txt"}, {L"d", "<dir>"}},
         {"update entry skipped, the archive also makes it a folder: a",
          "update entry skipped, the archive also makes it a folder: d"}},
        {"the archive names a path through itself",
         {},
         {"update.zip/x.txt", "y.txt"},
         {{L"y.txt", "y.txt"}},
         {"update entry skipped, it would write over the update archive: update.zip\\x.txt"}},
        {"a folder with files where a replacement copy goes",
         {{L"v.txt", "old v"}, {L"v.txt.~lumora-new", "<dir>"}, {L"v.txt.~lumora-new\\keep", "kept"}},
         {"v.txt"},
         {{L"v.txt", "old v"}, {L"v.txt.~lumora-new", "<dir>"}, {L"v.txt.~lumora-new\\keep", "kept"}},
         {"update entry skipped, a folder stands where its copy is written: v.txt"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Reset(c.installed);
        ZipWriter w;
        for (const std::string& n : c.entries) w.Add(Stored(n, n.back() == '/' ? "" : n));
        const std::string zip = w.Finish();
        EXPECT_EQ(Apply(zip), c.after);  // no "update.zip" left for the next start
        EXPECT_EQ(log_, c.log);
        EXPECT_EQ(Apply(zip), c.after);  // and the same archive once more changes nothing
    }
}

// What jar, Compress-Archive and the like write: folder records known only by their names.
// And records that claim to be folders but have content: no tool writes one, and made as a
// folder it would cost the file installed there.
TEST_F(HostileArchive, FoldersAreKnownByTheirNamesAndHaveNoContent) {
    const std::string old = "old version";
    Reset({{L"a.txt", old}, {L"b.txt", old}});
    ZipWriter w;
    w.Add(Stored("logs/", "").As(kMadeOnDos, 0));
    w.Add(Stored("logs/empty/", "").As(kMadeOnDos, 0));
    w.Add(Stored("data\\", "").As(kMadeOnDos, 0));
    w.Add(Stored("data\\a.txt", "data a").As(kMadeOnDos, 0));
    w.Add(Stored("data\\sub\\", "").As(kMadeOnDos, 0));
    w.Add(Stored("a.txt", "v2.0.1").As(kMadeOnDos, 0x10));
    w.Add(Deflated("b.txt", "v2.0.1").As(kMadeOnUnix, 040755u << 16));
    w.Add(Stored("c.txt", "v2.0.1").As(kMadeOnDos, 0xFFFFFFFF));
    w.Add(Stored("d.txt", "v2.0.1").As(kMadeOnUnix, 0xFFFFFFFF));
    w.Add(Stored("e.txt/", "v2.0.1"));
    w.Add(Deflated("deflated/", ""));  // an empty folder record deflated to 2 bytes
    w.Add(Stored("f.txt", "v2.0.1"));
    const std::string zip = w.Finish();

    const Tree after = {{L"a.txt", old},          {L"b.txt", old},          {L"data", "<dir>"},
                        {L"data\\a.txt", "data a"}, {L"data\\sub", "<dir>"},  {L"deflated", "<dir>"},
                        {L"f.txt", "v2.0.1"},     {L"logs", "<dir>"},       {L"logs\\empty", "<dir>"}};
    EXPECT_EQ(Apply(zip), after);  // no "update.zip" left: no later start could do better
    std::vector<std::string> skipped;
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt", "e.txt/"})
        skipped.push_back(std::string("update entry skipped, it is marked a folder but has content: ") + name);
    EXPECT_EQ(log_, skipped);

    // The reader alone refuses it too, and leaves the installed file.
    ASSERT_TRUE(testutil::WriteBytes(client_ / L"update.zip", zip));
    HZIPARCHIVE reader = OpenZipArchive(L"update.zip");
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(ExtractZipEntry(reader, 5, L"a.txt"), kZipCorrupt);
    CloseZipArchive(reader);
    std::string kept;
    EXPECT_TRUE(testutil::ReadBytes(client_ / L"a.txt", kept));
    EXPECT_EQ(kept, old);
}

}  // namespace
