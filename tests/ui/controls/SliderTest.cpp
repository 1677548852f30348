// The slider in a live window: thumb geometry, a drag that reports only on release, the wheel
// step, an empty range and a thumb wider than its track.
#include <gtest/gtest.h>

#include <windows.h>

#include "ListTestWindow.h"
#include "SliderUI.h"

using namespace Veneer;

namespace {

const wchar_t kSliderXml[] =
    L"<Window><HorizontalLayout height=\"20\"><Slider name=\"s\" width=\"110\" height=\"20\" "
    L"thumbsize=\"10,10\" min=\"0\" max=\"100\" value=\"50\" step=\"5\"/>"
    L"</HorizontalLayout></Window>";

void Drag(listtest::ListWindow& w, POINT from, POINT to) {
    livetest::MouseMove(w.hwnd(), from.x, from.y);
    livetest::MouseDown(w.hwnd(), from.x, from.y);
    livetest::MouseMove(w.hwnd(), to.x, to.y);
}

}  // namespace

TEST(SliderTest, ThumbAndReleasePositionsOfA110PixelTrack) {
    listtest::ListWindow w;
    ASSERT_TRUE(w.Open(200, 40, kSliderXml));
    auto* s = w.Find<CSliderUI>(L"s");
    ASSERT_NE(s, nullptr);
    ASSERT_EQ(s->GetPos().left, 0);
    EXPECT_EQ(s->GetThumbRect().left, 50);
    EXPECT_EQ(s->GetThumbRect().right, 60);

    struct {
        int x;
        int value;
    } const cases[] = {{5, 0}, {105, 100}, {55, 50}};
    int notes = 0;
    for (const auto& c : cases) {
        const POINT thumb = listtest::Centre(s->GetThumbRect());
        Drag(w, thumb, POINT{c.x, 10});
        EXPECT_EQ(w.Count(L"valuechanged:s"), notes) << "no report while dragging";
        livetest::MouseUp(w.hwnd(), c.x, 10);
        EXPECT_EQ(s->GetValue(), c.value) << c.x;
        EXPECT_EQ(w.Count(L"valuechanged:s"), ++notes);
    }
    // A press beside the thumb drags nothing.
    s->SetValue(50);
    livetest::MouseDown(w.hwnd(), 100, 10);
    livetest::MouseUp(w.hwnd(), 100, 10);
    EXPECT_EQ(s->GetValue(), 50);
    EXPECT_EQ(w.Count(L"valuechanged:s"), notes);
}

TEST(SliderTest, VerticalThumbAndReleasePositionsOfA110PixelTrack) {
    listtest::ListWindow w;
    ASSERT_TRUE(w.Open(80, 150,
                       L"<Window><HorizontalLayout inset=\"30,20,0,0\"><Slider name=\"v\" "
                       L"hor=\"false\" width=\"20\" height=\"110\" thumbsize=\"10,10\" "
                       L"min=\"0\" max=\"100\" value=\"50\"/></HorizontalLayout></Window>"));
    auto* s = w.Find<CSliderUI>(L"v");
    ASSERT_NE(s, nullptr);
    ASSERT_EQ(s->GetPos().top, 20);
    // The minimum is at the bottom; the thumb is centred across the track.
    EXPECT_EQ(s->GetThumbRect().left, 35);
    EXPECT_EQ(s->GetThumbRect().top, 70);
    struct {
        int y, value, thumbTop;
    } const cases[] = {{25, 100, 20}, {125, 0, 120}, {75, 50, 70}, {50, 75, 45}};
    for (const auto& c : cases) {
        Drag(w, listtest::Centre(s->GetThumbRect()), POINT{40, c.y});
        livetest::MouseUp(w.hwnd(), 40, c.y);
        EXPECT_EQ(s->GetValue(), c.value) << c.y;
        EXPECT_EQ(s->GetThumbRect().top, c.thumbTop) << c.y;
        EXPECT_EQ(s->GetThumbRect().bottom, c.thumbTop + 10) << c.y;
    }
    EXPECT_EQ(w.Count(L"valuechanged:v"), 4);
}

TEST(SliderTest, WheelNotchMovesByStepAndReports) {
    listtest::ListWindow w;
    ASSERT_TRUE(w.Open(200, 40, kSliderXml));
    auto* s = w.Find<CSliderUI>(L"s");
    w.Wheel(WHEEL_DELTA, POINT{20, 10});
    EXPECT_EQ(s->GetValue(), 55);
    EXPECT_EQ(w.Count(L"valuechanged:s"), 1);
    w.Wheel(-WHEEL_DELTA, POINT{20, 10});
    w.Wheel(-WHEEL_DELTA, POINT{20, 10});
    EXPECT_EQ(s->GetValue(), 45);
    EXPECT_EQ(w.Count(L"valuechanged:s"), 3);
}

TEST(SliderTest, EmptyRangeAndOversizedThumbStayOnTheTrack) {
    listtest::ListWindow w;
    ASSERT_TRUE(w.Open(200, 40, kSliderXml));
    auto* s = w.Find<CSliderUI>(L"s");
    // A range with nothing in it puts the thumb at the start and leaves the value alone.
    for (bool horizontal : {true, false}) {
        s->SetHorizontal(horizontal);
        s->SetMinValue(30);
        s->SetMaxValue(30);
        s->SetValue(40);
        const RECT thumb = s->GetThumbRect();
        if (horizontal)
            EXPECT_EQ(thumb.left, s->GetPos().left);
        else
            EXPECT_EQ(thumb.bottom, s->GetPos().bottom);
        TControlEvent press;
        press.type = kEventButtonDown;
        press.mouse = listtest::Centre(thumb);
        s->HandleEvent(press);
        TControlEvent release = press;
        release.type = kEventButtonUp;
        release.mouse = POINT{100, 15};
        s->HandleEvent(release);
        EXPECT_EQ(s->GetValue(), 40);
    }
    s->SetHorizontal(true);
    s->SetMinValue(0);
    s->SetMaxValue(100);
    s->SetThumbSize(300, 30);
    const RECT pos = s->GetPos();
    for (int value : {0, 50, 100}) {
        s->SetValue(value);
        const RECT thumb = s->GetThumbRect();
        EXPECT_GE(thumb.left, pos.left);
        EXPECT_LE(thumb.right, pos.right);
        EXPECT_LE(thumb.bottom - thumb.top, pos.bottom - pos.top);
    }
    Drag(w, listtest::Centre(s->GetThumbRect()), POINT{60, 10});
    livetest::MouseUp(w.hwnd(), 60, 10);
    EXPECT_GE(s->GetValue(), 0);
    EXPECT_LE(s->GetValue(), 100);
}
