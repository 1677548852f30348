#include "JoinedFile.h"

#include <windows.h>

#include <algorithm>

bool JoinedFile::Create(const std::wstring& name) {
    file_.reset(CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    hashed_ = 0;
    inOrder_ = true;
    return IsOpen();
}

bool JoinedFile::HashZerosUpTo(uint64_t position) {
    static const unsigned char kZeros[65536] = {};
    while (hashed_ < position) {
        const uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(sizeof kZeros, position - hashed_));
        md5_.MD5Update(kZeros, n);
        hashed_ += n;
    }
    return true;
}

bool JoinedFile::WriteAt(uint64_t position, const char* data, size_t size) {
    if (!file_) return false;
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(position);
    if (!SetFilePointerEx(file_.get(), at, nullptr, FILE_BEGIN)) return false;
    size_t done = 0;
    while (done < size) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file_.get(), data + done, chunk, &written, nullptr) || written != chunk) return false;
        done += chunk;
    }
    if (!inOrder_) return true;
    if (position < hashed_) {
        inOrder_ = false;  // rewrites earlier bytes: only a read-back can tell the digest
        return true;
    }
    HashZerosUpTo(position);
    for (size_t off = 0; off < size;) {
        const uint32_t n = static_cast<uint32_t>(std::min<size_t>(size - off, 1u << 30));
        md5_.MD5Update(reinterpret_cast<const unsigned char*>(data + off), n);
        off += n;
    }
    hashed_ += size;
    return true;
}

int64_t JoinedFile::CloseAndGetLength() {
    if (!file_) return -1;
    LARGE_INTEGER size;
    const bool ok = GetFileSizeEx(file_.get(), &size) != 0;
    file_.reset();
    if (!ok) return -1;
    // Bytes past the last write cannot exist, but a digest that missed some must not pass.
    if (static_cast<uint64_t>(size.QuadPart) != hashed_) inOrder_ = false;
    return size.QuadPart;
}

bool JoinedFile::Digest(char out[33]) {
    if (!inOrder_) return false;
    unsigned char d[16];
    md5_.MD5Final(d);
    MD5_CTX::ToHex(d, out);
    return true;
}
