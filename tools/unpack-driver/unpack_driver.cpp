// unpack_driver <zlib.dll> <zip> <folder>: loads the unpacking library and calls its
// ExtractZipToDir once, the way the updater does; the time of the whole run (process start
// included) is what bench/app.sh sets beside tools/file-floor's program on the same zip.
// Prints the library's result code; exit code 0 only when it is 0.
#include <windows.h>

#include <cstdio>

namespace {

using ExtractFn = int(__cdecl*)(const wchar_t*, const wchar_t*, int);

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: unpack_driver <zlib.dll> <zip> <folder>\n");
        return 2;
    }
    // Loaded by path at run time, so the figure is the library's and not a copy linked in here.
    HMODULE library = LoadLibraryW(argv[1]);
    if (library == nullptr) {
        std::fprintf(stderr, "unpack_driver: cannot load the library: %lu\n", GetLastError());
        return 2;
    }
    const auto extract =
        reinterpret_cast<ExtractFn>(reinterpret_cast<void*>(GetProcAddress(library, "ExtractZipToDir")));
    if (extract == nullptr) {
        std::fprintf(stderr, "unpack_driver: the library has no ExtractZipToDir\n");
        FreeLibrary(library);
        return 2;
    }
    const int result = extract(argv[2], argv[3], 0);
    std::printf("unpack_driver: result %d\n", result);
    FreeLibrary(library);
    return result == 0 ? 0 : 1;
}
