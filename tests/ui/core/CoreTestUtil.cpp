#include "CoreTestUtil.h"

#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace coretest {

void Put16(std::string& s, size_t at, uint16_t v) {
    s[at] = static_cast<char>(v & 0xFF);
    s[at + 1] = static_cast<char>(v >> 8);
}

void Put32(std::string& s, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

std::string Le16(uint16_t v) {
    std::string s(2, '\0');
    Put16(s, 0, v);
    return s;
}

std::string Le32(uint32_t v) {
    std::string s(4, '\0');
    Put32(s, 0, v);
    return s;
}

std::string RawDeflate(const std::string& data) {
    z_stream zs{};
    deflateInit2(&zs, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&zs, static_cast<uLong>(data.size())) + 16, '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    zs.avail_in = static_cast<uInt>(data.size());
    zs.next_out = reinterpret_cast<Bytef*>(&out[0]);
    zs.avail_out = static_cast<uInt>(out.size());
    deflate(&zs, Z_FINISH);
    out.resize(zs.total_out);
    deflateEnd(&zs);
    return out;
}

ZipImage BuildZip(const std::vector<ZipItem>& items, const std::string& prefix) {
    ZipImage img;
    std::string archive;
    std::string dir;
    for (const ZipItem& it : items) {
        const uint32_t crc = crc32(0, reinterpret_cast<const Bytef*>(it.data.data()), static_cast<uInt>(it.data.size()));
        const std::string body = it.method == 8 ? RawDeflate(it.data) : it.data;
        const uint32_t offset = static_cast<uint32_t>(archive.size());
        img.local.push_back(prefix.size() + archive.size());
        archive += Le32(0x04034B50) + Le16(20) + Le16(0) + Le16(static_cast<uint16_t>(it.method)) +
                   Le16(it.dosTime) + Le16(it.dosDate) + Le32(crc) + Le32(static_cast<uint32_t>(body.size())) +
                   Le32(static_cast<uint32_t>(it.data.size())) + Le16(static_cast<uint16_t>(it.name.size())) +
                   Le16(static_cast<uint16_t>(it.localExtra.size())) + it.name + it.localExtra + body;
        img.central.push_back(dir.size());
        dir += Le32(0x02014B50) + Le16(0x031E) + Le16(20) + Le16(0) + Le16(static_cast<uint16_t>(it.method)) +
               Le16(it.dosTime) + Le16(it.dosDate) + Le32(crc) + Le32(static_cast<uint32_t>(body.size())) +
               Le32(static_cast<uint32_t>(it.data.size())) + Le16(static_cast<uint16_t>(it.name.size())) +
               Le16(0) + Le16(0) + Le16(0) + Le16(0) + Le32(it.externalAttributes) + Le32(offset) + it.name;
    }
    const uint32_t dirOffset = static_cast<uint32_t>(archive.size());
    for (size_t& c : img.central) c += prefix.size() + dirOffset;
    archive += dir;
    img.end = prefix.size() + archive.size();
    archive += Le32(0x06054B50) + Le16(0) + Le16(0) + Le16(static_cast<uint16_t>(items.size())) +
               Le16(static_cast<uint16_t>(items.size())) + Le32(static_cast<uint32_t>(dir.size())) + Le32(dirOffset) +
               Le16(0);
    img.bytes = prefix + archive;
    return img;
}

GuardedBytes::GuardedBytes(const std::string& bytes) {
    SYSTEM_INFO si;
    GetSystemInfo(&si);
    const size_t page = si.dwPageSize;
    const size_t dataPages = (bytes.size() + page - 1) / page + 1;
    base_ = static_cast<BYTE*>(VirtualAlloc(nullptr, (dataPages + 1) * page, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (base_ == nullptr) {
        fprintf(stderr, "VirtualAlloc failed\n");
        abort();
    }
    BYTE* end = base_ + dataPages * page;
    BYTE* start = end - bytes.size();
    if (!bytes.empty()) memcpy(start, bytes.data(), bytes.size());
    DWORD old = 0;
    VirtualProtect(base_, dataPages * page, PAGE_READONLY, &old);
    VirtualProtect(end, page, PAGE_NOACCESS, &old);
    data_ = start;
    size_ = static_cast<DWORD>(bytes.size());
}

GuardedBytes::~GuardedBytes() { VirtualFree(base_, 0, MEM_RELEASE); }

namespace {

DWORD WINAPI RunFunction(void* p) {
    (*static_cast<const std::function<void()>*>(p))();
    return 0;
}

}  // namespace

bool FinishesWithin(DWORD ms, const std::function<void()>& fn) {
    HANDLE thread = CreateThread(nullptr, 0, RunFunction, const_cast<std::function<void()>*>(&fn), 0, nullptr);
    if (thread == nullptr) return false;
    const bool done = WaitForSingleObject(thread, ms) == WAIT_OBJECT_0;
    CloseHandle(thread);
    if (!done) {
        fprintf(stderr, "a case ran longer than %lu ms: stopping\n", static_cast<unsigned long>(ms));
        fflush(stderr);
        TerminateProcess(GetCurrentProcess(), 3);
    }
    return done;
}

std::string Mutate(const std::string& in, Rng& rng) {
    std::string s = in;
    const int edits = 1 + static_cast<int>(rng.Below(4));
    for (int e = 0; e < edits && !s.empty(); ++e) {
        const size_t at = rng.Below(static_cast<uint32_t>(s.size()));
        switch (rng.Below(6)) {
        case 0: s[at] = static_cast<char>(s[at] ^ (1 << rng.Below(8))); break;
        case 1: s[at] = static_cast<char>(rng.Next()); break;
        case 2: s[at] = static_cast<char>((rng.Below(2) ? 0xFF : 0x00)); break;
        case 3: s.resize(at); break;
        case 4: s.insert(at, s.substr(at, rng.Below(16))); break;
        default: s.erase(at, rng.Below(8)); break;
        }
    }
    return s;
}

}  // namespace coretest
