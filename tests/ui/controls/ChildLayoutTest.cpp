// The child layout in a live window: its document from the skin folder and from the skin zip,
// documents that load themselves, and documents that cannot be built.
#include <gtest/gtest.h>

#include <string>

#include "ChildLayoutUI.h"
#include "LayoutWindow.h"
#include "TestUtil.h"
#include "WindowManagerUI.h"

using namespace Veneer;

namespace {

class ChildLayoutTest : public ::testing::Test {
protected:
    void SetUp() override { UseSkin(LAYOUT_SKIN_FOLDER, L""); }
    void TearDown() override { UseSkin(L"", L""); }
    static void UseSkin(const wchar_t* root, const wchar_t* zip) {
        CWindowManagerUI::SetSkinZip(L"", false);
        CWindowManagerUI::SetSkinRoot(root);
        if (*zip != L'\0') CWindowManagerUI::SetSkinZip(zip, true);
    }
    static std::wstring Host(const std::wstring& xmlfile, const wchar_t* inside = L"") {
        return L"<Window><VerticalLayout><ChildLayout name=\"host\" height=\"50\" xmlfile=\"" +
               xmlfile + L"\">" + inside + L"</ChildLayout><Control/></VerticalLayout></Window>";
    }
};

IContainerUI* Children(CControlUI* control) {
    return static_cast<IContainerUI*>(control->QueryPart(L"IContainer"));
}

TEST_F(ChildLayoutTest, BuildsItsDocumentFromTheSkinFolderAndTheSkinZip) {
    struct Case {
        const char* what;
        const wchar_t* root;
        const wchar_t* zip;
    };
    const Case cases[] = {
        {"skin folder", LAYOUT_SKIN_FOLDER, L""},
        {"skin zip", LAYOUT_SKIN_ZIP_FOLDER, L"layouts.zip"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        UseSkin(c.root, c.zip);
        layouttest::LayoutWindow w;
        ASSERT_TRUE(w.Open(Host(L"page.xml").c_str(), 200, 100));
        CControlUI* host = w.Find(L"host");
        ASSERT_NE(host, nullptr);
        ASSERT_EQ(Children(host)->GetCount(), 1);
        // The document's controls belong to the window: found by name, laid out and painted.
        CControlUI* box = w.Find(L"pageBox");
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->GetParent(), w.Find(L"page"));
        EXPECT_EQ(w.Find(L"page")->GetParent(), host);
        const livetest::Pixels px = w.Paint();
        // The document's own default list gave the box its height.
        const RECT rc = box->GetPos();
        EXPECT_EQ(rc.left, 0);
        EXPECT_EQ(rc.top, 0);
        EXPECT_EQ(rc.right, 60);
        EXPECT_EQ(rc.bottom, 30);
        EXPECT_EQ(px.Count(RECT{0, 0, 200, 100}, 0x00FF00), 60 * 30);
    }
}

// The nesting ends at the first document that is already being built; without the check
// the window would load for ever, until the stack runs out.
TEST_F(ChildLayoutTest, ADocumentThatLoadsItselfIsRefused) {
    struct Case {
        const char* what;
        const wchar_t* file;
        int nested;  // child layouts one inside the other, the host included
    };
    const Case cases[] = {
        {"directly", L"self.xml", 2},
        {"through a second document", L"loop-a.xml", 3},
        {"through an Include", L"via-include.xml", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        layouttest::LayoutWindow w;
        ASSERT_TRUE(w.Open(Host(c.file).c_str(), 200, 100));
        int nested = 0;
        CControlUI* innermost = nullptr;
        for (CControlUI* at = w.Find(L"host"); at != nullptr;) {
            if (at->QueryPart(L"ChildLayout")) {
                ++nested;
                innermost = at;
            }
            IContainerUI* box = Children(at);
            at = box && box->GetCount() > 0 ? box->GetItemAt(0) : nullptr;
        }
        EXPECT_EQ(nested, c.nested);
        ASSERT_NE(innermost, nullptr);
        EXPECT_EQ(Children(innermost)->GetCount(), 0);
        // A later build of the same document is not refused: the chain was let go.
        layouttest::LayoutWindow again;
        ASSERT_TRUE(again.Open(Host(c.file).c_str(), 200, 100));
        EXPECT_EQ(Children(again.Find(L"host"))->GetCount(), 1);
    }
}

TEST_F(ChildLayoutTest, ADocumentThatCannotBeBuiltLeavesTheChildrenThere) {
    for (const wchar_t* file : {L"missing.xml", L"broken.xml", L""}) {
        SCOPED_TRACE(testutil::Narrow(file));
        layouttest::LayoutWindow w;
        ASSERT_TRUE(w.Open(Host(file, L"<Control name=\"kept\" bkcolor=\"#FF0000FF\"/>").c_str(),
                           200, 100));
        CControlUI* host = w.Find(L"host");
        ASSERT_EQ(Children(host)->GetCount(), 1);
        CControlUI* kept = w.Find(L"kept");
        ASSERT_NE(kept, nullptr);
        EXPECT_EQ(kept->GetParent(), host);
        EXPECT_EQ(w.Paint().Count(RECT{0, 0, 200, 50}, 0x0000FF), 200 * 50);
    }
}

}  // namespace
