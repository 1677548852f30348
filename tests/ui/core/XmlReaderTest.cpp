// The layout document reader: encodings, the element tree, attributes, the exact error texts,
// and damaged input read from memory that ends at an inaccessible page.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CoreTestUtil.h"
#include "TestUtil.h"
#include "WindowManagerUI.h"
#include "XmlReader.h"

using Veneer::CXmlNode;
using Veneer::CXmlReader;
using coretest::GuardedBytes;

namespace {

// name(attr=value,...)[children] for the whole tree below a node and its siblings.
std::wstring Dump(CXmlNode node) {
    std::wstring out;
    for (bool first = true; node.IsValid(); node = node.GetSibling(), first = false) {
        if (!first) out += L",";
        out += node.GetName();
        const int n = node.GetAttributeCount();
        if (n > 0) {
            out += L"(";
            for (int i = 0; i < n; ++i) {
                out += std::wstring(i ? L"," : L"") + node.GetAttributeName(i) + L"=" + node.GetAttributeValue(i);
            }
            out += L")";
        }
        if (node.HasChildren()) out += L"[" + Dump(node.GetChild()) + L"]";
    }
    return out;
}

std::string Utf8(const std::wstring& s) { return testutil::Narrow(s); }

std::string Utf16(const std::wstring& s, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (wchar_t c : s) {
        const char hi = static_cast<char>(c >> 8), lo = static_cast<char>(c & 0xFF);
        out += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
    }
    return out;
}

bool LoadGuarded(CXmlReader& reader, const std::string& bytes, int encoding) {
    GuardedBytes mem(bytes);
    return reader.LoadXmlBuffer(static_cast<const BYTE*>(mem.data()), mem.size(), encoding);
}

TEST(XmlReader, EveryEncodingGivesTheSameTree) {
    const std::wstring doc =
        L"<?xml version=\"1.0\"?>\n<Window size=\"400,300\" caption=\"0,0,0,30\">\n"
        L"  <Label name=\"t\" text=\"\u4E2D\u6587 \u00FC &amp; \U0001F600\"/>\n  <Button text=\"ok\" />\n</Window>";
    const std::wstring want = L"Window(size=400,300,caption=0,0,0,30)[Label(name=t,text=\u4E2D\u6587 \u00FC & \U0001F600),Button(text=ok)]";
    struct Case {
        const char* what;
        std::string bytes;
        int encoding;
    } cases[] = {
        {"utf-8", Utf8(doc), CXmlReader::kUtf8},
        {"utf-8 with mark", "\xEF\xBB\xBF" + Utf8(doc), CXmlReader::kUtf8},
        {"utf-16 little-endian", Utf16(doc, false), CXmlReader::kUtf16},
        {"utf-16 big-endian (read-only input)", Utf16(doc, true), CXmlReader::kUtf16},
    };
    for (const Case& c : cases) {
        CXmlReader reader;
        ASSERT_TRUE(LoadGuarded(reader, c.bytes, c.encoding)) << c.what << ": " << Utf8(reader.GetLastErrorMessage());
        EXPECT_EQ(Dump(reader.GetRoot()), want) << c.what;
    }
    CXmlReader ansi;
    ASSERT_TRUE(LoadGuarded(ansi, "<a b=\"plain\"/>", CXmlReader::kAnsi));
    EXPECT_EQ(Dump(ansi.GetRoot()), L"a(b=plain)");

    // UTF-16 needs its mark; odd trailing bytes are dropped.
    for (const std::string& bad : {std::string("<\0a\0/\0>\0", 8), std::string("\xFF"), std::string()}) {
        CXmlReader reader;
        EXPECT_FALSE(LoadGuarded(reader, bad, CXmlReader::kUtf16));
        EXPECT_FALSE(reader.GetRoot().IsValid());
    }
    CXmlReader odd;
    EXPECT_TRUE(LoadGuarded(odd, Utf16(L"<a/>", false) + "x", CXmlReader::kUtf16));
    EXPECT_EQ(Dump(odd.GetRoot()), L"a");
    CXmlReader unknown;
    EXPECT_FALSE(LoadGuarded(unknown, "<a/>", 7));
}

struct ParseCase {
    const wchar_t* text;
    const wchar_t* tree;   // expected tree, or null when the load fails
    const wchar_t* error;  // expected error text when it fails
};

TEST(XmlReader, TreesAndErrorTexts) {
    const ParseCase cases[] = {
        // Empty-element tags close themselves, with or without a space before the slash.
        {L"<r><a/><b/></r>", L"r[a,b]"},
        {L"<r><a /><b x=\"1\" /><c x=\"2\"/></r>", L"r[a,b(x=1),c(x=2)]"},
        {L"<r><a></a><b>text</b></r>", L"r[a,b]"},
        {L"<?xml version=\"1.0\"?><!-- lead --><r><!-- x --><a/><!-- y --><b/></r><!-- tail -->", L"r[a,b]"},
        {L"<r>\r\n\t<a   b = \"1\"   c=\"2\" >t</a>\n</r>", L"r[a(b=1,c=2)]"},
        {L"<a b=\"1\"c=\"2\"/>", L"a(b=1,c=2)"},
        {L"<a x=\"x &amp; y\"/>", L"a(x=x & y)"},
        {L"<a v=\"&lt;&gt;&quot;&apos;&amp;&amp;x &bogus; &\"/>", L"a(v=<>\"'&&x &bogus; &)"},
        {L"<a v=\"\"/>", L"a(v=)"},
        // Quotes inside an element's text are data, not attributes.
        {L"<r><a x=\"1\">\" y=\"2\"</a></r>", L"r[a(x=1)]"},
        // The end of the text closes the root and its children, nothing deeper.
        {L"<r>", L"r"},
        {L"<r><c>", L"r[c]"},
        {L"<r><c>text", L"r[c]"},
        {L"<r><c><g>", nullptr, L"Expected end-tag start"},
        {L"<r><c><g/>", nullptr, L"Expected start tag"},
        {L"<r/></stray> ignored <x", L"r"},
        {L"<a x='y'/>", nullptr, L"Expected attribute value"},
        {L"<a x/>", nullptr, L"Error while parsing attributes"},
        {L"<a x=\"open/>", nullptr, L"Error while parsing attribute string"},
        {L"<r><b></c></r>", nullptr, L"Unmatched closing tag"},
        {L"<r><b></b </r>", nullptr, L"Unmatched closing tag"},
        {L"<r><a/>text</r>", nullptr, L"Expected start tag"},
        {L"text", nullptr, L"Expected start tag"},
        {L"<abc", nullptr, L"Error parsing element name"},
        {L"<a/ >", nullptr, L"Expected start-tag closing"},
        {L"<a b=\"1\" x>", nullptr, L"Error while parsing attributes"},
    };
    for (const ParseCase& c : cases) {
        CXmlReader reader;
        const bool ok = reader.LoadXmlText(c.text);
        EXPECT_EQ(ok, c.tree != nullptr) << Utf8(c.text) << ": " << Utf8(reader.GetLastErrorMessage());
        if (c.tree) {
            EXPECT_EQ(Dump(reader.GetRoot()), c.tree) << Utf8(c.text);
        } else {
            EXPECT_STREQ(reader.GetLastErrorMessage(), c.error) << Utf8(c.text);
            EXPECT_FALSE(reader.GetRoot().IsValid());
        }
    }
    // Documents without elements load but have no root.
    for (const wchar_t* text : {L"", L"  \r\n ", L"<!-- only a comment -->", L"<?xml version=\"1.0\"?>"}) {
        CXmlReader reader;
        EXPECT_TRUE(reader.LoadXmlText(text)) << Utf8(text);
        EXPECT_FALSE(reader.GetRoot().IsValid()) << Utf8(text);
        EXPECT_EQ(reader.GetRoot().GetName(), nullptr);
    }
}

TEST(XmlReader, AttributesByIndexAndName) {
    std::wstring doc = L"<a";
    for (int i = 0; i < 70; ++i) doc += L" n" + std::to_wstring(i) + L"=\"v" + std::to_wstring(i) + L"\"";
    doc += L" Name=\"upper\" name=\"lower\"/>";
    CXmlReader reader;
    ASSERT_TRUE(reader.LoadXmlText(doc.c_str()));
    CXmlNode a = reader.GetRoot();
    EXPECT_EQ(a.GetAttributeCount(), 64);
    EXPECT_STREQ(a.GetAttributeName(63), L"n63");
    EXPECT_STREQ(a.GetAttributeValue(63), L"v63");
    EXPECT_STREQ(a.GetAttributeName(64), L"");
    EXPECT_STREQ(a.GetAttributeValue(-1), L"");
    wchar_t buf[8];
    EXPECT_FALSE(a.GetAttributeValue(L"name", buf, 8));  // beyond the 64 visible ones

    CXmlReader small(L"<a Name=\"upper\" long=\"abcdefghij\"/>");
    CXmlNode n = small.GetRoot();
    EXPECT_FALSE(n.GetAttributeValue(L"name", buf, 8));
    ASSERT_TRUE(n.GetAttributeValue(L"Name", buf, 8));
    EXPECT_STREQ(buf, L"upper");
    EXPECT_EQ(buf[7], L'\0');
    // A value longer than the buffer is cut and still terminated; nothing is written past it.
    wchar_t guard[6] = {L'#', L'#', L'#', L'#', L'#', L'#'};
    ASSERT_TRUE(n.GetAttributeValue(L"long", guard, 4));
    EXPECT_STREQ(guard, L"abc");
    EXPECT_EQ(guard[4], L'#');

    CXmlNode invalid;
    EXPECT_EQ(invalid.GetName(), nullptr);
    EXPECT_EQ(invalid.GetAttributeName(0), nullptr);
    EXPECT_EQ(invalid.GetAttributeValue(0), nullptr);
    EXPECT_EQ(invalid.GetAttributeCount(), 0);
    EXPECT_FALSE(invalid.HasChildren());
    EXPECT_FALSE(invalid.GetChild().IsValid());
    EXPECT_FALSE(invalid.GetAttributeValue(L"x", buf, 8));
}

std::wstring Nested(int depth) {
    std::wstring s;
    for (int i = 0; i < depth; ++i) s += L"<e>";
    for (int i = 0; i < depth; ++i) s += L"</e>";
    return s;
}

TEST(XmlReader, NestingDepthIsCapped) {
    CXmlReader ok;
    ASSERT_TRUE(ok.LoadXmlText(Nested(CXmlReader::kMaxDepth).c_str()));
    int depth = 0;
    for (CXmlNode n = ok.GetRoot(); n.IsValid(); n = n.GetChild()) ++depth;
    EXPECT_EQ(depth, CXmlReader::kMaxDepth);
    for (int levels : {CXmlReader::kMaxDepth + 1, 200000}) {
        CXmlReader deep;
        EXPECT_FALSE(deep.LoadXmlText(Nested(levels).c_str()));
        EXPECT_STREQ(deep.GetLastErrorMessage(), L"Elements nested too deeply");
    }
}

TEST(XmlReader, ErrorLocationIsKeptAndBounded) {
    CXmlReader reader;
    const std::wstring tail(200, L'z');
    ASSERT_FALSE(reader.LoadXmlText((L"<r><a/>" + tail).c_str()));
    EXPECT_STREQ(reader.GetLastErrorMessage(), L"Expected start tag");
    EXPECT_EQ(std::wstring(reader.GetLastErrorLocation()), tail.substr(0, 49));
    EXPECT_FALSE(reader.GetRoot().IsValid());
    // A later good load clears both.
    ASSERT_TRUE(reader.LoadXmlText(L"<r/>"));
    EXPECT_STREQ(reader.GetLastErrorMessage(), L"");
    EXPECT_STREQ(reader.GetLastErrorLocation(), L"");
}

std::string LayoutRow(int i) {
    return "  <HorizontalLayout height=\"24\"><Label name=\"l" + std::to_string(i) + "\" text=\"row &amp; &lt;" +
           std::to_string(i) + "&gt;\" textcolor=\"#FF102030\"/><Button text=\"go\" /></HorizontalLayout>\n";
}

const char kLayoutHead[] = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Window size=\"640,480\">\n <VerticalLayout>\n";
const char kLayoutTail[] = " </VerticalLayout>\n</Window>\n";

std::string SampleLayout(int rows) {
    std::string s = kLayoutHead;
    for (int i = 0; i < rows; ++i) s += LayoutRow(i);
    return s + kLayoutTail;
}

// A layout of exactly `bytes` bytes (rows, then blank padding).
std::string LayoutOfSize(size_t bytes) {
    std::string s = kLayoutHead;
    for (int i = 0; s.size() + LayoutRow(i).size() + sizeof(kLayoutTail) < bytes; ++i) s += LayoutRow(i);
    s += kLayoutTail;
    s.resize(bytes, ' ');
    return s;
}

// Every cut of a document, read from memory that ends at an inaccessible page, loads or fails
// with one of the parser's texts; the cut inside a grandchild never loads.
TEST(XmlReader, TruncationAtEveryPointIsSafe) {
    const std::string doc = SampleLayout(3);
    const std::vector<std::wstring> known = {L"Expected start tag", L"Error parsing element name",
                                             L"Expected start-tag closing", L"Expected end-tag start",
                                             L"Unmatched closing tag", L"Error while parsing attributes",
                                             L"Expected attribute value", L"Error while parsing attribute string"};
    for (size_t cut = 0; cut <= doc.size(); ++cut) {
        CXmlReader reader;
        if (LoadGuarded(reader, doc.substr(0, cut), CXmlReader::kUtf8)) {
            Dump(reader.GetRoot());
            continue;
        }
        const std::wstring error = reader.GetLastErrorMessage();
        EXPECT_NE(std::find(known.begin(), known.end(), error), known.end()) << cut << " " << Utf8(error);
    }
    CXmlReader inside;
    EXPECT_FALSE(inside.LoadXmlText(L"<Window><VerticalLayout><HorizontalLayout><Label text=\"x\"/>"));
}

TEST(XmlReader, FourMebibyteDocument) {
    const std::string body = LayoutOfSize(4u << 20);
    CXmlReader reader;
    ASSERT_TRUE(LoadGuarded(reader, body, CXmlReader::kUtf8)) << Utf8(reader.GetLastErrorMessage());
    int rows = 0;
    for (CXmlNode n = reader.GetRoot().GetChild().GetChild(); n.IsValid(); n = n.GetSibling()) ++rows;
    EXPECT_GT(rows, 20000);
}

struct FileCase {
    const wchar_t* name;
    int encoding;
    const wchar_t* error;  // null: loads
};

void ExpectLoads(const std::vector<FileCase>& cases, const char* where) {
    for (const FileCase& c : cases) {
        CXmlReader reader;
        const bool ok = reader.LoadXmlFile(c.name, c.encoding);
        EXPECT_EQ(ok, c.error == nullptr) << where << " " << Utf8(c.name) << ": " << Utf8(reader.GetLastErrorMessage());
        if (c.error) {
            EXPECT_STREQ(reader.GetLastErrorMessage(), c.error) << where << " " << Utf8(c.name);
        } else {
            EXPECT_STREQ(reader.GetRoot().GetName(), L"Window") << where << " " << Utf8(c.name);
        }
    }
}

TEST(XmlReader, LoadsSkinFilesFromTheFolderAndTheZip) {
    using Veneer::CWindowManagerUI;
    testutil::TempDir dir(L"skin");
    const std::string exact = LayoutOfSize(4u << 20), over = LayoutOfSize((4u << 20) + 1);
    const std::string be = Utf16(testutil::Widen(SampleLayout(2)), true);
    ASSERT_TRUE(testutil::WriteBytes(dir / L"exact.xml", exact));
    ASSERT_TRUE(testutil::WriteBytes(dir / L"over.xml", over));
    ASSERT_TRUE(testutil::WriteBytes(dir / L"empty.xml", ""));
    ASSERT_TRUE(testutil::WriteBytes(dir / L"be.xml", be));

    coretest::ZipItem bad{"bad.xml", SampleLayout(50)};
    coretest::ZipImage zip = coretest::BuildZip({{"skin/main.xml", SampleLayout(3)}, {"empty.xml", "", 0},
                                                 {"over.xml", over}, {"exact.xml", exact}, bad});
    coretest::Put32(zip.bytes, zip.central[4] + 16, 1);  // checksum of bad.xml
    coretest::Put32(zip.bytes, zip.local[4] + 14, 1);
    ASSERT_TRUE(testutil::WriteBytes(dir / L"skin.zip", zip.bytes));

    CWindowManagerUI::SetSkinRoot(dir.path().c_str());
    CWindowManagerUI::SetSkinZip(L"", false);
    ExpectLoads({{L"exact.xml", 0, nullptr},
                 {L"be.xml", 1, nullptr},
                 {L"over.xml", 0, L"File too large"},
                 {L"empty.xml", 0, L"File is empty"},
                 {L"missing.xml", 0, L"Error opening file"},
                 {nullptr, 0, L"Error opening file"}},
                "folder");

    for (bool keepOpen : {false, true}) {
        CWindowManagerUI::SetSkinZip(L"skin.zip", keepOpen);
        EXPECT_EQ(CWindowManagerUI::GetZipHandle() != nullptr, keepOpen);
        ExpectLoads({{L"Skin\\Main.xml", 0, nullptr},
                     {L"exact.xml", 0, nullptr},
                     {L"skin/main.xml", 0, nullptr},
                     {L"missing.xml", 0, L"Could not find ziped file"},
                     {L"empty.xml", 0, L"File is empty"},
                     {L"over.xml", 0, L"File too large"},
                     {L"bad.xml", 0, L"Could not unzip file"}},
                    keepOpen ? "kept-open zip" : "zip");
    }
    CWindowManagerUI::SetSkinZip(L"nosuch.zip", false);
    ExpectLoads({{L"main.xml", 0, L"Error opening zip file"}}, "missing zip");
    CWindowManagerUI::SetSkinZip(L"", false);
    CWindowManagerUI::SetSkinRoot(L"");
}

TEST(XmlReader, MutationLoopNeverCrashesOrHangs) {
    const std::vector<std::string> seeds = {SampleLayout(4), Utf8(L"<a b=\"\u4E2D\"><c/><d e=\"&amp;\">t</d></a>"),
                                            "<?xml?><!-- c --><r><a x=\"1\" /></r>"};
    coretest::Rng rng(GetTickCount());
    int rounds = 0;
    coretest::FinishesWithin(30000, [&] {
        const ULONGLONG stop = GetTickCount64() + 3000;
        while (GetTickCount64() < stop) {
            const std::string& seed = seeds[rng.Below(static_cast<uint32_t>(seeds.size()))];
            const int encoding = static_cast<int>(rng.Below(3));
            const std::string bytes = coretest::Mutate(encoding == 1 ? Utf16(testutil::Widen(seed), rng.Below(2)) : seed, rng);
            CXmlReader reader;
            if (LoadGuarded(reader, bytes, encoding)) Dump(reader.GetRoot());
            ++rounds;
        }
    });
    EXPECT_GT(rounds, 100);
}

}  // namespace
