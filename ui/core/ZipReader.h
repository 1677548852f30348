// Reads the skin: a zip archive in a file, behind an open file handle or in a memory block.
// Entries are found by name (either slash, optionally ignoring case) and extracted to memory,
// to an open file handle or to a file path. It only reads; there is no encryption support.
#pragma once
#include <windows.h>

namespace Veneer {

// Sources for OpenZipArchive.
enum : int { kZipFromHandle = 1, kZipFromFile = 2, kZipFromMemory = 3 };
// Targets for ExtractZipEntry.
enum : int { kZipToHandle = 1, kZipToFile = 2, kZipToMemory = 3 };

// Front-end result codes (0 is success).
enum : int {
    kZipOk = 0,
    kZipDuplicateFailed = 0x100,
    kZipOpenFailed = 0x200,
    kZipWriteFailed = 0x400,
    kZipNotFound = 0x500,
    kZipMoreData = 0x600,  // bytes delivered to memory, the entry stays open: callers take it as success
    kZipLocalHeaderMismatch = 0x700,
    kZipLocalHeaderUnreadable = 0x800,
    kZipBadArgument = 0x10000,
    kZipNotZipHandle = 0x80000,
    kZipAlreadyOpen = 0x1000000,
    kZipNotDiskFile = 0x2000000,
    kZipMemoryExtractFailed = 0x5000000,
};
// Archive-layer results, seen through the last result after a failed open.
enum : int {
    kZipReadError = -1,
    kZipEndOfList = -100,
    kZipBadParameter = -102,
    kZipMalformed = -103,
    kZipOutOfMemory = -104,
    kZipCrcMismatch = -105,
};

struct TZipEntryInfo {
    int index;
    wchar_t name[260];
    DWORD attributes;
    FILETIME lastAccessTime;
    FILETIME creationTime;
    FILETIME lastWriteTime;
    DWORD compressedSize;
    DWORD uncompressedSize;
};

class CZipReader;

// What callers hold for an open archive.
struct TZipArchive {
    int kind;  // 1 for this reader
    CZipReader* reader;
};

// source: a HANDLE (kind 1), a wide file name (kind 2) or `length` bytes that the caller keeps
// alive while the archive is open (kind 3). Null on failure; GetZipLastResult says why.
TZipArchive* OpenZipArchive(const void* source, DWORD length, int kind);
int FindZipEntry(TZipArchive* archive, const wchar_t* name, bool ignoreCase, int* index, TZipEntryInfo* info);
// target: a HANDLE (mode 1), a wide path (mode 2) or a buffer of `length` bytes (mode 3).
int ExtractZipEntry(TZipArchive* archive, int index, void* target, DWORD length, int mode);
int CloseZipArchive(TZipArchive* archive);
// The code the last of the functions above returned (or, after a failed open, why it failed).
int GetZipLastResult();

}  // namespace Veneer
