// Anchored edges and rectangles, with the undefined cases kept where they were captured.
#include "forms/anchor_layout.h"

#include <gtest/gtest.h>

namespace {

TEST(AnchoredEdge, FollowsTheParentsChangeOfSize) {
    // Captured left 206 / right 271 in a parent 289 wide that grows to 389.
    const struct {
        std::string_view Field;
        int Captured, CapturedParent, NewParent, Expected;
    } cases[] = {
        // clang-format off
        {"S", 206, 289, 389, 277},   {"FR", 206, 289, 389, 306},  {"FB", 206, 289, 389, 306},
        {"F50", 206, 289, 389, 256}, {"F50", 271, 289, 389, 321}, {"FL", 206, 289, 389, 206},
        {"F25.5", 200, 100, 300, 251}, {"F50", 10, 3, 4, 10},     {"F50", 10, 3, 6, 12},
        {"FR", 206, 0, 389, 595},
        // Undefined by the layout rules: the edge stays where it was captured.
        {"S", 206, 0, 389, 206},     {"Q", 206, 289, 389, 206},   {"", 206, 289, 389, 206},
        // clang-format on
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AnchoredEdge(c.Field, c.Captured, c.CapturedParent, c.NewParent), c.Expected)
            << "'" << c.Field << "' " << c.Captured;
    }
}

TEST(AnchoredRect, OneFieldPerEdgeAndShortTextsAnchorNothing) {
    const EdgeRect captured{206, 175, 271, 201};
    const struct {
        std::string_view Anchor;
        EdgeRect Expected;
    } cases[] = {
        {"FL,FT,FR,FB", {206, 175, 371, 251}},  // stretches with the parent
        {"fr,ft,fr,ft", {306, 175, 371, 201}},  // either case; follows the right edge
        {"S,S,S,S", {277, 216, 365, 248}},
        {"S,FT,FR", {277, 175, 371, 201}},  // a missing field keeps its edge
    };
    for (const auto& c : cases) {
        const auto rect = AnchoredRect(c.Anchor, {289, 212}, captured, {389, 262});
        ASSERT_TRUE(rect.has_value()) << c.Anchor;
        EXPECT_TRUE(*rect == c.Expected) << c.Anchor;
    }
    for (std::string_view shortText : {"", "S,S,S,"}) {
        EXPECT_FALSE(AnchoredRect(shortText, {289, 212}, captured, {389, 262})) << shortText;
    }
}

}  // namespace
