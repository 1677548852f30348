// Timed runs of the download engine for bench/engine.sh (run from a folder of its own, which is
// the updater folder the download writes into):
//   engine_bench download <host> <path> <md5>   one attempt; prints result, the time split into
//                                               transfer, join and digest, total and peak memory
//   engine_bench md5 <file>                     the digest of a file and its time
#include <windows.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "ClientProcess.h"
#include "HttpDownload.h"
#include "Md5.h"

namespace {

double PeakMiB() {
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc)) return -1;
    return static_cast<double>(pmc.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    using Clock = std::chrono::steady_clock;
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"download" && argc == 5) {
        std::string host = kesh::WStringToString(argv[2]);
        std::string path = kesh::WStringToString(argv[3]);
        DownloadState state;
        state.md5 = kesh::WStringToString(argv[4]);
        CHttpDownload http;
        const Clock::time_point t0 = Clock::now();
        const int32_t r = http.Download(host, path, state);
        const double total = std::chrono::duration<double>(Clock::now() - t0).count();
        const AttemptTimes& t = http.LastTimes();
        std::printf("result=%d transfer=%.3f join=%.3f md5=%.3f total=%.3f peak_mib=%.1f\n", r, t.transfer, t.join,
                    t.digest, total, PeakMiB());
        return r == 1 ? 0 : 1;
    }
    if (mode == L"md5" && argc == 3) {
        char out[33] = {};
        const Clock::time_point t0 = Clock::now();
        const bool ok = MD5_CTX().MD5File(out, kesh::WStringToString(argv[2]).c_str());
        const double s = std::chrono::duration<double>(Clock::now() - t0).count();
        std::printf("md5=%s seconds=%.3f\n", ok ? out : "-", s);
        return ok ? 0 : 1;
    }
    std::fprintf(stderr, "usage: engine_bench download <host> <path> <md5> | md5 <file>\n");
    return 2;
}
