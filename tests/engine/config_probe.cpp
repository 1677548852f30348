// Prints what a freshly started updater reads: the configuration values, the language flag and,
// given a command line, the update job. Log lines go to standard output as "LOG <level> <msg>".
#include <windows.h>

#include <cstdio>
#include <string>

#include "ConfigParser.h"
#include "Log.h"
#include "TextConv.h"
#include "ZipDwCfg.h"

namespace {
std::string Utf8(const std::wstring& s) { return kesh::WideToCodePage(s, CP_UTF8); }
std::string Hex(const std::string& s) {
    std::string out;
    char b[3];
    for (unsigned char c : s) {
        snprintf(b, sizeof(b), "%02x", c);
        out += b;
    }
    return out;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    el::Configurations conf;
    conf.setToDefault();
    conf.setGlobally(el::ConfigurationType::Format, "LOG %level %msg");
    conf.setGlobally(el::ConfigurationType::ToFile, "false");
    el::Loggers::reconfigureLogger("default", conf);

    ConfigParser& cfg = ConfigParser::Instance();
    printf("loaded=%d\nchinese=%d\n", cfg.loaded ? 1 : 0, cfg.chineseUi ? 1 : 0);
    for (const char* key : {"ProgName", "LaunchName", "CacheName"}) {
        std::string value;
        const bool ok = cfg.GetValue(key, value);
        // Values are in the ANSI code page: print their bytes so the test sees them exactly.
        printf("%s=%d:%s\n", key, ok ? 1 : 0, Hex(value).c_str());
    }
    printf("acp=%u\n", GetACP());
    if (argc > 1 && wcscmp(argv[1], L"job") == 0) {
        const wchar_t* line = argc > 2 ? argv[2] : L"";
        const ZipDwCfg job = parseZipConf(line);
        printf("zipPath=%s\nclientDic=%s\nclientExePath=%s\n", Utf8(job.zipPath).c_str(),
               Utf8(job.clientDic).c_str(), Utf8(job.clientExePath).c_str());
    }
    fflush(stdout);
    return 0;
}
