// Skinned windows whose layout documents use every element the further controls add, driven as
// a user would: pages switched by clicks, list rows picked with the mouse and moved with the
// keyboard, a column caption clicked; options, a check box, a slider, a tree and a combo box on a
// settings page; a form typed into with real keys. A screenshot of each step is kept next to the
// test's output.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cwchar>
#include <string>
#include <vector>

#include "CheckBoxUI.h"
#include "ComboUI.h"
#include "ComboWnd.h"
#include "ControlRegistry.h"
#include "DateTimeUI.h"
#include "DateTimeWnd.h"
#include "ListHeaderUI.h"
#include "ListTextElementUI.h"
#include "ListUI.h"
#include "RichEditUI.h"
#include "LiveUiUtil.h"
#include "OptionUI.h"
#include "ScreenShot.h"
#include "SliderUI.h"
#include "TabLayoutUI.h"
#include "TestUtil.h"
#include "TreeNodeUI.h"
#include "WindowImplBase.h"

using namespace Veneer;

namespace {

constexpr uint32_t kHeader = 0x404080;
constexpr uint32_t kRow = 0xF0F0F0;
constexpr uint32_t kHot = 0xFFE0A0;
constexpr uint32_t kSelected = 0x2080F0;
constexpr uint32_t kGridCell = 0xE04040;
constexpr uint32_t kChildPage = 0x10C0C0;
constexpr uint32_t kSizeGroup = 0x20A020;
constexpr uint32_t kModeGroup = 0xA02020;
constexpr uint32_t kChecked = 0x2020A0;
constexpr uint32_t kThumb = 0xFF8000;
constexpr uint32_t kDateBk = 0xE0E0FF;
constexpr uint32_t kNotesBk = 0xFFF0C0;

// The test skin's window; its page buttons switch the tab layout, and every notification is
// recorded as "type:sender".
class ControlsWindow : public WindowImplBase {
public:
    explicit ControlsWindow(const wchar_t* layout = L"main.xml") : m_layout(layout) {}
    bool Open(int w = 360, int h = 260) {
        CWindowManagerUI::SetInstance(::GetModuleHandleW(nullptr));
        CWindowManagerUI::SetSkinZip(L"", false);
        CWindowManagerUI::SetSkinRoot(CONTROLS_SKIN_FOLDER);
        RegisterFurtherControls();
        ::SetCursorPos(0, 0);
        return CreateWnd(nullptr, L"controls", WS_POPUP | WS_VISIBLE, 0, 0, 0, w, h) != nullptr;
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
            for (int i = 0; tabs != nullptr && i < 3; ++i)
                if (sender == pages[i]) tabs->SelectItem(i);
        }
        WindowImplBase::Notify(msg);
    }

    std::vector<std::wstring> notes;

protected:
    const wchar_t* GetRegisteredClassName() const override { return L"VeneerControlsTestWindow"; }
    CUIString GetLayoutFolder() const override { return CUIString(); }
    CUIString GetLayoutFile() const override { return CUIString(m_layout); }
    int GetSkinSourceKind() const override { return kSkinFolder; }

private:
    const wchar_t* m_layout;
};

void Click(HWND hwnd, int x, int y) {
    livetest::MouseMove(hwnd, x, y);
    livetest::MouseDown(hwnd, x, y);
    livetest::MouseUp(hwnd, x, y);
}

POINT Centre(CControlUI* control) {
    const RECT rc = control->GetPos();
    return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

void Click(HWND hwnd, CControlUI* control) {
    const POINT pt = Centre(control);
    Click(hwnd, pt.x, pt.y);
}

// A point near the right end of a control, clear of its text.
POINT RightEnd(CControlUI* control) {
    const RECT rc = control->GetPos();
    return POINT{rc.right - 4, (rc.top + rc.bottom) / 2};
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
    // The pointer rests on the empty end of the page bar, so no row starts hot.
    livetest::MouseMove(w, 350, 12);

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

TEST(SkinnedControls, SettingsPageOfOptionsSliderTreeAndCombo) {
    ControlsWindow w(L"settings.xml");
    ASSERT_TRUE(w.Open(420, 300));
    livetest::WaitPainted(w, 3000);
    for (const wchar_t* name : {L"sections", L"nodeAll", L"nodeScreen", L"nodeColours", L"nodeSound",
                                L"sizeSmall", L"modeFast", L"sounds", L"volume", L"language"})
        ASSERT_NE(w.Find(name), nullptr) << "missing element " << testing::PrintToString(std::wstring(name));
    auto option = [&](const wchar_t* name) { return static_cast<COptionUI*>(w.Find(name)); };
    auto node = [&](const wchar_t* name) { return static_cast<CTreeNodeUI*>(w.Find(name)); };
    auto* slider = static_cast<CSliderUI*>(w.Find(L"volume"));
    auto* combo = static_cast<CComboUI*>(w.Find(L"language"));
    ASSERT_EQ(node(L"nodeAll")->ChildCount(), 2);
    ASSERT_EQ(node(L"nodeColours")->ParentNode(), node(L"nodeScreen"));
    ASSERT_EQ(combo->GetCount(), 3);

    // Options: a click in one group leaves the other group's choice alone.
    Click(w, option(L"sizeLarge"));
    ASSERT_TRUE(livetest::PumpUntil([&] { return option(L"sizeLarge")->IsSelected(); }, 3000));
    EXPECT_FALSE(option(L"sizeSmall")->IsSelected());
    EXPECT_TRUE(option(L"modeFast")->IsSelected());
    EXPECT_TRUE(w.Noted(L"selectchanged:sizeLarge"));
    Click(w, w.Find(L"sounds"));
    ASSERT_TRUE(livetest::PumpUntil([&] { return static_cast<CCheckBoxUI*>(w.Find(L"sounds"))->IsChecked(); }, 3000));

    // Slider: the thumb dragged from the start to three quarters of the track.
    const RECT track = slider->GetPos();
    const RECT start = slider->GetThumbRect();
    const int y = (track.top + track.bottom) / 2;
    const int x = track.left + (track.right - track.left) * 3 / 4;
    livetest::MouseMove(w, (start.left + start.right) / 2, y);
    livetest::MouseDown(w, (start.left + start.right) / 2, y);
    livetest::MouseMove(w, x, y);
    livetest::MouseUp(w, x, y);
    ASSERT_TRUE(livetest::PumpUntil([&] { return w.Noted(L"valuechanged:volume"); }, 3000));
    EXPECT_NEAR(slider->GetValue(), 75, 3);
    const POINT thumb = Centre(slider);
    const RECT thumbRect = slider->GetThumbRect();
    const POINT thumbMid = {(thumbRect.left + thumbRect.right) / 2, thumb.y};

    // Tree: ticking the top node ticks every node under it; a double click folds a branch.
    Click(w, node(L"nodeAll")->GetCheckBox());
    ASSERT_TRUE(livetest::PumpUntil([&] { return node(L"nodeColours")->GetCheckBox()->IsChecked(); }, 3000));
    EXPECT_TRUE(node(L"nodeSound")->GetCheckBox()->IsChecked());
    const POINT screenRow = Centre(node(L"nodeScreen"));
    Click(w, screenRow.x, screenRow.y);
    ::SendMessageW(w, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(screenRow.x, screenRow.y));
    ::SendMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(screenRow.x, screenRow.y));
    ASSERT_TRUE(livetest::PumpUntil([&] { return !node(L"nodeColours")->IsVisible(); }, 3000));
    EXPECT_TRUE(node(L"nodeSound")->IsVisible());

    const POINT large = RightEnd(option(L"sizeLarge"));
    testutil::Shot shot = ShotWhen(w, large.x, large.y, kSizeGroup, L"settings-page.bmp");
    EXPECT_EQ(shot.At(large.x, large.y), kSizeGroup) << "selected option of the first group";
    const POINT small = RightEnd(option(L"sizeSmall"));
    EXPECT_NE(shot.At(small.x, small.y), kSizeGroup) << "the option it replaced";
    const POINT fast = RightEnd(option(L"modeFast"));
    EXPECT_EQ(shot.At(fast.x, fast.y), kModeGroup) << "selected option of the second group";
    const POINT sounds = RightEnd(w.Find(L"sounds"));
    EXPECT_EQ(shot.At(sounds.x, sounds.y), kChecked) << "ticked check box";
    EXPECT_EQ(shot.At(thumbMid.x, thumbMid.y), kThumb) << "slider thumb where it was released";
    EXPECT_NE(shot.At(track.left + 3, thumb.y), kThumb) << "no thumb left at the start";

    // Combo: a click opens the popup with the rows; the pointer lights the second row, a click
    // picks it and closes the popup.
    Click(w, combo);
    ASSERT_TRUE(livetest::PumpUntil([&] { return combo->GetDropWindow() != nullptr; }, 3000));
    const HWND popup = combo->GetDropWindow()->GetHWND();
    ASSERT_TRUE(::IsWindowVisible(popup));
    livetest::WaitPainted(popup, 3000);
    CControlUI* second = combo->GetItemAt(1);
    const POINT row = RightEnd(second);
    livetest::MouseMove(popup, row.x, row.y);
    shot = ShotWhen(popup, row.x + 2, row.y + 2, kHot, L"settings-combo-open.bmp");
    EXPECT_EQ(shot.At(row.x + 2, row.y + 2), kHot) << "row under the pointer in the popup";
    livetest::MouseDown(popup, row.x, row.y);
    livetest::MouseUp(popup, row.x, row.y);
    ASSERT_TRUE(livetest::PumpUntil([&] { return combo->GetDropWindow() == nullptr; }, 3000));
    EXPECT_EQ(combo->GetCurSel(), 1);
    EXPECT_TRUE(w.Noted(L"itemselect:language"));
    EXPECT_EQ(std::wstring(combo->GetText().GetData()), L"Deutsch");

    // Down on the focused, closed combo picks the next row.
    ::PostMessageW(w, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_TRUE(livetest::PumpUntil([&] { return combo->GetCurSel() == 2; }, 3000));

    ::DestroyWindow(w);
    livetest::PumpUntil([&] { return !::IsWindow(w); }, 3000);
}

// A key pressed and released in the window that has the focus, as typing reaches it.
void Press(WPARAM key) {
    const HWND focus = ::GetFocus();
    ::PostMessageW(focus, WM_KEYDOWN, key, 1);
    ::PostMessageW(focus, WM_KEYUP, key, 0xC0000001);
    livetest::PumpFor(50);
}

void Type(const wchar_t* text) {
    for (const wchar_t* p = text; *p; ++p) ::PostMessageW(::GetFocus(), WM_CHAR, *p, 1);
    livetest::PumpFor(50);
}

TEST(SkinnedControls, FormTypedIntoWithTextEditDateAndRichEdit) {
    ControlsWindow w(L"typing.xml");
    ASSERT_TRUE(w.Open(360, 240));
    livetest::WaitPainted(w, 3000);
    auto* due = static_cast<CDateTimeUI*>(w.Find(L"due"));
    CControlUI* done = w.Find(L"done");
    ASSERT_NE(due, nullptr) << "the DateTime element was not built";
    ASSERT_NE(done, nullptr);

    // Text and edit: typed keys reach the edit's native window, and its text the control once
    // the focus moves on.
    CControlUI* prompt = w.Find(L"prompt");
    CControlUI* name = w.Find(L"name");
    ASSERT_NE(prompt, nullptr) << "the Text element was not built";
    ASSERT_NE(name, nullptr) << "the Edit element was not built";
    EXPECT_EQ(std::wstring(prompt->GetText().GetData()), L"Name, date and notes");
    Click(w, name);
    Type(L"Ada");
    Click(w, done);
    EXPECT_TRUE(livetest::PumpUntil([&] { return std::wstring(name->GetText().GetData()) == L"Ada"; }, 3000))
        << "typed text reaches the edit control once it loses the focus";

    // The date: a click lays the picker over it, keys move its first field, and the click on
    // the button takes the picked date as the text.
    Click(w, due);
    ASSERT_TRUE(livetest::PumpUntil([&] { return due->GetPickerWindow() != nullptr; }, 3000));
    const HWND picker = due->GetPickerWindow()->GetHWND();
    ASSERT_TRUE(livetest::PumpUntil([&] { return ::GetFocus() == picker; }, 3000));
    EXPECT_TRUE(::IsWindowVisible(picker));
    livetest::WaitPainted(picker, 3000);
    const POINT dueEnd = RightEnd(due);
    testutil::Shot shot = testutil::CaptureWhen(w, 3000, [&](const testutil::Shot& s) {
        livetest::PumpFor(10);
        return s.width > dueEnd.x && s.At(dueEnd.x, dueEnd.y) != kDateBk;
    });
    testutil::SaveBmp(shot, L"typing-date-open.bmp");
    EXPECT_NE(shot.At(dueEnd.x, dueEnd.y), kDateBk) << "the picker covers the control";
    const std::wstring before = due->GetText().GetData();
    Press(VK_RIGHT);
    Press(VK_UP);
    SYSTEMTIME picked = {};
    ::SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&picked));
    wchar_t pickedText[32] = {};
    swprintf(pickedText, 32, L"%04d-%02d-%02d", picked.wYear, picked.wMonth, picked.wDay);
    Click(w, done);
    ASSERT_TRUE(livetest::PumpUntil([&] { return !::IsWindow(picker); }, 3000));
    EXPECT_EQ(std::wstring(due->GetText().GetData()), pickedText);
    EXPECT_NE(std::wstring(due->GetText().GetData()), before);

    // The rich edit: windowless, so the keys reach it through the window while it has the focus.
    CControlUI* notes = w.Find(L"notes");
    ASSERT_NE(notes, nullptr) << "the RichEdit element was not built";
    // Its own background shows through the text, before and after typing.
    const POINT notesEnd = {notes->GetPos().right - 6, notes->GetPos().bottom - 6};
    shot = ShotWhen(w, notesEnd.x, notesEnd.y, kNotesBk, L"typing-notes-empty.bmp");
    EXPECT_EQ(shot.At(notesEnd.x, notesEnd.y), kNotesBk) << "rich edit background";
    Click(w, notes);
    ASSERT_TRUE(livetest::PumpUntil([&] { return notes->IsFocused(); }, 3000));
    Type(L"Bring the form");
    EXPECT_TRUE(livetest::PumpUntil(
        [&] { return std::wstring(notes->GetText().GetData()) == L"Bring the form"; }, 3000))
        << "typed text reaches the rich edit";

    shot = ShotWhen(w, dueEnd.x, dueEnd.y, kDateBk, L"typing-form.bmp");
    EXPECT_EQ(shot.At(dueEnd.x, dueEnd.y), kDateBk) << "the control shows again once closed";
    const RECT dueRect = due->GetPos();
    EXPECT_GT(shot.Count(0x000000, dueRect), 0) << "the date text is drawn";
    EXPECT_EQ(shot.At(notesEnd.x, notesEnd.y), kNotesBk) << "rich edit background after typing";
    const RECT notesRect = notes->GetPos();
    EXPECT_GT(shot.Count(0x000000, notesRect), 0) << "the typed text is drawn";
    EXPECT_EQ(shot.Count(0xFFFFFF, notesRect), 0) << "nothing filled with the window colour";

    ::DestroyWindow(w);
    livetest::PumpUntil([&] { return !::IsWindow(w); }, 3000);
}

}  // namespace
