// The updater in a folder whose name no single ANSI code page can hold (Chinese, Korean and
// accented Latin letters): a forced update downloads, verifies, unpacks and starts the program,
// all inside that folder tree.
#include <gtest/gtest.h>

#include <string>

#include "Md5.h"
#include "TestUtil.h"
#include "UpdaterTestUtil.h"

namespace {

using testutil::FromUnixPath;
using testutil::Narrow;
using namespace updatertest;

std::string ReadText(const std::wstring& path) {
    std::string text;
    testutil::ReadBytes(path, text);
    return text;
}

// True when text survives the trip through the ANSI code page unchanged.
bool AnsiCanHold(const std::wstring& text) {
    BOOL lossy = FALSE;
    char narrow[512];
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), -1, narrow, sizeof(narrow),
                                      nullptr, GetACP() == CP_UTF8 ? nullptr : &lossy);
    return n > 0 && !lossy;
}

TEST(UnicodeFolder, ForcedUpdateDownloadsUnpacksAndStartsTheProgram) {
    const std::wstring folderName = L"更新 업데이트 Mise à jour";
    if (GetACP() != CP_UTF8) {
        ASSERT_FALSE(AnsiCanHold(folderName)) << "code page " << GetACP();
    }

    // The updater in <root>\<name>\Client\temp: the job's defaults unpack into <root>\<name> and
    // start the program in <root>\<name>\Client.
    testutil::TempDir root(L"uni");
    const std::wstring top = root / folderName;
    const std::wstring client = top + L"\\Client";
    const std::wstring temp = client + L"\\temp";
    ASSERT_TRUE(testutil::MakeDirs(temp));
    const std::wstring prog = testutil::UniqueName(L"lumU");
    const std::wstring launchName = prog + L"Launch.exe";
    ASSERT_TRUE(testutil::WriteBytes(client + L"\\ProductConfig.xml",
                                     "<Product><ProgName>" + Narrow(prog) + ".exe</ProgName><LaunchName>" +
                                         Narrow(launchName) + "</LaunchName><CacheName>" + Narrow(prog) +
                                         "</CacheName></Product>"));
    ASSERT_TRUE(testutil::CopyTo(FromUnixPath(LAUNCH_TARGET_EXE), client + L"\\" + launchName));
    ASSERT_TRUE(testutil::CopyTo(FromUnixPath(UPDATER_EXE), temp + L"\\Updater.exe"));
    ASSERT_TRUE(testutil::CopyTo(FromUnixPath(ZLIB_DLL), temp + L"\\zlib.dll"));
    const std::wstring launchRecord = root / L"launched.txt";
    SetEnvironmentVariableW(L"TOLU_LAUNCH_RECORD", launchRecord.c_str());

    std::string port = ReadText(FromUnixPath(WEB_DIR) + L"\\port");
    while (!port.empty() && (port.back() == '\n' || port.back() == '\r')) port.pop_back();
    ASSERT_FALSE(port.empty()) << "web server not running";
    const std::wstring payload = FromUnixPath(PAYLOAD_DIR) + L"\\payload.zip";
    ASSERT_TRUE(testutil::CopyTo(payload, FromUnixPath(WEB_DIR) + L"\\www\\" + prog + L".zip"));
    char md5[33] = "";
    ASSERT_TRUE(MD5_CTX().MD5File(md5, payload.c_str()));

    Proc updater;
    ASSERT_TRUE(updater.Start(temp + L"\\Updater.exe", L"-url=http://127.0.0.1:" + testutil::Widen(port) + L"/" +
                                                           prog + L".zip -md5=" + testutil::Widen(md5) +
                                                           L" -forcedupdate=1 -pagecallparam=from-unicode-folder"));
    HWND notice = WaitWindow(L"kesh_updater_tips_wnd_class_name", updater.pid(), 15000);
    ASSERT_NE(notice, nullptr);
    Key(notice, VK_RETURN);
    HWND done = WaitWindow(L"kesh_updater_launch_wnd_class_name", updater.pid(), 40000);
    ASSERT_NE(done, nullptr) << "the download or the unpacking failed";
    EXPECT_NE(GetFileAttributesW((temp + L"\\update.zip").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(ReadText(top + L"\\bin\\tool.txt"), "version 2\n");
    EXPECT_NE(GetFileAttributesW((top + L"\\bin\\deeper\\empty.txt").c_str()), INVALID_FILE_ATTRIBUTES);
    Key(done, VK_RETURN);
    EXPECT_EQ(ExitCode(updater, 20000), 0u);

    // The program was started from its Unicode path with the job's parameter.
    ASSERT_TRUE(testutil::WaitForFile(launchRecord, 10000));
    const std::string launched = ReadText(launchRecord);
    EXPECT_NE(launched.find(Narrow(client + L"\\" + launchName)), std::string::npos) << launched;
    EXPECT_NE(launched.find("from-unicode-folder"), std::string::npos) << launched;
    SetEnvironmentVariableW(L"TOLU_LAUNCH_RECORD", nullptr);
}

}  // namespace
