#include "UpdateFiles.h"

#include "EntryPath.h"
#include "LogMessage.h"
#include "ZipReader.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

namespace {

// A file that replaces an installed one (or an empty folder) is first written beside it under
// this suffix, and a number after it where the archive writes that name itself, and only then
// put in its place, so a failed entry never costs the working file. A new file is written in
// place: there is nothing to lose.
const wchar_t kPendingSuffix[] = L".~lumora-new";
// Room kept in every path for the suffix and its number.
const size_t kCopyNameRoom = sizeof(kPendingSuffix) / sizeof(wchar_t) - 1 + 6;

// Why an entry is skipped for good: what stands in its place is not the release's to replace, or
// the archive names the path two ways. Such an update is complete without it.
const char kArchiveMakesFolder[] = "the archive also makes it a folder";
const char kArchiveItself[] = "it would write over the update archive";
const char kFolderWithFiles[] = "a folder with files stands in its place";
const char kFolderAtCopy[] = "a folder stands where its copy is written";
// A damaged entry: no later start could read it better.
const char kFolderWithContent[] = "it is marked a folder but has content";
const DWORD kProtectiveAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
// A program still closing may hold an installed file (as a running program holds its DLL) for a
// moment; the client's start waits this long for all such files together, the next start does the rest.
const DWORD kHeldFilesWaitMs = 3000;
const DWORD kHeldFilesRetryMs = 100;
// Entries are inflated and written on this many threads at most: beyond four, threads creating
// files in the same folders mostly wait on each other (measured under Wine: 4 threads 0.8 s,
// 8 threads 1.2 s for 5,000 files).
const size_t kMaxWriters = 4;

// A finished copy whose installed file could not be replaced yet.
struct HeldFile {
    std::wstring pending;
    std::wstring target;
    DWORD oldAttributes;
    std::wstring name;
};

// What one pass over the archive left to do: copies waiting for their files, and entries that
// could not be written for now. Either keeps "update.zip" for the next start.
struct ApplyState {
    std::wstring root;
    std::vector<HeldFile> held;
    std::vector<std::wstring> notWritten;
};

// An entry as the first pass over the directory found it.
struct PlannedEntry {
    std::wstring name;  // as the record gives it, kept for the log when unsafe or damaged
    lumora::EntryTarget target;
    std::wstring copy;  // a file's replacement, written first under this relative name
    bool unsafe = false;
    const char* conflict = nullptr;  // why the archive's own names or records keep the entry out
    bool damaged = false;            // the record itself is at fault, not how it meets the others

    // The name the log gives the entry.
    const std::wstring& shown() const { return target.relative.empty() ? name : target.relative; }
};

// What became of one entry; entries are written side by side, but what they report is taken in
// their order.
struct EntryOutcome {
    int error = kZipOk;  // the last error this entry sets, if any
    bool unsafe = false;
    const char* conflict = nullptr;  // skipped for good, and why
    bool notWritten = false;
    bool held = false;
    HeldFile heldFile;
};

void ForceDelete(const std::wstring& path) {
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path.c_str());
}

std::wstring CurrentFolder() {
    wchar_t buffer[MAX_PATH];
    const DWORD n = GetCurrentDirectoryW(MAX_PATH, buffer);
    if (n == 0 || n >= MAX_PATH - 1) return std::wstring();
    std::wstring folder(buffer, n);
    if (folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
    return folder;
}

// Replaces target (whose attributes are old) with the finished pending file; the old file stays
// when that fails.
bool PutInPlace(const std::wstring& pending, const std::wstring& target, DWORD old) {
    const bool clear = (old & kProtectiveAttributes) != 0;
    if (clear) {
        const DWORD plain = old & ~kProtectiveAttributes;
        SetFileAttributesW(target.c_str(), plain ? plain : FILE_ATTRIBUTE_NORMAL);
    }
    if (MoveFileExW(pending.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    if (clear) SetFileAttributesW(target.c_str(), old);
    return false;
}

// A file written in place has no use for a copy under its copy name. One is left there by an
// apply ended after an empty folder in the file's place was removed and before the copy took its
// name; kept, it would stay for good.
void RemoveLeftoverCopy(const std::wstring& pending) {
    const DWORD attributes = GetFileAttributesW(pending.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) ForceDelete(pending);
}

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsMissing(DWORD attributes) {
    if (attributes != INVALID_FILE_ATTRIBUTES) return false;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Failures a later start may not meet: a file or folder that cannot be made or written, or an
// archive file that could not be read. An entry whose data fails its checks no later start can mend.
bool LaterStartMayMend(int code) { return code == kZipNoFile || code == kZipWrite || code == kZipRead; }

// Writes one entry on the calling thread; what it reports goes to out.
void ApplyEntry(CZipEntryWriter& writer, int index, const PlannedEntry& plan, const std::wstring& root,
                EntryOutcome& out) {
    TZipEntryInfo entry;
    int code = writer.Get(index, &entry);
    if (code != kZipOk) {
        out.error = code;
        out.notWritten = LaterStartMayMend(code);
        return;
    }
    // The launcher runs elevated: a name that could reach outside the client's folder, or a
    // device, is skipped whole.
    if (plan.unsafe) {
        out.unsafe = true;
        out.error = kZipArgs;
        return;
    }
    if (plan.conflict != nullptr) {
        out.conflict = plan.conflict;
        out.error = plan.damaged ? kZipCorrupt : kZipWrite;
        return;
    }
    const std::wstring& relative = plan.target.relative;
    bool created = false;
    if (plan.target.directory) {
        code = writer.Extract(index, relative.c_str(), false, created);
        if (code != kZipOk) {
            out.error = code;
            out.notWritten = LaterStartMayMend(code);
        }
        return;
    }
    const std::wstring target = root + relative;
    const std::wstring pending = root + plan.copy;
    // Most files are new: creating the file is also the test whether one is there.
    code = writer.Extract(index, relative.c_str(), true, created);
    if (created) {
        // No working file to lose: written in place, and nothing is left behind if the entry fails.
        if (code != kZipOk) {
            ForceDelete(target);
            out.error = code;
            out.notWritten = LaterStartMayMend(code);
        }
        RemoveLeftoverCopy(pending);
        return;
    }
    DWORD old = GetFileAttributesW(target.c_str());
    if (IsMissing(old)) {
        code = writer.Extract(index, relative.c_str(), false, created);
        if (code != kZipOk) {
            if (code != kZipNoFile) ForceDelete(target);
            out.error = code;
            out.notWritten = LaterStartMayMend(code);
        }
        if (created) RemoveLeftoverCopy(pending);
        return;
    }
    if (old == INVALID_FILE_ATTRIBUTES) {
        out.error = kZipWrite;
        out.notWritten = true;
        return;
    }
    code = writer.Extract(index, plan.copy.c_str(), false, created);
    if (code == kZipNoFile) {
        // A copy left by an interrupted run may be in the way.
        ForceDelete(pending);
        code = writer.Extract(index, plan.copy.c_str(), false, created);
        if (code == kZipNoFile && IsFolder(pending)) {
            out.conflict = kFolderAtCopy;
            out.error = code;
            return;
        }
    }
    if (code != kZipOk) {
        ForceDelete(pending);
        out.error = code;
        out.notWritten = LaterStartMayMend(code);
        return;
    }
    if (old & FILE_ATTRIBUTE_DIRECTORY) {
        // The release has a file where an older one had a folder: an empty one goes, one that
        // holds anything stays (nothing of the release replaces what is in it).
        if (!RemoveDirectoryW(target.c_str())) {
            const DWORD why = GetLastError();
            ForceDelete(pending);
            out.error = kZipWrite;
            if (why == ERROR_DIR_NOT_EMPTY)
                out.conflict = kFolderWithFiles;
            else
                out.notWritten = true;  // held open by another program, say
            return;
        }
        old = FILE_ATTRIBUTE_NORMAL;
    }
    // The finished copy is kept for another try once the whole archive has been gone through.
    if (!PutInPlace(pending, target, old)) {
        out.held = true;
        out.heldFile = HeldFile{pending, target, old, relative};
    }
}

// True when relative is the archive being applied, or a path through it.
bool GoesThroughTheArchive(const std::wstring& relative) {
    const std::wstring key = lumora::SameFileKey(relative);
    static const std::wstring kArchive = L"UPDATE.ZIP";
    return key.compare(0, kArchive.size(), kArchive) == 0 &&
           (key.size() == kArchive.size() || key[kArchive.size()] == L'\\');
}

// Names every entry and checks it before anything is written: unsafe entries and those the
// archive's own names rule out are marked, and each file gets the name of its replacement copy.
// overlap: whether the entries must be written one after another.
std::vector<PlannedEntry> PlanEntries(HZIPARCHIVE zip, int count, const std::wstring& root, bool& overlap) {
    std::vector<PlannedEntry> plan(static_cast<size_t>(count));
    std::vector<lumora::EntryTarget> targets;
    for (int i = 0; i < count; ++i) {
        PlannedEntry& p = plan[static_cast<size_t>(i)];
        TZipEntryInfo entry;
        // An entry the directory cannot describe fails again, with its code, when it is written.
        if (PeekZipEntry(zip, i, &entry) != kZipOk) {
            p.unsafe = true;
            continue;
        }
        // Nothing is made for it and nothing installed gives way to it, so it names no path.
        if (IsFolderWithContent(entry)) {
            p.name = entry.name;
            p.conflict = kFolderWithContent;
            p.damaged = true;
            continue;
        }
        p.target.directory = (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        p.unsafe = !lumora::SafeEntryPath(root, entry.name, p.target.directory, kCopyNameRoom, p.target.relative);
        if (p.unsafe)
            p.name = entry.name;
        else
            targets.push_back(p.target);
    }
    lumora::ArchiveNames names(targets);
    overlap = names.overlap();
    for (PlannedEntry& p : plan) {
        if (p.unsafe || p.damaged) continue;
        if (GoesThroughTheArchive(p.target.relative))
            p.conflict = kArchiveItself;
        else if (!p.target.directory && names.MakesFolder(p.target.relative))
            p.conflict = kArchiveMakesFolder;  // the folder and what is in it win
        else if (!p.target.directory)
            p.copy = names.CopyName(p.target.relative, kPendingSuffix);
    }
    return plan;
}

// Writes the entries on up to kMaxWriters threads (the calling one among them), each taking the
// next entry not yet taken; with one thread they go strictly in order.
void WriteEntries(HZIPARCHIVE zip, const std::vector<PlannedEntry>& plan, const std::wstring& root, unsigned threads,
                  std::vector<EntryOutcome>& outcomes) {
    std::atomic<size_t> next{0};
    auto work = [&] {
        CZipEntryWriter writer(zip);
        for (size_t i = next++; i < plan.size(); i = next++)
            ApplyEntry(writer, static_cast<int>(i), plan[i], root, outcomes[i]);
    };
    std::vector<std::thread> helpers;
    for (unsigned t = 1; t < threads; ++t) {
        try {
            helpers.emplace_back(work);
        } catch (const std::system_error&) {
            break;  // fewer helpers; the work gets done all the same
        }
    }
    work();
    for (std::thread& t : helpers) t.join();
}

unsigned WriterThreads(size_t entries, bool overlap) {
    // Entries that name the same file must land in their order, the later one last.
    if (overlap) return 1;
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    return static_cast<unsigned>(std::min<size_t>({kMaxWriters, cores, std::max<size_t>(1, entries)}));
}

// Tries the held files again until each is in place or the wait is over; what is left stays held.
void PutHeldFilesInPlace(std::vector<HeldFile>& held) {
    const ULONGLONG deadline = GetTickCount64() + kHeldFilesWaitMs;
    while (!held.empty() && GetTickCount64() < deadline) {
        Sleep(kHeldFilesRetryMs);
        held.erase(std::remove_if(held.begin(), held.end(),
                                  [](const HeldFile& f) { return PutInPlace(f.pending, f.target, f.oldAttributes); }),
                   held.end());
    }
}

}  // namespace

// Paths stay UTF-16 throughout: the client's folder may be named in any script, which the ANSI
// code page cannot always hold.
bool GetModuleFolder(std::wstring& folder) {
    wchar_t path[1024];
    const DWORD n = GetModuleFileNameW(nullptr, path, 1024);
    if (n == 0 || n >= 1024) return false;
    const std::wstring full(path, n);
    const size_t slash = full.rfind(L'\\');
    if (slash == std::wstring::npos) return false;
    folder = full.substr(0, slash + 1);
    return true;
}

void CleanTempFiles() {
    std::wstring folder;
    if (!GetModuleFolder(folder)) return;
    static const wchar_t* const kLeftovers[] = {L"temp\\Updater.exe", L"temp\\update.td0", L"temp\\update.td1",
                                                L"temp\\update.td2",  L"temp\\update.td3", L"temp\\update.td"};
    for (const wchar_t* name : kLeftovers) DeleteFileW((folder + name).c_str());
    const std::wstring pending = folder + L"temp\\update.zip";
    if (GetFileAttributesW(pending.c_str()) != INVALID_FILE_ATTRIBUTES) {
        // The download goes only once its copy beside the launcher is whole: a copy that fails (an
        // old "update.zip" held open, a full disk) leaves it for the next start.
        if (CopyFileW(pending.c_str(), (folder + L"update.zip").c_str(), FALSE))
            DeleteFileW(pending.c_str());
        else
            CPPLOG_INFO << "temp\\update.zip could not be copied beside the launcher, kept: error " << GetLastError();
    }
}

void ApplyUpdateZip(ZipFileReader read) {
    if (GetFileAttributesW(L"update.zip") == INVALID_FILE_ATTRIBUTES) return;
    ApplyState state;
    HZIPARCHIVE zip = OpenZipArchive(L"update.zip", read);
    if (zip != nullptr) {
        state.root = CurrentFolder();
        TZipEntryInfo summary;
        if (!state.root.empty() && GetZipEntry(zip, -1, &summary) == kZipOk) {
            bool overlap = false;
            const std::vector<PlannedEntry> plan = PlanEntries(zip, summary.index, state.root, overlap);
            std::vector<EntryOutcome> outcomes(plan.size());
            WriteEntries(zip, plan, state.root, WriterThreads(plan.size(), overlap), outcomes);
            for (size_t i = 0; i < plan.size(); ++i) {
                const EntryOutcome& o = outcomes[i];
                if (o.unsafe) cpplog::WriteWideToLog(CPPLOG_INFO << "unsafe zip entry skipped: ", plan[i].name.c_str());
                if (o.conflict != nullptr)
                    cpplog::WriteWideToLog(CPPLOG_INFO << "update entry skipped, " << o.conflict << ": ",
                                           plan[i].shown().c_str());
                if (o.error != kZipOk) SetZipLastError(o.error);
                if (o.notWritten) state.notWritten.push_back(plan[i].target.relative);
                if (o.held) state.held.push_back(o.heldFile);
            }
        }
        CloseZipArchive(zip);
    }
    PutHeldFilesInPlace(state.held);
    for (const HeldFile& f : state.held) {
        ForceDelete(f.pending);
        state.notWritten.push_back(f.name);
    }
    // Deleting the archive now would leave the client on a mix of two releases for good; kept, it is
    // applied again at the next start.
    if (!state.notWritten.empty()) {
        for (const std::wstring& name : state.notWritten) {
            cpplog::WriteWideToLog(CPPLOG_INFO << "update entry not written: ", name.c_str());
        }
        CPPLOG_INFO << "update.zip kept for the next start";
        SetZipLastError(kZipWrite);
        return;
    }
    DeleteFileW(L"update.zip");
}
