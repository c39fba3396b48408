// Field extraction and number reading, including the "fewer fields: whole text" rule.
#include "forms/text_field.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

TEST(TextField, PicksTheNthFieldOrTheWholeText) {
    const struct {
        std::string_view Text, Separator;
        int N;
        std::string_view Expected;
    } cases[] = {
        // clang-format off
        {"a,b,c", ",", 1, "a"},     {"a,b,c", ",", 3, "c"}, {"a,b,c", ",", 4, "a,b,c"},
        {"abc", ",", 2, "abc"},     {",", ",", 2, ""},      {",", ",", 3, ","},
        {"a,,c", ",", 2, ""},       {"", ",", 1, ""},       {"a::b::c", "::", 2, "b"},
        {"aXbxc", "x", 1, "aXb"},   {"a,b", ",", 0, "a,b"}, {"a,b", "", 1, "a,b"},
        // clang-format on
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TextField(c.Text, c.Separator, c.N), c.Expected) << c.Text << " #" << c.N;
    }
    EXPECT_EQ(CountFields("a,b,,", ","), 4);
    EXPECT_EQ(CountFields("a::b:c", "::"), 2);
}

TEST(ReadLeadingNumber, ReadsTheNumberAtTheStart) {
    const struct {
        std::string_view Text;
        double Expected;
    } cases[] = {
        // clang-format off
        {"9", 9},    {"  9.5x", 9.5}, {"-12", -12}, {"+3", 3},  {".5", 0.5}, {"9.", 9},
        {"1.2.3", 1.2}, {"1e5", 1},   {"abc", 0},   {"", 0},    {"-", 0},    {".", 0},
        {"- 5", 0},  {"\t5", 0},      {"50,FT", 50},
        // clang-format on
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(ReadLeadingNumber(c.Text), c.Expected) << "'" << c.Text << "'";
    }
    // Digit runs beyond a double's range stay well-defined.
    EXPECT_TRUE(std::isinf(ReadLeadingNumber("-" + std::string(400, '9'))));
    EXPECT_EQ(ReadLeadingNumber("0." + std::string(400, '0') + "1"), 0.0);
}

}  // namespace
