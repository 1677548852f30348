#include "JoinedFile.h"

#include <windows.h>

bool JoinedFile::Create(const std::wstring& name) {
    name_ = name;
    written_ = false;
    file_.reset(CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    return IsOpen();
}

bool JoinedFile::TakeOver(const std::wstring& partFile, uint64_t cut, uint64_t& kept) {
    if (!file_ || written_) return false;
    file_.reset();
    const bool moved = MoveFileExW(partFile.c_str(), name_.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
    // Moved or not, the joined file is there again: the part's bytes, or empty as created.
    file_.reset(CreateFileW(name_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!moved || !file_) return false;
    written_ = true;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file_.get(), &size)) return false;
    kept = static_cast<uint64_t>(size.QuadPart);
    if (kept > cut) {
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(cut);
        if (!SetFilePointerEx(file_.get(), at, nullptr, FILE_BEGIN) || !SetEndOfFile(file_.get())) return false;
        kept = cut;
    }
    return true;
}

bool JoinedFile::WriteAt(uint64_t position, const char* data, size_t size) {
    if (!file_) return false;
    written_ = true;
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(position);
    if (!SetFilePointerEx(file_.get(), at, nullptr, FILE_BEGIN)) return false;
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(size < (1u << 30) ? size : (1u << 30));
        DWORD done = 0;
        if (!WriteFile(file_.get(), data, chunk, &done, nullptr) || done != chunk) return false;
        data += chunk;
        size -= chunk;
    }
    return true;
}

int64_t JoinedFile::CloseAndGetLength() {
    if (!file_) return -1;
    LARGE_INTEGER size;
    const bool ok = GetFileSizeEx(file_.get(), &size) != 0;
    file_.reset();
    return ok ? size.QuadPart : -1;
}
