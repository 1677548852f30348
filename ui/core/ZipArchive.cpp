#include "ZipArchive.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>

#include "ZipReader.h"

namespace Veneer {

namespace {

constexpr DWORD kEndRecordSize = 22;
constexpr DWORD kCentralHeaderSize = 46;
constexpr DWORD kLocalHeaderSize = 30;
// Deflate never expands more than about 1032:1; a claim beyond that is a lie that would make
// callers allocate for data that cannot exist.
constexpr ULONGLONG kMaxDeflateRatio = 1032;

}  // namespace

// The data stream of the one entry that is open.
struct TEntryStream {
    ~TEntryStream() {
        free(input);
        if (inflateReady) inflateEnd(&zs);
    }

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

bool CZipSource::Length(ULONGLONG* length) const {
    if (!file_) {
        *length = memLength_;
        return true;
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file_.get(), &size)) return false;
    *length = static_cast<ULONGLONG>(size.QuadPart);
    return true;
}

LONGLONG CZipSource::ReadAt(ULONGLONG pos, void* out, DWORD count) {
    if (!file_) {
        if (pos >= memLength_) return 0;
        const ULONGLONG avail = memLength_ - pos;
        const DWORD n = avail < count ? static_cast<DWORD>(avail) : count;
        memcpy(out, mem_ + pos, n);
        return n;
    }
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(pos);
    DWORD got = 0;
    if (!SetFilePointerEx(file_.get(), to, nullptr, FILE_BEGIN) || !ReadFile(file_.get(), out, count, &got, nullptr)) {
        return -1;
    }
    return got;
}

CZipArchive::~CZipArchive() {
    CloseStream();
    free(dir_);
}

int CZipArchive::OpenFile(HANDLE file, ULONGLONG base) {
    source_.OpenFile(file, base);
    return Open();
}

int CZipArchive::OpenMemory(const BYTE* data, DWORD length) {
    source_.OpenMemory(data, length);
    return Open();
}

int CZipArchive::Open() {
    int rc = LocateArchive();
    if (rc == 0) rc = GoToFirst();
    if (rc != 0) source_.Close();
    return rc;
}

int CZipArchive::LocateArchive() {
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
        dir_ = static_cast<BYTE*>(malloc(dirSize_));
        if (dir_ == nullptr) return kZipOutOfMemory;
        if (!source_.ReadExact(dirStart, dir_, dirSize_)) return kZipReadError;
    }
    return 0;
}

int CZipArchive::ReadCentralHeader() {
    const int rc = ParseCentralHeader();
    currentValid_ = rc == 0;
    return rc;
}

int CZipArchive::ParseCentralHeader() {
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

int CZipArchive::GoToFirst() {
    current_ = 0;
    currentPos_ = 0;
    if (entryCount_ == 0) return kZipEndOfList;
    return ReadCentralHeader();
}

int CZipArchive::GoToNext() {
    if (current_ + 1 >= entryCount_) return kZipEndOfList;
    currentPos_ += static_cast<ULONGLONG>(kCentralHeaderSize) + header_.nameLength + header_.extraLength +
                   header_.commentLength;
    ++current_;
    return ReadCentralHeader();
}

int CZipArchive::GoTo(int index) {
    if (index < 0 || index >= entryCount_) return kZipBadParameter;
    int rc = 0;
    if (index < current_ || !currentValid_) rc = GoToFirst();
    while (rc == 0 && current_ < index) rc = GoToNext();
    return rc;
}

int CZipArchive::CheckLocalHeader(ULONGLONG* dataStart, WORD* localExtraLength) {
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

bool CZipArchive::ReadLocalExtra(BYTE* out, WORD length) {
    const ULONGLONG at = static_cast<ULONGLONG>(header_.localOffset) + prefix_ + kLocalHeaderSize + header_.nameLength;
    return source_.ReadExact(at, out, length);
}

int CZipArchive::OpenStream() {
    CloseStream();
    ULONGLONG dataStart = 0;
    WORD localExtraLength = 0;
    if (CheckLocalHeader(&dataStart, &localExtraLength) != 0) return kZipMalformed;
    TEntryStream* s = new TEntryStream;
    s->input = static_cast<BYTE*>(malloc(kZipChunk));
    if (s->input == nullptr) {
        delete s;
        return kZipOutOfMemory;
    }
    if (header_.method == 8) {
        if (inflateInit2(&s->zs, -MAX_WBITS) != Z_OK) {
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

// Data that ends early, does not inflate or does not match its checksum is an error, never a
// short success.
LONGLONG CZipArchive::ReadStream(BYTE* out, DWORD count) {
    TEntryStream* s = stream_;
    if (s == nullptr) return kZipBadParameter;
    if (count > s->uncompressedLeft) count = static_cast<DWORD>(s->uncompressedLeft);
    DWORD delivered = 0;
    while (delivered < count) {
        if (s->zs.avail_in == 0 && s->compressedLeft > 0) {
            const DWORD want = s->compressedLeft < kZipChunk ? static_cast<DWORD>(s->compressedLeft) : kZipChunk;
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

int CZipArchive::CloseStream() {
    TEntryStream* s = stream_;
    if (s == nullptr) return 0;
    const int rc = s->uncompressedLeft == 0 && s->crc != s->expectedCrc ? kZipCrcMismatch : 0;
    delete s;
    stream_ = nullptr;
    return rc;
}

}  // namespace Veneer
