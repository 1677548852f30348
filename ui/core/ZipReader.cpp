#include "ZipReader.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <ctime>

#include "WinHandle.h"

namespace Veneer {

namespace {

constexpr DWORD kChunk = 16384;
constexpr DWORD kEndRecordSize = 22;
constexpr DWORD kCentralHeaderSize = 46;
constexpr DWORD kLocalHeaderSize = 30;
// Deflate never expands more than about 1032:1; a claim beyond that is a lie that would make
// callers allocate for data that cannot exist.
constexpr ULONGLONG kMaxDeflateRatio = 1032;

int g_lastResult = 0;

int Result(int code) {
    g_lastResult = code;
    return code;
}

WORD Get16(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }
DWORD Get32(const BYTE* p) {
    return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) | (static_cast<DWORD>(p[2]) << 16) |
           (static_cast<DWORD>(p[3]) << 24);
}

// The archive's bytes: a disk file (positions from the start of the file) or a memory block.
class CZipSource {
public:
    ~CZipSource() { Close(); }

    void OpenMemory(const BYTE* data, DWORD length) {
        mem_ = data;
        memLength_ = length;
    }
    void OpenFile(HANDLE file, ULONGLONG base) {
        file_ = file;
        base_ = base;
    }
    void Close() {
        if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
        file_ = INVALID_HANDLE_VALUE;
        mem_ = nullptr;
    }

    ULONGLONG Base() const { return base_; }
    bool Length(ULONGLONG* length) const {
        if (file_ == INVALID_HANDLE_VALUE) {
            *length = memLength_;
            return true;
        }
        LARGE_INTEGER size;
        if (!GetFileSizeEx(file_, &size)) return false;
        *length = static_cast<ULONGLONG>(size.QuadPart);
        return true;
    }

    // Bytes read at an absolute position, or -1 on a read error. Memory reads stop at the end
    // of the block.
    LONGLONG ReadAt(ULONGLONG pos, void* out, DWORD count) {
        if (file_ == INVALID_HANDLE_VALUE) {
            if (pos >= memLength_) return 0;
            const ULONGLONG avail = memLength_ - pos;
            const DWORD n = avail < count ? static_cast<DWORD>(avail) : count;
            memcpy(out, mem_ + pos, n);
            return n;
        }
        LARGE_INTEGER to;
        to.QuadPart = static_cast<LONGLONG>(pos);
        DWORD got = 0;
        if (!SetFilePointerEx(file_, to, nullptr, FILE_BEGIN) || !ReadFile(file_, out, count, &got, nullptr)) {
            readError_ = true;
            return -1;
        }
        return got;
    }
    bool ReadExact(ULONGLONG pos, void* out, DWORD count) {
        return ReadAt(pos, out, count) == static_cast<LONGLONG>(count);
    }

private:
    HANDLE file_ = INVALID_HANDLE_VALUE;
    bool readError_ = false;
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

// The data stream of the one entry that is open.
struct TEntryStream {
    BYTE* input = nullptr;
    z_stream zs{};
    bool inflateReady = false;
    DWORD crc = 0;
    DWORD expectedCrc = 0;
    ULONGLONG compressedLeft = 0;
    ULONGLONG uncompressedLeft = 0;
    WORD method = 0;
    ULONGLONG readPos = 0;  // absolute
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
    int LocateArchive();
    int GoToFirst();
    int GoToNext();
    int GoTo(int index);
    int ReadCentralHeader();
    int CheckLocalHeader(ULONGLONG* dataStart, WORD* localExtraLength);
    int OpenStream();
    LONGLONG ReadStream(BYTE* out, DWORD count);
    int CloseStream();
    void FillTimes(TNarrowEntry* entry, const BYTE* extra, WORD localExtraLength);

    CZipSource source_;
    bool open_ = false;
    int openEntry_ = -1;
    TNarrowEntry cached_{};
    int cachedIndex_ = -1;
    wchar_t root_[262] = {};

    ULONGLONG sourceLength_ = 0;
    int entryCount_ = 0;
    DWORD dirOffset_ = 0;
    DWORD dirSize_ = 0;
    ULONGLONG prefix_ = 0;
    // The central directory, read once so that name look-ups walk memory.
    const BYTE* dir_ = nullptr;
    BYTE* dirCopy_ = nullptr;
    int current_ = 0;
    ULONGLONG currentPos_ = 0;  // within the central directory
    TCentralHeader header_{};
    TEntryStream* stream_ = nullptr;
};

CZipReader::CZipReader() {
    const DWORD n = GetCurrentDirectoryW(260, root_);
    if (n == 0 || n >= 260) root_[0] = L'\0';
    wcscat(root_, L"\\");
}

CZipReader::~CZipReader() {
    CloseStream();
    free(dirCopy_);
}

int CZipReader::Open(const void* source, DWORD length, int kind) {
    if (open_) return kZipAlreadyOpen;
    if (kind == kZipFromHandle) {
        HANDLE h = const_cast<void*>(source);
        if (GetFileType(h) != FILE_TYPE_DISK) return kZipNotDiskFile;
        HANDLE dup = nullptr;
        if (!DuplicateHandle(GetCurrentProcess(), h, GetCurrentProcess(), &dup, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
            return kZipDuplicateFailed;
        }
        LARGE_INTEGER zero{}, here{};
        SetFilePointerEx(dup, zero, &here, FILE_CURRENT);
        source_.OpenFile(dup, static_cast<ULONGLONG>(here.QuadPart));
    } else if (kind == kZipFromFile) {
        if (source == nullptr) return kZipOpenFailed;
        HANDLE h = CreateFileW(static_cast<const wchar_t*>(source), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return kZipOpenFailed;
        source_.OpenFile(h, 0);
    } else if (kind == kZipFromMemory) {
        if (source == nullptr) return kZipBadArgument;
        source_.OpenMemory(static_cast<const BYTE*>(source), length);
    } else {
        return kZipBadArgument;
    }
    int rc = LocateArchive();
    if (rc == 0) rc = GoToFirst();
    if (rc != 0) {
        source_.Close();
        return rc;
    }
    open_ = true;
    return 0;
}

int CZipReader::LocateArchive() {
    ULONGLONG total = 0;
    if (!source_.Length(&total)) return kZipReadError;
    const ULONGLONG base = source_.Base();
    if (total < base) return kZipReadError;
    const ULONGLONG length = total - base;  // the source as seen from its base offset
    sourceLength_ = total;

    // The end record is the last signature within the final 64 KiB; windows overlap by four
    // bytes so a signature across a window edge is still seen.
    const ULONGLONG searchLimit = length < 0xFFFF ? length : 0xFFFF;
    BYTE window[1028];
    ULONGLONG found = 0;
    for (ULONGLONG back = 4; found == 0 && back < searchLimit;) {
        back = back + 1024 > searchLimit ? searchLimit : back + 1024;
        const ULONGLONG start = length - back;
        const DWORD size = static_cast<DWORD>(back > 1028 ? 1028 : back);
        if (!source_.ReadExact(base + start, window, size)) return kZipReadError;
        for (int i = static_cast<int>(size) - 4; i >= 0; --i) {
            if (window[i] == 0x50 && window[i + 1] == 0x4B && window[i + 2] == 0x05 && window[i + 3] == 0x06) {
                found = start + static_cast<ULONGLONG>(i);
                break;
            }
        }
    }
    // A record at offset 0 means no entries at all: such an archive is not opened.
    if (found == 0) return kZipMalformed;

    BYTE record[kEndRecordSize];
    if (!source_.ReadExact(base + found, record, kEndRecordSize)) return kZipReadError;
    const WORD thisDisk = Get16(record + 4), dirDisk = Get16(record + 6);
    const WORD entriesHere = Get16(record + 8), entriesTotal = Get16(record + 10);
    dirSize_ = Get32(record + 12);
    dirOffset_ = Get32(record + 16);
    if (thisDisk != 0 || dirDisk != 0 || entriesHere != entriesTotal) return kZipMalformed;
    const ULONGLONG dirEnd = static_cast<ULONGLONG>(dirOffset_) + dirSize_;
    if (found < dirEnd) return kZipMalformed;
    entryCount_ = entriesTotal;
    prefix_ = found + base - dirEnd;

    // Every header needs at least its fixed part; a count that cannot fit is a damaged archive.
    if (static_cast<ULONGLONG>(entryCount_) * kCentralHeaderSize > dirSize_) return kZipMalformed;
    const ULONGLONG dirStart = dirOffset_ + prefix_;
    if (dirSize_ > 0) {
        dirCopy_ = static_cast<BYTE*>(malloc(dirSize_));
        if (dirCopy_ == nullptr) return kZipOutOfMemory;
        if (!source_.ReadExact(dirStart, dirCopy_, dirSize_)) return kZipReadError;
    }
    dir_ = dirCopy_;
    return 0;
}

int CZipReader::ReadCentralHeader() {
    if (currentPos_ + kCentralHeaderSize > dirSize_) return kZipMalformed;
    const BYTE* p = dir_ + currentPos_;
    if (Get32(p) != 0x02014B50) return kZipMalformed;
    TCentralHeader& h = header_;
    h.flags = Get16(p + 8);
    h.method = Get16(p + 10);
    h.dosTime = Get32(p + 12);
    h.crc = Get32(p + 16);
    h.compressedSize = Get32(p + 20);
    h.uncompressedSize = Get32(p + 24);
    h.nameLength = Get16(p + 28);
    h.extraLength = Get16(p + 30);
    h.commentLength = Get16(p + 32);
    h.externalAttributes = Get32(p + 38);
    h.localOffset = Get32(p + 42);
    if (currentPos_ + kCentralHeaderSize + h.nameLength > dirSize_) return kZipMalformed;
    const size_t keep = h.nameLength < sizeof(h.name) - 1 ? h.nameLength : sizeof(h.name) - 1;
    memcpy(h.name, p + kCentralHeaderSize, keep);
    h.name[keep] = '\0';
    return 0;
}

int CZipReader::GoToFirst() {
    current_ = 0;
    currentPos_ = 0;
    if (entryCount_ == 0) return kZipEndOfList;
    return ReadCentralHeader();
}

int CZipReader::GoToNext() {
    if (current_ + 1 >= entryCount_) return kZipEndOfList;
    currentPos_ += static_cast<ULONGLONG>(kCentralHeaderSize) + header_.nameLength + header_.extraLength +
                   header_.commentLength;
    ++current_;
    return ReadCentralHeader();
}

int CZipReader::GoTo(int index) {
    if (index < 0 || index >= entryCount_) return kZipBadParameter;
    int rc = 0;
    if (index < current_) rc = GoToFirst();
    while (rc == 0 && current_ < index) rc = GoToNext();
    return rc;
}

int CZipReader::CheckLocalHeader(ULONGLONG* dataStart, WORD* localExtraLength) {
    const ULONGLONG at = static_cast<ULONGLONG>(header_.localOffset) + prefix_;
    BYTE p[kLocalHeaderSize];
    if (!source_.ReadExact(at, p, kLocalHeaderSize)) return kZipReadError;
    if (Get32(p) != 0x04034B50) return kZipMalformed;
    const WORD method = Get16(p + 8);
    if (method != header_.method || (method != 0 && method != 8)) return kZipMalformed;
    if (!(header_.flags & 8) && (Get32(p + 14) != header_.crc || Get32(p + 18) != header_.compressedSize ||
                                 Get32(p + 22) != header_.uncompressedSize)) {
        return kZipMalformed;
    }
    if (Get16(p + 26) != header_.nameLength) return kZipMalformed;
    *localExtraLength = Get16(p + 28);
    *dataStart = at + kLocalHeaderSize + header_.nameLength + *localExtraLength;
    // The data must lie inside the source, and the sizes must be ones the data can produce.
    if (*dataStart + header_.compressedSize > sourceLength_) return kZipMalformed;
    if (method == 0 && header_.compressedSize != header_.uncompressedSize) return kZipMalformed;
    if (method == 8 && header_.uncompressedSize > (header_.compressedSize + 1ULL) * kMaxDeflateRatio) {
        return kZipMalformed;
    }
    return 0;
}

void CZipReader::FillTimes(TNarrowEntry* entry, const BYTE* extra, WORD localExtraLength) {
    FILETIME dos{};
    DosDateTimeToFileTime(HIWORD(header_.dosTime), LOWORD(header_.dosTime), &dos);
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

int CZipReader::GetEntry(int index, TNarrowEntry* out) {
    if (index < -1 || index >= entryCount_) return kZipBadArgument;
    CloseStream();
    if (index == cachedIndex_ && index >= 0) {
        *out = cached_;
        return 0;
    }
    memset(out, 0, sizeof(*out));
    if (index == -1) {
        out->index = entryCount_;
        return 0;
    }
    if (GoTo(index) != 0) return kZipLocalHeaderMismatch;
    ULONGLONG dataStart = 0;
    WORD localExtraLength = 0;
    const int rc = CheckLocalHeader(&dataStart, &localExtraLength);
    if (rc == kZipReadError) return kZipLocalHeaderUnreadable;
    if (rc != 0) return kZipLocalHeaderMismatch;
    const ULONGLONG extraAt = static_cast<ULONGLONG>(header_.localOffset) + prefix_ + kLocalHeaderSize + header_.nameLength;
    BYTE* extra = localExtraLength ? static_cast<BYTE*>(malloc(localExtraLength)) : nullptr;
    if (localExtraLength && (extra == nullptr || !source_.ReadExact(extraAt, extra, localExtraLength))) {
        free(extra);
        return kZipLocalHeaderUnreadable;
    }

    out->index = index;
    strcpy(out->name, header_.name);
    const DWORD ext = header_.externalAttributes;
    DWORD attr = FILE_ATTRIBUTE_NORMAL;
    if (ext & 0x40000010) attr = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_NORMAL;
    if (ext & 0x20) attr |= FILE_ATTRIBUTE_ARCHIVE;
    if (ext & 0x02) attr |= FILE_ATTRIBUTE_HIDDEN;
    if (ext & 0x04) attr |= FILE_ATTRIBUTE_SYSTEM;
    if (!(ext & 0x00800000) || (ext & 0x01)) attr |= FILE_ATTRIBUTE_READONLY;
    out->attributes = attr;
    FillTimes(out, extra, localExtraLength);
    free(extra);
    out->compressedSize = header_.compressedSize;
    out->uncompressedSize = header_.uncompressedSize;
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
        const int savedIndex = current_;
        int rc = GoToFirst();
        while (rc == 0) {
            if (ignoreCase ? AsciiEqualNoCase(header_.name, wanted) : strcmp(header_.name, wanted) == 0) {
                found = current_;
                break;
            }
            rc = GoToNext();
        }
        if (found < 0 && GoTo(savedIndex) != 0) GoToFirst();
    }
    if (found < 0) {
        if (index) *index = -1;
        if (info) {
            memset(info, 0, sizeof(*info));
            info->index = -1;
        }
        return kZipNotFound;
    }
    CloseStream();
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

int CZipReader::OpenStream() {
    CloseStream();
    ULONGLONG dataStart = 0;
    WORD localExtraLength = 0;
    if (CheckLocalHeader(&dataStart, &localExtraLength) != 0) return kZipMalformed;
    TEntryStream* s = new TEntryStream;
    s->input = static_cast<BYTE*>(malloc(kChunk));
    if (s->input == nullptr) {
        delete s;
        return kZipOutOfMemory;
    }
    if (header_.method == 8) {
        if (inflateInit2(&s->zs, -MAX_WBITS) != Z_OK) {
            free(s->input);
            delete s;
            return kZipOutOfMemory;
        }
        s->inflateReady = true;
    }
    s->method = header_.method;
    s->expectedCrc = header_.crc;
    s->compressedLeft = header_.compressedSize;
    s->uncompressedLeft = header_.uncompressedSize;
    s->readPos = dataStart;
    s->crc = crc32(0L, Z_NULL, 0);
    stream_ = s;
    return 0;
}

// Up to `count` bytes of the open entry, or a negative code. Data that ends early, does not
// inflate or does not match its checksum is an error, never a short success.
LONGLONG CZipReader::ReadStream(BYTE* out, DWORD count) {
    TEntryStream* s = stream_;
    if (s == nullptr) return kZipBadParameter;
    if (count > s->uncompressedLeft) count = static_cast<DWORD>(s->uncompressedLeft);
    DWORD delivered = 0;
    while (delivered < count) {
        if (s->zs.avail_in == 0 && s->compressedLeft > 0) {
            const DWORD want = s->compressedLeft < kChunk ? static_cast<DWORD>(s->compressedLeft) : kChunk;
            const LONGLONG got = source_.ReadAt(s->readPos, s->input, want);
            if (got <= 0) return kZipReadError;
            s->readPos += static_cast<ULONGLONG>(got);
            s->compressedLeft -= static_cast<ULONGLONG>(got);
            s->zs.next_in = s->input;
            s->zs.avail_in = static_cast<uInt>(got);
        }
        DWORD produced = 0;
        if (s->method == 8) {
            s->zs.next_out = out + delivered;
            s->zs.avail_out = count - delivered;
            const int z = inflate(&s->zs, Z_SYNC_FLUSH);
            produced = (count - delivered) - s->zs.avail_out;
            // The stream may only end together with the size it claims; an error, a stall
            // on exhausted input or an early end all mean damaged data.
            if (z != Z_OK && !(z == Z_STREAM_END && produced == s->uncompressedLeft)) return kZipMalformed;
        } else {
            if (s->zs.avail_in == 0) return kZipReadError;
            produced = s->zs.avail_in < count - delivered ? s->zs.avail_in : count - delivered;
            memcpy(out + delivered, s->zs.next_in, produced);
            s->zs.next_in += produced;
            s->zs.avail_in -= produced;
        }
        s->crc = crc32(s->crc, out + delivered, produced);
        s->uncompressedLeft -= produced;
        delivered += produced;
        // The checksum is checked as soon as the last byte is out, because callers that read an
        // entry in one call never come back to close it.
        if (s->uncompressedLeft == 0 && s->crc != s->expectedCrc) return kZipCrcMismatch;
    }
    return delivered;
}

int CZipReader::CloseStream() {
    TEntryStream* s = stream_;
    if (s == nullptr) return 0;
    int rc = 0;
    if (s->uncompressedLeft == 0 && s->crc != s->expectedCrc) rc = kZipCrcMismatch;
    free(s->input);
    if (s->inflateReady) inflateEnd(&s->zs);
    delete s;
    stream_ = nullptr;
    openEntry_ = -1;
    return rc;
}

int CZipReader::ExtractToMemory(int index, BYTE* buffer, DWORD length) {
    if (index != openEntry_ || stream_ == nullptr) {
        CloseStream();
        if (index < 0 || index >= entryCount_) return kZipBadArgument;
        if (GoTo(index) != 0 || OpenStream() != 0) return kZipMemoryExtractFailed;
        openEntry_ = index;
    }
    const LONGLONG got = ReadStream(buffer, length);
    if (got > 0) return kZipMoreData;
    CloseStream();
    return got == 0 ? 0 : kZipMemoryExtractFailed;
}

int CZipReader::ExtractToFile(int index, void* target, int mode) {
    CloseStream();
    if (index < 0 || index >= entryCount_) return kZipBadArgument;
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
    kesh::UniqueWin<HANDLE, kesh::FileHandleTraits> created;
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

    bool failed = GoTo(index) != 0 || OpenStream() != 0;
    if (!failed) {
        BYTE* chunk = static_cast<BYTE*>(malloc(kChunk));
        failed = chunk == nullptr;
        while (!failed) {
            const LONGLONG got = ReadStream(chunk, kChunk);
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
    CloseStream();
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
