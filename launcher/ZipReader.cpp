#include "ZipReader.h"

#include "Handles.h"
#include "ZipArchive.h"

#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

using lumora::zip::Archive;
using lumora::zip::LocalHeaderInfo;

namespace {

const int32_t kReaderKind = 1;
// Most files go out in one write; larger ones in blocks of this size.
const size_t kWriteBlock = 256 * 1024;
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

// The attributes by the host system that made the entry; a name that ends in a separator is a
// folder whatever they say.
DWORD AttributesOf(const lumora::zip::CentralHeader& h, const std::string& rawName) {
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
    if (!rawName.empty() && (rawName.back() == '/' || rawName.back() == '\\')) directory = true;
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

// The name bytes as UTF-8, reduced, into a record's name field.
void WideName(const std::string& raw, wchar_t (&out)[MAX_PATH]) {
    wchar_t wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_UTF8, 0, raw.data(), static_cast<int>(raw.size()), wide, MAX_PATH - 1);
    const std::wstring reduced = ReduceName(wide);
    wcsncpy(out, reduced.c_str(), MAX_PATH - 1);
}

bool IsAbsolute(const std::wstring& p) {
    return (!p.empty() && (p[0] == L'/' || p[0] == L'\\')) || (p.size() >= 2 && p[1] == L':');
}

// A file that could not be read (kErrno) is the file's failure, which another try may not meet;
// anything else is the entry's own, given as otherwise.
int ReaderCode(int result, int otherwise) { return result == lumora::zip::kErrno ? kZipRead : otherwise; }

int ZipHandleCheck(HZIPARCHIVE zip) {
    if (zip == nullptr) return kZipArgs;
    if (zip->kind != kReaderKind) return kZipWrongKind;
    return kZipOk;
}

}  // namespace

// Reads records and writes entries for one thread: its own entry reader, write buffer and last
// record. The archive's directory, root and folder list are the reader's, shared.
class EntryCursor {
public:
    EntryCursor(CZipReader& reader, lumora::zip::EntryReader& entries, lumora::zip::Source* ownSource)
        : reader_(reader), entries_(entries), ownSource_(ownSource) {}

    int Get(int index, TZipEntryInfo* info);
    // creation: CREATE_ALWAYS, or CREATE_NEW to write only where no file is yet; created tells
    // whether the target file was made.
    int Extract(int index, const wchar_t* name, DWORD creation, bool& created);
    void CloseOpenEntry() { entries_.Close(); }

private:
    CZipReader& reader_;
    lumora::zip::EntryReader& entries_;
    lumora::zip::Source* ownSource_;
    TZipEntryInfo cached_{};
    int cachedIndex_ = -1;
    lumora::zip::CentralHeader cachedHeader_;
    std::vector<unsigned char> buffer_;
};

class CZipReader {
public:
    CZipReader() = default;
    ~CZipReader() { Close(); }
    CZipReader(const CZipReader&) = delete;
    CZipReader& operator=(const CZipReader&) = delete;

    int Open(const wchar_t* fileName, ZipFileReader read);
    int Get(int index, TZipEntryInfo* info);
    int Peek(int index, TZipEntryInfo* info);
    int Extract(int index, const wchar_t* name);
    void Close();

private:
    friend class EntryCursor;
    friend class CZipEntryWriter;

    void CloseOpenEntry() {
        if (cursor_) cursor_->CloseOpenEntry();
        openEntry_ = -1;
    }

    // Copies one entry's central header and name; any thread.
    int Header(int index, lumora::zip::CentralHeader& header, std::string& name, bool& nameFits);
    // Many entries share a folder: once made, it is not looked up again for this archive. True
    // when the folder is there. Any thread.
    bool EnsureFolderOnce(const std::wstring& folder, bool absolute);

    std::unique_ptr<Archive> archive_;
    std::unique_ptr<EntryCursor> cursor_;
    int openEntry_ = -1;
    char* password_ = nullptr;  // no caller sets one
    wchar_t root_[MAX_PATH] = {};
    std::mutex directoryLock_;
    std::mutex foldersLock_;
    std::unordered_map<std::wstring, bool> ensuredFolders_;  // folder, whether it could be made
};

int CZipReader::Open(const wchar_t* fileName, ZipFileReader read) {
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
    // The archive closes the file when it fails.
    if (archive->Open(file, true, read) != lumora::zip::kOk) return kZipNoFile;
    archive_ = std::move(archive);
    cursor_.reset(new EntryCursor(*this, archive_->entries(), nullptr));
    return kZipOk;
}

int CZipReader::Header(int index, lumora::zip::CentralHeader& header, std::string& name, bool& nameFits) {
    std::lock_guard<std::mutex> lock(directoryLock_);
    if (archive_->GoTo(static_cast<uint32_t>(index)) != lumora::zip::kOk) return kZipRead;
    header = archive_->current();
    name = archive_->currentName();
    nameFits = archive_->currentNameFits();
    return kZipOk;
}

bool CZipReader::EnsureFolderOnce(const std::wstring& folder, bool absolute) {
    // Every folder, of a folder entry or a file's, is made under this one lock: a thread that
    // finds the folder listed must find it on disk too, and two threads making "Data" and "data"
    // side by side would make two folders on a file system that tells case apart.
    std::wstring key = folder;
    while (!key.empty() && (key.back() == L'\\' || key.back() == L'/')) key.pop_back();
    std::lock_guard<std::mutex> lock(foldersLock_);
    const auto known = ensuredFolders_.find(key);
    if (known != ensuredFolders_.end()) return known->second;
    const bool made = EnsureDirectory(absolute ? nullptr : root_, folder.c_str());
    ensuredFolders_.emplace(std::move(key), made);
    return made;
}

int CZipReader::Get(int index, TZipEntryInfo* info) {
    if (!archive_ || info == nullptr) return kZipArgs;
    if (index < -1 || index >= static_cast<int>(archive_->entryCount())) return kZipArgs;
    CloseOpenEntry();
    if (index == -1) {
        std::memset(info, 0, sizeof(*info));
        info->index = static_cast<int32_t>(archive_->entryCount());
        return kZipOk;
    }
    return cursor_->Get(index, info);
}

int CZipReader::Peek(int index, TZipEntryInfo* info) {
    if (!archive_ || info == nullptr) return kZipArgs;
    if (index < 0 || index >= static_cast<int>(archive_->entryCount())) return kZipArgs;
    lumora::zip::CentralHeader h;
    std::string raw;
    bool fits = false;
    const int code = Header(index, h, raw, fits);
    if (code != kZipOk) return code;
    std::memset(info, 0, sizeof(*info));
    info->index = index;
    if (fits) WideName(raw, info->name);
    info->attributes = AttributesOf(h, raw);
    info->compressedSize = h.compressedSize;
    info->uncompressedSize = h.uncompressedSize;
    return kZipOk;
}

int CZipReader::Extract(int index, const wchar_t* name) {
    if (!archive_ || name == nullptr) return kZipArgs;
    CloseOpenEntry();
    if (index < 0 || index >= static_cast<int>(archive_->entryCount())) return kZipArgs;
    bool created = false;
    return cursor_->Extract(index, name, CREATE_ALWAYS, created);
}

void CZipReader::Close() {
    CloseOpenEntry();
    cursor_.reset();
    archive_.reset();
    delete[] password_;
    password_ = nullptr;
}

int EntryCursor::Get(int index, TZipEntryInfo* info) {
    if (index == cachedIndex_) {
        *info = cached_;
        return kZipOk;
    }
    lumora::zip::CentralHeader h;
    std::string raw;
    bool fits = false;
    const int code = reader_.Header(index, h, raw, fits);
    if (code != kZipOk) return code;
    // A thread of its own reads just this entry's bytes: the local header, extra field and data.
    if (ownSource_ != nullptr) ownSource_->readLimit = reader_.archive_->SpanEnd(h.localHeaderOffset);
    LocalHeaderInfo local;
    const int checked = entries_.CheckLocalHeader(h, local);
    if (checked != lumora::zip::kOk) return ReaderCode(checked, kZipCorrupt);
    // The directory only bounds an entry by its name; a long local extra field can still push
    // the data into the next entry's bytes.
    if (!h.usesZip64() && local.dataStart + h.compressedSize > reader_.archive_->NextStart(h.localHeaderOffset))
        return kZipCorrupt;
    std::vector<unsigned char> extra(local.extraLength);
    if (!extra.empty() && !entries_.ReadAt(local.extraOffset, extra.data(), static_cast<DWORD>(extra.size())))
        return ReaderCode(entries_.ReadFailure(), kZipCorrupt);

    TZipEntryInfo e{};
    e.index = index;
    // A name too long for the record is left empty rather than cut short, which would name a
    // different file.
    if (fits) WideName(raw, e.name);
    e.attributes = AttributesOf(h, raw);
    e.compressedSize = h.compressedSize;
    e.uncompressedSize = h.uncompressedSize;
    e.lastWriteTime = e.lastAccessTime = e.creationTime = DosToFileTime(h.dosDateTime);
    ApplyUnixTimes(extra, e);

    cached_ = e;
    cachedHeader_ = h;
    cachedIndex_ = index;
    *info = e;
    return kZipOk;
}

int EntryCursor::Extract(int index, const wchar_t* name, DWORD creation, bool& created) {
    created = false;
    TZipEntryInfo e;
    const int got = Get(index, &e);
    if (got != kZipOk) return got;
    const lumora::zip::CentralHeader& h = cachedHeader_;
    // Refused before anything is created: an entry that cannot be read must leave no trace.
    if (h.usesZip64()) return kZipFlate;
    if (h.encrypted() && reader_.password_ == nullptr) return kZipPassword;
    // Made as a folder, it would cost the file installed there; its content is no folder's.
    if (IsFolderWithContent(e)) return kZipCorrupt;

    const std::wstring target = name;
    if (e.attributes & FILE_ATTRIBUTE_DIRECTORY)
        return reader_.EnsureFolderOnce(target, IsAbsolute(target)) ? kZipOk : kZipNoFile;
    const size_t cut = target.find_last_of(L"/\\");
    const std::wstring folder = cut == std::wstring::npos ? std::wstring() : target.substr(0, cut + 1);
    const std::wstring file = cut == std::wstring::npos ? target : target.substr(cut + 1);
    if (folder.size() >= MAX_PATH) return kZipNoFile;
    const bool absolute = IsAbsolute(folder);
    const std::wstring path = absolute ? folder + file : std::wstring(reader_.root_) + folder + file;
    if (path.size() >= MAX_PATH) return kZipNoFile;

    const int opened = entries_.Open(h, reader_.password_);
    if (opened != lumora::zip::kOk)
        return ReaderCode(opened, opened == lumora::zip::kBadZipFile ? kZipCorrupt : kZipFlate);
    reader_.EnsureFolderOnce(folder, absolute);
    lumora::UniqueHandle out(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, creation, e.attributes, nullptr));
    if (!out.valid()) {
        entries_.Close();
        return kZipNoFile;
    }
    created = true;
    if (buffer_.empty()) buffer_.resize(kWriteBlock);

    int code = kZipOk;
    for (;;) {
        const int n = entries_.Read(buffer_.data(), static_cast<unsigned>(buffer_.size()));
        if (n == lumora::zip::kBadPassword) {
            code = kZipPassword;
            break;
        }
        if (n > 0) {
            DWORD written = 0;
            if (!WriteFile(out.get(), buffer_.data(), static_cast<DWORD>(n), &written, nullptr) ||
                written != static_cast<DWORD>(n)) {
                code = kZipWrite;
                break;
            }
        }
        if (entries_.ended()) {
            SetFileTime(out.get(), &e.creationTime, &e.lastAccessTime, &e.lastWriteTime);
            break;
        }
        if (n <= 0) {
            code = ReaderCode(n, kZipFlate);
            break;
        }
    }
    out.reset();
    // Data that does not match its CRC-32 is a damaged file, not a written one.
    if (entries_.Close() == lumora::zip::kCrcError && code == kZipOk) code = kZipFlate;
    return code;
}

struct CZipEntryWriter::State {
    explicit State(CZipReader& reader) : entries(source), cursor(reader, entries, &source) {}
    lumora::zip::Source source;
    lumora::zip::EntryReader entries;
    EntryCursor cursor;
};

CZipEntryWriter::CZipEntryWriter(HZIPARCHIVE zip) {
    if (ZipHandleCheck(zip) != kZipOk || !zip->reader->archive_) return;
    reader_ = zip->reader;
    state_.reset(new State(*reader_));
    state_->source.file = reader_->archive_->file();
    state_->source.read = reader_->archive_->reader();
    state_->entries.SetPrefix(reader_->archive_->prefix());
}

CZipEntryWriter::~CZipEntryWriter() = default;

int CZipEntryWriter::Get(int index, TZipEntryInfo* info) {
    if (!state_ || info == nullptr) return kZipArgs;
    if (index < 0 || index >= static_cast<int>(reader_->archive_->entryCount())) return kZipArgs;
    state_->cursor.CloseOpenEntry();
    return state_->cursor.Get(index, info);
}

int CZipEntryWriter::Extract(int index, const wchar_t* name, bool onlyNew, bool& created) {
    created = false;
    if (!state_ || name == nullptr) return kZipArgs;
    state_->cursor.CloseOpenEntry();
    if (index < 0 || index >= static_cast<int>(reader_->archive_->entryCount())) return kZipArgs;
    return state_->cursor.Extract(index, name, onlyNew ? CREATE_NEW : CREATE_ALWAYS, created);
}

HZIPARCHIVE OpenZipArchive(const wchar_t* fileName, ZipFileReader read) {
    std::unique_ptr<CZipReader> reader(new CZipReader);
    const int code = reader->Open(fileName, read);
    SetZipLastError(code);
    if (code != kZipOk) return nullptr;
    return new ZipArchiveHandle{kReaderKind, reader.release()};
}

int GetZipEntry(HZIPARCHIVE zip, int index, TZipEntryInfo* info) {
    const int check = ZipHandleCheck(zip);
    return check != kZipOk ? check : zip->reader->Get(index, info);
}

int PeekZipEntry(HZIPARCHIVE zip, int index, TZipEntryInfo* info) {
    const int check = ZipHandleCheck(zip);
    return check != kZipOk ? check : zip->reader->Peek(index, info);
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

bool EnsureDirectory(const wchar_t* base, const wchar_t* path) {
    const std::wstring root = base ? base : L"";
    if (base != nullptr && GetFileAttributesW(base) == INVALID_FILE_ATTRIBUTES) CreateDirectoryW(base, nullptr);
    std::wstring dir = path ? path : L"";
    while (!dir.empty() && (dir.back() == L'\\' || dir.back() == L'/')) dir.pop_back();
    if (dir.empty()) return true;
    if (dir.size() >= MAX_PATH || root.size() + dir.size() >= MAX_PATH) return false;
    // From the outermost folder in; a leading separator belongs to the first.
    for (size_t cut = dir.find_first_of(L"/\\", 1);; cut = dir.find_first_of(L"/\\", cut + 1)) {
        const std::wstring full = root + dir.substr(0, cut);
        DWORD attributes = GetFileAttributesW(full.c_str());
        if (base != nullptr && attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            // The release makes a folder where an older one had a file: the folder replaces it,
            // as a file replaces a file. A file held open stays, and so does the folder's absence.
            SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (DeleteFileW(full.c_str()))
                attributes = INVALID_FILE_ATTRIBUTES;
            else
                SetFileAttributesW(full.c_str(), attributes);
        }
        if (attributes == INVALID_FILE_ATTRIBUTES) CreateDirectoryW(full.c_str(), nullptr);
        if (cut == std::wstring::npos) break;
    }
    const DWORD made = GetFileAttributesW((root + dir).c_str());
    return made != INVALID_FILE_ATTRIBUTES && (made & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

int ZipLastError() { return g_zipLastError; }
void SetZipLastError(int code) { g_zipLastError = code; }
