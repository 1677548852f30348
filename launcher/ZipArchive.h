// The archive layer under the launcher's zip reader: walks a single-disk PKZIP central directory,
// checks local headers and streams entry data through raw inflate with a running CRC-32. It can
// decrypt PKWARE traditional encryption given a password, but no caller sets one: the reader
// refuses encrypted entries before reading them (kZipPassword), so they are never written.
#pragma once
#include <windows.h>

#include <zlib.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace lumora {
namespace zip {

// Results of the archive layer; counts are positive.
enum : int {
    kOk = 0,
    kErrno = -1,          // read or seek error
    kEndOfList = -100,    // no data buffer, or past the last entry
    kParamError = -102,
    kBadZipFile = -103,   // malformed archive
    kInternalError = -104,  // out of memory
    kCrcError = -105,     // CRC mismatch at the end of an entry
    kBadPassword = -106,
};

const uint32_t kZip64Marker = 0xFFFFFFFFu;

// Zip numbers are little-endian whatever the machine.
inline uint16_t Le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t Le32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}
const DWORD kBufferSize = 16384;
const int kMaxNameBytes = 260;
const DWORD kReadWindow = 256 * 1024;

// Reads the archive file: the system's ReadFile, or a function with its contract.
typedef decltype(&::ReadFile) FileReader;

// One reader's view of the archive file. Reads are positional, so several Sources (one per
// thread that unpacks) can share the archive's one handle.
struct Source {
    bool isFile = true;
    bool seekable = false;
    bool ownsHandle = false;
    HANDLE file = INVALID_HANDLE_VALUE;
    FileReader read = &::ReadFile;
    // Why the last read failed: true when the file could not be read (a network share that
    // dropped, say), false when it ended before the bytes asked for (an archive cut short).
    bool readError = false;
    uint64_t baseOffset = 0;
    // The last block read from the file.
    std::vector<unsigned char> window;
    uint64_t windowStart = 0;
    uint64_t windowLength = 0;
    // Blocks are not read past this offset unless a read asks for more: a thread that unpacks one
    // entry reads that entry's bytes, not its neighbours', which other threads read.
    uint64_t readLimit = UINT64_MAX;

    // Reads exactly size bytes at pos (an offset in the file).
    bool ReadAt(uint64_t pos, void* out, DWORD size);
    bool Size(uint64_t& size);
};

struct CentralHeader {
    uint16_t versionMadeBy = 0;
    uint16_t versionNeeded = 0;
    uint16_t flags = 0;
    uint16_t method = 0;
    uint32_t dosDateTime = 0;  // date in the high, time in the low 16 bits
    uint32_t crc = 0;
    uint32_t compressedSize = 0;
    uint32_t uncompressedSize = 0;
    uint16_t nameLength = 0;
    uint16_t extraLength = 0;
    uint16_t commentLength = 0;
    uint16_t diskStart = 0;
    uint16_t internalAttributes = 0;
    uint32_t externalAttributes = 0;
    uint32_t localHeaderOffset = 0;

    bool encrypted() const { return (flags & 1) != 0; }
    bool hasDataDescriptor() const { return (flags & 8) != 0; }
    // Sizes or offsets that only a 64-bit extra field could give; this reader has none.
    bool usesZip64() const {
        return compressedSize == kZip64Marker || uncompressedSize == kZip64Marker || localHeaderOffset == kZip64Marker;
    }
};

struct LocalHeaderInfo {
    uint64_t dataStart = 0;
    uint64_t extraOffset = 0;
    uint16_t extraLength = 0;
};

// The data stream of the one open entry.
struct EntryStream {
    unsigned char input[kBufferSize];
    const unsigned char* inputPos = nullptr;
    DWORD inputAvailable = 0;
    z_stream zs{};
    bool inflateReady = false;
    uint32_t crc = 0;
    uint32_t expectedCrc = 0;
    uint64_t compressedLeft = 0;
    uint64_t uncompressedLeft = 0;
    int method = 0;
    uint64_t readPos = 0;
    bool encrypted = false;
    uint32_t keys[3] = {0, 0, 0};
    int headerLeft = 0;
    unsigned char checkByte = 0;
    bool ended = false;
};

// Streams the data of one entry at a time from a Source: the archive has one for its own use,
// and each thread that unpacks beside it has its own over the same file.
class EntryReader {
public:
    explicit EntryReader(Source& source) : source_(source) {}
    ~EntryReader() { Close(); }
    EntryReader(const EntryReader&) = delete;
    EntryReader& operator=(const EntryReader&) = delete;

    // Bytes in front of the archive, added to every offset the directory gives.
    void SetPrefix(uint64_t prefix) { prefix_ = prefix; }
    bool ReadAt(uint64_t pos, void* out, DWORD size) { return source_.ReadAt(prefix_ + pos, out, size); }
    // After a failed ReadAt: kErrno when the file could not be read, kBadZipFile when it ended.
    int ReadFailure() const { return source_.readError ? kErrno : kBadZipFile; }
    // kErrno or kBadZipFile as ReadFailure when the header cannot be read.
    int CheckLocalHeader(const CentralHeader& header, LocalHeaderInfo& info);

    // kErrno when the file could not be read, kBadZipFile when the local header does not match.
    int Open(const CentralHeader& header, const char* password);
    // Fills out with up to size bytes of the entry: a count, 0 at the end (see ended) or when
    // nothing more can be read, or a negative result (kErrno: the file could not be read).
    int Read(void* out, unsigned size);
    bool ended() const { return stream_ && stream_->ended; }
    bool open() const { return stream_ != nullptr; }
    // kCrcError when all bytes were delivered and the CRC-32 differs.
    int Close();

private:
    Source& source_;
    uint64_t prefix_ = 0;
    std::unique_ptr<EntryStream> stream_;
};

class Archive {
public:
    Archive() = default;
    ~Archive();
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    // Takes the file handle (closed with the archive when ownsHandle), read through read.
    int Open(HANDLE file, bool ownsHandle, FileReader read = &::ReadFile);

    uint32_t entryCount() const { return entryCount_; }
    uint32_t currentEntry() const { return entryNumber_; }
    bool currentValid() const { return entryValid_; }
    const CentralHeader& current() const { return header_; }
    // The current entry's name bytes (not terminated when too long for the reader's record).
    const char* currentName() const { return name_; }
    bool currentNameFits() const { return header_.nameLength < kMaxNameBytes; }

    int GoToFirst();
    int GoToNext();
    // Moves to the entry with that number.
    int GoTo(uint32_t index);

    int CheckLocalHeader(LocalHeaderInfo& info);
    bool ReadAt(uint64_t pos, void* out, DWORD size) { return source_.ReadAt(prefix_ + pos, out, size); }

    int OpenEntryStream(const char* password);
    int ReadEntry(void* out, unsigned size) { return entries_.Read(out, size); }
    bool entryEnded() const { return entries_.ended(); }
    bool streamOpen() const { return entries_.open(); }
    int CloseEntryStream() { return entries_.Close(); }
    EntryReader& entries() { return entries_; }

    // Where the bytes of the entry whose local header lies at that offset end: the next local
    // header or the directory, as an offset in the archive. Its data must not reach past it.
    uint64_t NextStart(uint32_t localHeaderOffset) const;
    // For readers of other threads: the shared file, the bytes in front of the archive, and
    // NextStart as a file offset.
    HANDLE file() const { return source_.file; }
    FileReader reader() const { return source_.read; }
    uint64_t prefix() const { return prefix_; }
    uint64_t SpanEnd(uint32_t localHeaderOffset) const;

private:
    int ReadCentralHeader();
    // Reads directory bytes from the in-memory copy when they lie in it.
    bool ReadDirectory(uint64_t pos, void* out, DWORD size);
    bool FindEndRecord(uint64_t size, uint64_t& position);

    Source source_;
    EntryReader entries_{source_};
    uint32_t entryCount_ = 0;
    uint32_t centralOffset_ = 0;
    uint32_t centralSize_ = 0;
    uint64_t prefix_ = 0;
    uint32_t entryNumber_ = 0;
    uint64_t entryPos_ = 0;
    bool entryValid_ = false;
    CentralHeader header_;
    char name_[kMaxNameBytes] = {};
    std::vector<unsigned char> centralCache_;
    // Where each entry's header lies in the directory, so any entry is reached without a walk.
    std::vector<uint64_t> entryPositions_;
    // Every local header offset and the directory's, sorted.
    std::vector<uint64_t> spanStarts_;
};

}  // namespace zip
}  // namespace lumora
