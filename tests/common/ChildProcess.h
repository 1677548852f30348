// A child process a test starts and keeps running while it checks something, and waits for a file
// a stand-in writes when it is ready. The child is terminated at the end if it still runs.
#pragma once
#include <windows.h>

#include <string>

namespace testutil {

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts exe with args appended after the quoted program path.
    bool Start(const std::wstring& exe, const std::wstring& args);
    DWORD pid() const { return pid_; }
    bool Running() const;
    // True when the child ended within ms; its exit code then goes to exitCode.
    bool WaitExit(DWORD ms, DWORD* exitCode = nullptr);

private:
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
};

// Polls until path exists (and is not empty) or ms pass.
bool WaitForFile(const std::wstring& path, DWORD ms);

// stem + this process's id + a counter: names (images, pipes) no parallel test program uses.
std::wstring UniqueName(const wchar_t* stem);

// The Windows form of a Unix path of the build machine (Wine maps Z:\ to /).
std::wstring FromUnixPath(const std::wstring& unixPath);

}  // namespace testutil
