// The narrowing's connection over plain HTTP: HTTP/1.1 HEAD requests on one kept-alive
// connection to the address that gave the first answer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/win/socket_handle.h"
#include "core/win/source_address.h"
#include "core/win/source_link.h"
#include "core/win/winsock_session.h"

// One exchange waits at most this long for its connection and as long again for its answer.
constexpr unsigned kKeptAliveExchangeLimitMs = 3000;

class KeptAliveHttpLink final : public SourceLink {
public:
    // host and path name what is asked for; peer is where the first answer came from.
    KeptAliveHttpLink(std::string_view host, std::string_view path, const SourceAddress& peer,
                      const UtcStamps& stamps);
    // A connection of its own to host on port, whose first exchange gives the source's first
    // answer; the address that takes it is kept for the later ones.
    KeptAliveHttpLink(std::string_view host, std::string_view path, uint16_t port,
                      const UtcStamps& stamps);

    NetworkReading ExchangeAt(SerialDate sendAtUtc, SerialDate deadlineUtc) override;
    bool CarriesFirstAnswer() const override { return carriesFirstAnswer_; }

private:
    bool Connect(SerialDate deadlineUtc);

    WinsockSession session_;  // before the socket, so that it is closed first
    std::string request_;
    std::string host_;
    uint16_t port_ = 0;
    bool carriesFirstAnswer_ = false;
    SourceAddress peer_;  // none until a connection by name has been made
    UtcStamps stamps_;
    UniqueSocket socket_;  // empty between a closed connection and the next exchange
};
