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
#include "core/win/socket_handle.h"
#include "core/win/winsock_session.h"

namespace {

// One connection, one request, one read: the bytes of that read, or empty on any failure.
// Winsock is started and cleaned up here, so that every exchange stands on its own.
std::string ExchangeOnce(std::string_view url, uint16_t port) {
    WinsockSession session;
    if (!session.Started()) {
        return {};
    }
    std::string host;
    std::string path;
    int urlPort = 0;  // what the scheme says is not used: every source is asked over plain HTTP
    SplitUrl(url, host, path, urlPort);
    if (host.empty()) {
        return {};
    }
    const uint32_t address = ResolveHostAddress(host);
    if (address == 0) {
        return {};
    }
    // Declared after the session, so it is closed before the session's WSACleanup.
    UniqueSocket socket(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (!socket) {
        return {};
    }
    if (!ConnectWithin(socket.get(), address, port, kConnectTimeoutMs) ||
        !SetReceiveTimeout(socket.get(), kReadTimeoutMs)) {
        return {};
    }
    const std::string request = BuildDateRequest(host, path);
    if (send(socket.get(), request.data(), static_cast<int>(request.size()), 0) == SOCKET_ERROR) {
        return {};
    }
    // Only this one read is ever looked at: a Date header that arrives later does not count.
    std::array<char, kResponseBufferBytes> buffer{};
    const int received = recv(socket.get(), buffer.data(), static_cast<int>(buffer.size()), 0);
    shutdown(socket.get(), SD_BOTH);
    socket.reset();
    session.End();
    if (received <= 0) {
        return {};
    }
    // A byte count, not a terminated string: an answer may hold NUL bytes before the header.
    return std::string(buffer.data(), static_cast<size_t>(received));
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

std::string HttpGetDateHeaderAt(std::string_view url, uint16_t port) {
    const std::string received = ExchangeOnce(url, port);
    if (received.empty()) {
        return {};
    }
    DateHeaderScan scan = ScanForDateHeader(received);
    if (scan.MarkerFound) {
        WriteTraceLine(url);
    }
    return std::move(scan.Value);
}

std::string HttpGetDateHeader(std::string_view url) {
    return HttpGetDateHeaderAt(url, kTimeSourcePort);
}

SerialDate FetchNetworkTimeFrom(std::span<const std::string_view> sources, uint16_t port) {
    for (const std::string_view source : sources) {
        const std::string value = HttpGetDateHeaderAt(source, port);
        if (value.empty()) {
            continue;
        }
        // A value that does not parse, or parses to no real time, is no answer: the next
        // source may still give one.
        const SerialDate utc = ParseDateHeaderValue(value);
        if (utc > 0.0) {
            return utc;
        }
    }
    return 0.0;
}

SerialDate FetchNetworkTime() {
    return FetchNetworkTimeFrom(kTimeSources, kTimeSourcePort);
}
