// The launcher's zip reader: opens an archive, describes its entries and writes them out.
// Results are the codes below; nothing is thrown.
#pragma once
#include <windows.h>

#include <cstdint>

// Result codes of the handle-based functions.
enum : int {
    kZipOk = 0,
    kZipNoFile = 0x200,        // opening the archive, or creating the target file, failed
    kZipWrite = 0x400,         // writing the target file failed
    kZipCorrupt = 0x700,       // an entry's local header does not match its central header
    kZipRead = 0x800,          // reading a local extra field failed, or the archive cannot be positioned
    kZipPassword = 0x1000,     // wrong or missing password
    kZipArgs = 0x10000,        // no handle, or an index out of range
    kZipWrongKind = 0x80000,   // the handle is not one of this reader's
    kZipAlreadyOpen = 0x1000000,
    kZipFlate = 0x5000000,     // reading, inflating or checking an entry failed during extraction
};

struct TZipEntryInfo {
    int32_t index;
    wchar_t name[MAX_PATH];
    DWORD attributes;
    FILETIME lastAccessTime;
    FILETIME creationTime;
    FILETIME lastWriteTime;
    DWORD compressedSize;
    DWORD uncompressedSize;
};

class CZipReader;

struct ZipArchiveHandle {
    int32_t kind;  // always 1 for this reader
    CZipReader* reader;
};
typedef ZipArchiveHandle* HZIPARCHIVE;

// Opens a zip file; null when it is missing or not a readable single-disk archive. The
// extraction root is the current directory at this moment.
HZIPARCHIVE OpenZipArchive(const wchar_t* fileName);
// Index -1 gives the number of entries in info->index.
int GetZipEntry(HZIPARCHIVE zip, int index, TZipEntryInfo* info);
// Writes entry index to root + name, or to name when it is absolute.
int ExtractZipEntry(HZIPARCHIVE zip, int index, const wchar_t* name);
void CloseZipArchive(HZIPARCHIVE zip);
// Creates each missing folder of path under base (base may be null for an absolute path).
void EnsureDirectory(const wchar_t* base, const wchar_t* path);

// The last error of opening or applying an archive; kept for diagnosis, shown to nobody.
int ZipLastError();
void SetZipLastError(int code);
