// A stand-in for a program that the updater or the launcher starts: it records how it was started
// and exits at once with code 0.
// It appends one line per start, its command line in UTF-8 as the system gives it, to the file
// named by the environment variable TOLU_LAUNCH_RECORD, or else to this program's path +
// ".cmdline.txt". Starting programs pass their environment on, so a test can set the variable
// before starting the updater or the launcher.
#include <windows.h>

#include <string>

namespace {

std::string Utf8(const std::wstring& s) {
    if (s.empty()) return std::string();
    const int n = WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), &out[0], n, nullptr, nullptr);
    return out;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    std::wstring file;
    wchar_t buf[32768];
    DWORD n = GetEnvironmentVariableW(L"TOLU_LAUNCH_RECORD", buf, 32768);
    if (n > 0 && n < 32768) {
        file.assign(buf, n);
    } else {
        n = GetModuleFileNameW(nullptr, buf, 32768);
        file = std::wstring(buf, n) + L".cmdline.txt";
    }
    const std::string line = Utf8(GetCommandLineW()) + "\r\n";
    HANDLE h = CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 2;
    DWORD written = 0;
    const BOOL ok = WriteFile(h, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(h);
    return ok && written == line.size() ? 0 : 2;
}
