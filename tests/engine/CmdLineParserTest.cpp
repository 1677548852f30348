// The updater's command-line splitting, case by case.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "CmdLineParser.h"

namespace {

using Map = std::map<std::wstring, std::wstring>;

Map Parse(const std::wstring& text) {
    CCmdLineParser parser(text.c_str());
    Map out;
    for (const wchar_t* key : {L"url", L"md5", L"a", L"a -b", L"abc", L"abc -p", L"p", L"q", L"b", L"x", L"k", L"",
                               L"forcedupdate", L"pagecallparam"}) {
        const auto it = parser.GetVal(key);
        if (it != parser.End()) out[it->first] = it->second;
    }
    return out;
}

struct Case {
    const wchar_t* text;
    Map expected;
};

TEST(CmdLineParser, SplitsItemsAsTheClientWritesThem) {
    const std::wstring tenK(10240, L'v');
    const Case cases[] = {
        {L"-url=a/b -md5=ABC", {{L"url", L"a/b"}, {L"md5", L"ABC"}}},
        {L"-URL=x", {{L"url", L"x"}}},
        {L"-a=1 -a=2", {{L"a", L"1"}}},
        {L"-a -b=1", {{L"a -b", L"1"}}},
        {L"-abc", {{L"abc", L""}}},
        {L"-abc -p=1", {{L"abc -p", L"1"}}},
        {L"-p=\"two words\" -q=1", {{L"p", L"two words"}, {L"q", L"1"}}},
        {L"-p=\"never closed -q=1", {{L"p", L"never closed -q=1"}}},
        {L"-url=a-b/x -md5=1", {{L"url", L"a-b/x"}, {L"md5", L"1"}}},
        {L"no dashes at all", {}},
        {L"", {}},
        {L"-", {}},
        {L"-=5 -b=2", {{L"b", L"2"}}},
        {L"-p=", {{L"p", L""}}},
        {L"-p= -q=1", {{L"p", L""}, {L"q", L"1"}}},
        {L"-k=a\tb -x=1", {{L"k", L"a\tb"}, {L"x", L"1"}}},
        {L"-q=\"\"", {{L"q", L""}}},
        {L"-url=http://h:8080/a/b.zip -md5=0aF", {{L"url", L"http://h:8080/a/b.zip"}, {L"md5", L"0aF"}}},
        {L"  -pagecallparam=\"-x=1 -y=2\" -forcedupdate=1",
         {{L"pagecallparam", L"-x=1 -y=2"}, {L"forcedupdate", L"1"}}},
        {L"-Md5=First -MD5=second", {{L"md5", L"First"}}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Parse(c.text), c.expected) << "command line: " << testing::PrintToString(std::wstring(c.text));
    }
}

TEST(CmdLineParser, LongValuesAndReparse) {
    const std::wstring big(10240, L'v');
    CCmdLineParser parser((L"-p=" + big + L" -q=\"" + big + L"\"").c_str());
    ASSERT_NE(parser.GetVal(L"p"), parser.End());
    EXPECT_EQ(parser.GetVal(L"p")->second, big);
    EXPECT_EQ(parser.Value(L"Q"), big);

    // Parsing again forgets the old items; null text changes nothing.
    parser.Parse(L"-r=1");
    EXPECT_EQ(parser.GetVal(L"p"), parser.End());
    EXPECT_EQ(parser.Value(L"r"), L"1");
    parser.Parse(nullptr);
    EXPECT_EQ(parser.Value(L"r"), L"1");

    CCmdLineParser empty(nullptr);
    EXPECT_EQ(empty.GetVal(L"url"), empty.End());
}

}  // namespace
