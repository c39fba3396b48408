// Asking the time sources over HTTP/1.0 for their Date header, and narrowing the answer down.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "core/network_estimate.h"
#include "core/offset_refinement.h"
#include "core/url.h"

// Every source is asked on this port, the https ones too: the request is plain HTTP.
constexpr uint16_t kTimeSourcePort = kHttpPort;
// Upper bounds for one source, so that a site that takes our connection (or our packets) and
// never answers makes us go on with the next one instead of waiting forever.
constexpr unsigned kConnectTimeoutMs = 10000;
constexpr unsigned kReadTimeoutMs = 10000;

// The Date header's time of the first built-in source that answers with a usable one, with the
// computer's clock (UTC) around that source's exchange; HeaderUtc is 0.0 when none did. A header
// time that parses but cannot be true (before this program was built, or a network time in the
// year 10000 or later) is no answer either. When the answer holds a "Date:" header line, the
// source's URL and CR LF go to standard output as a trace line.
NetworkReading FetchNetworkTime();
// The same over a given list, each source reached on the given TCP port (tests use loopback).
NetworkReading FetchNetworkTimeFrom(std::span<const std::string_view> sources, uint16_t port);

// Called with the bounds each time a refinement exchange narrows them; false ends the refinement.
using NarrowedCallback = bool (*)(const OffsetBounds& bounds, void* context);

// Narrows the first answer's offset with further exchanges with the same source, at the same
// address, each the same request on a new connection with one read (see RefineOffset). No other
// source is asked and nothing is traced. sources and port are those the first answer came from.
RefinedOffset RefineNetworkReading(const NetworkReading& first,
                                   std::span<const std::string_view> sources, uint16_t port,
                                   NarrowedCallback narrowed = nullptr, void* context = nullptr);
// The same with the built-in sources.
RefinedOffset RefineNetworkReading(const NetworkReading& first, NarrowedCallback narrowed,
                                   void* context);

// IPv4 address in network byte order, from a dotted quad or a name lookup; 0 if unresolved.
// Winsock must have been started.
uint32_t ResolveHostAddress(std::string_view host);
