// Timed runs of the download engine for bench/engine.sh (run from a folder of its own, which is
// the updater folder the download writes into):
//   engine_bench download <host> <path> <md5>   one attempt; prints result, the time split into
//                                               transfer, join and digest, total and peak memory
//   engine_bench transfer <host> <path>         the probe and the four ranges into their part files
//                                               alone (no digest, no join); prints its time
//   engine_bench md5 <file>                     the digest of a file and its time
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "ClientProcess.h"
#include "HttpDownload.h"
#include "HttpTransfer.h"
#include "Md5.h"
#include "ModuleDir.h"
#include "WinHandle.h"

namespace {

double PeakMiB() {
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc)) return -1;
    return static_cast<double>(pmc.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

// The download's network side on its own: the probe, then the same four ranges written into the
// same part files by the engine's own part threads, with nothing after them. The part files are
// left for the caller to remove.
int TransferOnly(std::string host, std::string path, double& seconds) {
    using Clock = std::chrono::steady_clock;
    DownloadState state;
    CHttpDownload http;
    const Clock::time_point t0 = Clock::now();
    const int64_t size = http.GetRemoteSize(host, path, state);
    if (size <= 0) return 0;
    const uint32_t part = static_cast<uint32_t>(size / 4);
    std::deque<PartInfo> parts;
    HttpTransfer transfers[4];
    std::vector<kesh::UniqueHandle> threads;
    for (uint32_t i = 0; i < 4; ++i) {
        parts.emplace_back(state);
        PartInfo& p = parts.back();
        p.host = host;
        p.path = path;
        p.start = i * part;
        p.end = i < 3 ? p.start + part : static_cast<uint32_t>(size);
        p.fileName = GetModuleDir() + L"update.td" + std::to_wstring(i);
        p.transfer = &transfers[i];
        threads.emplace_back(CreateThread(nullptr, 0, CHttpDownload::PartThread, &p, 0, nullptr));
    }
    for (const kesh::UniqueHandle& t : threads) WaitForSingleObject(t.get(), INFINITE);
    seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    int64_t received = 0;
    for (const PartInfo& p : parts) received += std::min(p.received, p.end - p.start);
    return received == size ? 1 : 0;
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
    if (mode == L"transfer" && argc == 4) {
        double seconds = 0;
        const int ok = TransferOnly(kesh::WStringToString(argv[2]), kesh::WStringToString(argv[3]), seconds);
        std::printf("transferred=%d seconds=%.3f\n", ok, seconds);
        return ok ? 0 : 1;
    }
    if (mode == L"md5" && argc == 3) {
        char out[33] = {};
        const Clock::time_point t0 = Clock::now();
        const bool ok = MD5_CTX().MD5File(out, kesh::WStringToString(argv[2]).c_str());
        const double s = std::chrono::duration<double>(Clock::now() - t0).count();
        std::printf("md5=%s seconds=%.3f\n", ok ? out : "-", s);
        return ok ? 0 : 1;
    }
    std::fprintf(stderr, "usage: engine_bench download <host> <path> <md5> | transfer <host> <path> | md5 <file>\n");
    return 2;
}
