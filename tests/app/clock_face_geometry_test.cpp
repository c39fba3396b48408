// The clock face's points, pens and primitives against the coordinates the face must show.
#include "app/clock_face_geometry.h"

#include <gtest/gtest.h>

#include <numbers>
#include <ostream>
#include <vector>

#include "forms/canvas_scale.h"

void PrintTo(const DesignPoint& point, std::ostream* out) {
    *out << "(" << point.X << ", " << point.Y << ")";
}

namespace {

enum class StepKind { Pen, Ellipse, Line };

struct Step {
    StepKind Kind;
    FacePen Pen;
    PixelBox Box;  // the ellipse's, in design units
    DesignPoint From, To;
};

class RecordingCanvas final : public FaceCanvas {
public:
    void SetPen(const FacePen& pen) override { steps.push_back({StepKind::Pen, pen, {}, {}, {}}); }
    void DrawEllipse(float x, float y, float width, float height) override {
        steps.push_back({StepKind::Ellipse, {}, {x, y, width, height}, {}, {}});
    }
    void DrawLine(DesignPoint from, DesignPoint to) override {
        steps.push_back({StepKind::Line, {}, {}, from, to});
    }

    std::vector<Step> steps;
};

std::vector<Step> Record(const ClockTime& time) {
    RecordingCanvas canvas;
    DrawClockFace(time, canvas);
    return canvas.steps;
}

// Where the primitives of a face sit in the recording.
constexpr size_t kHourTicksAt = 2;
constexpr size_t kMinuteTicksAt = kHourTicksAt + 12 + 1;  // after their pen
constexpr size_t kHourHandAt = kMinuteTicksAt + 60;
constexpr size_t kMinuteHandAt = kHourHandAt + 2;
constexpr size_t kKiteAt = kMinuteHandAt + 2;
constexpr size_t kStepCount = kKiteAt + 5;  // the pen and four segments

constexpr DesignPoint kCentre{57, 57};

TEST(ClockFace, HandsAtTheListedTimes) {
    const struct {
        ClockTime Time;
        DesignPoint HourEnd, MinuteEnd, Tip, SideBack, Tail, SideAhead;
    } cases[] = {
        {{0, 0, 0}, {57, 17}, {57, 7}, {57, 7}, {52, 57}, {57, 72}, {62, 57}},
        {{9, 30, 45}, {18, 47}, {57, 107}, {7, 57}, {57, 62}, {72, 57}, {57, 52}},
        {{15, 20, 10}, {96, 64}, {100, 82}, {100, 32}, {54, 53}, {44, 65}, {60, 61}},
        {{3, 0, 0}, {97, 57}, {57, 7}, {57, 7}, {52, 57}, {57, 72}, {62, 57}},
        {{15, 0, 0}, {97, 57}, {57, 7}, {57, 7}, {52, 57}, {57, 72}, {62, 57}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.Time.Hour << ":" << c.Time.Minute << ":" << c.Time.Second);
        const std::vector<Step> steps = Record(c.Time);
        ASSERT_EQ(steps.size(), kStepCount);
        EXPECT_EQ(steps[kHourHandAt].Pen, kHourHandPen);
        EXPECT_EQ(steps[kHourHandAt + 1].From, kCentre);
        EXPECT_EQ(steps[kHourHandAt + 1].To, c.HourEnd);
        EXPECT_EQ(steps[kMinuteHandAt].Pen, kMinuteHandPen);
        EXPECT_EQ(steps[kMinuteHandAt + 1].From, kCentre);
        EXPECT_EQ(steps[kMinuteHandAt + 1].To, c.MinuteEnd);

        // The kite's outline in drawing order: S1 to T, B to S1, S2 to B, T to S2.
        EXPECT_EQ(steps[kKiteAt].Pen, kSecondHandPen);
        const DesignPoint outline[4][2] = {
            {c.SideBack, c.Tip}, {c.Tail, c.SideBack}, {c.SideAhead, c.Tail}, {c.Tip, c.SideAhead}};
        for (size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(steps[kKiteAt + 1 + i].From, outline[i][0]) << "segment " << i;
            EXPECT_EQ(steps[kKiteAt + 1 + i].To, outline[i][1]) << "segment " << i;
        }
    }
}

TEST(ClockFace, RimAndTicks) {
    const std::vector<Step> steps = Record({10, 10, 10});
    ASSERT_EQ(steps.size(), kStepCount);
    EXPECT_EQ(steps[0].Pen, kRimPen);
    EXPECT_EQ(steps[1].Kind, StepKind::Ellipse);
    EXPECT_EQ(steps[1].Box, (PixelBox{2, 2, 110, 110}));
    EXPECT_EQ(steps[kMinuteTicksAt - 1].Pen, kMinuteTickPen);
    for (size_t i = 0; i < kStepCount; ++i) {
        const bool isPen = i == 0 || i == kMinuteTicksAt - 1 || i == kHourHandAt ||
                           i == kMinuteHandAt || i == kKiteAt;
        EXPECT_EQ(steps[i].Kind, isPen    ? StepKind::Pen
                                 : i == 1 ? StepKind::Ellipse
                                          : StepKind::Line)
            << i;
    }

    const struct {
        int Tick;  // in hours from 12 o'clock
        DesignPoint Outer, Inner;
    } hourTicks[] = {
        {0, {57, 2}, {57, 7}},     {1, {85, 9}, {82, 14}},    {3, {112, 57}, {107, 57}},
        {5, {85, 105}, {82, 100}}, {6, {57, 112}, {57, 107}}, {7, {30, 105}, {32, 100}},
        {9, {2, 57}, {7, 57}},
    };
    for (const auto& c : hourTicks) {
        const Step& tick = steps[kHourTicksAt + static_cast<size_t>(c.Tick)];
        EXPECT_EQ(tick.From, c.Outer) << c.Tick << " o'clock";
        EXPECT_EQ(tick.To, c.Inner) << c.Tick << " o'clock";
    }

    const struct {
        int Tick;  // in minutes from 12 o'clock
        DesignPoint Outer, Inner;
    } minuteTicks[] = {
        {0, {57, 2}, {57, 5}},
        {15, {112, 57}, {109, 57}},
        {25, {85, 105}, {83, 102}},
        {45, {2, 57}, {5, 57}},
    };
    for (const auto& c : minuteTicks) {
        // Minute tick i is drawn at 6 i degrees from 3 o'clock.
        const int fromThree = (c.Tick + 45) % 60;
        const Step& tick = steps[kMinuteTicksAt + static_cast<size_t>(fromThree)];
        EXPECT_EQ(tick.From, c.Outer) << "minute " << c.Tick;
        EXPECT_EQ(tick.To, c.Inner) << "minute " << c.Tick;
    }
}

// At these points a coordinate lies within a millionth of a pixel of a half: the face's value
// of pi puts it on one side, the exact one on the other.
TEST(ClockFace, AngleConstantsDecideHalfPixels) {
    constexpr double kExactDegree = std::numbers::pi / 180;
    const struct {
        const char* Name;
        double Radius, Angle, ExactDegrees;
        DesignPoint Expected;
    } cases[] = {
        {"1 o'clock tick, outer", 55, HourTickAngle(1), -60, {85, 9}},
        {"5 o'clock tick, outer", 55, HourTickAngle(5), 60, {85, 105}},
        {"8 o'clock tick, outer", 55, HourTickAngle(8), 150, {9, 85}},
        {"10 o'clock tick, outer", 55, HourTickAngle(10), 210, {9, 30}},
        {"minute tick 10", 55, MinuteTickAngle(10), 60, {85, 105}},
        {"second tail at 25", 15, SecondAngle(25), 60, {65, 70}},
        {"second tail at 40", 15, SecondAngle(40), 150, {44, 65}},
        {"second tail at 5", 15, SecondAngle(5), -60, {65, 44}},
        {"second side at 10", 5, SecondAngle(10), -30, {61, 55}},
        {"second side at 20", 5, SecondAngle(20), 30, {61, 59}},
        {"second side at 35", 5, SecondAngle(35), 120, {55, 61}},
        {"second side at 50", 5, SecondAngle(50), 210, {53, 55}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ClockPoint(c.Radius, c.Angle), c.Expected) << c.Name;
        EXPECT_NE(ClockPoint(c.Radius, c.ExactDegrees * kExactDegree), c.Expected)
            << c.Name << ": the exact pi would draw it there too, so this case proves nothing";
    }
}

TEST(ClockFace, AfternoonHoursLandWhereMorningOnesDo) {
    for (int hour = 0; hour < 12; ++hour) {
        for (int minute = 0; minute < 60; ++minute) {
            EXPECT_EQ(ClockPoint(kHourHandRadius, HourHandAngle(hour, minute)),
                      ClockPoint(kHourHandRadius, HourHandAngle(hour + 12, minute)))
                << hour << ":" << minute;
        }
    }
    // Half a degree per minute: 59 minutes past has moved on from the full hour.
    EXPECT_NE(ClockPoint(kHourHandRadius, HourHandAngle(2, 59)),
              ClockPoint(kHourHandRadius, HourHandAngle(2, 0)));
}

TEST(ClockFace, ArgbColours) {
    const struct {
        int Alpha, Red, Green, Blue;
        uint32_t Expected;
    } cases[] = {
        {255, 0, 0, 255, 0xFF0000FFu},
        {255, 255, 63, 192, 0xFFFF3FC0u},
        {255, 31, 224, 128, 0xFF1FE080u},
        {0, 0, 0, 0, 0u},
        {0x1FF, 0x100, -1, 0x12345, 0xFF00FF45u},  // only the low byte of each counts
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MakeArgb(c.Alpha, c.Red, c.Green, c.Blue), c.Expected);
    }
    EXPECT_EQ(kSecondHandPen.Argb, 0xFF0000FFu);
    EXPECT_EQ(kRimPen, (FacePen{2.0f, 0xFF000000u}));
    EXPECT_EQ(kMinuteTickPen, (FacePen{1.0f, 0xFF000000u}));
}

// The integer design points are scaled as they are drawn, not recomputed for a larger face.
TEST(ClockFace, ScaledForTheScreen) {
    const std::vector<Step> steps = Record({0, 0, 0});
    ASSERT_EQ(steps.size(), kStepCount);
    const Step& rim = steps[1];
    const Step& hourHand = steps[kHourHandAt + 1];
    const Step& minuteHand = steps[kMinuteHandAt + 1];
    const auto scaledLine = [](const Step& line, CanvasScale scale) {
        return SegmentPixels(static_cast<float>(line.From.X), static_cast<float>(line.From.Y),
                             static_cast<float>(line.To.X), static_cast<float>(line.To.Y), scale);
    };

    const CanvasScale at120{1.25f, 1.25f};
    EXPECT_EQ(PenWidthPixels(steps[0].Pen.Width, at120), 2.5f);
    EXPECT_EQ(BoxPixels(rim.Box.X, rim.Box.Y, rim.Box.Width, rim.Box.Height, at120),
              (PixelBox{2.5f, 2.5f, 137.5f, 137.5f}));
    EXPECT_EQ(PenWidthPixels(steps[kMinuteHandAt].Pen.Width, at120), 1.25f);
    EXPECT_EQ(scaledLine(hourHand, at120), (PixelSegment{71.25f, 71.25f, 71.25f, 21.25f}));

    const CanvasScale at96{1.0f, 1.0f};
    EXPECT_EQ(scaledLine(hourHand, at96), (PixelSegment{57, 57, 57, 17}));

    // Wider than tall: pens follow the horizontal factor, vertical lines included.
    const CanvasScale wide{1.25f, 1.0f};
    EXPECT_EQ(PenWidthPixels(steps[kHourHandAt].Pen.Width, wide), 3.75f);
    EXPECT_EQ(PenWidthPixels(steps[kMinuteHandAt].Pen.Width, CanvasScale{1.0f, 1.5f}), 1.0f);
    EXPECT_EQ(scaledLine(minuteHand, wide), (PixelSegment{71.25f, 57, 71.25f, 7}));
    EXPECT_EQ(BoxPixels(rim.Box.X, rim.Box.Y, rim.Box.Width, rim.Box.Height, wide),
              (PixelBox{2.5f, 2, 137.5f, 110}));
}

}  // namespace
