// The joined download file while the parts are copied into it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "WinHandle.h"

class JoinedFile {
public:
    // Creates the file anew (old content discarded).
    bool Create(const std::wstring& name);
    bool IsOpen() const { return static_cast<bool>(file_); }

    // Makes a part file that starts at byte 0 the beginning of the joined file, cut at cut, by
    // renaming it instead of copying it; kept gets the number of its bytes the file now holds.
    // Only before anything was written; false when that is not possible (the caller then copies
    // whatever part file there is).
    bool TakeOver(const std::wstring& partFile, uint64_t cut, uint64_t& kept);

    // Writes at an absolute position; the file grows with zeros over any gap.
    bool WriteAt(uint64_t position, const char* data, size_t size);

    // The file's length as the system reports it, then closes it. -1 when it cannot tell.
    int64_t CloseAndGetLength();
    void Close() { file_.reset(); }

private:
    std::wstring name_;
    kesh::UniqueFile file_;
    bool written_ = false;
};
