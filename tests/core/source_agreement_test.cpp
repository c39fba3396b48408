// The sources' agreement: who is outvoted, and what the result rests on.
#include "core/source_agreement.h"

#include <gtest/gtest.h>

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

using enum SourceRole;

struct AgreementCase {
    const char* Name;
    std::vector<SourceOffset> Sources;
    size_t First;
    Agreement Kind;
    double LowMs, HighMs;  // of the result
    std::vector<SourceRole> Roles;
};

class SourcesAgree : public testing::TestWithParam<AgreementCase> {};

TEST_P(SourcesAgree, OrAreOutvotedOrFallBackToTheFirst) {
    const AgreementCase& test = GetParam();
    const AgreedOffset agreed = AgreeSources(test.Sources, test.First);

    EXPECT_EQ(agreed.Kind, test.Kind);
    EXPECT_NEAR(agreed.Bounds.LowDays / kMsDays, test.LowMs, 1e-6);
    EXPECT_NEAR(agreed.Bounds.HighDays / kMsDays, test.HighMs, 1e-6);
    ASSERT_EQ(agreed.Sources.size(), test.Roles.size());
    for (size_t index = 0; index < test.Roles.size(); ++index) {
        EXPECT_EQ(agreed.Sources[index].Role, test.Roles[index]) << "source " << index;
        if (test.Roles[index] != NoPart) {
            EXPECT_NEAR(agreed.Sources[index].DifferenceDays,
                        test.Sources[index].Bounds.CentreDays() - agreed.Bounds.CentreDays(),
                        1e-12);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, SourcesAgree,
    testing::Values(
        // Where all three meet, the result is where they meet.
        AgreementCase{"ThreeAgree",
                      {At(0, 2), At(1, 2), At(0.5, 2)},
                      0,
                      Agreement::Majority,
                      1,
                      2,
                      {Counted, Counted, Counted}},
        AgreementCase{"TheFirstIsOutvoted",
                      {At(300), At(0), At(0.5)},
                      0,
                      Agreement::Majority,
                      0.5,
                      1,
                      {LeftOut, Counted, Counted}},
        AgreementCase{"TwoOffByTheSameAmountWin",
                      {At(0), At(300), At(300.2)},
                      0,
                      Agreement::Majority,
                      300.2,
                      301,
                      {LeftOut, Counted, Counted}},
        // Right sites a few milliseconds apart agree: the middle, covering both.
        AgreementCase{"WithinTheToleranceWithoutMeeting",
                      {At(0), At(kGap - 0.1), Failed(500)},
                      0,
                      Agreement::Majority,
                      0,
                      kGap + 0.9,
                      {Counted, Counted, NoPart}},
        AgreementCase{"JustBeyondTheTolerance",
                      {At(0), At(kGap + 0.1)},
                      0,
                      Agreement::NoMajority,
                      0,
                      1,
                      {Counted, LeftOut}},
        AgreementCase{"FortyMillisecondsOffIsLeftOut",
                      {At(0), At(0.2), At(40)},
                      2,
                      Agreement::Majority,
                      0.2,
                      1,
                      {Counted, Counted, LeftOut}},
        AgreementCase{"AllApartGiveTheFirst",
                      {At(300), At(0), At(40)},
                      0,
                      Agreement::NoMajority,
                      300,
                      301,
                      {Counted, LeftOut, LeftOut}},
        AgreementCase{"OneAlone", {At(20)}, 0, Agreement::Alone, 20, 21, {Counted}},
        // A failed narrowing takes no part: two right ones still outvote nothing, but agree.
        AgreementCase{"AFailedNarrowingTakesNoPart",
                      {Failed(-400), At(0), At(0.5)},
                      0,
                      Agreement::Majority,
                      0.5,
                      1,
                      {NoPart, Counted, Counted}},
        AgreementCase{"OnlyAnotherTookPart",
                      {Failed(-400), At(7), Failed(0)},
                      0,
                      Agreement::Alone,
                      7,
                      8,
                      {NoPart, Counted, NoPart}},
        AgreementCase{"NoneTookPart",
                      {Failed(-400), Failed(0)},
                      0,
                      Agreement::Alone,
                      -400,
                      600,
                      {Counted, NoPart}},
        // A chain of two pairs: the closer pair wins.
        AgreementCase{"TheCloserOfTwoPairs",
                      {At(0), At(20), At(32)},
                      0,
                      Agreement::Majority,
                      20,
                      33,
                      {LeftOut, Counted, Counted}}),
    [](const testing::TestParamInfo<AgreementCase>& info) { return std::string(info.param.Name); });

}  // namespace
