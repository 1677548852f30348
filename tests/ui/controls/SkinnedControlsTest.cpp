// One skinned window whose layout document uses every container and list element the further
// controls add, driven as a user would: pages switched by clicks, a row picked with the mouse and
// moved with the keyboard, a column caption clicked. A screenshot of each page is kept next to
// the test's output.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ControlRegistry.h"
#include "ListHeaderUI.h"
#include "ListTextElementUI.h"
#include "ListUI.h"
#include "LiveUiUtil.h"
#include "ScreenShot.h"
#include "TabLayoutUI.h"
#include "TestUtil.h"
#include "WindowImplBase.h"

using namespace Veneer;

namespace {

constexpr uint32_t kHeader = 0x404080;
constexpr uint32_t kRow = 0xF0F0F0;
constexpr uint32_t kHot = 0xFFE0A0;
constexpr uint32_t kSelected = 0x2080F0;
constexpr uint32_t kGridCell = 0xE04040;
constexpr uint32_t kChildPage = 0x10C0C0;

// The test skin's window; its page buttons switch the tab layout, and every notification is
// recorded as "type:sender".
class ControlsWindow : public WindowImplBase {
public:
    bool Open() {
        CWindowManagerUI::SetInstance(::GetModuleHandleW(nullptr));
        CWindowManagerUI::SetSkinZip(L"", false);
        CWindowManagerUI::SetSkinRoot(CONTROLS_SKIN_FOLDER);
        RegisterFurtherControls();
        ::SetCursorPos(0, 0);
        return CreateWnd(nullptr, L"controls", WS_POPUP | WS_VISIBLE, 0, 0, 0, 360, 260) != nullptr;
    }
    CControlUI* Find(const wchar_t* name) { return GetManager().LocateControl(name); }
    bool Noted(const std::wstring& note) const {
        for (const std::wstring& n : notes)
            if (n == note) return true;
        return false;
    }
    void Notify(TNotification& msg) override {
        const std::wstring sender = msg.sender ? msg.sender->GetName().GetData() : L"";
        notes.push_back(std::wstring(msg.type.GetData()) + L":" + sender);
        if (msg.type == L"click") {
            const wchar_t* pages[] = {L"pageList", L"pageGrid", L"pageChild"};
            auto* tabs = static_cast<CTabLayoutUI*>(Find(L"pages"));
            for (int i = 0; i < 3; ++i)
                if (sender == pages[i]) tabs->SelectItem(i);
        }
        WindowImplBase::Notify(msg);
    }

    std::vector<std::wstring> notes;

protected:
    const wchar_t* GetRegisteredClassName() const override { return L"VeneerControlsTestWindow"; }
    CUIString GetLayoutFolder() const override { return CUIString(); }
    CUIString GetLayoutFile() const override { return CUIString(L"main.xml"); }
    int GetSkinSourceKind() const override { return kSkinFolder; }
};

void Click(HWND hwnd, int x, int y) {
    livetest::MouseMove(hwnd, x, y);
    livetest::MouseDown(hwnd, x, y);
    livetest::MouseUp(hwnd, x, y);
}

// The window as it reaches the screen once `rgb` shows at (x, y), saved as `bmp`.
testutil::Shot ShotWhen(HWND hwnd, int x, int y, uint32_t rgb, const wchar_t* bmp) {
    // The window is painted on this thread, so the wait runs its messages.
    livetest::WaitPainted(hwnd, 3000);
    testutil::Shot shot = testutil::CaptureWhen(hwnd, 5000, [&](const testutil::Shot& s) {
        livetest::PumpFor(10);
        return s.width > x && s.height > y && s.At(x, y) == rgb;
    });
    testutil::SaveBmp(shot, bmp);
    return shot;
}

TEST(SkinnedControls, PagesListRowsAndHeaderFromOneLayoutDocument) {
    ControlsWindow w;
    ASSERT_TRUE(w.Open());
    auto* list = static_cast<CListUI*>(w.Find(L"files"));
    ASSERT_NE(list, nullptr) << "the List element was not built";
    for (const wchar_t* name : {L"pages", L"grid", L"more", L"colName", L"row0", L"row2", L"row3"})
        ASSERT_NE(w.Find(name), nullptr) << "missing element " << testing::PrintToString(std::wstring(name));
    ASSERT_EQ(list->GetCount(), 4);
    ASSERT_EQ(list->GetHeader()->GetCount(), 3);
    const wchar_t* texts[2][3] = {{L"setup.exe", L"1.2 MB", L"program"},
                                  {L"readme.txt", L"3 KB", L"text"}};
    for (int r = 0; r < 2; ++r) {
        auto* row = static_cast<CListTextElementUI*>(list->GetItemAt(r));
        for (int c = 0; c < 3; ++c) row->SetText(c, texts[r][c]);
    }
    list->Invalidate();

    // The list page: header band on top, rows of 24 below it (rows from y 48).
    testutil::Shot shot = ShotWhen(w, 135, 30, kHeader, L"controls-list.bmp");
    EXPECT_EQ(shot.At(135, 30), kHeader) << "header band";
    EXPECT_EQ(shot.At(340, 60), kRow) << "row 0 before any selection";
    // The third column's caption sits in its own column.
    const RECT kindCaption = {220, 24, 320, 48};
    EXPECT_GT(shot.Count(0xFFFFFF, kindCaption), 0) << "caption text of the third column";

    // A click picks row 1; the pointer stays on it, and selected wins over hot.
    Click(w, 300, 84);
    ASSERT_TRUE(livetest::PumpUntil([&] { return list->GetCurSel() == 1; }, 3000));
    shot = ShotWhen(w, 340, 84, kSelected, L"controls-list-selected.bmp");
    EXPECT_EQ(shot.At(340, 84), kSelected) << "selected row";
    EXPECT_TRUE(w.Noted(L"itemclick:row1"));
    EXPECT_TRUE(w.Noted(L"itemselect:files"));

    // Down moves the selection to the label row; row 1 keeps only the pointer's hot colour.
    ::PostMessageW(w, WM_KEYDOWN, VK_DOWN, 0);
    ASSERT_TRUE(livetest::PumpUntil([&] { return list->GetCurSel() == 2; }, 3000));
    shot = ShotWhen(w, 340, 108, kSelected, L"controls-list-keys.bmp");
    EXPECT_EQ(shot.At(340, 108), kSelected) << "row selected by the key";
    EXPECT_EQ(shot.At(340, 84), kHot) << "row under the pointer";

    // A press on a caption away from its separator is a header click.
    Click(w, 20, 36);
    EXPECT_TRUE(livetest::PumpUntil([&] { return w.Noted(L"headerclick:colName"); }, 3000));

    // The grid page: three columns of 100-wide items in 340, first cell inside the inset.
    Click(w, 90, 12);
    shot = ShotWhen(w, 30, 54, kGridCell, L"controls-grid.bmp");
    EXPECT_TRUE(w.Noted(L"tabselect:pages"));
    EXPECT_EQ(shot.At(30, 54), kGridCell) << "first grid cell";
    EXPECT_NE(shot.At(135, 30), kHeader) << "the list page is hidden";
    const RECT thirdCell = w.Find(L"cell2")->GetPos();
    EXPECT_EQ(thirdCell.top, w.Find(L"cell0")->GetPos().top) << "three cells in the first row";

    // The page the child layout loaded from the second document.
    Click(w, 150, 12);
    shot = ShotWhen(w, 200, 150, kChildPage, L"controls-child.bmp");
    EXPECT_EQ(shot.At(200, 150), kChildPage) << "child layout page";
    EXPECT_NE(w.Find(L"moreText"), nullptr);

    ::DestroyWindow(w);
    livetest::PumpUntil([&] { return !::IsWindow(w); }, 3000);
}

}  // namespace
