// Narrowing a source's offset: a simulated source and path, in simulated time.
#include "core/offset_refinement.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr double kMsDays = 1.0 / kMillisecondsPerDay;

struct PathCase {
    const char* Name;
    SerialDate StartUtc;   // our clock when the first request goes out
    double SourceAheadMs;  // the connection's machine's clock minus ours
    double OutMs, BackMs;  // one-way delays of every exchange...
    int OddAt = 0;         // ...but of this one on the connection (1: its first)
    double OddOutMs = 0.0, OddBackMs = 0.0;
    double FirstAheadMs = NAN;  // the first answer's machine, when another
    double FirstStallMs = 0.0;  // the first request waits this long before the source reads it
    int SwitchAt = 0;           // from this exchange on the connection, another clock...
    double SwitchedAheadMs = 0.0;
    double SwayMs = 0.0;  // each exchange's request takes 0, 1 or 2 times this longer, in turn
    int FailAt = 0;       // this exchange on the connection gets no answer
    NarrowingEnd End;
    double MaxWidthMs;  // of the final bounds
};

// A source that stamps the whole second it reads when the request arrives. The connection is
// made before its first exchange, which takes a round trip.
class SimulatedPath final : public NarrowingLink {
public:
    explicit SimulatedPath(const PathCase& c) : case_(c), now_(c.StartUtc) {}

    NetworkReading First() {
        const double ahead =
            std::isnan(case_.FirstAheadMs) ? case_.SourceAheadMs : case_.FirstAheadMs;
        NetworkReading first =
            Exchange(now_, case_.OutMs + case_.FirstStallMs, case_.BackMs, ahead);
        first.ConnectDays = (case_.OutMs + case_.BackMs) * kMsDays;
        return first;
    }

    SerialDate NowUtc() override { return now_; }
    NetworkReading ExchangeAt(SerialDate sendAtUtc, SerialDate deadlineUtc) override {
        const int index = static_cast<int>(++exchanges_);
        if (index == 1) {
            now_ += (case_.OutMs + case_.BackMs) * kMsDays;  // connecting
        }
        double out = case_.OutMs + case_.SwayMs * (index % 3);
        double back = case_.BackMs;
        if (index == case_.OddAt) {
            out = case_.OddOutMs;
            back = case_.OddBackMs;
        }
        const double ahead = case_.SwitchAt != 0 && index >= case_.SwitchAt ? case_.SwitchedAheadMs
                                                                            : case_.SourceAheadMs;
        const NetworkReading answer = Exchange(std::max(now_, sendAtUtc), out, back, ahead);
        if (index == case_.FailAt || answer.UtcAfterRead > deadlineUtc) {
            return {};
        }
        answers_.push_back(answer);
        return answer;
    }
    bool GoOn(const OffsetBounds&) override { return true; }

    // The answers the connection gave, in order.
    const std::vector<NetworkReading>& Answers() const { return answers_; }

private:
    NetworkReading Exchange(SerialDate sendAt, double outMs, double backMs, double aheadMs) {
        NetworkReading answer;
        answer.UtcBeforeSend = sendAt;
        const double sourceSeconds = (sendAt + (outMs + aheadMs) * kMsDays) * 86400.0;
        answer.HeaderUtc = std::floor(sourceSeconds) / 86400.0;
        answer.UtcAfterRead = sendAt + (outMs + backMs) * kMsDays;
        now_ = answer.UtcAfterRead;
        return answer;
    }

    PathCase case_;
    SerialDate now_;
    unsigned exchanges_ = 0;
    std::vector<NetworkReading> answers_;
};

// 2026-12-07 10:00:00 UTC and a moment just before midnight UTC on New Year's Eve.
constexpr SerialDate kMorning = 46363.0 + 10.0 / 24.0;
constexpr SerialDate kBeforeNewYear = 46387.0 - 300 * kMsDays;
using End = NarrowingEnd;

// Each row keeps the truth inside the final bounds, or ends at the estimate of the connection's
// first answer; never later than 12 s after the first answer, never with more than 12 exchanges.
TEST(RefineOffset, KeepsTheTruthInsideOrEndsAtTheConnectionsFirstAnswer) {
    // clang-format off
    const PathCase cases[] = {
        {.Name = "loopback, 300 ms ahead", .StartUtc = kMorning, .SourceAheadMs = 300,
         .OutMs = 0.2, .BackMs = 0.2, .End = End::Confirmed, .MaxWidthMs = 4.2},
        {.Name = "loopback, 1.7 s behind", .StartUtc = kMorning, .SourceAheadMs = -1700.4,
         .OutMs = 0.2, .BackMs = 0.2, .End = End::Confirmed, .MaxWidthMs = 4.2},
        {.Name = "20 ms each way", .StartUtc = kMorning, .SourceAheadMs = 612,
         .OutMs = 20, .BackMs = 20, .End = End::Confirmed, .MaxWidthMs = 4.2},
        {.Name = "250 ms each way", .StartUtc = kMorning, .SourceAheadMs = 77,
         .OutMs = 250, .BackMs = 250, .End = End::Confirmed, .MaxWidthMs = 8.5},
        {.Name = "across a second, a day and a year", .StartUtc = kBeforeNewYear,
         .SourceAheadMs = 420, .OutMs = 1, .BackMs = 1, .End = End::Confirmed, .MaxWidthMs = 4.2},
        {.Name = "a slow answer", .StartUtc = kMorning, .SourceAheadMs = 300,
         .OutMs = 20, .BackMs = 20, .OddAt = 4, .OddOutMs = 20, .OddBackMs = 170,
         .End = End::Confirmed, .MaxWidthMs = 8.5},
        {.Name = "a stall at the first answer", .StartUtc = kMorning, .SourceAheadMs = 300,
         .OutMs = 20, .BackMs = 20, .FirstStallMs = 150, .End = End::Confirmed, .MaxWidthMs = 4.2},
        {.Name = "a stall before the connection's first", .StartUtc = kMorning,
         .SourceAheadMs = 300, .OutMs = 20, .BackMs = 20, .OddAt = 1, .OddOutMs = 170,
         .OddBackMs = 20, .End = End::Confirmed, .MaxWidthMs = 8.5},
        // The first answer came from a machine 350 ms behind: it misguides the timing, never the
        // bounds.
        {.Name = "a second machine gave the first answer", .StartUtc = kMorning,
         .SourceAheadMs = 100, .OutMs = 1, .BackMs = 1, .FirstAheadMs = -250,
         .End = End::Confirmed, .MaxWidthMs = 16},
        {.Name = "the connection meets another clock", .StartUtc = kMorning,
         .SourceAheadMs = 300, .OutMs = 1, .BackMs = 1, .SwitchAt = 5, .SwitchedAheadMs = 650,
         .End = End::Contradicted},
        {.Name = "a lopsided path, differing by exchange", .StartUtc = kMorning,
         .SourceAheadMs = 300, .OutMs = 20, .BackMs = 20, .SwayMs = 4,
         .End = End::Confirmed, .MaxWidthMs = 8.5},
        // The clock moves back by 6 ms just before the confirming answers: they disagree.
        {.Name = "a failed confirmation", .StartUtc = kMorning, .SourceAheadMs = 300,
         .OutMs = 0.2, .BackMs = 0.2, .SwitchAt = 10, .SwitchedAheadMs = 294,
         .End = End::Contradicted},
        {.Name = "an exchange fails", .StartUtc = kMorning, .SourceAheadMs = 300,
         .OutMs = 1, .BackMs = 1, .FailAt = 3, .End = End::Confirmed, .MaxWidthMs = 8.5},
        {.Name = "a confirmation fails", .StartUtc = kMorning, .SourceAheadMs = 300,
         .OutMs = 1, .BackMs = 1, .FailAt = 11, .End = End::Unconfirmed},
        {.Name = "the connection's first exchange fails", .StartUtc = kMorning,
         .SourceAheadMs = 300, .OutMs = 1, .BackMs = 1, .FailAt = 1,
         .End = End::Confirmed, .MaxWidthMs = 8.5},
    };
    // clang-format on
    for (const PathCase& c : cases) {
        SCOPED_TRACE(c.Name);
        SimulatedPath path(c);
        const NetworkReading first = path.First();
        const RefinedOffset refined = RefineOffset(first, false, path);
        EXPECT_EQ(refined.End, c.End);
        EXPECT_LE(refined.Exchanges, kMaxNarrowingExchanges);
        EXPECT_LE(path.NowUtc() - first.UtcAfterRead, kNarrowingWindowDays);
        if (refined.End != End::Confirmed) {
            ASSERT_FALSE(path.Answers().empty());
            const OffsetBounds own = BoundsOfAnswer(path.Answers().front());
            EXPECT_DOUBLE_EQ(refined.Bounds.CentreDays(), own.CentreDays());
            continue;
        }
        EXPECT_LE(refined.Bounds.LowDays / kMsDays, c.SourceAheadMs);
        EXPECT_GT(refined.Bounds.HighDays / kMsDays, c.SourceAheadMs);
        EXPECT_LT(refined.Bounds.WidthDays() / kMsDays, c.MaxWidthMs);
    }
}

// Over HTTPS the first answer came on the connection itself, its handshake inside its exchange.
TEST(RefineOffset, AFirstAnswerOnTheConnectionIsOneOfItsOwn) {
    const PathCase c{.Name = "https",
                     .StartUtc = kMorning,
                     .SourceAheadMs = 300,
                     .OutMs = 20,
                     .BackMs = 20,
                     .FirstStallMs = 60,
                     .End = End::Confirmed};
    SimulatedPath path(c);
    const NetworkReading first = path.First();
    const RefinedOffset refined = RefineOffset(first, true, path);
    EXPECT_EQ(refined.End, End::Confirmed);
    EXPECT_EQ(refined.Exchanges, kMaxNarrowingExchanges);
    EXPECT_LE(refined.Bounds.LowDays / kMsDays, c.SourceAheadMs);
    EXPECT_GT(refined.Bounds.HighDays / kMsDays, c.SourceAheadMs);
    EXPECT_LT(refined.Bounds.WidthDays() / kMsDays, 4.2);
}

}  // namespace
