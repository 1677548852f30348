// The launcher's zip reader: opens an archive, describes its entries and writes them out.
// Results are the codes below; nothing is thrown.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>

// Result codes of the handle-based functions.
enum : int {
    kZipOk = 0,
    kZipNoFile = 0x200,        // opening the archive, or creating the target file, failed
    kZipWrite = 0x400,         // writing the target file failed
    kZipCorrupt = 0x700,       // an entry's headers disagree, or a folder record has content
    kZipRead = 0x800,          // the archive file could not be read (the file's failure, not its data's)
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

// A record is a folder when its name ends in '/' or '\' (as every common zip reader takes it,
// whatever the attributes: jar and Compress-Archive write folders with attributes 0) or when its
// attributes say so. A folder has no content: a record that is called a folder but is not empty
// is damaged, and nothing is made for it. It is the uncompressed size that counts, since some
// tools deflate an empty folder record to 2 bytes.
inline bool IsFolderWithContent(const TZipEntryInfo& info) {
    return (info.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && info.uncompressedSize != 0;
}

class CZipReader;

struct ZipArchiveHandle {
    int32_t kind;  // always 1 for this reader
    CZipReader* reader;
};
typedef ZipArchiveHandle* HZIPARCHIVE;

// Reads the archive file: the system's ReadFile, or a function with its contract.
typedef decltype(&::ReadFile) ZipFileReader;

// Opens a zip file; null when it is missing or not a readable single-disk archive. The
// extraction root is the current directory at this moment. Every read of the file goes through read.
HZIPARCHIVE OpenZipArchive(const wchar_t* fileName, ZipFileReader read = &::ReadFile);
// Index -1 gives the number of entries in info->index.
int GetZipEntry(HZIPARCHIVE zip, int index, TZipEntryInfo* info);
// The record of GetZipEntry from the central directory alone: name, attributes and sizes (the
// times are left 0); the local header is neither read nor checked.
int PeekZipEntry(HZIPARCHIVE zip, int index, TZipEntryInfo* info);
// Writes entry index to root + name, or to name when it is absolute; a folder entry that cannot
// be made gives kZipNoFile, one with content kZipCorrupt.
int ExtractZipEntry(HZIPARCHIVE zip, int index, const wchar_t* name);
void CloseZipArchive(HZIPARCHIVE zip);
// Creates each missing folder of path under base (base may be null for an absolute path); under
// a base, a file standing where one of the folders goes is replaced by the folder. True when the
// whole path is a folder afterwards.
bool EnsureDirectory(const wchar_t* base, const wchar_t* path);

// Reads and writes entries of an open archive on a thread of its own: each writer has its own
// read buffer and inflate state, so several can unpack side by side. The handle's own functions
// must not run meanwhile, and the writers must be gone before the archive is closed.
class CZipEntryWriter {
public:
    explicit CZipEntryWriter(HZIPARCHIVE zip);
    ~CZipEntryWriter();
    CZipEntryWriter(const CZipEntryWriter&) = delete;
    CZipEntryWriter& operator=(const CZipEntryWriter&) = delete;

    // As GetZipEntry for an entry (not -1).
    int Get(int index, TZipEntryInfo* info);
    // As ExtractZipEntry. With onlyNew a file is written only where none is yet, which is found out
    // in the same step that creates it. created: whether this call made the target file.
    int Extract(int index, const wchar_t* name, bool onlyNew, bool& created);

private:
    struct State;
    CZipReader* reader_ = nullptr;
    std::unique_ptr<State> state_;
};

// The last error of opening or applying an archive; kept for diagnosis, shown to nobody.
int ZipLastError();
void SetZipLastError(int code);
