// One update job: what to download, how to check it, where to unpack it and what to start.
#pragma once
#include <cstdint>
#include <string>

struct ZipDwCfg {
    std::string url;            // "url" + "?" + "md5"; informational only, never sent
    std::wstring zipPath;       // GetModuleDir() + "update.zip"
    std::string md5;            // expected digest, letter case as given
    std::wstring clientDic;     // folder the zip is extracted into
    std::wstring clientExePath; // program started after the install
    bool runLaunch = false;
    std::string host;           // host of the download address, with ":port" when given
    std::string path;           // path of the download address, beginning with '/'
    std::string pagecallparam;  // parameter text for the started program
    int32_t forcedupdate = 0;   // 1 = forced update
};

// Builds the job from the command line (without the program name), filling what it leaves out
// from the updater's folder and the product configuration. Never fails.
ZipDwCfg parseZipConf(const wchar_t* cmdLine);

// Reads a decimal number the way the job's "forcedupdate" value is read: leading blanks and a
// sign allowed, reading stops at the first non-digit; empty, non-numeric or out-of-range text
// gives 0.
int32_t ParseDecimal(const std::wstring& text);
