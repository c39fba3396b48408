// The first exchange with a source over plain HTTP: one connection, one HTTP/1.0 GET, one read.
#include "core/win/plain_exchange.h"

#include <winsock2.h>

#include <array>

#include "core/answer_origin.h"
#include "core/date_header.h"
#include "core/url.h"
#include "core/win/bounded_socket.h"
#include "core/win/precise_wait.h"
#include "core/win/winsock_session.h"

PlainExchange ExchangeOnce(std::string_view url, uint16_t port, const UtcStamps& stamps,
                           const ProxyEndpoint& proxy) {
    PlainExchange exchange;
    WinsockSession session;
    if (!session.Started()) {
        return exchange;
    }
    std::string host;
    std::string path;
    int urlPort = 0;  // what the scheme says is not used: the port is the caller's
    SplitUrl(url, host, path, urlPort);
    if (host.empty()) {
        return exchange;
    }
    const double beforeConnectMs = MonotonicMs();
    // Declared after the session, so it is closed before the session's WSACleanup.
    SourceConnection connection = proxy.Direct()
                                      ? ConnectToHost(host, port, kConnectTimeoutMs)
                                      : ConnectToHost(proxy.Host, proxy.Port, kConnectTimeoutMs);
    if (!connection.Socket) {
        exchange.ProxyFailed = !proxy.Direct();
        return exchange;
    }
    if (!SetReceiveTimeout(connection.Socket.get(), kReadTimeoutMs)) {
        return exchange;
    }
    exchange.ConnectDays = (MonotonicMs() - beforeConnectMs) / kMillisecondsPerDay;
    exchange.Peer = connection.Peer;
    const std::string request =
        proxy.Direct() ? BuildDateRequest(host, path) : BuildProxiedDateRequest(host, port, path);
    const SOCKET socket = connection.Socket.get();
    exchange.UtcBeforeSend = stamps.Now();
    if (send(socket, request.data(), static_cast<int>(request.size()), 0) == SOCKET_ERROR) {
        return exchange;
    }
    // Only this one read is ever looked at: a Date header that arrives later does not count.
    std::array<char, kResponseBufferBytes> buffer{};
    const int received = recv(socket, buffer.data(), static_cast<int>(buffer.size()), 0);
    exchange.UtcAfterRead = stamps.Now();
    shutdown(socket, SD_BOTH);
    connection.Socket.reset();
    session.End();
    if (received > 0) {
        // A byte count, not a terminated string: an answer may hold NUL bytes before the header.
        exchange.Received.assign(buffer.data(), static_cast<size_t>(received));
    }
    // A proxy that asks for credentials gets none: it counts as one that could not be reached.
    ReceivedAnswer answer;
    answer.Proxied = !proxy.Direct();
    answer.Status = AnswerStatusCode(exchange.Received);
    exchange.ProxyFailed = JudgeAnswer(answer) == AnswerVerdict::ProxyFailed;
    return exchange;
}
