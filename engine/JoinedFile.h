// The joined download file while the parts are copied into it. It digests the bytes as they are
// written (zeros of any gap included), so the check after the join needs no second pass over a
// file that may be a gigabyte large.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "Md5.h"
#include "WinHandle.h"

class JoinedFile {
public:
    // Creates the file anew (old content discarded).
    bool Create(const std::wstring& name);
    bool IsOpen() const { return static_cast<bool>(file_); }
    // Writes at an absolute position; the file grows with zeros over any gap.
    bool WriteAt(uint64_t position, const char* data, size_t size);
    // The file's length as the system reports it, then closes it. -1 when it cannot tell.
    int64_t CloseAndGetLength();
    void Close() { file_.reset(); }
    // The digest of everything written, as 32 lowercase hex digits. False when the bytes were not
    // written strictly in order (the caller then reads the file back).
    bool Digest(char out[33]);

private:
    bool HashZerosUpTo(uint64_t position);

    kesh::UniqueFile file_;
    MD5_CTX md5_;
    uint64_t hashed_ = 0;  // bytes from the start that went through the digest
    bool inOrder_ = true;
};
