#include "UpdaterWnd.h"

#include <cstdio>

#include "ClientProcess.h"
#include "ConfigParser.h"
#include "Log.h"

namespace {

// Messages the download thread posts; the window's controls are touched on the UI thread only.
const UINT kMsgRetry = WM_APP + 0x21;
const UINT kMsgFinished = WM_APP + 0x22;

bool Chinese() { return ConfigParser::Instance().chineseUi; }

}  // namespace

CUpdaterWnd::CUpdaterWnd() {
    CreateWnd(nullptr, Chinese() ? L"升级程序" : L"Update Program", 0x10CF0000, 0x100, CW_USEDEFAULT, CW_USEDEFAULT,
              CW_USEDEFAULT, CW_USEDEFAULT);
    SetWndIcon(101);
}

CUpdaterWnd::~CUpdaterWnd() {
    // The download thread may still call back into this object: stop it while the object is whole.
    downloader_.reset();
    DestroyNativeWindow();
}

const wchar_t* CUpdaterWnd::GetRegisteredClassName() const { return L"kesh_updater_wnd_class_name"; }

Veneer::CUIString CUpdaterWnd::GetLayoutFile() const {
    return Veneer::CUIString(Chinese() ? L"UpdaterWnd.xml" : L"UpdaterWnd_en.xml");
}

void CUpdaterWnd::OnLayoutReady() {
    tipsLabel_ = static_cast<Veneer::CLabelUI*>(m_manager.LocateControl(L"tipsLabel"));
    closeButton_ = static_cast<Veneer::CButtonUI*>(m_manager.LocateControl(L"closeButton"));
    skipButton_ = static_cast<Veneer::CButtonUI*>(m_manager.LocateControl(L"skipButton"));
    buttonLayout_ = static_cast<Veneer::CHorizontalLayoutUI*>(m_manager.LocateControl(L"buttonLayout"));
    progressLayout_ = static_cast<Veneer::CHorizontalLayoutUI*>(m_manager.LocateControl(L"progressLayout"));
    downloadProgress_ = static_cast<Veneer::CProgressUI*>(m_manager.LocateControl(L"downloadProgress"));
}

void CUpdaterWnd::StartDownload(const ZipDwCfg& job) {
    job_ = job;
    if (job_.forcedupdate != 0 && skipButton_ != nullptr) skipButton_->SetVisible(false);
    downloader_ = std::make_shared<ZipDownloader>(job_);
    // The callbacks only post to the window handle kept here; the download thread never touches
    // a control. The object outlives the thread: its destructor stops the download first.
    hwnd_ = GetHWND();
    downloader_->retryCallback = [this](int32_t attempt) { OnRetry(static_cast<unsigned>(attempt)); };
    downloader_->finishCallback = [this]() { OnDownloadFinished(); };
    downloader_->Start();
    SetTimer(hwnd_, DownloadProgressTimer, 1000, nullptr);
}

bool CUpdaterWnd::StopDownload(DWORD ms) {
    if (!downloader_) return true;
    downloader_->Cancel();
    return downloader_->WaitIdle(ms);
}

void CUpdaterWnd::OnRetry(unsigned attempt) {
    ::PostMessageW(hwnd_, kMsgRetry, attempt, 0);
    Sleep(2000);
}

void CUpdaterWnd::OnDownloadFinished() { ::PostMessageW(hwnd_, kMsgFinished, 0, 0); }

void CUpdaterWnd::UpdateProgress(int percent) {
    const bool chinese = Chinese();
    const int retry = retry_;
    wchar_t suffix[260] = L"";
    if (retry != 0)
        swprintf(suffix, 260, chinese ? L"（重试第%d次)" : L"（Retring for %d times)", retry);
    if (retry == 1) {
        RECT rc;
        GetWindowRect(GetHWND(), &rc);
        SetWindowPos(GetHWND(), nullptr, rc.right - 360, rc.top, 360, rc.bottom - rc.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    const wchar_t* message;
    if (job_.forcedupdate != 0) {
        message = chinese ? L"正在为您准备客户端新版本，请稍候......"
                          : L"The newest client application is downloading, please wait......";
    } else {
        message = chinese ? L"新版本下载中，建议下载完成后再进入教室"
                          : L"Downloading the newest client application, please wait......";
    }
    const int shown = static_cast<unsigned>(percent) <= 99u ? percent : 100;
    wchar_t text[260];
    swprintf(text, 260, L"%ls...%d%%%ls", message, shown, suffix);
    if (tipsLabel_ != nullptr) tipsLabel_->SetText(text);
    if (downloadProgress_ != nullptr) downloadProgress_->SetValue(shown);

    if (downloader_ && downloader_->done) {
        KillTimer(GetHWND(), DownloadProgressTimer);
        if (closeButton_ != nullptr) closeButton_->SetVisible(true);
        if (job_.forcedupdate != 0) {
            Sleep(1000);
            Install();
        } else {
            if (tipsLabel_ != nullptr)
                tipsLabel_->SetText(chinese ? L"新版本将在下次启动时安装，您也可以立即安装！"
                                            : L"New version is ready, install now or later");
            if (progressLayout_ != nullptr) progressLayout_->SetVisible(false);
            if (buttonLayout_ != nullptr) buttonLayout_->SetVisible(true);
        }
    }
}

void CUpdaterWnd::Install() {
    // Set before the install pumps its first message, and kept until the quit: input that was
    // queued meanwhile is still dispatched after the install returns.
    installBegun_ = true;
    if (downloader_) downloader_->DoInstall();
    PostQuitMessage(0);
}

LRESULT CUpdaterWnd::ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    if (installBegun_) return 0;
    return CKeshWndBase::ProcessMessage(message, wParam, lParam, handled);
}

LRESULT CUpdaterWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        // The install's windows pump this window's messages too: closing it then would tell the
        // client the update was abandoned after it was installed, and end those windows early.
        if (installBegun_) return 0;
        kesh::WritePipeBuf(kesh::ClientPipeName(), L"msg1:0");
        PostQuitMessage(0);
        return 0;
    case WM_QUIT:
        PostQuitMessage(0);
        return 0;
    case kMsgRetry:
        retry_ = static_cast<int>(wParam);
        return 0;
    case kMsgFinished:
        KillTimer(GetHWND(), DownloadProgressTimer);
        if (closeButton_ != nullptr) closeButton_->SetVisible(true);
        return 0;
    case WM_TIMER:
        if (wParam == DownloadProgressTimer) {
            int percent = 0;
            if (downloader_) {
                const DownloadState state = downloader_->GetState();
                if (state.total != 0) percent = static_cast<int>(state.downloaded * 100 / state.total);
            }
            UpdateProgress(percent);
        }
        break;
    default:
        break;
    }
    return CKeshWndBase::HandleMessage(message, wParam, lParam);
}

void CUpdaterWnd::Notify(Veneer::TNotification& msg) {
    if (!(msg.type == L"click") || msg.sender == nullptr) return;
    // The install's own windows have no owner, so this window stays clickable meanwhile; a click
    // then must neither start a second install nor end the first one's windows early.
    if (installBegun_) return;
    const Veneer::CUIString name = msg.sender->GetName();
    if (name == L"closeButton" || name == L"skipButton") {
        PostQuitMessage(0);
    } else if (name == L"installButton") {
        Install();
    }
}
