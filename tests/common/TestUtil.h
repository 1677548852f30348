// Small helpers shared by the test programs: temporary folders, files, child processes and
// registry keys, all through the real Win32 API.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace testutil {

// A fresh folder under the system temp folder, removed with everything in it at the end.
class TempDir {
public:
    explicit TempDir(const std::wstring& hint = L"t");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    // The folder without a trailing backslash.
    const std::wstring& path() const { return path_; }
    std::wstring operator/(const std::wstring& rel) const { return path_ + L"\\" + rel; }

private:
    std::wstring path_;
};

bool RemoveTree(const std::wstring& path);
bool MakeDirs(const std::wstring& path);
bool WriteBytes(const std::wstring& path, const std::string& bytes);
bool ReadBytes(const std::wstring& path, std::string& bytes);
bool CopyTo(const std::wstring& from, const std::wstring& to);

// The running test program's full path and folder (without a trailing backslash).
std::wstring SelfPath();
std::wstring SelfDir();

struct RunResult {
    bool started = false;
    DWORD startError = 0;  // GetLastError of a failed start
    DWORD exitCode = 0;
    bool timedOut = false;
    std::string output;  // standard output and error together
};
// Runs exe with the given argument text (appended after the quoted program path) and waits at
// most timeoutMs; extraEnv holds NAME=VALUE entries added to this process's environment.
RunResult Run(const std::wstring& exe, const std::wstring& args, DWORD timeoutMs = 30000,
              const std::vector<std::wstring>& extraEnv = {});

// Polls `done` until it answers true or ms pass; asks once more at the bound, so a condition met
// just then still counts.
bool WaitUntil(const std::function<bool()>& done, DWORD ms);

// True when h is shown and has nothing left to paint. A window of another thread is first made to
// handle what was sent to it before (a WM_NULL round trip), so its thread is back at its queue and
// a paint asked for meanwhile is in the update region; the caller pumps its own windows.
bool IsPainted(HWND h);

// A key under HKEY_CURRENT_USER that is deleted with its subkeys at the end.
class ScopedUserKey {
public:
    explicit ScopedUserKey(const std::wstring& subkey);
    ~ScopedUserKey();
    bool SetString(const wchar_t* name, const std::wstring& value);
    bool SetRaw(const wchar_t* name, DWORD type, const void* data, DWORD size);

private:
    std::wstring subkey_;
};

std::string Narrow(const std::wstring& s);  // UTF-16 to UTF-8
std::wstring Widen(const std::string& s);   // UTF-8 to UTF-16

}  // namespace testutil
