// What an analogue clock face is made of: its points, angles and pens in design units, and the
// 79 primitives (rim and 78 segments) of one face at a given time.
#include "app/clock_face_geometry.h"

#include <cmath>

#include "forms/pixel_math.h"

namespace {

constexpr int kDegreesPerMinuteStep = 6;  // one minute or second of the dial
constexpr int kDegreesPerHour = 30;
constexpr int kTwelveOClockDegrees = -90;
constexpr int kQuarterTurnSeconds = 15;
constexpr int kSecondsPerTurn = 60;
constexpr int kTicksBeforeTwelve = 3;  // tick 0 is three hours before 3 o'clock, angle 0

// A quarter turn back on the dial; a negative second wraps round.
int QuarterTurnBack(int second) {
    const int back = second - kQuarterTurnSeconds;
    return back < 0 ? back + kSecondsPerTurn : back;
}

}  // namespace

DesignPoint ClockPoint(double radius, double angleRadians) {
    const double x = kFaceCentre + radius * std::cos(angleRadians);
    const double y = kFaceCentre + radius * std::sin(angleRadians);
    return {RoundHalfEven(x), RoundHalfEven(y)};
}

double HourTickAngle(int tick) {
    return (tick - kTicksBeforeTwelve) * kRadiansPerHourTick;
}

double MinuteTickAngle(int tick) {
    return (kDegreesPerMinuteStep * tick) * kRadiansPerDegree;
}

double HourHandAngle(int hour, int minute) {
    const double degrees = (hour * kDegreesPerHour) + minute / 2.0;
    return degrees * kRadiansPerDegree - kQuarterTurnRadians;
}

double MinuteHandAngle(int minute) {
    return (kDegreesPerMinuteStep * minute + kTwelveOClockDegrees) * kRadiansPerDegree;
}

double SecondAngle(int second) {
    return (kDegreesPerMinuteStep * second + kTwelveOClockDegrees) * kRadiansPerDegree;
}

ClockTime ClockTimeOf(SerialDate date) {
    const DateTimeFields fields = SplitSerialDate(date);
    return {fields.Hour, fields.Minute, fields.Second};
}

SecondKite SecondKiteAt(int second) {
    const int back = QuarterTurnBack(second);
    const int tail = QuarterTurnBack(back);
    const int ahead = QuarterTurnBack(tail);
    return {ClockPoint(kSecondTipRadius, SecondAngle(second)),
            ClockPoint(kSecondSideRadius, SecondAngle(back)),
            ClockPoint(kSecondTailRadius, SecondAngle(tail)),
            ClockPoint(kSecondSideRadius, SecondAngle(ahead))};
}

void DrawClockFace(const ClockTime& time, FaceCanvas& canvas, const FaceInk& ink) {
    const DesignPoint centre{kFaceCentre, kFaceCentre};

    canvas.SetPen({kRimPen.Width, ink.Marks});
    canvas.DrawEllipse(kRimLeft, kRimLeft, kRimDiameter, kRimDiameter);
    for (int tick = 0; tick < kHourTickCount; ++tick) {
        const double angle = HourTickAngle(tick);
        canvas.DrawLine(ClockPoint(kRimRadius, angle), ClockPoint(kHourTickInnerRadius, angle));
    }
    // The minute ticks at the hours are drawn too, over the outer part of the hour ticks.
    canvas.SetPen({kMinuteTickPen.Width, ink.Marks});
    for (int tick = 0; tick < kMinuteTickCount; ++tick) {
        const double angle = MinuteTickAngle(tick);
        canvas.DrawLine(ClockPoint(kRimRadius, angle), ClockPoint(kMinuteTickInnerRadius, angle));
    }

    canvas.SetPen({kHourHandPen.Width, ink.HourHand});
    canvas.DrawLine(centre, ClockPoint(kHourHandRadius, HourHandAngle(time.Hour, time.Minute)));
    canvas.SetPen({kMinuteHandPen.Width, ink.MinuteHand});
    canvas.DrawLine(centre, ClockPoint(kMinuteHandRadius, MinuteHandAngle(time.Minute)));

    canvas.SetPen({kSecondHandPen.Width, ink.SecondHand});
    const SecondKite kite = SecondKiteAt(time.Second);
    canvas.DrawLine(kite.SideBack, kite.Tip);
    canvas.DrawLine(kite.Tail, kite.SideBack);
    canvas.DrawLine(kite.SideAhead, kite.Tail);
    canvas.DrawLine(kite.Tip, kite.SideAhead);
}
