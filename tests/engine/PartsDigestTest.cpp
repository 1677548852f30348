// The digest made while the parts arrive: it must equal the digest of the file the join builds
// (each part cut at its end, zeros over a short part's gap), even when the join renames and
// deletes the part files while the digest is still behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "NetTestUtil.h"
#include "PartsDigest.h"
#include "TestUtil.h"
#include "WinHandle.h"

namespace {

constexpr uint64_t kPart = 300000;  // more than one read block of the digest

// Each part file's length against its part's: < 0 short, > 0 overlong.
struct Layout {
    const char* name;
    long long delta[4];
};

TEST(PartsDigest, FollowsPartFilesTheJoinRenamesAndDeletes) {
    const Layout layouts[] = {
        {"whole parts", {0, 0, 0, 0}},
        {"overlong parts are cut", {4096, 1, 0, 77}},
        {"a short part leaves zeros, a short last part a short file", {0, -5000, 0, -1}},
    };
    const std::string whole = nettest::Pattern(4 * kPart + 100, 11);
    for (const Layout& l : layouts) {
        SCOPED_TRACE(l.name);
        testutil::TempDir dir(L"digest");
        std::vector<PartsDigest::Part> parts;
        std::string content[4], joined;  // the part files, and what the join builds from them
        kesh::UniqueHandle running[4];   // part 0 is still arriving
        for (int i = 0; i < 4; ++i) {
            content[i] = whole.substr(i * kPart, static_cast<size_t>(static_cast<long long>(kPart) + l.delta[i]));
            running[i].reset(CreateEventW(nullptr, TRUE, i != 0, nullptr));
            parts.push_back({dir / (L"p" + std::to_wstring(i)), i * kPart, (i + 1) * kPart, running[i].get()});
            joined.resize(i * kPart, '\0');
            joined += content[i].substr(0, kPart);
            // Part 0 lacks its last byte, so the digest cannot leave it before the join has begun.
            ASSERT_TRUE(testutil::WriteBytes(parts[i].fileName, i ? content[i] : content[0].substr(0, kPart - 1)));
        }
        PartsDigest digest;
        digest.Start(parts);
        digest.Hold();
        const std::wstring target = dir / L"joined";
        ASSERT_TRUE(MoveFileExW(parts[0].fileName.c_str(), target.c_str(), 0));
        for (int i = 1; i < 4; ++i) ASSERT_TRUE(DeleteFileW(parts[i].fileName.c_str()));
        kesh::UniqueFile rest(CreateFileW(target.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, 0, nullptr));
        DWORD done = 0;
        ASSERT_TRUE(WriteFile(rest.get(), &content[0][kPart - 1], DWORD(content[0].size() - kPart + 1), &done, 0));
        rest.reset();
        SetEvent(running[0].get());

        char out[33] = {};
        uint64_t covered = 0;
        ASSERT_TRUE(digest.Finish(out, covered));
        EXPECT_EQ(covered, joined.size());
        EXPECT_EQ(std::string(out), nettest::Md5Hex(joined));
        for (int i = 0; i < 4; ++i) EXPECT_EQ(digest.HashedFrom(i), std::min<uint64_t>(content[i].size(), kPart));
    }
}

}  // namespace
