// The product configuration ("ProductConfig.xml" beside the updater or in its parent folder) and
// the user-interface language the client keeps in the registry. One instance per process.
#pragma once
#include <tinyxml2.h>

#include <string>

using TinyXMLDocument = tinyxml2::XMLDocument;

class ConfigParser {
public:
    // Built on the first call, by whichever thread comes first; later callers wait for it.
    static ConfigParser& Instance();

    // The text of the root element's first child element named key, in the narrow code page.
    // False (out untouched) when the file was not loaded, the key is missing or has no text,
    // or the value does not fit the converter's 511 bytes.
    bool GetValue(const std::string& key, std::string& out);

    bool loaded = false;
    bool chineseUi = true;  // false: English

    ConfigParser(const ConfigParser&) = delete;
    ConfigParser& operator=(const ConfigParser&) = delete;

private:
    ConfigParser();
    void LoadFile();
    void ReadLanguage();

    TinyXMLDocument doc_;
};

namespace kesh {
// The configured client image name ("ProgName"), empty when missing.
std::string GetProgName();
}  // namespace kesh
