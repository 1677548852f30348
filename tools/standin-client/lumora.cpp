// A stand-in for the client program "lumora.exe", for tests of the updater and the launcher.
// It shows a hidden top-level window of class "glimtower", serves the client's two pipes with one
// instance each, records every text it receives, and exits by itself after its lifetime.
//
// Switches (on the command line, and also taken from the environment variable LUMORA_STANDIN_ARGS
// with the same syntax, so a copy started by another program can be steered; the command line
// wins). Anything else on the command line is ignored, like a URL remainder.
//   --record=FILE      append one line per text received: "<pipe> <length> <hex bytes>\r\n",
//                      <pipe> being the name after "\\.\Pipe\" (e.g. "LU_lumoraLaunch.exe")
//   --cmdline=FILE     write the own command line (UTF-8, as the system gives it) to FILE;
//                      default: this program's path + ".cmdline.txt"
//   --ready=FILE       create FILE once the window and the pipes are up
//   --launch-name=N    serve "\\.\Pipe\LU_" + N; default: the "LaunchName" value of a
//                      "ProductConfig.xml" beside this program, else "lumoraLaunch.exe"
//   --no-lu            do not serve the "LU_" pipe
//   --no-pevlib        do not serve "\\.\Pipe\PEVLIB_lumora"
//   --no-window        create no window
//   --busy             keep each served pipe's only instance connected to this program itself,
//                      so every other writer finds it busy
//   --lifetime=MS      exit with code 0 after MS milliseconds (default 60000, at most 600000)
//   --language=TAG     keep TAG ("zh-CN" or "en-US") as the client's language: the default value of
//                      HKEY_CURRENT_USER "SOFTWARE\<image name less ".exe">\Language"
//   --start=EXE        start EXE once everything is up, as the client starts the updater with a
//   --start-args=TEXT  job; TEXT follows the quoted EXE on its command line
// Tests that run in parallel should copy it under a name of their own where the image name does
// not matter: the launcher stops every process called "lumora.exe".
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Options {
    std::wstring record;
    std::wstring cmdline;
    std::wstring ready;
    std::wstring launchName;
    std::wstring language;
    std::wstring start;
    std::wstring startArgs;
    bool lu = true;
    bool pevlib = true;
    bool window = true;
    bool busy = false;
    DWORD lifetimeMs = 60000;
};

const DWORD kMaxLifetimeMs = 600000;
const DWORD kPipeBuffer = 65536;
CRITICAL_SECTION g_recordLock;

std::string Utf8(const std::wstring& s) {
    if (s.empty()) return std::string();
    const int n = WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), &out[0], n, nullptr, nullptr);
    return out;
}

bool TakeValue(const std::wstring& arg, const wchar_t* key, std::wstring& out) {
    const size_t len = wcslen(key);
    if (arg.compare(0, len, key) != 0) return false;
    out = arg.substr(len);
    return true;
}

void ParseInto(const wchar_t* text, Options& o) {
    int argc = 0;
    if (text == nullptr || *text == L'\0') return;
    LPWSTR* argv = CommandLineToArgvW(text, &argc);
    if (argv == nullptr) return;
    for (int i = 0; i < argc; ++i) {
        const std::wstring arg = argv[i];
        std::wstring value;
        if (TakeValue(arg, L"--record=", value)) o.record = value;
        else if (TakeValue(arg, L"--cmdline=", value)) o.cmdline = value;
        else if (TakeValue(arg, L"--ready=", value)) o.ready = value;
        else if (TakeValue(arg, L"--launch-name=", value)) o.launchName = value;
        else if (TakeValue(arg, L"--language=", value)) o.language = value;
        else if (TakeValue(arg, L"--start=", value)) o.start = value;
        else if (TakeValue(arg, L"--start-args=", value)) o.startArgs = value;
        else if (TakeValue(arg, L"--lifetime=", value)) o.lifetimeMs = static_cast<DWORD>(std::min(wcstoul(value.c_str(), nullptr, 10), static_cast<unsigned long>(kMaxLifetimeMs)));
        else if (arg == L"--no-lu") o.lu = false;
        else if (arg == L"--no-pevlib") o.pevlib = false;
        else if (arg == L"--no-window") o.window = false;
        else if (arg == L"--busy") o.busy = true;
    }
    LocalFree(argv);
}

void AppendFile(const std::wstring& path, const std::string& bytes) {
    if (path.empty()) return;
    EnterCriticalSection(&g_recordLock);
    HANDLE h = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(h);
    }
    LeaveCriticalSection(&g_recordLock);
}

void Record(const std::wstring& file, const std::wstring& pipe, const std::string& text) {
    static const char digits[] = "0123456789abcdef";
    std::string line = Utf8(pipe) + " " + std::to_string(text.size()) + " ";
    for (unsigned char c : text) {
        line += digits[c >> 4];
        line += digits[c & 15];
    }
    AppendFile(file, line + "\r\n");
}

// One instance of the named pipe; every connection is read message by message until the writer
// closes it, then the same instance waits for the next writer.
struct PipeServer {
    std::wstring name;  // after "\\.\Pipe\"
    HANDLE instance = INVALID_HANDLE_VALUE;
    HANDLE selfClient = INVALID_HANDLE_VALUE;
};

bool OpenPipe(PipeServer& p, bool busy) {
    const std::wstring full = L"\\\\.\\Pipe\\" + p.name;
    p.instance = CreateNamedPipeW(full.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT,
                                  1, kPipeBuffer, kPipeBuffer, 0, nullptr);
    if (p.instance == INVALID_HANDLE_VALUE) return false;
    if (busy) {
        p.selfClient = CreateFileW(full.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
        if (p.selfClient == INVALID_HANDLE_VALUE) return false;
        ConnectNamedPipe(p.instance, nullptr);
    }
    return true;
}

void Serve(PipeServer* p, std::wstring recordFile) {
    std::vector<char> buf(kPipeBuffer);
    for (;;) {
        // A writer may connect, write and close before this thread waits for it: its text is
        // still in the pipe then (ERROR_NO_DATA), and is read like any other.
        if (!ConnectNamedPipe(p->instance, nullptr) && GetLastError() != ERROR_PIPE_CONNECTED &&
            GetLastError() != ERROR_NO_DATA) {
            DisconnectNamedPipe(p->instance);
            Sleep(10);
            continue;
        }
        // Each text is recorded as soon as it is read: tests look at the record right after the
        // writer is done.
        std::string message;
        for (;;) {
            DWORD got = 0;
            const BOOL ok = ReadFile(p->instance, buf.data(), kPipeBuffer, &got, nullptr);
            if (ok) {
                message.append(buf.data(), got);
                Record(recordFile, p->name, message);
                message.clear();
            } else if (GetLastError() == ERROR_MORE_DATA) {
                message.append(buf.data(), got);
            } else {
                break;  // the writer closed its end
            }
        }
        DisconnectNamedPipe(p->instance);
    }
}

std::wstring SelfPath() {
    std::vector<wchar_t> self(32768);
    const DWORD n = GetModuleFileNameW(nullptr, self.data(), 32768);
    return std::wstring(self.data(), n);
}

// The "LaunchName" text of a "ProductConfig.xml" beside this program (plain text, UTF-8), the way
// the updater in the client's folder finds the pipe; empty when there is none.
std::wstring ConfiguredLaunchName(const std::wstring& self) {
    const std::wstring path = self.substr(0, self.rfind(L'\\') + 1) + L"ProductConfig.xml";
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::wstring();
    std::string text(65536, '\0');
    DWORD got = 0;
    ReadFile(h, &text[0], static_cast<DWORD>(text.size()), &got, nullptr);
    CloseHandle(h);
    text.resize(got);
    const size_t open = text.find("<LaunchName>");
    const size_t close = text.find("</LaunchName>");
    if (open == std::string::npos || close == std::string::npos || close < open) return std::wstring();
    const std::string value = text.substr(open + 12, close - open - 12);
    if (value.empty()) return std::wstring();
    std::wstring wide(value.size(), L'\0');
    wide.resize(static_cast<size_t>(std::max(
        0, MultiByteToWideChar(CP_UTF8, 0, value.data(), static_cast<int>(value.size()), &wide[0], static_cast<int>(wide.size())))));
    return wide;
}

void KeepLanguage(const std::wstring& self, const std::wstring& tag) {
    std::wstring image = self.substr(self.rfind(L'\\') + 1);
    if (image.size() >= 4) image.resize(image.size() - 4);
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, (L"SOFTWARE\\" + image + L"\\Language").c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(tag.c_str()),
                   static_cast<DWORD>((tag.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

void StartProgram(const std::wstring& exe, const std::wstring& args) {
    std::wstring cmd = L"\"" + exe + L"\"";
    if (!args.empty()) cmd += L" " + args;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    InitializeCriticalSection(&g_recordLock);
    const wchar_t* commandLine = GetCommandLineW();
    Options o;
    wchar_t envArgs[8192];
    const DWORD envLen = GetEnvironmentVariableW(L"LUMORA_STANDIN_ARGS", envArgs, 8192);
    if (envLen > 0 && envLen < 8192) ParseInto((std::wstring(L"x ") + envArgs).c_str(), o);
    ParseInto(commandLine, o);

    const std::wstring self = SelfPath();
    if (o.cmdline.empty()) o.cmdline = self + L".cmdline.txt";
    if (o.launchName.empty()) o.launchName = ConfiguredLaunchName(self);
    if (o.launchName.empty()) o.launchName = L"lumoraLaunch.exe";
    if (!o.language.empty()) KeepLanguage(self, o.language);
    DeleteFileW(o.cmdline.c_str());
    AppendFile(o.cmdline, Utf8(commandLine));

    if (o.window) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = WndProc;
        wc.hInstance = instance;
        wc.lpszClassName = L"glimtower";
        RegisterClassW(&wc);
        // Created without WS_VISIBLE: the window exists for FindWindow only.
        if (!CreateWindowExW(0, L"glimtower", L"lumora", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                             instance, nullptr))
            return 4;
    }

    std::vector<PipeServer*> servers;
    if (o.lu) servers.push_back(new PipeServer{L"LU_" + o.launchName});
    if (o.pevlib) servers.push_back(new PipeServer{L"PEVLIB_lumora"});
    for (PipeServer* p : servers) {
        if (!OpenPipe(*p, o.busy)) return 3;
        if (!o.busy) std::thread(Serve, p, o.record).detach();
    }
    if (!o.ready.empty()) AppendFile(o.ready, "ready\r\n");
    if (!o.start.empty()) StartProgram(o.start, o.startArgs);

    // Bounded life: the message loop ends at the timer, whatever else happens.
    SetTimer(nullptr, 0, o.lifetimeMs, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == nullptr) break;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    ExitProcess(0);
}
