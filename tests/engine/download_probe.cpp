// Runs one Downloader in a fresh process, as the updater placed in this folder would (its own
// ProductConfig.xml, its own update files), and prints what the owner sees:
//   download_probe <host> <path> <md5> [destroy-after-ms] [retry-sleep-ms]
// Lines: "@retry <n>", "@finish", "@done <0|1>", "@destroyed <ms>" (how long the destruction
// took), "@after" (printed 500 ms after the destruction, so later callbacks would show before it).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "ClientProcess.h"
#include "Downloader.h"

namespace {

class ProbeDownloader : public Downloader {
public:
    using Downloader::Downloader;
    void DoInstall() override {}
};

void Print(const std::string& line) {
    std::printf("@%s\n", line.c_str());
    std::fflush(stdout);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) return 2;
    const std::string host = kesh::WStringToString(argv[1]);
    const std::string path = kesh::WStringToString(argv[2]);
    const std::string md5 = kesh::WStringToString(argv[3]);
    const int destroyAfter = argc > 4 ? _wtoi(argv[4]) : -1;
    const int retrySleep = argc > 5 ? _wtoi(argv[5]) : 0;

    auto* d = new ProbeDownloader("http://" + host + path, md5, host, path, false);
    HttpTimings t;
    t.silencePollMs = 200;  // the watchdog's silence window: 1 s
    t.stallMs = 1000;
    d->http->SetTimings(t);
    d->retryCallback = [retrySleep](int32_t n) {
        Print("retry " + std::to_string(n));
        if (retrySleep > 0) Sleep(static_cast<DWORD>(retrySleep));
    };
    d->finishCallback = [] { Print("finish"); };
    d->Start();
    if (destroyAfter >= 0) {
        Sleep(static_cast<DWORD>(destroyAfter));
        const DWORD t0 = GetTickCount();
        delete d;
        Print("destroyed " + std::to_string(GetTickCount() - t0));
        Sleep(500);
        Print("after");
        return 0;
    }
    WaitForSingleObject(d->IdleEvent(), 120000);
    Print(std::string("done ") + (d->done ? "1" : "0"));
    const DownloadState s = d->GetState();
    Print("total " + std::to_string(s.total) + " downloaded " + std::to_string(s.downloaded));
    delete d;
    return 0;
}
