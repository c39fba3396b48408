// The answer a round over the time sources gave, and the connection kept open to its source
// for the narrowing.
#pragma once

#include <memory>
#include <string>

#include "core/network_estimate.h"
#include "core/win/utc_stamps.h"

// A connection to the source that answered, kept alive for timed exchanges (see
// NarrowingLink::ExchangeAt: the same contract).
class SourceLink {
public:
    SourceLink() = default;
    SourceLink(const SourceLink&) = delete;
    SourceLink& operator=(const SourceLink&) = delete;
    virtual ~SourceLink() = default;

    virtual NetworkReading ExchangeAt(SerialDate sendAtUtc, SerialDate deadlineUtc) = 0;
    // Whether the first answer came on this connection, as over HTTPS: it is then one of the
    // narrowing's own. A plain-HTTP first answer came on a connection of its own, closed since.
    virtual bool CarriesFirstAnswer() const = 0;
};

// What one round over the sources gave.
struct SourceAnswer {
    NetworkReading First;              // HeaderUtc 0: no source answered
    std::string Url;                   // the source as it was asked ("https://…" over HTTPS)
    UtcStamps Stamps;                  // what every exchange of this measurement is stamped with
    std::unique_ptr<SourceLink> Link;  // the narrowing's way back; null when none answered
};
