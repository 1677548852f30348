// ExtractZipToDir: unpacks every entry of a zip archive below a folder, creating the entries'
// folders and replacing existing files. Stored and deflated entries; names are UTF-8 (the form
// both zip makers in use write), with code page 437 for names that are not valid UTF-8.
//
// Result codes: 0 success; 1 the archive cannot be opened; 2 it is not a zip archive or its
// directory is damaged or cut short; 3 an entry's name would lead outside the folder (nothing is
// written then); 4 an entry uses a method or encryption this library does not unpack; 5 an entry's
// data is damaged (inflate error, wrong length or CRC-32); 6 a folder or file cannot be written
// (every other entry is still unpacked). The third argument is reserved and ignored.
#include <windows.h>

#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

enum Result { kOk = 0, kCannotOpen = 1, kBadArchive = 2, kUnsafeName = 3, kUnsupported = 4, kBadData = 5,
              kCannotWrite = 6 };

const DWORD kEndSig = 0x06054b50, kEnd64Sig = 0x06064b50, kEnd64LocSig = 0x07064b50;
const DWORD kCentralSig = 0x02014b50, kLocalSig = 0x04034b50;
const size_t kBlock = 256 * 1024;

uint16_t Le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const unsigned char* p) { return Le16(p) | (static_cast<uint32_t>(Le16(p + 2)) << 16); }
uint64_t Le64(const unsigned char* p) { return Le32(p) | (static_cast<uint64_t>(Le32(p + 4)) << 32); }

class Handle {
public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() { if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }
    bool ok() const { return h_ != INVALID_HANDLE_VALUE; }
    void close() {
        if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
        h_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE h_;
};

class ZStream {
public:
    ZStream() { ok_ = inflateInit2(&z, -MAX_WBITS) == Z_OK; }
    ~ZStream() { if (ok_) inflateEnd(&z); }
    ZStream(const ZStream&) = delete;
    ZStream& operator=(const ZStream&) = delete;
    bool ok() const { return ok_; }
    z_stream z{};

private:
    bool ok_ = false;
};

// Reads exactly n bytes at offset; false on a short read (a cut archive). The offset goes with
// each read, so threads sharing the handle never move each other's position.
bool ReadAt(HANDLE file, uint64_t offset, void* buf, size_t n) {
    auto* p = static_cast<unsigned char*>(buf);
    while (n > 0) {
        const DWORD want = static_cast<DWORD>(n > kBlock ? kBlock : n);
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD got = 0;
        if (!ReadFile(file, p, want, &got, &at) || got == 0) return false;
        p += got;
        n -= got;
        offset += got;
    }
    return true;
}

bool WriteAll(HANDLE file, const unsigned char* p, size_t n) {
    while (n > 0) {
        DWORD put = 0;
        if (!WriteFile(file, p, static_cast<DWORD>(n > kBlock ? kBlock : n), &put, nullptr) || put == 0) return false;
        p += put;
        n -= put;
    }
    return true;
}

struct Entry {
    std::wstring name;  // relative, '\' separated, checked
    bool directory = false;
    uint16_t flags = 0, method = 0;
    uint32_t crc = 0;
    uint64_t packed = 0, size = 0, localOffset = 0;
};

// The parts of a relative name, or false when the name could leave the folder: empty, absolute,
// with a drive or stream (':'), a ".." part, a device name, or characters no file name may hold.
// Device names open the device wherever they stand in a path, whatever their extension.
bool IsDeviceName(const std::wstring& part) {
    const std::wstring stem = part.substr(0, part.find(L'.'));
    static const wchar_t* const names[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
    for (const wchar_t* n : names)
        if (_wcsicmp(stem.c_str(), n) == 0) return true;
    return stem.size() == 4 && (_wcsnicmp(stem.c_str(), L"COM", 3) == 0 || _wcsnicmp(stem.c_str(), L"LPT", 3) == 0) &&
           stem[3] >= L'1' && stem[3] <= L'9';
}

bool SplitSafe(const std::wstring& raw, std::vector<std::wstring>& parts) {
    parts.clear();
    if (raw.empty() || raw[0] == L'/' || raw[0] == L'\\') return false;
    std::wstring part;
    for (size_t i = 0; i <= raw.size(); ++i) {
        const wchar_t c = i < raw.size() ? raw[i] : L'/';
        if (c == L'/' || c == L'\\') {
            if (part == L"..") return false;
            // Windows drops trailing dots and blanks, so "..." or ". ." would name the parent too.
            const size_t keep = part.find_last_not_of(L". ");
            if (!part.empty() && keep == std::wstring::npos) {
                if (part != L".") return false;
            } else if (!part.empty()) {
                if (IsDeviceName(part)) return false;
                parts.push_back(part);
            }
            part.clear();
            continue;
        }
        if (c < 32 || wcschr(L":*?\"<>|", c) != nullptr) return false;
        part += c;
    }
    return !parts.empty();
}

std::wstring DecodeName(const std::string& bytes) {
    if (bytes.empty()) return std::wstring();
    const int len = static_cast<int>(bytes.size());
    UINT cp = CP_UTF8;
    int n = MultiByteToWideChar(cp, MB_ERR_INVALID_CHARS, bytes.data(), len, nullptr, 0);
    if (n <= 0) {
        cp = 437;
        n = MultiByteToWideChar(cp, 0, bytes.data(), len, nullptr, 0);
        if (n <= 0) return std::wstring();
    }
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(cp, cp == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0, bytes.data(), len, &out[0], n);
    return out;
}

// The central directory's offset and entry count, from the end records (zip64 ones included), and
// the bytes in front of the archive (a program the archive was appended to), which every offset
// the archive names leaves out.
int FindDirectory(HANDLE file, uint64_t fileSize, uint64_t& dirOffset, uint64_t& count, uint64_t& prefix) {
    if (fileSize < 22) return kBadArchive;
    const uint64_t tail = fileSize < 22 + 65535 ? fileSize : 22 + 65535;
    std::vector<unsigned char> buf(static_cast<size_t>(tail));
    if (!ReadAt(file, fileSize - tail, buf.data(), buf.size())) return kBadArchive;
    for (size_t i = buf.size() - 22 + 1; i-- > 0;) {
        const unsigned char* e = &buf[i];
        // The last end record whose comment fits in the file; bytes after it are tolerated.
        if (Le32(e) != kEndSig || i + 22 + Le16(e + 20) > buf.size()) continue;
        const uint64_t at = fileSize - tail + i;
        count = Le16(e + 10);
        uint64_t dirSize = Le32(e + 12);
        dirOffset = Le32(e + 16);
        uint64_t dirEnd = at;
        if (count == 0xFFFF || dirSize == 0xFFFFFFFF || dirOffset == 0xFFFFFFFF) {
            unsigned char loc[20], end64[56];
            if (at < 20 || !ReadAt(file, at - 20, loc, 20) || Le32(loc) != kEnd64LocSig) return kBadArchive;
            const uint64_t end64At = Le64(loc + 8);
            if (!ReadAt(file, end64At, end64, 56) || Le32(end64) != kEnd64Sig) return kBadArchive;
            count = Le64(end64 + 32);
            dirSize = Le64(end64 + 40);
            dirOffset = Le64(end64 + 48);
            dirEnd = end64At;
        }
        if (dirOffset > dirEnd || dirSize > dirEnd - dirOffset) return kBadArchive;
        prefix = dirEnd - dirOffset - dirSize;
        dirOffset += prefix;
        return kOk;
    }
    return kBadArchive;
}

int ReadDirectory(HANDLE file, uint64_t fileSize, std::vector<Entry>& entries) {
    uint64_t offset = 0, count = 0, prefix = 0;
    int rc = FindDirectory(file, fileSize, offset, count, prefix);
    if (rc != kOk) return rc;
    if (count > fileSize / 46 + 1) return kBadArchive;
    std::vector<std::wstring> parts;
    for (uint64_t i = 0; i < count; ++i) {
        unsigned char h[46];
        if (offset + 46 > fileSize || !ReadAt(file, offset, h, 46) || Le32(h) != kCentralSig) return kBadArchive;
        const uint16_t nameLen = Le16(h + 28), extraLen = Le16(h + 30), commentLen = Le16(h + 32);
        std::string name(nameLen, '\0');
        std::vector<unsigned char> extra(extraLen);
        if ((nameLen && !ReadAt(file, offset + 46, &name[0], nameLen)) ||
            (extraLen && !ReadAt(file, offset + 46 + nameLen, extra.data(), extraLen)))
            return kBadArchive;
        Entry e;
        e.flags = Le16(h + 8);
        e.method = Le16(h + 10);
        e.crc = Le32(h + 16);
        e.packed = Le32(h + 20);
        e.size = Le32(h + 24);
        e.localOffset = Le32(h + 42);
        // Sizes and offsets that do not fit 32 bits sit in the zip64 extra block, in this order.
        for (size_t x = 0; x + 4 <= extra.size();) {
            const uint16_t id = Le16(&extra[x]), len = Le16(&extra[x + 2]);
            if (x + 4 + len > extra.size()) break;
            if (id == 0x0001) {
                size_t p = x + 4;
                for (uint64_t* field : {&e.size, &e.packed, &e.localOffset}) {
                    if (*field != 0xFFFFFFFF) continue;
                    if (p + 8 > x + 4 + len) return kBadArchive;
                    *field = Le64(&extra[p]);
                    p += 8;
                }
            }
            x += 4 + len;
        }
        e.localOffset += prefix;
        const std::wstring wide = DecodeName(name);
        e.directory = !wide.empty() && (wide.back() == L'/' || wide.back() == L'\\');
        // Refuse names that climb out of the target folder: the archive comes from the network.
        if (!SplitSafe(wide, parts)) return kUnsafeName;
        for (size_t p = 0; p < parts.size(); ++p) e.name += (p ? L"\\" : L"") + parts[p];
        if (!e.directory) {
            if (e.flags & 1) return kUnsupported;
            if (e.method != 0 && e.method != 8) return kUnsupported;
            if (e.method == 0 && e.packed != e.size) return kBadData;
            if (e.localOffset >= fileSize || e.packed > fileSize) return kBadArchive;
        }
        entries.push_back(e);
        offset += 46ull + nameLen + extraLen + commentLen;
    }
    return kOk;
}

// Long targets need the "\\?\" form; the parts are already free of "." and "..".
std::wstring SystemPath(const std::wstring& full) {
    if (full.size() < MAX_PATH - 12 || full.compare(0, 4, L"\\\\?\\") == 0) return full;
    if (full.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

bool MakeFolders(const std::wstring& root, const std::wstring& rel) {
    std::wstring path = root;
    size_t start = 0;
    while (start <= rel.size()) {
        size_t end = rel.find(L'\\', start);
        if (end == std::wstring::npos) end = rel.size();
        path += L"\\" + rel.substr(start, end - start);
        const std::wstring sys = SystemPath(path);
        if (!CreateDirectoryW(sys.c_str(), nullptr)) {
            const DWORD attrs = GetFileAttributesW(sys.c_str());
            if (attrs == INVALID_FILE_ATTRIBUTES || !(attrs & FILE_ATTRIBUTE_DIRECTORY)) return false;
        }
        start = end + 1;
    }
    return true;
}

// The file system compares names without case, so collisions are judged the same way.
std::wstring FoldCase(const std::wstring& name) {
    if (name.empty()) return name;
    const int len = static_cast<int>(name.size());
    const int n = LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, name.data(), len, nullptr, 0);
    if (n <= 0) return name;
    std::wstring folded(static_cast<size_t>(n), L'\0');
    LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, name.data(), len, &folded[0], n);
    return folded;
}

// One spelling for the names the system takes as the same: letters in either case, and parts
// whose trailing dots and blanks it drops.
std::wstring SameNameKey(const std::wstring& name) {
    std::wstring key;
    size_t start = 0;
    for (;;) {
        const size_t sep = name.find(L'\\', start);
        std::wstring part = name.substr(start, sep == std::wstring::npos ? std::wstring::npos : sep - start);
        while (!part.empty() && (part.back() == L'.' || part.back() == L' ')) part.pop_back();
        key += (start > 0 ? L"\\" : L"") + part;
        if (sep == std::wstring::npos) break;
        start = sep + 1;
    }
    return FoldCase(key);
}

// Entries are unpacked side by side only when no two of them can touch the same path: no name
// twice, and no file where another entry needs a folder. Otherwise archive order decides what
// stays, and the archive is unpacked in that order.
bool NamesIndependent(const std::vector<Entry>& entries) {
    std::set<std::wstring> files, folders;
    for (const Entry& e : entries) {
        // A short name (PROGRA~1) may stand for any long one: no spelling shows which.
        if (e.name.find(L'~') != std::wstring::npos) return false;
        const std::wstring key = SameNameKey(e.name);
        for (size_t cut = key.find(L'\\'); cut != std::wstring::npos; cut = key.find(L'\\', cut + 1))
            folders.insert(key.substr(0, cut));
        if (e.directory) {
            folders.insert(key);
        } else if (!files.insert(key).second) {
            return false;
        }
    }
    for (const std::wstring& f : files)
        if (folders.count(f) != 0) return false;
    return true;
}

// The buffers and inflate state one worker reuses for every entry it unpacks; kept small, since
// the updater is still on screen while it waits for the unpacking.
const size_t kWorkBlock = 128 * 1024;
struct Scratch {
    std::vector<unsigned char> in = std::vector<unsigned char>(kWorkBlock);
    std::vector<unsigned char> out = std::vector<unsigned char>(kWorkBlock);
    ZStream zs;
};

// Unpacks one file entry into out, checking length and CRC-32 as the data streams through.
// Reads name their offset, so several workers share the archive's handle.
int UnpackTo(HANDLE zip, uint64_t fileSize, const Entry& e, HANDLE out, Scratch& s) {
    unsigned char local[30];
    if (!ReadAt(zip, e.localOffset, local, 30) || Le32(local) != kLocalSig) return kBadArchive;
    const uint64_t dataStart = e.localOffset + 30 + Le16(local + 26) + Le16(local + 28);
    if (dataStart > fileSize || e.packed > fileSize - dataStart) return kBadData;

    uLong crc = crc32(0L, Z_NULL, 0);
    uint64_t left = e.packed, written = 0, at = dataStart;
    if (e.method == 8 && (!s.zs.ok() || inflateReset(&s.zs.z) != Z_OK)) return kBadData;
    z_stream& z = s.zs.z;
    bool ended = e.method == 0;
    while (left > 0) {
        const size_t got = static_cast<size_t>(left > s.in.size() ? s.in.size() : left);
        if (!ReadAt(zip, at, s.in.data(), got)) return kBadData;
        at += got;
        left -= got;
        if (e.method == 0) {
            crc = crc32(crc, s.in.data(), static_cast<uInt>(got));
            written += got;
            if (!WriteAll(out, s.in.data(), got)) return kCannotWrite;
            continue;
        }
        if (ended) return kBadData;  // bytes after the end of the deflate stream
        z.next_in = s.in.data();
        z.avail_in = static_cast<uInt>(got);
        do {
            z.next_out = s.out.data();
            z.avail_out = static_cast<uInt>(s.out.size());
            const int rc = inflate(&z, Z_NO_FLUSH);
            if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) return kBadData;
            if (rc == Z_BUF_ERROR && z.avail_in > 0 && z.avail_out > 0) return kBadData;
            const size_t n = s.out.size() - z.avail_out;
            written += n;
            if (written > e.size) return kBadData;
            crc = crc32(crc, s.out.data(), static_cast<uInt>(n));
            if (n && !WriteAll(out, s.out.data(), n)) return kCannotWrite;
            if (rc == Z_STREAM_END) {
                ended = true;
                break;
            }
            if (rc == Z_BUF_ERROR && z.avail_in == 0) break;
        } while (z.avail_in > 0 || z.avail_out == 0);
        if (ended && z.avail_in > 0) return kBadData;
    }
    if (!ended || written != e.size || crc != e.crc) return kBadData;
    return kOk;
}

// A file that replaces an old one goes to a temporary file first and takes the old one's place
// only when it is whole, so a damaged archive never destroys a good file. A file that is new is
// written in place (and removed again on failure): there is nothing to keep.
int ExtractFile(HANDLE zip, uint64_t fileSize, const Entry& e, const std::wstring& root, Scratch& s) {
    const std::wstring target = SystemPath(root + L"\\" + e.name);
    Handle fresh(CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (fresh.ok()) {
        const int rc = UnpackTo(zip, fileSize, e, fresh.get(), s);
        fresh.close();
        if (rc != kOk) DeleteFileW(target.c_str());
        return rc;
    }
    const std::wstring temp = SystemPath(root + L"\\" + e.name + L".unzip~");
    Handle out(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out.ok()) return kCannotWrite;
    int rc = UnpackTo(zip, fileSize, e, out.get(), s);
    out.close();
    if (rc == kOk) {
        const DWORD old = GetFileAttributesW(target.c_str());
        SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);  // a read-only old file is replaced too
        if (!MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
            // The old file stays as it was, its protection included.
            if (old != INVALID_FILE_ATTRIBUTES) SetFileAttributesW(target.c_str(), old);
            rc = kCannotWrite;
        }
    }
    if (rc != kOk) DeleteFileW(temp.c_str());
    return rc;
}

class Lock {
public:
    explicit Lock(SRWLOCK& l) : l_(l) { AcquireSRWLockExclusive(&l_); }
    ~Lock() { ReleaseSRWLockExclusive(&l_); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

private:
    SRWLOCK& l_;
};

// Unpacks the checked entries on a few worker threads, each taking the next entry in archive
// order, with the outcome the one-by-one order gives: a write failure is remembered and the rest
// still unpacked; damaged data stops the hand-out, and the first damaged entry in archive order
// decides the result. Memory stays at one set of buffers per worker.
class Unpacker {
public:
    Unpacker(HANDLE zip, uint64_t fileSize, const std::vector<Entry>& entries, const std::wstring& root)
        : zip_(zip), fileSize_(fileSize), entries_(entries), root_(root) {}

    int Run(unsigned workers) {
        if (workers > entries_.size()) workers = static_cast<unsigned>(entries_.size());
        std::vector<std::unique_ptr<Handle>> threads;
        for (unsigned i = 1; i < workers; ++i) {
            HANDLE t = CreateThread(nullptr, kStack, &Unpacker::Work, this, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
            if (t == nullptr) break;  // fewer workers are just slower
            threads.push_back(std::unique_ptr<Handle>(new Handle(t)));
        }
        Work(this);
        // The shared state below lives on the caller's stack: every worker must be gone first.
        for (const auto& t : threads) WaitForSingleObject(t->get(), INFINITE);
        if (failedAt_ < entries_.size()) return failure_;
        return writeFailed_ ? kCannotWrite : kOk;
    }

private:
    static const SIZE_T kStack = 256 * 1024;  // the buffers live on the heap

    static DWORD WINAPI Work(LPVOID self) {
        static_cast<Unpacker*>(self)->Loop();
        return 0;
    }

    void Loop() {
        Scratch scratch;
        for (;;) {
            size_t i;
            {
                Lock hold(lock_);
                if (next_ >= entries_.size() || next_ > failedAt_) return;
                i = next_++;
            }
            const Entry& e = entries_[i];
            int rc = kOk;
            if (e.directory) {
                rc = MakeFolder(e.name) ? kOk : kCannotWrite;
            } else {
                const size_t slash = e.name.rfind(L'\\');
                if (slash != std::wstring::npos && !MakeFolder(e.name.substr(0, slash)))
                    rc = kCannotWrite;
                else
                    rc = ExtractFile(zip_, fileSize_, e, root_, scratch);
            }
            if (rc == kOk) continue;
            Lock hold(lock_);
            if (rc == kCannotWrite) {
                writeFailed_ = true;
            } else if (i < failedAt_) {
                failedAt_ = i;
                failure_ = rc;
            }
        }
    }

    // Each folder is made once; a folder that could not be made is tried again by the next entry
    // that needs it, as it would be one entry at a time. Folders are made under a lock of their
    // own: two workers making "Data" and "data" side by side would make two folders on a file
    // system that tells case apart.
    bool MakeFolder(const std::wstring& rel) {
        const std::wstring key = SameNameKey(rel);
        Lock hold(folderLock_);
        if (made_.count(key) != 0) return true;
        if (!MakeFolders(root_, rel)) return false;
        made_.insert(key);
        return true;
    }

    HANDLE zip_;
    uint64_t fileSize_;
    const std::vector<Entry>& entries_;
    const std::wstring& root_;
    SRWLOCK lock_ = SRWLOCK_INIT;
    SRWLOCK folderLock_ = SRWLOCK_INIT;  // held while a folder is made; guards made_
    size_t next_ = 0;
    size_t failedAt_ = SIZE_MAX;
    int failure_ = kOk;
    bool writeFailed_ = false;
    std::set<std::wstring> made_;
};

// Inflating and writing overlap across a few workers; more buys little, since file creation is
// shared by them all.
unsigned WorkerCount() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    const unsigned n = info.dwNumberOfProcessors;
    return n < 1 ? 1 : n > 4 ? 4 : n;
}

std::wstring FullFolder(const wchar_t* folder) {
    std::wstring f = folder;
    const DWORD n = GetFullPathNameW(f.c_str(), 0, nullptr, nullptr);
    if (n > 0) {
        std::wstring full(n, L'\0');
        const DWORD m = GetFullPathNameW(f.c_str(), n, &full[0], nullptr);
        if (m > 0 && m < n) f.assign(full.c_str(), m);
    }
    while (f.size() > 3 && (f.back() == L'\\' || f.back() == L'/')) f.pop_back();
    if (!f.empty() && (f.back() == L'\\' || f.back() == L'/')) f.pop_back();  // "C:\" -> "C:"
    return f;
}

}  // namespace

extern "C" int __cdecl ExtractZipToDir(const wchar_t* zipPath, const wchar_t* folder, int) {
    if (zipPath == nullptr || folder == nullptr || *folder == L'\0') return kCannotOpen;
    Handle zip(CreateFileW(zipPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                           nullptr));
    if (!zip.ok()) return kCannotOpen;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(zip.get(), &size)) return kCannotOpen;
    const uint64_t fileSize = static_cast<uint64_t>(size.QuadPart);

    // The whole directory is checked before anything is written.
    std::vector<Entry> entries;
    int rc = ReadDirectory(zip.get(), fileSize, entries);
    if (rc != kOk) return rc;

    const std::wstring root = FullFolder(folder);
    const std::wstring sysRoot = SystemPath(root);
    const DWORD attrs = GetFileAttributesW(sysRoot.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES || !(attrs & FILE_ATTRIBUTE_DIRECTORY)) return kCannotWrite;
    // One file that cannot be written (held open by a program, say) must not leave the rest of the
    // update unwritten; it is still reported. Damaged data stops at once: the archive is not the
    // one that was checked.
    Unpacker unpacker(zip.get(), fileSize, entries, root);
    return unpacker.Run(NamesIndependent(entries) ? WorkerCount() : 1);
}
