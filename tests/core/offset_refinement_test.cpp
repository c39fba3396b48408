// Narrowing a source's offset: a simulated source and path, in simulated time.
#include "core/offset_refinement.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kMsDays = 1.0 / kMillisecondsPerDay;

struct PathCase {
    const char* Name;
    SerialDate StartUtc;     // our clock when the first request goes out
    double SourceAheadMs;    // the source's clock minus ours
    double OutMs, BackMs;    // one-way delays of every exchange...
    int JumpAt = 0;          // ...but of this one (1: the first refinement)
    double JumpOutMs = 0.0;  // the request takes this long
    int FailAt = 0;          // this refinement gets no answer
    int Exchanges;           // expected, the first one included
    double WidthMs;          // of the final bounds, expected to within 15 %: a turn seldom falls
                             // exactly at the centre of the bounds
};

// A source whose clock runs SourceAheadMs ahead and stamps the whole second it reads when the
// request arrives. A connection takes one round trip before the request may go.
class SimulatedPath final : public RefinementLink {
public:
    explicit SimulatedPath(const PathCase& c) : case_(c), now_(c.StartUtc) {}

    NetworkReading Exchange(SerialDate sendAtUtc, int index) {
        const double outMs = index == case_.JumpAt ? case_.JumpOutMs : case_.OutMs;
        NetworkReading answer;
        answer.ConnectDays = (case_.OutMs + case_.BackMs) * kMsDays;
        now_ = std::max(now_ + answer.ConnectDays, sendAtUtc);
        answer.UtcBeforeSend = now_;
        const double sourceSeconds = (now_ + (outMs + case_.SourceAheadMs) * kMsDays) * 86400.0;
        answer.HeaderUtc = std::floor(sourceSeconds) / 86400.0;
        now_ += (outMs + case_.BackMs) * kMsDays;
        answer.UtcAfterRead = now_;
        return answer;
    }

    SerialDate NowUtc() override { return now_; }
    NetworkReading ExchangeAt(SerialDate sendAtUtc, SerialDate deadlineUtc) override {
        ++refinements_;
        const NetworkReading answer = Exchange(sendAtUtc, refinements_);
        if (refinements_ == case_.FailAt || answer.UtcAfterRead > deadlineUtc) {
            return {};
        }
        return answer;
    }
    bool Narrowed(const OffsetBounds&) override { return true; }

private:
    PathCase case_;
    SerialDate now_;
    int refinements_ = 0;
};

// 2026-12-07 10:00:00 UTC and a moment just before midnight UTC on New Year's Eve.
constexpr SerialDate kMorning = 46363.0 + 10.0 / 24.0;
constexpr SerialDate kBeforeNewYear = 46387.0 - 300 * kMsDays;

TEST(RefineOffset, HalvesTheBoundsUntilTheyAreNarrowOrSomethingGoesWrong) {
    const PathCase cases[] = {
        {"loopback, source 300 ms ahead", kMorning, 300, 0.25, 0.25, 0, 0, 0, 8, 7.8125},
        {"loopback, source 1.7 s behind", kMorning, -1700.4, 0.25, 0.25, 0, 0, 0, 8, 7.8125},
        {"100 ms each way", kMorning, 700, 100, 100, 0, 0, 0, 8, 7.8125},
        {"across a second, a day and a year", kBeforeNewYear, 420, 1, 1, 0, 0, 0, 8, 7.8125},
        // One request is held up 2.25 s on its way: its answer contradicts the bounds, which
        // stay as they were after two refinements.
        {"the path's delay jumps", kMorning, 300, 1, 1, 3, 2251, 0, 4, 250},
        {"a refinement fails", kMorning, 300, 1, 1, 0, 0, 2, 3, 500},
        {"the first answer fails to narrow", kMorning, 300, 1, 1, 0, 0, 1, 2, 1000},
    };
    for (const PathCase& c : cases) {
        SCOPED_TRACE(c.Name);
        SimulatedPath path(c);
        const NetworkReading first = path.Exchange(c.StartUtc, 0);
        const RefinedOffset refined = RefineOffset(first, path);
        EXPECT_EQ(refined.Exchanges, c.Exchanges);
        EXPECT_NEAR(refined.Bounds.WidthDays() / kMsDays, c.WidthMs, c.WidthMs * 0.15);
        // The true offset lies within the bounds, the source reading at the path's middle.
        const double trueMs = c.SourceAheadMs + (c.OutMs - c.BackMs) / 2;
        EXPECT_LE(refined.Bounds.LowDays / kMsDays, trueMs + 0.01);
        EXPECT_GT(refined.Bounds.HighDays / kMsDays, trueMs - 0.01);
        EXPECT_LE(path.NowUtc() - first.UtcAfterRead, kRefinementWindowDays);
    }
}

}  // namespace
