// Asking the time sources over HTTP/1.0 for their Date header.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/serial_date.h"
#include "core/url.h"

// Every source is asked on this port, the https ones too: the request is plain HTTP.
constexpr uint16_t kTimeSourcePort = kHttpPort;
// Upper bounds for one source, so that a site that takes our connection (or our packets) and
// never answers makes us go on with the next one instead of waiting forever.
constexpr unsigned kConnectTimeoutMs = 10000;
constexpr unsigned kReadTimeoutMs = 10000;

// The UTC time of the first built-in source that answers with a usable Date header, or 0.0.
SerialDate FetchNetworkTime();
// The same over a given list, each source reached on the given TCP port (tests use loopback).
SerialDate FetchNetworkTimeFrom(std::span<const std::string_view> sources, uint16_t port);

// One exchange with a source on port 80: the Date header's value behind the weekday's comma,
// or empty on any failure. When the answer holds "Date:", the URL and CR LF go to standard
// output as a trace line.
std::string HttpGetDateHeader(std::string_view url);
std::string HttpGetDateHeaderAt(std::string_view url, uint16_t port);

// IPv4 address in network byte order, from a dotted quad or a name lookup; 0 if unresolved.
// Winsock must have been started.
uint32_t ResolveHostAddress(std::string_view host);
