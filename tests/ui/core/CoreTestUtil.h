// Helpers for the UI core's reader tests: zip archives written here with zlib (so single
// fields can be damaged on purpose), input blocks that end at an inaccessible page, and a
// bound on how long one case may run.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace coretest {

struct ZipItem {
    std::string name;
    std::string data;
    int method = 8;               // 0 stored, 8 deflated
    std::string localExtra;       // extra field of the local header
    uint32_t externalAttributes = 0x01800000;  // Unix rw------- as Python writes it
    uint16_t dosTime = 0x6000;    // 12:00:00
    uint16_t dosDate = 0x5A21;    // 2025-01-01
};

// Where the pieces of a built archive start, so tests can damage them.
struct ZipImage {
    std::string bytes;
    std::vector<size_t> local;    // local headers
    std::vector<size_t> central;  // central headers
    size_t end = 0;               // end-of-central-directory record
};

ZipImage BuildZip(const std::vector<ZipItem>& items, const std::string& prefix = "");
std::string RawDeflate(const std::string& data);
void Put16(std::string& s, size_t at, uint16_t v);
void Put32(std::string& s, size_t at, uint32_t v);
std::string Le16(uint16_t v);
std::string Le32(uint32_t v);

// A read-only copy of the bytes that ends exactly where an inaccessible page begins: reading
// one byte too far, or writing at all, faults.
class GuardedBytes {
public:
    explicit GuardedBytes(const std::string& bytes);
    ~GuardedBytes();
    GuardedBytes(const GuardedBytes&) = delete;
    GuardedBytes& operator=(const GuardedBytes&) = delete;
    const void* data() const { return data_; }
    DWORD size() const { return size_; }

private:
    BYTE* base_ = nullptr;
    const BYTE* data_ = nullptr;
    DWORD size_ = 0;
};

// Runs fn on a thread of its own; true when it ended within ms milliseconds. A case that hangs
// ends the whole test program, since the stuck thread cannot be stopped safely.
bool FinishesWithin(DWORD ms, const std::function<void()>& fn);

// A small deterministic generator for the mutation loops.
class Rng {
public:
    explicit Rng(uint32_t seed) : s_(seed ? seed : 1) {}
    uint32_t Next() {
        s_ ^= s_ << 13;
        s_ ^= s_ >> 17;
        s_ ^= s_ << 5;
        return s_;
    }
    uint32_t Below(uint32_t n) { return n ? Next() % n : 0; }

private:
    uint32_t s_;
};

// Flips, overwrites, cuts or duplicates a few bytes.
std::string Mutate(const std::string& in, Rng& rng);

}  // namespace coretest
