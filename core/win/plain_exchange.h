// The first exchange with a source over plain HTTP: one connection, one HTTP/1.0 GET, one read.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/proxy_route.h"
#include "core/serial_date.h"
#include "core/win/source_address.h"
#include "core/win/utc_stamps.h"

// Upper bounds for one source, so that a site that takes our connection (or our packets) and
// never answers makes us go on with the next one instead of waiting forever.
constexpr unsigned kConnectTimeoutMs = 10000;
constexpr unsigned kReadTimeoutMs = 10000;

// The bytes of one answer and the computer's clock around the exchange.
struct PlainExchange {
    std::string Received;  // empty on any failure
    SerialDate UtcBeforeSend = 0.0;
    SerialDate UtcAfterRead = 0.0;
    double ConnectDays = 0.0;  // how long the connection took to be made
    SourceAddress Peer;        // the address that answered
    bool ProxyFailed = false;  // the proxy did not take the connection, or asked for credentials
};

// Connects to the URL's host on port, sends the GET for its path and reads once, at most
// kResponseBufferBytes. Winsock is started and cleaned up here, so the exchange stands on its
// own. The stamps hold the answer between them: the connection is made before the first.
// Through a proxy, the connection goes to the proxy and the request is the proxy's form of it
// (BuildProxiedDateRequest).
PlainExchange ExchangeOnce(std::string_view url, uint16_t port, const UtcStamps& stamps,
                           const ProxyEndpoint& proxy = {});
