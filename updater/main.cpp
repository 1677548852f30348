// toluUpdater: started by the client with one update job on its command line.
#include <windows.h>
#include <shellapi.h>

#include "Log.h"
#include "ZipDwCfg.h"
#include "TextConv.h"

namespace {

std::string ToLog(const std::wstring& s) { return kesh::WideToCodePage(s, CP_ACP); }

void ConfigureLogger() {
    el::Configurations conf;
    conf.setToDefault();
    conf.setGlobally(el::ConfigurationType::Format, "%datetime %level [%logger] %msg");
    conf.setGlobally(el::ConfigurationType::ToFile, "false");
    conf.setGlobally(el::ConfigurationType::ToStandardOutput, "true");
    el::Loggers::reconfigureLogger("default", conf);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    ConfigureLogger();
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    LocalFree(argv);
    if (argc < 2) return -1;

    // The job is everything after the program name, exactly as the client wrote it.
    const wchar_t* args = GetCommandLineW();
    if (*args == L'"') {
        args = wcschr(args + 1, L'"');
        args = args != nullptr ? args + 1 : L"";
    } else {
        while (*args != L'\0' && *args != L' ' && *args != L'\t') ++args;
    }
    while (*args == L' ' || *args == L'\t') ++args;

    const ZipDwCfg job = parseZipConf(args);
    LOG(INFO) << "job: host[" << job.host << "] path[" << job.path << "] md5[" << job.md5
              << "] forcedupdate[" << job.forcedupdate << "] pagecallparam[" << job.pagecallparam
              << "] clientDic[" << ToLog(job.clientDic) << "] clientExePath[" << ToLog(job.clientExePath) << "]";
    return 0;
}
