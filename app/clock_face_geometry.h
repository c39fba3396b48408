// What an analogue clock face is made of: its points, angles and pens in design units, and the
// 79 primitives (rim and 78 segments) of one face at a given time.
#pragma once

#include <cstdint>

#include "core/serial_date.h"

// The angles are made with this value of pi and these quarter-turn and degree constants, not
// with the exact ones: at a few tick and hand positions they decide on which side of a half
// pixel a coordinate falls (the one o'clock tick starts at x 85, not 84).
inline constexpr double kFacePi = 3.1415926;
inline constexpr double kRadiansPerDegree = kFacePi / 180;
inline constexpr double kRadiansPerHourTick = kFacePi / 6;
inline constexpr double kQuarterTurnRadians = 1.5707963;

// Design units: pixels at 96 DPI, origin at the top-left corner of the face's client area.
inline constexpr int kFaceCentre = 57;
inline constexpr float kRimLeft = 2.0f;
inline constexpr float kRimDiameter = 110.0f;
inline constexpr double kRimRadius = 55.0;
inline constexpr double kHourTickInnerRadius = 50.0;
inline constexpr double kMinuteTickInnerRadius = 52.0;
inline constexpr double kHourHandRadius = 40.0;
inline constexpr double kMinuteHandRadius = 50.0;
inline constexpr double kSecondTipRadius = 50.0;
inline constexpr double kSecondSideRadius = 5.0;
inline constexpr double kSecondTailRadius = 15.0;
inline constexpr int kHourTickCount = 12;
inline constexpr int kMinuteTickCount = 60;

// 32-bit ARGB: alpha in the top byte, then red, green, blue; each argument counts by its low
// byte only.
constexpr uint32_t MakeArgb(int alpha, int red, int green, int blue) {
    return (static_cast<uint32_t>(alpha & 0xFF) << 24) | (static_cast<uint32_t>(red & 0xFF) << 16) |
           (static_cast<uint32_t>(green & 0xFF) << 8) | static_cast<uint32_t>(blue & 0xFF);
}

// A solid pen: width in design pixels, opaque colour.
struct FacePen {
    float Width = 0.0f;
    uint32_t Argb = 0;
    bool operator==(const FacePen&) const = default;
};

inline constexpr uint32_t kOpaqueBlack = MakeArgb(255, 0, 0, 0);
inline constexpr FacePen kRimPen{2.0f, kOpaqueBlack};  // the hour ticks share it
inline constexpr FacePen kMinuteTickPen{1.0f, kOpaqueBlack};
inline constexpr FacePen kHourHandPen{3.0f, MakeArgb(255, 255, 63, 192)};    // pink
inline constexpr FacePen kMinuteHandPen{1.0f, MakeArgb(255, 31, 224, 128)};  // green
inline constexpr FacePen kSecondHandPen{1.0f, MakeArgb(255, 0, 0, 255)};     // blue

// The colours a face is drawn in (opaque ARGB): the rim and ticks, then each hand.
struct FaceInk {
    uint32_t Marks = 0;
    uint32_t HourHand = 0;
    uint32_t MinuteHand = 0;
    uint32_t SecondHand = 0;
};
// The designed colours, those of the pens above.
inline constexpr FaceInk kDesignInk{kRimPen.Argb, kHourHandPen.Argb, kMinuteHandPen.Argb,
                                    kSecondHandPen.Argb};
// Under high contrast the pale hands would vanish: everything in the theme's text colour but
// the second hand, in its highlight colour, so that it stays apart from the others.
constexpr FaceInk HighContrastInk(uint32_t textArgb, uint32_t highlightArgb) {
    return {textArgb, textArgb, textArgb, highlightArgb};
}

struct DesignPoint {
    int X = 0;
    int Y = 0;
    bool operator==(const DesignPoint&) const = default;
};

// The point at radius and angle around the centre (angle 0 at 3 o'clock, growing clockwise
// because y grows downwards), each coordinate rounded to the nearest integer, halves to even.
DesignPoint ClockPoint(double radius, double angleRadians);

// Angles in radians. Hour tick 0 and second 0 are at 12 o'clock.
double HourTickAngle(int tick);
double MinuteTickAngle(int tick);
// The hour hand moves half a degree per minute; hours 12 to 23 land where 0 to 11 do.
double HourHandAngle(int hour, int minute);
// The minute and second hands jump a whole step at a time.
double MinuteHandAngle(int minute);
double SecondAngle(int second);

struct ClockTime {
    int Hour = 0;    // 0..23
    int Minute = 0;  // 0..59
    int Second = 0;  // 0..59
};

// The clock fields of a SerialDate (all 0 for a value without a calendar date).
ClockTime ClockTimeOf(SerialDate date);

// The second hand: an unfilled kite with its tip at radius 50, its sides a quarter turn either
// way at radius 5 and its tail opposite the tip at radius 15.
struct SecondKite {
    DesignPoint Tip, SideBack, Tail, SideAhead;
};
SecondKite SecondKiteAt(int second);

// Receives the primitives of a face in drawing order; coordinates in design units.
class FaceCanvas {
public:
    virtual void SetPen(const FacePen& pen) = 0;
    virtual void DrawEllipse(float x, float y, float width, float height) = 0;
    virtual void DrawLine(DesignPoint from, DesignPoint to) = 0;

protected:
    ~FaceCanvas() = default;
};

// The whole face at a time of day: rim, hour ticks, minute ticks, then the hour, minute and
// second hands, each later one over the earlier ones; the pens' widths as designed, their
// colours from ink.
void DrawClockFace(const ClockTime& time, FaceCanvas& canvas, const FaceInk& ink = kDesignInk);
