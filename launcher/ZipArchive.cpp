#include "ZipArchive.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace lumora {
namespace zip {

namespace {

const uint32_t kEndSignature = 0x06054B50;
const uint32_t kCentralSignature = 0x02014B50;
const uint32_t kLocalSignature = 0x04034B50;
const DWORD kEndRecordSize = 22;
const DWORD kCentralHeaderSize = 46;
const DWORD kLocalHeaderSize = 30;
const uint64_t kMaxEndSearch = 0xFFFF;
const DWORD kSearchStep = 1024;
const uint32_t kMaxCachedDirectory = 64u << 20;

uint32_t CrcByte(uint32_t crc, unsigned char b) {
    static const z_crc_t* const table = get_crc_table();
    return static_cast<uint32_t>(table[(crc ^ b) & 0xFF]) ^ (crc >> 8);
}

// PKWARE traditional encryption: three keys stirred by every plain byte.
void UpdateKeys(uint32_t keys[3], unsigned char plain) {
    keys[0] = CrcByte(keys[0], plain);
    keys[1] += keys[0] & 0xFF;
    keys[1] = keys[1] * 134775813u + 1;
    keys[2] = CrcByte(keys[2], static_cast<unsigned char>(keys[1] >> 24));
}

unsigned char DecryptByte(const uint32_t keys[3]) {
    const unsigned temp = (keys[2] & 0xFFFF) | 2;
    return static_cast<unsigned char>((temp * (temp ^ 1)) >> 8);
}

// Every entry owns the bytes from its local header to the next one (or to the directory): entries
// that share a header, or whose data runs into another's, would write one stored or deflated
// stream again and again, so a small archive could fill the disk. No zip tool writes either.
bool SpansApart(std::vector<std::pair<uint64_t, uint64_t>>& spans, uint64_t directory) {
    std::sort(spans.begin(), spans.end());
    for (size_t i = 0; i < spans.size(); ++i) {
        const uint64_t next = i + 1 < spans.size() ? spans[i + 1].first : directory;
        if (spans[i].second > next) return false;
    }
    return true;
}

}  // namespace

bool Source::ReadAt(uint64_t pos, void* out, DWORD size) {
    auto* dst = static_cast<unsigned char*>(out);
    while (size > 0) {
        if (pos < windowStart || pos >= windowStart + windowLength) {
            // Entries are read front to back: one large read serves the local header, the extra
            // field and many data blocks, where each would otherwise cost a system call.
            if (window.empty()) window.resize(kReadWindow);
            uint64_t want = kReadWindow;
            if (readLimit > pos) want = std::min<uint64_t>(want, std::max<uint64_t>(readLimit - pos, size));
            OVERLAPPED at{};
            at.Offset = static_cast<DWORD>(pos);
            at.OffsetHigh = static_cast<DWORD>(pos >> 32);
            DWORD got = 0;
            const BOOL ok = read(file, window.data(), static_cast<DWORD>(want), &got, &at);
            if (!ok || got == 0) {
                readError = !ok && GetLastError() != ERROR_HANDLE_EOF;
                windowLength = 0;
                return false;
            }
            windowStart = pos;
            windowLength = got;
        }
        const DWORD offset = static_cast<DWORD>(pos - windowStart);
        const DWORD take = std::min<DWORD>(size, static_cast<DWORD>(windowLength) - offset);
        std::memcpy(dst, window.data() + offset, take);
        dst += take;
        pos += take;
        size -= take;
    }
    return true;
}

bool Source::Size(uint64_t& size) {
    LARGE_INTEGER total;
    if (!GetFileSizeEx(file, &total)) return false;
    size = static_cast<uint64_t>(total.QuadPart) - baseOffset;
    return true;
}

Archive::~Archive() {
    entries_.Close();
    if (source_.ownsHandle && source_.file != INVALID_HANDLE_VALUE) CloseHandle(source_.file);
}

bool Archive::FindEndRecord(uint64_t size, uint64_t& position) {
    // Backwards in overlapping windows, so a signature cut by a window edge is still seen.
    const uint64_t maxBack = std::min(kMaxEndSearch, size);
    unsigned char window[kSearchStep + 4];
    uint64_t back = 4;
    while (back < maxBack) {
        back = std::min(back + kSearchStep, maxBack);
        const uint64_t readPos = size - back;
        const DWORD readSize = static_cast<DWORD>(std::min<uint64_t>(kSearchStep + 4, size - readPos));
        if (!source_.ReadAt(source_.baseOffset + readPos, window, readSize)) return false;
        for (DWORD i = readSize - 3; i-- > 0;) {
            if (Le32(window + i) == kEndSignature) {
                position = readPos + i;
                // A record at the very start is no record: an archive has something before it.
                return position != 0;
            }
        }
    }
    return false;
}

int Archive::Open(HANDLE file, bool ownsHandle, FileReader read) {
    source_.file = file;
    source_.ownsHandle = ownsHandle;
    source_.read = read;
    const DWORD here = SetFilePointer(file, 0, nullptr, FILE_CURRENT);
    source_.seekable = here != INVALID_SET_FILE_POINTER;
    source_.baseOffset = source_.seekable ? here : 0;

    uint64_t size = 0;
    uint64_t endPos = 0;
    if (!source_.Size(size)) return kErrno;
    if (size < kEndRecordSize || !FindEndRecord(size, endPos)) return kBadZipFile;

    unsigned char record[kEndRecordSize];
    if (endPos + kEndRecordSize > size || !source_.ReadAt(source_.baseOffset + endPos, record, kEndRecordSize))
        return kErrno;
    const uint16_t thisDisk = Le16(record + 4);
    const uint16_t centralDisk = Le16(record + 6);
    const uint16_t entriesHere = Le16(record + 8);
    const uint16_t entriesTotal = Le16(record + 10);
    centralSize_ = Le32(record + 12);
    centralOffset_ = Le32(record + 16);
    if (thisDisk != 0 || centralDisk != 0 || entriesHere != entriesTotal) return kBadZipFile;
    const uint64_t recordAbs = endPos + source_.baseOffset;
    const uint64_t centralEnd = static_cast<uint64_t>(centralOffset_) + centralSize_;
    if (recordAbs < centralEnd) return kBadZipFile;
    prefix_ = recordAbs - centralEnd;
    entries_.SetPrefix(prefix_);
    entryCount_ = entriesTotal;
    // The directory is read once and kept in memory: every record is read from it again.
    if (centralSize_ <= kMaxCachedDirectory) {
        centralCache_.resize(centralSize_);
        if (centralSize_ > 0 && !ReadAt(centralOffset_, centralCache_.data(), centralSize_)) return kErrno;
    }

    // Walk the whole directory once before anything is extracted: a directory broken half-way
    // must not leave a half-applied update behind.
    entryPositions_.reserve(entryCount_);
    spanStarts_.reserve(static_cast<size_t>(entryCount_) + 1);
    std::vector<std::pair<uint64_t, uint64_t>> spans;  // local header offset, least end of its entry
    spans.reserve(entryCount_);
    int err = GoToFirst();
    for (uint32_t i = 0; err == kOk && i < entryCount_; ++i) {
        if (i > 0) err = GoToNext();
        if (err != kOk) break;
        entryPositions_.push_back(entryPos_);
        spanStarts_.push_back(header_.localHeaderOffset);
        // An entry with 64-bit sizes or offsets is refused unread; its fields bound nothing.
        if (!header_.usesZip64())
            spans.emplace_back(header_.localHeaderOffset, static_cast<uint64_t>(header_.localHeaderOffset) +
                                                              kLocalHeaderSize + header_.nameLength +
                                                              header_.compressedSize);
    }
    if (entryCount_ > 0 && err != kOk) return kBadZipFile;
    spanStarts_.push_back(centralOffset_);
    std::sort(spanStarts_.begin(), spanStarts_.end());
    if (!SpansApart(spans, centralOffset_)) return kBadZipFile;

    err = GoToFirst();
    entryValid_ = err == kOk;
    return kOk;
}

bool Archive::ReadDirectory(uint64_t pos, void* out, DWORD size) {
    if (pos >= centralOffset_ && pos - centralOffset_ + size <= centralCache_.size()) {
        std::memcpy(out, centralCache_.data() + (pos - centralOffset_), size);
        return true;
    }
    return ReadAt(pos, out, size);
}

int Archive::ReadCentralHeader() {
    unsigned char h[kCentralHeaderSize];
    if (!ReadDirectory(entryPos_, h, kCentralHeaderSize)) return kErrno;
    if (Le32(h) != kCentralSignature) return kBadZipFile;
    header_.versionMadeBy = Le16(h + 4);
    header_.versionNeeded = Le16(h + 6);
    header_.flags = Le16(h + 8);
    header_.method = Le16(h + 10);
    // Time in the low, date in the high half, as they lie in the file.
    header_.dosDateTime = Le32(h + 12);
    header_.crc = Le32(h + 16);
    header_.compressedSize = Le32(h + 20);
    header_.uncompressedSize = Le32(h + 24);
    header_.nameLength = Le16(h + 28);
    header_.extraLength = Le16(h + 30);
    header_.commentLength = Le16(h + 32);
    header_.diskStart = Le16(h + 34);
    header_.internalAttributes = Le16(h + 36);
    header_.externalAttributes = Le32(h + 38);
    header_.localHeaderOffset = Le32(h + 42);
    const DWORD keep = std::min<DWORD>(header_.nameLength, kMaxNameBytes - 1);
    if (keep > 0 && !ReadDirectory(entryPos_ + kCentralHeaderSize, name_, keep)) return kErrno;
    name_[keep] = '\0';
    return kOk;
}

int Archive::GoToFirst() {
    entryPos_ = centralOffset_;
    entryNumber_ = 0;
    if (entryCount_ == 0) {
        entryValid_ = false;
        return kEndOfList;
    }
    const int err = ReadCentralHeader();
    entryValid_ = err == kOk;
    return err;
}

int Archive::GoToNext() {
    if (!entryValid_) return kEndOfList;
    if (entryNumber_ + 1 >= entryCount_) return kEndOfList;
    entryPos_ += kCentralHeaderSize + header_.nameLength + header_.extraLength + header_.commentLength;
    ++entryNumber_;
    const int err = ReadCentralHeader();
    entryValid_ = err == kOk;
    return err;
}

int Archive::GoTo(uint32_t index) {
    if (index >= entryCount_) return kParamError;
    if (index >= entryPositions_.size()) return kBadZipFile;
    entryPos_ = entryPositions_[index];
    entryNumber_ = index;
    const int err = ReadCentralHeader();
    entryValid_ = err == kOk;
    return err;
}

uint64_t Archive::NextStart(uint32_t localHeaderOffset) const {
    const auto next = std::upper_bound(spanStarts_.begin(), spanStarts_.end(), localHeaderOffset);
    return next == spanStarts_.end() ? UINT64_MAX : *next;
}

uint64_t Archive::SpanEnd(uint32_t localHeaderOffset) const {
    const uint64_t next = NextStart(localHeaderOffset);
    return next == UINT64_MAX ? next : prefix_ + next;
}

int Archive::CheckLocalHeader(LocalHeaderInfo& info) {
    if (!entryValid_) return kParamError;
    return entries_.CheckLocalHeader(header_, info);
}

int Archive::OpenEntryStream(const char* password) {
    entries_.Close();
    if (!entryValid_) return kBadZipFile;
    return entries_.Open(header_, password);
}

int EntryReader::CheckLocalHeader(const CentralHeader& header, LocalHeaderInfo& info) {
    unsigned char h[kLocalHeaderSize];
    if (!ReadAt(header.localHeaderOffset, h, kLocalHeaderSize)) return ReadFailure();
    if (Le32(h) != kLocalSignature) return kBadZipFile;
    const uint16_t flags = Le16(h + 6);
    const uint16_t method = Le16(h + 8);
    if (method != header.method || (method != 0 && method != Z_DEFLATED)) return kBadZipFile;
    if ((flags & 8) == 0) {
        if (Le32(h + 14) != header.crc || Le32(h + 18) != header.compressedSize ||
            Le32(h + 22) != header.uncompressedSize)
            return kBadZipFile;
    }
    if (Le16(h + 26) != header.nameLength) return kBadZipFile;
    const uint16_t extraLength = Le16(h + 28);
    info.extraOffset = static_cast<uint64_t>(header.localHeaderOffset) + kLocalHeaderSize + header.nameLength;
    info.extraLength = extraLength;
    info.dataStart = info.extraOffset + extraLength;
    return kOk;
}

int EntryReader::Open(const CentralHeader& header, const char* password) {
    Close();
    LocalHeaderInfo local;
    const int checked = CheckLocalHeader(header, local);
    if (checked != kOk) return checked == kErrno ? kErrno : kBadZipFile;
    std::unique_ptr<EntryStream> s(new (std::nothrow) EntryStream);
    if (!s) return kInternalError;
    s->method = header.method;
    if (s->method == Z_DEFLATED) {
        if (inflateInit2(&s->zs, -MAX_WBITS) != Z_OK) return kInternalError;
        s->inflateReady = true;
    }
    s->compressedLeft = header.compressedSize;
    s->uncompressedLeft = header.uncompressedSize;
    s->expectedCrc = header.crc;
    s->encrypted = header.encrypted();
    s->keys[0] = 0x12345678;
    s->keys[1] = 0x23456789;
    s->keys[2] = 0x34567890;
    if (password != nullptr) {
        for (const char* p = password; *p; ++p) UpdateKeys(s->keys, static_cast<unsigned char>(*p));
    }
    s->headerLeft = s->encrypted ? 12 : 0;
    s->checkByte = header.hasDataDescriptor() ? static_cast<unsigned char>((header.dosDateTime >> 8) & 0xFF)
                                               : static_cast<unsigned char>(header.crc >> 24);
    s->readPos = local.dataStart;
    stream_ = std::move(s);
    return kOk;
}

int EntryReader::Read(void* out, unsigned size) {
    if (!stream_) return kParamError;
    EntryStream& s = *stream_;
    auto* dst = static_cast<unsigned char*>(out);
    unsigned produced = 0;
    while (produced < size && !s.ended) {
        if (s.uncompressedLeft == 0 && s.headerLeft == 0) {
            s.ended = true;
            break;
        }
        if (s.inputAvailable == 0 && s.compressedLeft > 0) {
            const DWORD n = static_cast<DWORD>(std::min<uint64_t>(s.compressedLeft, kBufferSize));
            if (!ReadAt(s.readPos, s.input, n)) return ReadFailure();
            s.readPos += n;
            s.compressedLeft -= n;
            if (s.encrypted) {
                for (DWORD i = 0; i < n; ++i) {
                    s.input[i] ^= DecryptByte(s.keys);
                    UpdateKeys(s.keys, s.input[i]);
                }
            }
            s.inputPos = s.input;
            s.inputAvailable = n;
        }
        if (s.headerLeft > 0) {
            if (s.inputAvailable == 0) break;
            const DWORD skip = std::min<DWORD>(static_cast<DWORD>(s.headerLeft), s.inputAvailable);
            const unsigned char last = s.inputPos[skip - 1];
            s.inputPos += skip;
            s.inputAvailable -= skip;
            s.headerLeft -= static_cast<int>(skip);
            if (s.headerLeft == 0 && last != s.checkByte) return kBadPassword;
            continue;
        }
        // Never more than the directory promised, whatever the data would inflate to.
        const unsigned room = static_cast<unsigned>(std::min<uint64_t>(size - produced, s.uncompressedLeft));
        if (s.method == 0) {
            if (s.inputAvailable == 0) break;
            const unsigned copy = std::min<unsigned>(room, s.inputAvailable);
            std::memcpy(dst + produced, s.inputPos, copy);
            s.crc = static_cast<uint32_t>(crc32(s.crc, dst + produced, copy));
            s.inputPos += copy;
            s.inputAvailable -= copy;
            produced += copy;
            s.uncompressedLeft -= copy;
        } else {
            s.zs.next_in = const_cast<Bytef*>(s.inputPos);
            s.zs.avail_in = s.inputAvailable;
            s.zs.next_out = dst + produced;
            s.zs.avail_out = room;
            const int ret = inflate(&s.zs, Z_SYNC_FLUSH);
            const unsigned got = room - s.zs.avail_out;
            const DWORD consumed = s.inputAvailable - s.zs.avail_in;
            s.inputPos += consumed;
            s.inputAvailable -= consumed;
            s.crc = static_cast<uint32_t>(crc32(s.crc, dst + produced, got));
            produced += got;
            s.uncompressedLeft -= got;
            if (ret == Z_STREAM_END) {
                // Data that ends before the size the directory gives is a cut entry, not a file.
                if (s.uncompressedLeft != 0) return kBadZipFile;
                s.ended = true;
            } else if (ret == Z_BUF_ERROR) {
                if (got == 0 && consumed == 0) break;
            } else if (ret != Z_OK) {
                return ret < 0 ? ret : kBadZipFile;
            }
        }
    }
    if (!s.ended && s.uncompressedLeft == 0 && s.headerLeft == 0) s.ended = true;
    return static_cast<int>(produced);
}

int EntryReader::Close() {
    if (!stream_) return kOk;
    EntryStream& s = *stream_;
    const int result = s.ended && s.uncompressedLeft == 0 && s.crc != s.expectedCrc ? kCrcError : kOk;
    if (s.inflateReady) inflateEnd(&s.zs);
    stream_.reset();
    return result;
}

}  // namespace zip
}  // namespace lumora
