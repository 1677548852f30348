#include "ZipExtractTask.h"

#include <windows.h>

#include <boost/filesystem.hpp>

#include "Log.h"

// The unpacking library's one entry point: 0 means every entry was unpacked.
extern "C" int __cdecl ExtractZipToDir(const wchar_t* zipPath, const wchar_t* folder, int reserved);

namespace {
const DWORD kSettleMs = 500;  // lets the stopped client's files come free before they are replaced
}

ZipExtractTask::ZipExtractTask(const std::wstring& zipPath, const std::wstring& targetDir)
    : zipPath_(zipPath), targetDir_(targetDir) {}

bool ZipExtractTask::TryExtract() {
    try {
        boost::filesystem::create_directories(boost::filesystem::path(targetDir_));
    } catch (const std::exception&) {
        return false;
    }
    return Extract();
}

bool ZipExtractTask::Extract() {
    Sleep(kSettleMs);
    const int result = ExtractZipToDir(zipPath_.c_str(), targetDir_.c_str(), 0);
    // A failed unpack must reach the install flow, which retries and finally tells the user,
    // instead of announcing an update that is not in place.
    if (result != 0) {
        LOG(ERROR) << "extract zip failed. result[" << result << "]";
        return false;
    }
    return true;
}
