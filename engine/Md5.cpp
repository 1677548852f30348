#include "Md5.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "TextConv.h"
#include "WinHandle.h"

namespace {

constexpr uint32_t kInit[4] = {0x67452301u, 0xefcdab89u, 0x98badcfeu, 0x10325476u};

// The file is hashed a block at a time: a 32-bit process cannot hold a large zip in memory.
constexpr DWORD kFileBlock = 1u << 20;

inline uint32_t Rotl(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }
// Each round function split in two: the part that does not need b, the word the step before
// has just made, is added first, so the chain through b stays as short as the function allows.
// The values are those of the published functions; G's two halves are disjoint masks, so their
// sum is their union.
#define F_EARLY(x, y, z) 0u
#define F_LATE(x, y, z) ((z) ^ ((x) & ((y) ^ (z))))
#define G_EARLY(x, y, z) ((y) & ~(z))
#define G_LATE(x, y, z) ((x) & (z))
#define H_EARLY(x, y, z) 0u
#define H_LATE(x, y, z) ((x) ^ ((y) ^ (z)))
#define I_EARLY(x, y, z) 0u
#define I_LATE(x, y, z) ((y) ^ ((x) | ~(z)))

#define MD5_STEP(f, a, b, c, d, x, s, ac)                   \
    (a) += (x) + (uint32_t)(ac) + f##_EARLY((b), (c), (d)); \
    (a) += f##_LATE((b), (c), (d));                         \
    (a) = Rotl((a), (s)) + (b)

void Encode(unsigned char* out, const uint32_t* in, unsigned len) {
    for (unsigned i = 0, j = 0; j < len; ++i, j += 4) {
        out[j] = static_cast<unsigned char>(in[i] & 0xff);
        out[j + 1] = static_cast<unsigned char>((in[i] >> 8) & 0xff);
        out[j + 2] = static_cast<unsigned char>((in[i] >> 16) & 0xff);
        out[j + 3] = static_cast<unsigned char>((in[i] >> 24) & 0xff);
    }
}

}  // namespace

MD5_CTX::MD5_CTX() {
    std::memset(padding, 0, sizeof padding);
    padding[0] = 0x80;
    Reset();
}

MD5_CTX::~MD5_CTX() = default;

void MD5_CTX::Reset() {
    std::memcpy(state, kInit, sizeof state);
    count[0] = count[1] = 0;
    std::memset(buffer, 0, sizeof buffer);
}

void MD5_CTX::MD5Update(const unsigned char* input, uint32_t inputLen) {
    uint32_t index = (count[0] >> 3) & 0x3f;
    if ((count[0] += inputLen << 3) < (inputLen << 3)) ++count[1];
    count[1] += inputLen >> 29;
    const uint32_t partLen = 64 - index;
    uint32_t i = 0;
    if (inputLen >= partLen) {
        std::memcpy(&buffer[index], input, partLen);
        MD5Transform(state, buffer);
        for (i = partLen; i + 63 < inputLen; i += 64) MD5Transform(state, &input[i]);
        index = 0;
    }
    std::memcpy(&buffer[index], &input[i], inputLen - i);
}

void MD5_CTX::MD5Final(unsigned char digest[16]) {
    unsigned char bits[8];
    Encode(bits, count, 8);
    const uint32_t index = (count[0] >> 3) & 0x3f;
    const uint32_t padLen = index < 56 ? 56 - index : 120 - index;
    MD5Update(padding, padLen);
    MD5Update(bits, 8);
    Encode(digest, state, 16);
    Reset();
}

void MD5_CTX::MD5Transform(uint32_t st[4], const unsigned char block[64]) {
    uint32_t a = st[0], b = st[1], c = st[2], d = st[3], x[16];
    // The message words are little-endian, as are both targets: one copy decodes them.
    std::memcpy(x, block, sizeof x);

    MD5_STEP(F, a, b, c, d, x[0], 7, 0xd76aa478);
    MD5_STEP(F, d, a, b, c, x[1], 12, 0xe8c7b756);
    MD5_STEP(F, c, d, a, b, x[2], 17, 0x242070db);
    MD5_STEP(F, b, c, d, a, x[3], 22, 0xc1bdceee);
    MD5_STEP(F, a, b, c, d, x[4], 7, 0xf57c0faf);
    MD5_STEP(F, d, a, b, c, x[5], 12, 0x4787c62a);
    MD5_STEP(F, c, d, a, b, x[6], 17, 0xa8304613);
    MD5_STEP(F, b, c, d, a, x[7], 22, 0xfd469501);
    MD5_STEP(F, a, b, c, d, x[8], 7, 0x698098d8);
    MD5_STEP(F, d, a, b, c, x[9], 12, 0x8b44f7af);
    MD5_STEP(F, c, d, a, b, x[10], 17, 0xffff5bb1);
    MD5_STEP(F, b, c, d, a, x[11], 22, 0x895cd7be);
    MD5_STEP(F, a, b, c, d, x[12], 7, 0x6b901122);
    MD5_STEP(F, d, a, b, c, x[13], 12, 0xfd987193);
    MD5_STEP(F, c, d, a, b, x[14], 17, 0xa679438e);
    MD5_STEP(F, b, c, d, a, x[15], 22, 0x49b40821);

    MD5_STEP(G, a, b, c, d, x[1], 5, 0xf61e2562);
    MD5_STEP(G, d, a, b, c, x[6], 9, 0xc040b340);
    MD5_STEP(G, c, d, a, b, x[11], 14, 0x265e5a51);
    MD5_STEP(G, b, c, d, a, x[0], 20, 0xe9b6c7aa);
    MD5_STEP(G, a, b, c, d, x[5], 5, 0xd62f105d);
    MD5_STEP(G, d, a, b, c, x[10], 9, 0x02441453);
    MD5_STEP(G, c, d, a, b, x[15], 14, 0xd8a1e681);
    MD5_STEP(G, b, c, d, a, x[4], 20, 0xe7d3fbc8);
    MD5_STEP(G, a, b, c, d, x[9], 5, 0x21e1cde6);
    MD5_STEP(G, d, a, b, c, x[14], 9, 0xc33707d6);
    MD5_STEP(G, c, d, a, b, x[3], 14, 0xf4d50d87);
    MD5_STEP(G, b, c, d, a, x[8], 20, 0x455a14ed);
    MD5_STEP(G, a, b, c, d, x[13], 5, 0xa9e3e905);
    MD5_STEP(G, d, a, b, c, x[2], 9, 0xfcefa3f8);
    MD5_STEP(G, c, d, a, b, x[7], 14, 0x676f02d9);
    MD5_STEP(G, b, c, d, a, x[12], 20, 0x8d2a4c8a);

    MD5_STEP(H, a, b, c, d, x[5], 4, 0xfffa3942);
    MD5_STEP(H, d, a, b, c, x[8], 11, 0x8771f681);
    MD5_STEP(H, c, d, a, b, x[11], 16, 0x6d9d6122);
    MD5_STEP(H, b, c, d, a, x[14], 23, 0xfde5380c);
    MD5_STEP(H, a, b, c, d, x[1], 4, 0xa4beea44);
    MD5_STEP(H, d, a, b, c, x[4], 11, 0x4bdecfa9);
    MD5_STEP(H, c, d, a, b, x[7], 16, 0xf6bb4b60);
    MD5_STEP(H, b, c, d, a, x[10], 23, 0xbebfbc70);
    MD5_STEP(H, a, b, c, d, x[13], 4, 0x289b7ec6);
    MD5_STEP(H, d, a, b, c, x[0], 11, 0xeaa127fa);
    MD5_STEP(H, c, d, a, b, x[3], 16, 0xd4ef3085);
    MD5_STEP(H, b, c, d, a, x[6], 23, 0x04881d05);
    MD5_STEP(H, a, b, c, d, x[9], 4, 0xd9d4d039);
    MD5_STEP(H, d, a, b, c, x[12], 11, 0xe6db99e5);
    MD5_STEP(H, c, d, a, b, x[15], 16, 0x1fa27cf8);
    MD5_STEP(H, b, c, d, a, x[2], 23, 0xc4ac5665);

    MD5_STEP(I, a, b, c, d, x[0], 6, 0xf4292244);
    MD5_STEP(I, d, a, b, c, x[7], 10, 0x432aff97);
    MD5_STEP(I, c, d, a, b, x[14], 15, 0xab9423a7);
    MD5_STEP(I, b, c, d, a, x[5], 21, 0xfc93a039);
    MD5_STEP(I, a, b, c, d, x[12], 6, 0x655b59c3);
    MD5_STEP(I, d, a, b, c, x[3], 10, 0x8f0ccc92);
    MD5_STEP(I, c, d, a, b, x[10], 15, 0xffeff47d);
    MD5_STEP(I, b, c, d, a, x[1], 21, 0x85845dd1);
    MD5_STEP(I, a, b, c, d, x[8], 6, 0x6fa87e4f);
    MD5_STEP(I, d, a, b, c, x[15], 10, 0xfe2ce6e0);
    MD5_STEP(I, c, d, a, b, x[6], 15, 0xa3014314);
    MD5_STEP(I, b, c, d, a, x[13], 21, 0x4e0811a1);
    MD5_STEP(I, a, b, c, d, x[4], 6, 0xf7537e82);
    MD5_STEP(I, d, a, b, c, x[11], 10, 0xbd3af235);
    MD5_STEP(I, c, d, a, b, x[2], 15, 0x2ad7d2bb);
    MD5_STEP(I, b, c, d, a, x[9], 21, 0xeb86d391);

    st[0] += a;
    st[1] += b;
    st[2] += c;
    st[3] += d;
    SecureZeroMemory(x, sizeof x);
}

void MD5_CTX::ToHex(const unsigned char digest[16], char out[33]) {
    static const char kHex[] = "0123456789abcdef";
    for (int i = 0; i < 16; ++i) {
        out[2 * i] = kHex[digest[i] >> 4];
        out[2 * i + 1] = kHex[digest[i] & 0x0f];
    }
    out[32] = '\0';
}

bool MD5_CTX::MD5File(char* out, const char* fileName) {
    if (out == nullptr || fileName == nullptr) return false;
    return MD5File(out, kesh::StringToWString(fileName).c_str());
}

bool MD5_CTX::MD5File(char* out, const wchar_t* fileName) {
    if (out == nullptr || fileName == nullptr) return false;
    kesh::UniqueFile file(CreateFileW(fileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return false;
    Reset();
    std::vector<unsigned char> block(kFileBlock);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), block.data(), kFileBlock, &got, nullptr)) {
            Reset();
            return false;
        }
        if (got == 0) break;
        MD5Update(block.data(), got);
    }
    unsigned char digest[16];
    MD5Final(digest);
    ToHex(digest, out);
    return true;
}
