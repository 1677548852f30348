#include "ZipReader.h"

#include <cstdlib>
#include <cstring>
#include <ctime>

#include "ZipArchive.h"
#include "WinHandle.h"

namespace Veneer {

namespace {

int g_lastResult = 0;

int Result(int code) {
    g_lastResult = code;
    return code;
}

struct TNarrowEntry {
    int index;
    char name[260];
    DWORD attributes;
    FILETIME lastAccessTime;
    FILETIME creationTime;
    FILETIME lastWriteTime;
    DWORD compressedSize;
    DWORD uncompressedSize;
};

bool AsciiEqualNoCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        char ca = *a, cb = *b;
        if (ca >= 'A' && ca <= 'Z') ca = static_cast<char>(ca - 'A' + 'a');
        if (cb >= 'A' && cb <= 'Z') cb = static_cast<char>(cb - 'A' + 'a');
        if (ca != cb) return false;
        if (ca == '\0') return true;
    }
}

// Folders are only made below the reader's root: names that are absolute or climb upwards
// would reach outside it.
bool StaysUnderRoot(const wchar_t* rel) {
    if (rel[0] == L'/' || rel[0] == L'\\') return false;
    if (rel[0] != L'\0' && rel[1] == L':') return false;
    return wcsstr(rel, L"../") == nullptr && wcsstr(rel, L"..\\") == nullptr;
}

bool CreateFolders(const wchar_t* path) {
    const size_t length = wcslen(path);
    if (length == 0) return true;
    if (length > 259) return false;
    wchar_t parent[260];
    wcscpy(parent, path);
    wchar_t* cut = nullptr;
    for (wchar_t* p = parent; *p; ++p) {
        if (*p == L'/' || *p == L'\\') cut = p;
    }
    if (cut != nullptr && cut != parent) {
        *cut = L'\0';
        CreateFolders(parent);
    }
    if (path[length - 1] == L'/' || path[length - 1] == L'\\') return true;
    return CreateDirectoryW(path, nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

FILETIME UnixTimeToFileTime(LONG unixTime, const FILETIME& fallback) {
    const time_t t = unixTime;
    const struct tm* tm = gmtime(&t);
    if (tm == nullptr) return fallback;
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(tm->tm_year + 1900);
    st.wMonth = static_cast<WORD>(tm->tm_mon + 1);
    st.wDayOfWeek = static_cast<WORD>(tm->tm_wday);
    st.wDay = static_cast<WORD>(tm->tm_mday);
    st.wHour = static_cast<WORD>(tm->tm_hour);
    st.wMinute = static_cast<WORD>(tm->tm_min);
    st.wSecond = static_cast<WORD>(tm->tm_sec);
    FILETIME ft;
    return SystemTimeToFileTime(&st, &ft) ? ft : fallback;
}


// The entry's times: the DOS time in all three, then whatever a "UT" block of the local extra
// field carries.
void FillTimes(TNarrowEntry* entry, DWORD dosTime, const BYTE* extra, WORD localExtraLength) {
    FILETIME dos{};
    DosDateTimeToFileTime(HIWORD(dosTime), LOWORD(dosTime), &dos);
    entry->lastAccessTime = entry->creationTime = entry->lastWriteTime = dos;
    for (DWORD pos = 0; pos + 4 < localExtraLength;) {
        const WORD blockLength = Get16(extra + pos + 2);
        if (extra[pos] == 'U' && extra[pos + 1] == 'T') {
            // Only what the block and the field both hold is read.
            DWORD end = pos + 4 + blockLength;
            if (end > localExtraLength) end = localExtraLength;
            const BYTE flags = extra[pos + 4];
            DWORD field = pos + 5;
            FILETIME* targets[3] = {&entry->lastWriteTime, &entry->lastAccessTime, &entry->creationTime};
            for (int bit = 0; bit < 3; ++bit) {
                if (!(flags & (1 << bit))) continue;
                if (field + 4 > end) break;
                *targets[bit] = UnixTimeToFileTime(static_cast<LONG>(Get32(extra + field)), dos);
                field += 4;
            }
            break;
        }
        pos += 4u + blockLength;
    }
}

}  // namespace

class CZipReader {
public:
    CZipReader();
    ~CZipReader();

    int Open(const void* source, DWORD length, int kind);
    int Find(const wchar_t* name, bool ignoreCase, int* index, TZipEntryInfo* info);
    int GetEntry(int index, TNarrowEntry* out);
    int ExtractToMemory(int index, BYTE* buffer, DWORD length);
    int ExtractToFile(int index, void* target, int mode);

private:
    void CloseEntry();

    CZipArchive archive_;
    bool open_ = false;
    int openEntry_ = -1;
    TNarrowEntry cached_{};
    int cachedIndex_ = -1;
    wchar_t root_[262] = {};
};

CZipReader::CZipReader() {
    const DWORD n = GetCurrentDirectoryW(260, root_);
    if (n == 0 || n >= 260) root_[0] = L'\0';
    wcscat(root_, L"\\");
}

CZipReader::~CZipReader() { CloseEntry(); }

// Closes the open entry's data stream, if any; a checksum that differs at that point is not
// reported, because every reading call has already checked it when the last byte came out.
void CZipReader::CloseEntry() {
    archive_.CloseStream();
    openEntry_ = -1;
}

int CZipReader::Open(const void* source, DWORD length, int kind) {
    if (open_) return kZipAlreadyOpen;
    int rc = 0;
    if (kind == kZipFromHandle) {
        HANDLE h = const_cast<void*>(source);
        if (GetFileType(h) != FILE_TYPE_DISK) return kZipNotDiskFile;
        HANDLE dup = nullptr;
        if (!DuplicateHandle(GetCurrentProcess(), h, GetCurrentProcess(), &dup, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
            return kZipDuplicateFailed;
        }
        LARGE_INTEGER zero{}, here{};
        SetFilePointerEx(dup, zero, &here, FILE_CURRENT);
        rc = archive_.OpenFile(dup, static_cast<ULONGLONG>(here.QuadPart));
    } else if (kind == kZipFromFile) {
        if (source == nullptr) return kZipOpenFailed;
        HANDLE h = CreateFileW(static_cast<const wchar_t*>(source), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return kZipOpenFailed;
        rc = archive_.OpenFile(h, 0);
    } else if (kind == kZipFromMemory) {
        if (source == nullptr) return kZipBadArgument;
        rc = archive_.OpenMemory(static_cast<const BYTE*>(source), length);
    } else {
        return kZipBadArgument;
    }
    if (rc != 0) return rc;
    open_ = true;
    return 0;
}

int CZipReader::GetEntry(int index, TNarrowEntry* out) {
    if (index < -1 || index >= archive_.EntryCount()) return kZipBadArgument;
    CloseEntry();
    if (index == cachedIndex_ && index >= 0) {
        *out = cached_;
        return 0;
    }
    memset(out, 0, sizeof(*out));
    if (index == -1) {
        out->index = archive_.EntryCount();
        return 0;
    }
    if (archive_.GoTo(index) != 0) return kZipLocalHeaderMismatch;
    ULONGLONG dataStart = 0;
    WORD localExtraLength = 0;
    const int rc = archive_.CheckLocalHeader(&dataStart, &localExtraLength);
    if (rc == kZipReadError) return kZipLocalHeaderUnreadable;
    if (rc != 0) return kZipLocalHeaderMismatch;
    BYTE* extra = localExtraLength ? static_cast<BYTE*>(malloc(localExtraLength)) : nullptr;
    if (localExtraLength && (extra == nullptr || !archive_.ReadLocalExtra(extra, localExtraLength))) {
        free(extra);
        return kZipLocalHeaderUnreadable;
    }

    const TCentralHeader& header = archive_.Header();
    out->index = index;
    strcpy(out->name, header.name);
    const DWORD ext = header.externalAttributes;
    DWORD attr = FILE_ATTRIBUTE_NORMAL;
    if (ext & 0x40000010) attr = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_NORMAL;
    if (ext & 0x20) attr |= FILE_ATTRIBUTE_ARCHIVE;
    if (ext & 0x02) attr |= FILE_ATTRIBUTE_HIDDEN;
    if (ext & 0x04) attr |= FILE_ATTRIBUTE_SYSTEM;
    if (!(ext & 0x00800000) || (ext & 0x01)) attr |= FILE_ATTRIBUTE_READONLY;
    out->attributes = attr;
    FillTimes(out, header.dosTime, extra, localExtraLength);
    free(extra);
    out->compressedSize = header.compressedSize;
    out->uncompressedSize = header.uncompressedSize;
    cached_ = *out;
    cachedIndex_ = index;
    return 0;
}

int CZipReader::Find(const wchar_t* name, bool ignoreCase, int* index, TZipEntryInfo* info) {
    char wanted[260];
    const bool usable = name != nullptr && wcslen(name) < 256 &&
                        WideCharToMultiByte(CP_ACP, 0, name, -1, wanted, 259, nullptr, nullptr) > 0;
    int found = -1;
    if (usable) {
        for (char* p = wanted; *p; ++p) {
            if (*p == '\\') *p = '/';
        }
        const int savedIndex = archive_.Current();
        int rc = archive_.GoToFirst();
        while (rc == 0) {
            const char* entryName = archive_.Header().name;
            if (ignoreCase ? AsciiEqualNoCase(entryName, wanted) : strcmp(entryName, wanted) == 0) {
                found = archive_.Current();
                break;
            }
            rc = archive_.GoToNext();
        }
        if (found < 0 && archive_.GoTo(savedIndex) != 0) archive_.GoToFirst();
    }
    if (found < 0) {
        if (index) *index = -1;
        if (info) {
            memset(info, 0, sizeof(*info));
            info->index = -1;
        }
        return kZipNotFound;
    }
    CloseEntry();
    if (index) *index = found;
    TNarrowEntry entry;
    const int rc = GetEntry(found, &entry);
    if (rc != 0) return rc;
    if (info) {
        info->index = entry.index;
        // Room for 258 characters and the terminator, whatever the archive's name holds.
        wchar_t wide[520];
        int n = MultiByteToWideChar(CP_ACP, 0, entry.name, -1, wide, 520);
        if (n <= 0) wide[0] = L'\0';
        wide[258] = L'\0';
        wcscpy(info->name, wide);
        info->attributes = entry.attributes;
        info->lastAccessTime = entry.lastAccessTime;
        info->creationTime = entry.creationTime;
        info->lastWriteTime = entry.lastWriteTime;
        info->compressedSize = entry.compressedSize;
        info->uncompressedSize = entry.uncompressedSize;
    }
    return 0;
}

int CZipReader::ExtractToMemory(int index, BYTE* buffer, DWORD length) {
    if (index != openEntry_ || !archive_.StreamOpen()) {
        CloseEntry();
        if (index < 0 || index >= archive_.EntryCount()) return kZipBadArgument;
        if (archive_.GoTo(index) != 0 || archive_.OpenStream() != 0) return kZipMemoryExtractFailed;
        openEntry_ = index;
    }
    const LONGLONG got = archive_.ReadStream(buffer, length);
    if (got > 0) return kZipMoreData;
    CloseEntry();
    return got == 0 ? 0 : kZipMemoryExtractFailed;
}

int CZipReader::ExtractToFile(int index, void* target, int mode) {
    CloseEntry();
    if (index < 0 || index >= archive_.EntryCount()) return kZipBadArgument;
    TNarrowEntry entry;
    int rc = GetEntry(index, &entry);
    if (rc != 0) return rc;
    wchar_t name[262];
    if (MultiByteToWideChar(CP_ACP, 0, entry.name, -1, name, 260) <= 0) name[0] = L'\0';

    if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) {
        if (mode == kZipToFile && StaysUnderRoot(name)) {
            wchar_t path[600];
            wcscpy(path, root_);
            wcscat(path, name);
            CreateFolders(path);
        }
        return 0;
    }

    HANDLE out = static_cast<HANDLE>(target);
    kesh::UniqueFile created;
    if (mode == kZipToFile) {
        const wchar_t* path = static_cast<const wchar_t*>(target);
        if (path == nullptr) return kZipBadArgument;
        const wchar_t* lastSlash = nullptr;
        for (const wchar_t* p = path; *p; ++p) {
            if (*p == L'/' || *p == L'\\') lastSlash = p;
        }
        if (lastSlash != nullptr && StaysUnderRoot(path)) {
            wchar_t folder[600];
            wcscpy(folder, root_);
            const size_t rootLength = wcslen(folder);
            const size_t folderLength = static_cast<size_t>(lastSlash - path);
            if (rootLength + folderLength < 600) {
                wcsncpy(folder + rootLength, path, folderLength);
                folder[rootLength + folderLength] = L'\0';
                CreateFolders(folder);
            }
        }
        created.reset(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, entry.attributes, nullptr));
        if (!created) return kZipOpenFailed;
        out = created.get();
    }

    bool failed = archive_.GoTo(index) != 0 || archive_.OpenStream() != 0;
    if (!failed) {
        BYTE* chunk = static_cast<BYTE*>(malloc(kZipChunk));
        failed = chunk == nullptr;
        while (!failed) {
            const LONGLONG got = archive_.ReadStream(chunk, kZipChunk);
            if (got < 0) failed = true;
            if (got <= 0) break;
            DWORD written = 0;
            if (!WriteFile(out, chunk, static_cast<DWORD>(got), &written, nullptr) ||
                written != static_cast<DWORD>(got)) {
                failed = true;
            }
        }
        free(chunk);
    }
    if (!failed && GetFileType(out) == FILE_TYPE_DISK) {
        SetFileTime(out, &entry.creationTime, &entry.lastAccessTime, &entry.lastWriteTime);
    }
    CloseEntry();
    return failed ? kZipWriteFailed : 0;
}

TZipArchive* OpenZipArchive(const void* source, DWORD length, int kind) {
    CZipReader* reader = new CZipReader;
    const int rc = reader->Open(source, length, kind);
    Result(rc);
    if (rc != 0) {
        delete reader;
        return nullptr;
    }
    return new TZipArchive{1, reader};
}

int FindZipEntry(TZipArchive* archive, const wchar_t* name, bool ignoreCase, int* index, TZipEntryInfo* info) {
    if (archive == nullptr) return Result(kZipBadArgument);
    if (archive->kind != 1) return Result(kZipNotZipHandle);
    return Result(archive->reader->Find(name, ignoreCase, index, info));
}

int ExtractZipEntry(TZipArchive* archive, int index, void* target, DWORD length, int mode) {
    if (archive == nullptr) return Result(kZipBadArgument);
    if (archive->kind != 1) return Result(kZipNotZipHandle);
    if (mode == kZipToMemory) {
        if (target == nullptr && length > 0) return Result(kZipBadArgument);
        return Result(archive->reader->ExtractToMemory(index, static_cast<BYTE*>(target), length));
    }
    if (mode != kZipToHandle && mode != kZipToFile) return Result(kZipBadArgument);
    return Result(archive->reader->ExtractToFile(index, target, mode));
}

int CloseZipArchive(TZipArchive* archive) {
    if (archive == nullptr) return Result(kZipBadArgument);
    if (archive->kind != 1) return Result(kZipNotZipHandle);
    delete archive->reader;
    delete archive;
    return Result(0);
}

int GetZipLastResult() { return g_lastResult; }

}  // namespace Veneer
