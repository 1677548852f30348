// The archive layer under the skin reader: the archive's bytes (a disk file or a memory block),
// its central directory held in memory and walked entry by entry, the check of an entry's local
// header, and the data stream of the one open entry, inflated with a running CRC-32.
// Results are 0 or the archive-layer codes of ZipReader.h.
#pragma once
#include <windows.h>

#include "WinHandle.h"

namespace Veneer {

// Zip numbers are little-endian whatever the machine.
inline WORD Get16(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }
inline DWORD Get32(const BYTE* p) {
    return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) | (static_cast<DWORD>(p[2]) << 16) |
           (static_cast<DWORD>(p[3]) << 24);
}

// Entry data is read and written in blocks of this size.
constexpr DWORD kZipChunk = 16384;

// The archive's bytes: a disk file (positions from the start of the file) or a memory block.
class CZipSource {
public:
    void OpenMemory(const BYTE* data, DWORD length) {
        mem_ = data;
        memLength_ = length;
    }
    // Takes the handle: it is closed with the source.
    void OpenFile(HANDLE file, ULONGLONG base) {
        file_.reset(file);
        base_ = base;
    }
    void Close() {
        file_.reset();
        mem_ = nullptr;
    }

    ULONGLONG Base() const { return base_; }
    bool Length(ULONGLONG* length) const;
    // Bytes read at an absolute position, or -1 on a read error. Memory reads stop at the end
    // of the block.
    LONGLONG ReadAt(ULONGLONG pos, void* out, DWORD count);
    bool ReadExact(ULONGLONG pos, void* out, DWORD count) {
        return ReadAt(pos, out, count) == static_cast<LONGLONG>(count);
    }

private:
    kesh::UniqueFile file_;
    ULONGLONG base_ = 0;
    const BYTE* mem_ = nullptr;
    ULONGLONG memLength_ = 0;
};

struct TCentralHeader {
    WORD flags;
    WORD method;
    DWORD dosTime;  // date in the high word
    DWORD crc;
    DWORD compressedSize;
    DWORD uncompressedSize;
    WORD nameLength;
    WORD extraLength;
    WORD commentLength;
    DWORD externalAttributes;
    DWORD localOffset;
    char name[260];  // the archive's bytes, cut and always terminated
};

struct TEntryStream;

class CZipArchive {
public:
    CZipArchive() = default;
    ~CZipArchive();
    CZipArchive(const CZipArchive&) = delete;
    CZipArchive& operator=(const CZipArchive&) = delete;

    // Find the end record, read the central directory and go to the first entry. The source is
    // closed again when that fails. OpenFile takes the handle; base is where the caller's view of
    // the file starts. The memory block stays the caller's and must outlive the archive.
    int OpenFile(HANDLE file, ULONGLONG base);
    int OpenMemory(const BYTE* data, DWORD length);

    int EntryCount() const { return entryCount_; }
    // The entry the walk stands on, and its central header.
    int Current() const { return current_; }
    const TCentralHeader& Header() const { return header_; }

    int GoToFirst();
    int GoToNext();
    // Walks to the entry with that number, from the first when it lies behind or the walk
    // stopped at a damaged header.
    int GoTo(int index);

    // Checks the current entry's local header against its central one; gives where its data
    // starts and the length of its local extra field.
    int CheckLocalHeader(ULONGLONG* dataStart, WORD* localExtraLength);
    // The current entry's local extra field (its length from CheckLocalHeader).
    bool ReadLocalExtra(BYTE* out, WORD length);

    // The data stream of the current entry; opening one drops any other.
    int OpenStream();
    bool StreamOpen() const { return stream_ != nullptr; }
    // Up to `count` bytes of the open entry, or a negative code.
    LONGLONG ReadStream(BYTE* out, DWORD count);
    // -105 when the whole entry was delivered and its checksum differs.
    int CloseStream();

private:
    int Open();
    int LocateArchive();
    int ReadCentralHeader();
    int ParseCentralHeader();

    CZipSource source_;
    ULONGLONG sourceLength_ = 0;
    int entryCount_ = 0;
    DWORD dirOffset_ = 0;
    DWORD dirSize_ = 0;
    ULONGLONG prefix_ = 0;
    // The central directory, read once so that name look-ups walk memory.
    BYTE* dir_ = nullptr;
    int current_ = 0;
    ULONGLONG currentPos_ = 0;  // within the central directory
    // Whether header_ is the current entry's: a walk that stopped at a damaged header must not
    // leave the previous entry's header standing in for it.
    bool currentValid_ = false;
    TCentralHeader header_{};
    TEntryStream* stream_ = nullptr;
};

}  // namespace Veneer
