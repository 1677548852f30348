#include "ZipReader.h"

#include "ZipArchive.h"

#include <cstring>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

using lumora::zip::Archive;
using lumora::zip::LocalHeaderInfo;

namespace {

const int32_t kReaderKind = 1;
const uint64_t kUnixEpochAsFileTime = 11644473600ull;
int g_zipLastError = 0;

FILETIME UnixToFileTime(int32_t seconds) {
    const uint64_t ticks = (static_cast<uint64_t>(static_cast<int64_t>(seconds) + kUnixEpochAsFileTime)) * 10000000ull;
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(ticks);
    ft.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return ft;
}

// DOS times carry no zone: they are the packer's local time.
FILETIME DosToFileTime(uint32_t dosDateTime) {
    const uint16_t date = static_cast<uint16_t>(dosDateTime >> 16);
    const uint16_t time = static_cast<uint16_t>(dosDateTime & 0xFFFF);
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(1980 + ((date >> 9) & 0x7F));
    st.wMonth = static_cast<WORD>((date >> 5) & 0x0F);
    st.wDay = static_cast<WORD>(date & 0x1F);
    st.wHour = static_cast<WORD>((time >> 11) & 0x1F);
    st.wMinute = static_cast<WORD>((time >> 5) & 0x3F);
    st.wSecond = static_cast<WORD>(2 * (time & 0x1F));
    FILETIME local{}, utc{};
    if (!SystemTimeToFileTime(&st, &local) || !LocalFileTimeToFileTime(&local, &utc)) return FILETIME{};
    return utc;
}

DWORD AttributesOf(const lumora::zip::CentralHeader& h) {
    const unsigned host = h.versionMadeBy >> 8;
    const uint32_t ext = h.externalAttributes;
    bool readOnly, hidden, system, directory, archive;
    if (host == 0 || host == 7 || host == 11 || host == 14) {
        readOnly = (ext & 0x01) != 0;
        hidden = (ext & 0x02) != 0;
        system = (ext & 0x04) != 0;
        directory = (ext & 0x10) != 0;
        archive = (ext & 0x20) != 0;
    } else {
        // Unix mode in the high half: a folder, and read-only when the owner may not write.
        directory = (ext & 0x40000000u) != 0;
        readOnly = (ext & 0x00800000u) == 0;
        archive = true;
        hidden = system = false;
    }
    DWORD attributes = 0;
    if (directory) attributes |= FILE_ATTRIBUTE_DIRECTORY;
    if (archive) attributes |= FILE_ATTRIBUTE_ARCHIVE;
    if (hidden) attributes |= FILE_ATTRIBUTE_HIDDEN;
    if (readOnly) attributes |= FILE_ATTRIBUTE_READONLY;
    if (system) attributes |= FILE_ATTRIBUTE_SYSTEM;
    return attributes;
}

// The extended-timestamp block ("UT") of a local extra field: only the times it flags replace
// the DOS time.
void ApplyUnixTimes(const std::vector<unsigned char>& extra, TZipEntryInfo& info) {
    const size_t length = extra.size();
    if (length < 5) return;
    size_t start = 0;
    while (start + 4 < length) {
        const unsigned id = extra[start] | (extra[start + 1] << 8);
        const size_t dataLength = extra[start + 2] | (extra[start + 3] << 8);
        if (id == 0x5455) {
            const size_t end = std::min(length, start + 4 + dataLength);
            size_t at = start + 4;
            const unsigned flags = extra[at++];
            FILETIME* const targets[] = {&info.lastWriteTime, &info.lastAccessTime, &info.creationTime};
            for (unsigned bit = 0; bit < 3; ++bit) {
                if ((flags & (1u << bit)) == 0) continue;
                if (at + 4 > end) break;
                *targets[bit] = UnixToFileTime(static_cast<int32_t>(lumora::zip::Le32(&extra[at])));
                at += 4;
            }
            return;
        }
        start += 4 + dataLength;
    }
}

// Drive letters, leading separators and anything up to a "..": what is left names the entry
// under the extraction root.
std::wstring ReduceName(std::wstring n) {
    static const wchar_t* const kClimbs[] = {L"\\..\\", L"\\../", L"/../", L"/..\\"};
    for (;;) {
        if (n.size() >= 2 && n[1] == L':') {
            n.erase(0, 2);
            continue;
        }
        if (!n.empty() && (n[0] == L'\\' || n[0] == L'/')) {
            n.erase(0, 1);
            continue;
        }
        bool cut = false;
        for (const wchar_t* climb : kClimbs) {
            const size_t pos = n.find(climb);
            if (pos != std::wstring::npos) {
                n.erase(0, pos + 4);
                cut = true;
                break;
            }
        }
        if (!cut) return n;
    }
}

bool IsAbsolute(const std::wstring& p) {
    return (!p.empty() && (p[0] == L'/' || p[0] == L'\\')) || (p.size() >= 2 && p[1] == L':');
}

int ZipHandleCheck(HZIPARCHIVE zip) {
    if (zip == nullptr) return kZipArgs;
    if (zip->kind != kReaderKind) return kZipWrongKind;
    return kZipOk;
}

}  // namespace

class CZipReader {
public:
    CZipReader() { cached_.index = -1; }
    ~CZipReader() { Close(); }
    CZipReader(const CZipReader&) = delete;
    CZipReader& operator=(const CZipReader&) = delete;

    int Open(const wchar_t* fileName);
    int Get(int index, TZipEntryInfo* info);
    int Extract(int index, const wchar_t* name);
    void Close();

private:
    int CloseOpenEntry();

    std::unique_ptr<Archive> archive_;
    int openEntry_ = -1;
    TZipEntryInfo cached_{};
    int cachedIndex_ = -1;
    char* password_ = nullptr;  // no caller sets one
    std::vector<unsigned char> buffer_;
    wchar_t root_[MAX_PATH] = {};
    std::unordered_set<std::wstring> ensuredFolders_;
};

int CZipReader::Open(const wchar_t* fileName) {
    if (archive_) return kZipAlreadyOpen;
    const DWORD n = GetCurrentDirectoryW(MAX_PATH, root_);
    if (n == 0 || n >= MAX_PATH - 1) return kZipNoFile;
    if (root_[n - 1] != L'\\' && root_[n - 1] != L'/') {
        root_[n] = L'\\';
        root_[n + 1] = L'\0';
    }
    HANDLE file = CreateFileW(fileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return kZipNoFile;
    std::unique_ptr<Archive> archive(new Archive);
    if (archive->Open(file, true) != lumora::zip::kOk) return kZipNoFile;  // the archive closes the file
    archive_ = std::move(archive);
    return kZipOk;
}

int CZipReader::CloseOpenEntry() {
    int result = lumora::zip::kOk;
    if (archive_ && archive_->streamOpen()) result = archive_->CloseEntryStream();
    openEntry_ = -1;
    return result;
}

int CZipReader::Get(int index, TZipEntryInfo* info) {
    if (!archive_ || info == nullptr) return kZipArgs;
    if (index < -1 || index >= static_cast<int>(archive_->entryCount())) return kZipArgs;
    CloseOpenEntry();
    if (index != -1 && index == cachedIndex_) {
        *info = cached_;
        return kZipOk;
    }
    if (index == -1) {
        std::memset(info, 0, sizeof(*info));
        info->index = static_cast<int32_t>(archive_->entryCount());
        return kZipOk;
    }
    if (archive_->GoTo(static_cast<uint32_t>(index)) != lumora::zip::kOk) return kZipRead;
    LocalHeaderInfo local;
    if (archive_->CheckLocalHeader(local) != lumora::zip::kOk) return kZipCorrupt;
    std::vector<unsigned char> extra(local.extraLength);
    if (!extra.empty() && !archive_->ReadAt(local.extraOffset, extra.data(), static_cast<DWORD>(extra.size())))
        return kZipRead;

    const lumora::zip::CentralHeader& h = archive_->current();
    TZipEntryInfo e{};
    e.index = static_cast<int32_t>(archive_->currentEntry());
    // A name too long for the record is left empty rather than cut short, which would name a
    // different file.
    if (archive_->currentNameFits()) {
        wchar_t wide[MAX_PATH] = {};
        const char* raw = archive_->currentName();
        MultiByteToWideChar(CP_UTF8, 0, raw, static_cast<int>(std::strlen(raw)), wide, MAX_PATH - 1);
        const std::wstring reduced = ReduceName(wide);
        wcsncpy(e.name, reduced.c_str(), MAX_PATH - 1);
    }
    e.attributes = AttributesOf(h);
    e.compressedSize = h.compressedSize;
    e.uncompressedSize = h.uncompressedSize;
    e.lastWriteTime = e.lastAccessTime = e.creationTime = DosToFileTime(h.dosDateTime);
    ApplyUnixTimes(extra, e);

    cached_ = e;
    cachedIndex_ = index;
    *info = e;
    return kZipOk;
}

int CZipReader::Extract(int index, const wchar_t* name) {
    if (!archive_ || name == nullptr) return kZipArgs;
    CloseOpenEntry();
    if (index < 0 || index >= static_cast<int>(archive_->entryCount())) return kZipArgs;
    TZipEntryInfo e;
    const int got = Get(index, &e);
    if (got != kZipOk) return got;
    if (archive_->GoTo(static_cast<uint32_t>(index)) != lumora::zip::kOk) return kZipRead;
    const lumora::zip::CentralHeader& h = archive_->current();
    // Refused before anything is created: an entry that cannot be read must leave no trace.
    if (h.usesZip64()) return kZipFlate;
    if (h.encrypted() && password_ == nullptr) return kZipPassword;

    const std::wstring target = name;
    if (e.attributes & FILE_ATTRIBUTE_DIRECTORY) {
        EnsureDirectory(IsAbsolute(target) ? nullptr : root_, target.c_str());
        return kZipOk;
    }
    const size_t cut = target.find_last_of(L"/\\");
    const std::wstring folder = cut == std::wstring::npos ? std::wstring() : target.substr(0, cut + 1);
    const std::wstring file = cut == std::wstring::npos ? target : target.substr(cut + 1);
    if (folder.size() >= MAX_PATH) return kZipNoFile;
    const bool absolute = IsAbsolute(folder);
    const std::wstring path = absolute ? folder + file : std::wstring(root_) + folder + file;
    if (path.size() >= MAX_PATH) return kZipNoFile;

    const int opened = archive_->OpenEntryStream(password_);
    if (opened != lumora::zip::kOk) return opened == lumora::zip::kBadZipFile ? kZipCorrupt : kZipFlate;
    openEntry_ = index;
    // Many entries share a folder: once made, it is not looked up again for this archive.
    if (ensuredFolders_.insert(folder).second) EnsureDirectory(absolute ? nullptr : root_, folder.c_str());
    HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, e.attributes, nullptr);
    if (out == INVALID_HANDLE_VALUE) {
        CloseOpenEntry();
        return kZipNoFile;
    }
    if (buffer_.empty()) buffer_.resize(lumora::zip::kBufferSize);

    int code = kZipOk;
    for (;;) {
        const int n = archive_->ReadEntry(buffer_.data(), static_cast<unsigned>(buffer_.size()));
        if (n == lumora::zip::kBadPassword) {
            code = kZipPassword;
            break;
        }
        if (n > 0) {
            DWORD written = 0;
            if (!WriteFile(out, buffer_.data(), static_cast<DWORD>(n), &written, nullptr) ||
                written != static_cast<DWORD>(n)) {
                code = kZipWrite;
                break;
            }
        }
        if (archive_->entryEnded()) {
            SetFileTime(out, &e.creationTime, &e.lastAccessTime, &e.lastWriteTime);
            break;
        }
        if (n <= 0) {
            code = kZipFlate;
            break;
        }
    }
    CloseHandle(out);
    // Data that does not match its CRC-32 is a damaged file, not a written one.
    if (CloseOpenEntry() == lumora::zip::kCrcError && code == kZipOk) code = kZipFlate;
    return code;
}

void CZipReader::Close() {
    CloseOpenEntry();
    archive_.reset();
    delete[] password_;
    password_ = nullptr;
    buffer_.clear();
    buffer_.shrink_to_fit();
}

HZIPARCHIVE OpenZipArchive(const wchar_t* fileName) {
    std::unique_ptr<CZipReader> reader(new CZipReader);
    const int code = reader->Open(fileName);
    SetZipLastError(code);
    if (code != kZipOk) return nullptr;
    return new ZipArchiveHandle{kReaderKind, reader.release()};
}

int GetZipEntry(HZIPARCHIVE zip, int index, TZipEntryInfo* info) {
    const int check = ZipHandleCheck(zip);
    return check != kZipOk ? check : zip->reader->Get(index, info);
}

int ExtractZipEntry(HZIPARCHIVE zip, int index, const wchar_t* name) {
    const int check = ZipHandleCheck(zip);
    return check != kZipOk ? check : zip->reader->Extract(index, name);
}

void CloseZipArchive(HZIPARCHIVE zip) {
    if (ZipHandleCheck(zip) != kZipOk) return;
    delete zip->reader;
    delete zip;
}

void EnsureDirectory(const wchar_t* base, const wchar_t* path) {
    const std::wstring root = base ? base : L"";
    if (base != nullptr && GetFileAttributesW(base) == INVALID_FILE_ATTRIBUTES) CreateDirectoryW(base, nullptr);
    const std::wstring dir = path ? path : L"";
    if (dir.empty() || dir.size() >= MAX_PATH || root.size() + dir.size() >= MAX_PATH) return;
    const size_t last = dir.find_last_of(L"/\\");
    if (last != std::wstring::npos && last != 0) EnsureDirectory(base, dir.substr(0, last).c_str());
    const std::wstring full = root + dir;
    if (GetFileAttributesW(full.c_str()) == INVALID_FILE_ATTRIBUTES) CreateDirectoryW(full.c_str(), nullptr);
}

int ZipLastError() { return g_zipLastError; }
void SetZipLastError(int code) { g_zipLastError = code; }
