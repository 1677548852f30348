// The digest of the file the join will build, made while the parts are still arriving: a thread
// reads the part files in order as they grow and hashes what the join will place (each part cut
// at its end, zeros over a short part's gap). By the time the join has copied the parts, little
// or nothing is left to hash, and no second pass over a file of up to 2 GiB is needed.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Md5.h"
#include "WinHandle.h"

class PartsDigest {
public:
    struct Part {
        std::wstring fileName;
        uint64_t start = 0;
        uint64_t end = 0;
        HANDLE thread = nullptr;  // signalled when the part's transfer has ended; null: not running
    };

    // Starts a thread running the given work, the way std::thread does (it throws
    // std::system_error when no thread can be made).
    using ThreadStarter = std::function<std::thread(std::function<void()>)>;

    PartsDigest() = default;
    ~PartsDigest();
    PartsDigest(const PartsDigest&) = delete;
    PartsDigest& operator=(const PartsDigest&) = delete;

    // Starts following the parts on a thread of its own (made by startThread when given). False
    // when no thread could be made: there is then no early digest and Finish answers false.
    bool Start(const std::vector<Part>& parts, const ThreadStarter& startThread = nullptr);
    // Opens every part file the digest has not reached yet, once the transfers have ended and
    // before the join renames or deletes them, so the digest can go on reading them meanwhile.
    void Hold();
    // Waits for the digest. False when the part files did not allow one (the caller reads the
    // joined file back instead); otherwise out gets 32 lowercase hex digits and length the number
    // of bytes the digest covers, which must equal the joined file's length.
    bool Finish(char out[33], uint64_t& length);
    // Bytes of part index's file in the digest (zeros over a gap not counted); valid after Finish.
    uint64_t HashedFrom(size_t index) const { return index < fromFile_.size() ? fromFile_[index] : 0; }
    // Abandons the digest (the attempt failed before its join).
    void Stop();
    // Seconds the thread spent hashing and reading.
    double Seconds() const { return seconds_; }

private:
    void Loop();
    bool HashPart(size_t index);
    // The part's file: the one Hold opened, or opened now. Under heldMutex_, so Hold never misses
    // a part the thread is about to open.
    kesh::UniqueFile Open(size_t index);
    kesh::UniqueFile OpenLocked(size_t index) const;
    bool Ended(const Part& part, DWORD waitMs) const;
    void HashZeros(uint64_t count);
    void Release();

    std::vector<Part> parts_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::mutex heldMutex_;
    std::vector<kesh::UniqueFile> held_;  // by part index; taken by the thread when it gets there
    std::vector<bool> opened_;            // the thread has (or had) the part's file open
    MD5_CTX md5_;
    uint64_t hashed_ = 0;   // bytes of the joined file covered so far, zeros included
    std::vector<uint64_t> fromFile_;  // by part index
    uint64_t pendingZeros_ = 0;  // a short part's gap, hashed only if later bytes follow it
    bool ok_ = false;
    double seconds_ = 0;
};
