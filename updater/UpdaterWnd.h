// The progress window: a small box at the bottom right of the screen that runs the job's
// download thread, shows progress and the number of each retry (the attempts 2 s apart), and at
// the end installs at once (forced job) or offers to install now.
#pragma once
#include <atomic>
#include <memory>

#include "ButtonUI.h"
#include "HorizontalLayoutUI.h"
#include "KeshWndBase.h"
#include "LabelUI.h"
#include "ProgressUI.h"
#include "ZipDownloader.h"
#include "ZipDwCfg.h"

class CUpdaterWnd : public CKeshWndBase {
public:
    CUpdaterWnd();
    ~CUpdaterWnd() override;

    void StartDownload(const ZipDwCfg& job);
    // Asks a running download to stop and waits up to ms for its thread; false when it still runs.
    bool StopDownload(DWORD ms);
    void UpdateProgress(int percent);

    // Called on the download thread; they only post to the window.
    void OnRetry(unsigned attempt);
    void OnDownloadFinished();

    void Notify(Veneer::TNotification& msg) override;
    // Return and Escape close the window, except once the install has begun.
    LRESULT ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

    static const UINT_PTR DownloadProgressTimer = 1121;

protected:
    const wchar_t* GetRegisteredClassName() const override;
    Veneer::CUIString GetLayoutFile() const override;
    void OnLayoutReady() override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Runs the install on the UI thread, then ends the updater's message loop.
    void Install();

    ZipDwCfg job_;
    HWND hwnd_ = nullptr;
    std::atomic<int> retry_{0};
    std::shared_ptr<ZipDownloader> downloader_;
    // Set when the install begins and never cleared: the quit follows it.
    bool installBegun_ = false;
    Veneer::CLabelUI* tipsLabel_ = nullptr;
    Veneer::CButtonUI* closeButton_ = nullptr;
    Veneer::CButtonUI* skipButton_ = nullptr;
    Veneer::CHorizontalLayoutUI* buttonLayout_ = nullptr;
    Veneer::CHorizontalLayoutUI* progressLayout_ = nullptr;
    Veneer::CProgressUI* downloadProgress_ = nullptr;
};
