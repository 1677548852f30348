// The joined download file while the parts are copied into it. Its digest is made on a thread of
// its own from the very blocks the join writes (zeros of any gap included), so checking a file
// that may be a gigabyte large costs no second pass and runs alongside the copying.
#pragma once
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Md5.h"
#include "WinHandle.h"

class JoinedFile {
public:
    using Block = std::vector<char>;
    static constexpr size_t kBlockSize = 1u << 20;

    JoinedFile() = default;
    ~JoinedFile();
    JoinedFile(const JoinedFile&) = delete;
    JoinedFile& operator=(const JoinedFile&) = delete;

    // Creates the file anew (old content discarded).
    bool Create(const std::wstring& name);
    bool IsOpen() const { return static_cast<bool>(file_); }

    // Makes a part file that starts at byte 0 the beginning of the joined file, cut at cut, by
    // renaming it instead of copying it. Only before anything was written; false (nothing
    // changed) when that is not possible, and the caller copies instead.
    bool TakeOver(const std::wstring& partFile, uint64_t cut);

    // A block of kBlockSize bytes to read into; waits while too many are in flight.
    Block TakeBuffer();
    // Writes size bytes of block at an absolute position (the file grows with zeros over any gap)
    // and hands the block to the digest.
    bool WriteAt(uint64_t position, Block&& block, size_t size);

    // The file's length as the system reports it, then closes it. -1 when it cannot tell.
    int64_t CloseAndGetLength();
    void Close();
    // The digest of everything written, as 32 lowercase hex digits. False when the bytes were not
    // written strictly in order (the caller then reads the file back).
    bool Digest(char out[33]);
    // Seconds the digest thread spent hashing.
    double DigestSeconds() const { return digestSeconds_; }

private:
    struct Piece {
        uint64_t position;
        Block block;
        size_t size;
    };
    void StartDigest();
    void StopDigest();
    void DigestLoop();
    void Queue(uint64_t position, Block&& block, size_t size);

    std::wstring name_;
    kesh::UniqueFile file_;
    uint64_t written_ = 0;  // bytes from the start that the joined file holds

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Piece> queue_;
    std::vector<Block> spare_;
    size_t inFlight_ = 0;
    bool finishing_ = false;
    std::thread digestThread_;
    MD5_CTX md5_;
    uint64_t hashed_ = 0;
    bool inOrder_ = true;
    double digestSeconds_ = 0;
};
