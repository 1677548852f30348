// The window manager's resource half: shared and window fonts, the image cache, language
// texts, option groups, timers and the process-wide skin settings.
#include <gtest/gtest.h>

#include <string>

#include "AttrValue.h"
#include "ContainerUI.h"
#include "RenderTestUtil.h"
#include "TestUtil.h"
#include "WindowManagerUI.h"

using rendertest::HiddenWindow;
using Veneer::CUIString;
using Veneer::CWindowManagerUI;
using Veneer::TTimerRecord;

namespace {

Veneer::CControlUI* Control(INT_PTR v) { return reinterpret_cast<Veneer::CControlUI*>(v); }

TEST(WindowManager, SharedDefaultFontIsMadeOnceFromTheGuiFont) {
    CWindowManagerUI first;
    Veneer::TFontRecord* rec = first.GetDefaultFontRecord();
    ASSERT_NE(rec->font, nullptr);
    LOGFONTW gui = {}, made = {};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(gui), &gui);
    GetObjectW(rec->font, sizeof(made), &made);
    EXPECT_EQ(made.lfCharSet, DEFAULT_CHARSET);
    EXPECT_EQ(std::wstring(made.lfFaceName), std::wstring(gui.lfFaceName));
    EXPECT_EQ(rec->size, -gui.lfHeight);
    EXPECT_GT(rec->metrics.tmHeight, 0);  // measured on first use
    CWindowManagerUI second;
    EXPECT_EQ(second.GetDefaultFontRecord()->font, rec->font);
    EXPECT_EQ(second.GetFont(-1), rec->font);
    EXPECT_EQ(second.GetFont(77), rec->font);
}

TEST(WindowManager, FontsReplaceByIdAndAreFoundByStyle) {
    HiddenWindow wnd;
    CWindowManagerUI mgr;
    mgr.Init(wnd.hwnd());
    HFONT a = mgr.AddFont(3, L"Tahoma", 12, false, false, false);
    ASSERT_NE(a, nullptr);
    HFONT b = mgr.AddFont(3, L"Tahoma", 14, true, false, false);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(GetObjectType(a), 0u);  // the replaced font was deleted
    EXPECT_EQ(mgr.GetFont(3), b);
    EXPECT_EQ(mgr.FindFont(L"Tahoma", 14, true, false, false), b);
    EXPECT_EQ(mgr.FindFont(L"Tahoma", 14, false, false, false), nullptr);
    EXPECT_EQ(mgr.GetFontRecord(b)->size, 14);
    EXPECT_GT(mgr.GetFontRecord(3)->metrics.tmHeight, 0);
    // A window font hides a shared one of the same id.
    HFONT shared = mgr.AddFont(4, L"Tahoma", 20, false, false, false, true);
    EXPECT_EQ(mgr.GetFont(4), shared);
    HFONT own = mgr.AddFont(4, L"Tahoma", 21, false, false, false);
    EXPECT_EQ(mgr.GetFont(4), own);
    // A face longer than the font record's room is cut and still terminated.
    const std::wstring longFace(40, L'Q');
    HFONT cut = mgr.AddFont(5, longFace.c_str(), 12, false, false, false);
    ASSERT_NE(cut, nullptr);
    EXPECT_EQ(mgr.GetFontRecord(5)->face.GetLength(), LF_FACESIZE - 1);
    mgr.SetDefaultFont(longFace.c_str(), 15, false, false, false);
    EXPECT_EQ(mgr.GetDefaultFontRecord()->face.GetLength(), LF_FACESIZE - 1);
    EXPECT_EQ(mgr.GetDefaultFontRecord()->size, 15);
}

TEST(WindowManager, ImageCacheKeepsReplacedImagesAlive) {
    testutil::TempDir dir(L"mgr");
    CWindowManagerUI::SetSkinRoot(dir.path().c_str());
    ASSERT_TRUE(testutil::WriteBytes(dir / L"a.png", rendertest::MakePng(2, 2, std::vector<uint32_t>(4, 0xFFFF0000))));
    CWindowManagerUI mgr;
    Veneer::TImageData* first = mgr.GetOrLoadImage(L"a.png");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(mgr.GetOrLoadImage(L"a.png"), first);
    EXPECT_EQ(mgr.AddImage(L"", nullptr), nullptr);
    EXPECT_EQ(mgr.AddImage(L"a.png", L"PNG"), nullptr);  // a resource name must be a number
    // Loading the name again while a control still draws the first image must not free it.
    Veneer::TImageData* second = mgr.AddImage(L"a.png", nullptr, 0, true);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    EXPECT_EQ(mgr.GetImage(L"a.png"), second);
    EXPECT_EQ(GetObjectType(first->bitmap), static_cast<DWORD>(OBJ_BITMAP));
    EXPECT_EQ(first->width, 2);
    ASSERT_NE(second->unadjustedPixels, nullptr);
    EXPECT_EQ(second->unadjustedPixels[3], second->pixels[3]);
    EXPECT_EQ(mgr.GetOrLoadImage(L"none.png"), nullptr);
}

TEST(WindowManager, ClassDefaultsAndSkinRoot) {
    CWindowManagerUI mgr;
    mgr.AddClassDefaults(L"Button", L"width=\"10\"", true);
    EXPECT_STREQ(mgr.GetClassDefaults(L"Button"), L"width=\"10\"");
    mgr.AddClassDefaults(L"Button", L"height=\"4\"");
    EXPECT_STREQ(mgr.GetClassDefaults(L"Button"), L"height=\"4\"");
    EXPECT_EQ(mgr.GetClassDefaults(L"button"), nullptr);
    mgr.RemoveAllClassDefaults();
    EXPECT_STREQ(mgr.GetClassDefaults(L"Button"), L"width=\"10\"");

    struct Case { const wchar_t* in; const wchar_t* out; };
    for (const Case& k : {Case{L"C:\\skin", L"C:\\skin\\"}, Case{L"C:\\skin\\", L"C:\\skin\\"},
                          Case{L"skin/", L"skin/"}, Case{L"", L""}}) {
        CWindowManagerUI::SetSkinRoot(k.in);
        EXPECT_STREQ(CWindowManagerUI::GetSkinRoot().GetData(), k.out);
    }
}

TEST(WindowManager, LanguageTokensAreReplacedOnceWithoutRescanning) {
    CWindowManagerUI::AddLanguageText(12, L"twelve");
    CWindowManagerUI::AddLanguageText(0, L"zero");
    CWindowManagerUI::AddLanguageText(7, L"%{7}%{7}");  // a text holding its own token
    CWindowManagerUI::AddLanguageText(8, L"%{12}");
    struct Case { const wchar_t* in; const wchar_t* out; };
    const Case cases[] = {
        {L"a %{12} b %{12}", L"a twelve b twelve"},
        {L"%{}", L"zero"},
        {L"%{99} stays", L"%{99} stays"},
        {L"%{12", L"%{12"},
        {L"100% %{12}%", L"100% twelve%"},
        {L"%{7}", L"%{7}%{7}"},
        {L"%{8}", L"%{12}"},
        {L"", L""},
    };
    for (const Case& k : cases) {
        CUIString s(k.in);
        CWindowManagerUI::ExpandLanguageTokens(s);
        EXPECT_STREQ(s.GetData(), k.out) << testutil::Narrow(k.in);
    }
    EXPECT_STREQ(CWindowManagerUI::GetLanguageText(12), L"twelve");
    EXPECT_EQ(CWindowManagerUI::GetLanguageText(13), nullptr);
}

TEST(WindowManager, OptionGroupsAndRegistrationLists) {
    CWindowManagerUI mgr;
    EXPECT_TRUE(mgr.JoinOptionGroup(L"g", Control(1)));
    EXPECT_FALSE(mgr.JoinOptionGroup(L"g", Control(1)));
    EXPECT_TRUE(mgr.JoinOptionGroup(L"g", Control(2)));
    ASSERT_NE(mgr.GetOptionGroupMembers(L"g"), nullptr);
    EXPECT_EQ(mgr.GetOptionGroupMembers(L"g")->GetSize(), 2);
    EXPECT_FALSE(mgr.LeaveOptionGroup(L"g", Control(1)));
    EXPECT_TRUE(mgr.LeaveOptionGroup(L"g", Control(2)));
    EXPECT_EQ(mgr.GetOptionGroupMembers(L"g"), nullptr);
    EXPECT_FALSE(mgr.LeaveOptionGroup(L"g", Control(2)));

    EXPECT_TRUE(mgr.AddOverlayControl(Control(5)));
    EXPECT_TRUE(mgr.AddOverlayControl(Control(5)));
    EXPECT_TRUE(mgr.RemoveOverlayControl(Control(5)));
    EXPECT_TRUE(mgr.RemoveOverlayControl(Control(5)));
    EXPECT_FALSE(mgr.RemoveOverlayControl(Control(5)));
}

// A control class that changes its own name without going through SetName.
class SilentlyRenamed : public Veneer::CControlUI {
public:
    void Rename(const wchar_t* name) { m_name = name; }
};

TEST(WindowManager, NameMapFollowsRenamesAndForgetsDeletedControls) {
    CWindowManagerUI mgr;  // the name index needs no window
    auto* root = new Veneer::CContainerUI;
    root->SetDeferredDelete(false);
    auto* renamed = new Veneer::CControlUI;
    renamed->SetName(L"a");
    root->Add(renamed);
    auto* silent = new SilentlyRenamed;
    silent->SetName(L"s1");
    root->Add(silent);
    mgr.AttachRoot(root);
    ASSERT_EQ(mgr.LocateControl(L"a"), renamed);

    renamed->SetName(L"b");
    EXPECT_EQ(mgr.LocateControl(L"a"), nullptr) << "the old name leads nowhere";
    EXPECT_EQ(mgr.LocateControl(L"b"), renamed);
    auto* late = new Veneer::CControlUI;
    root->Add(late);
    late->SetName(L"late");
    EXPECT_EQ(mgr.LocateControl(L"late"), late) << "named after it was attached";
    // A control outside the window's tree is entered only when it is attached.
    Veneer::CControlUI loose;
    loose.SetManager(&mgr, nullptr, false);
    loose.SetName(L"loose");
    EXPECT_EQ(mgr.LocateControl(L"loose"), nullptr);
    loose.SetManager(nullptr, nullptr, false);

    // Deleted controls leave no entry behind, whatever they were entered under.
    silent->Rename(L"s2");
    root->Remove(renamed);
    root->Remove(silent);
    for (const wchar_t* name : {L"a", L"b", L"s1", L"s2"})
        EXPECT_EQ(mgr.LocateControl(name), nullptr) << testutil::Narrow(name);
    EXPECT_EQ(mgr.LocateControl(L"late"), late);
}

TEST(WindowManager, TimerIdsCycleAndKilledTimersReArm) {
    HiddenWindow wnd;
    CWindowManagerUI mgr;
    mgr.Init(wnd.hwnd());
    auto lastId = [&] {
        const auto& t = mgr.GetTimers();
        return static_cast<TTimerRecord*>(t[t.GetSize() - 1])->windowId;
    };
    ASSERT_TRUE(mgr.SetTimer(Control(1), 1, 1000));
    EXPECT_EQ(lastId(), 17u);
    EXPECT_FALSE(mgr.SetTimer(Control(1), 1, 1000));  // runs already
    ASSERT_TRUE(mgr.SetTimer(Control(2), 1, 1000));  // same local id, other control
    EXPECT_EQ(lastId(), 18u);
    EXPECT_TRUE(mgr.KillTimer(Control(1), 1));
    EXPECT_FALSE(mgr.KillTimer(Control(1), 1));
    EXPECT_TRUE(mgr.SetTimer(Control(1), 1, 1000));  // re-armed under its old id
    EXPECT_EQ(mgr.GetTimers().GetSize(), 2);
    EXPECT_EQ(static_cast<TTimerRecord*>(mgr.GetTimers()[0])->windowId, 17u);
    for (UINT i = 0; i < 236; ++i) ASSERT_TRUE(mgr.SetTimer(Control(3), i, 100000));
    EXPECT_EQ(lastId(), 254u);
    ASSERT_TRUE(mgr.SetTimer(Control(3), 999, 100000));
    EXPECT_EQ(lastId(), 0u);
    mgr.KillTimer(Control(3));
    EXPECT_EQ(mgr.GetTimers().GetSize(), 2);
    mgr.KillTimers();
    EXPECT_EQ(mgr.GetTimers().GetSize(), 0);

    CWindowManagerUI noWindow;
    EXPECT_FALSE(noWindow.SetTimer(Control(1), 1, 10));
}

TEST(WindowManager, InvalidateWithoutAWindowTouchesNoOtherWindow) {
    HiddenWindow wnd;
    ShowWindow(wnd.hwnd(), SW_SHOWNOACTIVATE);
    UpdateWindow(wnd.hwnd());
    ValidateRect(wnd.hwnd(), nullptr);
    CWindowManagerUI detached;
    detached.Invalidate({0, 0, 50, 50});
    EXPECT_FALSE(GetUpdateRect(wnd.hwnd(), nullptr, FALSE));
    CWindowManagerUI attached;
    attached.Init(wnd.hwnd());
    attached.Invalidate({0, 0, 50, 50});
    EXPECT_TRUE(GetUpdateRect(wnd.hwnd(), nullptr, FALSE));
}

TEST(WindowManager, ColoursFollowTheSharedValueUntilSetForTheWindow) {
    CWindowManagerUI a;
    EXPECT_EQ(a.GetLinkFontColor(), 0xFF0000FFu);
    a.SetLinkFontColor(0xFF112233, true);
    EXPECT_EQ(a.GetLinkFontColor(), 0xFF112233u);
    a.SetDefaultFontColor(0xFF445566);
    a.SetDefaultFontColor(0xFF778899, true);
    EXPECT_EQ(a.GetDefaultFontColor(), 0xFF445566u);
    CWindowManagerUI b;
    EXPECT_EQ(b.GetDefaultFontColor(), 0xFF778899u);
}

TEST(AttrValue, NumberListsStopAtTheEndOfTheText) {
    struct Case { const wchar_t* text; RECT expect; };
    const Case cases[] = {
        {L"1,2,3,4", {1, 2, 3, 4}}, {L"4,4", {4, 4, 0, 0}}, {L"", {0, 0, 0, 0}},
        {L"-5,6,7", {-5, 6, 7, 0}}, {L"1,2,3,4,5", {1, 2, 3, 4}}, {L"7,", {7, 0, 0, 0}},
    };
    for (const Case& k : cases) {
        // The text sits at the very end of its block: reading past it would read the next line.
        std::wstring block = std::wstring(k.text) + L'\0' + L"9,9,9,9";
        RECT rc = Veneer::ReadRect(block.c_str());
        EXPECT_EQ(rc.left, k.expect.left) << testutil::Narrow(k.text);
        EXPECT_EQ(rc.top, k.expect.top) << testutil::Narrow(k.text);
        EXPECT_EQ(rc.right, k.expect.right) << testutil::Narrow(k.text);
        EXPECT_EQ(rc.bottom, k.expect.bottom) << testutil::Narrow(k.text);
    }
    EXPECT_EQ(Veneer::ReadHexColor(L"#FF102030"), 0xFF102030u);
    EXPECT_EQ(Veneer::ReadHexColor(L"80ffffff"), 0x80FFFFFFu);
}

}  // namespace
