// Unpacks the verified update archive into the client's folder for a forced update, through the
// unpacking library "zlib.dll" that ships beside the updater.
#pragma once
#include <string>

class ZipExtractTask {
public:
    ZipExtractTask(const std::wstring& zipPath, const std::wstring& targetDir);

    // Makes the target folder with its missing parents, then unpacks. False when the folder
    // cannot be made or the unpacking fails; the install flow then tries again.
    bool TryExtract();
    // Unpacks into the target folder; true only when every entry was unpacked.
    bool Extract();

private:
    std::wstring zipPath_;
    std::wstring targetDir_;
};
