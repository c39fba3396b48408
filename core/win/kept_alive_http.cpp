// The narrowing's connection over plain HTTP: HTTP/1.1 HEAD requests on one kept-alive
// connection to the address that gave the first answer.
#include "core/win/kept_alive_http.h"

#include <winsock2.h>

#include <algorithm>
#include <array>

#include "core/kept_alive_request.h"
#include "core/win/bounded_socket.h"
#include "core/win/precise_wait.h"

namespace {

// A limit cut to what is left before the deadline; 0 when nothing is.
unsigned LimitBefore(SerialDate deadlineUtc, SerialDate nowUtc, unsigned limitMs) {
    const double leftMs = (deadlineUtc - nowUtc) * kMillisecondsPerDay;
    return leftMs < 1.0 ? 0 : static_cast<unsigned>(std::min(leftMs, static_cast<double>(limitMs)));
}

}  // namespace

KeptAliveHttpLink::KeptAliveHttpLink(std::string_view host, std::string_view path,
                                     const SourceAddress& peer, const UtcStamps& stamps)
    : request_(BuildKeptAliveRequest(host, path)), peer_(peer), stamps_(stamps) {}

KeptAliveHttpLink::KeptAliveHttpLink(std::string_view host, std::string_view path, uint16_t port,
                                     const UtcStamps& stamps)
    : request_(BuildKeptAliveRequest(host, path)),
      host_(host),
      port_(port),
      carriesFirstAnswer_(true),
      stamps_(stamps) {}

bool KeptAliveHttpLink::Connect(SerialDate deadlineUtc) {
    if (!session_.Started()) {
        return false;
    }
    const unsigned limitMs = LimitBefore(deadlineUtc, stamps_.Now(), kKeptAliveExchangeLimitMs);
    if (peer_.Length == 0) {
        SourceConnection connection = ConnectToHost(host_, port_, limitMs);
        peer_ = connection.Peer;
        socket_ = std::move(connection.Socket);
    } else {
        socket_ = ConnectToAddress(peer_, limitMs);
    }
    return static_cast<bool>(socket_);
}

NetworkReading KeptAliveHttpLink::ExchangeAt(SerialDate sendAtUtc, SerialDate deadlineUtc) {
    NetworkReading reading;
    if (!socket_ && !Connect(deadlineUtc)) {
        return reading;
    }
    WaitPreciselyMs((sendAtUtc - stamps_.Now()) * kMillisecondsPerDay);
    const unsigned readMs = LimitBefore(deadlineUtc, stamps_.Now(), kKeptAliveExchangeLimitMs);
    const SOCKET socket = socket_.get();
    if (readMs == 0 || !SetReceiveTimeout(socket, readMs)) {
        socket_.reset();
        return reading;
    }
    // The connection is made: only the request's way there and the answer's way back lie
    // between the two stamps, the second taken at the answer's first byte.
    const SerialDate beforeSend = stamps_.Now();
    if (send(socket, request_.data(), static_cast<int>(request_.size()), 0) == SOCKET_ERROR) {
        socket_.reset();
        return reading;
    }
    std::string received;
    SerialDate firstByte = 0.0;
    std::array<char, 2048> buffer{};
    while (HeaderBlockLength(received) == 0 && received.size() < kKeptAliveHeaderLimitBytes) {
        const int count = recv(socket, buffer.data(), static_cast<int>(buffer.size()), 0);
        if (count <= 0) {
            socket_.reset();
            return reading;
        }
        if (firstByte == 0.0) {
            firstByte = stamps_.Now();
        }
        received.append(buffer.data(), static_cast<size_t>(count));
    }
    const size_t headerBytes = HeaderBlockLength(received);
    const std::string_view headers(received.data(), headerBytes);
    // A HEAD answer has no body. Anything behind the headers would be read as the next answer,
    // and a server that closes would fail the next exchange: either way a new connection, made
    // now, before the next exchange is due.
    if (headerBytes == 0 || received.size() != headerBytes || !KeepsConnectionOpen(headers)) {
        socket_.reset();
        Connect(deadlineUtc);
    }
    if (headerBytes == 0) {
        return reading;
    }
    reading.HeaderUtc = BelievableHeaderTime(headers);
    if (reading.HeaderUtc > 0.0) {
        reading.UtcBeforeSend = beforeSend;
        reading.UtcAfterRead = firstByte;
    }
    return reading;
}
