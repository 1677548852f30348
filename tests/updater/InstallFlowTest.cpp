// The updater run as the client starts it: a client folder with the stand-in client, the
// updater in "temp", a web server with the update, and the windows driven from outside the way a
// user would (keys and clicks posted to the real windows).
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "Md5.h"
#include "TestUtil.h"
#include "UpdaterTestUtil.h"

namespace {

using testutil::FromUnixPath;
using testutil::Narrow;
using testutil::Widen;
using namespace updatertest;

const DWORD kClientKilled = 9;

std::string FileMd5(const std::wstring& path) {
    MD5_CTX md5;
    char hex[33] = "";
    if (!md5.MD5File(hex, Narrow(path).c_str())) return std::string();
    return hex;
}

std::string ReadText(const std::wstring& path) {
    std::string text;
    testutil::ReadBytes(path, text);
    return text;
}

// The install button takes the skip button's place once the download is done.
const POINT kInstallButton = {264, 77};
const uint32_t kTitleBlue = 0x1694FF;
const uint32_t kBodyGrey = 0xF8F8F8;
const uint32_t kProgressTrack = 0xDDE3EA;
const POINT kSkipButton = {264, 75};
// The close button's white cross, found on the screen: the rightmost white pixels of the title
// bar (its place follows the window's width, which a retry changes).
POINT CloseButton(HWND h) {
    RECT rc{};
    GetWindowRect(h, &rc);
    const int w = rc.right - rc.left;
    HDC screen = GetDC(nullptr);
    POINT found = {-1, -1};
    for (int x = w - 1; x >= w - 60 && found.x < 0; --x) {
        for (int y = 6; y < 24; ++y) {
            if (GetPixel(screen, rc.left + x, rc.top + y) == RGB(255, 255, 255)) {
                found = {x - 3, 15};
                break;
            }
        }
    }
    ReleaseDC(nullptr, screen);
    return found;
}

// The window's own title bar and body are on the screen, rather than what was there before it.
bool FrameShown(const Shot& s) {
    return s.height > 10 && s.At(5, 5) == kTitleBlue && s.At(5, s.height - 5) == kBodyGrey;
}

// The progress window exists (and is briefly visible where the system put it) before the
// updater places it in the corner of the work area.
void WaitPlacedInTheCorner(HWND progress) {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    testutil::WaitUntil(
        [&] {
            RECT rc{};
            GetWindowRect(progress, &rc);
            return rc.right == work.right - work.left && IsWindowVisible(progress);
        },
        5000);
}

// One client folder laid out as on a classroom PC: <root>\Client\ with the stand-in client, its
// configuration and the launch target, and the updater in <root>\Client\temp\.
class UpdaterRun : public testing::Test {
protected:
    void SetUp() override {
        prog = testutil::UniqueName(L"lumT");
        launchName = prog + L"Launch.exe";
        client = dir / L"Client";
        temp = client + L"\\temp";
        ASSERT_TRUE(testutil::MakeDirs(temp));
        const std::string config = "<Product><ProgName>" + Narrow(prog) + ".exe</ProgName><LaunchName>" +
                                   Narrow(launchName) + "</LaunchName><CacheName>" + Narrow(prog) +
                                   "</CacheName></Product>";
        ASSERT_TRUE(testutil::WriteBytes(client + L"\\ProductConfig.xml", config));
        ASSERT_TRUE(testutil::CopyTo(FromUnixPath(STANDIN_CLIENT_EXE), client + L"\\" + prog + L".exe"));
        ASSERT_TRUE(testutil::CopyTo(FromUnixPath(LAUNCH_TARGET_EXE), client + L"\\" + launchName));
        ASSERT_TRUE(testutil::CopyTo(FromUnixPath(UPDATER_EXE), temp + L"\\Updater.exe"));
        ASSERT_TRUE(testutil::CopyTo(FromUnixPath(ZLIB_DLL), temp + L"\\zlib.dll"));
        launchRecord = dir / L"launched.txt";
        SetEnvironmentVariableW(L"TOLU_LAUNCH_RECORD", launchRecord.c_str());
        std::string port = ReadText(FromUnixPath(WEB_DIR) + L"\\port");
        while (!port.empty() && (port.back() == '\n' || port.back() == '\r')) port.pop_back();
        ASSERT_FALSE(port.empty()) << "web server not running";
        host = "127.0.0.1:" + port;
    }
    void TearDown() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, (L"SOFTWARE\\" + prog).c_str());
        SetEnvironmentVariableW(L"TOLU_LAUNCH_RECORD", nullptr);
    }

    // Serves one of the made archives under a name of this test; returns its address and MD5.
    std::string Serve(const wchar_t* payload, std::string& md5) {
        const std::wstring name = prog + L".zip";
        EXPECT_TRUE(testutil::CopyTo(FromUnixPath(PAYLOAD_DIR) + L"\\" + payload, FromUnixPath(WEB_DIR) + L"\\www\\" + name));
        md5 = FileMd5(FromUnixPath(PAYLOAD_DIR) + L"\\" + payload);
        return "http://" + host + "/" + Narrow(name);
    }

    void StartClient(Proc& p, const std::wstring& extra = L"") {
        record = dir / L"client-record.txt";
        // The launcher's pipe is one instance for the whole machine and belongs to the launcher
        // tests' client; the updater never writes to it.
        ASSERT_TRUE(p.Start(client + L"\\" + prog + L".exe",
                          L"--no-pevlib --record=\"" + record + L"\" --ready=\"" + (dir / L"ready") + L"\" --lifetime=200000 " + extra));
        ASSERT_TRUE(testutil::WaitForFile(dir / L"ready", 15000));
    }

    // Serves the client's pipe under an image name the updater never stops, recording to file.
    void StartObserver(Proc& p, const std::wstring& file) {
        const std::wstring exe = client + L"\\observer.exe";
        ASSERT_TRUE(testutil::CopyTo(FromUnixPath(STANDIN_CLIENT_EXE), exe));
        ASSERT_TRUE(p.Start(exe, L"--no-window --no-pevlib --launch-name=" + launchName + L" --record=\"" + file +
                                     L"\" --ready=\"" + (dir / L"observer-ready") + L"\" --lifetime=200000"));
        ASSERT_TRUE(testutil::WaitForFile(dir / L"observer-ready", 15000));
    }

    void StartUpdater(Proc& p, const std::string& args) { ASSERT_TRUE(p.Start(temp + L"\\Updater.exe", Widen(args))); }

    testutil::TempDir dir{L"upd"};
    std::wstring prog, launchName, client, temp, launchRecord, record;
    std::string host;
};

TEST_F(UpdaterRun, InstallNowStopsTheClientAndStartsTheLauncher) {
    std::string md5;
    const std::string url = Serve(L"payload.zip", md5);
    Proc clientProc;
    StartClient(clientProc);
    Proc updater;
    StartUpdater(updater, "-url=" + url + " -md5=" + md5 + " -pagecallparam=\"page=7 user=3\"");

    // The progress window sits in the corner of the work area, 310 x 100.
    HWND progress = WaitWindow(L"kesh_updater_wnd_class_name", updater.pid(), 15000);
    ASSERT_NE(progress, nullptr);
    RECT work{}, rc{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    WaitPlacedInTheCorner(progress);
    GetWindowRect(progress, &rc);
    EXPECT_EQ(rc.right - rc.left, 310);
    EXPECT_EQ(rc.bottom - rc.top, 100);
    EXPECT_EQ(rc.left, (work.right - work.left) - 310);
    EXPECT_EQ(rc.top, (work.bottom - work.top) - 100);
    wchar_t title[64] = {};
    GetWindowTextW(progress, title, 64);
    EXPECT_STREQ(title, L"升级程序");

    // The client sends another parameter on the updater's pipe; it wins over the command line's.
    const std::wstring pipe = L"\\\\.\\Pipe\\CU_" + prog;
    bool sent = false;
    for (int i = 0; i < 100 && !sent; ++i) {
        HANDLE h = CreateFileW(pipe.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            sent = WriteFile(h, "from-pipe 42", 12, &written, nullptr) && written == 12;
            CloseHandle(h);
        }
        if (!sent) Sleep(50);
    }
    EXPECT_TRUE(sent);

    ASSERT_TRUE(testutil::WaitForFile(temp + L"\\update.zip", 20000));
    // The next progress tick swaps in the install button: the bar is gone from its place.
    const Shot shot =
        CaptureWhen(progress, 15000, [](const Shot& s) { return FrameShown(s) && s.At(60, 75) == kBodyGrey; });
    SaveBmp(shot, L"updater-ready.bmp");
    EXPECT_EQ(shot.At(5, 5), kTitleBlue);
    EXPECT_EQ(shot.At(5, 50), kBodyGrey);
    EXPECT_EQ(shot.At(kInstallButton.x - 30, kInstallButton.y - 8), kTitleBlue);  // the install button's face
    Click(progress, kInstallButton.x, kInstallButton.y);

    // The client is stopped the way the updater stops it.
    EXPECT_EQ(ExitCode(clientProc, 15000), kClientKilled);
    HWND done = WaitWindow(L"kesh_updater_launch_wnd_class_name", updater.pid(), 15000);
    ASSERT_NE(done, nullptr);
    wchar_t doneTitle[64] = {};
    GetWindowTextW(done, doneTitle, 64);
    EXPECT_STREQ(doneTitle, L"升级程序");
    const Shot doneShot = CaptureWhen(done, 5000, FrameShown);
    SaveBmp(doneShot, L"update-complete-zh-CN.bmp");
    EXPECT_EQ(doneShot.At(5, 5), kTitleBlue);
    EXPECT_EQ(doneShot.At(5, 100), kBodyGrey);
    EXPECT_GT(doneShot.Count(kTitleBlue, RECT{0, 32, 420, 210}), 1000);  // the launch button
    GetWindowRect(done, &rc);
    EXPECT_EQ(rc.right - rc.left, 420);
    EXPECT_EQ(rc.bottom - rc.top, 210);
    // Not started before the window is closed, and a second install click meanwhile changes nothing.
    Click(progress, kInstallButton.x, kInstallButton.y);
    Click(progress, CloseButton(progress).x, CloseButton(progress).y);
    Sleep(1000);
    EXPECT_TRUE(IsWindow(done));
    EXPECT_EQ(GetFileAttributesW(launchRecord.c_str()), INVALID_FILE_ATTRIBUTES);
    Key(done, VK_RETURN);

    EXPECT_EQ(ExitCode(updater, 20000), 0u);
    ASSERT_TRUE(testutil::WaitForFile(launchRecord, 10000));
    const std::string launched = ReadText(launchRecord);
    EXPECT_NE(launched.find(Narrow(launchName)), std::string::npos) << launched;
    EXPECT_NE(launched.find("from-pipe 42"), std::string::npos) << launched;
    EXPECT_EQ(launched.find("page=7"), std::string::npos) << launched;
    // Nothing was unpacked and nothing told the client: only forced updates do that.
    EXPECT_EQ(GetFileAttributesW((dir / L"lumora.dat").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(ReadText(record).find("msg1"), std::string::npos);
}

TEST_F(UpdaterRun, ForcedUpdateNoticeUnpackAndTellTheClient) {
    std::string md5;
    const std::string url = Serve(L"payload.zip", md5);
    const std::wstring target = dir / L"target";
    ASSERT_TRUE(testutil::MakeDirs(target));
    // The real client serves its pipe; once it is stopped a second listener (another image name)
    // keeps the pipe so the "extracted" message can be seen.
    Proc clientProc;
    StartClient(clientProc);
    HWND clientWnd = WaitWindow(L"glimtower", clientProc.pid(), 5000, false);
    ASSERT_NE(clientWnd, nullptr);
    // This one runs in English (the install-now case shows the Chinese windows).
    testutil::ScopedUserKey lang(L"SOFTWARE\\" + prog + L"\\Language");
    ASSERT_TRUE(lang.SetString(nullptr, L"en-US"));

    SetEnvironmentVariableW(L"TOLU_LAUNCH_RECORD", launchRecord.c_str());
    Proc updater;
    StartUpdater(updater, "-url=" + url + " -md5=" + md5 + " -forcedupdate=1 -pagecallparam=forced -extractpath=\"" +
                              Narrow(target) + "\" -clientexe=\"" + Narrow(client + L"\\" + launchName) + "\"");

    HWND notice = WaitWindow(L"kesh_updater_tips_wnd_class_name", updater.pid(), 15000);
    ASSERT_NE(notice, nullptr);
    // Owned by the client's window (another test's stand-in may be up too: any client window).
    wchar_t ownerClass[64] = {};
    GetClassNameW(GetWindow(notice, GW_OWNER), ownerClass, 64);
    EXPECT_STREQ(ownerClass, L"glimtower");
    RECT rc{};
    GetWindowRect(notice, &rc);
    EXPECT_EQ(rc.right - rc.left, 310);
    const Shot noticeShot = CaptureWhen(notice, 5000, FrameShown);
    SaveBmp(noticeShot, L"notice-en-US.bmp");
    wchar_t noticeTitle[64] = {};
    GetWindowTextW(notice, noticeTitle, 64);
    EXPECT_STREQ(noticeTitle, L"Glimtower提示");
    EXPECT_EQ(noticeShot.At(5, 5), kTitleBlue);
    // Only the confirm button shows (type 0): its blue face, and no cancel button left of it.
    EXPECT_GT(noticeShot.Count(kTitleBlue, RECT{225, 60, 310, 100}), 300);
    EXPECT_EQ(noticeShot.Count(0xFFFFFF, RECT{140, 60, 220, 100}), 0);
    Key(notice, VK_RETURN);
    EXPECT_EQ(ExitCode(clientProc, 15000), kClientKilled);

    Proc observer;
    const std::wstring observed = dir / L"observer-record.txt";
    StartObserver(observer, observed);

    // A forced job installs by itself once the download is done.
    HWND done = WaitWindow(L"kesh_updater_launch_wnd_class_name", updater.pid(), 40000);
    ASSERT_NE(done, nullptr);
    const Shot doneShot = CaptureWhen(done, 5000, FrameShown);
    SaveBmp(doneShot, L"update-complete-en-US.bmp");
    wchar_t doneTitle[64] = {};
    GetWindowTextW(done, doneTitle, 64);
    EXPECT_STREQ(doneTitle, L"Update Program");
    EXPECT_EQ(doneShot.At(5, 5), kTitleBlue);
    EXPECT_EQ(doneShot.At(5, 100), kBodyGrey);
    EXPECT_GT(doneShot.Count(kTitleBlue, RECT{0, 32, 420, 210}), 1000);  // the launch button
    EXPECT_EQ(ReadText(target + L"\\bin\\tool.txt"), "version 2\n");
    EXPECT_NE(GetFileAttributesW((target + L"\\bin\\deeper\\empty.txt").c_str()), INVALID_FILE_ATTRIBUTES);
    const std::string told = ReadText(observed);
    EXPECT_NE(told.find(" 6 " + std::string("6d7367313a31")), std::string::npos) << told;  // "msg1:1"
    Key(done, VK_ESCAPE);
    EXPECT_EQ(ExitCode(updater, 20000), 0u);
    ASSERT_TRUE(testutil::WaitForFile(launchRecord, 10000));
    EXPECT_NE(ReadText(launchRecord).find("forced"), std::string::npos);
}

TEST_F(UpdaterRun, ProgressWindowCannotBeClosedWhileTheInstallRuns) {
    // The install's windows pump the progress window's messages too; the keys and the close
    // request that end that window otherwise must then change nothing.
    std::string md5;
    const std::string url = Serve(L"payload.zip", md5);
    const std::wstring target = dir / L"target";
    ASSERT_TRUE(testutil::MakeDirs(target));
    Proc observer;
    const std::wstring observed = dir / L"observer-record.txt";
    StartObserver(observer, observed);
    const std::string installed = " 6 6d7367313a31";  // "msg1:1"
    const std::string abandoned = " 6 6d7367313a30";  // "msg1:0"

    // Forced without the notice: nothing to answer before the update-complete window.
    Proc updater;
    StartUpdater(updater, "-url=" + url + " -md5=" + md5 + " -forcedupdate=2 -pagecallparam=kept -extractpath=\"" +
                              Narrow(target) + "\" -clientexe=\"" + Narrow(client + L"\\" + launchName) + "\"");
    HWND progress = WaitWindow(L"kesh_updater_wnd_class_name", updater.pid(), 15000);
    ASSERT_NE(progress, nullptr);
    HWND done = WaitWindow(L"kesh_updater_launch_wnd_class_name", updater.pid(), 40000);
    ASSERT_NE(done, nullptr);
    EXPECT_NE(ReadText(observed).find(installed), std::string::npos);

    Key(progress, VK_ESCAPE);
    Key(progress, VK_RETURN);
    AltF4(progress);
    PostMessageW(progress, WM_CLOSE, 0, 0);
    EXPECT_TRUE(Drain(done, 15000)) << "the update-complete window went away";
    EXPECT_TRUE(IsWindowVisible(done));
    EXPECT_EQ(ExitCode(updater, 0), STILL_ACTIVE);
    EXPECT_EQ(ReadText(observed).find(abandoned), std::string::npos) << ReadText(observed);
    EXPECT_EQ(GetFileAttributesW(launchRecord.c_str()), INVALID_FILE_ATTRIBUTES);

    // Closed by the user, the install goes on as usual, and nothing follows "msg1:1".
    Key(done, VK_RETURN);
    EXPECT_EQ(ExitCode(updater, 20000), 0u);
    ASSERT_TRUE(testutil::WaitForFile(launchRecord, 10000));
    EXPECT_NE(ReadText(launchRecord).find("kept"), std::string::npos);
    const std::string told = ReadText(observed);
    EXPECT_EQ(told.find(abandoned), std::string::npos) << told;
}

TEST_F(UpdaterRun, GivingUpTellsTheClientOnceAndShowsClose) {
    // Every attempt fails: ten of them, then one "msg1:0" and the close button.
    const std::string url = "http://" + host + "/" + Narrow(prog) + "-missing.zip";
    Proc clientProc;
    StartClient(clientProc);
    testutil::ScopedUserKey lang(L"SOFTWARE\\" + prog + L"\\Language");
    ASSERT_TRUE(lang.SetString(nullptr, L"en-US"));
    Proc updater;
    StartUpdater(updater, "-url=" + url + " -md5=00000000000000000000000000000000");
    HWND progress = WaitWindow(L"kesh_updater_wnd_class_name", updater.pid(), 15000);
    ASSERT_NE(progress, nullptr);
    wchar_t title[64] = {};
    GetWindowTextW(progress, title, 64);
    EXPECT_STREQ(title, L"Update Program");

    testutil::WaitUntil([&] { return ReadText(record).find("6d7367313a30") != std::string::npos; }, 90000);
    Sleep(1500);  // and no second one comes
    const std::string told = ReadText(record);
    size_t count = 0;
    for (size_t at = told.find("6d7367313a30"); at != std::string::npos; at = told.find("6d7367313a30", at + 1)) ++count;
    EXPECT_EQ(count, 1u) << told;
    // Still open; the close button quits without telling the client again.
    EXPECT_EQ(ExitCode(updater, 0), STILL_ACTIVE);
    // A second failed attempt widened the window once.
    RECT rc{};
    GetWindowRect(progress, &rc);
    EXPECT_EQ(rc.right - rc.left, 360);
    const POINT close = CloseButton(progress);
    ASSERT_GT(close.x, 0) << "close button not shown";
    Click(progress, close.x, close.y);
    EXPECT_EQ(ExitCode(updater, 15000), 0u);
    Sleep(300);  // nothing more comes after the end
    const std::string after = ReadText(record);
    EXPECT_EQ(after.find("6d7367313a30", after.find("6d7367313a30") + 1), std::string::npos) << after;
}

TEST_F(UpdaterRun, SkipDuringADownloadEndsCleanly) {
    // Nothing listens at the address: the download thread is between attempts when "skip" comes.
    Proc updater;
    StartUpdater(updater, "-url=http://127.0.0.1:1/x.zip -md5=00000000000000000000000000000000");
    HWND progress = WaitWindow(L"kesh_updater_wnd_class_name", updater.pid(), 15000);
    ASSERT_NE(progress, nullptr);
    WaitPlacedInTheCorner(progress);
    WaitPainted(progress, 10000);
    // A click that lands while the window is still busy is made again.
    DWORD code = STILL_ACTIVE;
    for (int i = 0; i < 4 && code == STILL_ACTIVE; ++i) {
        Click(progress, kSkipButton.x, kSkipButton.y);
        code = ExitCode(updater, 5000);
    }
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(GetFileAttributesW(launchRecord.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(UpdaterRun, ProgressWindowInBothLanguagesAndEscape) {
    // Nothing listens at the address, so the window stays at 0 % while the attempts fail.
    const struct {
        const wchar_t* language;
        const wchar_t* title;
    } cases[] = {{L"zh-CN", L"升级程序"}, {L"en-US", L"Update Program"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.language));
        testutil::ScopedUserKey lang(L"SOFTWARE\\" + prog + L"\\Language");
        ASSERT_TRUE(lang.SetString(nullptr, c.language));
        Proc clientProc;
        StartClient(clientProc);
        Proc updater;
        StartUpdater(updater, "-url=http://127.0.0.1:1/x.zip -md5=00000000000000000000000000000000 -forcedupdate=2");
        HWND progress = WaitWindow(L"kesh_updater_wnd_class_name", updater.pid(), 15000);
        ASSERT_NE(progress, nullptr);
        wchar_t title[64] = {};
        GetWindowTextW(progress, title, 64);
        EXPECT_STREQ(title, c.title);
        WaitPlacedInTheCorner(progress);
        // The first tick writes the tips (the label starts empty) and draws the bar.
        const Shot shot = CaptureWhen(progress, 10000, [](const Shot& s) {
            return FrameShown(s) && s.Count(kBodyGrey, RECT{10, 30, 300, 60}) < 290 * 30 - 50;
        });
        SaveBmp(shot, std::wstring(L"progress-") + c.language + L".bmp");
        EXPECT_EQ(shot.At(5, 5), kTitleBlue);
        EXPECT_EQ(shot.At(5, 50), kBodyGrey);
        // The bar's empty track at 0 %, and the title and tips drawn as glyphs.
        EXPECT_EQ(shot.At(60, 75), kProgressTrack);
        EXPECT_LT(shot.Count(kTitleBlue, RECT{10, 0, 200, 30}), 190 * 30 - 50);
        EXPECT_LT(shot.Count(kBodyGrey, RECT{10, 30, 300, 60}), 290 * 30 - 50);
        // A forced-update value of 2 hides the skip button: no blue face where it would be.
        EXPECT_EQ(shot.Count(kTitleBlue, RECT{229, 62, 300, 88}), 0);

        // Escape closes the window the way closing it does: the client is told "msg1:0".
        Key(progress, VK_ESCAPE);
        EXPECT_EQ(ExitCode(updater, 15000), 0u);
        // The client records what it was told a moment after the updater wrote it.
        testutil::WaitUntil([&] { return ReadText(record).find(" 6 6d7367313a30") != std::string::npos; }, 5000);
        const std::string told = ReadText(record);
        EXPECT_NE(told.find(" 6 6d7367313a30"), std::string::npos) << told;
        DeleteFileW(record.c_str());
        DeleteFileW((dir / L"ready").c_str());
    }
}

TEST_F(UpdaterRun, ForcedUpdateWhoseUnpackFailsShowsTheFailureNotice) {
    // The download checks out (its digest is the one asked for) but it is no archive: the
    // install retries for a minute, then says so and starts the program all the same.
    std::string md5;
    const std::string url = Serve(L"notazip.zip", md5);
    const std::wstring target = dir / L"target";
    ASSERT_TRUE(testutil::MakeDirs(target));
    Proc updater;
    StartUpdater(updater, "-url=" + url + " -md5=" + md5 + " -forcedupdate=1 -pagecallparam=after-failure -extractpath=\"" +
                              Narrow(target) + "\" -clientexe=\"" + Narrow(client + L"\\" + launchName) + "\"");
    HWND notice = WaitWindow(L"kesh_updater_tips_wnd_class_name", updater.pid(), 15000);
    ASSERT_NE(notice, nullptr);
    const Shot noticeShot = CaptureWhen(notice, 5000, FrameShown);
    SaveBmp(noticeShot, L"notice-zh-CN.bmp");
    EXPECT_EQ(noticeShot.At(5, 5), kTitleBlue);
    EXPECT_GT(noticeShot.Count(kTitleBlue, RECT{225, 60, 310, 100}), 300);  // the confirm button
    Key(notice, VK_RETURN);
    testutil::WaitUntil([notice] { return !IsWindow(notice); }, 5000);
    ASSERT_FALSE(IsWindow(notice));

    const auto start = std::chrono::steady_clock::now();
    HWND failure = nullptr;
    while (failure == nullptr && std::chrono::steady_clock::now() - start < std::chrono::seconds(100)) {
        failure = WaitWindow(L"kesh_updater_tips_wnd_class_name", updater.pid(), 1000);
    }
    ASSERT_NE(failure, nullptr);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::seconds(55));
    EXPECT_EQ(GetFileAttributesW(launchRecord.c_str()), INVALID_FILE_ATTRIBUTES);
    Key(failure, VK_RETURN);
    HWND done = WaitWindow(L"kesh_updater_launch_wnd_class_name", updater.pid(), 15000);
    ASSERT_NE(done, nullptr);
    Key(done, VK_RETURN);
    EXPECT_EQ(ExitCode(updater, 20000), 0u);
    ASSERT_TRUE(testutil::WaitForFile(launchRecord, 10000));
    EXPECT_NE(ReadText(launchRecord).find("after-failure"), std::string::npos);
    // Nothing half-unpacked in the target folder.
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((target + L"\\*").c_str(), &fd);
    int entries = 0;
    if (h != INVALID_HANDLE_VALUE) {
        do {
            if (wcscmp(fd.cFileName, L".") != 0 && wcscmp(fd.cFileName, L"..") != 0) ++entries;
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    EXPECT_EQ(entries, 0);
}

}  // namespace
