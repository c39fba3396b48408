// The narrowing's connection through WinHTTP: HEAD requests on the kept-alive HTTPS connection
// that gave the first answer, or on a connection through the proxy after a plain-HTTP answer.
#pragma once

#include <memory>

#include "core/win/source_link.h"
#include "core/win/winhttp_exchange.h"

// One exchange waits at most this long in all, connection and handshake included.
constexpr unsigned kWinHttpExchangeLimitMs = 3000;

class WinHttpLink final : public SourceLink {
public:
    // carriesFirstAnswer: the connection is the one the first answer came on (HTTPS).
    WinHttpLink(std::unique_ptr<WinHttpConnection> connection, const UtcStamps& stamps,
                bool carriesFirstAnswer)
        : connection_(std::move(connection)), stamps_(stamps), carries_(carriesFirstAnswer) {}

    NetworkReading ExchangeAt(SerialDate sendAtUtc, SerialDate deadlineUtc) override;
    bool CarriesFirstAnswer() const override { return carries_; }

private:
    std::unique_ptr<WinHttpConnection> connection_;
    UtcStamps stamps_;
    bool carries_;
};
