// Reaching a time source: its name resolved to IPv6 and IPv4 addresses, connected with bounds.
#include "core/win/source_address.h"

#include <cstring>
#include <string>

#include "core/scope_exit.h"
#include "core/win/bounded_socket.h"
#include "core/win/precise_wait.h"

SourceConnection ConnectToHost(std::string_view host, uint16_t port, unsigned limitMs) {
    SourceConnection connection;
    const std::string name(host);
    const std::string service = std::to_string(port);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    if (name.empty() || getaddrinfo(name.c_str(), service.c_str(), &hints, &found) != 0) {
        return connection;
    }
    const ScopeExit freeFound([found] { freeaddrinfo(found); });
    int left = 0;
    for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
        ++left;
    }
    const double startMs = MonotonicMs();
    for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next, --left) {
        const double usedMs = MonotonicMs() - startMs;
        if (usedMs >= limitMs || entry->ai_addrlen > sizeof connection.Peer.Address) {
            continue;
        }
        // An address that drops our packets must leave time for the ones behind it.
        const unsigned shareMs = static_cast<unsigned>((limitMs - usedMs) / left);
        SourceAddress peer;
        memcpy(&peer.Address, entry->ai_addr, entry->ai_addrlen);
        peer.Length = static_cast<int>(entry->ai_addrlen);
        UniqueSocket socket = ConnectToAddress(peer, shareMs);
        if (socket) {
            connection.Socket = std::move(socket);
            connection.Peer = peer;
            return connection;
        }
    }
    return connection;
}

UniqueSocket ConnectToAddress(const SourceAddress& peer, unsigned limitMs) {
    if (peer.Length == 0 || limitMs == 0) {
        return {};
    }
    UniqueSocket socket(::socket(peer.Address.ss_family, SOCK_STREAM, IPPROTO_TCP));
    if (!socket || !ConnectWithin(socket.get(), reinterpret_cast<const sockaddr*>(&peer.Address),
                                  peer.Length, limitMs)) {
        return {};
    }
    return socket;
}
