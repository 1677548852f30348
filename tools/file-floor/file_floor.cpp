// file_floor <zip> <folder>: creates below <folder> every file the zip's central directory lists,
// with the entry's unpacked size, and nothing else: each file is created, written in 1 MiB blocks
// and closed, the way an unpacker must at the least. The time of a whole run (process start
// included, as for the programs it is compared with) is what the platform's file creation costs.
// Prints the number of files and bytes written; exit code 1 when the zip cannot be read.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace {

struct Entry {
    std::wstring name;
    uint64_t size = 0;
};

uint16_t Le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const unsigned char* p) { return Le16(p) | (static_cast<uint32_t>(Le16(p + 2)) << 16); }

std::vector<unsigned char> ReadAll(const wchar_t* path) {
    std::vector<unsigned char> bytes;
    HANDLE h = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return bytes;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(h, &size) && size.QuadPart > 0 && size.QuadPart < (1LL << 31)) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD got = 0;
        if (!ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) ||
            got != bytes.size())
            bytes.clear();
    }
    CloseHandle(h);
    return bytes;
}

// The central directory's file entries (folders skipped); empty when the zip cannot be read.
std::vector<Entry> ListEntries(const std::vector<unsigned char>& zip) {
    std::vector<Entry> out;
    if (zip.size() < 22) return out;
    size_t end = zip.size() - 22;
    while (Le32(&zip[end]) != 0x06054b50) {
        if (end == 0 || zip.size() - end > 22 + 65535) return out;
        --end;
    }
    size_t at = Le32(&zip[end + 16]);
    const unsigned count = Le16(&zip[end + 10]);
    for (unsigned i = 0; i < count; ++i) {
        if (at + 46 > zip.size() || Le32(&zip[at]) != 0x02014b50) return {};
        const size_t nameLen = Le16(&zip[at + 28]);
        const size_t extra = Le16(&zip[at + 30]) + Le16(&zip[at + 32]);
        if (at + 46 + nameLen > zip.size()) return {};
        const char* name = reinterpret_cast<const char*>(&zip[at + 46]);
        Entry e;
        e.size = Le32(&zip[at + 24]);
        const int wide = MultiByteToWideChar(CP_UTF8, 0, name, static_cast<int>(nameLen), nullptr, 0);
        e.name.resize(static_cast<size_t>(wide));
        MultiByteToWideChar(CP_UTF8, 0, name, static_cast<int>(nameLen), &e.name[0], wide);
        for (wchar_t& c : e.name)
            if (c == L'/') c = L'\\';
        if (!e.name.empty() && e.name.back() != L'\\') out.push_back(e);
        at += 46 + nameLen + extra;
    }
    return out;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: file_floor <zip> <folder>\n");
        return 2;
    }
    const std::vector<Entry> entries = ListEntries(ReadAll(argv[1]));
    if (entries.empty()) {
        std::fprintf(stderr, "file_floor: cannot read the zip's entries\n");
        return 1;
    }
    const std::wstring root = argv[2];
    std::set<std::wstring> made;
    std::vector<char> block(1 << 20, 'x');
    uint64_t bytes = 0;
    for (const Entry& e : entries) {
        // Each folder once, as an unpacker that remembers what it made would.
        for (size_t cut = e.name.find(L'\\'); cut != std::wstring::npos;
             cut = e.name.find(L'\\', cut + 1)) {
            const std::wstring dir = root + L"\\" + e.name.substr(0, cut);
            if (made.insert(dir).second) CreateDirectoryW(dir.c_str(), nullptr);
        }
        const std::wstring path = root + L"\\" + e.name;
        HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            std::fwprintf(stderr, L"file_floor: cannot create %ls\n", path.c_str());
            return 1;
        }
        for (uint64_t left = e.size; left > 0;) {
            const DWORD chunk = static_cast<DWORD>(left < block.size() ? left : block.size());
            DWORD wrote = 0;
            if (!WriteFile(h, block.data(), chunk, &wrote, nullptr) || wrote != chunk) {
                CloseHandle(h);
                std::fwprintf(stderr, L"file_floor: cannot write %ls\n", path.c_str());
                return 1;
            }
            left -= chunk;
        }
        CloseHandle(h);
        bytes += e.size;
    }
    std::printf("file_floor: %u files, %llu bytes\n", static_cast<unsigned>(entries.size()),
                static_cast<unsigned long long>(bytes));
    return 0;
}
