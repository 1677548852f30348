#include "UpdaterLog.h"

#include <windows.h>
#include <shlobj.h>

#include "Log.h"
#include "WinHandle.h"

namespace {

const int64_t kRetentionSeconds = 604800;  // 7 days
const int64_t kEpochAsFileTime = 116444736000000000LL;

int64_t FileTimeToUnix(const FILETIME& ft) {
    const int64_t ticks = (static_cast<int64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return (ticks - kEpochAsFileTime) / 10000000;
}

int64_t UnixNow() {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    return FileTimeToUnix(ft);
}

bool EndsWithLog(const std::wstring& name) {
    // The pattern "*.log" also matches through short 8.3 names ("a.logx"); only the real
    // ending counts.
    return name.size() >= 4 && _wcsicmp(name.c_str() + name.size() - 4, L".log") == 0;
}

// Writes the "default" logger's records to this run's file, opened by its UTF-16 name: the
// logging library opens files by narrow names only, and a profile folder named in another
// script has none.
class LogFileSink : public el::LogDispatchCallback {
public:
    void Open(const std::wstring& path) {
        // Appended to and readable by others while it is open, as the library's own files are.
        file_.reset(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    }

protected:
    // Records arrive one at a time: the library dispatches under its own lock.
    void handle(const el::LogDispatchData* data) override {
        const el::LogMessage* message = data->logMessage();
        if (!file_ || data->dispatchAction() != el::base::DispatchAction::NormalLog ||
            message->logger()->id() != "default")
            return;
        // Lines end in CR LF, every line break of a message too, as in a file written in text mode.
        std::string line;
        for (char c : message->logger()->logBuilder()->build(message, true)) {
            if (c == '\n') line += '\r';
            line += c;
        }
        DWORD written = 0;
        WriteFile(file_.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    }

private:
    kesh::UniqueFile file_;
};

std::wstring LogFolder() {
    wchar_t base[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, base, CSIDL_LOCAL_APPDATA, TRUE)) return std::wstring();
    std::wstring folder = std::wstring(base) + L"\\toluUpdater\\";
    CreateDirectoryW(folder.c_str(), nullptr);  // an existing folder is fine
    return folder;
}

}  // namespace

bool IsStaleLog(int64_t lastWrite, int64_t now) {
    const int64_t age = now - lastWrite;
    return age > kRetentionSeconds || age < -kRetentionSeconds;
}

void DeleteOldLogFiles(const std::wstring& folder) {
    // Without a known folder the pattern would be relative to wherever we run: leave it.
    if (folder.empty() || folder.back() != L'\\') return;
    WIN32_FIND_DATAW fd;
    kesh::UniqueFind find(FindFirstFileW((folder + L"*.log").c_str(), &fd));
    if (!find) return;
    const int64_t now = UnixNow();
    do {
        const std::wstring name = fd.cFileName;
        if (name.empty() || name[0] == L'.' || (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        if (!EndsWithLog(name)) continue;
        if (IsStaleLog(FileTimeToUnix(fd.ftLastWriteTime), now)) DeleteFileW((folder + name).c_str());
    } while (FindNextFileW(find.get(), &fd));
}

void InitLogger() {
    const std::wstring folder = LogFolder();
    DeleteOldLogFiles(folder);

    SYSTEMTIME t;
    GetLocalTime(&t);
    wchar_t name[64];
    swprintf(name, 64, L"%04d-%02d-%02d_%02d-%02d-%02d.log", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
             t.wSecond);
    // The file is written by the sink; the library itself only writes to the standard output.
    // Without the folder there is no file and the records reach the standard output alone.
    const char kSink[] = "LogFileSink";
    el::Helpers::installLogDispatchCallback<LogFileSink>(kSink);
    if (!folder.empty()) el::Helpers::logDispatchCallback<LogFileSink>(kSink)->Open(folder + name);

    el::Configurations conf;
    conf.setToDefault();
    conf.setGlobally(el::ConfigurationType::Enabled, "true");
    conf.setGlobally(el::ConfigurationType::ToFile, "false");
    conf.setGlobally(el::ConfigurationType::ToStandardOutput, "true");
    conf.setGlobally(el::ConfigurationType::MillisecondsWidth, "3");
    conf.setGlobally(el::ConfigurationType::PerformanceTracking, "true");
    conf.setGlobally(el::ConfigurationType::MaxLogFileSize, "0");
    conf.setGlobally(el::ConfigurationType::LogFlushThreshold, "0");
    conf.setGlobally(el::ConfigurationType::Filename, "nul");
    conf.setGlobally(el::ConfigurationType::Format, "%datetime %level [%logger] %msg");
    el::Loggers::getLogger("default");
    el::Loggers::reconfigureLogger("default", conf);
}
