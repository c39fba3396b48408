// Rounding rules, design scaling, centring and font heights.
#include "forms/pixel_math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "forms/font_description.h"

namespace {

constexpr int kIntMax = std::numeric_limits<int>::max();

TEST(Rounding, GeometryHalvesToEvenFontsHalvesAwayFromZero) {
    // clang-format off
    const struct { double Value; int Expected; } geometry[] = {
        {7.5, 8}, {172.5, 172}, {2.5, 2}, {-1.5, -2}, {2.6, 3},
        {1e300, kIntMax}, {-1e300, std::numeric_limits<int>::min()}, {std::nan(""), 0},
    };
    const struct { int Number, Numerator, Denominator, Expected; } mulDiv[] = {
        {5, 1, 2, 3}, {-5, 1, 2, -3}, {5, 1, -2, -3}, {-5, -1, 2, 3}, {7, 1, 3, 2},
        {-15, 72, 96, -11}, {1, 1, 0, -1}, {kIntMax, 2, 1, -1}, {kIntMax, kIntMax, kIntMax, kIntMax},
    };
    // clang-format on
    for (const auto& c : geometry) {
        EXPECT_EQ(RoundHalfEven(c.Value), c.Expected) << c.Value;
    }
    for (const auto& c : mulDiv) {
        EXPECT_EQ(MulDivRounded(c.Number, c.Numerator, c.Denominator), c.Expected)
            << c.Number << " * " << c.Numerator << " / " << c.Denominator;
    }
}

TEST(DesignScaling, TheProductIsA32BitFloat) {
    // Even where the FPU computes wider.
    EXPECT_EQ(ScaleDesignValue(3.0f, 0.1f), 3.0f * 0.1f);
}

TEST(Centring, TruncatesTowardsZero) {
    EXPECT_EQ(CentredOrigin(1920, 369), 775);  // 775.5
    EXPECT_EQ(CentredOrigin(1024, 295), 364);
    EXPECT_EQ(CentredOrigin(300, 443), -71);  // a larger form overhangs on both sides
}

TEST(Placement, InsideTheAreaTheNearEdgeFirst) {
    EXPECT_EQ(OriginWithin(100, 200, 0, 1024), 100);  // inside: stays
    EXPECT_EQ(OriginWithin(900, 200, 0, 1024), 824);  // past the far edge: moved back
    EXPECT_EQ(OriginWithin(-21, 442, 0, 400), 0);     // larger than the area: its near edge
    EXPECT_EQ(OriginWithin(-50, 200, 40, 1024), 40);  // a task bar on the near side
}

TEST(FontHeight, PointsAndPixelsBothWays) {
    // clang-format off
    const struct { int Points, Dpi, DpiX, DpiY, Expected; } heights[] = {
        {9, -1, 96, 96, -12}, {9, -1, 120, 120, -15}, {9, -1, 144, 144, -18},
        {12, -1, 96, 96, -16}, {12, -1, 120, 120, -20}, {12, -1, 144, 144, -24},
        {9, -1, 120, 96, -15},  // 1080 / 96 = 11 points
        {9, -1, 96, 120, -12},  // 864 / 120 = 7 points
        {9, 0, 120, 96, -12},   // no DPI given: the size as it is
        {0, -1, 96, 96, 0},     // an empty description, as canvases have
        {9, -1, 96, 0, 0},      // a zero vertical DPI must not divide by zero
    };
    // clang-format on
    for (const auto& c : heights) {
        EXPECT_EQ(ScaledFontHeight(c.Points, c.Dpi, c.DpiX, c.DpiY), c.Expected)
            << c.Points << " pt at " << c.DpiX << " x " << c.DpiY;
    }
    EXPECT_EQ(PointsFromPixelHeight(-12, 96), 9);
    EXPECT_EQ(PointsFromPixelHeight(-16, 96), 12);
    EXPECT_EQ(PointsFromPixelHeight(-15, 96), 11);
    EXPECT_EQ(PointsFromPixelHeight(-12, 120), 7);
    EXPECT_EQ(PointsFromPixelHeight(-12, 0), 0);  // no display DC
}

}  // namespace
