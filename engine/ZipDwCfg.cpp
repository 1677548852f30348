#include "ZipDwCfg.h"

#include <windows.h>

#include <cwctype>

#include "CmdLineParser.h"
#include "ConfigParser.h"
#include "Log.h"
#include "ModuleDir.h"
#include "TextConv.h"

namespace {

std::string Narrow(const std::wstring& s) { return kesh::WStringToString(s); }

bool Exists(const std::wstring& path) {
    return !path.empty() && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Text before the last '\' (cutBefore) or up to and including it; empty when there is none.
std::wstring CutBeforeLast(const std::wstring& s) {
    const size_t i = s.rfind(L'\\');
    return i == std::wstring::npos ? std::wstring() : s.substr(0, i);
}
std::wstring CutAfterLast(const std::wstring& s) {
    const size_t i = s.rfind(L'\\');
    return i == std::wstring::npos ? std::wstring() : s.substr(0, i + 1);
}

}  // namespace

int32_t ParseDecimal(const std::wstring& text) {
    size_t i = 0;
    while (i < text.size() && std::iswspace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10 + (text[i] - L'0');
        // A number that does not fit 32 bits is no flag value at all.
        if (value > static_cast<int64_t>(INT32_MAX) + 1) return 0;
    }
    if (negative) value = -value;
    if (value > INT32_MAX || value < INT32_MIN) return 0;
    return static_cast<int32_t>(value);
}

ZipDwCfg parseZipConf(const wchar_t* cmdLine) {
    const std::wstring line = cmdLine != nullptr ? cmdLine : L"";
    LOG(INFO) << "cmdline: " << Narrow(line);

    const CCmdLineParser parser(line.c_str());
    const std::wstring url = parser.Value(L"url");
    const std::wstring md5 = parser.Value(L"md5");
    const std::wstring pagecallparam = parser.Value(L"pagecallparam");
    const std::wstring forcedupdate = parser.Value(L"forcedupdate");
    const std::wstring clientexe = parser.Value(L"clientexe");
    const std::wstring extractpath = parser.Value(L"extractpath");

    ZipDwCfg job;
    job.md5 = Narrow(md5);
    job.url = Narrow(url) + "?" + job.md5;
    job.pagecallparam = Narrow(pagecallparam);
    const std::wstring moduleDir = GetModuleDir();
    job.zipPath = moduleDir + L"update.zip";
    job.runLaunch = true;

    // Defaults: the updater runs from <client>\temp\, and the job's folder is the one above the
    // client's folder.
    job.clientDic = Exists(extractpath) ? extractpath : CutAfterLast(CutBeforeLast(CutBeforeLast(moduleDir)));
    LOG(INFO) << "clientDic: " << Narrow(job.clientDic);

    if (Exists(clientexe)) {
        job.clientExePath = clientexe;
    } else {
        job.clientExePath = CutAfterLast(CutBeforeLast(moduleDir));
        std::string launchName;
        ConfigParser::Instance().GetValue("LaunchName", launchName);
        wchar_t wide[512];
        if (MbcsToWide936(launchName.c_str(), wide, 512)) job.clientExePath += wide;
    }
    LOG(INFO) << "clientExePath: " << Narrow(job.clientExePath);

    std::wstring address = url;
    if (address.compare(0, 7, L"http://") == 0) address.erase(0, 7);
    if (!address.empty()) {
        // Without any '/' there is no host to speak of: the host stays empty (never "connect to
        // nothing", which would reach this machine) and the whole text is the path.
        const size_t slash = address.find(L'/');
        if (slash == std::wstring::npos) {
            job.path = Narrow(address);
        } else {
            job.host = Narrow(address.substr(0, slash));
            job.path = Narrow(address.substr(slash));
        }
    }

    job.forcedupdate = ParseDecimal(forcedupdate);
    LOG(INFO) << "zipPath: " << Narrow(job.zipPath);
    LOG(INFO) << "zipMd5: " << job.md5;
    return job;
}
