// The update job built from a command line, in this process (the defaults that depend on the
// program's folder are covered by ConfigParserTest with a copied probe).
#include <gtest/gtest.h>

#include "TestUtil.h"
#include "ModuleDir.h"
#include "ZipDwCfg.h"

namespace {

struct AddressCase {
    const wchar_t* url;
    const char* host;
    const char* path;
};

TEST(UpdateJob, SplitsTheDownloadAddress) {
    const AddressCase cases[] = {
        {L"http://h.example/a/b.zip", "h.example", "/a/b.zip"},
        {L"h.example/a/b.zip", "h.example", "/a/b.zip"},
        {L"http://127.0.0.1:8080/a/b.zip", "127.0.0.1:8080", "/a/b.zip"},
        {L"host:8080/a/b.zip", "host:8080", "/a/b.zip"},
        // Other schemes are kept as they are and can never be fetched.
        {L"https://h/x.zip", "https:", "//h/x.zip"},
        {L"HTTP://h/x.zip", "HTTP:", "//h/x.zip"},
        {L"ftp://h/x.zip", "ftp:", "//h/x.zip"},
        // No '/' at all: no host, so nothing is ever contacted.
        {L"http://hostonly", "", "hostonly"},
        {L"hostonly", "", "hostonly"},
        {L"/a/b.zip", "", "/a/b.zip"},
        {L"http:///a.zip", "", "/a.zip"},
        {L"http://", "", ""},
        {L"", "", ""},
        {L"x http://h/a", "x http:", "//h/a"},
    };
    for (const AddressCase& c : cases) {
        const ZipDwCfg job = parseZipConf((std::wstring(L"-url=\"") + c.url + L"\" -md5=abc").c_str());
        EXPECT_EQ(job.host, c.host) << testutil::Narrow(c.url);
        EXPECT_EQ(job.path, c.path) << testutil::Narrow(c.url);
    }
}

TEST(UpdateJob, FieldsFromTheCommandLine) {
    const ZipDwCfg job = parseZipConf(
        L"-url=http://h/u.zip -MD5=0123ABCdef -pagecallparam=\"page=1 user=2\" -forcedupdate=1");
    EXPECT_EQ(job.url, "http://h/u.zip?0123ABCdef");
    EXPECT_EQ(job.md5, "0123ABCdef");
    EXPECT_EQ(job.pagecallparam, "page=1 user=2");
    EXPECT_EQ(job.forcedupdate, 1);
    EXPECT_TRUE(job.runLaunch);
    EXPECT_EQ(job.zipPath, GetModuleDir() + L"update.zip");

    const ZipDwCfg empty = parseZipConf(L"");
    EXPECT_EQ(empty.url, "?");
    EXPECT_EQ(empty.md5, "");
    EXPECT_EQ(empty.forcedupdate, 0);
    EXPECT_TRUE(empty.runLaunch);

    const ZipDwCfg null = parseZipConf(nullptr);
    EXPECT_EQ(null.host, "");
}

TEST(UpdateJob, ForcedUpdateNumber) {
    const struct {
        const wchar_t* text;
        int expected;
    } cases[] = {
        {L"1", 1},        {L"0", 0},         {L"2", 2},          {L"+1", 1},
        {L"-1", -1},      {L"1abc", 1},      {L"abc", 0},        {L"", 0},
        {L"007", 7},      {L"2147483647", 2147483647},           {L"-2147483648", -2147483647 - 1},
        {L"2147483648", 0},                  {L"99999999999999999999999", 0},
        {L"-99999999999", 0},                {L"+", 0},          {L"- 1", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseDecimal(c.text), c.expected) << testutil::Narrow(c.text);
        const ZipDwCfg job = parseZipConf((std::wstring(L"-forcedupdate=") + c.text).c_str());
        EXPECT_EQ(job.forcedupdate, c.expected) << testutil::Narrow(c.text);
    }
    // Blanks before the number only survive when quoted on the command line.
    EXPECT_EQ(parseZipConf(L"-forcedupdate=\" 1\"").forcedupdate, 1);
    EXPECT_EQ(parseZipConf(L"-forcedupdate=\"\t 1\"").forcedupdate, 1);
    EXPECT_EQ(parseZipConf(L"-forcedupdate= 1").forcedupdate, 0);
}

TEST(UpdateJob, ExtractPathAndClientExeOnlyWhenTheyExist) {
    testutil::TempDir dir(L"job");
    const std::wstring exe = dir / L"run me.exe";
    ASSERT_TRUE(testutil::WriteBytes(exe, "MZ"));

    const ZipDwCfg given = parseZipConf(
        (L"-extractpath=\"" + dir.path() + L"\" -clientexe=\"" + exe + L"\"").c_str());
    EXPECT_EQ(given.clientDic, dir.path());
    EXPECT_EQ(given.clientExePath, exe);

    const ZipDwCfg missing = parseZipConf(
        (L"-extractpath=\"" + dir.path() + L"\\nope\" -clientexe=\"" + dir.path() + L"\\nope.exe\"").c_str());
    EXPECT_NE(missing.clientDic, dir.path() + L"\\nope");
    EXPECT_NE(missing.clientExePath, dir.path() + L"\\nope.exe");
    // Derived from this program's folder instead: it ends with a backslash.
    ASSERT_FALSE(missing.clientExePath.empty());
    EXPECT_EQ(missing.clientExePath.back(), L'\\');
}

}  // namespace
