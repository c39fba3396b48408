// Asking the time sources over HTTP/1.0 for their Date header.
#include "core/win/network_time.h"

#include <winsock2.h>

#include <array>
#include <cstring>
#include <utility>

#include "core/date_header.h"
#include "core/time_sources.h"
#include "core/url.h"
#include "core/win/bounded_socket.h"
#include "core/win/local_clock.h"
#include "core/win/socket_handle.h"
#include "core/win/winsock_session.h"

namespace {

// The bytes of one answer and the local clock around the exchange.
struct TimedExchange {
    std::string Received;  // empty on any failure
    SerialDate LocalBeforeSend = 0.0;
    SerialDate LocalAfterRead = 0.0;
};

// One connection, one request, one read: the bytes of that read, or empty on any failure.
// Winsock is started and cleaned up here, so that every exchange stands on its own.
TimedExchange ExchangeOnce(std::string_view url, uint16_t port) {
    TimedExchange exchange;
    WinsockSession session;
    if (!session.Started()) {
        return exchange;
    }
    std::string host;
    std::string path;
    int urlPort = 0;  // what the scheme says is not used: every source is asked over plain HTTP
    SplitUrl(url, host, path, urlPort);
    if (host.empty()) {
        return exchange;
    }
    const uint32_t address = ResolveHostAddress(host);
    if (address == 0) {
        return exchange;
    }
    // Declared after the session, so it is closed before the session's WSACleanup.
    UniqueSocket socket(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (!socket) {
        return exchange;
    }
    if (!ConnectWithin(socket.get(), address, port, kConnectTimeoutMs) ||
        !SetReceiveTimeout(socket.get(), kReadTimeoutMs)) {
        return exchange;
    }
    const std::string request = BuildDateRequest(host, path);
    // The stamps hold the source's answer between them as tightly as we can: the connection
    // is already made, and nothing but the read comes between the request and the second one.
    exchange.LocalBeforeSend = CurrentLocalTime();
    if (send(socket.get(), request.data(), static_cast<int>(request.size()), 0) == SOCKET_ERROR) {
        return exchange;
    }
    // Only this one read is ever looked at: a Date header that arrives later does not count.
    std::array<char, kResponseBufferBytes> buffer{};
    const int received = recv(socket.get(), buffer.data(), static_cast<int>(buffer.size()), 0);
    exchange.LocalAfterRead = CurrentLocalTime();
    shutdown(socket.get(), SD_BOTH);
    socket.reset();
    session.End();
    if (received > 0) {
        // A byte count, not a terminated string: an answer may hold NUL bytes before the header.
        exchange.Received.assign(buffer.data(), static_cast<size_t>(received));
    }
    return exchange;
}

// Written straight to the handle so that the CR LF goes out as it is (the C runtime's text
// mode would double the CR) and nothing waits in a buffer when the process ends.
void WriteTraceLine(std::string_view url) {
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (output == nullptr || output == INVALID_HANDLE_VALUE) {
        return;  // started without a standard output: nowhere to trace to
    }
    std::string line(url);
    line += "\r\n";
    DWORD written = 0;
    WriteFile(output, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

}  // namespace

uint32_t ResolveHostAddress(std::string_view host) {
    const std::string name(host);
    const unsigned long literal = inet_addr(name.c_str());
    if (literal != INADDR_NONE) {
        return literal;
    }
    const hostent* entry = gethostbyname(name.c_str());
    if (entry == nullptr || entry->h_addrtype != AF_INET || entry->h_length != 4 ||
        entry->h_addr_list == nullptr || entry->h_addr_list[0] == nullptr) {
        return 0;
    }
    uint32_t address = 0;
    memcpy(&address, entry->h_addr_list[0], sizeof address);
    return address;
}

TimedDateHeader HttpGetTimedDateHeaderAt(std::string_view url, uint16_t port) {
    const TimedExchange exchange = ExchangeOnce(url, port);
    TimedDateHeader header;
    if (exchange.Received.empty()) {
        return header;
    }
    DateHeaderScan scan = ScanForDateHeader(exchange.Received);
    if (scan.MarkerFound) {
        WriteTraceLine(url);
    }
    header.Value = std::move(scan.Value);
    header.LocalBeforeSend = exchange.LocalBeforeSend;
    header.LocalAfterRead = exchange.LocalAfterRead;
    return header;
}

NetworkReading FetchNetworkTimeFrom(std::span<const std::string_view> sources, uint16_t port) {
    const long buildDay = ProgramBuildDay();
    for (const std::string_view source : sources) {
        const TimedDateHeader header = HttpGetTimedDateHeaderAt(source, port);
        if (header.Value.empty()) {
            continue;
        }
        // A value that does not parse, or gives a time that cannot be today's, is no answer:
        // the next source may still give one.
        const SerialDate utc = ParseDateHeaderValue(header.Value);
        if (utc > 0.0 && IsBelievableSourceTime(utc, buildDay)) {
            return {utc, header.LocalBeforeSend, header.LocalAfterRead};
        }
    }
    return {};
}

NetworkReading FetchNetworkTime() {
    return FetchNetworkTimeFrom(kTimeSources, kTimeSourcePort);
}
