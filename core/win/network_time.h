// Asking the time sources for their Date header, and narrowing the answer down.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "core/offset_refinement.h"
#include "core/url.h"
#include "core/win/proxy_finder.h"
#include "core/win/source_link.h"

// Where the sources are reached: the built-in list on the standard ports through the proxy the
// user's Internet settings name, or a test's own.
struct SourceEndpoints {
    std::span<const std::string_view> Urls;
    uint16_t HttpPort = kHttpPort;
    uint16_t HttpsPort = kHttpsPort;
    ProxySettings Proxies = ProxySettings::None;
};

// The built-in sources, through the proxy of the user's Internet settings (the window's).
SourceEndpoints BuiltInSources();

// One HTTPS attempt on a source, connection and handshake included, ends after this: a network
// that silently drops port 443 costs at most this for each source before the plain round.
constexpr unsigned kHttpsAttemptLimitMs = 4500;

// Asks the sources in order over HTTPS (the same host, HttpsPort, its certificate checked: see
// WinHttpConnection), each with one HEAD request, and only when none of them answers so, again
// in order over plain HTTP/1.0, each on its own connection with one read: an authenticated
// answer from any source wins over an unauthenticated one. Every exchange goes through the
// proxy the settings name, and directly where they name none or it cannot be reached. An
// answer counts with a usable Date header: a header line that parses to a time that can be
// true (not before this program was built, a network time before the year 10000). The answer
// carries the computer's clock around its exchange and a link back to its source: the HTTPS
// connection it came on, kept alive; after a plain answer a new connection to the address that
// answered, or through the proxy. When an answer holds a "Date:" header line, the source's URL
// as it was asked ("https://host/path" over HTTPS, as listed over plain HTTP) and CR LF go to
// standard output as a trace line. First.HeaderUtc is 0 when no source answered.
SourceAnswer AskTimeSources(const SourceEndpoints& sources);
// The same with a finder of proxies that outlives the round: a measurement asks the other
// sources through it afterwards.
SourceAnswer AskTimeSources(const SourceEndpoints& sources, ProxyFinder& proxies);
// The same with the built-in sources.
SourceAnswer AskTimeSources();

// How a source is reached beside the one that answered first: on the route that answer took,
// over HTTPS or over plain HTTP, through the proxy its URL takes.
struct SourceRoute {
    std::string Url;  // as it is asked: "https://host/path" over HTTPS, as listed over plain HTTP
    bool Secure = false;
    std::string Host;
    std::string Path;
    uint16_t Port = 0;
    ProxyEndpoint Proxy;  // direct when empty
};
SourceRoute RouteToSource(const SourceEndpoints& sources, size_t index, bool secure,
                          ProxyFinder& proxies);

// Asks a source on its route, on a kept-alive connection of its own that its first answer comes
// on (SourceLink::CarriesFirstAnswer), giving up by deadlineUtc. Nothing is traced. The answer's
// stamps are the ones given, so that its offset compares with the first source's.
SourceAnswer AskOnOwnConnection(const SourceRoute& route, const UtcStamps& stamps,
                                SerialDate deadlineUtc);

// Called before every narrowing exchange with the best bounds so far; false ends the narrowing.
using NarrowedCallback = bool (*)(const OffsetBounds& bounds, void* context);

// Narrows the answer's offset on its link (see RefineOffset); nothing else is asked and nothing
// is traced. An answer without a link keeps its own bounds.
RefinedOffset NarrowSourceAnswer(SourceAnswer& answer, NarrowedCallback narrowed = nullptr,
                                 void* context = nullptr);
// The same, ending by windowEndUtc.
RefinedOffset NarrowSourceAnswer(SourceAnswer& answer, NarrowedCallback narrowed, void* context,
                                 SerialDate windowEndUtc);
