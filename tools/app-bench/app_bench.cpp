// Drives one updater run for bench/app.sh and prints when each phase was seen, in milliseconds
// after the updater's process was created (one "name=value" per line):
//   app_bench <updater.exe> <zip path> <zip size> <record file> <arguments of the updater>
// notice     the forced notice box visible (Return is posted to it at once)
// progress   the progress window visible in its corner
// downloaded the downloaded archive complete in the updater's folder ("-" when no size is given)
// complete   the update-complete window visible (Return is posted to it at once)
// program    the record file of the started program present
// exit       the updater ended; peak_mib its peak working set
// self_mib   this helper's own peak working set: what any small program costs under the system
// epoch_ms   the start as milliseconds since 1970 (UTC), to line up the updater's log
// With the record file "-" the run ends at the progress window: the window is closed and only
// the start is timed. Every wait is bounded; a phase never seen is printed as -1.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const DWORD kRunLimitMs = 120000;

struct Clock {
    LARGE_INTEGER freq{}, start{};
    Clock() { QueryPerformanceFrequency(&freq); }
    void Reset() { QueryPerformanceCounter(&start); }
    double Ms() const {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return static_cast<double>(now.QuadPart - start.QuadPart) * 1000.0 / static_cast<double>(freq.QuadPart);
    }
};

// A window of the class that belongs to the process, visible.
HWND VisibleWindow(const wchar_t* cls, DWORD pid) {
    HWND h = nullptr;
    while ((h = FindWindowExW(nullptr, h, cls, nullptr)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(h, &owner);
        if (owner == pid && IsWindowVisible(h)) return h;
    }
    return nullptr;
}

// The progress window counts once it stands in the corner of the work area, where it is moved
// before it is shown for good.
bool InCorner(HWND h) {
    RECT work{}, rc{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(h, &rc);
    return rc.right == work.right - work.left && rc.bottom == work.bottom - work.top;
}

bool FileComplete(const std::wstring& path, unsigned long long size) {
    WIN32_FILE_ATTRIBUTE_DATA a{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &a)) return false;
    return ((static_cast<unsigned long long>(a.nFileSizeHigh) << 32) | a.nFileSizeLow) == size;
}

double PeakMiB(HANDLE process) {
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    if (!GetProcessMemoryInfo(process, &pmc, sizeof pmc)) return -1;
    return static_cast<double>(pmc.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: app_bench <updater.exe> <zip> <zip size> <record file|-> <arguments>\n");
        return 2;
    }
    const std::wstring updater = argv[1], zip = argv[2], record = argv[4];
    const unsigned long long zipSize = _wcstoui64(argv[3], nullptr, 10);
    const bool startOnly = record == L"-";
    std::wstring cmd = L"\"" + updater + L"\" " + argv[5];

    Clock clock;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    FILETIME wall{};
    GetSystemTimeAsFileTime(&wall);
    clock.Reset();
    if (!CreateProcessW(updater.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        std::fprintf(stderr, "cannot start the updater: %lu\n", GetLastError());
        return 1;
    }
    CloseHandle(pi.hThread);

    double notice = -1, progress = -1, downloaded = -1, complete = -1, program = -1, exited = -1, peak = -1;
    while (clock.Ms() < kRunLimitMs) {
        const bool running = WaitForSingleObject(pi.hProcess, 1) == WAIT_TIMEOUT;
        // Read while the process still exists: the figure is gone with it.
        if (running) {
            const double p = PeakMiB(pi.hProcess);
            if (p > peak) peak = p;
        }
        const double now = clock.Ms();
        if (notice < 0) {
            if (HWND h = VisibleWindow(L"kesh_updater_tips_wnd_class_name", pi.dwProcessId)) {
                notice = now;
                PostMessageW(h, WM_KEYDOWN, VK_RETURN, 0);
            }
        }
        if (progress < 0) {
            HWND h = VisibleWindow(L"kesh_updater_wnd_class_name", pi.dwProcessId);
            if (h != nullptr && InCorner(h)) {
                progress = now;
                if (startOnly) {
                    PostMessageW(h, WM_CLOSE, 0, 0);
                }
            }
        }
        if (downloaded < 0 && zipSize != 0 && FileComplete(zip, zipSize)) downloaded = now;
        if (complete < 0) {
            if (HWND h = VisibleWindow(L"kesh_updater_launch_wnd_class_name", pi.dwProcessId)) {
                complete = now;
                PostMessageW(h, WM_KEYDOWN, VK_RETURN, 0);
            }
        }
        if (!startOnly && program < 0 && GetFileAttributesW(record.c_str()) != INVALID_FILE_ATTRIBUTES) program = now;
        if (!running) {
            exited = now;
            break;
        }
    }
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(pi.hProcess, &code);
    if (code == STILL_ACTIVE) TerminateProcess(pi.hProcess, 99);
    CloseHandle(pi.hProcess);

    // The wall-clock start lets the updater's own log lines be placed on the same time line.
    const unsigned long long ticks = (static_cast<unsigned long long>(wall.dwHighDateTime) << 32) | wall.dwLowDateTime;
    std::printf("epoch_ms=%.1f\n", static_cast<double>(ticks - 116444736000000000ULL) / 10000.0);
    std::printf("notice=%.1f\nprogress=%.1f\ndownloaded=%.1f\ncomplete=%.1f\nprogram=%.1f\nexit=%.1f\nexit_code=%ld\n"
                "peak_mib=%.1f\n",
                notice, progress, downloaded, complete, program, exited, static_cast<long>(code), peak);
    std::printf("self_mib=%.1f\n", PeakMiB(GetCurrentProcess()));
    return code == STILL_ACTIVE ? 1 : 0;
}
