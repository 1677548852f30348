// Applies "update.zip" in the folder named first and ends its own process at once, as a power cut
// or the task manager would, when it is about to make the archive read numbered second.
#include "UpdateFiles.h"

#include <windows.h>

#include <cwchar>

namespace {

LONG g_endAt = 0;
LONG g_reads = 0;

BOOL WINAPI EndingRead(HANDLE file, LPVOID out, DWORD size, LPDWORD got, LPOVERLAPPED at) {
    if (InterlockedIncrement(&g_reads) == g_endAt) TerminateProcess(GetCurrentProcess(), 9);
    return ReadFile(file, out, size, got, at);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3 || !SetCurrentDirectoryW(argv[1])) return 2;
    g_endAt = static_cast<LONG>(wcstol(argv[2], nullptr, 10));
    ApplyUpdateZip(&EndingRead);
    return 0;
}
