// The MD5 message digest, used to accept a downloaded update zip only when it is the one the
// client asked for.
#pragma once
#include <cstdint>

class MD5_CTX {
public:
    MD5_CTX();
    virtual ~MD5_CTX();

    void MD5Update(const unsigned char* input, uint32_t inputLen);
    // Writes the 16 digest bytes and leaves the context ready for a new message.
    void MD5Final(unsigned char digest[16]);
    void MD5Transform(uint32_t st[4], const unsigned char block[64]);

    // Digest of a whole file as 32 lowercase hex digits and a NUL into out (at least 33 bytes).
    // False when the file cannot be read; out is then untouched. The narrow name is in the narrow
    // code page; the updater's own files are always named in UTF-16.
    bool MD5File(char* out, const wchar_t* fileName);
    bool MD5File(char* out, const char* fileName);

    // The 16 digest bytes as 32 lowercase hex digits and a NUL.
    static void ToHex(const unsigned char digest[16], char out[33]);

private:
    void Reset();

    uint32_t state[4];
    uint32_t count[2];  // bits hashed, low word first
    unsigned char buffer[64];
    unsigned char padding[64];
};
