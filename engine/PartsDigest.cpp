#include "PartsDigest.h"

#include <algorithm>
#include <chrono>

#include "WinHandle.h"

namespace {

constexpr DWORD kBlock = 1u << 20;
constexpr DWORD kPollMs = 5;  // how soon new bytes of a running part are looked for

}  // namespace

PartsDigest::~PartsDigest() { Stop(); }

void PartsDigest::Start(const std::vector<Part>& parts) {
    Stop();
    parts_ = parts;
    stop_ = false;
    md5_ = MD5_CTX();
    hashed_ = 0;
    pendingZeros_ = 0;
    ok_ = false;
    seconds_ = 0;
    thread_ = std::thread([this] { Loop(); });
}

void PartsDigest::Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
}

bool PartsDigest::Finish(char out[33], uint64_t& length) {
    if (thread_.joinable()) thread_.join();
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
    for (const Part& part : parts_) {
        if (!HashPart(part)) {
            ok = false;
            break;
        }
    }
    ok_ = ok && !stop_;
    seconds_ = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// Hashes the bytes the join will take from one part file: from its start up to the part's end or
// the file's final length, whichever comes first. False when the join cannot succeed or the
// digest was abandoned.
bool PartsDigest::HashPart(const Part& part) {
    const uint64_t length = part.end - part.start;
    if (length == 0) return true;
    // Shared for deletion too: the join renames and deletes part files while they may be open
    // here.
    const auto open = [&] {
        return kesh::UniqueFile(CreateFileW(part.fileName.c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    };
    kesh::UniqueFile file;
    for (;;) {
        if (stop_) return false;
        file = open();
        if (file) break;
        // A part writes its file with its first piece; one that ended without it fails the join.
        if (Ended(part, kPollMs)) {
            file = open();
            if (file) break;
            return false;
        }
    }
    std::vector<unsigned char> buf(kBlock);
    uint64_t done = 0;
    while (done < length) {
        if (stop_) return false;
        // Read whether the part has ended before looking for bytes, so that an empty read after
        // its end really is its final length.
        const bool ended = Ended(part, 0);
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
    }
    pendingZeros_ += length - done;
    return true;
}
