#include "UpdateFiles.h"

#include "EntryPath.h"
#include "LogMessage.h"
#include "ZipReader.h"

#include <windows.h>
#include <io.h>

#include <algorithm>
#include <vector>

namespace {

// Each file is first written beside its target under this suffix and only then put in its
// place, so a failed entry never costs the working file.
const wchar_t kPendingSuffix[] = L".~lumora-new";
const DWORD kProtectiveAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
// A program still closing may hold an installed file (as a running program holds its DLL) for a
// moment; the client's start waits this long for all such files together, the next start does the rest.
const DWORD kHeldFilesWaitMs = 3000;
const DWORD kHeldFilesRetryMs = 100;

// A finished copy whose installed file could not be replaced yet.
struct HeldFile {
    std::wstring pending;
    std::wstring target;
    DWORD oldAttributes;
    std::wstring name;
};

// What one pass over the archive left to do: copies waiting for their files, and entries that
// could not be written at all. Either keeps "update.zip" for the next start.
struct ApplyState {
    std::wstring root;
    std::vector<HeldFile> held;
    std::vector<std::wstring> notWritten;
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

bool IsMissing(DWORD attributes) {
    if (attributes != INVALID_FILE_ATTRIBUTES) return false;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Failures of the target's side (a file or folder that cannot be made or written), as opposed to an
// entry whose data is damaged, which no later start can mend.
bool IsWriteFailure(int code) { return code == kZipNoFile || code == kZipWrite; }

void ApplyEntry(HZIPARCHIVE zip, int index, ApplyState& state) {
    const std::wstring& root = state.root;
    TZipEntryInfo entry;
    int code = GetZipEntry(zip, index, &entry);
    if (code != kZipOk) {
        SetZipLastError(code);
        return;
    }
    const bool directory = (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    std::wstring relative;
    // The launcher runs elevated: a name that could reach outside the client's folder, or a
    // device, is skipped whole.
    if (!lumora::SafeEntryPath(root, entry.name, directory, wcslen(kPendingSuffix), relative)) {
        cpplog::WriteWideToLog(CPPLOG_INFO << "unsafe zip entry skipped: ", entry.name);
        SetZipLastError(kZipArgs);
        return;
    }
    if (directory) {
        code = ExtractZipEntry(zip, index, relative.c_str());
        if (code != kZipOk) SetZipLastError(code);
        return;
    }
    const std::wstring target = root + relative;
    const DWORD old = GetFileAttributesW(target.c_str());
    if (IsMissing(old)) {
        // No working file to lose: write in place, and leave nothing behind if the entry fails.
        code = ExtractZipEntry(zip, index, relative.c_str());
        if (code != kZipOk) {
            if (code != kZipNoFile) ForceDelete(target);
            SetZipLastError(code);
            if (IsWriteFailure(code)) state.notWritten.push_back(relative);
        }
        return;
    }
    if (old == INVALID_FILE_ATTRIBUTES || (old & FILE_ATTRIBUTE_DIRECTORY)) {
        SetZipLastError(kZipWrite);
        state.notWritten.push_back(relative);
        return;
    }
    const std::wstring pending = target + kPendingSuffix;
    const std::wstring pendingRelative = relative + kPendingSuffix;
    code = ExtractZipEntry(zip, index, pendingRelative.c_str());
    if (code == kZipNoFile) {
        // A pending file left by an interrupted run may be in the way.
        ForceDelete(pending);
        code = ExtractZipEntry(zip, index, pendingRelative.c_str());
    }
    if (code == kZipOk) {
        // The finished copy is kept for another try once the whole archive has been gone through.
        if (!PutInPlace(pending, target, old)) state.held.push_back(HeldFile{pending, target, old, relative});
        return;
    }
    ForceDelete(pending);
    SetZipLastError(code);
    if (IsWriteFailure(code)) state.notWritten.push_back(relative);
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

bool GetModuleFolder(std::string& folder) {
    char path[1024];
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof(path));
    if (n == 0 || n >= sizeof(path)) return false;
    const std::string full(path, n);
    const size_t slash = full.rfind('\\');
    if (slash == std::string::npos) return false;
    folder = full.substr(0, slash + 1);
    return true;
}

void CleanTempFiles() {
    std::string folder;
    if (!GetModuleFolder(folder)) return;
    static const char* const kLeftovers[] = {"temp\\Updater.exe", "temp\\update.td0", "temp\\update.td1",
                                             "temp\\update.td2",  "temp\\update.td3", "temp\\update.td"};
    for (const char* name : kLeftovers) DeleteFileA((folder + name).c_str());
    const std::string pending = folder + "temp\\" + "update.zip";
    if (_access(pending.c_str(), 0) == 0) {
        CopyFileA(pending.c_str(), (folder + "update.zip").c_str(), FALSE);
        DeleteFileA(pending.c_str());
    }
}

void ApplyUpdateZip() {
    if (GetFileAttributesW(L"update.zip") == INVALID_FILE_ATTRIBUTES) return;
    ApplyState state;
    HZIPARCHIVE zip = OpenZipArchive(L"update.zip");
    if (zip != nullptr) {
        state.root = CurrentFolder();
        TZipEntryInfo summary;
        if (!state.root.empty() && GetZipEntry(zip, -1, &summary) == kZipOk) {
            for (int i = 0; i < summary.index; ++i) ApplyEntry(zip, i, state);
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
