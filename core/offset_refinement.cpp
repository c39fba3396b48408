// Narrowing a source's offset by timed exchanges on one connection.
#include "core/offset_refinement.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace {

constexpr double kMsDays = 1.0 / kMillisecondsPerDay;
constexpr double kSecondDays = 1.0 / kSecondsPerDay;
// Room before a timed send for the wait's overshoot and the stamps.
constexpr double kSendMarginDays = 2.0 * kMsDays;
// How far beyond the found turn a confirming answer is timed, on top of what its exchange and
// the path's slack could explain away (see ConfirmationDistanceDays).
constexpr double kConfirmationMarginDays = 1.0 * kMsDays;
constexpr int kConfirmations = 2;
// The first answer, when it came on another connection, only says when to ask. It saves a
// halving when the truth lies inside its second; an edge of its that a cut has not passed
// is tested before anything rests on it, so that another machine's clock costs little.
constexpr int kCutsBeforePriorEdgeTest = 1;
// Bounds are compared at this resolution (SerialDate's own is about a microsecond).
constexpr double kSameEdgeDays = 0.001 * kMsDays;

// The offset an exchange is timed for: its middle falls where a source with this offset turns
// a second.
struct Cut {
    double OffsetDays = 0.0;
    bool TestsPriorEdge = false;
};

class Narrowing {
public:
    Narrowing(const NetworkReading& first, bool firstOnConnection, NarrowingLink& link,
              SerialDate windowEndUtc)
        : first_(first),
          link_(link),
          deadline_(windowEndUtc),
          prior_(WidestBoundsOfAnswer(first)),
          priorInUse_(!firstOnConnection),
          leadDays_(firstOnConnection ? 0.0 : first.ConnectDays) {
        result_.Bounds = BoundsOfAnswer(first);
        if (firstOnConnection) {
            answers_.push_back(first);
        }
    }

    RefinedOffset Run() {
        for (;;) {
            const std::optional<ConnectionBounds> state = BoundsOfAnswers(answers_);
            if (!answers_.empty() && !state) {
                return EndWithFirstAnswer(NarrowingEnd::Contradicted);
            }
            if (state && state->Bounds.WidthDays() < kNarrowEnoughDays) {
                break;
            }
            if (!link_.GoOn(state ? state->Bounds : result_.Bounds)) {
                return Abandon(state);
            }
            if (result_.Exchanges + 1 + kConfirmations > kMaxNarrowingExchanges) {
                break;
            }
            const Cut cut = ChooseCut(state);
            const double roundTrip = state ? state->ShortestRoundTripDays : RoundTripDays(first_);
            const SerialDate middle = NextSecondTurnUtc(
                cut.OffsetDays, link_.NowUtc() + leadDays_ + kSendMarginDays + roundTrip / 2.0);
            const double width = state ? state->Bounds.WidthDays() : kSecondDays;
            if (middle + roundTrip / 2.0 + ConfirmationReserveDays(state, width) > deadline_) {
                break;  // the confirming answers would come too late
            }
            const NetworkReading answer = link_.ExchangeAt(middle - roundTrip / 2.0, deadline_);
            ++result_.Exchanges;
            if (!(answer.HeaderUtc > 0.0)) {
                leadDays_ = first_.ConnectDays;  // the link connects anew
                continue;
            }
            leadDays_ = 0.0;
            if (cut.TestsPriorEdge) {
                priorInUse_ = false;  // tested: the bounds now stand on their own
            }
            answers_.push_back(answer);
        }
        return Confirm();
    }

private:
    // The centre of what the bounds allow, or while the first answer still guides, of what both
    // allow; an edge that only the first answer supports is tested by the next cut once
    // kCutsBeforePriorEdgeTest cuts have left it standing.
    Cut ChooseCut(const std::optional<ConnectionBounds>& state) {
        if (!state) {
            return {prior_.CentreDays(), false};  // the connection's first exchange
        }
        const OffsetBounds& bounds = state->Bounds;
        if (priorInUse_) {
            const std::optional<OffsetBounds> guide = IntersectBounds(bounds, prior_);
            const bool lowFromPrior = guide && guide->LowDays > bounds.LowDays + kSameEdgeDays;
            const bool highFromPrior = guide && guide->HighDays < bounds.HighDays - kSameEdgeDays;
            if (lowFromPrior || highFromPrior) {
                if (cutsInsidePrior_ >= kCutsBeforePriorEdgeTest) {
                    return {lowFromPrior ? guide->LowDays : guide->HighDays, true};
                }
                ++cutsInsidePrior_;
                return {guide->CentreDays(), false};
            }
            priorInUse_ = false;  // it no longer says anything the bounds do not
        }
        return {bounds.CentreDays(), false};
    }

    // How far a typical exchange of this connection read the source's clock from its middle.
    double TypicalHalfWidthDays(const ConnectionBounds& state) const {
        std::vector<double> roundTrips;
        for (const NetworkReading& answer : answers_) {
            roundTrips.push_back(RoundTripDays(answer));
        }
        const auto median = roundTrips.begin() + static_cast<std::ptrdiff_t>(roundTrips.size() / 2);
        std::nth_element(roundTrips.begin(), median, roundTrips.end());
        return state.HalfWidthDays(*median);
    }

    // Far enough beyond the found turn that an exchange as fast as this path's usual ones reads
    // the expected second whenever the bounds are right, and that one reading the other second
    // cannot be taken for the path's slack, which is at most the shortest round trip.
    double ConfirmationDistanceDays(const ConnectionBounds& state) const {
        return kConfirmationMarginDays + state.ShortestRoundTripDays + TypicalHalfWidthDays(state);
    }

    // From a halving's answer to the second confirmation's: the first confirmation is asked at
    // the next turn it can catch, the second in the same second when the two are a round trip
    // apart, else at the next.
    double ConfirmationReserveDays(const std::optional<ConnectionBounds>& state,
                                   double widthDays) const {
        const double roundTrip = state ? state->ShortestRoundTripDays : RoundTripDays(first_);
        const double distance = state ? ConfirmationDistanceDays(*state) : kConfirmationMarginDays;
        const double oneTurn = kSecondDays + roundTrip + kSendMarginDays;
        const double spacing = widthDays / 2.0 + 2.0 * distance;
        return oneTurn + (spacing >= roundTrip + kSendMarginDays ? spacing : oneTurn);
    }

    // One answer timed just before the found turn and one just after it must read the seconds
    // they should. One that read the other second, but by less than its exchange leaves room
    // for, only shows the path's two directions differing more than the fastest exchange let
    // on: the bounds widen to take it in (the path's slack). One beyond that contradicts them,
    // as another clock, or a path changed under them, would.
    RefinedOffset Confirm() {
        if (answers_.empty()) {
            result_.End = NarrowingEnd::NotNarrowed;  // the connection gave nothing: first's
            return result_;
        }
        if (answers_.size() == 1) {
            return EndWithFirstAnswer(NarrowingEnd::NotNarrowed);
        }
        for (const bool before : {true, false}) {
            const std::optional<ConnectionBounds> state = BoundsOfAnswers(answers_);
            if (!state) {
                return EndWithFirstAnswer(NarrowingEnd::Contradicted);
            }
            const OffsetBounds& bounds = state->Bounds;
            if (!link_.GoOn(bounds)) {
                return Abandon(state);
            }
            const double distance = ConfirmationDistanceDays(*state);
            const double cut = before ? bounds.HighDays + distance : bounds.LowDays - distance;
            const double roundTrip = state->ShortestRoundTripDays;
            const SerialDate middle = NextSecondTurnUtc(
                cut, link_.NowUtc() + leadDays_ + kSendMarginDays + roundTrip / 2.0);
            if (result_.Exchanges >= kMaxNarrowingExchanges ||
                middle + roundTrip / 2.0 > deadline_) {
                return EndWithFirstAnswer(NarrowingEnd::Unconfirmed);
            }
            const NetworkReading answer = link_.ExchangeAt(middle - roundTrip / 2.0, deadline_);
            ++result_.Exchanges;
            if (!(answer.HeaderUtc > 0.0)) {
                return EndWithFirstAnswer(NarrowingEnd::Unconfirmed);
            }
            leadDays_ = 0.0;
            answers_.push_back(answer);
        }
        const std::optional<ConnectionBounds> confirmed = BoundsOfAnswers(answers_);
        if (!confirmed) {
            return EndWithFirstAnswer(NarrowingEnd::Contradicted);
        }
        result_.Bounds = confirmed->Bounds;
        result_.End = NarrowingEnd::Confirmed;
        return result_;
    }

    RefinedOffset Abandon(const std::optional<ConnectionBounds>& state) {
        if (state) {
            result_.Bounds = state->Bounds;
        }
        result_.End = NarrowingEnd::Abandoned;
        return result_;
    }

    // Never a mix of clocks: the estimate of the connection's first answer alone.
    RefinedOffset EndWithFirstAnswer(NarrowingEnd end) {
        result_.Bounds = BoundsOfAnswer(answers_.empty() ? first_ : answers_.front());
        result_.End = end;
        return result_;
    }

    const NetworkReading& first_;
    NarrowingLink& link_;
    const SerialDate deadline_;
    const OffsetBounds prior_;  // the first answer's second, when it only guides
    bool priorInUse_;
    int cutsInsidePrior_ = 0;
    double leadDays_;  // what the next exchange needs before its send: a connection to open
    std::vector<NetworkReading> answers_;  // on the connection, in order
    RefinedOffset result_;
};

}  // namespace

RefinedOffset RefineOffset(const NetworkReading& first, bool firstOnConnection,
                           NarrowingLink& link) {
    return RefineOffset(first, firstOnConnection, link, first.UtcAfterRead + kNarrowingWindowDays);
}

RefinedOffset RefineOffset(const NetworkReading& first, bool firstOnConnection, NarrowingLink& link,
                           SerialDate windowEndUtc) {
    return Narrowing(first, firstOnConnection, link, windowEndUtc).Run();
}
