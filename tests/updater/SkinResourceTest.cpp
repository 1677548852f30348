// The skin travels inside the program: resource "ZIPRES" 102 holds the six layouts and every
// image they name, and icon 101 is there for the windows' title bars.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>

#include "ChildProcess.h"
#include "TestUtil.h"

namespace {

// Names of the entries in a zip's central directory (enough for a sanity check of the packing).
std::set<std::string> EntryNames(const std::string& zip) {
    std::set<std::string> names;
    size_t pos = 0;
    while ((pos = zip.find("PK\x01\x02", pos)) != std::string::npos && pos + 46 <= zip.size()) {
        const unsigned char* p = reinterpret_cast<const unsigned char*>(zip.data() + pos);
        const size_t nameLen = p[28] | (p[29] << 8);
        if (pos + 46 + nameLen > zip.size()) break;
        names.insert(zip.substr(pos + 46, nameLen));
        pos += 46 + nameLen;
    }
    return names;
}

TEST(SkinResource, LayoutsImagesAndIconAreInTheProgram) {
    HMODULE exe = LoadLibraryExW(testutil::FromUnixPath(UPDATER_EXE).c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(exe, nullptr);
    HRSRC res = FindResourceW(exe, MAKEINTRESOURCEW(102), L"ZIPRES");
    ASSERT_NE(res, nullptr);
    const DWORD size = SizeofResource(exe, res);
    const char* data = static_cast<const char*>(LockResource(LoadResource(exe, res)));
    ASSERT_NE(data, nullptr);
    const std::string zip(data, size);
    EXPECT_EQ(zip.substr(0, 4), "PK\x03\x04");

    const std::set<std::string> names = EntryNames(zip);
    for (const char* layout : {"UpdaterWnd.xml", "TipsBoxWnd.xml", "LaunchWnd.xml", "UpdaterWnd_en.xml",
                               "TipsBoxWnd_en.xml", "LaunchWnd_en.xml"}) {
        EXPECT_EQ(names.count(layout), 1u) << layout;
    }
    // Every image a layout names is packed: the layouts are stored deflated, so look the names
    // up in the layout sources beside the skin instead of inside the zip.
    std::string all;
    for (const char* layout : {"UpdaterWnd", "TipsBoxWnd", "LaunchWnd"}) {
        for (const char* sfx : {"", "_en"}) {
            std::string text;
            ASSERT_TRUE(testutil::ReadBytes(
                testutil::FromUnixPath(SKIN_SOURCE_DIR) + L"\\" + testutil::Widen(std::string(layout) + sfx + ".xml"), text));
            all += text;
        }
    }
    const std::regex image("\"([A-Za-z0-9_]+\\.png)\"");
    int count = 0;
    for (auto it = std::sregex_iterator(all.begin(), all.end(), image); it != std::sregex_iterator(); ++it, ++count) {
        EXPECT_EQ(names.count((*it)[1].str()), 1u) << (*it)[1].str();
    }
    EXPECT_GT(count, 30);

    EXPECT_NE(FindResourceW(exe, MAKEINTRESOURCEW(101), reinterpret_cast<LPCWSTR>(RT_GROUP_ICON)), nullptr);
    FreeLibrary(exe);
}

}  // namespace
