// Loading a layout document from the skin: a file under the skin folder or an entry of the
// skin zip.
#include <cstdlib>

#include "UIString.h"
#include "WinHandle.h"
#include "WindowManagerUI.h"
#include "XmlReader.h"
#include "ZipReader.h"

namespace Veneer {

namespace {

// The document's bytes, freed on every way out of a load.
struct TDocumentBytes {
    BYTE* data = nullptr;
    ~TDocumentBytes() { free(data); }
};

// The skin zip for one load: the archive the window manager keeps open, or one opened here and
// closed again when the load ends.
struct TSkinArchive {
    TZipArchive* archive = nullptr;
    bool ownsArchive = false;
    ~TSkinArchive() {
        if (ownsArchive) CloseZipArchive(archive);
    }
};

}  // namespace

bool CXmlReader::LoadXmlFile(const wchar_t* name, int encoding) {
    Release();
    if (name == nullptr) return Fail(L"Error opening file", nullptr);
    TDocumentBytes bytes;
    DWORD size = 0;

    if (CWindowManagerUI::GetSkinZipName().IsEmpty()) {
        CUIString path = CWindowManagerUI::GetSkinRoot();
        path += name;
        kesh::UniqueFile file(CreateFileW(path.GetData(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return Fail(L"Error opening file", nullptr);
        LARGE_INTEGER length{};
        if (!GetFileSizeEx(file.get(), &length)) return Fail(L"Could not read file", nullptr);
        if (length.QuadPart == 0) return Fail(L"File is empty", nullptr);
        if (length.QuadPart > kMaxDocumentBytes) return Fail(L"File too large", nullptr);
        size = static_cast<DWORD>(length.QuadPart);
        bytes.data = static_cast<BYTE*>(malloc(size));
        DWORD read = 0;
        if (bytes.data == nullptr || !ReadFile(file.get(), bytes.data, size, &read, nullptr) || read < size) {
            return Fail(L"Could not read file", nullptr);
        }
    } else {
        TSkinArchive skin;
        skin.archive = CWindowManagerUI::GetZipHandle();
        if (skin.archive == nullptr) {
            CUIString path = CWindowManagerUI::GetSkinRoot();
            path += CWindowManagerUI::GetSkinZipName().GetData();
            skin.archive = OpenZipArchive(path.GetData(), 0, kZipFromFile);
            skin.ownsArchive = true;
            if (skin.archive == nullptr) return Fail(L"Error opening zip file", nullptr);
        }
        int index = -1;
        TZipEntryInfo info{};
        if (FindZipEntry(skin.archive, name, true, &index, &info) != kZipOk) {
            return Fail(L"Could not find ziped file", nullptr);
        }
        if (info.uncompressedSize == 0) return Fail(L"File is empty", nullptr);
        if (info.uncompressedSize > kMaxDocumentBytes) return Fail(L"File too large", nullptr);
        size = info.uncompressedSize;
        bytes.data = static_cast<BYTE*>(malloc(size));
        if (bytes.data == nullptr) return Fail(L"Could not unzip file", nullptr);
        const int rc = ExtractZipEntry(skin.archive, index, bytes.data, size, kZipToMemory);
        if (rc != kZipOk && rc != kZipMoreData) return Fail(L"Could not unzip file", nullptr);
    }
    return LoadXmlBuffer(bytes.data, size, encoding);
}

}  // namespace Veneer
