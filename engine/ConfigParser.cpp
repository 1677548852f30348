#include "ConfigParser.h"

#include <windows.h>
#include <shlwapi.h>

#include <cstdio>
#include <memory>

#include "Log.h"
#include "ModuleDir.h"
#include "TextConv.h"
#include "WinHandle.h"

namespace {

const wchar_t kConfigName[] = L"ProductConfig.xml";

std::string ToAnsi(const std::wstring& s) { return kesh::WStringToString(s); }

// Case-insensitive substring test for the ASCII language tags.
bool ContainsNoCase(const char* text, const char* tag) { return StrStrIA(text, tag) != nullptr; }

struct FileCloser {
    void operator()(FILE* f) const { fclose(f); }
};

}  // namespace

ConfigParser& ConfigParser::Instance() {
    static ConfigParser instance;  // thread-safe first-use construction
    return instance;
}

ConfigParser::ConfigParser() {
    LoadFile();
    ReadLanguage();
}

void ConfigParser::LoadFile() {
    // Work on the UTF-16 path: a code-page-936 folder name may hold a '\' as a trail byte.
    std::wstring dir = GetModuleDir();
    if (!dir.empty()) dir.pop_back();  // drop the trailing '\'
    std::wstring candidate = dir + L"\\" + kConfigName;
    if (GetFileAttributesW(candidate.c_str()) == INVALID_FILE_ATTRIBUTES) {
        const size_t slash = dir.rfind(L'\\');
        const std::wstring parent = slash == std::wstring::npos ? dir : dir.substr(0, slash);
        candidate = parent + L"\\" + kConfigName;
    }
    LOG(INFO) << "product config path: " << ToAnsi(candidate);

    int error = tinyxml2::XML_ERROR_FILE_NOT_FOUND;
    if (!dir.empty()) {
        std::unique_ptr<FILE, FileCloser> file(_wfopen(candidate.c_str(), L"rb"));
        if (file) error = doc_.LoadFile(file.get());
    }
    if (error != tinyxml2::XML_SUCCESS) {
        LOG(ERROR) << "Error when load [" << ToAnsi(candidate) << "] error[" << error << "]";
        return;
    }
    loaded = true;
}

void ConfigParser::ReadLanguage() {
    std::string name;
    GetValue("ProgName", name);
    if (name.size() >= 4) name.resize(name.size() - 4);  // drop ".exe"
    wchar_t wideName[128];
    if (!MbcsToWide936(name.c_str(), wideName, 128)) wideName[0] = L'\0';

    const std::wstring subkey = std::wstring(L"SOFTWARE\\") + wideName + L"\\Language";
    kesh::UniqueRegKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, subkey.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
        return;

    // Only a terminated string that fits the buffer is read; anything else leaves Chinese.
    char value[260] = {};
    DWORD type = 0;
    DWORD size = sizeof(value) - 1;
    if (RegQueryValueExA(key.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS)
        return;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return;
    if (size == 0 || memchr(value, '\0', size) == nullptr) return;

    if (ContainsNoCase(value, "zh-CN"))
        chineseUi = true;
    else if (ContainsNoCase(value, "en-US"))
        chineseUi = false;
}

bool ConfigParser::GetValue(const std::string& key, std::string& out) {
    if (!loaded) return false;
    const tinyxml2::XMLElement* root = doc_.FirstChildElement();
    if (root == nullptr) return false;
    const tinyxml2::XMLElement* item = root->FirstChildElement(key.c_str());
    if (item == nullptr) return false;
    const tinyxml2::XMLNode* first = item->FirstChild();
    const char* text = first != nullptr && first->ToText() != nullptr ? first->Value() : nullptr;
    char converted[512];
    if (Utf8ToAnsi(text, converted)) out = converted;
    return !out.empty();
}

namespace kesh {

std::string GetProgName() {
    std::string name;
    ConfigParser::Instance().GetValue("ProgName", name);
    return name;
}

}  // namespace kesh
