// From one exchange with a time source to the network time and its offset from the local clock.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/serial_date.h"

// Network time is UTC+8, whatever zone the computer is set to.
constexpr double kNetworkZoneOffsetHours = 8.0;

// The Date header cuts the source's clock down to the second: the source's time lies anywhere
// in the second that the header names, so its middle is the best estimate.
constexpr double kHeaderMidSecondDays = 0.5 / kSecondsPerDay;

// A local date runs at most 14 hours ahead of UTC (zone UTC+14): the earliest moment at which
// the day the program was built had begun anywhere.
constexpr double kLocalDateLeadDays = 14.0 / kHoursPerDay;

// What one exchange with a time source gave. The stamps are the computer's clock in UTC.
struct NetworkReading {
    SerialDate HeaderUtc = 0.0;      // the Date header, UTC, whole seconds; 0: no answer
    SerialDate UtcBeforeSend = 0.0;  // just before the request went out
    SerialDate UtcAfterRead = 0.0;   // just after the answer was read
    double ConnectDays = 0.0;        // how long the connection took to be made
    int SourceIndex = -1;            // its place in the list of sources asked
    bool Secure = false;             // over HTTPS, its certificate checked
};

struct NetworkEstimate {
    SerialDate NetworkTime = 0.0;  // the network time (UTC+8) at the middle of the exchange
    double OffsetDays = 0.0;       // the source's UTC minus the computer's UTC at that moment
};

// The source's time at the middle of the exchange is the header's time + 0.5 s; the network
// time is that + 8 h. The offset is kept against UTC on both sides, so that a change of the
// computer's zone or daylight saving does not touch it. One answer cannot measure away the
// header's one-second resolution: it is right within 0.5 s plus half the round trip.
NetworkEstimate EstimateNetworkTime(const NetworkReading& reading);

// The computer's clock (UTC) halfway between the exchange's two stamps, where the source is taken
// to have read its own.
SerialDate MiddleUtcOf(const NetworkReading& reading);

// The network time (UTC+8) when the computer's clock reads utc and the offset is offsetDays.
SerialDate NetworkTimeAt(SerialDate utc, double offsetDays);

// Whether a source's parsed header time can be the true time: not before the day this
// program was built (less kLocalDateLeadDays, since that day is a local date) and with a
// network time before the year 10000. A source answering anything else, a misconfigured server
// or a captive portal, gives no answer. NaN is never believable.
bool IsBelievableSourceTime(SerialDate headerUtc, long buildDay);

// The time of the first Date header line in an answer's bytes when it parses and can be true
// (IsBelievableSourceTime against the day this program was built); 0 otherwise.
SerialDate BelievableHeaderTime(std::string_view received);

// SerialDate day number of a compiler date such as "Dec  8 2026" (the form of __DATE__);
// 0 for a text of any other form.
long DayOfCompilerDate(const char* compilerDate);

// The day this program was built, from the compiler's date.
long ProgramBuildDay();
