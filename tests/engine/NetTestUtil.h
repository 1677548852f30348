// Helpers of the download tests: the test servers started by the CTest fixtures, their request
// logs, the resource they serve, and the download files in the updater folder.
#pragma once
#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

namespace nettest {

// The bytes the test server sends for a resource of this size and seed; the same formula lives
// in tools/httpserver/content.py. The slow term (i >> 9) makes every 512-byte stretch differ, so
// bytes joined at a wrong offset never pass for the right ones.
inline std::string Pattern(size_t size, unsigned seed) {
    std::string s(size, '\0');
    for (size_t i = 0; i < size; ++i) s[i] = static_cast<char>((i * 131 + seed + (i >> 9)) & 0xff);
    return s;
}

// A Unix folder of the build tree as Wine sees it (drive Z: is the Unix root).
std::wstring UnixToWindows(const std::string& unixPath);

// "127.0.0.1:<port>" of the server whose fixture wrote <unixDir>/port; empty when it is not up.
std::string ServerHost(const char* unixDir);
// A first line of text written by a fixture into <unixDir>/<name>.
std::string FixtureText(const char* unixDir, const char* name);

// A per-test request id for the test server, so its log and counters are this test's alone.
std::string TestId();

// One logged connection of the test server (tools/httpserver/server.py).
struct LoggedRequest {
    int conn = 0;
    int status = 0;
    long long sent = 0;
    std::string request, range, raw, end;
};
std::vector<LoggedRequest> ServerLog(const char* unixDir, const std::string& id);
// The log once it holds at least count connections (a connection is logged when it has ended),
// or as it stands after timeoutMs.
std::vector<LoggedRequest> WaitServerLog(const char* unixDir, const std::string& id, size_t count,
                                         DWORD timeoutMs = 3000);

// The download files of the updater folder (this test program's folder).
std::wstring UpdaterFile(const wchar_t* name);
void RemoveDownloadFiles();

// The lowercase MD5 of bytes.
std::string Md5Hex(const std::string& bytes);

}  // namespace nettest
