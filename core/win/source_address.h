// Reaching a time source: its name resolved to IPv6 and IPv4 addresses, connected with bounds.
#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdint>
#include <string_view>

#include "core/win/socket_handle.h"

// One address of a source, with its port.
struct SourceAddress {
    sockaddr_storage Address{};
    int Length = 0;  // 0: none
};

// A connected socket and the address it reached.
struct SourceConnection {
    UniqueSocket Socket;
    SourceAddress Peer;
};

// Connects to host (a name, or an IPv4 or IPv6 literal) on port: its addresses in the order the
// resolver gives them, IPv6 and IPv4 alike, each tried until one takes the connection, all
// within limitMs together. Winsock must have been started. No socket on failure.
SourceConnection ConnectToHost(std::string_view host, uint16_t port, unsigned limitMs);

// Connects to one known address within limitMs. No socket on failure.
UniqueSocket ConnectToAddress(const SourceAddress& peer, unsigned limitMs);
