// The updater's downloader for one job: the download thread of the engine plus the install flow
// that stops the client, unpacks forced updates, tells the client and starts the job's program.
#pragma once
#include <atomic>

#include "Downloader.h"
#include "ZipDwCfg.h"

class ZipDownloader : public Downloader {
public:
    explicit ZipDownloader(const ZipDwCfg& job);
    ~ZipDownloader() override = default;

    // Runs on the UI thread and blocks it (waits, unpacking, two modal windows). A second call
    // while one runs (a click from a window pumping meanwhile) is ignored.
    void DoInstall() override;
    bool Installing() const { return installing_; }

    // How long the install waits for the client to go before it goes on regardless.
    DWORD killWaitMs = 30000;
    // How long a forced install keeps retrying the unpacking before it gives up.
    DWORD extractWaitMs = 60000;

private:
    ZipDwCfg job_;
    std::atomic<bool> installing_{false};
};
