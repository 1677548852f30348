// The layout builder on inline documents, skin files and the updater's real skin zip.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ContainerUI.h"
#include "ControlFactory.h"
#include "LayoutBuilder.h"
#include "LiveUiUtil.h"
#include "RenderTestUtil.h"
#include "TestUtil.h"
#include "VerticalLayoutUI.h"
#include "WindowManagerUI.h"

using namespace Veneer;

namespace {

// A control that counts its live instances, so a test can prove the builder leaks nothing.
class CountedControl : public CControlUI {
public:
    CountedControl() { ++live; }
    ~CountedControl() override { --live; }
    static int live;
};
int CountedControl::live = 0;

class CountedContainer : public CContainerUI {
public:
    CountedContainer() { ++CountedControl::live; }
    ~CountedContainer() override { --CountedControl::live; }
};

class BuilderTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        CControlFactory::Register(L"Counted", [] { return static_cast<CControlUI*>(new CountedControl); });
        CControlFactory::Register(L"CountedBox",
                                  [] { return static_cast<CControlUI*>(new CountedContainer); });
    }
    void SetUp() override { CountedControl::live = 0; }
    void TearDown() override {
        CWindowManagerUI::SetSkinZip(L"", false);
        CWindowManagerUI::SetSkinRoot(L"");
    }
};

TEST_F(BuilderTest, ElementNamesIgnoreCaseButNotLength) {
    CLayoutBuilder builder;
    CControlUI* root = builder.Create(
        L"<window><verticallayout><LABEL name=\"a\"/><VerticalLayouts name=\"b\"/>"
        L"<horizontalLAYOUT name=\"c\"/></verticallayout></window>");
    ASSERT_NE(root, nullptr);
    EXPECT_STREQ(root->GetTypeName(), L"VerticalLayoutUI");
    auto* box = static_cast<IContainerUI*>(root->QueryPart(L"IContainer"));
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(box->GetCount(), 2);  // the name with a trailing s is not known
    EXPECT_STREQ(box->GetItemAt(0)->GetTypeName(), L"LabelUI");
    EXPECT_STREQ(box->GetItemAt(1)->GetTypeName(), L"HorizontalLayoutUI");
    delete root;
}

TEST_F(BuilderTest, ResourceElementsAndWindowSettings) {
    livetest::TestWindow window;
    ASSERT_TRUE(window.Open(40, 40, 200, 100));
    CWindowManagerUI& m = window.Manager();
    CLayoutBuilder builder;
    CControlUI* root = builder.Create(
        L"<Window SIZE=\"320,240\" caption=\"0,0,0,30\" sizebox=\"4,5,6,7\" mininfo=\"100,80\""
        L" roundcorner=\"3,3\">"
        L"<Font id=\"2\" name=\"Tahoma\" bold=\"TRUE\"/>"
        L"<Font name=\"Arial\" size=\"30\" default=\"true\"/>"
        L"<Font id=\"-1\" name=\"Arial\" size=\"31\" default=\"true\"/>"
        L"<Default name=\"Label\" value=\"width=&quot;33&quot;\"/>"
        L"<HorizontalLayout><Font id=\"5\" name=\"Arial\"/><Label name=\"l\"/></HorizontalLayout>"
        L"</Window>",
        nullptr, nullptr, &m);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(m.GetStartSize().cx, 320);
    EXPECT_EQ(m.GetStartSize().cy, 240);
    EXPECT_EQ(m.GetCaptionRect().bottom, 30);
    EXPECT_EQ(m.GetSizeBox().right, 6);
    EXPECT_EQ(m.GetMinInfo().cy, 80);
    EXPECT_EQ(m.GetRoundCorner().cx, 3);

    // A font with an id but no size gets 12; booleans of the document ignore case.
    TFontRecord* font = m.GetFontRecord(2);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->size, 12);
    EXPECT_TRUE(font->bold);
    EXPECT_EQ(font->face, L"Tahoma");
    // Fonts without an id, or with a negative one, change nothing, their "default" included.
    EXPECT_NE(m.GetDefaultFontRecord()->size, 30);
    EXPECT_NE(m.GetDefaultFontRecord()->size, 31);
    // Resource elements deeper in the tree have no effect.
    EXPECT_EQ(m.GetFontRecord(5), m.GetDefaultFontRecord());
    // Default attribute lists apply to the element name.
    auto* box = static_cast<IContainerUI*>(root->QueryPart(L"IContainer"));
    ASSERT_EQ(box->GetCount(), 1);
    EXPECT_EQ(box->GetItemAt(0)->GetDeclaredWidth(), 33);
    delete root;
    window.Close();
}

TEST_F(BuilderTest, ControlsWithoutAnOwnerAreDeleted) {
    struct Case {
        const char* what;
        const wchar_t* xml;
        int liveAfterBuild;  // the returned tree included
    };
    const Case cases[] = {
        {"several top-level controls: only the first is kept",
         L"<Window><Counted/><Counted/><CountedBox><Counted/></CountedBox></Window>", 1},
        {"children of a control that holds none",
         L"<Window><CountedBox><Counted><Counted/><Counted/></Counted></CountedBox></Window>", 2},
        {"unknown elements are skipped with their children",
         L"<Window><CountedBox><Nothing><Counted/></Nothing><Counted/></CountedBox></Window>", 2},
        {"attribute names of controls are exact",
         L"<Window><CountedBox WIDTH=\"5\" width=\"7\"/></Window>", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CountedControl::live = 0;
        CLayoutBuilder builder;
        CControlUI* root = builder.Create(c.xml);
        ASSERT_NE(root, nullptr);
        EXPECT_EQ(CountedControl::live, c.liveAfterBuild);
        if (wcsstr(c.xml, L"WIDTH")) { EXPECT_EQ(root->GetDeclaredWidth(), 7); }
        delete root;
        EXPECT_EQ(CountedControl::live, 0);
    }
}

TEST_F(BuilderTest, IncludeRepeatsAndStopsAtSelfInclusion) {
    testutil::TempDir dir(L"inc");
    const std::wstring folder = dir.path() + L"\\";
    ASSERT_TRUE(testutil::WriteBytes(folder + L"row.xml", "<Window><Counted/></Window>"));
    ASSERT_TRUE(testutil::WriteBytes(folder + L"self.xml",
                           "<Window><Counted/><Include source=\"self.xml\"/></Window>"));
    ASSERT_TRUE(testutil::WriteBytes(folder + L"a.xml", "<Window><Include source=\"b.xml\"/><Counted/></Window>"));
    ASSERT_TRUE(testutil::WriteBytes(folder + L"b.xml", "<Window><Include source=\"A.xml\"/><Counted/></Window>"));
    CWindowManagerUI::SetSkinRoot(folder.c_str());

    struct Case {
        const char* what;
        const wchar_t* xml;
        int children;
    };
    const Case cases[] = {
        {"count repeats the document", L"<Window><CountedBox><Include count=\"3\" source=\"row.xml\"/></CountedBox></Window>", 3},
        {"count 0 and no source do nothing", L"<Window><CountedBox><Include count=\"0\" source=\"row.xml\"/><Include/></CountedBox></Window>", 0},
        {"attribute names of Include ignore case", L"<Window><CountedBox><Include COUNT=\"2\" Source=\"row.xml\"/></CountedBox></Window>", 2},
        {"a document including itself is built once, its own include refused", L"<Window><CountedBox><Include source=\"self.xml\"/></CountedBox></Window>", 1},
        {"a cycle through two documents ends", L"<Window><CountedBox><Include source=\"a.xml\"/></CountedBox></Window>", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CountedControl::live = 0;
        CLayoutBuilder builder;
        CControlUI* root = builder.Create(c.xml);
        ASSERT_NE(root, nullptr);
        auto* box = static_cast<IContainerUI*>(root->QueryPart(L"IContainer"));
        EXPECT_EQ(box->GetCount(), c.children);
        delete root;
        EXPECT_EQ(CountedControl::live, 0);
    }
}

TEST_F(BuilderTest, MissingOrBrokenDocumentsGiveNull) {
    CLayoutBuilder a;
    EXPECT_EQ(a.Create(L"no-such-layout.xml"), nullptr);
    CLayoutBuilder b;
    EXPECT_EQ(b.Create(L"<Window><Label></Window>"), nullptr);
    CLayoutBuilder c;
    EXPECT_EQ(c.Create(MAKEINTRESOURCEW(999), L"xml"), nullptr);
}

// A build into a parent that a shown window already holds: the new controls are bound to the
// window at once, as the controls of the window's own layout are.
TEST_F(BuilderTest, BuildIntoAShownWindowBindsTheNewControls) {
    testutil::TempDir dir(L"live");
    ASSERT_TRUE(testutil::WriteBytes(
        dir / L"red.png", rendertest::MakePng(8, 8, std::vector<uint32_t>(64, 0xFFFF0000u))));
    ASSERT_TRUE(testutil::WriteBytes(
        dir / L"row.xml",
        "<Window><Control name=\"included\" height=\"40\" bkimage=\"red.png\"/></Window>"));
    CWindowManagerUI::SetSkinRoot(dir.path().c_str());
    livetest::TestWindow window;
    ASSERT_TRUE(window.Open(40, 40, 200, 100));
    CWindowManagerUI& m = window.Manager();
    auto* root = new CVerticalLayoutUI;
    root->SetBkColor(0xFFFFFFFF);
    m.AttachRoot(root);
    // The window lays out what asked for it when it paints; printing only draws.
    auto paint = [&] {
        InvalidateRect(window.GetHWND(), nullptr, FALSE);
        UpdateWindow(window.GetHWND());
        livetest::WaitPainted(window.GetHWND());
        return livetest::PrintClient(window.GetHWND());
    };
    paint();

    struct Case {
        const char* what;
        const wchar_t* xml;
        const wchar_t* name;
    };
    const Case cases[] = {
        {"a document built into the window's root",
         L"<Window><Control name=\"direct\" height=\"40\" bkimage=\"red.png\"/></Window>",
         L"direct"},
        {"an Include inside such a build", L"<Window><Include source=\"row.xml\"/></Window>",
         L"included"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CLayoutBuilder builder;
        builder.Create(c.xml, nullptr, nullptr, &m, root);
        CControlUI* control = m.LocateControl(c.name);
        ASSERT_NE(control, nullptr) << "its name is known to the window";
        EXPECT_EQ(control->GetManager(), &m);
        EXPECT_EQ(control->GetParent(), root);
        livetest::Pixels px = paint();
        EXPECT_EQ(control->GetHeight(), 40);
        EXPECT_EQ(px.Count(control->GetPos(), 0xFF0000), 200 * 40) << "painted with its image";
        // A later change reaches the window, which lays the root out again.
        control->SetDeclaredHeight(20);
        px = paint();
        EXPECT_EQ(control->GetHeight(), 20);
        EXPECT_EQ(px.Count(control->GetPos(), 0xFF0000), 200 * 20);
    }
    window.Close();
}

// The updater's six layouts, built from the packed skin and laid out at their start size.
TEST_F(BuilderTest, UpdaterSkinLayoutsBuild) {
    struct Named {
        const wchar_t* name;
        int width;  // -1: not checked (hidden controls are not laid out)
        int height;
    };
    struct Case {
        const wchar_t* file;
        SIZE size;
        std::vector<Named> controls;
    };
    const std::vector<Named> launch = {{L"titleLabel", 274, 32},
                                       {L"closeButton", 14, 14},
                                       {L"tipsLabel", 420, 30},
                                       {L"launchButton", 80, 36}};
    const std::vector<Named> tips = {{L"titleLabel", -1, -1},
                                     {L"closeButton", 14, 14},
                                     {L"tipsLabel", -1, -1},
                                     {L"cancelButton", 72, 24},
                                     {L"confirmButton", 72, 24}};
    const std::vector<Named> updater = {{L"titleLabel", -1, -1},   {L"closeButton", -1, -1},
                                        {L"tipsLabel", -1, -1},    {L"buttonLayout", -1, -1},
                                        {L"installButton", -1, -1}, {L"progressLayout", -1, -1},
                                        {L"downloadProgress", -1, 3}, {L"skipButton", 71, 26}};
    const Case cases[] = {
        {L"LaunchWnd.xml", {420, 210}, launch},  {L"LaunchWnd_en.xml", {420, 210}, launch},
        {L"TipsBoxWnd.xml", {310, 100}, tips},   {L"TipsBoxWnd_en.xml", {310, 100}, tips},
        {L"UpdaterWnd.xml", {310, 100}, updater}, {L"UpdaterWnd_en.xml", {310, 100}, updater},
    };
    CWindowManagerUI::SetSkinRoot(SKIN_FOLDER);
    CWindowManagerUI::SetSkinZip(L"skin.zip", true);
    livetest::TestWindow window;
    ASSERT_TRUE(window.Open(40, 40, 100, 100));
    CWindowManagerUI& m = window.Manager();
    for (const Case& c : cases) {
        SCOPED_TRACE(testutil::Narrow(c.file));
        CLayoutBuilder builder;
        CControlUI* root = builder.Create(c.file, nullptr, nullptr, &m);
        ASSERT_NE(root, nullptr) << testutil::Narrow(builder.GetReader().GetLastErrorMessage());
        SIZE size = m.GetStartSize();
        if (c.size.cx) {
            EXPECT_EQ(size.cx, c.size.cx);
            EXPECT_EQ(size.cy, c.size.cy);
        }
        m.AttachRoot(root);
        root->SetPos(RECT{0, 0, size.cx, size.cy}, false);
        for (const Named& n : c.controls) {
            SCOPED_TRACE(testutil::Narrow(n.name));
            CControlUI* control = m.LocateControl(n.name);
            ASSERT_NE(control, nullptr);
            if (n.width >= 0) { EXPECT_EQ(control->GetWidth(), n.width); }
            if (n.height >= 0) { EXPECT_EQ(control->GetHeight(), n.height); }
        }
    }
    window.Close();
}

}  // namespace
