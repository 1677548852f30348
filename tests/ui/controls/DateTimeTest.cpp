// The date-time control: its date text, and the native picker over it in a live window driven
// by real keys and clicks, which never outlives the control and whose failure leaves the
// control usable.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

#include "ButtonUI.h"
#include "ContainerUI.h"
#include "DateTimeUI.h"
#include "DateTimeWnd.h"
#include "ListTestWindow.h"
#include "TestUtil.h"

using namespace Veneer;

namespace {

// A control holding a date of the test's choosing, as the picker would hand it back.
class HeldDate : public CDateTimeUI {
public:
    void Hold(WORD year, WORD month, WORD day) {
        m_sysTime.wYear = year;
        m_sysTime.wMonth = month;
        m_sysTime.wDay = day;
        m_updateMode = kUpdateFormat;
        UpdateText();
        m_updateMode = kUpdateNone;
    }
};

std::wstring DateText(const SYSTEMTIME& t) {
    wchar_t text[32] = {};
    swprintf(text, 32, L"%04d-%02d-%02d", t.wYear, t.wMonth, t.wDay);
    return text;
}

std::wstring Today() {
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    return DateText(now);
}

constexpr wchar_t kXml[] =
    L"<Window><DateTime name=\"date\" height=\"24\"/><Button name=\"other\" height=\"24\" "
    L"text=\"other\"/><VerticalLayout name=\"box\" height=\"60\"><DateTime name=\"inner\" "
    L"height=\"24\"/></VerticalLayout><Control/></Window>";

struct DateWindow : listtest::ListWindow {
    CDateTimeUI* date() { return Find<CDateTimeUI>(L"date"); }
    HWND Picker(CDateTimeUI* control) {
        CDateTimeWnd* wnd = control->GetPickerWindow();
        return wnd ? wnd->GetHWND() : nullptr;
    }
    // Clicks the control as a user would and waits for its picker to have the focus.
    HWND OpenPicker(CDateTimeUI* control) {
        Click(listtest::Centre(control->GetPos()));
        livetest::PumpUntil([&] { return Picker(control) && GetFocus() == Picker(control); },
                            3000);
        return Picker(control);
    }
    bool WaitClosed(CDateTimeUI* control, HWND picker) {
        return livetest::PumpUntil(
            [&] { return control->GetPickerWindow() == nullptr && !IsWindow(picker); }, 3000);
    }
    // A key pressed and released in the window that has the focus.
    void Press(WPARAM key) {
        HWND focus = GetFocus();
        PostMessageW(focus, WM_KEYDOWN, key, 1);
        PostMessageW(focus, WM_KEYUP, key, 0xC0000001);
        livetest::PumpFor(50);
    }
    SYSTEMTIME PickerDate(HWND picker) {
        SYSTEMTIME t = {};
        SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&t));
        return t;
    }
};

// Refuses the picker's window, as the system may when it runs out of resources.
LRESULT CALLBACK RefusePickers(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        wchar_t name[32] = {};
        GetClassNameW(reinterpret_cast<HWND>(wParam), name, 32);
        if (wcscmp(name, L"DateTimeWnd") == 0) return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

TEST(DateTimeTest, TextIsTheHeldDateWithTheYearRightAlignedInFourPlaces) {
    CDateTimeUI fresh;
    const std::wstring today = Today();
    EXPECT_EQ(std::wstring(fresh.GetText().GetData()), today) << "a new control shows today";

    struct Case {
        WORD year, month, day;
        const wchar_t* text;
    } const cases[] = {
        {999, 1, 5, L" 999-01-05"},
        {7, 12, 31, L"   7-12-31"},
        {2026, 12, 8, L"2026-12-08"},
        {65535, 65535, 65535, L"65535-65535-65535"},  // widest fields: nothing cut or overrun
    };
    for (const Case& c : cases) {
        HeldDate control;
        control.Hold(c.year, c.month, c.day);
        EXPECT_EQ(std::wstring(control.GetText().GetData()), c.text);
    }
}

TEST(DateTimeTest, PickerKeysAndFocusLossDecideTheText) {
    DateWindow w;
    ASSERT_TRUE(w.Open(240, 200, kXml));
    CDateTimeUI* date = w.date();
    const std::wstring today = Today();

    HWND picker = w.OpenPicker(date);
    ASSERT_NE(picker, nullptr) << "a click focuses the control and lays the picker over it";
    RECT screen = {};
    GetWindowRect(picker, &screen);
    RECT item = date->GetPos();
    MapWindowPoints(w.hwnd(), HWND_DESKTOP, reinterpret_cast<POINT*>(&item), 2);
    EXPECT_TRUE(EqualRect(&screen, &item)) << "the picker covers the whole control";
    EXPECT_EQ(DateText(w.PickerDate(picker)), today);

    // Escape closes the picker and keeps the text, whatever was picked.
    SYSTEMTIME other = {2031, 7, 0, 19, 0, 0, 0, 0};
    SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&other));
    w.Press(VK_ESCAPE);
    ASSERT_TRUE(w.WaitClosed(date, picker));
    EXPECT_EQ(std::wstring(date->GetText().GetData()), today);

    // Delete and Backspace empty the text, and the focus loss that closes the picker leaves
    // it empty.
    for (WPARAM key : {VK_BACK, VK_DELETE}) {
        date->SetText(today.c_str());
        picker = w.OpenPicker(date);
        ASSERT_NE(picker, nullptr) << key;
        w.Press(key);
        ASSERT_TRUE(w.WaitClosed(date, picker)) << key;
        EXPECT_TRUE(date->GetText().IsEmpty()) << key;
    }

    // From an empty text the picker starts at today; keys change the date, and a click
    // elsewhere takes what the picker then shows.
    picker = w.OpenPicker(date);
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(DateText(w.PickerDate(picker)), today);
    w.Press(VK_RIGHT);
    w.Press(VK_UP);
    const std::wstring picked = DateText(w.PickerDate(picker));
    EXPECT_NE(picked, today) << "the up key moves a field of the picked date";
    w.Click(listtest::Centre(w.Find<CButtonUI>(L"other")->GetPos()));
    ASSERT_TRUE(w.WaitClosed(date, picker));
    EXPECT_EQ(std::wstring(date->GetText().GetData()), picked);
    EXPECT_FALSE(date->IsFocused());

    // With a text, the picker starts at the date last taken.
    picker = w.OpenPicker(date);
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(DateText(w.PickerDate(picker)), picked);
    w.Press(VK_ESCAPE);
    ASSERT_TRUE(w.WaitClosed(date, picker));
}

TEST(DateTimeTest, PickerNeverOutlivesItsControlAndAFailedOneLeavesItUsable) {
    DateWindow w;
    ASSERT_TRUE(w.Open(240, 200, kXml));
    CDateTimeUI* date = w.date();
    auto* box = w.Find<CContainerUI>(L"box");
    auto* inner = w.Find<CDateTimeUI>(L"inner");

    struct Case {
        const char* what;
        CDateTimeUI* control;
        std::function<void()> hide, show;
    } const cases[] = {
        {"the control hidden", date, [&] { date->SetVisible(false); },
         [&] { date->SetVisible(true); }},
        {"its container hidden", inner, [&] { box->SetVisible(false); },
         [&] { box->SetVisible(true); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HWND picker = w.OpenPicker(c.control);
        ASSERT_NE(picker, nullptr);
        c.hide();
        EXPECT_FALSE(IsWindow(picker)) << "closed at once, not left over the window";
        EXPECT_EQ(c.control->GetPickerWindow(), nullptr);
        c.show();
        w.Paint();
    }

    // Deleted while open: a poisoned control fails at once if its picker still reaches it.
    auto* doomed = new livetest::Poisoned<CDateTimeUI>;
    livetest::Place(box, doomed, RECT{0, 30, 200, 54});
    w.Paint();
    HWND picker = w.OpenPicker(doomed);
    ASSERT_NE(picker, nullptr);
    ASSERT_TRUE(box->Remove(doomed));
    EXPECT_TRUE(livetest::PumpUntil([&] { return !IsWindow(picker); }, 3000))
        << "the picker goes when the removed control is deleted";
    livetest::PumpFor(100);
    EXPECT_EQ(GetFocus(), w.hwnd()) << "the focus went back to the window";

    // A picker whose window cannot be made: the control keeps its text and its focus, and
    // opens one at the next click.
    const std::wstring before = date->GetText().GetData();
    HHOOK hook = SetWindowsHookExW(WH_CBT, &RefusePickers, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    w.Click(listtest::Centre(date->GetPos()));
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(date->GetPickerWindow(), nullptr);
    EXPECT_TRUE(date->IsFocused());
    EXPECT_EQ(std::wstring(date->GetText().GetData()), before);
    picker = w.OpenPicker(date);
    ASSERT_NE(picker, nullptr);
    w.Press(VK_ESCAPE);
    EXPECT_TRUE(w.WaitClosed(date, picker));
}
