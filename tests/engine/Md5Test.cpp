// The digest against reference values (RFC 1321's suite and lengths around the 64-byte block and
// its 56-byte padding boundary, made with Python's hashlib), in memory and through files.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Md5.h"
#include "NetTestUtil.h"
#include "TestUtil.h"

namespace {

std::string Digest(const std::string& data, size_t piece) {
    MD5_CTX ctx;
    for (size_t at = 0; at < data.size(); at += piece) {
        const size_t n = std::min(piece, data.size() - at);
        ctx.MD5Update(reinterpret_cast<const unsigned char*>(data.data() + at), static_cast<uint32_t>(n));
    }
    unsigned char d[16];
    ctx.MD5Final(d);
    char hex[33];
    MD5_CTX::ToHex(d, hex);
    return hex;
}

struct Vector {
    std::string data;
    const char* md5;
};

std::vector<Vector> Vectors() {
    std::vector<Vector> v = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    const std::pair<size_t, const char*> lengths[] = {
        {55, "852e13533f66e414bbbbb3348de4f81f"},  {56, "98e8cb3457434649644b5fe9f4e5e4fa"},
        {57, "d04618e1f7181650056a79ed93eaef2a"},  {63, "c9803ddca3b148d91d5f214be64197d4"},
        {64, "bc00c8534af1e5aef0ede584d8ad5bc3"},  {65, "4e114d3e0baf5ace365e0552a3273291"},
        {119, "e0c0cb3cbc027ba4d5a6c983754f2dc1"}, {120, "3d7a96a57e721a4e2c2cbe55937e10e2"},
        {128, "154b8c17cfb174384edd9557e3e64e2b"},
    };
    for (const auto& l : lengths) v.push_back({nettest::Pattern(l.first, 7), l.second});
    return v;
}

TEST(Md5, ReferenceVectorsInAnyPieces) {
    for (const Vector& v : Vectors()) {
        // Pieces of 1, 3 and 64 bytes and one piece cross the block buffer in every way.
        for (size_t piece : {size_t(1), size_t(3), size_t(64), v.data.size() + 1})
            EXPECT_EQ(Digest(v.data, piece), v.md5) << v.data.size() << " bytes, pieces of " << piece;
    }
}

TEST(Md5, ContextIsReusableAfterFinal) {
    MD5_CTX ctx;
    unsigned char d[16];
    char hex[33];
    ctx.MD5Update(reinterpret_cast<const unsigned char*>("junk"), 4);
    ctx.MD5Final(d);
    ctx.MD5Update(reinterpret_cast<const unsigned char*>("abc"), 3);
    ctx.MD5Final(d);
    MD5_CTX::ToHex(d, hex);
    EXPECT_STREQ(hex, "900150983cd24fb0d6963f7d28e17f72");
}

TEST(Md5, FilesIncludingOneLargerThanABlock) {
    testutil::TempDir dir(L"md5");
    std::vector<Vector> cases = Vectors();
    // Three blocks of the file reader and a tail.
    cases.push_back({nettest::Pattern(3 * 1024 * 1024 + 17, 7), "69ff5eb3ca205e2c83a047a713287f05"});
    int i = 0;
    for (const Vector& v : cases) {
        const std::wstring name = dir / (L"f" + std::to_wstring(i++));
        ASSERT_TRUE(testutil::WriteBytes(name, v.data));
        char out[33] = "untouched";
        ASSERT_TRUE(MD5_CTX().MD5File(out, testutil::Narrow(name).c_str())) << v.data.size();
        EXPECT_STREQ(out, v.md5) << v.data.size() << " bytes";
    }
}

TEST(Md5, MissingFileLeavesTheOutputAlone) {
    testutil::TempDir dir(L"md5");
    char out[33] = "previous";
    EXPECT_FALSE(MD5_CTX().MD5File(out, testutil::Narrow(dir / L"missing.bin").c_str()));
    EXPECT_STREQ(out, "previous");
}

}  // namespace
