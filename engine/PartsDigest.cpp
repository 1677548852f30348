#include "PartsDigest.h"

#include <algorithm>
#include <chrono>
#include <system_error>

namespace {

// Small enough that a block read from the file is still in the cache when it is hashed.
constexpr DWORD kBlock = 256u << 10;
constexpr DWORD kPollMs = 5;  // how soon new bytes of a running part are looked for

}  // namespace

PartsDigest::~PartsDigest() { Stop(); }

bool PartsDigest::Start(const std::vector<Part>& parts, const ThreadStarter& startThread) {
    Stop();
    parts_ = parts;
    stop_ = false;
    {
        std::lock_guard<std::mutex> lock(heldMutex_);
        held_.clear();
        held_.resize(parts_.size());
        opened_.assign(parts_.size(), false);
    }
    md5_ = MD5_CTX();
    hashed_ = 0;
    fromFile_.assign(parts_.size(), 0);
    pendingZeros_ = 0;
    ok_ = false;
    seconds_ = 0;
    try {
        thread_ = startThread ? startThread([this] { Loop(); }) : std::thread([this] { Loop(); });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void PartsDigest::Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    Release();
}

void PartsDigest::Release() {
    std::lock_guard<std::mutex> lock(heldMutex_);
    for (kesh::UniqueFile& f : held_) f.reset();
}

// Shared for deletion and renaming too: the join renames and deletes part files while they may
// be open here.
kesh::UniqueFile PartsDigest::OpenLocked(size_t index) const {
    return kesh::UniqueFile(CreateFileW(parts_[index].fileName.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

kesh::UniqueFile PartsDigest::Open(size_t index) {
    std::lock_guard<std::mutex> lock(heldMutex_);
    kesh::UniqueFile file = held_[index] ? std::move(held_[index]) : OpenLocked(index);
    if (file) opened_[index] = true;
    return file;
}

void PartsDigest::Hold() {
    if (!thread_.joinable()) return;  // no digest follows the parts: nothing to keep open for it
    std::lock_guard<std::mutex> lock(heldMutex_);
    for (size_t i = 0; i < parts_.size(); ++i)
        if (!opened_[i] && !held_[i]) held_[i] = OpenLocked(i);
}

bool PartsDigest::Finish(char out[33], uint64_t& length) {
    if (thread_.joinable()) thread_.join();
    Release();
    if (!ok_) return false;
    unsigned char d[16];
    md5_.MD5Final(d);
    MD5_CTX::ToHex(d, out);
    length = hashed_;
    ok_ = false;
    return true;
}

bool PartsDigest::Ended(const Part& part, DWORD waitMs) const {
    return part.thread == nullptr || WaitForSingleObject(part.thread, waitMs) != WAIT_TIMEOUT;
}

void PartsDigest::HashZeros(uint64_t count) {
    static const unsigned char kZeros[65536] = {};
    while (count > 0) {
        const uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(sizeof kZeros, count));
        md5_.MD5Update(kZeros, n);
        hashed_ += n;
        count -= n;
    }
}

void PartsDigest::Loop() {
    const auto t0 = std::chrono::steady_clock::now();
    bool ok = true;
    for (size_t i = 0; i < parts_.size(); ++i) {
        if (!HashPart(i)) {
            ok = false;
            break;
        }
    }
    ok_ = ok && !stop_;
    Release();
    seconds_ = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// Hashes the bytes the join will take from one part file: from its start up to the part's end or
// the file's final length, whichever comes first. False when the join cannot succeed or the
// digest was abandoned.
bool PartsDigest::HashPart(size_t index) {
    const Part& part = parts_[index];
    const uint64_t length = part.end - part.start;
    if (length == 0) return true;
    kesh::UniqueFile file;
    for (;;) {
        if (stop_) return false;
        file = Open(index);
        if (file) break;
        // A part writes its file with its first piece; one that ended without it fails the join.
        if (Ended(part, kPollMs)) {
            file = Open(index);
            if (file) break;
            return false;
        }
    }
    std::vector<unsigned char> buf(kBlock);
    uint64_t done = 0;
    bool ended = false;
    while (done < length) {
        if (stop_) return false;
        // Read whether the part has ended before looking for bytes, so that an empty read after
        // its end really is its final length. Once it has, the file no longer changes.
        if (!ended) ended = Ended(part, 0);
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<uint64_t>(kBlock, length - done));
        if (!ReadFile(file.get(), buf.data(), want, &got, nullptr)) return false;
        if (got == 0) {
            if (ended) break;
            Ended(part, kPollMs);
            continue;
        }
        if (pendingZeros_ > 0) {
            HashZeros(pendingZeros_);
            pendingZeros_ = 0;
        }
        md5_.MD5Update(buf.data(), got);
        hashed_ += got;
        done += got;
        fromFile_[index] = done;
    }
    pendingZeros_ += length - done;
    return true;
}
