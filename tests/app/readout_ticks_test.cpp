// When the read-outs tick: just after the shown time's next second, whatever its milliseconds.
#include "app/readout_ticks.h"

#include <gtest/gtest.h>

namespace {

TEST(ReadoutTicks, ComeJustAfterTheNextSecond) {
    constexpr double kMsDays = 1.0 / 86400000.0;
    const SerialDate second = 46363.0 + 1707.0 / 86400.0;  // 2026-12-07 00:28:27
    const struct {
        double MsIntoSecond;
        unsigned ExpectedDelayMs;
    } cases[] = {
        {0, 1000 + kTickAfterSecondMs},
        {1, 999 + kTickAfterSecondMs},
        {500.4, 500 + kTickAfterSecondMs},
        {999, 1 + kTickAfterSecondMs},
        // A hair below the next second already shows it, so the tick after that is due.
        {999.99999, 1000 + kTickAfterSecondMs},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MsUntilNextSecondTick(second + c.MsIntoSecond * kMsDays), c.ExpectedDelayMs)
            << c.MsIntoSecond;
    }
}

}  // namespace
