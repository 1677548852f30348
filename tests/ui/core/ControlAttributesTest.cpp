// Controls without a window: attribute parsing, border and float rules, layout requests,
// event-hub filtering, label effects and styles, button behaviour flags, part names.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "ButtonUI.h"
#include "LabelUI.h"
#include "LiveUiUtil.h"
#include "ProgressUI.h"
#include "TestUtil.h"

using namespace Veneer;

namespace {

// Exposes what the label keeps for its next paint.
class ProbeLabel : public CLabelUI {
public:
    int Hint() const { return m_renderingHint; }
    float ShadowX() const { return m_shadowOffsetX; }
    float ShadowY() const { return m_shadowOffsetY; }
    CUIString PlainText() const { return m_text; }
};

class CountingControl : public CControlUI {
public:
    int handled = 0;
    void HandleEvent(TControlEvent& event) override {
        ++handled;
        CControlUI::HandleEvent(event);
    }
};

TEST(ControlAttributes, BorderSizeUniformOrPerSide) {
    struct Case {
        const wchar_t* first;
        const wchar_t* second;
        int size;
        RECT sides;
    };
    const Case cases[] = {
        {L"1,2,3,4", L"2", 2, {0, 0, 0, 0}},
        {L"2", L"1,2,3,4", 2, {1, 2, 3, 4}},
        {L"5", L"0", 0, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        CControlUI control;
        control.ApplyAttribute(L"bordersize", c.first);
        control.ApplyAttribute(L"bordersize", c.second);
        EXPECT_EQ(control.GetBorderSize(), c.size);
        const RECT s = control.GetBorderSizeRect();
        EXPECT_TRUE(EqualRect(&s, &c.sides)) << s.left << "," << s.top << "," << s.right << ","
                                             << s.bottom;
    }
}

TEST(ControlAttributes, ValuesAreReadAsTheLayoutWritesThem) {
    CControlUI c;
    c.ApplyAttributeString(L"bkcolor=\"  #FF112233\" bkcolor2=\"FF445566\" "
                           L"bordercolor=\"#80FFFFFF\" pos=\"10,20,110,70\" "
                           L"tooltip=\"one<n>two\" shortcut=\"xyz\" visible=\"True\" "
                           L"borderround=\"4,6\" unknown=\"1\"");
    EXPECT_EQ(c.GetBkColor(), 0xFF112233u);
    EXPECT_EQ(c.GetBkColor2(), 0xFF445566u);
    EXPECT_EQ(c.GetBorderColor(), 0x80FFFFFFu);
    EXPECT_EQ(c.GetDeclaredOrigin().cx, 10);
    EXPECT_EQ(c.GetDeclaredOrigin().cy, 20);
    EXPECT_EQ(c.GetDeclaredWidth(), 100);
    EXPECT_EQ(c.GetDeclaredHeight(), 50);
    EXPECT_STREQ(c.GetToolTip().GetData(), L"one\r\ntwo");
    EXPECT_EQ(c.GetShortcut(), L'x');
    EXPECT_FALSE(c.IsVisible()) << "only \"true\" is true";
    EXPECT_EQ(c.GetBorderRound().cx, 4);
    EXPECT_EQ(c.GetBorderRound().cy, 6);
}

TEST(ControlAttributes, AttributeStringStopsAtTheFirstMalformedPair) {
    struct Case {
        const wchar_t* text;
        const wchar_t* name;
        const wchar_t* userData;
    };
    const Case cases[] = {
        {L"name=\"a\" userdata=\"b\"", L"a", L"b"},
        {L"name=\"a\" userdata=b", L"a", L""},
        {L"name=\"a\"  userdata=\"b\"", L"a", L""},   // two blanks
        {L"name=\"a\" userdata=\"b", L"a", L""},      // unterminated value
        {L"name=a", L"", L""},
        {L"name=\"a\" ", L"a", L""},
        {L"", L"", L""},
    };
    for (const Case& c : cases) {
        CControlUI control;
        control.ApplyAttributeString(c.text);
        EXPECT_STREQ(control.GetName().GetData(), c.name) << testutil::Narrow(c.text);
        EXPECT_STREQ(control.GetUserData().GetData(), c.userData) << testutil::Narrow(c.text);
    }
}

TEST(ControlAttributes, FloatControlsPlaceThemselvesByShares) {
    CWindowManagerUI manager;  // no window; the container sets parents only with a manager
    CContainerUI parent;
    parent.SetManager(&manager, nullptr, false);
    parent.SetPos(RECT{100, 50, 300, 150});
    auto* child = new CControlUI;
    parent.Add(child);
    child->ApplyAttribute(L"float", L"0.5,0,0.5,0");
    child->ApplyAttribute(L"pos", L"-20,0,20,30");
    // Where a 200-wide parent's layout puts it: centred, 40 wide.
    child->SetPos(RECT{80, 0, 120, 30});
    const RECT& rc = child->GetPos();
    EXPECT_EQ(rc.left, 180);
    EXPECT_EQ(rc.right, 220);
    EXPECT_EQ(child->GetDeclaredOrigin().cx, -20);
    EXPECT_EQ(child->GetDeclaredWidth(), 40);

    // Shares that are not numbers count as none; huge ones are held to the int range.
    child->ApplyAttribute(L"float", L"nan,inf,1e300,-1e300");
    double shares[4];
    child->GetFloatShares(shares);
    EXPECT_EQ(shares[0], 0.0);
    EXPECT_EQ(shares[1], 0.0);
    child->SetPos(RECT{0, 0, 10, 10});
    EXPECT_LT(child->GetDeclaredWidth(), 0) << "a share of the whole int range, not a wrap";
    EXPECT_GT(child->GetDeclaredHeight(), 0);

    CControlUI orphan;
    orphan.SetFloat(true);
    orphan.SetPos(RECT{1, 2, 3, 4});
    EXPECT_EQ(orphan.GetPos().right, 0) << "a float control without a parent stays put";
}

TEST(ControlAttributes, LayoutRequestsOnlyForRealChanges) {
    struct Case {
        const char* what;
        void (*change)(CControlUI&);
        bool requests;
    };
    const Case cases[] = {
        {"min width -1", [](CControlUI& c) { c.SetMinWidth(-1); }, false},
        {"min width unchanged", [](CControlUI& c) { c.SetMinWidth(0); }, false},
        {"min width 5", [](CControlUI& c) { c.SetMinWidth(5); }, true},
        {"declared width 0", [](CControlUI& c) { c.SetDeclaredWidth(0); }, true},
        {"declared width -3", [](CControlUI& c) { c.SetDeclaredWidth(-3); }, false},
        {"float unchanged", [](CControlUI& c) { c.SetFloat(false); }, false},
        {"padding", [](CControlUI& c) { c.SetPadding(RECT{1, 1, 1, 1}); }, true},
        {"text", [](CControlUI& c) { c.SetText(L"t"); }, false},
    };
    for (const Case& c : cases) {
        CWindowManagerUI manager;  // no window: repaints go nowhere, layout flags still count
        CContainerUI parent;
        parent.SetManager(&manager, nullptr, false);
        auto* child = new CControlUI;
        parent.Add(child);
        parent.SetPos(RECT{0, 0, 100, 100});
        ASSERT_FALSE(parent.IsUpdateNeeded());
        c.change(*child);
        EXPECT_EQ(parent.IsUpdateNeeded(), c.requests) << c.what;
    }
}

TEST(ControlAttributes, EventHubFiltersBeforeHandling) {
    struct Case {
        bool first, second;
        int handled;
    };
    const Case cases[] = {{true, true, 1}, {true, false, 0}, {false, true, 0}};
    for (const Case& c : cases) {
        CountingControl control;
        int calls = 0;
        const bool a = c.first, b = c.second;
        control.OnEvent().Add(livetest::FunctionDelegate([&calls, a](void*) { ++calls; return a; }));
        control.OnEvent().Add(livetest::FunctionDelegate([&calls, b](void*) { ++calls; return b; }));
        TControlEvent e;
        e.type = kEventMouseMove;
        control.DispatchEvent(e);
        EXPECT_EQ(control.handled, c.handled);
        EXPECT_EQ(calls, c.first ? 2 : 1) << "the hub stops at the first refusal";
    }
    // The same delegate twice is held once.
    CControlUI control;
    livetest::FunctionDelegate d([](void*) { return true; });
    control.OnInit().Add(d);
    control.OnInit().Add(d);
    int runs = 0;
    control.OnInit().Add(livetest::FunctionDelegate([&runs](void*) { ++runs; return true; }));
    control.Init();
    EXPECT_EQ(runs, 1);
}

TEST(LabelAttributes, AlignmentWordsAndStyleBits) {
    struct Case {
        const wchar_t* name;
        const wchar_t* value;
        UINT style;
    };
    const Case cases[] = {
        {L"align", L"left", 0x04},
        {L"align", L"center", 0x05},
        {L"align", L"right", 0x06},
        {L"align", L"center right", 0x06},
        {L"valign", L"top", 0x20},
        {L"valign", L"vcenter", 0x24},
        {L"valign", L"bottom", 0x28},
        {L"endellipsis", L"true", 0x8004},
        {L"endellipsis", L"yes", 0x04},
    };
    for (const Case& c : cases) {
        CLabelUI label;
        label.ApplyAttribute(c.name, c.value);
        EXPECT_EQ(label.GetTextStyle(), c.style) << testutil::Narrow(c.name) << "="
                                                 << testutil::Narrow(c.value);
    }
    CButtonUI button;
    EXPECT_EQ(button.GetTextStyle(), 0x25u);
    CProgressUI progress;
    EXPECT_EQ(progress.GetTextStyle(), 0x21u);
    EXPECT_EQ(progress.GetDeclaredHeight(), 12);
}

TEST(LabelAttributes, EffectSettingsAndText) {
    struct Hint {
        const wchar_t* value;
        int stored;
    };
    for (const Hint& h : {Hint{L"3", 3}, Hint{L"5", 5}, Hint{L"7", 0}, Hint{L"-1", 0}}) {
        ProbeLabel label;
        label.ApplyAttribute(L"rhaa", h.value);
        EXPECT_EQ(label.Hint(), h.stored) << testutil::Narrow(h.value);
    }
    struct Offset {
        const wchar_t* value;
        float x, y;
    };
    const Offset offsets[] = {
        {L"4,200", 0, 0}, {L"4,-90", 0, 4}, {L"4,45", -4, -4}, {L"4,-180", 4, 0},
        {L"4,135", 4, -4},
    };
    for (const Offset& o : offsets) {
        ProbeLabel label;
        label.ApplyAttribute(L"shadowoffset", o.value);
        EXPECT_EQ(label.ShadowX(), o.x) << testutil::Narrow(o.value);
        EXPECT_EQ(label.ShadowY(), o.y) << testutil::Narrow(o.value);
    }
    ProbeLabel label;
    label.ApplyAttribute(L"text", L"plain");
    label.ApplyAttribute(L"enabledeffect", L"true");
    EXPECT_STREQ(label.GetText().GetData(), L"plain");
    label.SetText(L"effect");
    EXPECT_STREQ(label.GetText().GetData(), L"effect");
    EXPECT_STREQ(label.PlainText().GetData(), L"plain");
}

TEST(ButtonBehaviour, FlagsStateAndParts) {
    struct Case {
        bool enabled, keyboard;
        UINT flags;
    };
    const Case cases[] = {{true, true, 3}, {true, false, 2}, {false, true, 0}, {false, false, 0}};
    for (const Case& c : cases) {
        CButtonUI b;
        b.SetKeyboardEnabled(c.keyboard);
        b.SetEnabled(c.enabled);
        EXPECT_EQ(b.GetBehaviourFlags(), c.flags);
    }
    // A disabled button ignores a press.
    CButtonUI b;
    b.SetPos(RECT{0, 0, 50, 20});
    b.SetEnabled(false);
    TControlEvent down;
    down.type = kEventButtonDown;
    down.mouse = POINT{10, 10};
    b.DispatchEvent(down);
    EXPECT_EQ(b.GetButtonState(), 0u);
    b.SetEnabled(true);
    b.DispatchEvent(down);
    EXPECT_EQ(b.GetButtonState(), UINT{kStatePushed | kStateCaptured});
    b.SetEnabled(false);
    EXPECT_EQ(b.GetButtonState(), 0u) << "disabling clears every bit";

    CProgressUI p;
    const struct {
        const wchar_t* part;
        bool found;
    } parts[] = {{L"Progress", true}, {L"Label", true}, {L"Control", true}, {L"Button", false}};
    for (const auto& q : parts) EXPECT_EQ(p.QueryPart(q.part) != nullptr, q.found);
    EXPECT_EQ(b.QueryPart(L"Button"), static_cast<void*>(&b));
}

}  // namespace
