// The sources' agreement: who is outvoted, and what the result rests on.
#include "core/source_agreement.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr double kMsDays = 1.0 / kMillisecondsPerDay;
constexpr double kGap = 2 * 15.0 + 1.0;  // ms between two 1 ms wide bounds at the tolerance

// A confirmed source whose bounds are [lowMs, lowMs + widthMs); a failed one.
SourceOffset At(double lowMs, double widthMs = 1.0) {
    return {true, {lowMs * kMsDays, (lowMs + widthMs) * kMsDays}};
}
SourceOffset Failed(double lowMs) {
    return {false, {lowMs * kMsDays, (lowMs + 1000.0) * kMsDays}};
}

using enum Agreement;

struct AgreementCase {
    const char* Name;
    std::vector<SourceOffset> Sources;
    size_t First;
    Agreement Kind;
    double LowMs, HighMs;  // of the result
    const char* Roles;     // C counted, L left out, - no part
};

// The tolerance's edge, both ways; a source that failed mid-narrowing; a chain of two pairs, of
// which the closer wins; no majority and one alone fall back to the first source or the one.
const AgreementCase kCases[] = {
    {"ThreeAgree", {At(0, 2), At(1, 2), At(0.5, 2)}, 0, Majority, 1, 2, "CCC"},
    {"TheFirstIsOutvoted", {At(300), At(0), At(0.5)}, 0, Majority, 0.5, 1, "LCC"},
    {"TwoOffByTheSameAmountWin", {At(0), At(300), At(300.2)}, 0, Majority, 300.2, 301, "LCC"},
    {"WithinTheTolerance", {At(0), At(kGap - 0.1), Failed(500)}, 0, Majority, 0, kGap + 0.9, "CC-"},
    {"JustBeyondTheTolerance", {At(0), At(kGap + 0.1)}, 0, NoMajority, 0, 1, "CL"},
    {"FortyMillisecondsOffIsLeftOut", {At(0), At(0.2), At(40)}, 2, Majority, 0.2, 1, "CCL"},
    {"AllApartGiveTheFirst", {At(300), At(0), At(40)}, 0, NoMajority, 300, 301, "CLL"},
    {"OneAlone", {At(20)}, 0, Alone, 20, 21, "C"},
    {"AFailedNarrowingTakesNoPart", {Failed(-400), At(0), At(0.5)}, 0, Majority, 0.5, 1, "-CC"},
    {"OnlyAnotherTookPart", {Failed(-400), At(7), Failed(0)}, 0, Alone, 7, 8, "-C-"},
    {"NoneTookPart", {Failed(-400), Failed(0)}, 0, Alone, -400, 600, "C-"},
    {"TheCloserOfTwoPairs", {At(0), At(20), At(32)}, 0, Majority, 20, 33, "LCC"},
};

class SourcesAgree : public testing::TestWithParam<AgreementCase> {};

TEST_P(SourcesAgree, OrAreOutvotedOrFallBackToTheFirst) {
    const AgreementCase& test = GetParam();
    const AgreedOffset agreed = AgreeSources(test.Sources, test.First);

    EXPECT_EQ(agreed.Kind, test.Kind);
    EXPECT_NEAR(agreed.Bounds.LowDays / kMsDays, test.LowMs, 1e-6);
    EXPECT_NEAR(agreed.Bounds.HighDays / kMsDays, test.HighMs, 1e-6);
    std::string roles;
    for (size_t index = 0; index < agreed.Sources.size(); ++index) {
        const SourceVerdict& verdict = agreed.Sources[index];
        roles += "-CL"[static_cast<int>(verdict.Role)];
        if (verdict.Role != SourceRole::NoPart) {
            EXPECT_NEAR(verdict.DifferenceDays,
                        test.Sources[index].Bounds.CentreDays() - agreed.Bounds.CentreDays(),
                        1e-12);
        }
    }
    EXPECT_EQ(roles, test.Roles);
}

INSTANTIATE_TEST_SUITE_P(Table, SourcesAgree, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<AgreementCase>& info) {
                             return std::string(info.param.Name);
                         });

}  // namespace
