// "ProductConfig.xml" and the language value as a freshly started updater reads them: each case
// copies the probe program into a folder tree of its own and runs it as a new process.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <sstream>

#include "TestUtil.h"

namespace {

using testutil::TempDir;

const char kGoodConfig[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<Product>\n  <ProgName>lumora.exe</ProgName>\n  <LaunchName>lumoraLaunch.exe</LaunchName>\n"
    "  <CacheName>lumoraCache</CacheName>\n</Product>\n";

std::string Hex(const std::string& s) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : s) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

struct ProbeOutput {
    std::map<std::string, std::string> values;  // "key" -> text after '='
    std::string log;                           // the "LOG ..." lines
    std::string raw;
};

// Copies the probe to exeDir\Updater.exe and runs it with the given arguments.
ProbeOutput RunProbe(const std::wstring& exeDir, const std::wstring& args = L"") {
    testutil::MakeDirs(exeDir);
    const std::wstring exe = exeDir + L"\\Updater.exe";
    EXPECT_TRUE(testutil::CopyTo(testutil::SelfDir() + L"\\" + CONFIG_PROBE_NAME, exe));
    const testutil::RunResult run = testutil::Run(exe, args);
    EXPECT_TRUE(run.started);
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    ProbeOutput out;
    out.raw = run.output;
    std::istringstream lines(run.output);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("LOG ", 0) == 0) {
            out.log += line + "\n";
            continue;
        }
        const size_t eq = line.find('=');
        if (eq != std::string::npos) out.values[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return out;
}

// "1:<hex>" for a value that was found, "0:" for one that was not.
std::string Found(const std::string& text) { return "1:" + Hex(text); }
const char kMissing[] = "0:";

TEST(ProductConfig, FoundBesideTheProgramOrInItsParent) {
    TempDir root(L"cfg");
    // Beside the program wins over the parent folder.
    ASSERT_TRUE(testutil::MakeDirs(root / L"beside\\temp"));
    ASSERT_TRUE(testutil::WriteBytes(root / L"beside\\temp\\ProductConfig.xml", kGoodConfig));
    ASSERT_TRUE(testutil::WriteBytes(root / L"beside\\ProductConfig.xml", "<P><ProgName>other.exe</ProgName></P>"));
    ProbeOutput beside = RunProbe(root / L"beside\\temp");
    EXPECT_EQ(beside.values["loaded"], "1");
    EXPECT_EQ(beside.values["ProgName"], Found("lumora.exe"));
    EXPECT_EQ(beside.values["LaunchName"], Found("lumoraLaunch.exe"));
    EXPECT_EQ(beside.values["CacheName"], Found("lumoraCache"));
    EXPECT_NE(beside.log.find("LOG INFO product config path: " + testutil::Narrow(root / L"beside\\temp\\ProductConfig.xml")),
              std::string::npos)
        << beside.log;

    ASSERT_TRUE(testutil::MakeDirs(root / L"parent\\temp"));
    ASSERT_TRUE(testutil::WriteBytes(root / L"parent\\ProductConfig.xml", kGoodConfig));
    ProbeOutput parent = RunProbe(root / L"parent\\temp");
    EXPECT_EQ(parent.values["loaded"], "1");
    EXPECT_EQ(parent.values["CacheName"], Found("lumoraCache"));

    // In neither: the parent-folder candidate is logged, the load fails, every key is missing.
    ProbeOutput neither = RunProbe(root / L"neither\\temp");
    EXPECT_EQ(neither.values["loaded"], "0");
    EXPECT_EQ(neither.values["ProgName"], kMissing);
    EXPECT_EQ(neither.values["chinese"], "1");
    const std::string parentPath = testutil::Narrow(root / L"neither\\ProductConfig.xml");
    EXPECT_NE(neither.log.find("LOG INFO product config path: " + parentPath), std::string::npos) << neither.log;
    EXPECT_NE(neither.log.find("LOG ERROR Error when load [" + parentPath + "] error[3]"), std::string::npos)
        << neither.log;

    // A folder name in Chinese characters: the path is handled in UTF-16 throughout.
    const std::wstring cjk = root / L"\x5ba2\x6237\x7aef\\temp";
    ASSERT_TRUE(testutil::MakeDirs(cjk));
    ASSERT_TRUE(testutil::WriteBytes(cjk + L"\\ProductConfig.xml", kGoodConfig));
    EXPECT_EQ(RunProbe(cjk).values["ProgName"], Found("lumora.exe"));
}

TEST(ProductConfig, DocumentShapes) {
    struct Case {
        const char* name;
        std::string xml;
        const char* loaded;
        std::string progName;
        std::string launchName;
    };
    const std::string longValue(600, 'x');
    const Case cases[] = {
        {"malformed", "<Product><ProgName>lumora.exe</Product>", "0", kMissing, kMissing},
        {"empty file", "", "0", kMissing, kMissing},
        {"bom and comment before the root",
         "\xEF\xBB\xBF<?xml version=\"1.0\"?><!-- made by hand --><Product><ProgName>a.exe</ProgName>"
         "<LaunchName>b.exe</LaunchName></Product>",
         "1", Found("a.exe"), Found("b.exe")},
        {"key only under a second root", "<A><ProgName>a.exe</ProgName></A><B><LaunchName>b.exe</LaunchName></B>",
         "1", Found("a.exe"), kMissing},
        {"empty and self-closed elements", "<P><ProgName></ProgName><LaunchName/></P>", "1", kMissing, kMissing},
        {"element child before text", "<P><ProgName><x/>a.exe</ProgName></P>", "1", kMissing, kMissing},
        {"first of two wins", "<P><ProgName>first.exe</ProgName><ProgName>second.exe</ProgName></P>", "1",
         Found("first.exe"), kMissing},
        {"names are case-sensitive", "<P><progname>a.exe</progname></P>", "1", kMissing, kMissing},
        {"value that does not fit", "<P><ProgName>" + longValue + "</ProgName><LaunchName>ok.exe</LaunchName></P>",
         "1", kMissing, Found("ok.exe")},
        {"entity and blanks kept", "<P><ProgName> a&amp;b.exe </ProgName></P>", "1", Found(" a&b.exe "), kMissing},
    };
    TempDir root(L"shape");
    int n = 0;
    for (const Case& c : cases) {
        const std::wstring dir = root / (L"c" + std::to_wstring(n++));
        ASSERT_TRUE(testutil::MakeDirs(dir));
        ASSERT_TRUE(testutil::WriteBytes(dir + L"\\ProductConfig.xml", c.xml));
        ProbeOutput out = RunProbe(dir);
        EXPECT_EQ(out.values["loaded"], c.loaded) << c.name << "\n" << out.raw;
        EXPECT_EQ(out.values["ProgName"], c.progName) << c.name;
        EXPECT_EQ(out.values["LaunchName"], c.launchName) << c.name;
        if (std::string(c.loaded) == "0") {
            EXPECT_NE(out.log.find("LOG ERROR Error when load ["), std::string::npos) << c.name << out.log;
        }
    }
}

TEST(ProductConfig, NonAsciiValueInTheAnsiCodePage) {
    TempDir root(L"utf8");
    // "caf\u00e9.exe" in UTF-8; its ANSI form depends on the code page the child runs with.
    ASSERT_TRUE(testutil::WriteBytes(root / L"ProductConfig.xml", "<P><ProgName>caf\xC3\xA9.exe</ProgName></P>"));
    ProbeOutput out = RunProbe(root.path());
    const std::string acp = out.values["acp"];
    if (acp == "1252") {
        EXPECT_EQ(out.values["ProgName"], Found("caf\xE9.exe"));
    } else if (acp == "65001") {
        EXPECT_EQ(out.values["ProgName"], Found("caf\xC3\xA9.exe"));
    } else {
        EXPECT_EQ(out.values["ProgName"].substr(0, 2), "1:") << "code page " << acp;
    }
}

struct LangCase {
    const char* what;
    int kind;  // 0 string, 1 no key, 2 REG_DWORD, 3 binary without terminator
    std::wstring value;
    const char* chinese;
};

TEST(ProductConfig, LanguageFromTheRegistry) {
    const LangCase cases[] = {
        {"zh-CN", 0, L"zh-CN", "1"},
        {"en-US", 0, L"en-US", "0"},
        {"other letter case", 0, L"EN-us", "0"},
        {"inside a longer text", 0, L"lang=en-US;", "0"},
        {"both names", 0, L"en-US,zh-CN", "1"},
        {"neither name", 0, L"fr-FR", "1"},
        {"empty value", 0, L"", "1"},
        {"no key", 1, L"", "1"},
        {"a number", 2, L"", "1"},
        {"bytes without a terminator", 3, L"", "1"},
        {"longer than the buffer", 0, std::wstring(300, L'x') + L"en-US", "1"},
    };
    TempDir root(L"lang");
    int n = 0;
    for (const LangCase& c : cases) {
        const std::wstring prod = L"toluLang" + std::to_wstring(GetCurrentProcessId()) + L"x" + std::to_wstring(n);
        const std::wstring dir = root / (L"c" + std::to_wstring(n++));
        ASSERT_TRUE(testutil::MakeDirs(dir));
        ASSERT_TRUE(testutil::WriteBytes(dir + L"\\ProductConfig.xml",
                                         "<P><ProgName>" + testutil::Narrow(prod) + ".exe</ProgName></P>"));
        std::unique_ptr<testutil::ScopedUserKey> key;
        if (c.kind != 1) key.reset(new testutil::ScopedUserKey(L"SOFTWARE\\" + prod + L"\\Language"));
        if (c.kind == 0) {
            ASSERT_TRUE(key->SetString(nullptr, c.value));
        }
        if (c.kind == 2) {
            DWORD v = 1;
            ASSERT_TRUE(key->SetRaw(nullptr, REG_DWORD, &v, sizeof(v)));
        }
        if (c.kind == 3) {
            ASSERT_TRUE(key->SetRaw(nullptr, REG_SZ, "en-US", 5));
        }
        EXPECT_EQ(RunProbe(dir).values["chinese"], c.chinese) << c.what;
    }
}

TEST(ProductConfig, LanguageKeyNameFromProgName) {
    // "ab.exe" reads SOFTWARE\ab\Language; a name shorter than ".exe" is used whole.
    TempDir root(L"langname");
    const std::wstring tag = std::to_wstring(GetCurrentProcessId() % 100);
    const struct {
        std::string progName;
        std::wstring keyName;
    } cases[] = {{"q" + testutil::Narrow(tag) + ".exe", L"q" + tag}, {"z" + testutil::Narrow(tag), L"z" + tag}};
    int n = 0;
    for (const auto& c : cases) {
        const std::wstring dir = root / (L"c" + std::to_wstring(n++));
        ASSERT_TRUE(testutil::MakeDirs(dir));
        ASSERT_TRUE(testutil::WriteBytes(dir + L"\\ProductConfig.xml", "<P><ProgName>" + c.progName + "</ProgName></P>"));
        testutil::ScopedUserKey key(L"SOFTWARE\\" + c.keyName + L"\\Language");
        ASSERT_TRUE(key.SetString(nullptr, L"en-US"));
        EXPECT_EQ(RunProbe(dir).values["chinese"], "0") << c.progName;
    }
}

TEST(UpdateJobDefaults, DerivedFromTheUpdaterFolder) {
    TempDir root(L"tree");
    const std::wstring client = root / L"P\\Client";
    ASSERT_TRUE(testutil::MakeDirs(client + L"\\temp"));
    ASSERT_TRUE(testutil::WriteBytes(client + L"\\ProductConfig.xml", kGoodConfig));
    ProbeOutput out = RunProbe(client + L"\\temp", L"job \"-url=http://h/u.zip -md5=00\"");
    EXPECT_EQ(out.values["zipPath"], testutil::Narrow(client + L"\\temp\\update.zip"));
    EXPECT_EQ(out.values["clientDic"], testutil::Narrow(root / L"P\\"));
    EXPECT_EQ(out.values["clientExePath"], testutil::Narrow(client + L"\\lumoraLaunch.exe"));
    EXPECT_NE(out.log.find("LOG INFO cmdline: -url=http://h/u.zip -md5=00"), std::string::npos) << out.log;
    EXPECT_NE(out.log.find("LOG INFO zipMd5: 00"), std::string::npos) << out.log;

    // Without "LaunchName" only the folder remains.
    const std::wstring bare = root / L"Q\\Client";
    ProbeOutput noName = RunProbe(bare + L"\\temp", L"job \"\"");
    EXPECT_EQ(noName.values["clientExePath"], testutil::Narrow(bare + L"\\"));
}

}  // namespace
