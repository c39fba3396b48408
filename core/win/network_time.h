// Asking the time sources over HTTP/1.0 for their Date header.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/network_estimate.h"
#include "core/serial_date.h"
#include "core/url.h"

// Every source is asked on this port, the https ones too: the request is plain HTTP.
constexpr uint16_t kTimeSourcePort = kHttpPort;
// Upper bounds for one source, so that a site that takes our connection (or our packets) and
// never answers makes us go on with the next one instead of waiting forever.
constexpr unsigned kConnectTimeoutMs = 10000;
constexpr unsigned kReadTimeoutMs = 10000;

// The Date header's time of the first built-in source that answers with a usable one, with the
// local clock around that source's exchange; HeaderUtc is 0.0 when none did. A header time
// that parses but cannot be true (before this program was built, or a network time after the
// year 9999) is no answer either.
NetworkReading FetchNetworkTime();
// The same over a given list, each source reached on the given TCP port (tests use loopback).
NetworkReading FetchNetworkTimeFrom(std::span<const std::string_view> sources, uint16_t port);

// The Date header's value of one exchange and the local clock just before the request went out
// and just after the answer was read (0.0 where the exchange ended before that point).
struct TimedDateHeader {
    std::string Value;
    SerialDate LocalBeforeSend = 0.0;
    SerialDate LocalAfterRead = 0.0;
};

// One exchange with a source on the given port: the Date header's value behind the weekday's
// comma, empty on any failure. When the answer holds a "Date:" header line, the URL and CR LF
// go to standard output as a trace line.
TimedDateHeader HttpGetTimedDateHeaderAt(std::string_view url, uint16_t port);

// IPv4 address in network byte order, from a dotted quad or a name lookup; 0 if unresolved.
// Winsock must have been started.
uint32_t ResolveHostAddress(std::string_view host);
