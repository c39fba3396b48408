// Short and long font descriptions, told apart by the number of commas.
#include "forms/font_description.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ParseFontDescription, ShortAndLongForms) {
    const struct {
        std::string Description;
        int DisplayDpiY;
        // Face, points, weight, italic, underline, strike-out, style bits.
        FontDescriptionFields Expected;
    } cases[] = {
        {"微软雅黑,9,0", 96, {"微软雅黑", 9, 400, 0, 0, 0, 0}},
        {"Arial,12,15", 96, {"Arial", 12, 700, -1, -1, -1, 15}},
        {"Arial,12,6", 96, {"Arial", 12, 400, -1, -1, 0, 6}},
        {"Arial,9.5,0", 96, {"Arial", 10, 400, 0, 0, 0, 0}},  // halves to even
        {"Arial", 96, {"Arial", 0, 400, 0, 0, 0, 0}},         // face only
        {"", 96, {"", 0, 400, 0, 0, 0, 0}},
        {"12,14", 96, {"12", 14, 400, 0, -1, -1, 12}},  // missing field 3 is the whole text
        {"Arial,12,1,,,,,,,,", 96, {"Arial", 12, 700, 0, 0, 0, 1}},  // 10 commas: short
        {"Arial,-16,0,0,0,700,1,0,255,0,0,0", 96, {"Arial", 12, 700, 1, 0, 255, 11}},  // 11: long
        {"Arial,-12,0,0,0,400,0,1,0,0,0,0", 120, {"Arial", 7, 400, 0, 1, 0, 4}},
        {"Arial,-12,0,0,0,701,0,0,0,0,0,0", 0, {"Arial", 0, 701, 0, 0, 0, 0}},  // no display DC
        {std::string(40, 'x') + ",9,0", 96, {std::string(40, 'x'), 9, 400, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Description);
        const FontDescriptionFields font = ParseFontDescription(c.Description, c.DisplayDpiY);
        const FontDescriptionFields& e = c.Expected;
        EXPECT_EQ(font.FaceName, e.FaceName);  // cut later, in UTF-16
        EXPECT_EQ(font.PointSize, e.PointSize);
        EXPECT_EQ(font.Weight, e.Weight);
        EXPECT_EQ(font.Italic, e.Italic);
        EXPECT_EQ(font.Underline, e.Underline);
        EXPECT_EQ(font.StrikeOut, e.StrikeOut);
        EXPECT_EQ(font.StyleBits, e.StyleBits);
    }
}

}  // namespace
