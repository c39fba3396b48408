// The main form's geometry at common DPIs, from its design in design units.
#include "app/main_form_design.h"

#include <gtest/gtest.h>

#include "forms/pixel_math.h"

namespace {

TEST(DesignScaling, MainFormGeometryAtCommonDpis) {
    struct Rect {
        int X, Y, Width, Height;
        bool operator==(const Rect&) const = default;
    };
    const struct {
        int Dpi, FormWidth, FormHeight;
        Rect NetworkFace, ComputerFace, Button;
    } cases[] = {
        {96, 295, 239, {163, 5, 115, 115}, {21, 3, 115, 115}, {206, 175, 65, 26}},
        {120, 369, 299, {204, 6, 144, 144}, {26, 4, 144, 144}, {258, 219, 81, 32}},
        {144, 442, 358, {244, 8, 172, 172}, {32, 4, 172, 172}, {309, 262, 98, 39}},
    };
    for (const auto& c : cases) {
        const float factor = ScaleFactorForDpi(c.Dpi);
        const auto scaled = [factor](int id) {
            const DesignRect& d = FindControl(kMainFormDescription, id)->Rect;
            return Rect{DesignToPixels(static_cast<float>(d.X), factor),
                        DesignToPixels(static_cast<float>(d.Y), factor),
                        DesignToPixels(static_cast<float>(d.Width), factor),
                        DesignToPixels(static_cast<float>(d.Height), factor)};
        };
        SCOPED_TRACE(c.Dpi);
        EXPECT_EQ(DesignToPixels(kMainFormDescription.DesignWidth, factor), c.FormWidth);
        EXPECT_EQ(DesignToPixels(kMainFormDescription.DesignHeight, factor), c.FormHeight);
        EXPECT_TRUE(scaled(kNetworkClockFaceId) == c.NetworkFace);
        EXPECT_TRUE(scaled(kComputerClockFaceId) == c.ComputerFace);
        EXPECT_TRUE(scaled(kCorrectNowButtonId) == c.Button);
    }
}

}  // namespace
