// The two clock faces of the real main form, painted at fixed times and read back pixel by
// pixel: where the hands are, what the network face shows, and that paints leave nothing behind.
// These tests show the form and read the screen, so CTest runs them alone.
#include "app/win/clock_face.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <optional>
#include <tuple>

#include "app/main_form_design.h"
#include "app/win/main_form_controls.h"
#include "core/network_state.h"
#include "core/scope_exit.h"
#include "forms/win/dpi_scaling.h"
#include "forms/win/gdiplus_session.h"
#include "tests/app_win/face_pixels.h"
#include "tests/app_win/main_form_scope.h"
#include "tests/support/fake_clock.h"
#include "tests/support/process_usage.h"

namespace {

constexpr double kSecondDays = 1.0 / 86400.0;
constexpr CanvasScale kDesignScale{1.0f, 1.0f};

SYSTEMTIME At(int hour, int minute, int second) {
    return MakeSystemTime(2026, 12, 7, hour, minute, second, 0);
}

class ClockFaceTest : public testing::Test {
protected:
    // In UTC+8, the network's zone: the network face shows the local clock plus the offset.
    ClockFaceTest() : clock_(At(0, 0, 0)) { clock_.State().ZoneBiasMinutes = 8 * 60; }

    void SetUp() override {
        NetworkOffset = 0.0;
        ShowWindow(form_.get(), SW_SHOWNOACTIVATE);
        SetFocus(nullptr);  // no focus rectangle unless a test asks for one
        UpdateWindow(form_.get());
    }
    void TearDown() override { NetworkOffset = 0.0; }

    static HWND ComputerFace() { return ControlWindows.ClockFaceWindows[kComputerFaceIndex]; }
    static HWND NetworkFace() { return ControlWindows.ClockFaceWindows[kNetworkFaceIndex]; }

    void SetClock(const SYSTEMTIME& time) { clock_.State().Now = time; }

    // Paints the face at the fake clock's time and reads it back.
    static Picture Painted(HWND face) {
        Repaint(face);
        return Capture(face);
    }

    std::optional<GdiplusSession> gdiplus_{std::in_place};
    FakeClockScope clock_;
    MainFormScope form_;
};

TEST_F(ClockFaceTest, HandsAtTheirPointsAndBackgroundElsewhere) {
    ASSERT_TRUE(gdiplus_->Started());
    const COLORREF background = GetSysColor(COLOR_BTNFACE);
    const struct {
        ClockTime Time;
        DesignPoint HourEnd, MinuteEnd, SecondTip;
    } cases[] = {
        {{9, 30, 45}, {18, 47}, {57, 107}, {7, 57}},
        {{15, 20, 10}, {96, 64}, {100, 82}, {100, 32}},
        // After a face with its hands elsewhere: nothing of the earlier picture is left.
        {{9, 30, 45}, {18, 47}, {57, 107}, {7, 57}},
        {{3, 0, 15}, {97, 57}, {57, 7}, {107, 57}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.Time.Hour << ":" << c.Time.Minute << ":" << c.Time.Second);
        SetClock(At(c.Time.Hour, c.Time.Minute, c.Time.Second));
        const Picture picture = Painted(ComputerFace());
        ASSERT_EQ(picture.Width, 115);
        ASSERT_EQ(picture.Height, 115);

        const struct {
            const char* Hand;
            DesignPoint End;
            HandColour Colour;
        } hands[] = {{"hour", c.HourEnd, HandColour::Pink},
                     {"minute", c.MinuteEnd, HandColour::Green},
                     {"second", c.SecondTip, HandColour::Blue}};
        for (const auto& hand : hands) {
            // Two units in from the end, clear of the tick the end point touches.
            const POINT p = InsetFromEnd(hand.End, 2.0, kDesignScale);
            EXPECT_TRUE(NearbyLooksLike(picture, p.x, p.y, hand.Colour))
                << hand.Hand << " hand near (" << p.x << ", " << p.y << ")";
        }
        for (const POINT corner : {POINT{0, 0}, POINT{114, 0}, POINT{0, 114}, POINT{114, 114}}) {
            EXPECT_EQ(picture.At(corner.x, corner.y), background);
        }
        EXPECT_EQ(StrayPixels(picture, c.Time, kDesignScale, background), 0);
        // The rim is drawn: the top of the circle is dark.
        const COLORREF rimTop = picture.At(57, 2);
        EXPECT_LT(GetRValue(rimTop) + GetGValue(rimTop) + GetBValue(rimTop), 3 * 128);
    }
}

// The network face is the computer face moved on by the offset: painted at clock A with offset
// d it must equal the computer face painted at clock A + d.
TEST_F(ClockFaceTest, NetworkFaceShowsTheLocalClockPlusTheOffset) {
    const struct {
        const char* Name;
        SYSTEMTIME Clock;
        int OffsetSeconds;
        SYSTEMTIME Shifted;
    } cases[] = {
        {"no offset", At(9, 30, 45), 0, At(9, 30, 45)},
        {"five hours ahead", At(9, 30, 45), 5 * 3600 + 49 * 60 + 25, At(15, 20, 10)},
        {"back over midnight", At(0, 10, 0), -20 * 60, MakeSystemTime(2026, 12, 6, 23, 50, 0, 0)},
        {"one second ahead", At(12, 0, 0), 1, At(12, 0, 1)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        SetClock(c.Clock);
        NetworkOffset = c.OffsetSeconds * kSecondDays;
        const Picture network = Painted(NetworkFace());
        const Picture computerNow = Painted(ComputerFace());
        SetClock(c.Shifted);
        NetworkOffset = 0.0;
        const Picture computerShifted = Painted(ComputerFace());

        ASSERT_FALSE(network.Pixels.empty());
        EXPECT_TRUE(network == computerShifted);
        EXPECT_EQ(network == computerNow, c.OffsetSeconds == 0);
    }
}

// The theme of each paint: the design's colours, or under high contrast the window colour behind,
// the text colour (pink here) for all but the second hand, in the highlight colour (blue here).
TEST_F(ClockFaceTest, ColoursOfTheThemeOfThePaint) {
    const int elements[] = {COLOR_BTNFACE, COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_HIGHLIGHT};
    COLORREF saved[4];
    std::transform(std::begin(elements), std::end(elements), saved, GetSysColor);
    const COLORREF themed[] = {RGB(200, 220, 160), RGB(90, 90, 90), RGB(255, 63, 192),
                               RGB(0, 0, 255)};
    ASSERT_TRUE(SetSysColors(4, elements, themed));
    static bool highContrast = false;
    const HighContrastQuery system = InstallHighContrastQuery([] { return highContrast; });
    const auto restore = MakeScopeExit([&] {
        SetSysColors(4, elements, saved);
        InstallHighContrastQuery(system);
    });
    SetClock(At(9, 30, 45));
    for (const auto& [on, background, minuteHand] :
         {std::tuple(false, themed[0], HandColour::Green), {true, themed[1], HandColour::Pink}}) {
        highContrast = on;
        const Picture picture = Painted(ComputerFace());
        EXPECT_EQ(picture.At(0, 0), background) << on;
        EXPECT_EQ(StrayPixels(picture, {9, 30, 45}, kDesignScale, background), 0) << on;
        EXPECT_EQ(NearbyLooksLike(picture, 57, 2, HandColour::Pink), on) << "rim";
        const POINT minute = InsetFromEnd({57, 107}, 2.0, kDesignScale);
        EXPECT_TRUE(NearbyLooksLike(picture, minute.x, minute.y, minuteHand)) << on;
        const POINT second = InsetFromEnd({7, 57}, 2.0, kDesignScale);
        EXPECT_TRUE(NearbyLooksLike(picture, second.x, second.y, HandColour::Blue)) << on;
    }
}

// The focused face shows it as Windows' controls do, with keyboard cues on (Wine's always are).
TEST_F(ClockFaceTest, FocusRectangleOnlyOnTheFocusedFaceWithKeyboardCues) {
    for (const bool cues : {true, false}) {
        const WORD action = cues ? UIS_CLEAR : UIS_SET;
        SendMessageW(form_.get(), WM_CHANGEUISTATE, MAKEWPARAM(action, UISF_HIDEFOCUS), 0);
        const bool shown =
            (SendMessageW(NetworkFace(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) == 0;
        for (const HWND focus : {NetworkFace(), HWND{nullptr}}) {
            SetFocus(focus);
            const auto top = Painted(NetworkFace()).Pixels;  // its corner, clear of the rim
            EXPECT_EQ(std::count(top.begin(), top.begin() + 10, GetSysColor(COLOR_BTNFACE)) < 10,
                      shown && focus != nullptr);
        }
    }
}

TEST_F(ClockFaceTest, ThousandsOfPaintsLeaveNoObjectOrMemoryBehind) {
    constexpr int kWarmUp = 200;
    // Enough for a leak of one small GDI+ object per paint to pass the memory bound.
    constexpr int kPaints = 3000;
    // Both faces in turn, each paint a WM_PAINT message of its own, the clock moving on.
    clock_.State().MillisecondsPerRead = 1000;
    for (int i = 0; i < kWarmUp; ++i) {
        Repaint(i % 2 == 0 ? ComputerFace() : NetworkFace());
    }
    const int readsBefore = clock_.State().Reads;
    int paint = 0;
    const RepeatedRun run =
        RunRepeatedly(kPaints, [&] { Repaint(paint++ % 2 == 0 ? ComputerFace() : NetworkFace()); });
    EXPECT_EQ(clock_.State().Reads - readsBefore, kPaints) << "one clock read per paint";
    ExpectFlatUsage(run, "face paints");
    RecordProperty("CpuMicrosecondsPerPaint", static_cast<int>(run.CpuMicrosecondsEach));
}

// A failed start of GDI+ leaves each face its background and nothing else.
TEST_F(ClockFaceTest, WithoutGdiplusOnlyTheBackground) {
    gdiplus_.reset();
    SetClock(At(9, 30, 45));
    NetworkOffset = 3600 * kSecondDays;
    const COLORREF background = GetSysColor(COLOR_BTNFACE);
    for (const HWND face : {ComputerFace(), NetworkFace()}) {
        const Picture picture = Painted(face);
        ASSERT_EQ(picture.Pixels.size(), 115u * 115u);
        EXPECT_EQ(std::count(picture.Pixels.begin(), picture.Pixels.end(), background), 115 * 115);
    }
}

TEST(ClockFaceWindow, NoLongerAWindowIsLeftAloneAndNothingIsMade) {
    const HWND gone = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 115, 115, nullptr, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(gone, nullptr);
    DestroyWindow(gone);
    const GdiplusSession gdiplus;
    // The screen's factors are read once per process, through a DC the system then keeps.
    ScaleX(1.0f);
    ScaleY(1.0f);
    const ProcessUsage before = CurrentProcessUsage();
    for (const HWND face : {gone, HWND{nullptr}, reinterpret_cast<HWND>(0x7FF0)}) {
        for (const int controlIndex : {0, 1, -1}) {
            EXPECT_EQ(PaintClockFace(controlIndex, nullptr, face), -1);
        }
    }
    const ProcessUsage after = CurrentProcessUsage();
    EXPECT_EQ(after.GdiObjects, before.GdiObjects);
}

}  // namespace
